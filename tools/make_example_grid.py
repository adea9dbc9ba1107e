#!/usr/bin/env python3
"""Writes examples/grid.nc: a made-up monthly temperature grid for versel's examples.

The grid: 0.5-degree cells from 29.5 to 35 N and from 93 to 87 W (11 rows by 12
columns, centres 29.75..34.75 and -92.75..-87.25), the lower Mississippi valley
from Little Rock down to the Gulf coast; the five cells of the Gulf of Mexico
in the south-east corner hold no data. Monthly means of 1951-2010 in degC,
float32 with _FillValue, time in "days since 1900-01-01" of the standard
calendar at the 15th of each month, CF-1.8 axes, as the gridded archives
distribute them. Two months of one coastal cell (August and September 1969)
are missing too.

The values are made up, but not at random: each cell's anomaly is the Little
Rock anomaly of examples/temperature.dat (1951-1990; a made-up regional
anomaly after 1990 and where Little Rock misses a month), weighted by
exp(-d / 400 km) with d the cell's distance from Little Rock, plus made-up
anomalies that neighbouring cells share, on a climatology that warms towards the coast and in the Mississippi
valley (the hills on either side cooler), and a slight warming
after 1980. So the chronology LRK001 of examples/chronology.crn, which follows
Little Rock's May-July, correlates with the grid most strongly around Little
Rock. The file is the same on every run (seeded; no date in it).

usage: python3 tools/make_example_grid.py [OUT]   (default examples/grid.nc,
from the root of the repository; needs numpy and netCDF4)
"""
import datetime
import math
import pathlib
import sys

import numpy as np
import netCDF4

HERE = pathlib.Path(__file__).resolve().parent.parent
FIRST_YEAR, LAST_YEAR = 1951, 2010
LATS = np.arange(29.75, 35.0, 0.5)   # 11 rows
LONS = np.arange(-92.75, -87.0, 0.5)  # 12 columns
SEA = [(0, c) for c in range(7, 12)]  # row 29.75 east of the Mississippi delta
GAP = ((1, 9), (1969, (8, 9)))        # cell (30.25, -88.25): Aug and Sep 1969 missing
SITE = (34.73, -92.23)                # Little Rock
FILL = np.float32(9.96921e36)


def little_rock(path):
    """{year: 12 monthly means in degC, NaN where missing} of the first station."""
    years = {}
    with open(path) as f:
        next(f)  # the header line
        for line in f:
            if not line[1:5].strip().isdigit():
                break  # the next station
            year = int(line[1:5])
            fields = [line[5 + 5 * k:10 + 5 * k] for k in range(12)]
            years[year] = [math.nan if v.strip() == "-9999" else int(v) / 10 for v in fields]
    return years


def distance_km(lat1, lon1, lat2, lon2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dl = math.radians(lon2 - lon1)
    c = math.sin(p1) * math.sin(p2) + math.cos(p1) * math.cos(p2) * math.cos(dl)
    return 6371.0 * math.acos(min(1.0, max(-1.0, c)))


def relief(lat, lon):
    """Degrees the mean differs by from the latitude's: the hills of northern
    Alabama and the Ouachita Mountains cooler, the Mississippi valley warmer."""
    return (-0.9 * math.exp(-((lat - 34.3) ** 2 + (lon + 87.5) ** 2) / 1.2)
            - 0.7 * math.exp(-((lat - 34.6) ** 2 + (lon + 93.1) ** 2) / 0.5)
            + 0.4 * math.exp(-((lon + 90.9) ** 2) / 0.4))


def main(out):
    rng = np.random.default_rng(1951)
    years = LAST_YEAR - FIRST_YEAR + 1
    months = 12 * years

    # The regional anomaly: Little Rock's where it has a month, else made up.
    lr = little_rock(HERE / "examples" / "temperature.dat")
    lr_years = sorted(y for y in lr if FIRST_YEAR <= y)
    table = np.array([lr[y] for y in lr_years])
    clim = np.nanmean(table, axis=0)
    spread = np.nanstd(table, axis=0)
    regional = np.empty(months)
    made_up = 0.0
    for i in range(months):
        year, m = FIRST_YEAR + i // 12, i % 12
        made_up = 0.3 * made_up + math.sqrt(1 - 0.09) * rng.standard_normal()
        value = lr.get(year, [math.nan] * 12)[m] - clim[m]
        regional[i] = value if not math.isnan(value) else made_up * spread[m]

    data = np.full((months, len(LATS), len(LONS)), FILL, dtype=np.float32)
    month = np.arange(months) % 12
    year = FIRST_YEAR + np.arange(months) // 12
    warming = np.where(year > 1980, 0.02 * (year - 1980), 0.0)
    # What is not Little Rock's: made-up anomalies of a few places in and
    # around the box, each cell weighting them by its distance, so that
    # neighbouring cells vary alike, and a little of its own.
    places = [(rng.uniform(28.5, 36.0), rng.uniform(-94.0, -86.0)) for _ in range(8)]
    place_series = rng.standard_normal((len(places), months))
    for r, lat in enumerate(LATS):
        for c, lon in enumerate(LONS):
            weights = np.array([math.exp(-distance_km(lat, lon, p[0], p[1]) / 250.0)
                                for p in places])
            own = weights @ place_series + 0.3 * rng.standard_normal(months)
            own *= spread[month] / own.std()
            if (r, c) in SEA:
                continue
            w = math.exp(-distance_km(SITE[0], SITE[1], lat, lon) / 400.0)
            mean = 17.0 + 0.8 * (SITE[0] - lat) + relief(lat, lon)  # warmer towards the coast
            swing = 11.5 - 0.6 * (SITE[0] - lat)     # a milder winter there
            cycle = mean - swing * np.cos(2 * math.pi * (month + 0.5 - 0.6) / 12)
            values = cycle + w * regional + math.sqrt(1 - w * w) * own + warming
            data[:, r, c] = np.round(values, 1)
    (gr, gc), (gy, gm) = GAP
    for m in gm:
        data[12 * (gy - FIRST_YEAR) + m - 1, gr, gc] = FILL

    nc = netCDF4.Dataset(out, "w", format="NETCDF3_CLASSIC")
    nc.Conventions = "CF-1.8"
    nc.title = "Made-up monthly mean temperature, 0.5 degree, 1951-2010 (versel example)"
    nc.institution = "versel examples"
    nc.source = "tools/make_example_grid.py: made-up values, not observations"
    nc.comment = ("Anomalies follow Little Rock of examples/temperature.dat, weakening with "
                  "distance from it; the cells of the Gulf of Mexico hold no data.")
    nc.createDimension("time", months)
    nc.createDimension("lat", len(LATS))
    nc.createDimension("lon", len(LONS))
    t = nc.createVariable("time", "f8", ("time",))
    t.standard_name = "time"
    t.long_name = "time"
    t.units = "days since 1900-01-01"
    t.calendar = "standard"
    t.axis = "T"
    origin = datetime.date(1900, 1, 1)
    t[:] = [(datetime.date(FIRST_YEAR + i // 12, i % 12 + 1, 15) - origin).days
            for i in range(months)]
    la = nc.createVariable("lat", "f4", ("lat",))
    la.standard_name = "latitude"
    la.long_name = "latitude"
    la.units = "degrees_north"
    la.axis = "Y"
    la[:] = LATS
    lo = nc.createVariable("lon", "f4", ("lon",))
    lo.standard_name = "longitude"
    lo.long_name = "longitude"
    lo.units = "degrees_east"
    lo.axis = "X"
    lo[:] = LONS
    v = nc.createVariable("tmp", "f4", ("time", "lat", "lon"), fill_value=FILL)
    v.standard_name = "air_temperature"
    v.long_name = "near-surface temperature"
    v.units = "degC"
    v.cell_methods = "time: mean"
    v[:] = data
    nc.close()


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else str(HERE / "examples" / "grid.nc"))
