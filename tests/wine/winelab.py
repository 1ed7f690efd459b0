"""A Windows machine for the end-to-end tests: Wine with a private prefix, an Xvfb display, and
a hand on the keyboard.

The Windows program runs under Wine exactly as built. Its boxes are shown on a private Xvfb
display and answered with xdotool; what each box said comes from Wine's own traces
(WINEDEBUG=+msgbox for the text drawn, +relay on user32.MessageBoxA alone for the caption, the
style and the button reported back). The spooler and the driver directory are read by
wine-probe.exe, a Windows program of our own, through the same API the setup program uses.

Every wait here is bounded; a run that exceeds its bound is killed and reported.

Also a command-line tool for CTest's fixtures:
    python3 winelab.py create WINDOWS_BIN LAB_DIR   # a fresh prefix for this test run
    python3 winelab.py stop WINDOWS_BIN LAB_DIR     # wineserver -k for that prefix
"""

import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path
from typing import NamedTuple, Optional

CAPTION = "Folvane(TM) Windows NT(R) Printer Driver Setup"
KEYS = {"ok": "Return", "cancel": "Escape"}

# Bounds. Generous: the first box of a fresh Wine session loads the X11 driver and fonts, which
# takes several seconds on a small CI machine.
RUN_TIMEOUT = 120
WINDOW_TIMEOUT = 60
TOOL_TIMEOUT = 60
PREFIX_TIMEOUT = 300

_QUOTED = r'"(?:[^"\\]|\\.)*"'
_CALL = re.compile(r"Call user32\.MessageBoxA\([0-9a-f]+,[0-9a-f]+ (" + _QUOTED + r"),[0-9a-f]+ ("
                   + _QUOTED + r"),([0-9a-f]+)\)")
_RET = re.compile(r"Ret  user32\.MessageBoxA\(\) retval=([0-9a-f]+)")
_INIT = re.compile(r"trace:msgbox:MSGBOX_OnInit L(" + _QUOTED + ")")
_ESCAPE = re.compile(r"\\(x[0-9a-fA-F]{2,4}|.)")


def unescape_trace(quoted: str) -> str:
    """The text of a string as Wine's debug traces print it (C escapes between quotes)."""
    simple = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}

    def one(match):
        code = match.group(1)
        if code[0] == "x" and len(code) > 1:
            return chr(int(code[1:], 16))
        return simple.get(code, code)

    return _ESCAPE.sub(one, quoted[1:-1])


def unescape_field(field: str) -> str:
    """A name or path as wine-probe (and the stand-in's tools) print them: \\\\ \\r \\n \\t."""
    return re.sub(r"\\(.)", lambda m: {"r": "\r", "n": "\n", "t": "\t"}.get(m.group(1), m.group(1)),
                  field)


class Box(NamedTuple):
    style: int
    caption: str
    text: str
    result: int  # what MessageBoxA returned: 1 OK, 2 Cancel


class Registration(NamedTuple):
    name: str
    version: int
    driver_path: str
    data_file: str
    config_file: str


class Run(NamedTuple):
    exit_status: int
    boxes: list


class WineError(RuntimeError):
    pass


def _command(name, fallback):
    # Debian's wine64 alone (the `wine` package is only its recommendation) has no wine or
    # wineserver on the PATH, just its own binaries in /usr/lib/wine.
    found = shutil.which(name)
    return found if found else fallback


def _end_with_parent():
    # Xvfb goes when the test process goes, even when CTest kills it at its timeout.
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def windows_path(path: Path) -> str:
    """Wine's Z: drive is the Linux root."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


class WineLab:
    def __init__(self, windows_bin, lab_dir):
        self.setup_exe = Path(windows_bin) / "folvane-setup.exe"
        self.probe_exe = Path(windows_bin) / "wine-probe.exe"
        self.lab_dir = Path(lab_dir)
        self.prefix = self.lab_dir / "prefix"
        env = {k: v for k, v in os.environ.items() if not k.startswith("WINE") and k != "DISPLAY"}
        env.update(WINEPREFIX=str(self.prefix), WINEDEBUG="-all",
                   # No Mono or Gecko: nothing here needs them, and fetching them would stall.
                   WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env = env
        self.wine = _command("wine", "/usr/lib/wine/wine64")
        self.wineserver = _command("wineserver", "/usr/lib/wine/wineserver64")
        self.display = None
        self._xvfb = None
        self._driver_dir = None

    # --- the machine -------------------------------------------------------------------------

    def create(self, fresh=True):
        """Makes the prefix; with fresh, any earlier one goes first (once per test run)."""
        if fresh:
            self._tool([self.wineserver, "-k"], check=False)
            shutil.rmtree(self.prefix, ignore_errors=True)
        self.lab_dir.mkdir(parents=True, exist_ok=True)
        self._tool([self.wine, "wineboot", "-i"], timeout=PREFIX_TIMEOUT)
        # Relay traces for MessageBoxA alone: they give each box's caption, style and result.
        self._tool([self.wine, "reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude",
                    "/t", "REG_SZ", "/d", "user32.MessageBoxA", "/f"], timeout=PREFIX_TIMEOUT)
        self._tool([self.wineserver, "-w"], timeout=PREFIX_TIMEOUT)

    def start(self):
        if not (self.prefix / "system.reg").exists():
            self.create(fresh=False)
        # The display first: Wine's desktop process starts with the first program of a session
        # and keeps the display it found, so a probe run without one would leave every later box
        # unable to show.
        self._start_xvfb()
        self.env["DISPLAY"] = self.display
        # One server for the whole session: each launch then takes a fraction of a second.
        self._tool([self.wineserver, "-p"], check=False)
        return self

    def stop(self):
        if self._xvfb is not None:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
                self._xvfb.wait(timeout=10)
            self._xvfb = None
            self.env.pop("DISPLAY", None)
        self._tool([self.wineserver, "-k"], check=False)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def _start_xvfb(self):
        # -displayfd: Xvfb picks a free display itself and tells us which, so parallel runs and
        # a developer's own X server are never in the way.
        read_end, write_end = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-screen", "0", "1024x768x24"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=_end_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + TOOL_TIMEOUT
        with os.fdopen(read_end, "rb", buffering=0) as pipe:
            os.set_blocking(pipe.fileno(), False)
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline or self._xvfb.poll() is not None:
                    self.stop()
                    raise WineError("Xvfb did not start")
                try:
                    chunk = pipe.read(16)
                except BlockingIOError:
                    chunk = None
                if chunk:
                    number += chunk
                else:
                    time.sleep(0.05)
        self.display = ":" + number.decode().strip()

    def _tool(self, argv, timeout=TOOL_TIMEOUT, check=True, env=None):
        # Files, not pipes: a Wine server or service process started on the way inherits the
        # output and would hold a pipe open long after the command itself has ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(argv, env=env or self.env, stdout=out, stderr=err,
                                  stdin=subprocess.DEVNULL, timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(argv, code, out.read().decode("latin-1"),
                                                 err.read().decode("latin-1"))
        if check and result.returncode != 0:
            raise WineError(f"{' '.join(map(str, argv))} ended with {result.returncode}: "
                            f"{result.stderr.strip()[-2000:]}")
        return result

    # --- the spooler and the driver directory, through wine-probe ----------------------------

    def probe(self, *commands, extra_env=None):
        env = dict(self.env, **(extra_env or {}))
        return self._tool([self.wine, str(self.probe_exe), *commands], env=env).stdout.splitlines()

    def reset(self):
        """No driver registered and no file in the driver directory."""
        self.probe("reset")

    @property
    def driver_dir(self) -> Path:
        """The driver directory as a Linux path, for preparing files in it."""
        if self._driver_dir is None:
            win = self.probe("dir")[0].rstrip("\\")
            drive, rest = win[0].lower(), win[3:]
            self._driver_dir = self.prefix / "dosdevices" / f"{drive}:" / rest.replace("\\", "/")
        return self._driver_dir

    def add_driver(self, name, files=("OLD.DLL", "OLD.PPD", "OLD.DLL"), version=3):
        """Registers an earlier driver; its files are placed in the driver directory first,
        because the spooler refuses a registration whose files are not there."""
        for file in set(files):
            (self.driver_dir / file).write_bytes(b"placeholder of an earlier driver\r\n")
        self.probe("add", name, str(version), *files)

    def state(self):
        """(registrations sorted by name, {file name: attributes} of the driver directory)."""
        return self._parse_listing(self.probe("drivers", "files"))

    def attributes_in(self, folder):
        """{file name: attributes} of any folder, as Windows programs see them."""
        return self._parse_listing(self.probe("files-in", windows_path(folder)))[1]

    @staticmethod
    def _parse_listing(lines):
        drivers, files = [], {}
        for line in lines:
            kind, *fields = line.split("\t")
            fields = [unescape_field(f) for f in fields]
            if kind == "driver":
                drivers.append(Registration(fields[0], int(fields[1]), *fields[2:5]))
            elif kind == "file":
                files[fields[0]] = int(fields[1], 16)
        return sorted(drivers), files

    # --- the setup program ------------------------------------------------------------------

    def run(self, folder, args=(), answers=(), command_line=None):
        """Runs folder/folvane-setup.exe and answers its boxes in order ("ok", "cancel"; a box
        past the list gets OK). With command_line, wine-probe starts the program with exactly
        that line, whose first word need not be its real path; otherwise as `wine EXE ARGS...`, the way a
        user starts it, and Wine builds the line."""
        exe = Path(folder) / "folvane-setup.exe"
        env = dict(self.env, WINEDEBUG="-all,+msgbox,+relay")
        if command_line is None:
            argv = [self.wine, str(exe), *args]
        else:
            argv = [self.wine, str(self.probe_exe), "launch"]
            env.update(FOLVANE_PROGRAM=windows_path(exe), FOLVANE_COMMAND_LINE=command_line)
        # The traces go to a file that is read as it grows: Wine's desktop and service
        # processes started by the run inherit its output and outlive it, so a pipe would not
        # reach its end when the program does.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=err, start_new_session=True)
            try:
                self._answer_boxes(proc, err, list(answers))
            except BaseException:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait(timeout=10)
                err.seek(0)
                raise WineError("setup run failed; its traces:\n"
                                + err.read().decode("latin-1")[-4000:])
            out.seek(0)
            out_lines = out.read().decode("latin-1").splitlines()
            err.seek(0)
            err_lines = err.read().decode("latin-1").splitlines()

        if command_line is None:
            status = proc.returncode
        else:
            if proc.returncode != 0:
                raise WineError("wine-probe launch failed:\n" + "".join(err_lines)[-4000:])
            status = int(next(l for l in out_lines if l.startswith("exit\t")).split("\t")[1])
        return Run(status, self._boxes(err_lines))

    def _answer_boxes(self, proc, err, pending):
        """Answers each box as its MessageBoxA call shows up in the traces, until the process
        ends."""
        deadline = time.monotonic() + RUN_TIMEOUT
        seen, calls_answered = b"", 0
        while True:
            ended = proc.poll() is not None
            err.seek(len(seen))
            seen += err.read()
            # Only whole lines count: a call line may be caught half written.
            whole = seen[:seen.rfind(b"\n") + 1].decode("latin-1")
            calls = len(_CALL.findall(whole))
            if calls > calls_answered and not ended:
                self._answer(KEYS[pending.pop(0)] if pending else KEYS["ok"], deadline)
                calls_answered += 1
            elif ended:
                return
            elif time.monotonic() > deadline:
                raise WineError(f"setup still running after {RUN_TIMEOUT} s")
            else:
                time.sleep(0.05)

    def _boxes(self, err_lines):
        stderr = "\n".join(err_lines)
        calls = _CALL.findall(stderr)
        results = [int(r, 16) for r in _RET.findall(stderr)]
        texts = [unescape_trace(t) for t in _INIT.findall(stderr)]
        if not (len(calls) == len(results) == len(texts)):
            raise WineError(f"{len(calls)} MessageBoxA calls, {len(results)} returns, "
                            f"{len(texts)} boxes drawn:\n{stderr[-4000:]}")
        return [Box(int(style, 16), unescape_trace(caption), text, result)
                for (_, caption, style), text, result in zip(calls, texts, results)]

    def _answer(self, key, deadline):
        window = self._wait_for_box(deadline)
        gone_by = min(deadline, time.monotonic() + WINDOW_TIMEOUT)
        # A key that arrives while the box is still being set up is lost; it is sent again
        # until the box goes. The next box must not be mistaken for this one, so the wait for
        # it to be gone is part of the answer.
        while time.monotonic() < gone_by:
            self._tool(["xdotool", "windowfocus", "--sync", window], check=False, timeout=10)
            self._tool(["xdotool", "key", "--window", window, key], check=False)
            resend_at = time.monotonic() + 5
            while window in self._find_boxes():
                if time.monotonic() > min(resend_at, gone_by):
                    break
                time.sleep(0.1)
            else:
                return
        raise WineError(f"box {window} still open after {key}")

    def _wait_for_box(self, deadline):
        shown_by = min(deadline, time.monotonic() + WINDOW_TIMEOUT)
        while time.monotonic() < shown_by:
            windows = self._find_boxes()
            if windows:
                return windows[-1]
            time.sleep(0.1)
        raise WineError(f"no box appeared within {WINDOW_TIMEOUT} s")

    def _find_boxes(self):
        # The caption as an anchored regular expression: its parentheses are literal.
        pattern = "^" + re.sub(r"([][().*+?^$|\\{}])", r"\\\1", CAPTION) + "$"
        result = self._tool(["xdotool", "search", "--onlyvisible", "--name", pattern],
                            check=False, timeout=10)
        return result.stdout.split()


def make_source_folder(folder: Path, files: dict, read_only=(), program: Optional[Path] = None,
                       link=False):
    """A driver folder as shipped: the program and the given files (name -> text)."""
    folder.mkdir(parents=True, exist_ok=True)
    for name, text in files.items():
        (folder / name).write_bytes(text.encode("latin-1") if isinstance(text, str) else text)
    for name in read_only:
        (folder / name).chmod(0o444)
    if program is not None:
        target = folder / Path(program).name
        if link:
            os.link(program, target)
        else:
            shutil.copy2(program, target)
    return folder


def remove_tree(folder: Path):
    """Removes a case's folder, read-only files included. Only the write bit is given back: a
    file may be a hard link to a build product, whose other bits must stay."""
    if folder.exists():
        for path in folder.rglob("*"):
            mode = path.stat().st_mode
            if path.is_file() and not mode & 0o200:
                path.chmod(mode | 0o200)
        shutil.rmtree(folder)


def main(argv):
    if len(argv) != 4 or argv[1] not in ("create", "stop"):
        print(__doc__, file=sys.stderr)
        return 2
    lab = WineLab(argv[2], argv[3])
    if argv[1] == "create":
        started = time.monotonic()
        lab.create(fresh=True)
        print(f"Wine prefix {lab.prefix} made in {time.monotonic() - started:.1f} s")
    else:
        lab.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
