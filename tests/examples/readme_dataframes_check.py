"""The lines README.md gives for loading versel's output into pandas or R
load it as they stand: the csv run, and the mat and tsf files of the same
mask, each into a data frame whose values and missing values are those of
the files.

The code blocks under `<!-- python -->` or `<!-- R -->` in README.md are run
in a folder holding the outputs of the README's runs on the example data,
followed by checks of the frames they made. Exit 77 when the language (or
pandas) is not installed.

usage: readme_dataframes_check.py python|R VERSEL README EXAMPLES_DIR WORK_DIR
"""
import pathlib
import shutil
import subprocess
import sys

MASK = "00001113111311131113"


def blocks(readme, marker):
    """The indented code lines after each `<!-- marker -->` line, joined."""
    lines = readme.read_text().splitlines()
    code = []
    for i, line in enumerate(lines):
        if line.strip() != "<!-- %s -->" % marker:
            continue
        for body in lines[i + 1:]:
            if body and not body.startswith("    "):
                break
            code.append(body[4:])
    return "\n".join(code) + "\n"


def counts(work):
    """What the frames must hold, counted from the files themselves."""
    csv_lines = (work / "temperature_sea.csv").read_text().splitlines()[1:]
    key = (work / "temperature_key").read_text().splitlines()
    sea = (work / "temperature_sea").read_text().splitlines()
    tsf_year_lines = [l for l in (work / "tsf_sea").read_text().splitlines()
                      if l[:5].strip().isdigit()]
    return {
        "csv_rows": len(csv_lines),
        "csv_missing": sum(1 for l in csv_lines if l.endswith(",,")),
        "summer_rows": len({l.split(",")[-4] for l in csv_lines if ",MJJA_avg," in l}),
        "stations": len(key),
        "mat_rows": len(sea),
        "mat_missing": sum(l.count("-999.90") for l in sea),
        "tsf_rows": len(tsf_year_lines),
        "tsf_missing": sum(l.count("-999.90") for l in tsf_year_lines),
    }


PYTHON_CHECKS = """
import math
want = {want}
assert len(df) == want["csv_rows"], len(df)
assert int(df.value.isna().sum()) == want["csv_missing"], df.value.isna().sum()
assert str(df.value.dtype) == "float64" and str(df.year.dtype) == "int64"
assert summer.shape == (want["summer_rows"], want["stations"]), summer.shape
assert mat.shape == (want["mat_rows"], 2 + want["stations"]), mat.shape
assert int(mat.iloc[:, 2:].isna().sum().sum()) == want["mat_missing"]
assert len(tsf) == want["tsf_rows"], len(tsf)
assert int(tsf.iloc[:, 2:].isna().sum().sum()) == want["tsf_missing"]
assert math.isclose(float(df.value.dropna().iloc[0]), 26.60)
print("pandas: frames as the files hold them")
"""

R_CHECKS = """
stopifnot(nrow(df) == {csv_rows}, sum(is.na(df$value)) == {csv_missing},
          is.numeric(df$value), is.numeric(df$year))
stopifnot(nrow(summer) == sum(df$season == "MJJA_avg"))
stopifnot(nrow(key) == {stations}, nrow(mat) == {mat_rows}, ncol(mat) == 2 + {stations},
          sum(is.na(mat[, -(1:2)])) == {mat_missing})
cat("R: frames as the files hold them\\n")
"""


def main():
    language, versel, readme, examples, work = sys.argv[1:6]
    readme, examples, work = pathlib.Path(readme), pathlib.Path(examples), pathlib.Path(work)
    if language == "python":
        python = next((p for p in ("python3", "/usr/bin/python3")
                       if subprocess.run([p, "-c", "import pandas"], capture_output=True)
                       .returncode == 0), None)
        if python is None:
            print("no python3 with pandas")
            return 77
    elif shutil.which("Rscript") is None:
        print("no Rscript")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    shutil.copy(examples / "temperature.dat", work)
    for args in (["-k", "csv"], ["-k", "mat"], ["-k", "tsf", "-o", "tsf"]):
        subprocess.run([versel, "-q"] + args + ["-d", "7", "-m", MASK, "temperature.dat"],
                       cwd=work, check=True)
    want = counts(work)
    if language == "python":
        code = blocks(readme, "python") + PYTHON_CHECKS.format(want=want)
        done = subprocess.run([python, "-c", code], cwd=work)
    else:
        code = blocks(readme, "R") + R_CHECKS.format(**want)
        done = subprocess.run(["Rscript", "-e", code], cwd=work)
    return 0 if done.returncode == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
