#!/usr/bin/env python3
"""Times whole runs of versel on the same values in every layout.

20,000 stations of 120 years (1901-2020), 2% of the months missing, written
once in the layout of data set 7 ("(1x,i4,12f5.1)", tenths without a point),
in the free layout with blanks and with commas, in ghcnm and in climdiv
(about 160 to 230 MB each; kept in --dir and made again only when missing).
Each file is run for grd and tsf several times, the layouts in turn; the
median wall and CPU times of each case are printed, and the ratios of each
layout to data set 7.

    bench/layout_runs.py build/versel [--runs 5] [--dir /tmp/versel-layouts]
                         [--stations 20000] [--kinds grd,tsf]
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import time

YEARS = range(1901, 2021)


def values(stations):
    """Station by station, the year and its twelve tenths (None: missing)."""
    rnd = random.Random(2024)
    for s in range(stations):
        rows = []
        for y in YEARS:
            rows.append((y, [None if rnd.random() < 0.02 else rnd.randint(-300, 350)
                             for _ in range(12)]))
        yield s, rows


def tenths(t):
    return "%.1f" % (t / 10)


def writers():
    """Per layout: (file name, extra arguments, header of a station, year line)."""
    return {
        "set7": ("set7.dat", ["-d", "7"],
                 lambda s: "STATION %05d %6.2f%7.2f" % (s, 41.5, -90.25),
                 lambda s, y, row: " %4d" % y + "".join("%5d" % (-9999 if t is None else t)
                                                        for t in row)),
        "free": ("free.txt", ["--layout", "free"],
                 lambda s: "STATION %05d" % s,
                 lambda s, y, row: str(y) + "".join(" -999.9" if t is None else " " + tenths(t)
                                                    for t in row)),
        "free_commas": ("free.csv", ["--layout", "free"],
                        lambda s: "STATION,%05d" % s,
                        lambda s, y, row: str(y) + "".join("," if t is None else "," + tenths(t)
                                                           for t in row)),
        "ghcnm": ("ghcnm.dat", ["--layout", "ghcnm"], None,
                  lambda s, y, row: "ZZM%08d%04dTAVG" % (s, y) +
                  "".join("%5d   " % (-9999 if t is None else t * 10) for t in row)),
        "climdiv": ("climdiv.txt", ["--layout", "climdiv"], None,
                    lambda s, y, row: "%04d02%04d" % (s % 10000, y) +
                    "".join(" -99.90" if t is None else "%7.2f" % (t / 10) for t in row)),
    }


def make(path, header, year_line, stations):
    if os.path.exists(path) and os.path.getsize(path) > 0:
        return
    part = path + ".part"
    with open(part, "w") as f:
        for s, rows in values(stations):
            out = [header(s)] if header else []
            out += [year_line(s, y, row) for y, row in rows]
            f.write("\n".join(out) + "\n")
    os.replace(part, path)


def time_run(versel, cwd, args):
    """Wall time and CPU time (user and system) of one run."""
    before = os.times()
    start = time.perf_counter()
    done = subprocess.run([versel] + args, cwd=cwd, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    after = os.times()
    if done.returncode != 0:
        sys.exit("versel %s: status %d\n%s" % (" ".join(args), done.returncode,
                                                done.stderr.decode(errors="replace")))
    cpu = (after.children_user - before.children_user) + (after.children_system -
                                                          before.children_system)
    return elapsed, cpu


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("versel")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--dir", default="/tmp/versel-layouts")
    ap.add_argument("--stations", type=int, default=20000)
    ap.add_argument("--kinds", default="grd,tsf")
    a = ap.parse_args()
    versel = os.path.abspath(a.versel)
    os.makedirs(a.dir, exist_ok=True)
    layouts = writers()
    for name, (file, _, header, year_line) in layouts.items():
        path = os.path.join(a.dir, "%d_%s" % (a.stations, file))
        t0 = time.perf_counter()
        make(path, header, year_line, a.stations)
        print("%-12s %s, %.0f MB%s" % (name, path, os.path.getsize(path) / 1e6,
                                        "" if time.perf_counter() - t0 < 1 else " (made)"))
    print()
    for kind in a.kinds.split(","):
        runs = {}
        for name, (file, args, _, _) in layouts.items():
            runs[name] = ["-q", "-k", kind, "-m", "00001113111311131113", "-o", "out_" + name] + \
                args + ["%d_%s" % (a.stations, file)]
            time_run(versel, a.dir, runs[name])  # a warm-up: the file into the page cache
        # the layouts in turn, round after round: a machine that others share
        # slows all of them alike
        times = {name: [] for name in layouts}
        for _ in range(a.runs):
            for name in layouts:
                times[name].append(time_run(versel, a.dir, runs[name]))
        wall = {n: statistics.median(t[0] for t in ts) for n, ts in times.items()}
        cpu = {n: statistics.median(t[1] for t in ts) for n, ts in times.items()}
        for name in layouts:
            print("%s %-12s median wall %5.2f s, cpu %5.2f s  (wall: %s)" % (
                kind, name, wall[name], cpu[name], " ".join("%.2f" % t[0] for t in times[name])))
        for label, m in (("wall", wall), ("cpu", cpu)):
            print("%s ratios of the %s times to data set 7: %s" % (kind, label, ", ".join(
                "%s %.2f" % (n, v / m["set7"]) for n, v in m.items() if n != "set7")))
        print()
    return 0


if __name__ == "__main__":
    sys.exit(main())
