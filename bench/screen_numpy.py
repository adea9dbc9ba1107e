#!/usr/bin/env python3
"""The screen's computation written plainly with numpy, to time beside versel.

Reads what versel reads: a station file in the layout of data set 7
("(1x,i4,12f5.1)": a name line, then year lines of twelve tenths, -9999
missing) or in the free layout (--layout free: a name line, then a year and
twelve values separated by blanks or commas, empty or -999.9 missing), and a
two-column chronology (year and value; titles and NA allowed). Then times

  (a) the first station against the chronology: every window of 1-12
      months over 2 years (222 windows), each window's average by cumulative
      sums, Pearson's r over the years both have, p from Student's t, and a
      95 % interval from 1,000 bootstrap resamples of the paired years
      (percentile interval, numpy's linear rule);
  (b) every station (20,000 of 120 years in the file --make writes), every
      window, Pearson's r, p and Fisher's 95 % interval, vectorised over
      the stations window by window.

bench/screen_timing.cpp times versel's functions on the same files; a run
of both compares them:

    bench/screen_numpy.py --make /tmp/screen-bench     # stations.dat, chronology.txt
                                                       # (--layout free: stations.txt)
    bench/screen_numpy.py /tmp/screen-bench/stations.dat /tmp/screen-bench/chronology.txt
    build/bench/screen_timing /tmp/screen-bench/stations.dat /tmp/screen-bench/chronology.txt

The made-up stations share a regional signal; the chronology follows the
regional June-August of the previous year, which (a) and (b) must find.
"""
import argparse
import os
import sys
import time

import numpy as np

try:
    from scipy.special import betainc
except ImportError:  # p-values are then left out of the timing
    betainc = None

FLAG = -999.9
MONTHS = "JFMAMJJASOND"
MONTH_NAMES = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
Z95 = 1.959964


# ---- inputs ----

def read_set7(path):
    """Stations of data set 7: a list of (first year, months (years, 12) with NaN)."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    stations, years, rows = [], [], []

    def close():
        if rows:
            block = np.frombuffer(b"".join(rows), dtype=np.uint8).reshape(len(rows), 65)
            stations.append((years[0], np.array(years), block))

    for line in lines:
        line = line.rstrip(b"\r")
        if len(line) >= 65 and line[0:1] == b" " and line[1:5].strip().lstrip(b"-").isdigit():
            rows.append(line[:65])
            years.append(int(line[1:5]))
        else:
            close()
            years, rows = [], []
    close()
    out = []
    for first, yrs, block in stations:
        fields = block[:, 5:65].reshape(len(yrs), 12, 5)
        digits = np.where((fields >= 48) & (fields <= 57), fields - 48, 0).astype(np.int64)
        value = (digits * np.array([10000, 1000, 100, 10, 1])).sum(axis=2)
        value = np.where((fields == ord("-")).any(axis=2), -value, value)
        months = np.where(value == -9999, np.nan, value / 10.0)
        out.append(fill_years(yrs, months))
    return out


def read_free(path):
    out, years, rows = [], [], []
    with open(path) as f:
        for line in f:
            sep = "," if "," in line else None
            fields = [x.strip() for x in line.strip().split(sep)]
            try:
                year = int(fields[0])
                vals = [np.nan if (v == "" or float(v) == FLAG) else float(v) for v in fields[1:13]]
                ok = len(vals) == 12
            except (ValueError, IndexError):
                ok = False
            if ok:
                years.append(year)
                rows.append(vals)
            elif rows:
                out.append(fill_years(np.array(years), np.array(rows)))
                years, rows = [], []
    if rows:
        out.append(fill_years(np.array(years), np.array(rows)))
    return out


def fill_years(years, months):
    """Skipped years as missing months."""
    first = int(years[0])
    full = np.full((int(years[-1]) - first + 1, 12), np.nan)
    full[years - first] = months
    return first, full


def read_chronology(path):
    years, values = [], []
    with open(path) as f:
        for line in f:
            for sep in ("\t", ";", ","):
                if sep in line:
                    fields = line.strip().split(sep)
                    break
            else:
                fields = line.split()
            try:
                year = int(fields[0])
            except (ValueError, IndexError):
                continue
            v = fields[1].strip() if len(fields) > 1 else ""
            years.append(year)
            values.append(np.nan if v in ("", "NA", "NaN", "-") else float(v))
    first = years[0]
    chron = np.full(years[-1] - first + 1, np.nan)
    chron[np.array(years) - first] = values
    return first, chron


# ---- the computation ----

def windows(span=2, longest=12):
    """(first, length, offset from January of the label year), by length then first month."""
    months = 12 * span
    return [(first, length, first - 12 * (span - 1))
            for length in range(1, min(longest, months) + 1)
            for first in range(0, months - length + 1)]


def window_name(span, first, length):
    back = span - 1 - (first + length - 1) // 12
    if length == 1:
        name = MONTH_NAMES[first % 12]
    else:
        name = "".join(MONTHS[(first + k) % 12] for k in range(length))
    return name + ("-%d" % back if back else "") + "_avg"


def running_sums(months):
    """Cumulative sums of the valid months and of their count, along the last axis."""
    valid = np.isfinite(months)
    zero = np.zeros(months.shape[:-1] + (1,))
    s = np.concatenate([zero, np.cumsum(np.where(valid, months, 0.0), axis=-1)], axis=-1)
    c = np.concatenate([zero, np.cumsum(valid, axis=-1)], axis=-1)
    return s, c


def window_values(s, c, offset, length, years, min_months=0):
    """The window's average for each label year (last axis), NaN where it cannot be had."""
    need = length if min_months <= 0 else min(min_months, length)
    a = 12 * np.arange(years) + offset
    ok = a >= 0
    a = np.where(ok, a, 0)
    b = a + length
    total = s[..., b] - s[..., a]
    count = c[..., b] - c[..., a]
    return np.where(ok & (count >= need), total / np.maximum(count, 1), np.nan)


def pearson(x, y):
    """r and n of rows of x against y (last axis), over the years both have."""
    m = np.isfinite(x) & np.isfinite(y)
    n = m.sum(axis=-1)
    with np.errstate(invalid="ignore", divide="ignore"):
        mx = np.where(m, x, 0).sum(axis=-1) / n
        my = np.where(m, y, 0).sum(axis=-1) / n
        dx = np.where(m, x - mx[..., None], 0)
        dy = np.where(m, y - my[..., None], 0)
        r = (dx * dy).sum(axis=-1) / np.sqrt((dx * dx).sum(axis=-1) * (dy * dy).sum(axis=-1))
    return r, n


def p_value(r, n):
    if betainc is None:
        return np.full_like(r, np.nan)
    df = n - 2.0
    with np.errstate(invalid="ignore"):
        return betainc(df / 2, 0.5, (1 - r) * (1 + r))


def fisher(r, n):
    with np.errstate(invalid="ignore", divide="ignore"):
        z = np.arctanh(r)
        h = Z95 / np.sqrt(n - 3.0)
        return np.tanh(z - h), np.tanh(z + h)


def aligned(first_year, years, chron_first, chron):
    """The chronology over the station's label years."""
    idx = first_year + np.arange(years) - chron_first
    ok = (idx >= 0) & (idx < len(chron))
    return np.where(ok, chron[np.clip(idx, 0, len(chron) - 1)], np.nan)


def screen_bootstrap(first_year, months, chron_first, chron, resamples, seed, min_years=20):
    """(a): r, n, p and the bootstrap interval of every window for one station."""
    years = months.shape[0]
    s, c = running_sums(months.reshape(-1))
    y = aligned(first_year, years, chron_first, chron)
    rng = np.random.default_rng(seed)
    u = rng.random((resamples, years))  # drawn once, used by every window
    out = []
    for first, length, offset in windows():
        x = window_values(s, c, offset, length, years)
        r, n = pearson(x, y)
        if n < min_years or not np.isfinite(r):
            out.append((np.nan, n, np.nan, np.nan, np.nan))
            continue
        m = np.isfinite(x) & np.isfinite(y)
        px, py = x[m], y[m]
        idx = (u[:, :n] * n).astype(np.int64)
        rb, _ = pearson(px[idx], py[idx])
        rb = rb[np.isfinite(rb)]
        low, high = np.percentile(rb, [2.5, 97.5])
        out.append((r, n, p_value(r, n), low, high))
    return out


def screen_fisher(stations, chron_first, chron, min_years=20):
    """(b): r, n, p and Fisher's interval of every window for stations of one shape."""
    first_year, months = stations
    nst, years = months.shape[0], months.shape[1]
    s, c = running_sums(months.reshape(nst, years * 12))
    y = aligned(first_year, years, chron_first, chron)
    rs = np.empty((len(windows()), nst))
    for k, (first, length, offset) in enumerate(windows()):
        x = window_values(s, c, offset, length, years)
        r, n = pearson(x, y)
        r = np.where(n >= min_years, r, np.nan)
        p = p_value(r, n)
        low, high = fisher(r, n)
        rs[k] = r
    return rs


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("stations", nargs="?")
    ap.add_argument("chronology", nargs="?")
    ap.add_argument("--layout", choices=["set7", "free"], default="set7")
    ap.add_argument("--bootstrap", type=int, default=1000)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--make", metavar="DIR",
                    help="write stations.dat (set7) or stations.txt (free) and chronology.txt there")
    ap.add_argument("--stations-count", type=int, default=20000)
    args = ap.parse_args()
    if args.make:
        make_inputs(args.make, args.stations_count, args.layout)
        return
    if not args.stations or not args.chronology:
        ap.error("give STATIONS and CHRONOLOGY, or --make DIR")

    t = time.perf_counter()
    stations = read_set7(args.stations) if args.layout == "set7" else read_free(args.stations)
    chron_first, chron = read_chronology(args.chronology)
    print("read: %d stations, chronology %d-%d: %.3f s"
          % (len(stations), chron_first, chron_first + len(chron) - 1, time.perf_counter() - t))

    ws = windows()
    first_year, months = stations[0]
    t, c = time.perf_counter(), time.process_time()
    res = screen_bootstrap(first_year, months, chron_first, chron, args.bootstrap, args.seed)
    ta, ca = time.perf_counter() - t, time.process_time() - c
    rs = np.array([abs(x[0]) if np.isfinite(x[0]) else -1 for x in res])
    k = int(np.argmax(rs))
    r, n, p, low, high = res[k]
    print("(a) one station, %d windows, %d resamples: %.4f s, cpu %.4f s; best %s r %.4f [%.4f, %.4f] n %d"
          % (len(ws), args.bootstrap, ta, ca, window_name(2, ws[k][0], ws[k][1]), r, low, high, n))

    # (b): stations of the same first year and length together, as the file has them
    groups = {}
    for fy, m in stations:
        groups.setdefault((fy, m.shape[0]), []).append(m)
    t, c = time.perf_counter(), time.process_time()
    best = []
    for (fy, years), ms in groups.items():
        rs = screen_fisher((fy, np.stack(ms)), chron_first, chron)
        a = np.where(np.isfinite(rs), np.abs(rs), -1)
        kb = a.argmax(axis=0)
        rb = rs[kb, np.arange(rs.shape[1])]
        best.extend(rb[np.isfinite(rb)])
    tb, cb = time.perf_counter() - t, time.process_time() - c
    print("(b) %d stations, %d windows, Fisher: %.3f s, cpu %.3f s; mean best r %.4f"
          % (len(stations), len(ws), tb, cb, float(np.mean(best)) if best else 0.0))


# ---- made-up inputs ----

def make_inputs(folder, count, layout):
    """20,000 stations of 1901-2020 sharing a regional signal, 2 % of the months
    missing, in data set 7 (stations.dat) or the free layout (stations.txt); a
    chronology that follows the regional June-August of the previous year."""
    os.makedirs(folder, exist_ok=True)
    rng = np.random.default_rng(2024)
    years = np.arange(1901, 2021)
    cycle = 10.0 * np.sin((np.arange(12) - 3.5) * np.pi / 6.0) + 8.0
    region = rng.standard_normal((len(years), 12)) * 1.5
    name = "stations.dat" if layout == "set7" else "stations.txt"
    with open(os.path.join(folder, name), "w") as f:
        for s in range(count):
            local = rng.standard_normal((len(years), 12)) * 1.5
            tenths = np.rint((cycle + region + local) * 10).astype(int)
            tenths[rng.random(tenths.shape) < 0.02] = -9999
            if layout == "set7":
                f.write("STATION %05d %6.2f%7.2f\n" % (s, 30 + (s % 100) * 0.2, -100 + (s // 100) * 0.2))
                for i, y in enumerate(years):
                    f.write(" %4d" % y + "".join("%5d" % v for v in tenths[i]) + "\n")
            else:
                f.write("STATION%05d\n" % s)
                for i, y in enumerate(years):
                    f.write("%d " % y + " ".join("-999.9" if v == -9999 else "%.1f" % (v / 10)
                                                for v in tenths[i]) + "\n")
    jja = region[:, 5:8].mean(axis=1)
    noise = rng.standard_normal(len(years)) * 0.6
    with open(os.path.join(folder, "chronology.txt"), "w") as f:
        f.write("year,index\n")
        for i, y in enumerate(years):
            v = 1.0 + 0.1 * ((jja[i - 1] if i > 0 else 0.0) + noise[i])
            f.write("%d,%.3f\n" % (y, v))
    print("wrote %s/%s (%d stations) and %s/chronology.txt" % (folder, name, count, folder))


if __name__ == "__main__":
    sys.exit(main())
