#!/usr/bin/env python3
"""Load versel's mat output into numpy and print one station's series.

A mat run writes two files: NAME_sea with one row per calendar year and
season and one value column per station, and NAME_key with each station's
latitude and longitude, one line per station in the order of the columns.
load() turns the pair into

    years     1-D array of the calendar years, first to last
    values    array of shape (years, seasons, stations); missing values
              (the run's missing-value flag, or a field of asterisks that
              was too narrow for its value) are NaN
    lat, lon  1-D arrays, one entry per station

so values[years == 1950, :, 2] holds the seasons of 1950 at the third
station.

usage: load_mat.py SEA_FILE KEY_FILE [STATION [FLAG]]
  prints station STATION (1 for the first line of the key file, default 1)
  as one line per year - the year and its seasons, nan where missing -
  from its first to its last year with a value. FLAG is the run's
  missing-value flag (default -999.9, that of data sets 6 to 10).

Needs numpy (Debian: apt-get install python3-numpy).
"""
import sys

import numpy as np


def _fields(line, first, width, count):
    """count fixed-width fields of `line` starting at column `first` (1-based)
    with one blank between them."""
    return [line[first - 1 + k * (width + 1):first - 1 + k * (width + 1) + width]
            for k in range(count)]


def _number(text):
    text = text.strip()
    if not text or "*" in text:
        return np.nan
    return float(text)


def _decimals(text):
    text = text.strip()
    return len(text) - text.index(".") - 1 if "." in text else 0


def read_key(path):
    """Latitudes and longitudes of a _key file: a blank, then two 8-column
    fields (columns 2-9 and 10-17)."""
    lat, lon = [], []
    with open(path) as f:
        for line in f:
            if line.strip():
                lat.append(_number(line[1:9]))
                lon.append(_number(line[9:17]))
    return np.array(lat), np.array(lon)


def read_sea(path, stations, flag=-999.9):
    """years, values[years, seasons, stations] from a mat _sea file.

    A row holds a blank, the year in columns 2-5, two blanks, the season in
    columns 8-9, then per station a blank and an 8-column value (station k in
    columns 11+9(k-1) to 18+9(k-1))."""
    rows = []
    with open(path) as f:
        for line in f:
            if line.strip():
                rows.append((int(line[1:5]), int(line[7:9]),
                             _fields(line.rstrip("\n"), 11, 8, stations)))
    if not rows:
        return np.zeros(0, dtype=int), np.zeros((0, 0, stations))
    seasons = max(season for _, season, _ in rows)
    first = rows[0][0]
    years = np.arange(first, rows[-1][0] + 1)
    values = np.full((len(years), seasons, stations), np.nan)
    # Fields print the flag rounded to the file's decimals, like any value.
    shown_flag = round(flag, file_decimals(path))
    for year, season, fields in rows:
        for k, text in enumerate(fields):
            v = _number(text)
            if v != shown_flag:
                values[year - first, season - 1, k] = v
    return years, values


def file_decimals(sea_path):
    """Decimals of the values of a _sea file: 3 for data sets 3 and 4, else 2."""
    with open(sea_path) as f:
        for line in f:
            for text in line[10:].split():
                if "*" not in text:
                    return _decimals(text)
    return 2


def load(sea_path, key_path, flag=-999.9):
    """years, values[years, seasons, stations], lat, lon of a mat file pair."""
    lat, lon = read_key(key_path)
    years, values = read_sea(sea_path, len(lat), flag)
    return years, values, lat, lon


def station_series(years, values, station):
    """The rows of one station (0-based) from its first to its last year with
    any value: a list of (year, seasons)."""
    present = ~np.all(np.isnan(values[:, :, station]), axis=1)
    if not present.any():
        return []
    first, last = np.argmax(present), len(present) - 1 - np.argmax(present[::-1])
    return [(int(years[i]), values[i, :, station]) for i in range(first, last + 1)]


def main(argv):
    if len(argv) < 3:
        print(__doc__[__doc__.index("usage:"):__doc__.index("Needs")].rstrip(), file=sys.stderr)
        return 2
    station = int(argv[3]) if len(argv) > 3 else 1
    flag = float(argv[4]) if len(argv) > 4 else -999.9
    years, values, lat, lon = load(argv[1], argv[2], flag)
    d = file_decimals(argv[1])
    if not 1 <= station <= len(lat):
        print(f"station {station} is not in {argv[2]} (it has {len(lat)})", file=sys.stderr)
        return 1
    print(f"# station {station} of {len(lat)}: latitude {lat[station - 1]:.2f}, "
          f"longitude {lon[station - 1]:.2f}; array {values.shape[0]} years x "
          f"{values.shape[1]} seasons x {values.shape[2]} stations")
    for year, seasons in station_series(years, values, station - 1):
        print(f"{year:5d}" + "".join(f"{v:8.{d}f}" for v in seasons))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
