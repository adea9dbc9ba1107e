"""The example scripts refuse a file that is not the output they take.

Each case makes versel's output of the example data in a folder of its own,
as a user would by runs with another output kind or on another file, then
gives the script the wrong file or the arguments in a wrong order. The script
must end with the status of the case, write nothing on standard output, one
line on standard error that holds the expected words, and no map.

One case reads mat files of a layout versel may write in future - a row of
more stations than one line holds, going on in the next line, and a station
whose header gave no position - which the loader must take.

usage: script_refusals.py CASE VERSEL EXAMPLES_DIR WORK_DIR
"""
import math
import pathlib
import shutil
import subprocess
import sys

MASK = "00001113111311131113"
TSF, MAT, GRD = 1, 2, 3


def versel(versel, work, kind, data="temperature.dat"):
    answers = f"{kind}\n{data}\n7\n{MASK}\n"
    done = subprocess.run([versel], input=answers, cwd=work, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"versel {kind} {data} ended with {done.returncode}:\n{done.stdout}{done.stderr}")


def versel_without_stations(versel_path, work):
    """empty_sea: the grd run of a data file that holds a header line and no
    station; a run that ends early leaves no file at all."""
    (work / "empty.dat").write_text("NO STATION   10.00  20.00\n")
    versel(versel_path, work, GRD, "empty.dat")


def three_stations(examples, work):
    """three.dat: the first three stations of the example data."""
    lines = (examples / "temperature.dat").read_text().splitlines(keepends=True)
    headers = [i for i, line in enumerate(lines) if not line.startswith(" ")]
    (work / "three.dat").write_text("".join(lines[:headers[3]]))


# name: (script, what to make, arguments, exit status, words of the message)
CASES = {
    "grd_map_refuses_tsf": (
        "grd_map.sh", [TSF], ["temperature_sea", "4", "map"], 1,
        "temperature_sea holds tsf output; the map needs the _sea file of a grd run"),
    "grd_map_refuses_mat_sea": (
        "grd_map.sh", [MAT], ["temperature_sea", "4", "map"], 1,
        "temperature_sea is the _sea file of a mat run; the map needs"),
    "grd_map_refuses_mat_key": (
        "grd_map.sh", [MAT, GRD], ["temperature_key", "4", "map"], 1,
        "temperature_key is the _key file of a mat run; the map needs"),
    "grd_map_refuses_empty_output": (
        "grd_map.sh", ["no stations"], ["empty_sea", "4", "map"], 1,
        "empty_sea is empty: the versel run that wrote it found no station"),
    "grd_map_refuses_missing_file": (
        "grd_map.sh", [], ["temperature_sea", "4", "map"], 1,
        "temperature_sea does not exist"),
    "grd_map_refuses_data_file": (
        "grd_map.sh", [GRD], ["temperature.dat", "1", "map"], 1,
        "temperature.dat is not a grd file of versel: line 1 "),
    "grd_map_refuses_name_for_season": (
        "grd_map.sh", [GRD], ["temperature_sea", "map", "4"], 2,
        "the season is a number, not 'map'"),
    "loader_refuses_tsf_beside_older_key": (
        "load_mat.py", [MAT, TSF], ["temperature_sea", "temperature_key"], 1,
        "temperature_sea holds tsf output, not the _sea file of a mat run that goes with "
        "temperature_key"),
    "loader_refuses_grd_beside_older_key": (
        "load_mat.py", [MAT, GRD], ["temperature_sea", "temperature_key"], 1,
        "temperature_sea holds grd output, not the _sea file of a mat run that goes with "
        "temperature_key"),
    "loader_refuses_grd_as_key": (
        "load_mat.py", [MAT, "three grd"], ["temperature_sea", "three_sea"], 1,
        "three_sea holds grd output, not the _key file of a mat run"),
    "loader_refuses_key_alone": (
        "load_mat.py", [MAT], ["temperature_key"], 2,
        "temperature_key is the _key file of a mat run; its _sea file comes first"),
    "loader_refuses_swapped_pair": (
        "load_mat.py", [MAT], ["temperature_key", "temperature_sea"], 1,
        "temperature_key and temperature_sea are swapped: the _sea file comes first"),
    "loader_refuses_pair_of_two_runs": (
        "load_mat.py", [MAT, "three mat"], ["temperature_sea", "three_key"], 1,
        "temperature_sea has 4 stations in the row of 1901 season 1 and the _key file 3"),
    "loader_refuses_data_file": (
        "load_mat.py", [MAT], ["temperature.dat", "temperature_key"], 1,
        "temperature.dat is not the _sea file of a mat run"),
}


def make(step, versel_path, examples, work):
    if step == "no stations":
        versel_without_stations(versel_path, work)
    elif isinstance(step, str):  # "three KIND": a run on the first three stations
        three_stations(examples, work)
        versel(versel_path, work, {"mat": MAT, "grd": GRD}[step.split()[1]], "three.dat")
    else:
        versel(versel_path, work, step)


def refusal(case, versel_path, examples, work):
    script, steps, args, status, words = CASES[case]
    for step in steps:
        make(step, versel_path, examples, work)
    runner = ["sh"] if script.endswith(".sh") else [sys.executable]
    done = subprocess.run(runner + [str(examples / script)] + args, cwd=work,
                          capture_output=True, text=True)
    errors = []
    if done.returncode != status:
        errors.append(f"exit status {done.returncode}, not {status}")
    if done.stdout:
        errors.append(f"standard output:\n{done.stdout}")
    if len(done.stderr.splitlines()) != 1 or words not in done.stderr:
        errors.append(f"standard error is not one line with {words!r}:\n{done.stderr}")
    if list(work.glob("*.png")):
        errors.append(f"a map was drawn: {[p.name for p in work.glob('*.png')]}")
    return errors


def long_rows(examples, work):
    """2003 stations: rows of 2000 values and a line of 3 more, and rows of
    all 2003 on one line; the second station has no position."""
    sys.path.insert(0, str(examples))
    sys.dont_write_bytecode = True  # leave no __pycache__ in examples/
    import load_mat

    stations, flag = 2003, "-999.90"
    key = [f" {k % 90:8.2f}{-k % 180:8.2f}" for k in range(stations)]
    key[1] = f" {flag:>8}{flag:>8}"
    (work / "long_key").write_text("\r\n".join(key) + "\r\n")

    def value(year, season, k):
        return flag if (year + k) % 7 == 0 else f"{year % 100 + season + k / 1000:8.2f}"

    def rows(split):
        lines = []
        for year in (1950, 1951):
            for season in (1, 2):
                fields = [f" {value(year, season, k):>8}" for k in range(stations)]
                head = f" {year:4d}  {season:2d}"
                lines += ([head + "".join(fields[:2000]), "".join(fields[2000:])] if split
                          else [head + "".join(fields)])
        return "\r\n".join(lines) + "\r\n"

    errors = []
    for split in (True, False):
        (work / "long_sea").write_text(rows(split))
        years, values, lat, lon = load_mat.load(work / "long_sea", work / "long_key")
        if list(years) != [1950, 1951] or values.shape != (2, 2, stations):
            errors.append(f"split {split}: years {list(years)}, shape {values.shape}")
            continue
        # the station without a position: the flag in the _key file, NaN here
        if not (math.isnan(lat[1]) and math.isnan(lon[1])) or lat[2002] != 2002 % 90:
            errors.append(f"split {split}: positions {lat[1]} {lon[1]} {lat[2002]}")
        for y, year in enumerate(years):
            for s in (0, 1):
                for k in (0, 1, 1999, 2000, 2002):
                    want = value(int(year), s + 1, k)
                    got = values[y, s, k]
                    if (math.isnan(got) and want != flag) or (
                            not math.isnan(got) and f"{got:8.2f}" != want):
                        errors.append(f"split {split}: {year} season {s + 1} station {k + 1}: "
                                      f"{got}, written {want!r}")
    return errors


def main(case, versel_path, examples, work):
    versel_path = str(pathlib.Path(versel_path).resolve())
    examples, work = pathlib.Path(examples).resolve(), pathlib.Path(work).resolve()
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    shutil.copy(examples / "temperature.dat", work)
    errors = long_rows(examples, work) if case == "loader_reads_long_rows" else refusal(
        case, versel_path, examples, work)
    for e in errors[:20]:
        print(e)
    if errors:
        return 1
    print(f"{case}: as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
