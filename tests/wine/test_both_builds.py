"""One table of runs, made on the Windows build under Wine and on the Linux build over the
stand-in, and the two outcomes compared: registrations, copied files and their read-only state,
and the boxes in order. Two things are each platform's own and are set apart before comparing:
the system's wording of an error (Wine's "File not found." against the stand-in's Windows
wording), and the version Wine stores for a driver (see VERSION below).

Needs FOLVANE_LINUX_BIN (folvane-setup and spoolctl of the native build) besides what
test_wine_setup needs.
"""

import os
import subprocess
import tempfile
import unittest
from pathlib import Path

from winelab import WineLab, make_source_folder, remove_tree, unescape_field
from fixtures import DRIVER_FILES, PPD_3100, PPD_NAMELESS, TWO_MODELS, ppd

RUN_TIMEOUT = 60

# The system texts the table's runs meet, by error code, as each platform words them.
SYSTEM_TEXTS = {
    "wine": {"File not found.": "<system text for 2>"},
    "linux": {"The system cannot find the file specified.": "<system text for 2>"},
}

# The version each side reports for every registration. The program asks for 9999; the stand-in
# keeps it, Wine 8 stores the version it derives for the driver itself (3 for an NT driver),
# whatever was asked.
VERSION = {"linux": 9999, "wine": 3}

OLD_FILES = ("OLD.DLL", "OLD.PPD", "OLD.DLL")
EARLIER = ["Kaldoran 1200 PS", "kaldoran lower", "TAVIMOR Proof", "Other Vendor PS", "My Kaldoran"]
SAME_NAME = ppd('*NickName: "Folvane 2400 PS"')

# name, source files (None: a folder), read-only source files, earlier drivers, arguments, answers
#
# Two Windows behaviours Wine 8 does not share are left out of this table, as the two builds
# would differ for Wine's sake alone: a copy over a read-only file in the driver directory
# (Windows refuses it with 5, Wine copies) and a name such as Z.PPDX (Wine's "*.PPD" matches it,
# after the short-name rule). The stand-in's own tests cover both.
SCENARIOS = [
    ("interactive success", TWO_MODELS, [], [], [], ["ok", "ok"]),
    ("cancel", TWO_MODELS, [], ["Kaldoran 1200 PS"], [], ["cancel"]),
    ("quiet, earlier drivers", TWO_MODELS, [], EARLIER, ["quiet"], []),
    ("QUIET without PPD", DRIVER_FILES, [], [], ["QUIET"], ["ok", "ok"]),
    ("no PPD, asked first", DRIVER_FILES, [], [], [], ["ok", "ok", "ok"]),
    ("/quiet is not quiet", TWO_MODELS, [], [], ["/quiet"], ["cancel"]),
    ("nameless PPD second", dict(TWO_MODELS, **{"K3100C.PPD": PPD_NAMELESS}), [], [], [],
     ["ok", "ok"]),
    ("read-only sources", TWO_MODELS, ["PSCRIPT.DLL", "K3100C.PPD"], [], ["quiet"], []),
    # A PPD that "PS*.*" matches too is copied twice and registered once; folders are passed
    # over in both passes.
    ("PPD named PS*, folders", dict(DRIVER_FILES, **{"PSMODEL.PPD": PPD_3100, "PSEXTRA": None,
                                                     "OLD.PPD": None}), [], [], ["quiet"], []),
    # Only folders match "*.PPD": the program's own choice is to fail, on both.
    ("only PPD folders", dict(DRIVER_FILES, **{"FOLDER.PPD": None}), [], [], ["quiet"],
     ["ok", "ok"]),
    ("two PPDs, one nickname", dict(TWO_MODELS, **{"K3100C.PPD": SAME_NAME}), [], [], ["quiet"],
     []),
]

lab = None


def setUpModule():
    global lab
    lab = WineLab(os.environ["FOLVANE_WINDOWS_BIN"], os.environ["FOLVANE_WINE_LAB"]).start()


def tearDownModule():
    if lab is not None:
        lab.stop()


def basename(path):
    return path.replace("\\", "/").rsplit("/", 1)[-1]


def make_folder(folder, files, read_only, program, link):
    remove_tree(folder)
    make_source_folder(folder, {n: t for n, t in files.items() if t is not None}, read_only,
                       program=program, link=link)
    for name, text in files.items():
        if text is None:
            (folder / name).mkdir()


class BothBuildsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        linux_bin = Path(os.environ.get("FOLVANE_LINUX_BIN", ""))
        cls.linux_setup = linux_bin / "folvane-setup"
        cls.spoolctl = linux_bin / "spoolctl"
        missing = [p for p in (cls.linux_setup, cls.spoolctl) if not p.is_file()]
        if missing:
            raise AssertionError(f"the Linux build is missing {missing}; build it first")
        cls.work = Path(lab.lab_dir) / "both"

    def test_same_outcome_on_both_builds(self):
        for scenario in SCENARIOS:
            name = scenario[0]
            with self.subTest(name):
                linux = self.run_linux(*scenario)
                wine = self.run_wine(*scenario)
                for side, outcome in (("linux", linux), ("wine", wine)):
                    self.assertEqual(outcome.pop("versions") - {VERSION[side]}, set(), side)
                self.assertEqual(linux, wine)

    # --- one run on each build, reduced to what both can show ------------------------------

    @staticmethod
    def outcome(side, exit_status, boxes, registrations, files, earlier):
        """boxes: (style, title, text); registrations: (name, version, driver, data, config);
        files: {name: read-only}. "versions" holds those of the run's own registrations."""
        texts = SYSTEM_TEXTS[side]
        return {
            "exit status": exit_status,
            "boxes": [(f"0x{style:04x}", title, texts.get(text, text))
                      for style, title, text in boxes],
            "drivers": sorted((name, basename(d), basename(data), basename(c))
                              for name, _, d, data, c in registrations),
            "versions": {version for name, version, *_ in registrations if name not in earlier},
            "files": files,
        }

    def run_wine(self, name, files, read_only, earlier, args, answers):
        lab.reset()
        folder = self.work / "wine" / "source"
        make_folder(folder, files, read_only, lab.setup_exe, link=False)
        try:
            for driver in earlier:
                lab.add_driver(driver, OLD_FILES)
            run = lab.run(folder, args, answers)
            registrations, attributes = lab.state()
        finally:
            remove_tree(folder)
        return self.outcome("wine", run.exit_status,
                            [(b.style, b.caption, b.text) for b in run.boxes], registrations,
                            {n: bool(a & 0x1) for n, a in attributes.items()}, earlier)

    def run_linux(self, name, files, read_only, earlier, args, answers):
        root = self.work / "linux" / "root"
        folder = self.work / "linux" / "source"
        remove_tree(root)
        # The program finds its source folder from its own path: a hard link puts it there.
        make_folder(folder, files, read_only, self.linux_setup, link=True)
        env = dict(os.environ, WINSHIM_ROOT=str(root))
        try:
            driver_dir = Path(self.spoolctl_run(env, "dir").strip())
            for driver in earlier:
                for file in set(OLD_FILES):
                    (driver_dir / file).write_bytes(b"placeholder of an earlier driver\r\n")
                self.spoolctl_run(env, "add", driver, "--version", "3",
                                  "--driver", str(driver_dir / OLD_FILES[0]),
                                  "--data", str(driver_dir / OLD_FILES[1]),
                                  "--config", str(driver_dir / OLD_FILES[2]))
            with tempfile.TemporaryDirectory() as scratch:
                box_log = Path(scratch) / "boxes"
                run = subprocess.run([str(folder / "folvane-setup"), *args],
                                     env=dict(env, WINSHIM_ANSWERS=",".join(answers),
                                              WINSHIM_BOXLOG=str(box_log)),
                                     stdin=subprocess.DEVNULL, capture_output=True,
                                     timeout=RUN_TIMEOUT)
                lines = box_log.read_text("latin-1").splitlines() if box_log.exists() else []
            boxes = [line.split("\t") for line in lines]
            boxes = [(int(s, 16), unescape_field(t), unescape_field(x)) for s, t, x in boxes]
            registrations = []
            for line in self.spoolctl_run(env, "list").splitlines():
                n, version, *paths = [unescape_field(f) for f in line.split("\t")]
                registrations.append((n, int(version), *paths))
            # Read-only on the stand-in is a file without write bits.
            files = {p.name: not p.stat().st_mode & 0o222
                     for p in driver_dir.iterdir() if p.is_file()}
        finally:
            remove_tree(folder)
            remove_tree(root)
        return self.outcome("linux", run.returncode, boxes, registrations, files, earlier)

    def spoolctl_run(self, env, *args):
        result = subprocess.run([str(self.spoolctl), *args], env=env, capture_output=True,
                                text=True, timeout=RUN_TIMEOUT)
        self.assertEqual(result.returncode, 0, f"spoolctl {args}: {result.stderr}")
        return result.stdout


if __name__ == "__main__":
    unittest.main()
