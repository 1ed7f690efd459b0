"""End-to-end runs of the real folvane-setup on the Linux stand-in.

Each test lays out a fresh stand-in machine (WINSHIM_ROOT) and a fresh driver folder holding the
program, runs it, and reads back what a user and an administrator would see: the boxes from
WINSHIM_BOXLOG, the registrations from `spoolctl list`, the files and their modes from disk.

Run: test_setup.py --setup build/bin/folvane-setup --spoolctl build/bin/spoolctl [unittest args]
"""

import argparse
import os
import pty
import select
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
import unittest

SETUP = None
SPOOLCTL = None

TITLE = "Folvane(TM) Windows NT(R) Printer Driver Setup"
CONFIRMATION = (0x1021, TITLE,
                "Proceding will setup all the Windows NT(R)\r\n"
                "printer drivers supported by Folvane(TM).\r\n\r\n"
                "Click OK to begin installation,\r\n"
                "or Cancel to skip driver setup.")
SUCCEEDED = (0x1040, TITLE, "Setup completed successfully.")
FAILED = (0x1010, TITLE, "Setup failed!")


def error_box(text):
    return (0x1010, TITLE, text)


FILE_NOT_FOUND = error_box("The system cannot find the file specified.")
ACCESS_DENIED = error_box("Access is denied.")
SPOOLER_UNAVAILABLE = error_box("The RPC server is unavailable.")

# Nothing here waits on a person; a run that takes this long has hung.
HANG = 30


def ppd(nickname=None, crlf=False):
    """A small PPD of our own; without a nickname it has no *NickName line at all."""
    lines = ['*PPD-Adobe: "4.3"', '*FormatVersion: "4.3"', '*Manufacturer: "Kaldoran"']
    if nickname is not None:
        lines += ['*ShortNickName: "short"', '*NickName: "%s"' % nickname]
    lines += ['*ColorDevice: False']
    end = "\r\n" if crlf else "\n"
    return (end.join(lines) + end).encode()


def unescape(field):
    out, i = [], 0
    while i < len(field):
        if field[i] == "\\" and i + 1 < len(field):
            out.append({"\\": "\\", "r": "\r", "n": "\n", "t": "\t"}[field[i + 1]])
            i += 2
        else:
            out.append(field[i])
            i += 1
    return "".join(out)


def is_old_driver(name):
    """The product's two prefixes, each over its own length, A-Z folded only."""
    return name[:8].lower() == "kaldoran" or name[:7].lower() == "tavimor"


class Machine:
    """A fresh stand-in machine and driver folder, with the program linked into the folder."""

    def __init__(self, test):
        self.base = tempfile.mkdtemp(prefix="folvane-e2e-")
        test.addCleanup(self.remove)
        self.root = os.path.join(self.base, "root")
        self.source = os.path.join(self.base, "drivers in here")  # a blank in the path
        self.boxlog = os.path.join(self.base, "boxes.log")
        self.trace = os.path.join(self.base, "trace.log")
        os.mkdir(self.source)
        self.program = os.path.join(self.source, "folvane-setup")
        try:
            os.link(SETUP, self.program)
        except OSError:
            shutil.copy2(SETUP, self.program)

    def remove(self):
        shutil.rmtree(self.base, ignore_errors=True)

    def env(self, answers):
        env = {k: v for k, v in os.environ.items() if not k.startswith("WINSHIM_")}
        env.update(WINSHIM_ROOT=self.root, WINSHIM_BOXLOG=self.boxlog, WINSHIM_TRACE=self.trace)
        if answers is not None:
            env["WINSHIM_ANSWERS"] = answers
        return env

    def put(self, name, content=b"placeholder\n", mode=None, folder=None):
        path = os.path.join(folder or self.source, name)
        with open(path, "wb") as f:
            f.write(content)
        if mode is not None:
            os.chmod(path, mode)
        return path

    def put_driver_files(self):
        self.put("PSCRIPT.DLL", b"driver placeholder\n")
        self.put("PSCRPTUI.DLL", b"ui placeholder\n")

    def run(self, *arguments, answers="ok"):
        """Runs the program with no terminal (new session): a box not answered from the list
        goes to stderr."""
        return subprocess.run([self.program, *arguments], env=self.env(answers),
                              stdin=subprocess.DEVNULL, capture_output=True,
                              start_new_session=True, timeout=HANG)

    def spoolctl(self, *arguments, check=True):
        # Names are bytes in the ANSI code page, not UTF-8: read them one byte per character.
        result = subprocess.run([SPOOLCTL, *arguments], env=self.env(None), capture_output=True,
                                encoding="latin-1", stdin=subprocess.DEVNULL, timeout=HANG)
        if check and result.returncode != 0:
            raise AssertionError("spoolctl %s: %s" % (arguments, result.stderr))
        return result

    def drivers(self):
        """`spoolctl list` as (name, version, driver, data, config) tuples."""
        lines = self.spoolctl("list").stdout.splitlines()
        return [tuple(unescape(field) for field in line.split("\t")) for line in lines]

    def names(self):
        return [driver[0] for driver in self.drivers()]

    def boxes(self):
        if not os.path.exists(self.boxlog):
            return []
        with open(self.boxlog, encoding="latin-1") as f:
            boxes = []
            for line in f.read().splitlines():
                style, title, text = line.split("\t")
                boxes.append((int(style, 16), unescape(title), unescape(text)))
            return boxes

    def deletions(self):
        """(name, result) of each DeletePrinterDriverA call, in order."""
        if not os.path.exists(self.trace):
            return []
        with open(self.trace, encoding="latin-1") as f:
            calls = [line.split("\t") for line in f.read().splitlines()]
        return [(unescape(c[2]), c[-1]) for c in calls if c[0] == "DeletePrinterDriverA"]

    def driver_dir(self):
        return self.spoolctl("dir").stdout.strip()

    def installed(self):
        folder = os.path.join(self.root, "drivers", "x64")
        return sorted(os.listdir(folder)) if os.path.isdir(folder) else []

    def registration(self, nickname, ppd_name):
        d = self.driver_dir()
        return (nickname, "9999", d + "PSCRIPT.DLL", d + ppd_name, d + "PSCRPTUI.DLL")


class SetupRunTest(unittest.TestCase):

    def test_whole_run_copies_registers_and_reports(self):
        m = Machine(self)
        m.put_driver_files()
        m.put("PSREADME", b"no dot, still a driver file\n")  # "PS*.*" takes a name with no dot
        os.mkdir(os.path.join(m.source, "PSFOLDER.D"))  # a folder matching a mask is passed over
        os.mkdir(os.path.join(m.source, "OLD.PPD"))
        m.put("K2400.PPD", ppd("Kaldoran 2400 PS", crlf=True))
        m.put("t100.ppd", ppd("TAVIMOR Proof 100"))  # the masks ignore letter case
        m.put("README.TXT", b"neither mask\n")
        old = 1_000_000_000
        os.utime(os.path.join(m.source, "K2400.PPD"), (old, old))

        result = m.run()

        self.assertEqual(result.returncode, 0)
        self.assertEqual(m.boxes(), [CONFIRMATION, SUCCEEDED])
        self.assertEqual(m.drivers(), [m.registration("Kaldoran 2400 PS", "K2400.PPD"),
                                       m.registration("TAVIMOR Proof 100", "t100.ppd")])
        self.assertEqual(m.installed(), ["K2400.PPD", "PSCRIPT.DLL", "PSCRPTUI.DLL", "PSREADME",
                                         "t100.ppd"])
        for name in m.installed():
            with self.subTest(copy=name):
                copy = os.path.join(m.driver_dir(), name)
                with open(copy, "rb") as a, open(os.path.join(m.source, name), "rb") as b:
                    self.assertEqual(a.read(), b.read())
                self.assertTrue(os.stat(copy).st_mode & stat.S_IWUSR)
        # CopyFileA carries the last-write time over.
        self.assertEqual(os.stat(os.path.join(m.driver_dir(), "K2400.PPD")).st_mtime, old)

    def test_unanswered_confirmation_changes_nothing(self):
        # Cancel, a box that could not be shown, and no terminal with no answers all stop the
        # run before any change, with exit status 0 and no further box.
        for answers in ["cancel", "none", None]:
            with self.subTest(answers=answers):
                m = Machine(self)
                m.put_driver_files()
                m.put("K2400.PPD", ppd("Kaldoran 2400 PS"))
                m.spoolctl("add", "Kaldoran Old")

                result = m.run(answers=answers)

                self.assertEqual(result.returncode, 0)
                self.assertEqual(m.boxes(), [CONFIRMATION])
                self.assertEqual(m.names(), ["Kaldoran Old"])
                self.assertEqual(m.installed(), [])
                if answers is None:
                    self.assertIn(b"Proceding will setup", result.stderr)
                    self.assertIn(TITLE.encode(), result.stderr)

    def test_command_line_spellings(self):
        # Quiet mode asks nothing and reports no success; any other argument text asks first.
        # No answers are scripted for the quiet runs: a box there would count as not shown.
        cases = [
            (["quiet"], True),
            (["QUIET"], True),
            (["Quiet"], True),
            (["quiet "], False),
            (["quiet", "now"], False),
            (["-quiet"], False),
            ([], False),
        ]
        for arguments, quiet in cases:
            with self.subTest(arguments=arguments):
                m = Machine(self)
                m.put_driver_files()
                m.put("K2400.PPD", ppd("Kaldoran 2400 PS"))

                result = m.run(*arguments, answers="" if quiet else "cancel")

                self.assertEqual(result.returncode, 0)
                if quiet:
                    self.assertEqual(m.boxes(), [])
                    self.assertEqual(m.names(), ["Kaldoran 2400 PS"])
                else:
                    self.assertEqual(m.boxes(), [CONFIRMATION])
                    self.assertEqual(m.names(), [])

    def test_no_ppd_reports_the_missing_file_quiet_or_not(self):
        for quiet in [True, False]:
            with self.subTest(quiet=quiet):
                m = Machine(self)
                m.put_driver_files()

                result = m.run(*(["quiet"] if quiet else []), answers="" if quiet else "ok")

                self.assertEqual(result.returncode, 0)
                expected = [FILE_NOT_FOUND, FAILED]
                self.assertEqual(m.boxes(), expected if quiet else [CONFIRMATION] + expected)
                self.assertEqual(m.names(), [])
                # The driver files were copied before the PPD search failed, and stay.
                self.assertEqual(m.installed(), ["PSCRIPT.DLL", "PSCRPTUI.DLL"])

    def test_ppd_without_nickname_stops_silently(self):
        m = Machine(self)
        m.put_driver_files()
        m.put("A.PPD", ppd("Kaldoran A"))
        m.put("B.PPD", ppd(None))
        m.put("C.PPD", ppd("Kaldoran C"))

        m.run()

        self.assertEqual(m.boxes(), [CONFIRMATION, FAILED])
        self.assertEqual(m.names(), ["Kaldoran A"])
        self.assertEqual(m.installed(), ["A.PPD", "B.PPD", "PSCRIPT.DLL", "PSCRPTUI.DLL"])

    def test_read_only_file_in_driver_directory_refuses_the_copy(self):
        # A read-only file of the same name already in the driver directory: "Access is
        # denied.", the run stops there; what was done before stays, what comes after is not
        # touched, and the old file is neither changed nor joined by a leftover temporary file.
        cases = [
            # read-only name, registered, installed afterwards
            ("PSCRIPT.DLL", [], ["PSCRIPT.DLL"]),
            ("B.PPD", ["Kaldoran A"], ["A.PPD", "B.PPD", "PSCRIPT.DLL", "PSCRPTUI.DLL"]),
        ]
        for read_only, registered, installed in cases:
            with self.subTest(read_only=read_only):
                m = Machine(self)
                m.put_driver_files()
                for name, nick in [("A.PPD", "Kaldoran A"), ("B.PPD", "Kaldoran B"),
                                   ("C.PPD", "Kaldoran C")]:
                    m.put(name, ppd(nick))
                old = m.put(read_only, b"old and read-only\n", mode=0o444, folder=m.driver_dir())

                m.run()

                self.assertEqual(m.boxes(), [CONFIRMATION, ACCESS_DENIED, FAILED])
                self.assertEqual(m.names(), registered)
                self.assertEqual(m.installed(), installed)
                with open(old, "rb") as f:
                    self.assertEqual(f.read(), b"old and read-only\n")
                self.assertEqual(stat.S_IMODE(os.stat(old).st_mode), 0o444)

    def test_read_only_sources_give_writable_copies(self):
        m = Machine(self)
        m.put("PSCRIPT.DLL", b"driver\n", mode=0o444)
        m.put("PSCRPTUI.DLL", b"ui\n", mode=0o444)
        m.put("K2400.PPD", ppd("Kaldoran 2400 PS"), mode=0o444)

        m.run()

        self.assertEqual(m.boxes(), [CONFIRMATION, SUCCEEDED])
        self.assertEqual(m.names(), ["Kaldoran 2400 PS"])
        for name in m.installed():
            with self.subTest(copy=name):
                self.assertTrue(os.stat(os.path.join(m.driver_dir(), name)).st_mode & stat.S_IWUSR)
                self.assertFalse(os.stat(os.path.join(m.source, name)).st_mode & 0o222)
        # And the next run overwrites those copies without a word.
        os.remove(m.boxlog)
        m.run()
        self.assertEqual(m.boxes(), [CONFIRMATION, SUCCEEDED])

    def test_earlier_drivers_removed_last_listed_first(self):
        m = Machine(self)
        m.put_driver_files()
        m.put("K2400.PPD", ppd("Kaldoran 2400 PS"))
        for name in ["Kaldoran 2400 PS", "kaldoran", "KALDORAN-x", "TAVIMOR Proof", "tavimor",
                     "Kaldora", "TAVIMO", "My Kaldoran", "Kal doran", "Kaldoran Busy"]:
            m.spoolctl("add", name)
        m.spoolctl("busy", "Kaldoran Busy")
        listed = m.names()
        # The spooler lists by upper-cased name, as the registry keeps its keys.
        self.assertEqual(listed, sorted(listed, key=str.upper))

        m.run()

        self.assertEqual(m.deletions(),
                         [(name, "3001" if name == "Kaldoran Busy" else "ok")
                          for name in reversed(listed) if is_old_driver(name)])
        # The busy driver is passed over without a word.
        self.assertEqual(m.boxes(), [CONFIRMATION, SUCCEEDED])
        self.assertEqual(m.names(), ["Kal doran", "Kaldora", "Kaldoran 2400 PS", "Kaldoran Busy",
                                     "My Kaldoran", "TAVIMO"])
        self.assertEqual(m.drivers()[2], m.registration("Kaldoran 2400 PS", "K2400.PPD"))

    def test_spooler_that_cannot_be_reached(self):
        # A store that is no store: every spooler call fails with 1722, and the file is left
        # exactly as it was.
        m = Machine(self)
        m.put_driver_files()
        m.put("K2400.PPD", ppd("Kaldoran 2400 PS"))
        os.makedirs(m.root)
        garbage = b"this is not a spooler store\n" * 100
        store = m.put("spooler.db", garbage, folder=m.root)

        m.run()

        self.assertEqual(m.boxes(), [CONFIRMATION, SPOOLER_UNAVAILABLE, FAILED])
        listing = m.spoolctl("list", check=False)
        self.assertEqual(listing.returncode, 1)
        self.assertEqual(listing.stderr.count("\n"), 1)
        self.assertIn("The RPC server is unavailable.", listing.stderr)
        with open(store, "rb") as f:
            self.assertEqual(f.read(), garbage)


class TerminalTest(unittest.TestCase):
    """The box drawn on a terminal and answered with a key, as a person does."""

    def run_on_terminal(self, m, keys):
        """Runs the program on a new pseudo-terminal and answers its boxes with keys, one per
        box. After the last key it waits for the next box, or for the program's end, and then
        kills the program. Returns what the terminal showed."""
        pid, master = pty.fork()
        if pid == 0:
            try:
                os.execve(m.program, [m.program], m.env(None))
            finally:
                os._exit(127)
        output = b""
        try:
            deadline = time.monotonic() + HANG
            for key in keys + [None]:
                prompts = output.count(b"Enter: OK")
                while output.count(b"Enter: OK") == prompts:
                    self.assertLess(time.monotonic(), deadline, output.decode("latin-1"))
                    ready, _, _ = select.select([master], [], [], 1)
                    if not ready:
                        continue
                    try:
                        chunk = os.read(master, 4096)
                    except OSError:  # the program ended and closed the terminal
                        chunk = b""
                    if not chunk:
                        return output.decode("latin-1")
                    output += chunk
                if key is not None:
                    os.write(master, key)
            return output.decode("latin-1")
        finally:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            os.waitpid(pid, 0)
            os.close(master)

    def test_keys_answer_the_confirmation(self):
        for key, registered in [(b"\r", True), (b"c", False), (b"\x1b", False)]:
            with self.subTest(key=key):
                m = Machine(self)
                m.put_driver_files()
                m.put("K2400.PPD", ppd("Kaldoran 2400 PS"))

                output = self.run_on_terminal(m, [key])

                self.assertIn(TITLE, output)
                self.assertIn("printer drivers supported by Folvane(TM).", output)
                if registered:
                    # Killed at the success box: the registration was reported made, and
                    # survives.
                    self.assertIn("Setup completed successfully.", output)
                else:
                    self.assertNotIn("Setup completed successfully.", output)
                self.assertEqual(m.boxes()[0], CONFIRMATION)
                self.assertEqual(m.names(), ["Kaldoran 2400 PS"] if registered else [])


class SpoolctlTest(unittest.TestCase):

    def test_refusals_exit_1_with_one_line(self):
        m = Machine(self)
        m.spoolctl("add", "Kaldoran Busy")
        m.spoolctl("busy", "Kaldoran Busy")
        cases = [
            (["delete", "Kaldoran Busy"], "The specified printer driver is currently in use."),
            (["delete", "nobody"], "The printer driver is unknown."),
            (["busy", "nobody"], "The printer driver is unknown."),
            (["add", "X", "--version", "many"], "--version"),
            (["frobnicate"], "usage"),
            ([], "usage"),
        ]
        for arguments, message in cases:
            with self.subTest(arguments=arguments):
                result = m.spoolctl(*arguments, check=False)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, "")
                self.assertEqual(result.stderr.count("\n"), 1)
                self.assertIn(message, result.stderr)
        self.assertEqual(m.names(), ["Kaldoran Busy"])

    def test_add_replaces_a_name_letter_case_ignored_and_lists_escaped(self):
        m = Machine(self)
        m.spoolctl("add", "Kaldoran\tTab", "--version", "3", "--driver", "a\\b.dll")
        m.spoolctl("add", "KALDORAN\tTAB", "--version", "4", "--driver", "x.dll", "--data", "d",
                   "--config", "c")
        listing = m.spoolctl("list").stdout
        self.assertEqual(listing, "KALDORAN\\tTAB\t4\tx.dll\td\tc\n")

    def test_two_processes_at_once_lose_nothing(self):
        # Both start on a machine without a store, so they also race to create it.
        m = Machine(self)
        writers = [subprocess.Popen(
            ["/bin/sh", "-c", 'i=0; while [ $i -lt 40 ]; do "$0" add "%s $i" || exit 1; '
                              'i=$((i+1)); done' % who, SPOOLCTL],
            env=m.env(None), stdin=subprocess.DEVNULL) for who in ["left", "right"]]
        for writer in writers:
            self.assertEqual(writer.wait(timeout=HANG * 2), 0)
        self.assertEqual(sorted(m.names()),
                         sorted("%s %d" % (who, i) for who in ["left", "right"] for i in range(40)))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", required=True)
    parser.add_argument("--spoolctl", required=True)
    options, rest = parser.parse_known_args()
    SETUP = os.path.abspath(options.setup)
    SPOOLCTL = os.path.abspath(options.spoolctl)
    unittest.main(argv=[sys.argv[0]] + rest)
