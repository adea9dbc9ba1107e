"""The csv output kind against the tsf output of the same options, value by
value, and --min-months against averages worked out here from the months.

- every row of a csv run is a value of the tsf run of the same options: the
  same station, year and variable, the same digits (a missing tsf value is an
  empty csv field); the title row, CR LF line ends, the variables' names,
  names with commas and quotes, stations without a header, year gaps,
  missing months, data sets 3 and 4 (three decimals); each station named by
  its header without the columns of its coordinates;
- averages with --min-months N: the mean of the months that are there when
  at least N are (all of them, for a season of fewer), else missing, worked
  out from the data file's months for seasons across the year boundary,
  seasons with every month missing, sums and single months (unchanged);
  n_months, the valid months behind each value, worked out the same way.

usage: csv_check.py VERSEL EXAMPLES_DIR WORK_DIR
"""
import csv
import io
import pathlib
import shutil
import subprocess
import sys

import reference as R

FAULTS = []


def fault(text):
    FAULTS.append(text)
    print("FAULT:", text)


def run(versel, work, args):
    p = subprocess.run([versel, "-q"] + args, cwd=work, capture_output=True)
    if p.returncode != 0:
        sys.exit("versel %s: status %d\n%s" % (" ".join(args), p.returncode,
                                               p.stderr.decode(errors="replace")))


def tsf_values(path, headerless_first):
    """[(station, year, [field texts])] of a tsf file; stations counted by
    their header lines, after station 1 when the data file begins without a
    header (its lines, if any, come before the first header line)."""
    station, rows = (1 if headerless_first else 0), []
    for line in path.read_bytes().decode("latin-1").split("\r\n"):
        if not line:
            continue
        if not (line[:5].strip().lstrip("-").isdigit() and len(line) > 5 and
                all(c in " -.0123456789*" for c in line[5:])):
            station += 1
            continue
        fields = [line[5 + 8 * k:13 + 8 * k] for k in range((len(line) - 5) // 8)]
        rows.append((station, int(line[:5]), fields))
    return rows


def csv_rows(path):
    data = path.read_bytes()
    if b"\n" in data.replace(b"\r\n", b""):
        fault("%s: a line end other than CR LF" % path.name)
    text = data.decode("utf-8", errors="surrogateescape")
    rows = list(csv.reader(io.StringIO(text, newline="")))
    if rows[0] != ["station", "name", "lat", "lon", "year", "season", "value", "n_months"]:
        fault("%s: title row %r" % (path.name, rows[0]))
    return rows[1:]


def without_columns(line, spans):
    """A header line without the columns its header format reads, its parts
    joined by one blank: the station's name."""
    kept, part = [], ""
    for c, ch in enumerate(line):
        if any(first <= c < first + width for first, width in spans):
            kept.append(part)
            part = ""
        else:
            part += ch
    kept.append(part)
    return " ".join(p.strip(" \t") for p in kept if p.strip(" \t"))


def compare_with_tsf(versel, work, data, options, names, flag_text, decimals, headers, spans):
    """csv and tsf runs of the same options: value by value; each station
    named by its header without the columns `spans` of its coordinates."""
    run(versel, work, ["-k", "tsf"] + options + ["-o", "t", data])
    run(versel, work, ["-k", "csv"] + options + ["-o", "c", data])
    tsf = tsf_values(work / "t_sea", headers.get(1, "") is None)
    rows = csv_rows(work / "c_sea.csv")
    expected = []
    for station, year, fields in tsf:
        for name, field in zip(names, fields):
            value = "" if field.strip() == flag_text else field.strip()
            expected.append((str(station), str(year), name, value))
    got = [(r[0], r[4], r[5], r[6]) for r in rows]
    if got != expected:
        for n, (g, e) in enumerate(zip(got, expected)):
            if g != e:
                fault("%s %s: row %d is %r, the tsf run gives %r" % (data, options, n + 1, g, e))
                break
        else:
            fault("%s %s: %d rows, the tsf run gives %d" % (data, options, len(got), len(expected)))
    for r in rows:
        header = headers.get(int(r[0]))
        want = without_columns(header, spans) if header is not None else ""
        if r[1] != want:
            fault("%s: station %s is named %r, its header is %r" % (data, r[0], r[1], want))
            break
        if header is None and (r[2] or r[3]):
            fault("%s: station %s has no header but coordinates %s %s" % (data, r[0], r[2], r[3]))
            break
        for coordinate in r[2:4]:
            if header is not None and (not coordinate or len(coordinate.split(".")[1]) != decimals):
                fault("%s: station %s coordinate %r" % (data, r[0], coordinate))
                break
    return rows


def header_lines(path, is_year):
    """{station number: header line or None} as the program numbers them."""
    headers, station, in_years = {}, 0, False
    for line in path.read_bytes().decode("latin-1").splitlines():
        if not line.strip():
            continue
        if is_year(line):
            if station == 0:
                station, headers[1] = 1, None
            in_years = True
            continue
        if station == 0 or in_years:
            station += 1
            in_years = False
        headers[station] = line
    return headers


def ds7_year(line):
    return R.read_fields(R.parse_format("(1x,i4,12f5.1)"), line) not in (None,) and \
        R.read_fields(R.parse_format("(1x,i4,12f5.1)"), line)[0] is not None


def gap_file(work):
    """A file that begins with year lines, then stations whose names hold
    commas and quotes, with year gaps and missing months ("-" and -9999)."""
    lines = [
        " 1950   10   20   30   40   50   60   70   80   90  100  110  120",
        " 1951   11   21   31   41   51   61    -   81   91  101  111  121",
        'A, "B" farm  45.00  10.00',
        " 1960  -15  -12    0   40   88  150  190  180  130   70   10  -40",
        " 1962  -11    -   -2   44   91  155-9999  181  133   72   12  -38",
        " 1963  -20  -18   -6   39   80  144  188  170  121   60    5  -45",
        'QUOTE "Q"    -33.50 151.25',
        " 1961    5    6    7    8    9   10   11   12   13   14   15   16",
        " 1962    -    -    -    -    -    -    -    -    -    -    -    -",
        " 1963    6    7    8    9   10   11   12   13   14   15   16   17",
    ]
    (work / "gaps.dat").write_text("\r\n".join(lines) + "\r\n")


def kaplan_file(work):
    """Data set 3: (i4,12f7.3), three decimals, coordinates (2x,2f6.1)."""
    lines = ["    -12.5 130.0 cell one"]
    for y in range(1980, 1984):
        lines.append("%4d" % y + "".join("%7.3f" % (((y * 7 + m * 13) % 41 - 20) / 8.0)
                                          for m in range(12)))
    lines.append("     45.0  -7.5 cell two")
    for y in range(1981, 1984):
        lines.append("%4d" % y + "".join("%7.3f" % (((y * 5 + m * 11) % 37 - 18) / 16.0)
                                          for m in range(12)))
    (work / "kaplan.dat").write_text("\n".join(lines) + "\n")


def names_of(mask):
    return [v for v in R_names(mask)]


def R_names(mask):
    """The short names versel gives, as its --explain prints them."""
    p = subprocess.run([VERSEL, "--explain", "-m", mask], capture_output=True, text=True)
    names = []
    for line in p.stdout.splitlines():
        parts = line.split()
        if len(parts) > 2 and parts[0].isdigit() and line.startswith("  "):
            names.append(parts[1])
    return names


def min_months_check(work, data, mask_text, flag, n):
    """The csv values of --min-months n against the months of the file."""
    run(VERSEL, work, ["-k", "csv", "-d", "7", "-m", mask_text, "--min-months", str(n),
                       "-o", "n%d" % n, data])
    rows = csv_rows(work / ("n%d_sea.csv" % n))
    stations = R.read_stations(work / data, "(1x,i4,12f5.1)", flag, lambda h: (0, 0))
    mask = R.Mask(mask_text)
    flag = R.f32(flag)
    # the variables of the mask: their positions and how they close
    variables, positions = [], []
    for p, c in enumerate(mask_text):
        if c == "0":
            continue
        positions.append(p)
        if not mask.seasons or c != "1":
            variables.append((list(positions), c if mask.seasons else "2"))
            positions = []
    by_key = {(r[0], r[4], r[5]): (r[6], r[7]) for r in rows}
    names = R_names(mask_text)
    checked = 0
    for k, (_, _, first_year, months) in enumerate(stations, 1):
        ifc, nyc, _ = R.reduce(mask, first_year, months, flag)
        for i in range(max(nyc, 0)):
            window = months[12 * i:]
            for (pos, kind), name in zip(variables, names):
                values = [window[p] for p in pos]
                valid = [v for v in values if v != flag]
                if kind == "3":
                    need = min(n, len(values))
                    if len(valid) >= need and valid:
                        total = R.f32(0.0)
                        for v in valid:
                            total = R.f32(total + v)
                        want = R.edit_f(R.f32(total / len(valid)), 20, 2).strip()
                    else:
                        want = ""
                elif len(valid) < len(values):
                    want = ""
                else:
                    total = R.f32(0.0)
                    for v in valid:
                        total = R.f32(total + v)
                    want = R.edit_f(total, 20, 2).strip()
                # the valid months behind the value, empty beside a missing one
                want = (want, str(len(valid)) if want else "")
                got = by_key.get((str(k), str(ifc + i), name))
                checked += 1
                if got != want:
                    fault("--min-months %d %s station %d %d %s: value and n_months %r, worked out %r"
                          % (n, mask_text, k, ifc + i, name, got, want))
                    return
    if checked == 0:
        fault("--min-months %d %s: nothing checked" % (n, mask_text))


# the columns (from 0, width) of latitude and longitude in a header:
# data set 7 "(12x,f6.2,f7.2)", data sets 3 and 4 "(2x,2f6.1)"
SET7_COLUMNS = [(12, 6), (18, 7)]
KAPLAN_COLUMNS = [(2, 6), (8, 6)]


def main():
    global VERSEL
    VERSEL, examples, work = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    shutil.copy(examples / "temperature.dat", work / "temperature.dat")
    gap_file(work)
    kaplan_file(work)

    ds7 = header_lines(work / "temperature.dat", ds7_year)
    for mask in ("00001113111311131113", "111111111111", "00000000000113"):
        compare_with_tsf(VERSEL, work, "temperature.dat", ["-d", "7", "-m", mask],
                         R_names(mask), "-999.90", 2, ds7, SET7_COLUMNS)
    gaps = header_lines(work / "gaps.dat", ds7_year)
    for mask in ("000011130000", "111111111111", "0000000000012000000000003"):
        compare_with_tsf(VERSEL, work, "gaps.dat", ["-d", "7", "-m", mask], R_names(mask),
                         "-999.90", 2, gaps, SET7_COLUMNS)
    k3 = header_lines(work / "kaplan.dat",
                      lambda l: R.read_fields(R.parse_format("(i4,12f7.3)"), l) is not None)
    for ds in ("3", "4"):
        compare_with_tsf(VERSEL, work, "kaplan.dat", ["-d", ds, "-m", "111311131113"],
                         R_names("111311131113"), "163.835", 3, k3, KAPLAN_COLUMNS)

    for data in ("temperature.dat", "gaps.dat"):
        for mask in ("00001113111311131113", "00000000000113", "000011130000", "111211130003"):
            for n in (1, 2, 3, 4, 12):
                min_months_check(work, data, mask, -999.9, n)
    print("%d faults" % len(FAULTS))
    return 1 if FAULTS else 0


if __name__ == "__main__":
    sys.exit(main())
