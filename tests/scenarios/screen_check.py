"""The screen of a chronology through the real binary.

1. Stations whose chronology follows one window plus noise: the screen
   finds that window best, for windows in the previous year, across the
   year boundary and in the current year, and its line on standard error
   gives the window's mask, which -m takes; the csv rows of every window
   carry r and n worked out here (Pearson), Fisher's interval, and a p in
   (0, 1); Spearman's r too.
2. The bootstrap: the same seed gives the same numbers, another seed others.
3. Missing months, gaps in the chronology, too few common years (empty
   fields), and a .crn file of several chronologies picked by code.
4. The picture: it parses as XML, holds one cell per window for each of the
   first 12 stations with a colour that follows its r, says how many more
   stations the csv holds, and (where chromium is installed) renders to a
   PNG that is not blank.
5. Failures: a chronology line that cannot be read, a code the file does
   not hold: status 1 before any FILE, nothing written.

usage: screen_check.py VERSEL WORK_DIR
"""
import csv
import io
import math
import pathlib
import random
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET
import zlib

import reference as R

FAULTS = []


def fault(text):
    FAULTS.append(text)
    print("FAULT: " + text)


def run(versel, work, args, status=0):
    p = subprocess.run([versel] + args, cwd=work, capture_output=True)
    if p.returncode != status:
        fault("versel %s: status %d, not %d\n%s" % (" ".join(args), p.returncode, status,
                                                   p.stderr.decode(errors="replace")))
    return p.stderr.decode(errors="replace")


FIRST, YEARS = 1901, 80
MONTHS = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()


def make_stations(rng, count):
    """count stations of YEARS years of tenths, a few months missing."""
    return [[[None if rng.random() < 0.01 else rng.randint(-100, 300) for _ in range(12)]
             for _ in range(YEARS)] for _ in range(count)]


def free_file(path, stations):
    lines = []
    for k, st in enumerate(stations):
        lines.append("Station %d" % (k + 1))
        for y, row in enumerate(st):
            lines.append("%d %s" % (FIRST + y, " ".join("NA" if t is None else "%.1f" % (t / 10)
                                                        for t in row)))
    path.write_text("\n".join(lines) + "\n")


def window_value(st, year_index, first, length):
    """The average of months first..first+length-1 of a 24-month span ending
    with year `year_index` (first 0: January of the previous year)."""
    vals = []
    for m in range(first, first + length):
        y = year_index - 1 + m // 12
        if y < 0 or y >= YEARS:
            return None
        t = st[y][m % 12]
        if t is None:
            return None
        vals.append(R.f32(t / 10))
    return sum(vals) / len(vals)


def pearson(pairs):
    xs, ys = [p[0] for p in pairs], [p[1] for p in pairs]
    mx, my = sum(xs) / len(xs), sum(ys) / len(ys)
    sxy = sum((a - mx) * (b - my) for a, b in pairs)
    return sxy / math.sqrt(sum((a - mx) ** 2 for a in xs) * sum((b - my) ** 2 for b in ys))


def ranks(v):
    order = sorted(range(len(v)), key=lambda i: v[i])
    r = [0.0] * len(v)
    i = 0
    while i < len(order):
        j = i
        while j + 1 < len(order) and v[order[j + 1]] == v[order[i]]:
            j += 1
        for k in range(i, j + 1):
            r[order[k]] = (i + j) / 2 + 1
        i = j + 1
    return r


def chronology_of(st, first, length, rng, noise=0.15):
    """A chronology that follows the window plus noise, as a table."""
    values = {}
    for y in range(YEARS):
        w = window_value(st, y, first, length)
        if w is not None:
            values[FIRST + y] = 1.0 + w / 40 + rng.gauss(0, noise)
    return values


def rows_of(path):
    return list(csv.DictReader(io.StringIO(path.read_text(), newline="")))


def screen_finds_windows(versel, work, rng):
    """The stations screened, for the checks after."""
    stations = make_stations(rng, 3)
    free_file(work / "st.txt", stations)
    cases = [(5, 3, "JJA-1_avg"), (11, 3, "DJF_avg"), (14, 4, "MAMJ_avg")]
    for k, (first, length, name) in enumerate(cases):
        chron = chronology_of(stations[k], first, length, rng)
        (work / ("c%d.txt" % k)).write_text("".join("%d %.4f\n" % (y, v) for y, v in chron.items()))
        err = run(versel, work, ["-k", "csv", "--layout", "free", "--chronology", "c%d.txt" % k,
                                 "--screen", "-o", "s%d" % k, "st.txt"])
        line = [l for l in err.splitlines() if ("station %d Station %d:" % (k + 1, k + 1)) in l]
        if not line or "best window %s," % name not in line[0]:
            fault("window %s not found best: %s" % (name, line))
            continue
        mask = line[0].split("-m ")[-1]
        # the mask of the best window gives the window's values: a csv run of
        # it correlates as the screen did
        run(versel, work, ["-q", "-k", "csv", "--layout", "free", "--chronology", "c%d.txt" % k,
                           "-m", mask, "-o", "m%d" % k, "st.txt"])
        screen = {(r["station"], r["window"]): r for r in rows_of(work / ("s%d_screen.csv" % k))}
        corr = {r["station"]: r for r in rows_of(work / ("m%d_corr.csv" % k))}
        s_row, c_row = screen[(str(k + 1), name)], corr[str(k + 1)]
        if (s_row["r"], s_row["n"]) != (c_row["r"], c_row["n"]) or c_row["variable"] != name:
            fault("the mask %s of %s correlates as %s, the screen said %s" % (mask, name, c_row, s_row))
        # every window of the first station against r worked out here
        checked = 0
        for r in rows_of(work / ("s%d_screen.csv" % k)):
            if r["station"] != "1":
                continue
            months, first_month = int(r["months"]), r["first_month"]
            first_index = MONTHS.index(first_month[:3]) + (0 if first_month.endswith("-1") else 12)
            pairs = [(window_value(stations[0], y, first_index, months), chron[FIRST + y])
                     for y in range(YEARS) if FIRST + y in chron]
            pairs = [p for p in pairs if p[0] is not None]
            want = pearson(pairs)
            checked += 1
            if abs(float(r["r"]) - want) > 1.01e-4 or int(r["n"]) != len(pairs):
                fault("%s: r %s n %s, worked out %.4f n %d" % (r["window"], r["r"], r["n"], want,
                                                               len(pairs)))
                break
            z, se = math.atanh(want), 1 / math.sqrt(len(pairs) - 3)
            if abs(float(r["low"]) - math.tanh(z - 1.959964 * se)) > 1.01e-4 or \
                    abs(float(r["high"]) - math.tanh(z + 1.959964 * se)) > 1.01e-4 or \
                    not 0 < float(r["p"]) <= 1:
                fault("%s: interval %s %s p %s" % (r["window"], r["low"], r["high"], r["p"]))
                break
        if checked != 222:
            fault("%d windows in the csv, not 222" % checked)
    # Spearman's r of one window
    run(versel, work, ["-q", "-k", "csv", "--layout", "free", "--chronology", "c0.txt", "--screen",
                       "--method", "spearman", "-o", "sp", "st.txt"])
    chron = {int(l.split()[0]): float(l.split()[1]) for l in (work / "c0.txt").read_text().splitlines()}
    row = [r for r in rows_of(work / "sp_screen.csv") if r["station"] == "2" and r["window"] == "MJJ_avg"][0]
    pairs = [(window_value(stations[1], y, 16, 3), chron[FIRST + y]) for y in range(YEARS)
             if FIRST + y in chron]
    pairs = [p for p in pairs if p[0] is not None]
    rx, ry = ranks([p[0] for p in pairs]), ranks([p[1] for p in pairs])
    want = pearson(list(zip(rx, ry)))
    if abs(float(row["r"]) - want) > 1.01e-4:
        fault("Spearman MJJ_avg: %s, worked out %.4f" % (row["r"], want))
    print("screen: windows found, values checked")
    return stations


def bootstrap(versel, work):
    outs = []
    for seed in ("7", "7", "8"):
        run(versel, work, ["-q", "-k", "csv", "--layout", "free", "--chronology", "c0.txt",
                           "-m", "000001130000000000000000", "--bootstrap", "500", "--seed", seed,
                           "-o", "b", "st.txt"])
        outs.append((work / "b_corr.csv").read_bytes())
    if outs[0] != outs[1]:
        fault("the same seed gave other numbers")
    if outs[0] == outs[2]:
        fault("another seed gave the same numbers")
    print("bootstrap: seeds checked")


def crn_line(code, decade, pairs):
    """A .crn data line: code in 1-6, the decade year in 7-10, then pairs of a
    4-column index times 1000 and a 3-column sample depth."""
    return "%-6s%4d" % (code, decade) + "".join("%4d%3d" % p for p in pairs)


CRN = "\n".join([
    "CAN001 1 BIG BEND                                            PSME",
    "CAN001 2 SOMEWHERE    MADE UP              0100M   5000-11500         1901 1929",
    "CAN001 3 TEST",
    crn_line("CAN001", 1901, [(1000 - 10 * i, 5) for i in range(9)]),
    crn_line("CAN001", 1910, [(1010, 6), (9990, 0)] + [(1020 + 10 * i, 6) for i in range(8)]),
    crn_line("CAN001", 1920, [(1100, 7), (1110, 7), (9990, 0), (9990, 0)] +
             [(1140 + 10 * i, 7) for i in range(6)]),
    "CAN002 1 SECOND SITE",
    "CAN002 2 SOMEWHERE",
    "CAN002 3 TEST",
    crn_line("CAN002", 1901, [(500 + 10 * i, 5) for i in range(9)]),
    crn_line("CAN002", 1910, [(590 + 10 * i, 6) for i in range(10)]),
]) + "\n"


def chronology_files(versel, work, stations):
    (work / "two.crn").write_text(CRN)
    err = run(versel, work, ["-k", "csv", "--layout", "free", "--chronology", "two.crn",
                             "--chronology-id", "CAN002", "-m", "000001130000", "--min-years", "5",
                             "-o", "crn", "st.txt"])
    if "chronology CAN002 SECOND SITE" not in err:
        fault("--chronology-id CAN002: %s" % err)
    rows = rows_of(work / "crn_corr.csv")
    # 1901 to 1919: the station's June to August of each year it has whole
    want = sum(1 for y in range(19) if window_value(stations[0], y, 17, 3) is not None)
    if not rows or rows[0]["n"] != str(want):
        fault("CAN002 pairs %s years, not %d" % (rows[0]["n"] if rows else None, want))
    # too few common years: r, its interval and p are empty, n says how
    # many years there were
    run(versel, work, ["-q", "-k", "csv", "--layout", "free", "--chronology", "two.crn",
                       "-m", "000001130000", "--min-years", "60", "-o", "few", "st.txt"])
    for r in rows_of(work / "few_corr.csv"):
        if r["r"] or r["low"] or r["p"] or not 0 < int(r["n"]) < 60:
            fault("with too few years a correlation is given: %s" % r)
    # failures before any FILE
    (work / "bad.crn").write_text(CRN.replace("CAN00119101010", "CAN00119101x10"))
    if "1x10" not in (work / "bad.crn").read_text():
        fault("the bad chronology line was not made")
    for args, message in ((["--chronology", "bad.crn"], "bad.crn: line 5: "),
                          (["--chronology", "two.crn", "--chronology-id", "XYZ"], "XYZ"),
                          (["--chronology", "missing.crn"], "missing.crn: ")):
        before = sorted(p.name for p in work.iterdir())
        err = run(versel, work, ["-k", "csv", "--layout", "free", "-m", "113"] + args + ["st.txt"],
                  status=1)
        if message not in err:
            fault("%s: %r does not say %r" % (args, err, message))
        if sorted(p.name for p in work.iterdir()) != before:
            fault("%s: files written" % args)
    print("chronology files: checked")


def png_not_blank(path):
    """True when a PNG of 8-bit RGB or RGBA holds pixels of more than one colour."""
    data = path.read_bytes()
    at, idat, width, colour = 8, b"", 0, 2
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, _, depth, colour = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    seen = set()
    step = 4 if colour == 6 else 3
    row = 1 + width * step
    for y in range(0, len(raw) // row, 7):
        line = raw[y * row + 1:(y + 1) * row]
        for x in range(0, len(line), step * 5):
            seen.add(line[x:x + 3])
            if len(seen) > 5:
                return True
    return False


def picture(versel, work, rng):
    stations = make_stations(rng, 14)
    free_file(work / "many.txt", stations)
    run(versel, work, ["-q", "-k", "csv", "--layout", "free", "--chronology", "c0.txt",
                       "--screen", "--max-months", "6", "-o", "pic", "many.txt"])
    svg = work / "pic_screen.svg"
    try:
        root = ET.fromstring(svg.read_text())
    except ET.ParseError as e:
        fault("the picture is no XML: %s" % e)
        return
    ns = "{http://www.w3.org/2000/svg}"
    cells = [e for e in root.iter(ns + "rect") if e.get("class") == "cell"]
    windows = sum(24 - length + 1 for length in range(1, 7))
    if len(cells) != 12 * windows:
        fault("%d cells, not 12 panels of %d windows" % (len(cells), windows))
    texts = " ".join(t.text or "" for t in root.iter(ns + "text"))
    if "2 more stations in the csv" not in texts:
        fault("the picture does not say how many more stations the csv holds")
    # a cell's colour follows its r: redder for a larger r, bluer for a smaller
    shades = []
    for c in cells:
        title = c.find(ns + "title").text
        if "r = " not in title or title.split("r = ")[1].startswith("missing"):
            continue
        r = float(title.split("r = ")[1].split(",")[0])
        fill = c.get("fill")
        red, blue = int(fill[1:3], 16), int(fill[5:7], 16)
        shades.append((r, red - blue))
    shades.sort()
    if any(b[1] < a[1] - 16 for a, b in zip(shades, shades[1:]) if b[0] > a[0] + 0.02):
        fault("a cell of larger r is less red")
    chromium = shutil.which("chromium")
    if chromium:
        png = work / "pic.png"
        subprocess.run([chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                        "--no-first-run", "--disable-background-networking",
                        "--disable-component-update", "--disable-sync",
                        "--user-data-dir=" + str(work / "chromium"), "--screenshot=" + str(png),
                        "--window-size=1400,1000", svg.resolve().as_uri()],
                       capture_output=True, timeout=120)
        if not png.exists() or not png_not_blank(png):
            fault("the picture renders blank or not at all in chromium")
        else:
            print("picture: rendered in chromium")
    print("picture: checked")


def main():
    versel, work = str(pathlib.Path(sys.argv[1]).resolve()), pathlib.Path(sys.argv[2])
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    rng = random.Random(22)
    stations = screen_finds_windows(versel, work, rng)
    bootstrap(versel, work)
    chronology_files(versel, work, stations)
    picture(versel, work, rng)
    print("%d faults" % len(FAULTS))
    return 1 if FAULTS else 0


if __name__ == "__main__":
    sys.exit(main())
