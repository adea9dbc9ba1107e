#!/usr/bin/env python3
"""Times whole runs of versel on generated data files.

The default set is the one of the tables versel once had: 500 stations of
200 year lines each, first years spread so that the file spans 1601-2000,
some months missing, in the layouts of data set 7 ("(1x,i4,12f5.1)", 6.6 MB)
and data set 12 ("(1x,i4,12f11.4)", 13.8 MB).

--real-size is the data of today, in the layout of data set 7 with 2% of the
months missing: 20,000 stations of 120 years (1901-2020, about 160 MB) and 40
stations of 400 years (1601-2000); --huge adds 67,420 stations of 120 years
(about 530 MB, the cells of a half-degree land grid).

Each file is run with piped answers for tsf, mat and grd several times, and
the median wall time and the peak memory of every case are printed.

    bench/versel_runs.py build/versel [--runs 7] [--dir /tmp/versel-bench]
                         [--real-size] [--huge]
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import time

STATIONS = 500
YEARS = 200


def first_year(s):
    return 1601 + (s * 201) // STATIONS  # 1601 .. 1801, so the file ends in 2000


def make_file(path, rnd, header, year_line):
    """500 stations: a header line each and 200 year lines, 1% of months missing."""
    out = []
    for s in range(STATIONS):
        out.append(header(s, rnd.uniform(-60, 70), rnd.uniform(-180, 180)))
        y0 = first_year(s)
        for y in range(y0, y0 + YEARS):
            out.append(" %4d" % y + "".join(year_line(rnd) for _ in range(12)))
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


def make_ds7(path, rnd):
    # tenths of a degree without a point; -9999 is the flag -999.9
    make_file(path, rnd, lambda s, lat, lon: "STATION%05d%6.2f%7.2f" % (s, lat, lon),
              lambda r: "%5d" % (r.randint(-300, 350) if r.random() > 0.01 else -9999))


def make_real_size(path, rnd, stations, first, years):
    """Data set 7 lines, 2% of the months missing, written as they are made."""
    with open(path, "w") as f:
        for s in range(stations):
            f.write("STATION%05d%6.2f%7.2f\n" % (s % 100000, rnd.uniform(-60, 70),
                                                  rnd.uniform(-180, 180)))
            for y in range(first, first + years):
                f.write(" %4d" % y + "".join(
                    "%5d" % (rnd.randint(-300, 350) if rnd.random() > 0.02 else -9999)
                    for _ in range(12)) + "\n")


def make_ds12(path, rnd):
    make_file(path, rnd, lambda s, lat, lon: "  %7.1f%7.1f  pdsi cell %d" % (lat, lon, s),
              lambda r: "%11.4f" % (r.uniform(-6, 6) if r.random() > 0.01 else -9999.0))


REAL_SIZE = {
    # file: (stations, first year, years)
    "stations20000.dat": (20000, 1901, 120),
    "years400.dat": (40, 1601, 400),
}
HUGE = {"stations67420.dat": (67420, 1901, 120)}

REAL_SIZE_CASES = [
    ("tsf twelve months", 1, "111111111111"),
    ("mat twelve months", 2, "111111111111"),
    ("grd four averages", 3, "111311131113"),
]

CASES = [
    # name, output kind, data set, mask
    ("tsf twelve months", 1, "111111111111"),
    ("tsf 2-year lag, four sums", 1, "111211121112111200000000"),
    ("mat twelve months", 2, "111111111111"),
    ("grd four averages", 3, "111311131113"),
]


def run_once(binary, workdir, answers):
    start = time.perf_counter()
    proc = subprocess.Popen([binary], cwd=workdir, stdin=subprocess.PIPE,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    proc.stdin.write(answers.encode())
    proc.stdin.close()
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    err = proc.stderr.read().decode(errors="replace")
    if proc.returncode != 0:
        raise SystemExit("versel failed (%d): %s" % (proc.returncode, err))
    return elapsed, usage.ru_maxrss / 1024.0


def time_cases(binary, workdir, name, ds, cases, runs):
    size = os.path.getsize(os.path.join(workdir, name)) / 1e6
    print("data set %d: %s, %.1f MB" % (ds, name, size))
    for label, kind, mask in cases:
        answers = "%d\n%s\n%d\n%s\n" % (kind, name, ds, mask)
        times, peaks = [], []
        for _ in range(runs):
            t, m = run_once(binary, workdir, answers)
            times.append(t)
            peaks.append(m)
        print("  %-28s median %.3f s (min %.3f, max %.3f), peak %.1f MB"
              % (label, statistics.median(times), min(times), max(times), max(peaks)),
              flush=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("binary")
    ap.add_argument("--runs", type=int, default=7)
    ap.add_argument("--dir", default="/tmp/versel-bench")
    ap.add_argument("--real-size", action="store_true")
    ap.add_argument("--huge", action="store_true")
    ap.add_argument("--generate", help=argparse.SUPPRESS)
    args = ap.parse_args()
    if args.generate:
        rnd = random.Random(1)
        if args.generate == "full":
            make_ds7(os.path.join(args.dir, "ds7.dat"), rnd)
            make_ds12(os.path.join(args.dir, "ds12.dat"), rnd)
        else:
            stations, first, years = {**REAL_SIZE, **HUGE}[args.generate]
            make_real_size(os.path.join(args.dir, args.generate), rnd, stations, first, years)
        return
    binary = os.path.abspath(args.binary)
    os.makedirs(args.dir, exist_ok=True)

    def generate(what):
        # in a process of its own, so that the peak memory measured for versel
        # is not the generator's, inherited through fork
        subprocess.run([sys.executable, __file__, binary, "--dir", args.dir, "--generate", what],
                       check=True)

    if args.real_size or args.huge:
        files = dict(REAL_SIZE) if args.real_size else {}
        if args.huge:
            files.update(HUGE)
        for name in files:
            if not os.path.exists(os.path.join(args.dir, name)):
                generate(name)
            time_cases(binary, args.dir, name, 7, REAL_SIZE_CASES, args.runs)
        return
    files = {7: "ds7.dat", 12: "ds12.dat"}
    if not all(os.path.exists(os.path.join(args.dir, f)) for f in files.values()):
        generate("full")
    for ds, name in files.items():
        time_cases(binary, args.dir, name, ds, CASES, args.runs)


if __name__ == "__main__":
    main()
