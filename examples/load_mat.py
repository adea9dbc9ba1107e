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
    lat, lon  1-D arrays, one entry per station; NaN for a station
              without coordinates (the flag in the _key file)

so values[years == 1950, :, 2] holds the seasons of 1950 at the third
station.

usage: load_mat.py SEA_FILE KEY_FILE [STATION [FLAG]]
  prints station STATION (1 for the first line of the key file, default 1)
  as one line per year - the year and its seasons, nan where missing -
  from its first to its last year with a value. FLAG is the run's
  missing-value flag (default -999.9, that of data sets 6 to 10).

Both files are checked before they are loaded: a file that is not the part
of a mat pair it was given as - the output of a tsf or grd run, a _sea file
that a later run replaced, the two names swapped, a pair from two runs - is
refused with a one-line message (NotMatFile from load()).

Needs numpy (Debian: apt-get install python3-numpy).
"""
import re
import sys

import numpy as np


class NotMatFile(ValueError):
    """A file that is not the part of a mat pair it was given as; the
    message says what it holds instead."""


# An 8-column value with two decimals (three for data sets 3 and 4), or the
# asterisks of a value too wide for its field.
_VALUE = r"(?:[ \d-]{5}\.\d\d|[ \d-]{4}\.\d{3}|\*{8})"
# Whole lines of versel's output files, line ends and blank lines aside.
_KEY_LINE = re.compile(rf" {_VALUE}{_VALUE}")                  # latitude, longitude
_GRD_LINE = re.compile(rf" {_VALUE}{_VALUE}(?: {_VALUE})+")     # and a mean per season
_MAT_ROW = re.compile(rf" ([ \d-]{{3}}\d)  ([ \d]\d)((?: {_VALUE})+)")  # year, season, values
_MAT_MORE = re.compile(rf"(?: {_VALUE})+")  # the values of a long row go on
_TSF_YEAR = re.compile(rf"[ \d-]{{4}}\d{_VALUE}+")            # year, a value per season

_HOLDS = {
    "mat_sea": "is the _sea file of a mat run",
    "mat_key": "is the _key file of a mat run",
    "grd": "holds grd output",
    "tsf": "holds tsf output",
}


def _lines(path):
    """The non-blank lines of a file without their line ends."""
    with open(path, encoding="ascii", errors="replace") as f:
        return [line.rstrip("\r\n") for line in f if line.strip()]


def _not_a(path, wanted, kind=None):
    """The refusal of a file that is not `wanted`."""
    kind = kind or output_kind(path)
    if kind == "empty":
        return NotMatFile(f"{path} is empty: the versel run that wrote it found no station")
    if kind == "other":
        return NotMatFile(f"{path} is not {wanted}: its lines have none of the layouts of versel")
    return NotMatFile(f"{path} {_HOLDS[kind]}, not {wanted}")


def output_kind(path):
    """What a file holds, told from the shape of its lines: "mat_sea",
    "mat_key", "grd", "tsf" (station headers and year lines), "empty" or
    "other"."""
    lines = _lines(path)
    if not lines:
        return "empty"
    for kind, shape in (("mat_key", _KEY_LINE), ("grd", _GRD_LINE)):
        if all(shape.fullmatch(line) for line in lines):
            return kind
    if _MAT_ROW.fullmatch(lines[0]) and all(
            _MAT_ROW.fullmatch(line) or _MAT_MORE.fullmatch(line) for line in lines):
        return "mat_sea"
    if not _TSF_YEAR.fullmatch(lines[0]) and any(_TSF_YEAR.fullmatch(line) for line in lines):
        return "tsf"
    return "other"


def _values(text):
    """The 8-column fields of `text`, a blank before each."""
    return [text[k + 1:k + 9] for k in range(0, len(text), 9)]


def _number(text):
    text = text.strip()
    if not text or "*" in text:
        return np.nan
    return float(text)


def _decimals(text):
    text = text.strip()
    return len(text) - text.index(".") - 1 if "." in text else 0


def read_key(path, flag=-999.9):
    """Latitudes and longitudes of a _key file: a blank, then two 8-column
    fields (columns 2-9 and 10-17), with two decimals. A coordinate that is
    the missing-value flag (as the file rounds it) is NaN: the station has
    no position."""
    shown_flag = round(flag, 2)
    lat, lon = [], []
    try:
        for line in _lines(path):
            if not _KEY_LINE.fullmatch(line):
                raise ValueError(line)
            for column, text in ((lat, line[1:9]), (lon, line[9:17])):
                v = _number(text)
                column.append(np.nan if v == shown_flag else v)
    except ValueError:
        raise _not_a(path, "the _key file of a mat run") from None
    return np.array(lat), np.array(lon)


def read_sea(path, stations, flag=-999.9):
    """years, values[years, seasons, stations] from a mat _sea file.

    A row holds a blank, the year in columns 2-5, two blanks, the season in
    columns 8-9, then per station a blank and an 8-column value (station k in
    columns 11+9(k-1) to 18+9(k-1)). A row too long for one line goes on in
    the lines after it, which hold values only. Every row must hold one value
    per station of the _key file."""
    rows = []
    try:
        for line in _lines(path):
            row, more = _MAT_ROW.fullmatch(line), _MAT_MORE.fullmatch(line)
            if row:
                rows.append((int(row[1]), int(row[2]), [_number(t) for t in _values(row[3])]))
            elif more and rows and len(rows[-1][2]) < stations:
                rows[-1][2].extend(_number(t) for t in _values(line))
            else:
                raise ValueError(line)
    except ValueError:
        raise _not_a(path, "the _sea file of a mat run") from None
    for year, season, fields in rows:
        if len(fields) != stations:
            raise NotMatFile(f"{path} has {len(fields)} stations in the row of {year} season "
                             f"{season} and the _key file {stations}: the two are not of one "
                             "mat run")
    if not rows:
        return np.zeros(0, dtype=int), np.zeros((0, 0, stations))
    seasons = max(season for _, season, _ in rows)
    first = min(year for year, _, _ in rows)
    years = np.arange(first, max(year for year, _, _ in rows) + 1)
    values = np.full((len(years), seasons, stations), np.nan)
    # Fields print the flag rounded to the file's decimals, like any value.
    shown_flag = round(flag, file_decimals(path))
    for year, season, fields in rows:
        for k, v in enumerate(fields):
            if v != shown_flag:
                values[year - first, season - 1, k] = v
    return years, values


def file_decimals(sea_path):
    """Decimals of the values of a _sea file: 3 for data sets 3 and 4, else 2."""
    with open(sea_path, encoding="ascii", errors="replace") as f:
        for line in f:
            for text in line[10:].split():
                if "*" not in text:
                    return _decimals(text)
    return 2


def check_pair(sea_path, key_path):
    """Raises NotMatFile unless the two files are the _sea and the _key file
    of mat runs, in this order."""
    sea, key = output_kind(sea_path), output_kind(key_path)
    if (sea, key) == ("mat_key", "mat_sea"):
        raise NotMatFile(f"{sea_path} and {key_path} are swapped: the _sea file comes first")
    if sea != "mat_sea":
        wanted = "the _sea file of a mat run"
        if key == "mat_key" and sea in ("grd", "tsf"):
            wanted += f" that goes with {key_path} (a later run of another kind replaced it?)"
        raise _not_a(sea_path, wanted, sea)
    if key != "mat_key":
        raise _not_a(key_path, "the _key file of a mat run", key)


def load(sea_path, key_path, flag=-999.9):
    """years, values[years, seasons, stations], lat, lon of a mat file pair."""
    check_pair(sea_path, key_path)
    lat, lon = read_key(key_path, flag)
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


def _refuse(message, status):
    print(f"load_mat.py: {message}", file=sys.stderr)
    return status


def main(argv):
    usage = "usage: load_mat.py SEA_FILE KEY_FILE [STATION [FLAG]]"
    try:
        if len(argv) == 2 and output_kind(argv[1]) == "mat_key":
            return _refuse(f"{argv[1]} is the _key file of a mat run; its _sea file comes "
                           f"first ({usage})", 2)
        if len(argv) < 3:
            print(__doc__[__doc__.index("usage:"):__doc__.index("Both files")].rstrip(),
                  file=sys.stderr)
            return 2
        try:
            station = int(argv[3]) if len(argv) > 3 else 1
            flag = float(argv[4]) if len(argv) > 4 else -999.9
        except ValueError:
            return _refuse(f"STATION is a whole number and FLAG a number ({usage})", 2)
        years, values, lat, lon = load(argv[1], argv[2], flag)
        d = file_decimals(argv[1])
    except NotMatFile as e:
        return _refuse(e, 1)
    except OSError as e:
        return _refuse(f"{e.filename}: {e.strerror}", 1)
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
