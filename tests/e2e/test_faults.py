"""The stand-in's store under faults, and bad input, end to end.

StoreFaultTest: two setups at once into one machine, setups killed at random moments, a spooler
store that is corrupt, truncated or unreadable, and a disk that runs full. BadInputTest: one table
of driver folders a user might really hand the program (odd PPD contents, odd names, paths at and
past the 259-character limit), each with the boxes it must show and the registrations it must
leave.

Every run must exit with status 0 and write nothing to stderr: with answers scripted the program
has no reason to, so anything there is a sanitizer's report (the same tests run over an
AddressSanitizer/UBSan build by passing its binaries).

Run: test_faults.py --setup build/bin/folvane-setup --spoolctl build/bin/spoolctl [unittest args]
"""

import argparse
import os
import random
import resource
import shutil
import signal
import subprocess
import sys
import time
import unittest

import test_setup as e2e
from test_setup import (CONFIRMATION, FAILED, FILE_NOT_FOUND, HANG, SPOOLER_UNAVAILABLE,
                        SUCCEEDED, Machine, error_box, ppd, unescape)

DISK_FULL = error_box("There is not enough space on the disk.")
TOO_LONG = error_box("The filename or extension is too long.")
TOO_SMALL = error_box("The data area passed to a system call is too small.")

# The stand-in's driver directory under its root, with the slash it reports at the end.
DRIVER_FOLDER = "/drivers/x64/"


def run(m, *prefix, answers="ok", preexec_fn=None):
    """Runs the machine's program (behind a prefix command such as setpriv, if given)."""
    return subprocess.run([*prefix, m.program], env=m.env(answers), stdin=subprocess.DEVNULL,
                          capture_output=True, start_new_session=True, timeout=HANG,
                          preexec_fn=preexec_fn)


def calls(m):
    """The spooler calls of the trace as (function, arguments, result). A line is only taken
    when it is complete: a run killed while writing one has not finished reporting that call."""
    if not os.path.exists(m.trace):
        return []
    with open(m.trace, "rb") as f:
        text = f.read().decode("latin-1")
    found = []
    for line in text.split("\n")[:-1]:
        fields = line.split("\t")
        assert fields[-2] == "->", line
        found.append((fields[0], [unescape(a) for a in fields[1:-2]], fields[-1]))
    return found


def named(call):
    """The driver name a traced AddPrinterDriverA or DeletePrinterDriverA call was about."""
    function, arguments, _ = call
    return arguments[1]


def padded_folder(start, length):
    """Creates and returns a folder below start whose real path is exactly length characters,
    built of components of at most 100 characters (a single name may not pass 255)."""
    path = os.path.realpath(start)
    remaining = length - len(path)
    if remaining < 2 and remaining != 0:
        raise AssertionError("%s is too long to pad to %d" % (path, length))
    while remaining > 0:
        take = min(remaining, 101)
        if remaining - take == 1:  # would leave a component of no characters
            take -= 1
        path += "/" + "d" * (take - 1)
        remaining -= take
    os.makedirs(path, exist_ok=True)
    assert len(path) == length
    return path


def move_program(m, folder, name="s"):
    """Makes folder the machine's driver folder, with the program linked in under name. A short
    name leaves the folder path most of the 259 characters."""
    os.makedirs(folder, exist_ok=True)
    m.source = folder
    m.program = os.path.join(folder, name)
    try:
        os.link(e2e.SETUP, m.program)
    except OSError:
        shutil.copy2(e2e.SETUP, m.program)


class StoreFaultTest(unittest.TestCase):

    def assertCleanRun(self, result):
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, b"")

    def mount_small_root(self, m, size):
        """Puts the machine's root on a tmpfs of size bytes of its own (skips without root)."""
        if os.geteuid() != 0:
            self.skipTest("mounting a small file system needs root")
        m.root = os.path.join(m.base, "small")
        os.mkdir(m.root)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size,
                                  "folvane-full", m.root], capture_output=True)
        if mounted.returncode != 0:
            self.skipTest("cannot mount a tmpfs: %s" % mounted.stderr)
        self.addCleanup(subprocess.run, ["umount", m.root])

    def test_two_setups_at_once_lose_nothing(self):
        # Two driver folders with different PPDs set up into one machine at the same time. The
        # even rounds start without a store, so the two also race to create it; the odd ones
        # start with an earlier driver that both runs try to remove (the loser's 1797 is passed
        # over in silence). The model names avoid the product's prefixes: each run's removal
        # would otherwise take the other's fresh registrations.
        for turn in range(4):
            with self.subTest(round=turn):
                left, right = Machine(self), Machine(self)
                right.root = left.root
                for m, side in [(left, "Left"), (right, "Right")]:
                    m.put_driver_files()
                    for i in range(25):
                        m.put("%s%02d.PPD" % (side, i), ppd("Folvane %s %02d" % (side, i)))
                if turn % 2:
                    left.spoolctl("add", "Kaldoran Old")

                runs = [subprocess.Popen([m.program], env=m.env("ok"), stdin=subprocess.DEVNULL,
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                         start_new_session=True) for m in (left, right)]
                for process in runs:
                    out, err = process.communicate(timeout=HANG)
                    self.assertEqual(process.returncode, 0, err)
                    self.assertEqual(err, b"")

                for m in (left, right):
                    self.assertEqual(m.boxes(), [CONFIRMATION, SUCCEEDED])
                    self.assertEqual([result for _, _, result in calls(m)
                                      if result not in ("ok", "1797")], [])
                d = left.driver_dir()
                expected = sorted(("Folvane %s %02d" % (side, i), "9999", d + "PSCRIPT.DLL",
                                   d + "%s%02d.PPD" % (side, i), d + "PSCRPTUI.DLL")
                                  for side in ["Left", "Right"] for i in range(25))
                self.assertEqual(sorted(left.drivers()), expected)

    def test_killed_setups_leave_a_working_store(self):
        # The same machine is set up again and again, each run killed with SIGKILL at a random
        # moment: in the removal of the last run's drivers, between two registrations, inside
        # one. After each kill the store must open and list, every registration the trace shows
        # returned must be there, every removal it shows returned must have stayed done, and at
        # most the one call under way at the kill may have gone either way.
        m = Machine(self)
        # A driver file big enough that some kills land inside its copy.
        m.put("PSCRIPT.DLL", random.Random(1).randbytes(1 << 20))
        m.put("PSCRPTUI.DLL", b"ui placeholder\n")
        for i in range(20):
            m.put("K%02d.PPD" % i, ppd("Kaldoran %02d" % i))
        sources = {}
        for name in os.listdir(m.source):
            with open(os.path.join(m.source, name), "rb") as f:
                sources[name] = f.read()
        m.spoolctl("add", "Other Driver")  # not the product's: no run may touch it

        # One whole run first, to learn over how long a span the kills should be spread.
        started = time.monotonic()
        self.assertCleanRun(run(m))
        span = time.monotonic() - started
        present = set(m.names())
        self.assertEqual(len(present), 21)
        folder = m.driver_dir()

        seed = int(os.environ.get("FOLVANE_KILL_SEED", random.randrange(1 << 32)))
        chance = random.Random(seed)
        kills = 0
        for attempt in range(200):
            if kills >= 50:
                break
            context = "seed %d, attempt %d" % (seed, attempt)
            if os.path.exists(m.trace):
                os.remove(m.trace)
            process = subprocess.Popen([m.program], env=m.env("ok"), stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       start_new_session=True)
            time.sleep(chance.uniform(0, span))
            process.kill()
            if process.wait(timeout=HANG) == -signal.SIGKILL:
                kills += 1

            listing = m.spoolctl("list", check=False)
            self.assertEqual(listing.returncode, 0, "%s: %s" % (context, listing.stderr))
            actual = set(m.names())
            expected, added = set(present), set()
            for call in calls(m):
                self.assertEqual(call[2], "ok", "%s: %s" % (context, call))
                if call[0] == "DeletePrinterDriverA":
                    expected.discard(named(call))
                else:
                    expected.add(named(call))
                    added.add(named(call))
            self.assertLessEqual(added, actual, context)
            self.assertLessEqual(len(actual ^ expected), 1,
                                 "%s: %s" % (context, sorted(actual ^ expected)))
            self.assertIn("Other Driver", actual, context)
            present = actual
            # A copy under its own name is whole: the old one or the new one, never a part.
            # (A killed copy's hidden temporary file may stay behind; it matches no mask.)
            for name in os.listdir(folder):
                if not name.startswith(".winshim-copy-"):
                    with open(os.path.join(folder, name), "rb") as f:
                        self.assertTrue(f.read() == sources[name], "%s: %s" % (context, name))
        self.assertGreaterEqual(kills, 50, "seed %d" % seed)

        # And the machine still takes a whole run.
        os.remove(m.boxlog)
        self.assertCleanRun(run(m))
        self.assertEqual(m.boxes(), [CONFIRMATION, SUCCEEDED])
        self.assertEqual(m.names(), ["Kaldoran %02d" % i for i in range(20)] + ["Other Driver"])

    @classmethod
    def pristine_store(cls):
        """A store of several pages (made once, then copied): twenty drivers with long paths."""
        if getattr(cls, "_pristine", None) is None:
            maker = Machine(unittest.TestCase())
            try:
                for i in range(20):
                    maker.spoolctl("add", "Folvane %02d" % i, "--driver", "x" * 1000,
                                   "--data", "y" * 300)
                with open(os.path.join(maker.root, "spooler.db"), "rb") as f:
                    cls._pristine = f.read()
            finally:
                maker.remove()
        return cls._pristine

    def test_broken_store_is_reported_and_left_alone(self):
        # A spooler whose store cannot be used is a spooler that cannot be reached: every call
        # fails with 1722, the run says so and stops, and the file is not touched, so that the
        # administrator can still look into it or restore it. The pages are wiped one at a time:
        # SQLite finds most kinds of damage only when a statement walks over them, and a write
        # that never reaches the damaged page would otherwise go through into a broken file.
        pristine = self.pristine_store()
        page_size = int.from_bytes(pristine[16:18], "big")
        pages = len(pristine) // page_size
        self.assertGreaterEqual(pages, 5)

        def overwrite(offset, junk):
            return pristine[:offset] + junk + pristine[offset + len(junk):]

        cases = [("header overwritten", overwrite(0, b"\xa5" * 100), None)]
        for page in range(2, pages + 1):
            cases.append(("page %d of %d wiped" % (page, pages),
                          overwrite((page - 1) * page_size, b"\xa5" * 8), None))
        cases += [
            ("cut inside the header", pristine[:50], None),
            ("cut to its first page", pristine[:page_size], None),
            ("cut in half", pristine[:len(pristine) // 2], None),
            ("a folder in its place", None, None),
            ("no read or write permission", pristine, 0o000),
        ]
        for label, content, mode in cases:
            with self.subTest(store=label):
                m = Machine(self)
                m.put_driver_files()
                m.put("K2400.PPD", ppd("Kaldoran 2400 PS"))
                os.makedirs(m.root)
                store = os.path.join(m.root, "spooler.db")
                prefix = []
                if content is None:
                    os.mkdir(store)
                else:
                    m.put("spooler.db", content, folder=m.root, mode=mode)
                if mode is not None and os.geteuid() == 0:
                    # Root reads and writes whatever the mode says; without these two
                    # capabilities it is held to the mode like anyone else.
                    if shutil.which("setpriv") is None:
                        self.skipTest("setpriv is needed to hold root to a file's mode")
                    prefix = ["setpriv", "--bounding-set=-dac_override,-dac_read_search"]

                result = run(m, *prefix)

                self.assertCleanRun(result)
                self.assertEqual(m.boxes(), [CONFIRMATION, SPOOLER_UNAVAILABLE, FAILED])
                self.assertEqual([(c[0], c[2]) for c in calls(m)], [("AddPrinterDriverA", "1722")])
                listing = subprocess.run([*prefix, e2e.SPOOLCTL, "list"], env=m.env(None),
                                         capture_output=True, text=True, timeout=HANG)
                self.assertEqual(listing.returncode, 1)
                self.assertEqual(listing.stdout, "")
                self.assertIn("The RPC server is unavailable.", listing.stderr)
                if content is None:
                    self.assertEqual(os.listdir(store), [])
                else:
                    with open(store, "rb") as f:
                        self.assertTrue(f.read() == content, "the store was written to")

    def test_full_disk_keeps_the_old_file(self):
        # The copy runs out of room half-way: "There is not enough space on the disk.", the run
        # stops, the copy it replaces is still the old one, and the part written is gone. A
        # small file system gives ENOSPC, a file size limit EFBIG; both are a full disk to
        # Windows. The big file is either the first driver file or the PPD after them.
        big = 2 << 20
        small = 1 << 20
        cases = [(limit, name) for limit in ["small file system", "file size limit"]
                 for name in ["PSCRIPT.DLL", "K2400.PPD"]]
        for limit, name in cases:
            with self.subTest(limit=limit, big=name):
                m = Machine(self)
                preexec_fn = None
                if limit == "small file system":
                    self.mount_small_root(m, small)
                else:
                    def preexec_fn():
                        # Past the limit a write fails with EFBIG, once SIGXFSZ no longer
                        # kills the writer (an ignored signal stays ignored across exec).
                        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                        resource.setrlimit(resource.RLIMIT_FSIZE, (small, small))
                m.spoolctl("add", "Other Driver")
                folder = m.driver_dir()
                os.makedirs(folder, exist_ok=True)
                m.put("PSCRIPT.DLL", b"driver\n")
                m.put("PSCRPTUI.DLL", b"ui\n")
                m.put("K2400.PPD", ppd("Kaldoran 2400 PS"))
                m.put(name, (ppd("Kaldoran 2400 PS") if name.endswith(".PPD") else b"")
                      + b"*% padding\n" * (big // 11))
                old = m.put(name, b"the old one\n", folder=folder)

                result = run(m, preexec_fn=preexec_fn)

                self.assertCleanRun(result)
                self.assertEqual(m.boxes(), [CONFIRMATION, DISK_FULL, FAILED])
                self.assertEqual(m.names(), ["Other Driver"])
                with open(old, "rb") as f:
                    self.assertEqual(f.read(), b"the old one\n")
                copied = ["PSCRIPT.DLL", "PSCRPTUI.DLL"] if name.endswith(".PPD") else []
                self.assertEqual(sorted(os.listdir(folder)), sorted(set(copied + [name])))

    def test_disk_running_full_at_each_step(self):
        # The machine's disk is filled up to leave 0, 1, 2, ... blocks free, until a run gets
        # through. So the disk runs full in turn at every write of a run: the spooler store's
        # log, each copy, the registration. Every run must end in the full disk's report or in
        # success; once the room is given back the store holds exactly what the run reported
        # made, and the driver directory holds old or new files, whole, and nothing else.
        m = Machine(self)
        self.mount_small_root(m, 1 << 20)
        new = {"PSCRIPT.DLL": b"new driver\n", "PSCRPTUI.DLL": b"new ui\n",
               "A.PPD": ppd("Kaldoran A")}
        for name, content in new.items():
            m.put(name, content)
        folder = os.path.join(m.root, DRIVER_FOLDER.strip("/"))

        stopped_at = []  # for each run that failed: how many files it had replaced
        for blocks in range(64):
            with self.subTest(blocks_free=blocks):
                for entry in os.listdir(m.root):
                    path = os.path.join(m.root, entry)
                    if os.path.isdir(path):
                        shutil.rmtree(path)
                    else:
                        os.remove(path)
                for path in [m.boxlog, m.trace]:
                    if os.path.exists(path):
                        os.remove(path)
                m.spoolctl("add", "Other Driver")
                os.makedirs(folder)
                for name in new:
                    m.put(name, b"old\n", folder=folder)
                room = os.statvfs(m.root)
                filler = os.path.join(m.root, "filler")
                with open(filler, "wb") as f:
                    f.write(b"\0" * ((room.f_bavail - blocks) * room.f_frsize))

                self.assertCleanRun(run(m))

                outcome = m.boxes()[1:]
                os.remove(filler)
                self.assertIn(outcome, [[DISK_FULL, FAILED], [SUCCEEDED]])
                self.assertEqual(sorted(os.listdir(folder)), sorted(new))
                replaced = 0
                for name in new:
                    with open(os.path.join(folder, name), "rb") as f:
                        content = f.read()
                    self.assertIn(content, [b"old\n", new[name]], name)
                    replaced += content == new[name]
                made = ["Kaldoran A"] if outcome == [SUCCEEDED] else []
                self.assertEqual(m.names(), made + ["Other Driver"])
                if made:
                    break
                stopped_at.append(replaced)
        self.assertTrue(made, "no run got through with 64 blocks free")
        # The sweep reached the copies and, after the last copy, the registration itself.
        self.assertIn(0, stopped_at)
        self.assertIn(len(new), stopped_at)


class BadInputTest(unittest.TestCase):

    def test_bad_input_table(self):
        long_name = b'*NickName: "Kaldoran ' + b"W" * (1 << 20)
        garbage = random.Random(2026).randbytes(64 << 10)
        self.assertNotIn(b"*nickname", garbage.lower())
        odd = b"Kal Dr\xfccker \xe9.PPD"  # a blank and bytes past ASCII, as a code page gives
        odd_nick = b"Kaldoran Dr\xfccker \xe9\xff"
        oddity = os.fsdecode(odd)

        def ppd_file(content, name="A.PPD"):
            return lambda m: m.put(name, content)

        def folder_like_ppd(m):
            os.mkdir(os.path.join(m.source, "A.PPD"))

        def folder_before_ppd(m):
            os.mkdir(os.path.join(m.source, "A.PPD"))
            m.put("B.PPD", ppd("Kaldoran B"))

        def dangling_link(m):
            m.put("A.PPD", ppd("Kaldoran A"))
            os.symlink(os.path.join(m.source, "gone"), os.path.join(m.source, "Z.PPD"))

        def long_ppd_name(m):
            m.put("A.PPD", ppd("Kaldoran A"))
            m.put("Z" * 246 + ".PPD", ppd("Kaldoran Z"))

        def source_folder(length):
            # The folder's path is length characters; with the separator the program adds,
            # the longest name (PSCRPTUI.DLL, 12) just fits at 246 and no longer at 247.
            def lay(m):
                move_program(m, padded_folder(m.base, length))
                m.put_driver_files()
                m.put("A.PPD", ppd("Kaldoran A"))
            return lay

        def driver_directory(length):
            # The root is chosen so that the driver directory the spooler reports, separator
            # at the end included, is length characters.
            def lay(m):
                m.root = padded_folder(m.base, length - len(DRIVER_FOLDER))
                m.put("A.PPD", ppd("Kaldoran A"))
            return lay

        def module_path(length):
            # The program's own path is length characters. The program asks for at most 259
            # (its buffer less one), so 258 is the longest that comes back whole.
            def lay(m):
                move_program(m, padded_folder(m.base, length - 2))
                m.put_driver_files()
                m.put("A.PPD", ppd("Kaldoran A"))
            return lay

        def module_path_past_the_limit(m):
            # A folder whose path alone is well over 259 bytes. Cut to 258 characters, the
            # program's path names one of the folders above it: a decoy waits there, which a
            # program that went on with the cut path would install.
            module_path(300)(m)
            cut = m.program[:258]
            decoy = cut[:cut.rindex("/")]
            self.assertTrue(m.source.startswith(decoy + "/"))
            for name in ["PSCRIPT.DLL", "PSCRPTUI.DLL"]:
                m.put(name, b"decoy\n", folder=decoy)
            m.put("DECOY.PPD", ppd("Kaldoran Decoy"), folder=decoy)

        A, B = "A.PPD", "B.PPD"
        driver_files = ["PSCRIPT.DLL", "PSCRPTUI.DLL"]
        ok = [CONFIRMATION, SUCCEEDED]
        failed = [CONFIRMATION, FAILED]  # a PPD without a usable model name says nothing more
        too_long = [CONFIRMATION, TOO_LONG, FAILED]
        # label, lay out the folder (the driver files are there already), the boxes,
        # registrations as (model name, PPD), files in the driver directory
        cases = [
            ("NUL inside the model name", ppd_file(b'*PPD-Adobe: "4.3"\n'
                                                    b'*NickName: "Kaldoran\0 Hidden"\n'),
             ok, [("Kaldoran", A)], driver_files + [A]),
            ("NUL at the start of the keyword line", ppd_file(b'*PPD-Adobe: "4.3"\n'
                                                               b'\0*NickName: "Kaldoran A"\n'),
             failed, [], driver_files + [A]),
            ("CR-only line ends", ppd_file(ppd("Kaldoran A").replace(b"\n", b"\r")),
             ok, [("Kaldoran A", A)], driver_files + [A]),
            # A record holds 255 bytes: the name is what of it follows the quote.
            ("1 MB single line holding the model name", ppd_file(long_name),
             ok, [("Kaldoran " + "W" * 234, A)], driver_files + [A]),
            ("1 MB single line without a model name", ppd_file(b"*%" + b"y" * (1 << 20)),
             failed, [], driver_files + [A]),
            ("model name after a 1 MB line",
             ppd_file(b"*%" + b"y" * (1 << 20) + b"\n" + ppd("Kaldoran A")),
             ok, [("Kaldoran A", A)], driver_files + [A]),
            ("binary garbage", ppd_file(garbage), failed, [], driver_files + [A]),
            ("model name after binary garbage", ppd_file(garbage + b"\n" + ppd("Kaldoran A")),
             ok, [("Kaldoran A", A)], driver_files + [A]),
            ("empty file", ppd_file(b""), failed, [], driver_files + [A]),
            ("folder named like a PPD, alone", folder_like_ppd,
             [CONFIRMATION, FILE_NOT_FOUND, FAILED], [], driver_files),
            ("folder named like a PPD, then a PPD", folder_before_ppd,
             ok, [("Kaldoran B", B)], driver_files + [B]),
            ("dangling link named like a PPD", dangling_link,
             [CONFIRMATION, FILE_NOT_FOUND, FAILED], [("Kaldoran A", A)], driver_files + [A]),
            ("blanks and bytes past ASCII in names",
             ppd_file(b'*NickName: "' + odd_nick + b'"\n', oddity),
             ok, [(odd_nick.decode("latin-1"), odd.decode("latin-1"))], driver_files + [oddity]),
            # Past the limit however short the folders: the search hands the whole name over,
            # and the join refuses it.
            ("PPD name of 250 characters", long_ppd_name,
             too_long, [("Kaldoran A", A)], driver_files + [A]),
            # The program is named "s" in these folders, so that its own path still fits.
            ("source folder of 246 characters", source_folder(246),
             ok, [("Kaldoran A", A)], driver_files + [A]),
            ("source folder of 247 characters", source_folder(247),
             too_long, [], ["PSCRIPT.DLL"]),
            ("source folder of 250 characters", source_folder(250), too_long, [], []),
            ("driver directory of 247 characters", driver_directory(247),
             ok, [("Kaldoran A", A)], driver_files + [A]),
            ("driver directory of 248 characters", driver_directory(248),
             too_long, [], ["PSCRIPT.DLL"]),
            ("driver directory of 259 characters", driver_directory(259), too_long, [], []),
            # One more and it no longer fits the buffer the program hands the spooler, which
            # refuses it as Windows does.
            ("driver directory of 260 characters", driver_directory(260),
             [CONFIRMATION, TOO_SMALL, FAILED], [], []),
            ("module path of 258 characters", module_path(258), too_long, [], []),
            # A module path that does not fit stops the run before the confirmation.
            ("module path of 259 characters", module_path(259), [TOO_SMALL, FAILED], [], []),
            ("module path past the limit, decoy at the cut", module_path_past_the_limit,
             [TOO_SMALL, FAILED], [], []),
        ]

        for label, lay, boxes, registered, installed in cases:
            with self.subTest(label):
                m = Machine(self)
                m.put_driver_files()
                lay(m)

                result = run(m)

                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stderr, b"")
                self.assertEqual(m.boxes(), boxes)
                self.assertEqual(m.drivers(), [m.registration(nick, ppd_name)
                                               for nick, ppd_name in registered])
                self.assertEqual(m.installed(), sorted(installed))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", required=True)
    parser.add_argument("--spoolctl", required=True)
    options, rest = parser.parse_known_args()
    e2e.SETUP = os.path.abspath(options.setup)
    e2e.SPOOLCTL = os.path.abspath(options.spoolctl)
    unittest.main(argv=[sys.argv[0]] + rest)
