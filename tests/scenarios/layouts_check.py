"""Runs versel on files of the layouts of downloaded data (--layout) and
compares every output file byte for byte with what reference.py computes
from the values this script wrote.

1. Each layout in each output kind: stations, names, coordinates and every
   value, on files made to hold what downloaded files hold - comments, title
   rows, preambles, name lines no year line follows, every missing-value
   mark, tab- and comma-separated lines with empty fields, quoted fields,
   CR LF, a last line without a line end, year gaps; ghcnm quality flags
   with and without --keep-flagged; climdiv in 7 and in 8 columns;
   coordinates from an inventory and from tables, and stations they do not
   list.
   Tables (--layout table): wide tables with titles in other cases and
   orders, semicolons and decimal commas, tabs, quoted names holding commas
   and quotes, rows out of order and stations interleaved, coordinates from
   the table's own columns; long tables by year and month and by date in
   each spelling (1950-01, 1950-01-15, 1950/01, 195001).
2. The same values in the catalogue's data set 7 (after a preamble that
   --skip passes over), in a format of one's own, in data set 6, in the free
   layout with blanks and with commas, in ghcnm, in climdiv of both
   spacings, and in a wide and a long table with their own coordinates give
   the same mat and grd files byte for byte, and the same year lines of tsf
   (header lines differ by nature); the wide and the long table give the
   same csv file.

usage: layouts_check.py VERSEL WORK_DIR
"""
import pathlib
import random
import re
import shutil
import subprocess
import sys

import reference as R

MASKS = {"tsf": "00001113111311131113", "mat": "000001130000", "grd": "111311131113"}


class Station:
    def __init__(self, name, code, lat, lon, first, last, rnd, missing=0.08, gaps=()):
        self.name, self.code, self.lat, self.lon = name, code, lat, lon
        self.first, self.last = first, last
        self.years = {}  # year -> twelve tenths, None where missing
        for y in range(first, last + 1):
            if y in gaps:
                continue
            self.years[y] = [None if rnd.random() < missing else rnd.randint(-300, 350)
                             for _ in range(12)]
        # a gap at either end is no gap: the station starts and ends with its lines
        self.first, self.last = min(self.years), max(self.years)

    def months(self, flag):
        """The monthly values a reader makes of the station: gaps and missing
        months as the flag."""
        out = []
        for y in range(self.first, self.last + 1):
            row = self.years.get(y, [None] * 12)
            out += [flag if t is None else R.f32(t / 10) for t in row]
        return out


def tenths_text(t, decimals=1):
    return "%.*f" % (decimals, t / 10)


# ---- the free layout -------------------------------------------------------

MARKS = ["", "NA", "na", "NaN", "-", "***", "*****", "-999.9"]


def free_year_line(rnd, year, row, style):
    """A year line in one of the styles downloaded files use."""
    fields = [str(year)]
    for t in row:
        if t is None:
            mark = rnd.choice(MARKS if style in ("comma", "tab") else MARKS[1:])
            fields.append(mark)
        else:
            fields.append(tenths_text(t))
    if rnd.random() < 0.5:
        fields.append("%.2f" % rnd.uniform(-5, 25))  # an annual column, ignored
    if style == "blank":
        return "  ".join(fields) if rnd.random() < 0.3 else " ".join(fields)
    if style == "tab":
        return "\t".join(fields)
    if style == "comma":
        return ",".join(fields)
    return ",".join('"%s"' % f for f in fields)  # quoted, as some spreadsheets save


def free_file(rnd, stations, first_unnamed):
    """The lines of a free file and the station names a reader gives."""
    lines = ["# Monthly mean temperature, made up for versel's tests",
             "# Missing months are empty, NA, NaN, - or asterisks",
             "Station list follows",  # a preamble name line: passed over
             "Missing value: -999.9"]
    for k, st in enumerate(stations):
        style = ["blank", "tab", "comma", "quoted"][k % 4]
        if k == 0 and first_unnamed:
            lines = lines[:2]  # no name line before the first station
        else:
            lines.append(st.name_line)
        sep = {"blank": " ", "tab": "\t", "comma": ",", "quoted": ","}[style]
        if k % 2 == 0:
            lines.append(sep.join(["Year", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug",
                                   "Sep", "Oct", "Nov", "Dec", "Annual"]))
        for y in sorted(st.years):
            lines.append(free_year_line(rnd, y, st.years[y], style))
            if rnd.random() < 0.03:
                lines.append("")
            if rnd.random() < 0.03:
                lines.append("# a note inside the station")
        lines.append("")
    return lines


# ---- ghcnm -----------------------------------------------------------------

def ghcnm_line(st, element, year, row, flagged):
    """A record; `flagged` holds the months that carry a quality flag."""
    text = "%-11s%04d%-4s" % (st.code, year, element)
    for m, t in enumerate(row):
        value = -9999 if t is None else t * 10
        text += "%5d%s%s%s" % (value, " ", "O" if m in flagged else " ", "Z")
    return text


# ---- climdiv ---------------------------------------------------------------

def climdiv_line(st, element, year, row, width):
    text = "%s%s%04d" % (st.code, element, year)
    for t in row:
        text += "%*s" % (width, "-99.90" if t is None else tenths_text(t, 2))
    return text


def write(path, lines, crlf=False, last_end=True):
    end = "\r\n" if crlf else "\n"
    text = end.join(lines) + (end if last_end else "")
    path.write_bytes(text.encode())


def run(versel, work, args):
    p = subprocess.run([versel] + args, cwd=work, capture_output=True)
    if p.returncode != 0:
        raise SystemExit("versel %s: status %d\n%s" % (" ".join(args), p.returncode,
                                                      p.stderr.decode(errors="replace")))
    return p.stderr.decode()


def header_of(name):
    return " " + name[:100].ljust(100)


def check_kinds(versel, work, data, layout_args, stations, flag, label):
    """tsf, mat and grd of one file against the reference; `stations` are
    (name, (lat, lon), first_year, months) as the reader must give them."""
    faults = 0
    for kind, mask in MASKS.items():
        m = R.Mask(mask)
        out = "%s_%s" % (label, kind)
        run(versel, work, ["-q", "-k", kind, "-m", mask, "-o", out] + layout_args + [data])
        if kind == "tsf":
            faults += R.compare(work, out + "_sea", R.tsf(stations, m, flag, header_of))
        elif kind == "mat":
            sea, key = R.mat(stations, m, flag)
            faults += R.compare(work, out + "_sea", sea)
            faults += R.compare(work, out + "_key", key)
        else:
            faults += R.compare(work, out + "_sea", R.grd(stations, m, flag))
    print("%s: %s" % (label, "differs" if faults else "as computed"))
    return faults


def each_layout(versel, work, rnd):
    faults = 0
    F = R.f32(-999.9)

    # free: four styles of separation, CR LF, no line end at the end, codes
    # looked up in a table whose codes have no leading zeros and one station
    # it does not list
    # name lines as each style writes them, and the names the reader gives
    stations = [Station("0101 Hill Station", "0101", 41.5, -90.25, 1951, 1990, rnd, gaps=(1960,)),
                Station("Lake Farm", "Lake", 36.1, -95.8, 1940, 1975, rnd),
                Station("X7,River Bend", "X7", -33.0, 151.0, 1962, 2001, rnd, missing=0.2),
                Station('"UP1","Upper Plateau"', "UP1", 12.25, 7.75, 1901, 1930, rnd),
                Station("0007 Lake Farm", "0007", 0.5, -0.5, 1990, 1992, rnd)]
    for st in stations:
        st.name_line = st.name + (",,,,,,,,,,,," if st.code == "X7" else "")
    write(work / "free.csv", free_file(rnd, stations, first_unnamed=False), crlf=True,
          last_end=False)
    write(work / "coords.txt", ["code;lat;lon;name", "101;41.5;-90.25;HILL",
                                "X7;-33;151", "UP1;12.25;7.75", "7;0.5;-0.5;FARM"])
    expect = []
    for st in stations:
        listed = st.code != "Lake"
        name = st.name
        # a name line that is its code alone gets the table's name; these have
        # names of their own
        expect.append((name, (R.f32(st.lat), R.f32(st.lon)) if listed else (F, F), st.first,
                       st.months(F)))
    faults += check_kinds(versel, work, "free.csv", ["--layout", "free", "--coords", "coords.txt"],
                          expect, F, "free")

    # free: the first station without a name line takes the file's name; LF
    stations = [Station("", "", 0, 0, 1990, 2000, rnd), Station("Second", "Second", 0, 0, 1995, 1996, rnd)]
    stations[1].name_line = "Second"
    write(work / "unnamed.txt", free_file(rnd, stations, first_unnamed=True))
    expect = [("unnamed.txt", (F, F), stations[0].first, stations[0].months(F)),
              ("Second", (F, F), stations[1].first, stations[1].months(F))]
    faults += check_kinds(versel, work, "unnamed.txt", ["--layout", "free"], expect, F, "unnamed")

    # ghcnm: the element changes within one ID, quality flags, an inventory
    # with CR LF that lists all but one station
    G = R.f32(-99.99)
    a = Station("", "ZZM00000101", 35.25, -97.5, 1961, 1990, rnd, gaps=(1970, 1971))
    b = Station("", "ZZM00000101", 35.25, -97.5, 1961, 1965, rnd)
    c = Station("", "ZZM00000102", 36.1, -95.8, 1880, 1900, rnd, missing=0.3)
    d = Station("", "ZZM00000199", 0, 0, 2000, 2002, rnd)
    flagged = {}
    lines = []
    for st, element in ((a, "TAVG"), (b, "TMAX"), (c, "TAVG"), (d, "TAVG")):
        for y in sorted(st.years):
            flagged[(id(st), y)] = {m for m in range(12) if rnd.random() < 0.05}
            lines.append(ghcnm_line(st, element, y, st.years[y], flagged[(id(st), y)]))
    write(work / "g.dat", lines, crlf=True)
    write(work / "g.inv", ["ZZM00000101  35.2500  -97.5000  300.0 NORTH HILL                    ",
                           "ZZM00000102  36.1000  -95.8000  300.0 LAKE FARM"], crlf=True)
    for keep in (False, True):
        expect = []
        for st, element, name in ((a, "TAVG", " NORTH HILL"), (b, "TMAX", " NORTH HILL"),
                                  (c, "TAVG", " LAKE FARM"), (d, "TAVG", "")):
            months = []
            for y in range(st.first, st.last + 1):
                row = st.years.get(y, [None] * 12)
                for m, t in enumerate(row):
                    bad = t is None or (not keep and m in flagged.get((id(st), y), ()))
                    months.append(G if bad else R.f32(t * 10 / 100))
            place = (R.f32(st.lat), R.f32(st.lon)) if name else (G, G)
            expect.append((st.code + " " + element + name, place, st.first, months))
        args = ["--layout", "ghcnm", "--coords", "g.inv"] + (["--keep-flagged"] if keep else [])
        faults += check_kinds(versel, work, "g.dat", args, expect, G,
                              "ghcnm_kept" if keep else "ghcnm")

    # climdiv: 7 and 8 columns in one file, the element's flag, a table of
    # codes without leading zeros
    C = R.f32(-99.9)
    stations = [Station("", "0101", 34.8, -87.2, 1895, 1930, rnd),
                Station("", "0102", 34.2, -86.1, 1895, 1900, rnd, gaps=(1897,)),
                Station("", "4810", 40.0, -111.5, 2001, 2010, rnd)]
    lines = []
    for k, st in enumerate(stations):
        for y in sorted(st.years):
            lines.append(climdiv_line(st, "02", y, st.years[y], 7 if k % 2 == 0 else 8))
    write(work / "climdiv.txt", lines)
    write(work / "divisions.csv", ['"code","latitude","longitude"', '"101","34.8","-87.2"',
                                   '"102","34.2","-86.1"'])
    expect = [(st.code + "02", (R.f32(st.lat), R.f32(st.lon)) if st.code != "4810" else (C, C),
               st.first, st.months(C)) for st in stations]
    faults += check_kinds(versel, work, "climdiv.txt",
                          ["--layout", "climdiv", "--coords", "divisions.csv"], expect, C, "climdiv")
    return faults + tables(versel, work, rnd)


MONTHS = ["jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"]


def tables(versel, work, rnd):
    """Wide and long tables of the same stations, each read as computed."""
    F = R.f32(-999.9)
    stations = [Station('Hill, "North"', "A1", 41.5, -90.25, 1951, 1980, rnd, gaps=(1960,)),
                Station("Lake Farm", "B2", 36.1, -95.8, 1940, 1965, rnd),
                Station("River; Bend", "C3", -33.0, 151.0, 1962, 1990, rnd, missing=0.2)]
    faults = 0

    def expect(first_rows):
        """The stations in the order of their first rows in the file."""
        order = []
        for st in first_rows:
            if st not in order:
                order.append(st)
        return [(st.name, (R.f32(st.lat), R.f32(st.lon)), st.first, st.months(F)) for st in order]

    def quote(text):
        return '"' + text.replace('"', '""') + '"'

    # wide, commas: titles in capitals and another order, an annual column,
    # rows of the stations interleaved and out of order, NA and empty fields
    rows = [(st, y) for st in stations for y in sorted(st.years)]
    rnd.shuffle(rows)
    lines = ["# exported by a spreadsheet",
             "Year,STATION,Lat,Lon,Name," + ",".join(m.capitalize() for m in MONTHS) + ",Annual"]
    for st, y in rows:
        vals = ["NA" if t is None else tenths_text(t) for t in st.years[y]]
        lines.append("%d,%s,%s,%s,%s,%s,12.3" % (y, st.code, st.lat, st.lon, quote(st.name),
                                                 ",".join(vals)))
    write(work / "wide.csv", lines, crlf=True)
    faults += check_kinds(versel, work, "wide.csv", ["--layout", "table"],
                          expect(st for st, _ in rows), F, "wide")

    # wide, semicolons with decimal commas, months as 1..12 and full names
    lines = ["site;latitude;longitude;name;year;" + ";".join(str(m) for m in range(1, 13))]
    rows = sorted(rows, key=lambda r: (r[0].code, -r[1]))
    for st, y in rows:
        vals = ["" if t is None else tenths_text(t).replace(".", ",") for t in st.years[y]]
        lines.append("%s;%s;%s;%s;%d;%s" % (st.code, str(st.lat).replace(".", ","),
                                           str(st.lon).replace(".", ","), quote(st.name), y,
                                           ";".join(vals)))
    write(work / "wide_semicolon.txt", lines)
    faults += check_kinds(versel, work, "wide_semicolon.txt", ["--layout", "table"],
                          expect(st for st, _ in rows), F, "wide_semicolon")

    # long, tabs, year and month columns, one value a row, rows shuffled
    lines = ["id\tname\tyear\tmonth\tvalue\tlat\tlon"]
    cells = [(st, y, m, t) for st in stations for y in sorted(st.years)
             for m, t in enumerate(st.years[y])]
    rnd.shuffle(cells)
    for st, y, m, t in cells:
        lines.append("%s\t%s\t%d\t%d\t%s\t%s\t%s" % (st.code, quote(st.name), y, m + 1,
                                                    "NaN" if t is None else tenths_text(t),
                                                    st.lat, st.lon))
    write(work / "long_tabs.tsv", lines)
    faults += check_kinds(versel, work, "long_tabs.tsv", ["--layout", "table"],
                          expect(c[0] for c in cells), F, "long_tabs")

    # long by date, each spelling of a date, a missing month left out
    spellings = ["%d-%02d", "%d-%02d-15", "%d/%02d", "%d%02d"]
    lines = ["Station,Date,Value,Name,Latitude,Longitude"]
    kept = []
    for k, (st, y, m, t) in enumerate(cells):
        if t is None and k % 2 == 0:
            continue  # a month the table leaves out is missing as well
        kept.append(st)
        lines.append("%s,%s,%s,%s,%s,%s" % (st.code, spellings[k % 4] % (y, m + 1),
                                            "" if t is None else tenths_text(t), quote(st.name),
                                            st.lat, st.lon))
    write(work / "long_dates.csv", lines)
    faults += check_kinds(versel, work, "long_dates.csv", ["--layout", "table"], expect(kept), F,
                          "long_dates")
    return faults


def year_lines(text):
    """The year lines of a tsf file, without its header lines."""
    return [l for l in text.split("\n") if re.fullmatch(r" *-?\d+( +-?\d+\.\d+| -999\.90)+\r", l)]


def same_values(versel, work, rnd):
    """One set of stations in every layout that can hold it."""
    stations = [Station("STATION " + chr(65 + k) * 2, "%04d" % (101 + k), rnd.uniform(-60, 70),
                        rnd.uniform(-180, 180), 1900 + 7 * k, 1960 + 3 * k, rnd, missing=0.05,
                        gaps=(1930 + k,))
                for k in range(12)]
    for st in stations:  # coordinates as the header lines write them
        st.lat, st.lon = float("%.2f" % st.lat), float("%.2f" % st.lon)

    def catalogue(first_line):
        lines = ["A preamble of two lines", "that --skip 2 passes over"] + first_line
        for st in stations:
            lines.append("%-12s%6.2f%7.2f" % (st.name, st.lat, st.lon))
            for y in sorted(st.years):
                lines.append(" %4d" % y + "".join("%5d" % (-9999 if t is None else t)
                                                  for t in st.years[y]))
        return lines

    files = {"set7.dat": catalogue([])}
    # data set 6: its file's first line is skipped, after the preamble, and
    # again after the pre-scan; year lines (i4,12f5.1), headers (f6.2,f7.2)
    files["set6.dat"] = [l if i < 3 else
                         "%6.2f%7.2f %s" % (st.lat, st.lon, st.name) if l.startswith("STATION") else
                         l[1:]
                         for i, l in enumerate(catalogue(["the file's own header line"]))
                         for st in [next((s for s in stations if l.startswith(s.name)), None)]]
    free_blank, free_comma, g = [], [], []
    for k, st in enumerate(stations):
        free_blank.append(st.code + " " + st.name)
        free_comma.append(st.code + "," + st.name + "," * 12)
        for y in sorted(st.years):
            row = st.years[y]
            free_blank.append(str(y) + "".join(" " + ("NA" if t is None else tenths_text(t))
                                               for t in row))
            free_comma.append(str(y) + "".join("," + ("" if t is None else tenths_text(t))
                                               for t in row))
            g.append(ghcnm_line(type("S", (), {"code": "ZZM%08d" % k}), "TAVG", y, row, set()))
    files["free_blank.txt"], files["free_comma.csv"], files["g.dat"] = free_blank, free_comma, g
    wide = ["station,name,lat,lon,year," + ",".join(MONTHS)]
    long = ["station,name,lat,lon,date,value"]
    for st in stations:
        for y in sorted(st.years):
            row = st.years[y]
            place = "%s,%s,%.2f,%.2f" % (st.code, st.name, st.lat, st.lon)
            wide.append("%s,%d,%s" % (place, y, ",".join("" if t is None else tenths_text(t)
                                                         for t in row)))
            long += ["%s,%d-%02d,%s" % (place, y, m + 1, "NA" if t is None else tenths_text(t))
                     for m, t in enumerate(row)]
    files["wide.csv"], files["long.csv"] = wide, long
    for width in (7, 8):
        files["climdiv%d.txt" % width] = [climdiv_line(st, "02", y, st.years[y], width)
                                          for st in stations for y in sorted(st.years)]
    for name, lines in files.items():
        write(work / name, lines)
    write(work / "places.csv", ["code,lat,lon"] + ["%s,%.2f,%.2f" % (st.code, st.lat, st.lon)
                                                   for st in stations])
    write(work / "g.inv", ["ZZM%08d %8.4f %9.4f" % (k, st.lat, st.lon) + " " * 8 + st.name
                           for k, st in enumerate(stations)])

    runs = {
        "set7": ["-d", "7", "--skip", "2", "set7.dat"],
        "typed": ["-f", "(1x,i4,12f5.1)", "--flag", "-999.9", "--header-format", "(12x,f6.2,f7.2)",
                  "--skip", "2", "set7.dat"],
        "set6": ["-d", "6", "--skip", "2", "set6.dat"],
        "blank": ["--layout", "free", "--coords", "places.csv", "free_blank.txt"],
        "comma": ["--layout", "free", "--coords", "places.csv", "free_comma.csv"],
        "ghcnm": ["--layout", "ghcnm", "--flag", "-999.9", "--coords", "g.inv", "g.dat"],
        "climdiv7": ["--layout", "climdiv", "--flag", "-999.9", "--coords", "places.csv",
                     "climdiv7.txt"],
        "climdiv8": ["--layout", "climdiv", "--flag", "-999.9", "--coords", "places.csv",
                     "climdiv8.txt"],
        "wide": ["--layout", "table", "wide.csv"],
        "long": ["--layout", "table", "long.csv"],
    }
    faults = 0
    for kind, mask in MASKS.items():
        fault_before = faults
        outputs = {}
        for label, args in runs.items():
            out = "same_%s_%s" % (label, kind)
            run(versel, work, ["-q", "-k", kind, "-m", mask, "-o", out] + args)
            names = [out + "_sea"] + ([out + "_key"] if kind == "mat" else [])
            outputs[label] = [(work / n).read_bytes().decode("latin-1") for n in names]
            if kind == "tsf":
                outputs[label] = [year_lines(outputs[label][0])]
        # each layout against the reference is checked above; here they
        # must agree with the catalogue's data set 7 to the byte
        for label, texts in outputs.items():
            if texts != outputs["set7"]:
                print("same values, %s: %s differs from data set 7" % (kind, label))
                faults += 1
        print("same values in %d layouts, %s: %s" % (len(runs), kind,
                                                      "differ" if faults > fault_before else "alike"))
    # a wide and a long table of the same stations give one csv file
    csvs = []
    for label in ("wide", "long"):
        run(versel, work, ["-q", "-k", "csv", "-m", MASKS["tsf"], "-o", "csv_" + label] + runs[label])
        csvs.append((work / ("csv_%s_sea.csv" % label)).read_bytes())
    if csvs[0] != csvs[1]:
        print("same values, csv: the long table differs from the wide one")
        faults += 1
    return faults


def main():
    versel, work = str(pathlib.Path(sys.argv[1]).resolve()), pathlib.Path(sys.argv[2])
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    rnd = random.Random(15)
    faults = each_layout(versel, work, rnd) + same_values(versel, work, rnd)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
