#!/usr/bin/env python3
"""Times versel's screen of a chronology beside the same computation written
plainly with numpy (screen_numpy.py), in one run:

  (a) one station of 120 years against a 120-year chronology: every window
      of 1-12 months over 2 years (222), 1,000 bootstrap resamples;
  (b) 20,000 stations of 120 years, every window, Fisher intervals (versel
      writes the csv of 4.4 million rows; numpy only computes);
  (c) the map of every cell of a grid of the CRU TS shape (make_cru_like.py
      writes it when --grid names a file that is not there), every window,
      the best window's r, first month and length as nc; beside it the nc
      run of the four seasons of the same grid.

Each case runs --runs times in turn with the others; the median wall time and
the largest peak memory are printed, and the ratios.

    bench/screen_runs.py build/versel [--dir /tmp/screen-bench] [--runs 3]
                         [--grid /tmp/cru_like.nc]
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
NUMPY = "/usr/bin/python3"


def run(cmd, cwd):
    start = time.monotonic()
    proc = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out, err = proc.communicate()
    wall = time.monotonic() - start
    if proc.returncode != 0:
        sys.exit(f"{' '.join(cmd)} failed:\n{err.decode(errors='replace')}")
    usage = os.wait4 if False else None  # peak memory from the resource of children below
    return wall, out.decode(errors="replace")


def peak_of(cmd, cwd):
    """Peak memory (MB) of one run, by GNU time when it is there."""
    if not os.path.exists("/usr/bin/time"):
        return float("nan")
    p = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd, cwd=cwd, capture_output=True, text=True)
    try:
        return int(p.stderr.strip().splitlines()[-1]) / 1024.0
    except (ValueError, IndexError):
        return float("nan")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("versel")
    ap.add_argument("--dir", default="/tmp/screen-bench")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--grid", default="")
    args = ap.parse_args()
    versel = os.path.abspath(args.versel)
    d = args.dir
    os.makedirs(d, exist_ok=True)
    if not os.path.exists(os.path.join(d, "stations.dat")):
        subprocess.run([NUMPY, os.path.join(HERE, "screen_numpy.py"), "--make", d], check=True,
                       stdout=subprocess.DEVNULL)
    # (a) reads the first station of the file
    one = os.path.join(d, "one.dat")
    if not os.path.exists(one):
        lines = open(os.path.join(d, "stations.dat")).read().split("\n")
        keep = [lines[0]] + [l for l in lines[1:] if l[:5].strip().isdigit()][:120]
        open(one, "w").write("\n".join(keep) + "\n")
    chron = os.path.join(d, "chronology.txt")
    cases = {
        "(a) versel": [versel, "-q", "-k", "csv", "-d", "7", "--chronology", chron, "--screen",
                       "--bootstrap", "1000", "-o", "a", one],
        "(a) numpy": [NUMPY, os.path.join(HERE, "screen_numpy.py"), one, chron],
        "(b) versel": [versel, "-q", "-k", "csv", "-d", "7", "--chronology", chron, "--screen",
                       "-o", "b", os.path.join(d, "stations.dat")],
        "(b) numpy": [NUMPY, os.path.join(HERE, "screen_numpy.py"), os.path.join(d, "stations.dat"),
                      chron],
    }
    if args.grid:
        if not os.path.exists(args.grid):
            subprocess.run([NUMPY, os.path.join(HERE, "make_cru_like.py"), args.grid], check=True)
        cases["(c) versel map"] = [versel, "-q", "-k", "nc", "--layout", "netcdf", "--chronology",
                                   chron, "--screen", "-o", "c", args.grid]
        cases["(c) versel nc"] = [versel, "-q", "-k", "nc", "--layout", "netcdf", "-m",
                                  "00000000000113113113113", "-o", "cnc", args.grid]
    times = {name: [] for name in cases}
    for _ in range(args.runs):
        for name, cmd in cases.items():
            times[name].append(run(cmd, d)[0])
    medians = {name: statistics.median(t) for name, t in times.items()}
    for name, cmd in cases.items():
        print("%-16s median %7.3f s (min %.3f, max %.3f), peak %.0f MB"
              % (name, medians[name], min(times[name]), max(times[name]), peak_of(cmd, d)))
    print("(a) numpy / versel: %.1f" % (medians["(a) numpy"] / medians["(a) versel"]))
    print("(b) numpy / versel: %.1f" % (medians["(b) numpy"] / medians["(b) versel"]))
    if args.grid:
        print("(c) map / nc run: %.2f" % (medians["(c) versel map"] / medians["(c) versel nc"]))


if __name__ == "__main__":
    main()
