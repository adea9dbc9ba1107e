"""What a run must not invent or hide at the edges of its data:

1. Without --flag, the free layout and tables take the nines sentinels
   (-99, -99.9, -99.90, -99.99, -999, -999.9, -9999, -99999 and their
   spellings with zeros after the point) as missing, inside and outside
   seasons; every value is compared with one worked out here, and the
   summary line counts the months by value. With --flag X only X is missing
   and the sentinels are values. A single nine before the point (-9, -9.9)
   stays a value.
2. A value that looks like an undeclared flag (999.9 in 3 or more months,
   the largest, far from the median; -9 as the only negative value of a
   precipitation file) is named on standard error after the summary, and
   the outputs are those of a run without it being named; a file without
   such a value, a dry station of many zeros among them, gets no such line.
3. A FILE that yields no station, or no output year for any station, fails
   for -d, -f and every layout: status 1, the message, no output file, and
   an earlier output of the same name left as it was.
4. The csv name of a station read through a header format is its header
   without the columns of its coordinates (data sets 1, 2, 7 and 12); a
   free file's preamble names its station by its title; a name with commas
   and quotes is quoted as csv quotes it.

usage: edges_check.py VERSEL WORK_DIR
"""
import csv
import io
import pathlib
import random
import shutil
import subprocess
import sys

import reference as R

FAULTS = []


def fault(text):
    FAULTS.append(text)
    print("FAULT: " + text)


def run(versel, work, args):
    p = subprocess.run([versel] + args, cwd=work, capture_output=True)
    return p.returncode, p.stderr.decode(errors="replace")


def csv_rows(path):
    text = path.read_bytes().decode("utf-8")
    return list(csv.reader(io.StringIO(text, newline="")))[1:]


def average_text(values, flag):
    """An average season as the reduction forms it: missing with any month missing."""
    if any(v == flag for v in values):
        return ""
    total = R.f32(0.0)
    for v in values:
        total = R.f32(total + v)
    return R.edit_f(R.f32(total / len(values)), 20, 2).strip()


SENTINELS = ["-99", "-99.9", "-99.90", "-99.99", "-999", "-999.9", "-999.00", "-9999",
             "-99999", "-9999.9"]
NOT_SENTINELS = ["-9", "-9.9", "-9.0", "-99.09", "-909", "99.9"]


def sentinels(versel, work, rnd):
    """Each sentinel spelling and near misses, with and without --flag."""
    lines, years = ["Sentinel Station"], {}
    for y in range(1950, 1990):
        row = []
        for m in range(12):
            r = rnd.random()
            if r < 0.12:
                row.append(rnd.choice(SENTINELS))
            elif r < 0.16:
                row.append(rnd.choice(NOT_SENTINELS))
            else:
                row.append("%.1f" % rnd.uniform(-20, 30))
        years[y] = row
        lines.append("%d %s" % (y, " ".join(row)))
    (work / "sentinels.txt").write_text("\n".join(lines) + "\n")
    mask = "000001130000"  # June to August: sentinels inside and outside the season
    for flag_args in ([], ["--flag", "-999.9"]):
        F = R.f32(-999.9)
        status, err = run(versel, work, ["-k", "csv", "--layout", "free", "-m", mask, "-o",
                                         "sent%d" % len(flag_args)] + flag_args + ["sentinels.txt"])
        if status != 0:
            fault("sentinels %s: status %d %s" % (flag_args, status, err))
            continue
        rows = {r[4]: (r[6], r[7]) for r in csv_rows(work / ("sent%d_sea.csv" % len(flag_args)))}
        counts = {}
        for y, row in years.items():
            values = []
            for text in row[5:8]:
                sentinel = not flag_args and text in SENTINELS
                values.append(F if sentinel or R.f32(float(text)) == F else R.f32(float(text)))
            want = average_text(values, F)
            want = (want, "3" if want else "")
            if rows.get(str(y)) != want:
                fault("sentinels %s: %d is %r, worked out %r" % (flag_args, y, rows.get(str(y)), want))
            for text in row:
                if not flag_args and text in SENTINELS:
                    v = R.f32(float(text))
                    counts[v] = counts.get(v, 0) + 1
        if flag_args:
            if "taken as missing" in err:
                fault("with --flag the summary counts sentinels: " + err)
        else:
            for v, n in counts.items():
                shown = next(t for t in ("%.*g" % (p, v) for p in range(1, 10))
                             if R.f32(float(t)) == v)
                if " %d of %s" % (n, shown) not in err.replace("months of", "of").replace(
                        "month of", "of") and "%d months of %s" % (n, shown) not in err:
                    fault("summary without %d of %s: %s" % (n, shown, err))
            if "taken as missing" not in err:
                fault("no count of sentinels: " + err)
    print("sentinels: checked")


def outliers(versel, work, rnd):
    """The line on an undeclared flag, and none where there is none."""
    def station_file(name, month):
        lines = ["Station " + name]
        for y in range(1950, 1990):
            lines.append("%d %s" % (y, " ".join(month(y, m) for m in range(12))))
        (work / name).write_text("\n".join(lines) + "\n")

    station_file("flagged.txt", lambda y, m: "999.9" if (y * 12 + m) % 37 == 0 else
                 "%.1f" % rnd.uniform(-5, 25))
    station_file("clean.txt", lambda y, m: "%.1f" % rnd.uniform(-5, 25))
    station_file("dry.txt", lambda y, m: "%.1f" % (rnd.uniform(1, 40) if (y + m) % 9 == 0 else 0))
    station_file("precip.txt", lambda y, m: "-9" if (y * 12 + m) % 41 == 0 else
                 "%.1f" % rnd.uniform(0, 150))
    for name, want in (("flagged.txt", "999.9 stands in 13 months as the largest value"),
                       ("clean.txt", None), ("dry.txt", None),
                       ("precip.txt", "-9 stands in 12 months as the only negative value")):
        status, err = run(versel, work, ["-k", "grd", "--layout", "free", "-m", "111311131113",
                                         "-o", "o_" + name, name])
        lines = err.splitlines()
        if status != 0 or not lines or "wrote" not in lines[0]:
            fault("%s: status %d %s" % (name, status, err))
            continue
        if want is None and len(lines) != 1:
            fault("%s: a line where nothing stands out: %s" % (name, err))
        if want is not None and (len(lines) != 2 or want not in lines[1] or
                                 "--flag " + want.split()[0] not in lines[1]):
            fault("%s: %r, not a line saying %r and its option" % (name, err, want))
    # the outputs are the same as without the report
    status, _ = run(versel, work, ["-q", "-k", "grd", "--layout", "free", "-m", "111311131113",
                                   "-o", "q_flagged", "flagged.txt"])
    if (work / "q_flagged_sea").read_bytes() != (work / "o_flagged.txt_sea").read_bytes():
        fault("the report of an outlier changed the output")
    print("outliers: checked")


EMPTY_RUNS = [
    # label, options, file name, file text, what standard error says
    ("data set, empty", ["-d", "7"], "e.dat", "",
     "found no station: no line of the file is a year line of the data format (1x,i4,12f5.1)"),
    ("data set, a header only", ["-d", "7"], "h.dat", "\nA  1.00  2.00\n", "found no station"),
    ("format", ["-f", "(1x,i4,12f5.1)", "--flag", "-99.9", "--header-format", "(12x,2f6.2)"],
     "f.dat", "\n\n",
     "found no station: no line of the file is a year line of the data format (1x,i4,12f5.1)"),
    ("free", ["--layout", "free"], "free.txt", "only a name\n",
     "found no station: no line of the file is a year line of layout free"),
    ("ghcnm", ["--layout", "ghcnm"], "g.dat", "", "found no station: no line of the file is a "
     "year line of layout ghcnm"),
    ("climdiv", ["--layout", "climdiv"], "c.txt", "", "found no station"),
    ("table", ["--layout", "table"], "t.csv", "year,jan,feb,mar,apr,may,jun,jul,aug,sep,oct,nov,"
     "dec\n", "found no station: the table has no row of values"),
    ("data set, too short", ["-d", "7", "-m", "000000000000000001130000"], "s.dat",
     "A  1.00  2.00\n 1990   10   20   30   40   50   60   70   80   90  100  110  120\n",
     "no output year: the mask reaches 2 years and the longest station has 1 year"),
    ("free, too short", ["--layout", "free", "-m", "00000000000000000000000000113"], "sf.txt",
     "S\n1990 1 2 3 4 5 6 7 8 9 10 11 12\n1991 1 2 3 4 5 6 7 8 9 10 11 12\n",
     "no output year: the mask reaches 3 years and the longest station has 2 years"),
    ("table, too short", ["--layout", "table", "-m", "000000000000000001130000"], "st.csv",
     "date,value\n1990-01,1\n", "no output year: the mask reaches 2 years and the longest "
     "station has 1 year"),
]


def empty_runs(versel, work):
    for label, options, name, text, message in EMPTY_RUNS:
        folder = work / ("empty_" + name.replace(".", "_"))
        folder.mkdir()
        (folder / name).write_text(text)
        stem = name.rsplit(".", 1)[0]
        for kind in ("tsf", "mat", "grd", "csv"):
            earlier = {stem + "_sea": b"an earlier result\n"}
            for f, b in earlier.items():
                (folder / f).write_bytes(b)
            mask = [] if "-m" in options else ["-m", "000001130000"]
            status, err = run(versel, folder, ["-k", kind] + options + mask + [name])
            if status != 1 or message not in err or not err.startswith("versel: %s: " % name):
                fault("%s, %s: status %d, %r (want %r)" % (label, kind, status, err, message))
            left = sorted(p.name for p in folder.iterdir())
            if left != sorted([name] + list(earlier)):
                fault("%s, %s: files left %s" % (label, kind, left))
            for f, b in earlier.items():
                if (folder / f).read_bytes() != b:
                    fault("%s, %s: the earlier %s changed" % (label, kind, f))
    print("empty runs: checked")


def names(versel, work):
    """csv names from headers, a preamble and a quoted name."""
    cases = [
        # data set, header line, a year line, the name
        ("1", "ukmo box 0412 35   40 lon     -75   -70 ukmo monthly sst deg c",
         " 199012.3111.8512.0213.4715.9619.8823.4024.9123.1220.0516.7414.02",
         "ukmo box 0412 lon ukmo monthly sst deg c"),
        ("2", "slp box 00123 50   55 lon    -130  -125 trenberth monthly slp mb",
         " 19851012.31013.11014.81016.21017.01018.41019.91019.11017.31015.51013.21012.0",
         "slp box 00123 lon trenberth monthly slp mb"),
        ("7", "LITTLE ROCK  34.73 -92.23",
         " 1931   53   95  123  194  266  283  252  263  171  110   92   56", "LITTLE ROCK"),
        ("7", 'A, "B" farm  45.00  10.00',
         " 1931   53   95  123  194  266  283  252  263  171  110   92   56", 'A, "B" farm'),
        ("12", "     36.0  -94.0 pdsi cell 12",
         " 1990    -1.2000     0.5000     1.1000     2.0000     1.5000     0.2000    -0.3000"
         "    -1.0000    -2.0000    -2.5000    -1.7000    -0.4000", "pdsi cell 12"),
    ]
    for k, (ds, header, year_line, want) in enumerate(cases):
        name = "n%d.dat" % k
        (work / name).write_text(header + "\n" + year_line + "\n")
        status, err = run(versel, work, ["-k", "csv", "-d", ds, "-m", "113", name])
        rows = csv_rows(work / ("n%d_sea.csv" % k)) if status == 0 else []
        if not rows or rows[0][1] != want:
            fault("data set %s: name %r, not %r (%s)" % (ds, rows[0][1] if rows else None, want, err))
        raw = (work / ("n%d_sea.csv" % k)).read_text() if status == 0 else ""
        if '"' in want and '"A, ""B"" farm"' not in raw:
            fault("a name with commas and quotes is not quoted as csv quotes it: " + raw)
    preamble = ["Monthly Central England Temperature (Degrees C)",
                "1659-1973 Manley (Q.J.R.METEOROL.SOC., 1974)",
                "1974-2015 Parker et al. (INT.J.CLIM., 1992)",
                "Parker and Horton (INT.J.CLIM., 2005)", "", "",
                "   Year    Jan    Feb    Mar    Apr    May    Jun    Jul    Aug    Sep    Oct    "
                "Nov    Dec     Annual",
                "   2016    5.4    4.9    5.8    7.5   12.6   14.8   16.8   17.1   16.0   11.1    "
                "6.2    6.9    10.4"]
    (work / "cet.txt").write_text("\n".join(preamble) + "\n")
    # stations that each have a name line right above their year lines keep it
    (work / "stations.txt").write_text("Title of the file\n\nFaraday\nYear Jan Feb Mar Apr May "
                                       "Jun Jul Aug Sep Oct Nov Dec\n1990 1 2 3 4 5 6 7 8 9 10 11 12"
                                       "\nVostok\n1990 1 2 3 4 5 6 7 8 9 10 11 12\n")
    for name, want in (("cet.txt", ["Monthly Central England Temperature (Degrees C)"]),
                       ("stations.txt", ["Faraday", "Vostok"])):
        status, err = run(versel, work, ["-k", "csv", "--layout", "free", "-m", "113", name])
        rows = csv_rows(work / (name.split(".")[0] + "_sea.csv")) if status == 0 else []
        got = []
        for r in rows:
            if r[1] not in got:
                got.append(r[1])
        if got != want:
            fault("%s: names %r, not %r (%s)" % (name, got, want, err))
    print("names: checked")


def main():
    versel, work = str(pathlib.Path(sys.argv[1]).resolve()), pathlib.Path(sys.argv[2])
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    rnd = random.Random(23)
    sentinels(versel, work, rnd)
    outliers(versel, work, rnd)
    empty_runs(versel, work)
    names(versel, work)
    print("%d faults" % len(FAULTS))
    return 1 if FAULTS else 0


if __name__ == "__main__":
    sys.exit(main())
