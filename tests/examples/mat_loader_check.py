"""examples/load_mat.py against versel's own tsf output of the same data.

For a lag mask and a lead mask, versel runs once with tsf output and once
with mat output on the example data; every value of every station in the
array that load_mat.load() builds must be the tsf value of the same year and
season (NaN where tsf shows the flag), every cell outside a station's tsf
years must be NaN, the coordinates must be those of the station headers, and
the printed series of a station must repeat its tsf lines.

usage: mat_loader_check.py VERSEL EXAMPLES_DIR WORK_DIR
"""
import math
import pathlib
import shutil
import subprocess
import sys

FLAG_TEXT = "-999.90"


def run_versel(versel, work, kind, mask):
    answers = f"{kind}\ntemperature.dat\n7\n{mask}\n"
    done = subprocess.run([versel], input=answers, cwd=work, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"versel ended with {done.returncode}:\n{done.stdout}{done.stderr}")


def tsf_stations(path):
    """[(header, {year: [value texts]}, [data lines])] in file order."""
    stations = []
    for line in path.read_text().splitlines():
        if line[:5].strip().lstrip("-").isdigit():
            texts = [line[5 + 8 * k:13 + 8 * k] for k in range((len(line) - 5) // 8)]
            stations[-1][1][int(line[:5])] = texts
            stations[-1][2].append(line)
        else:
            stations.append((line, {}, []))
    return stations


def check(versel, examples, work, mask, loader):
    errors = []
    run_versel(versel, work, 1, mask)
    tsf = tsf_stations(work / "temperature_sea")
    run_versel(versel, work, 2, mask)
    years, values, lat, lon = loader.load(work / "temperature_sea", work / "temperature_key")

    if values.shape[2] != len(tsf):
        return [f"{mask}: {values.shape[2]} stations in the array, {len(tsf)} in tsf"]
    for k, (header, by_year, lines) in enumerate(tsf):
        if (f"{lat[k]:.2f}", f"{lon[k]:.2f}") != (header[13:19].strip(), header[19:26].strip()):
            errors.append(f"{mask}: station {k + 1} at {lat[k]}, {lon[k]}; header {header[:26]!r}")
        for i, year in enumerate(years):
            for s in range(values.shape[1]):
                got = values[i, s, k]
                texts = by_year.get(int(year))
                if texts is None or texts[s].strip() == FLAG_TEXT:
                    if not math.isnan(got):
                        errors.append(f"{mask}: station {k + 1} {year} season {s + 1}: {got}, "
                                      f"tsf has {'no such year' if texts is None else 'the flag'}")
                elif math.isnan(got) or f"{got:8.2f}" != texts[s]:
                    errors.append(f"{mask}: station {k + 1} {year} season {s + 1}: {got}, "
                                  f"tsf has {texts[s]!r}")

        printed = subprocess.run(
            [sys.executable, str(examples / "load_mat.py"), "temperature_sea", "temperature_key",
             str(k + 1)], cwd=work, capture_output=True, text=True, check=True).stdout.splitlines()
        expected = [line.replace(" " + FLAG_TEXT, "     nan") for line in lines]
        if printed[1:] != expected:
            errors.append(f"{mask}: printed series of station {k + 1} differs from tsf:\n"
                          + "\n".join(printed[1:6]) + "\n...\ntsf:\n" + "\n".join(expected[:5]))
    return errors


def main(versel, examples, work):
    versel = str(pathlib.Path(versel).resolve())
    examples, work = pathlib.Path(examples).resolve(), pathlib.Path(work).resolve()
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    shutil.copy(examples / "temperature.dat", work)
    sys.path.insert(0, str(examples))
    sys.dont_write_bytecode = True  # leave no __pycache__ in examples/
    import load_mat as loader

    errors = []
    # four averaged seasons, prior May to current August (lag of one year);
    # January-April summed and labelled with the year before (lead of one year)
    for mask in ("00001113111311131113", "0000000000001112"):
        errors += check(versel, examples, work, mask, loader)
    # stations without coordinates: the flag in the _key file, NaN in the arrays
    shutil.copy(examples / "free.csv", work)
    subprocess.run([versel, "-q", "-k", "mat", "--layout", "free", "-m", "000001130000",
                    "free.csv"], cwd=work, check=True)
    _, _, lat, lon = loader.load(work / "free_sea", work / "free_key")
    if len(lat) != 2 or not all(math.isnan(v) for v in list(lat) + list(lon)):
        errors.append(f"stations without coordinates: lat {lat}, lon {lon}, not NaN")
    for e in errors[:20]:
        print(e)
    if errors:
        return 1
    print("load_mat.py agrees with tsf for every station, year and season")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
