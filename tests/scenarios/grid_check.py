"""Gridded netCDF files through the real binary, against the same values as
text and against the values read back from the nc output.

1. A grid written as netCDF (descending latitudes, longitudes 0..360, packed
   shorts with scale and offset, a fill value, a missing_value, a NaN, a
   sea cell, a month without a time step) and the same values as data set
   7 text (one station per cell with data, its centre in its header) give
   the same mat and grd files byte for byte, the same tsf year lines and the
   same csv values.
2. --region and --near select the cells a computation here selects, nearest
   first; the other layouts' stations take --region and --near by their
   coordinates.
3. The field-correlation map of a chronology with the grid, r and n of each
   cell against Pearson's r worked out here from the cell's months.
4. The nc output of the grid, read back: dimensions, every value against
   the tsf values of its cell, the long-term means against grd, the counts
   of valid months with --min-months; a station input gives a timeSeries
   file. Where installed, cdo sinfo and gmt grdinfo open it without a word
   on standard error.
5. Failures: a text file given to --layout netcdf, a netCDF file given to a
   text layout, a cut file, a variable that is not there: status 1, the
   message, no output file.

Exit 77 when this python3 has no netCDF4 module (run through
tests/examples/with_python.sh).

usage: grid_check.py VERSEL WORK_DIR
"""
import csv
import io
import math
import os
import pathlib
import shutil
import subprocess
import sys

import numpy as np
import netCDF4

import reference as R

FAULTS = []
FLAG = R.f32(-999.9)


def fault(text):
    FAULTS.append(text)
    print("FAULT: " + text)


def run(versel, work, args, status=0):
    p = subprocess.run([versel] + args, cwd=work, capture_output=True)
    if p.returncode != status:
        fault("versel %s: status %d, not %d\n%s" % (" ".join(args), p.returncode, status,
                                                   p.stderr.decode(errors="replace")))
    return p.stderr.decode(errors="replace")


LATS = [51.25, 50.75, 50.25, 49.75]          # descending
LONS = [358.75, 359.25, 359.75, 0.25, 0.75]  # 0..360 across the meridian
FIRST, YEARS = 1951, 12


def make_values(rng):
    """values[t, row, col] in hundredths, None where missing: a sea cell, a
    missing month in every cell (no time step), scattered missing months."""
    months = 12 * YEARS
    v = rng.integers(-500, 3000, size=(months, len(LATS), len(LONS))).astype(object)
    v[:, 1, 2] = None                  # sea: no valid month
    v[rng.random(v.shape) < 0.03] = None
    v[7, :, :] = None                  # August 1951: no step at all
    return v


def write_netcdf(path, v, fmt):
    d = netCDF4.Dataset(path, "w", format=fmt)
    d.createDimension("time", None)
    d.createDimension("latitude", len(LATS))
    d.createDimension("longitude", len(LONS))
    t = d.createVariable("time", "f8", ("time",))
    t.units = "hours since 1950-01-01 00:00:00"
    t.calendar = "gregorian"
    la = d.createVariable("latitude", "f4", ("latitude",))
    la.units = "degrees_north"
    lo = d.createVariable("longitude", "f4", ("longitude",))
    lo.standard_name = "longitude"
    lo.units = "degrees_east"
    x = d.createVariable("tas", "i2", ("time", "latitude", "longitude"), fill_value=-32767)
    x.scale_factor = 0.01
    x.add_offset = 0.0
    x.missing_value = np.int16(-32000)
    x.units = "degC"
    x.set_auto_maskandscale(False)
    la[:] = LATS
    lo[:] = LONS
    import datetime
    steps, rows = [], []
    for k in range(v.shape[0]):
        if k == 7:
            continue  # no step in August 1951
        y, m = FIRST + k // 12, k % 12 + 1
        steps.append((datetime.datetime(y, m, 15, 12) - datetime.datetime(1950, 1, 1)).total_seconds() / 3600)
        block = np.where(v[k] == None, -32767, v[k]).astype("i2")  # noqa: E711
        # the other mark of a missing value
        block[(block == -32767) & (np.arange(block.size).reshape(block.shape) % 2 == 0)] = -32000
        rows.append(block)
    t[:] = steps
    x[:] = np.array(rows)
    d.close()


def month_value(h):
    """A value of hundredths as the reader makes it: h * 0.01 in double, to float."""
    return FLAG if h is None else R.f32(h * 0.01)


def write_text(path, v):
    """The same cells as data set 7 stations: header (12x,f6.2,f7.2) and year
    lines (1x,i4,12f6.2)."""
    lines = []
    for r, lat in enumerate(LATS):
        for c, lon in enumerate(LONS):
            cell = v[:, r, c]
            if all(h is None for h in cell):
                continue
            lines.append("%-12s%6.2f%7.2f" % ("cell%d_%d" % (r, c), lat, lon))
            for y in range(YEARS):
                lines.append(" %4d" % (FIRST + y) + "".join(
                    "%7.2f" % -999.9 if h is None else "%7.2f" % (h / 100)
                    for h in cell[12 * y:12 * y + 12]))
    pathlib.Path(path).write_text("\n".join(lines) + "\n")


def cells_with_data(v):
    return [(r, c) for r in range(len(LATS)) for c in range(len(LONS))
            if not all(h is None for h in v[:, r, c])]


def csv_values(path):
    rows = list(csv.reader(io.StringIO(pathlib.Path(path).read_text(), newline="")))[1:]
    return [(r[4], r[5], r[6], r[7]) for r in rows]


def same_as_text(versel, work, v):
    """netCDF and text: the same output files."""
    text_args = ["-f", "(1x,i4,12f7.2)", "--flag", "-999.9", "--header-format", "(12x,f6.2,f7.2)",
                 "grid.txt"]
    for kind, mask in (("mat", "000001130000"), ("grd", "111311131113"), ("tsf", "00001113111311131113"),
                       ("csv", "000000000001113000000000")):
        for fmt in ("NETCDF3_CLASSIC", "NETCDF4"):
            nc_out = "n_%s_%s" % (kind, fmt)
            run(versel, work, ["-q", "-k", kind, "--layout", "netcdf", "-m", mask, "-o", nc_out,
                               fmt + ".nc"])
            run(versel, work, ["-q", "-k", kind, "-m", mask, "-o", "t_" + kind] + text_args)
            suffix = "_sea.csv" if kind == "csv" else "_sea"
            a, b = work / (nc_out + suffix), work / ("t_" + kind + suffix)
            if kind in ("mat", "grd"):
                same = a.read_bytes() == b.read_bytes()
                if kind == "mat":
                    same = same and (work / (nc_out + "_key")).read_bytes() == \
                        (work / ("t_mat_key")).read_bytes()
            elif kind == "tsf":
                year = lambda text: [l for l in text.splitlines() if l[:5].strip().isdigit()]  # noqa
                same = year(a.read_text()) == year(b.read_text())
            else:
                same = csv_values(a) == csv_values(b)
            if not same:
                fault("%s from %s differs from the text's" % (kind, fmt))
    print("netCDF against text: checked")


def selections(versel, work, v):
    """--region and --near against the cells computed here."""
    data = cells_with_data(v)
    # a box across the meridian, in the -180..180 convention of the option
    run(versel, work, ["-q", "-k", "csv", "--layout", "netcdf", "-m", "113", "--region",
                       "-1/0.5/50/51", "-o", "region", "NETCDF4.nc"])
    want = [(LATS[r], LONS[c]) for r, c in data
            if 50 <= LATS[r] <= 51 and (LONS[c] >= 359 or LONS[c] <= 0.5)]
    got = []
    for row in csv.reader(io.StringIO((work / "region_sea.csv").read_text(), newline="")):
        if row[0] != "station" and (float(row[2]), float(row[3])) not in got:
            got.append((float(row[2]), float(row[3])))
    if got != want:
        fault("--region: cells %s, computed %s" % (got, want))
    # --near: the 3 nearest cells with data, nearest first
    site = (50.6, -0.4)
    def km(lat, lon):
        p1, p2 = math.radians(site[0]), math.radians(lat)
        dl = math.radians(lon - site[1])
        a = math.sin((p2 - p1) / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
        return 2 * 6371.0088 * math.asin(math.sqrt(a))
    order = sorted(data, key=lambda rc: km(LATS[rc[0]], LONS[rc[1]]))[:3]
    want = ["%g %g" % (LATS[r], LONS[c]) for r, c in order]
    for layout_args, label in ((["--layout", "netcdf", "NETCDF4.nc"], "grid"),
                               (["-f", "(1x,i4,12f7.2)", "--flag", "-999.9", "--header-format",
                                 "(12x,f6.2,f7.2)", "grid.txt"], "text")):
        run(versel, work, ["-q", "-k", "grd", "-m", "113", "--near", "50.6/-0.4/3", "-o",
                           "near_" + label] + layout_args)
        got = ["%g %g" % (float(l.split()[0]), float(l.split()[1]))
               for l in (work / ("near_%s_sea" % label)).read_text().splitlines()]
        if got != want:
            fault("--near on the %s: %s, computed %s" % (label, got, want))
    print("--region and --near: checked")


def nc_output(versel, work, v):
    """The nc output read back."""
    mask = "000001130000"
    run(versel, work, ["-q", "-k", "nc", "--layout", "netcdf", "-m", mask, "--min-months", "2",
                       "-o", "out", "NETCDF4.nc"])
    run(versel, work, ["-q", "-k", "tsf", "--layout", "netcdf", "-m", mask, "--min-months", "2",
                       "-o", "out_tsf", "NETCDF4.nc"])
    run(versel, work, ["-q", "-k", "grd", "--layout", "netcdf", "-m", mask, "--min-months", "2",
                       "-o", "out_grd", "NETCDF4.nc"])
    d = netCDF4.Dataset(work / "out_sea.nc")
    d.set_auto_mask(False)
    dims = {k: x.size for k, x in d.dimensions.items()}
    if (dims.get("time"), dims.get("lat"), dims.get("lon")) != (YEARS, len(LATS), len(LONS)):
        fault("nc dimensions %s" % dims)
    if list(d["lat"][:]) != LATS or list(d["lon"][:]) != LONS:
        fault("nc coordinates %s %s" % (list(d["lat"][:]), list(d["lon"][:])))
    if list(d["year"][:]) != list(range(FIRST, FIRST + YEARS)):
        fault("nc years %s" % list(d["year"][:]))
    values, counts, means = d["JJA_avg"][:], d["JJA_avg_n"][:], d["JJA_avg_mean"][:]
    # tsf: a header per cell with data, then its year lines
    tsf, cell = {}, None
    for line in (work / "out_tsf_sea").read_text().splitlines():
        if line[:5].strip().isdigit():
            tsf[(cell, int(line[:5]))] = line[5:13].strip()
        else:
            lat, lon = line.split()
            cell = (float(lat), float(lon))
    checked = 0
    for r, lat in enumerate(LATS):
        for c, lon in enumerate(LONS):
            for y in range(YEARS):
                got = float(values[y, r, c])
                want = tsf.get(((lat, lon), FIRST + y))
                if want is None or want == "-999.90":
                    if got != FLAG:
                        fault("nc %s %s %d: %r, tsf has none" % (lat, lon, FIRST + y, got))
                    continue
                checked += 1
                if R.edit_f(got, 20, 2).strip() != want:
                    fault("nc %s %s %d: %r, tsf %s" % (lat, lon, FIRST + y, got, want))
                months = v[12 * y + 5:12 * y + 8, r, c]
                if int(counts[y, r, c]) != sum(h is not None for h in months):
                    fault("nc counts %s %s %d: %d" % (lat, lon, FIRST + y, counts[y, r, c]))
    grd = {(float(l.split()[0]), float(l.split()[1])): l.split()[2]
           for l in (work / "out_grd_sea").read_text().splitlines()}
    for r, lat in enumerate(LATS):
        for c, lon in enumerate(LONS):
            want = grd.get((lat, lon))
            got = float(means[r, c])
            if (want is None and got != FLAG) or (want is not None and R.edit_f(got, 20, 2).strip() != want):
                fault("nc mean %s %s: %r, grd %s" % (lat, lon, got, want))
    d.close()
    if checked < 100:
        fault("nc: only %d values checked" % checked)
    # a station input: a timeSeries file
    run(versel, work, ["-q", "-k", "nc", "-f", "(1x,i4,12f7.2)", "--flag", "-999.9",
                       "--header-format", "(12x,f6.2,f7.2)", "-m", mask, "-o", "stations",
                       "grid.txt"])
    d = netCDF4.Dataset(work / "stations_sea.nc")
    names = [n.tobytes().decode().rstrip("\0") for n in d["station_name"][:]]
    if getattr(d, "featureType", "") != "timeSeries" or names[0] != "cell0_0" or \
            len(names) != len(cells_with_data(v)):
        fault("timeSeries file: featureType %r, names %s" % (getattr(d, "featureType", ""), names))
    d.close()
    for tool, args in (("cdo", ["-s", "sinfo"]), ("gmt", ["grdinfo"])):
        if shutil.which(tool) is None:
            continue
        target = str(work / "out_sea.nc") + ("?JJA_avg_mean" if tool == "gmt" else "")
        p = subprocess.run([tool] + args + [target], capture_output=True, text=True)
        if p.returncode != 0 or (tool == "cdo" and p.stderr.strip()):
            fault("%s on the nc output: status %d\n%s" % (tool, p.returncode, p.stderr))
    print("nc output: %d values checked" % checked)


def correlation_map(versel, work, v):
    """The field-correlation map of a chronology with the grid's June-August
    averages, value by value against Pearson's r worked out here."""
    chron = {y: 0.5 + ((y * 37) % 23) / 20.0 for y in range(FIRST - 3, FIRST + YEARS)}
    (work / "chron.csv").write_text("year,ring\n" + "".join("%d,%.3f\n" % (y, c)
                                                             for y, c in chron.items()))
    run(versel, work, ["-q", "-k", "nc", "--layout", "netcdf", "--chronology", "chron.csv",
                       "-m", "000001130000", "--min-years", "5", "-o", "map", "NETCDF4.nc"])
    d = netCDF4.Dataset(work / "map_corr.nc")
    d.set_auto_mask(False)
    r_field, n_field = d["JJA_avg_r"][:], d["JJA_avg_n"][:]
    checked = 0
    for row in range(len(LATS)):
        for col in range(len(LONS)):
            pairs = []
            for y in range(YEARS):
                months = v[12 * y + 5:12 * y + 8, row, col]
                if any(h is None for h in months):
                    continue
                total = R.f32(0.0)
                for h in months:
                    total = R.f32(total + month_value(h))
                pairs.append((R.f32(total / 3), chron[FIRST + y]))
            if len(pairs) < 5:
                if float(r_field[row, col]) != FLAG:
                    fault("map %d %d: r %r with %d years" % (row, col, r_field[row, col], len(pairs)))
                continue
            xs, ys = [p[0] for p in pairs], [p[1] for p in pairs]
            mx, my = sum(xs) / len(xs), sum(ys) / len(ys)
            sxy = sum((a - mx) * (b - my) for a, b in pairs)
            sxx = sum((a - mx) ** 2 for a in xs)
            syy = sum((b - my) ** 2 for b in ys)
            want = sxy / math.sqrt(sxx * syy)
            checked += 1
            if abs(float(r_field[row, col]) - want) > 1e-5 or int(n_field[row, col]) != len(pairs):
                fault("map %d %d: r %r n %d, worked out %r n %d" % (row, col, r_field[row, col],
                                                                     n_field[row, col], want, len(pairs)))
    d.close()
    if checked < 10:
        fault("map: only %d cells checked" % checked)
    print("correlation map: %d cells checked" % checked)


def failures(versel, work):
    (work / "fails").mkdir()
    f = work / "fails"
    shutil.copy(work / "NETCDF3_CLASSIC.nc", f / "cut.nc")
    size = os.path.getsize(f / "cut.nc")
    with open(f / "cut.nc", "r+b") as out:
        out.truncate(size - 100)
    shutil.copy(work / "NETCDF4.nc", f / "g.nc")
    (f / "text.nc").write_text("1990 1 2 3 4 5 6 7 8 9 10 11 12\n")
    cases = [
        (["--layout", "netcdf", "text.nc"], "text.nc is not a netCDF file"),
        (["--layout", "netcdf", "cut.nc"], "is truncated or corrupt"),
        (["--layout", "netcdf", "--var", "pr", "g.nc"], "has no variable 'pr'"),
        (["--layout", "free", "g.nc"], "read it with --layout netcdf"),
        (["-d", "7", "g.nc"], "read it with --layout netcdf"),
    ]
    for args, message in cases:
        before = sorted(p.name for p in f.iterdir())
        err = run(versel, f, ["-k", "csv", "-m", "113"] + args, status=1)
        if message not in err:
            fault("%s: %r does not say %r" % (args, err, message))
        if sorted(p.name for p in f.iterdir()) != before:
            fault("%s: left files %s" % (args, sorted(p.name for p in f.iterdir())))
    print("failures: checked")


def main():
    versel, work = str(pathlib.Path(sys.argv[1]).resolve()), pathlib.Path(sys.argv[2])
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    v = make_values(np.random.default_rng(20))
    for fmt in ("NETCDF3_CLASSIC", "NETCDF4"):
        write_netcdf(work / (fmt + ".nc"), v, fmt)
    write_text(work / "grid.txt", v)
    same_as_text(versel, work, v)
    selections(versel, work, v)
    nc_output(versel, work, v)
    correlation_map(versel, work, v)
    failures(versel, work)
    print("%d faults" % len(FAULTS))
    return 1 if FAULTS else 0


if __name__ == "__main__":
    sys.exit(main())
