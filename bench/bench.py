#!/usr/bin/env python3
"""Measures a setup run against its floor, a plain copy of the same files, and against the
Windows build under Wine.

For each N it lays out a driver folder (PSCRIPT.DLL of 1 MB, PSCRPTUI.DLL of 300 KB, N PPDs of
about 40 KB whose *NickName stands after about 100 lines) and times, over several runs:
  - the quiet setup on the Linux stand-in, into a fresh WINSHIM_ROOT each time;
  - cp of the same files into an empty folder;
  - the Windows build under Wine on the same folder (prefix made beforehand), where it finishes
    in reasonable time.
For each M it times the removal of earlier drivers: a machine with M drivers, half of them the
product's, and a folder with one PPD; the cost per driver is the run's time less that of the
same run on an empty machine, divided by M.

Prints a table, writes results.csv and per_ppd.png (gnuplot) into the output folder.
"""
import argparse
import csv
import os
import re
import shutil
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def log(*args):
    print(*args, file=sys.stderr, flush=True)


# ---- the driver folder ----------------------------------------------------------------------

def ppd_text(index):
    lines = ['*PPD-Adobe: "4.3"', '*FormatVersion: "4.3"', '*FileVersion: "1.0"',
             '*LanguageVersion: English', '*LanguageEncoding: ISOLatin1',
             '*PCFileName: "BENCH%05d.PPD"' % index, '*Manufacturer: "Bench"',
             '*Product: "(Bench Model %05d)"' % index, '*ModelName: "Bench Model %05d"' % index,
             '*ShortNickName: "Bench %05d"' % index]
    while len(lines) < 100:
        n = len(lines)
        lines.append('*%% Option block %d: *Resolution %ddpi/%d dpi: "<</HWResolution [%d %d]>>setpagedevice"'
                     % (n, 300 + n, 300 + n, 300 + n, 300 + n))
    # Not the product's prefixes: a later run must not spend its time removing these.
    lines.append('*NickName: "Bench Model %05d PS"' % index)
    body = "\r\n".join(lines) + "\r\n"
    filler = []
    size = len(body)
    n = 0
    while size < 40 * 1024:
        line = '*PageSize Bench%05d/Bench size %05d: "<</PageSize [%d %d]/ImagingBBox null>>setpagedevice"\r\n' % (
            n, n, 500 + n, 700 + n)
        filler.append(line)
        size += len(line)
        n += 1
    return body + "".join(filler) + "*End\r\n"


def make_master(folder, count):
    folder.mkdir(parents=True, exist_ok=True)
    rng = os.urandom
    (folder / "PSCRIPT.DLL").write_bytes(rng(1024 * 1024))
    (folder / "PSCRPTUI.DLL").write_bytes(rng(300 * 1024))
    for i in range(count):
        (folder / ("BENCH%05d.PPD" % i)).write_text(ppd_text(i), newline="")


def make_folder(master, folder, count, program):
    """A driver folder with the first count PPDs of master (hard links) and the program."""
    folder.mkdir(parents=True)
    for name in ("PSCRIPT.DLL", "PSCRPTUI.DLL"):
        os.link(master / name, folder / name)
    for i in range(count):
        name = "BENCH%05d.PPD" % i
        os.link(master / name, folder / name)
    if program:
        shutil.copy2(program, folder / program.name)
    return folder


# ---- timing ---------------------------------------------------------------------------------

LAST_CPU = [0.0]


def timed(cmd, env=None, cwd=None):
    # stderr goes to a file, not a pipe: Wine's helper processes inherit it and would hold a pipe
    # open long after the program ended.
    with tempfile.TemporaryFile() as errors:
        before = os.times()
        start = time.perf_counter()
        result = subprocess.run(cmd, env=env, cwd=cwd, stdout=subprocess.DEVNULL, stderr=errors,
                                timeout=3600)
        elapsed = time.perf_counter() - start
        after = os.times()
        # CPU time too: wall time here moves in steps when the machine's CPU quota throttles.
        LAST_CPU[0] = (after.children_user - before.children_user +
                       after.children_system - before.children_system)
        if result.returncode != 0:
            errors.seek(0)
            raise RuntimeError("%s failed: %s" % (cmd[0], errors.read().decode(errors="replace")[-500:]))
    return elapsed


def peak_rss_kb(cmd, env):
    out = subprocess.run(["/usr/bin/time", "-v"] + cmd, env=env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True).stderr
    match = re.search(r"Maximum resident set size \(kbytes\): (\d+)", out)
    return int(match.group(1)) if match else None


def summary(samples):
    return statistics.median(samples), min(samples), max(samples)


def setup_env(root, boxlog=None):
    env = dict(os.environ)
    env["WINSHIM_ROOT"] = str(root)
    env.pop("WINSHIM_ANSWERS", None)
    if boxlog:
        env["WINSHIM_BOXLOG"] = str(boxlog)
    return env


def run_setup(work, folder, runs, check_count, check=True):
    """Quiet setup into a fresh root per run; checks the registrations of the first."""
    samples = []
    for r in range(runs):
        root = work / ("root-%s-%d" % (folder.name, r))
        boxlog = work / "boxes.log"
        boxlog.unlink(missing_ok=True)
        env = setup_env(root, boxlog)
        elapsed = timed([str(folder / "folvane-setup"), "quiet"], env=env)
        samples.append(elapsed)
        if r == 0 and check:
            if boxlog.exists() and boxlog.read_text().strip():
                raise RuntimeError("the quiet run showed boxes: " + boxlog.read_text()[:500])
            listed = subprocess.run([str(SPOOLCTL), "list"], env=env, capture_output=True, text=True)
            registered = len([l for l in listed.stdout.splitlines() if l.startswith("Bench Model")])
            if registered != check_count:
                raise RuntimeError("expected %d registrations, found %d" % (check_count, registered))
        shutil.rmtree(root)
    return samples


def peak_rss(work, folder):
    rss = peak_rss_kb([str(folder / "folvane-setup"), "quiet"], setup_env(work / "root-rss"))
    shutil.rmtree(work / "root-rss", ignore_errors=True)
    return rss


def run_cp(work, folder, runs):
    names = sorted(p.name for p in folder.iterdir() if p.name != "folvane-setup")
    samples = []
    for r in range(runs):
        dest = work / ("cp-%d" % r)
        dest.mkdir()
        elapsed = timed(["cp", "-t", str(dest)] + names, cwd=folder)
        samples.append(elapsed)
        shutil.rmtree(dest)
    return samples


class Wine:
    """The Windows build under Wine, on a prefix made once."""

    def __init__(self, work, exe):
        self.exe = exe
        self.env = dict(os.environ)
        self.env.update(WINEPREFIX=str(work / "wineprefix"), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("DISPLAY", None)  # quiet runs show no box; none may hang either
        subprocess.run(["wineboot", "-i"], env=self.env, check=True, capture_output=True, timeout=300)
        # Keep the server up between runs, as a Windows machine's spooler would be.
        self.server = subprocess.Popen(["wineserver", "-p", "-f"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.driver_dir = Path(self.env["WINEPREFIX"]) / "drive_c/windows/system32/spool/drivers/x64"

    def run(self, folder, runs):
        exe = folder / self.exe.name
        shutil.copy2(self.exe, exe)
        samples = []
        for r in range(runs):
            elapsed = timed(["wine", str(exe), "quiet"], env=self.env)
            samples.append(elapsed)
            if r == 0:
                # Wine keeps the files of a registered driver in the driver directory's version
                # folder: every PPD there means every one was copied and registered.
                copied = {p.name.upper() for p in self.driver_dir.rglob("BENCH*.PPD")}
                expected = {p.name.upper() for p in folder.glob("BENCH*.PPD")}
                if not expected <= copied:
                    raise RuntimeError("Wine's run left %d of %d PPDs in the driver directory"
                                       % (len(expected & copied), len(expected)))
        exe.unlink()
        return samples

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        self.server.wait(timeout=30)


def prepare_machine(work, count):
    """A stand-in machine with count drivers, half of them the product's. The store is made by
    spoolctl, as a user would; the drivers go in as one SQLite transaction, since ten thousand
    spoolctl processes would take longer than the measurement itself."""
    root = work / ("machine-%d" % count)
    env = setup_env(root)
    subprocess.run([str(SPOOLCTL), "add", "Bench Baseline Printer"], env=env, check=True,
                   capture_output=True)
    rows = [(("Kaldoran Old %06d" if i % 2 == 0 else "Other Printer %06d") % i,) for i in range(count)]
    with sqlite3.connect(str(root / "spooler.db")) as db:
        db.executemany("INSERT INTO drivers (environment, name, version, driver_path, data_file,"
                       " config_file) VALUES ('Windows x64', ?, 3, '', '', '')", rows)
    return root


def run_removal(work, folder, count, runs):
    template = prepare_machine(work, count)
    samples = []
    for r in range(runs):
        root = work / ("removal-%d-%d" % (count, r))
        shutil.copytree(template, root)
        env = setup_env(root)
        elapsed = timed([str(folder / "folvane-setup"), "quiet"], env=env)
        samples.append(elapsed)
        if r == 0 and count:
            listed = subprocess.run([str(SPOOLCTL), "list"], env=env, capture_output=True, text=True).stdout
            left = sum(1 for l in listed.splitlines() if l.startswith("Kaldoran"))
            if left:
                raise RuntimeError("%d earlier drivers were left" % left)
        shutil.rmtree(root)
    shutil.rmtree(template)
    return samples


# ---- output ---------------------------------------------------------------------------------

def write_chart(out, rows):
    data = out / "per_ppd.dat"
    with data.open("w") as f:
        for row in rows:
            f.write("%d %s %s %s\n" % (row["n"], row["setup_us_per_ppd"], row["cp_us_per_ppd"],
                                       row.get("wine_us_per_ppd") or "NaN"))
    script = """
set terminal pngcairo size 900,560 font ",11"
set output '%s'
set title 'Cost per PPD against the number of PPDs'
set logscale xy
set xlabel 'PPDs in the folder (N)'
set ylabel 'microseconds per PPD (median, log scale)'
set key top left
set grid
set datafile missing 'NaN'
plot '%s' using 1:2 with linespoints lw 2 title 'setup on the Linux stand-in', \\
     '%s' using 1:3 with linespoints lw 2 title 'cp of the same files', \\
     '%s' using 1:4 with linespoints lw 2 title 'setup under Wine'
""" % (out / "per_ppd.png", data, data, data)
    subprocess.run(["gnuplot"], input=script, text=True, check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sizes", default="100,1000,2000,10000")
    parser.add_argument("--removal", default="1000,10000")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--wine-max", type=int, default=2000, help="largest N run under Wine")
    parser.add_argument("--wine-runs", type=int, default=3)
    parser.add_argument("--no-wine", action="store_true")
    parser.add_argument("--build", default=str(ROOT / "build"))
    parser.add_argument("--windows-build", default=str(ROOT / "build-win"))
    parser.add_argument("--out", default=str(ROOT / "build-bench"))
    args = parser.parse_args()

    global SPOOLCTL
    program = Path(args.build) / "bin" / "folvane-setup"
    SPOOLCTL = Path(args.build) / "bin" / "spoolctl"
    exe = Path(args.windows_build) / "bin" / "folvane-setup.exe"
    sizes = [int(s) for s in args.sizes.split(",") if s]
    removal = [int(s) for s in args.removal.split(",") if s]
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)

    work = Path(tempfile.mkdtemp(prefix="folvane-bench-", dir=os.environ.get("BENCH_TMP")))
    wine = None
    rows = []
    try:
        log("generating %d PPDs in %s" % (max(sizes), work))
        master = work / "master"
        make_master(master, max(sizes + [1]))
        if not args.no_wine and exe.exists() and shutil.which("wine"):
            log("preparing the Wine prefix")
            wine = Wine(work, exe)
        for n in sizes:
            folder = make_folder(master, work / ("folder-%d" % n), n, program)
            # Alternating runs, so that both see the file system in the same state (the page
            # cache, the inodes freed by the run before).
            setup_samples, cp_samples, setup_cpu, cp_cpu = [], [], [], []
            for r in range(args.runs):
                log("N=%d: setup and cp, run %d" % (n, r + 1))
                setup_samples += run_setup(work, folder, 1, n, check=(r == 0))
                setup_cpu.append(LAST_CPU[0])
                cp_samples += run_cp(work, folder, 1)
                cp_cpu.append(LAST_CPU[0])
            rss = peak_rss(work, folder)
            wine_samples = None
            if wine and n <= args.wine_max:
                log("N=%d: wine" % n)
                wine_samples = wine.run(folder, args.wine_runs)
            s, c = summary(setup_samples), summary(cp_samples)
            row = {"n": n, "setup_median_s": s[0], "setup_min_s": s[1], "setup_max_s": s[2],
                   "cp_median_s": c[0], "cp_min_s": c[1], "cp_max_s": c[2],
                   "run_cp_ratio": s[0] / c[0], "setup_us_per_ppd": s[0] / n * 1e6,
                   "run_cp_cpu_ratio": statistics.median(setup_cpu) / max(statistics.median(cp_cpu), 1e-9),
                   "cp_us_per_ppd": c[0] / n * 1e6, "peak_rss_kb": rss}
            if wine_samples:
                w = summary(wine_samples)
                row.update(wine_median_s=w[0], wine_min_s=w[1], wine_max_s=w[2],
                           wine_run_ratio=w[0] / s[0], wine_us_per_ppd=w[0] / n * 1e6)
            rows.append(row)
            shutil.rmtree(folder)

        removal_rows = []
        if removal:
            folder = make_folder(master, work / "folder-removal", 1, program)
            base = summary(run_removal(work, folder, 0, args.runs))
            for m in removal:
                log("M=%d: removal" % m)
                r = summary(run_removal(work, folder, m, args.runs))
                removal_rows.append({"m": m, "median_s": r[0], "min_s": r[1], "max_s": r[2],
                                     "us_per_driver": (r[0] - base[0]) / m * 1e6,
                                     "us_per_driver_min": (r[1] - base[0]) / m * 1e6,
                                     "us_per_driver_max": (r[2] - base[0]) / m * 1e6})
    finally:
        if wine:
            wine.close()
        shutil.rmtree(work, ignore_errors=True)

    fields = ["n", "setup_median_s", "setup_min_s", "setup_max_s", "cp_median_s", "cp_min_s",
              "cp_max_s", "run_cp_ratio", "run_cp_cpu_ratio", "setup_us_per_ppd", "cp_us_per_ppd", "peak_rss_kb",
              "wine_median_s", "wine_min_s", "wine_max_s", "wine_run_ratio", "wine_us_per_ppd"]
    with (out / "results.csv").open("w", newline="") as f:
        writer = csv.DictWriter(f, fieldnames=fields)
        writer.writeheader()
        writer.writerows(rows)
    with (out / "removal.csv").open("w", newline="") as f:
        writer = csv.DictWriter(f, fieldnames=["m", "median_s", "min_s", "max_s", "us_per_driver",
                                               "us_per_driver_min", "us_per_driver_max"])
        writer.writeheader()
        writer.writerows(removal_rows)
    write_chart(out, rows)

    print("%7s %22s %22s %8s %8s %9s %9s %24s %8s %8s" % (
        "N", "setup s (min-max)", "cp s (min-max)", "run/cp", "cpu r/c", "us/PPD", "cp us/PPD",
        "wine s (min-max)", "wine/run", "RSS MB"))
    for r in rows:
        wine_text = ("%.3f (%.3f-%.3f)" % (r["wine_median_s"], r["wine_min_s"], r["wine_max_s"])
                     if "wine_median_s" in r else "-")
        print("%7d %22s %22s %8.2f %8.2f %9.1f %9.1f %24s %8s %8.1f" % (
            r["n"], "%.3f (%.3f-%.3f)" % (r["setup_median_s"], r["setup_min_s"], r["setup_max_s"]),
            "%.3f (%.3f-%.3f)" % (r["cp_median_s"], r["cp_min_s"], r["cp_max_s"]),
            r["run_cp_ratio"], r["run_cp_cpu_ratio"], r["setup_us_per_ppd"], r["cp_us_per_ppd"], wine_text,
            "%.1f" % r["wine_run_ratio"] if "wine_run_ratio" in r else "-",
            (r["peak_rss_kb"] or 0) / 1024))
    if len(rows) >= 2:
        print("per-PPD cost at N=%d / N=%d: %.2f" % (rows[-1]["n"], rows[0]["n"],
                                                    rows[-1]["setup_us_per_ppd"] / rows[0]["setup_us_per_ppd"]))
    for r in removal_rows:
        print("removal M=%6d: %.3f s (%.3f-%.3f), %.1f us per driver (%.1f-%.1f)" % (
            r["m"], r["median_s"], r["min_s"], r["max_s"], r["us_per_driver"],
            r["us_per_driver_min"], r["us_per_driver_max"]))
    if len(removal_rows) >= 2:
        print("removal per-driver cost at M=%d / M=%d: %.2f" % (
            removal_rows[-1]["m"], removal_rows[0]["m"],
            removal_rows[-1]["us_per_driver"] / removal_rows[0]["us_per_driver"]))
    print("wrote %s, %s and %s" % (out / "results.csv", out / "removal.csv", out / "per_ppd.png"))


if __name__ == "__main__":
    main()
