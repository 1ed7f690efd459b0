"""folvane-setup.exe end to end under Wine: Wine's spooler, file system and message boxes.

Run by CTest with FOLVANE_WINDOWS_BIN (the folder holding folvane-setup.exe and wine-probe.exe)
and FOLVANE_WINE_LAB (a folder of the build tree for the prefix and the cases' driver folders).
"""

import os
import unittest
from pathlib import Path

from winelab import CAPTION, WineLab, make_source_folder, remove_tree, windows_path

from fixtures import (ALL_COPIED, ARCHIVE, ASK, CONFIRMATION, DRIVER_FILES, ERROR, FAILED,
                      HIDDEN, INFO, PPD_NAMELESS, READONLY, SUCCEEDED, SYSTEM, TWO_MODELS,
                      WINE_FILE_NOT_FOUND)

lab = None


def setUpModule():
    global lab
    lab = WineLab(os.environ["FOLVANE_WINDOWS_BIN"], os.environ["FOLVANE_WINE_LAB"]).start()


def tearDownModule():
    if lab is not None:
        lab.stop()


class WineCase(unittest.TestCase):
    def setUp(self):
        self.fresh_machine()

    def fresh_machine(self):
        """No driver registered, an empty driver directory, no source folder yet."""
        lab.reset()
        # A blank in the folder's name: Wine then hands the program a quoted name, as Windows
        # does for a folder like "Program Files".
        self.folder = lab.lab_dir / "cases" / ("Folvane " + self.id().rsplit(".", 1)[-1])
        remove_tree(self.folder)

    def tearDown(self):
        remove_tree(self.folder)

    def source(self, files, read_only=()):
        return make_source_folder(self.folder, files, read_only, program=lab.setup_exe)

    def assertBoxes(self, run, expected):
        """expected: (style, text) per box, in order; every box carries the setup title."""
        self.assertEqual([(hex(b.style), b.text) for b in run.boxes],
                         [(hex(style), text) for style, text in expected])
        self.assertTrue(all(b.caption == CAPTION for b in run.boxes), run.boxes)
        self.assertEqual(run.exit_status, 0, "every way through the program ends with 0")


class RunTest(WineCase):
    def test_run_outcomes(self):
        earlier = ["Kaldoran 1200 PS", "KALDORAN lower case", "kaldoranx", "TAVIMOR Proof",
                   "tavimor mixed", "Other Vendor PS", "Kaldora short", "My Kaldoran", "TAVIMO"]
        kept = {"Other Vendor PS", "Kaldora short", "My Kaldoran", "TAVIMO"}
        old_files = {"OLD.DLL": ARCHIVE, "OLD.PPD": ARCHIVE}
        cases = [
            # name, source files, earlier drivers, arguments, answers,
            # boxes, drivers afterwards, files in the driver directory afterwards
            ("interactive success", TWO_MODELS, [], [], ["ok", "ok"],
             [(ASK, CONFIRMATION), (INFO, SUCCEEDED)],
             {"Folvane 2400 PS", "Folvane 3100C PS"}, ALL_COPIED),
            ("cancel touches nothing", TWO_MODELS, ["Kaldoran 1200 PS"], [], ["cancel"],
             [(ASK, CONFIRMATION)], {"Kaldoran 1200 PS"}, old_files),
            ("quiet success shows no box", TWO_MODELS, [], ["quiet"], [],
             [], {"Folvane 2400 PS", "Folvane 3100C PS"}, ALL_COPIED),
            ("quiet failure without PPD", DRIVER_FILES, [], ["quiet"], [],
             [(ERROR, WINE_FILE_NOT_FOUND), (ERROR, FAILED)],
             set(), {name: ARCHIVE for name in DRIVER_FILES}),
            ("earlier drivers of both prefixes go, others stay", TWO_MODELS, earlier, ["quiet"], [],
             [], kept | {"Folvane 2400 PS", "Folvane 3100C PS"}, dict(ALL_COPIED, **old_files)),
            # The nameless PPD comes second in the search: the first model stays registered and
            # the failure has no text of its own.
            ("PPD without NickName", dict(TWO_MODELS, **{"K3100C.PPD": PPD_NAMELESS}), [], [],
             ["ok"], [(ASK, CONFIRMATION), (ERROR, FAILED)], {"Folvane 2400 PS"}, ALL_COPIED),
        ]
        for name, files, drivers, args, answers, boxes, drivers_after, files_after in cases:
            with self.subTest(name):
                self.fresh_machine()
                self.source(files)
                for driver in drivers:
                    lab.add_driver(driver)
                run = lab.run(self.folder, args, answers)
                self.assertBoxes(run, boxes)
                registered, copied = lab.state()
                self.assertEqual({r.name for r in registered}, drivers_after)
                self.assertEqual(copied, files_after)
                for r in registered:
                    if r.name.startswith("Folvane"):
                        self.assertEqual(Path(r.driver_path.replace("\\", "/")).name, "PSCRIPT.DLL")
                        self.assertEqual(Path(r.config_file.replace("\\", "/")).name, "PSCRPTUI.DLL")
                        model = {"Folvane 2400 PS": "K2400.PPD", "Folvane 3100C PS": "K3100C.PPD"}
                        self.assertEqual(Path(r.data_file.replace("\\", "/")).name, model[r.name])

    def test_copies_carry_only_the_archive_attribute(self):
        self.source(TWO_MODELS, read_only=["PSCRIPT.DLL", "K2400.PPD"])
        # Hidden and system have no Linux counterpart; Wine keeps them for its own files.
        lab.probe("attrib", windows_path(self.folder / "PSCRPTUI.DLL"),
                  f"{READONLY | HIDDEN | SYSTEM:x}")
        before = self.source_attributes()
        self.assertEqual(before["PSCRIPT.DLL"] & READONLY, READONLY)
        self.assertEqual(before["PSCRPTUI.DLL"] & (READONLY | HIDDEN | SYSTEM),
                         READONLY | HIDDEN | SYSTEM)

        run = lab.run(self.folder, ["quiet"])

        self.assertBoxes(run, [])
        registered, copied = lab.state()
        self.assertEqual(copied, ALL_COPIED)
        self.assertEqual({r.name for r in registered}, {"Folvane 2400 PS", "Folvane 3100C PS"})
        self.assertEqual(self.source_attributes(), before, "the source files are left as they were")

    def source_attributes(self):
        return lab.attributes_in(self.folder)


class ArgumentSpellingTest(WineCase):
    def test_only_the_whole_text_quiet_in_any_case_is_quiet(self):
        exe = "folvane-setup.exe"  # the line's own spelling of the name; the path is given apart
        cases = [
            # name, arguments for `wine EXE ...` or None, exact command line or None, quiet
            ("QUIET", ["QUIET"], None, True),
            ("Quiet", ["Quiet"], None, True),
            ("quiet with trailing blank, quoted by Wine", ["quiet "], None, False),
            ("no argument", [], None, False),
            ("two words", ["quiet", "now"], None, False),
            ("blanks and a tab before quiet", None, f"{exe}   \tquiet", True),
            ("trailing blank unquoted", None, f"{exe} quiet ", False),
            ("quoted name, no blank before quiet", None, f'"{exe}"quiet', True),
            ("quiet in quotes", None, f'{exe} "quiet"', False),
            ("/quiet", None, f"{exe} /quiet", False),
        ]
        self.source(TWO_MODELS)
        for name, args, line, quiet in cases:
            with self.subTest(name):
                # Not quiet: the question comes first and Cancel ends the run untouched.
                run = lab.run(self.folder, args or [], ["cancel"], command_line=line)
                self.assertBoxes(run, [] if quiet else [(ASK, CONFIRMATION)])


if __name__ == "__main__":
    unittest.main()
