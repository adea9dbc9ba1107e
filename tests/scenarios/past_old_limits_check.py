"""Runs versel on files past the fixed tables it once had, and compares every
output file byte for byte with an independent computation (reference.py).

- one station of 400 year lines (1601-2000, a year gap, missing months) and a
  short one, in tsf, mat and grd; a mat run of 14 climate variables over the
  400 years (5600 rows, once more than the 4800 the matrix had);
- 2345 stations (once 500) in tsf, grd and mat, where every mat row is one
  line of 2345 values (the row format holds 2000 per pass).

usage: past_old_limits_check.py VERSEL WORK_DIR
"""
import os
import pathlib
import random
import shutil
import subprocess
import sys

import reference as R

FLAG = -999.9
YEAR_LINE = "(1x,i4,12f5.1)"


def year_line(rnd, year, missing=0.0):
    values = ["%5d" % (-9999 if rnd.random() < missing else rnd.randint(-250, 350))
              for _ in range(12)]
    return " %4d" % year + "".join(values)


def header(name, lat, lon):
    return "%-12s%6.2f%7.2f" % (name[:12], lat, lon)


def long_file(rnd):
    lines = [header("LONG RECORD", 47.80, 11.01)]
    for year in range(1601, 2001):
        if year in (1700, 1701):  # two years not in the file
            continue
        lines.append(year_line(rnd, year, 0.03))
    lines.append(header("SHORT", -12.50, 130.25))
    lines += [year_line(rnd, y) for y in range(1850, 1901)]
    return lines


def many_file(rnd):
    lines = []
    for k in range(2345):
        lines.append(header("CELL%05d" % k, rnd.uniform(-60, 70), rnd.uniform(-180, 180)))
        first = 1950 + k % 7
        lines += [year_line(rnd, y, 0.02) for y in range(first, first + 3)]
    return lines


def coordinates(h):
    return (R.f32(float(h[12:18])), R.f32(float(h[18:25])))


def tsf_header(h):
    return " " + h[:100].ljust(100)


def run(versel, work, data, kind, mask):
    answers = "%d\n%s\n7\n%s\n" % (kind, data, mask)
    p = subprocess.run([versel], cwd=work, input=answers.encode(), capture_output=True)
    if p.returncode != 0:
        raise SystemExit("versel %s kind %d mask %s: status %d\n%s"
                         % (data, kind, mask, p.returncode, p.stderr.decode(errors="replace")))


def main():
    versel, work = sys.argv[1], pathlib.Path(sys.argv[2])
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    rnd = random.Random(400)
    for name, lines in (("long.dat", long_file(rnd)), ("many.dat", many_file(rnd))):
        (work / name).write_text("\n".join(lines) + "\n")
    flag = R.f32(FLAG)
    faults = 0
    cases = [
        ("long.dat", 1, "00001113111311131113"),
        ("long.dat", 2, "11111111111111"),
        ("long.dat", 3, "111311131113"),
        ("many.dat", 1, "111211131113"),
        ("many.dat", 2, "000001120003"),
        ("many.dat", 3, "0000111100000000"),
    ]
    for data, kind, mask in cases:
        stations = R.read_stations(work / data, YEAR_LINE, FLAG, coordinates)
        m = R.Mask(mask)
        run(versel, work, data, kind, mask)
        stem = data.split(".")[0]
        if kind == 1:
            faults += R.compare(work, stem + "_sea", R.tsf(stations, m, flag, tsf_header))
        elif kind == 2:
            sea, key = R.mat(stations, m, flag)
            faults += R.compare(work, stem + "_sea", sea)
            faults += R.compare(work, stem + "_key", key)
        else:
            faults += R.compare(work, stem + "_sea", R.grd(stations, m, flag))
        print("%s kind %d mask %s: %s" % (data, kind, mask, "differs" if faults else "as computed"))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
