#!/usr/bin/env python3
"""Writes a file of the shape of the CRU TS monthly grids, for benchmarks.

720 x 360 cells of 0.5 degrees (latitudes -89.75 to 89.75 ascending,
longitudes -179.75 to 179.75), monthly steps from January 1901 to December
2024 (1,488 steps, "days since 1900-1-1", gregorian, mid-month), one float32
variable tmp(time, lat, lon) with _FillValue and missing_value 9.96921e36.
About 26 % of the cells are "land" and hold values (a smooth made-up
pattern of continents); the others are the fill in every month. Land
temperatures follow latitude and season with a little noise, and about 0.5 %
of land months are missing as well. About 1.5 GB.

The file is written a few steps at a time, so that memory stays near 20 MB
whatever the number of years. The same arguments give the same file.

    bench/make_cru_like.py OUT.nc [--format classic64|netcdf4] [--first 1901]
                           [--last 2024] [--land 0.26] [--seed 1]

classic64 is the 64-bit offset format with time as the record dimension,
as the CRU files are distributed; netcdf4 is HDF5-based, uncompressed, in
chunks of one step.
"""
import argparse
import datetime
import sys

import numpy as np
import netCDF4

FILL = np.float32(9.96921e36)
STEPS_AT_ONCE = 12


def land_mask(lat, lon, share, rnd):
    """True for the land cells: the highest `share` of a smooth random field."""
    la = np.radians(lat)[:, None]
    lo = np.radians(lon)[None, :]
    field = np.zeros((lat.size, lon.size))
    for _ in range(12):
        k = rnd.integers(1, 6)
        m = rnd.integers(1, 5)
        phase = rnd.uniform(0, 2 * np.pi, 2)
        field += rnd.uniform(0.3, 1.0) * np.sin(k * lo + phase[0]) * np.cos(m * la + phase[1])
    field -= 0.6 * (np.abs(lat)[:, None] > 80)  # little land at the poles' edge
    cut = np.quantile(field, 1.0 - share)
    return field > cut


def mid_month_days(first, last):
    """Days since 1900-01-01 of the 15th of each month (gregorian after 1582)."""
    days = []
    for y in range(first, last + 1):
        for m in range(1, 13):
            d = netCDF4.date2num(datetime.datetime(y, m, 15), "days since 1900-1-1", "gregorian")
            days.append(d)
    return np.array(days, dtype=np.float64)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("out")
    ap.add_argument("--format", choices=["classic64", "netcdf4"], default="classic64")
    ap.add_argument("--first", type=int, default=1901)
    ap.add_argument("--last", type=int, default=2024)
    ap.add_argument("--land", type=float, default=0.26)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()

    rnd = np.random.default_rng(args.seed)
    lat = np.arange(-89.75, 90.0, 0.5)
    lon = np.arange(-179.75, 180.0, 0.5)
    land = land_mask(lat, lon, args.land, rnd)
    times = mid_month_days(args.first, args.last)

    fmt = "NETCDF3_64BIT_OFFSET" if args.format == "classic64" else "NETCDF4"
    nc = netCDF4.Dataset(args.out, "w", format=fmt)
    nc.Conventions = "CF-1.4"
    nc.title = "made-up monthly temperatures on a 0.5 degree grid, CRU TS shape"
    nc.createDimension("lon", lon.size)
    nc.createDimension("lat", lat.size)
    nc.createDimension("time", None)
    v = nc.createVariable("lon", "f4", ("lon",))
    v.long_name, v.units = "longitude", "degrees_east"
    v[:] = lon
    v = nc.createVariable("lat", "f4", ("lat",))
    v.long_name, v.units = "latitude", "degrees_north"
    v[:] = lat
    t = nc.createVariable("time", "f4", ("time",))
    t.long_name, t.units, t.calendar = "time", "days since 1900-1-1", "gregorian"
    kw = {"chunksizes": (1, lat.size, lon.size)} if args.format == "netcdf4" else {}
    tmp = nc.createVariable("tmp", "f4", ("time", "lat", "lon"), fill_value=FILL, **kw)
    tmp.long_name = "near-surface temperature"
    tmp.units = "degrees Celsius"
    tmp.missing_value = FILL
    tmp.set_auto_maskandscale(False)

    base = 28.0 - 0.55 * np.abs(lat)[:, None] * np.ones((1, lon.size))
    swing = 0.25 * lat[:, None] * np.ones((1, lon.size))  # northern summer in July
    n = times.size
    for start in range(0, n, STEPS_AT_ONCE):
        stop = min(n, start + STEPS_AT_ONCE)
        block = np.empty((stop - start, lat.size, lon.size), dtype=np.float32)
        for i in range(start, stop):
            month = i % 12
            season = -np.cos(2 * np.pi * (month + 0.5) / 12.0)
            x = base + swing * season + rnd.normal(0.0, 1.5, size=base.shape)
            x = np.round(x, 1).astype(np.float32)
            x[~land] = FILL
            x[land & (rnd.random(base.shape) < 0.005)] = FILL
            block[i - start] = x
        t[start:stop] = times[start:stop]
        tmp[start:stop, :, :] = block
        if start % 120 == 0:
            print(f"{args.out}: step {start + 1} of {n}", file=sys.stderr)
    nc.close()
    print(f"{args.out}: {n} steps, {int(land.sum())} land cells of {land.size}", file=sys.stderr)


if __name__ == "__main__":
    main()
