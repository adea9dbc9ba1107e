"""The two commands of README.md, pasted one after the other into one shell
on a fresh clone of the repository with nothing on standard input, build and
run versel's main job on the example data without a question, show its
result, and then build and pass every test.

The repository is cloned at the commit the source tree stands on, and the
changes of its tracked files that are not committed yet are applied to the
clone: what is tested is the tree as it would be committed, without build
folders and without files that git does not know. The commands are the
indented blocks after the README's marks

    <!-- command: run -->    and    <!-- command: test -->

and run in one bash, in that order, from the clone's root, with standard
input empty: a command that asked a question would end there. Between them
one line of the script notes which test programs exist: the run command
builds the program alone.

The test command runs every test of the clone, this one among them: with
the environment variable VERSEL_TEST_FROM_README_COMMANDS set, the inner
ctest leaves out the tests that tests/examples/CMakeLists.txt names with
add_test, which this outer run runs anyway; the unit tests, the scenarios
and the console tests run. Should this test still be started with the
variable set, it ends at once with exit 77.

Exit 77 when git, bash, cmake or ctest is missing, when the source tree is
not a git work tree, or when the variable is set.

usage: readme_commands_check.py SOURCE_DIR WORK_DIR
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys

GUARD = "VERSEL_TEST_FROM_README_COMMANDS"
TITLE_ROW = "station,name,lat,lon,year,season,value,n_months"  # of the csv the run shows
MARK = re.compile(r"^<!-- command: (run|test) -->$")


def commands(readme):
    """{"run": text, "test": text}: the indented block after each mark."""
    lines = readme.read_text().splitlines()
    found = {}
    for i, line in enumerate(lines):
        m = MARK.match(line)
        if not m:
            continue
        j = i + 1
        while j < len(lines) and not lines[j].strip():
            j += 1
        block = []
        while j < len(lines) and lines[j].startswith("    "):
            block.append(lines[j][4:])
            j += 1
        found[m.group(1)] = "\n".join(block)
    return found


def git(*args, **kw):
    return subprocess.run(["git", *args], check=True, capture_output=True, **kw).stdout


def fresh_clone(source, clone):
    head = git("-C", str(source), "rev-parse", "HEAD", text=True).strip()
    git("clone", "-q", "--no-checkout", str(source), str(clone))
    git("-C", str(clone), "checkout", "-q", "--detach", head)
    changes = git("-C", str(source), "diff", "HEAD", "--binary")
    if changes:
        git("-C", str(clone), "apply", "--whitespace=nowarn", input=changes)


def main(source, work):
    if os.environ.get(GUARD):
        print(f"{GUARD} is set: this test is driven from its own run")
        return 77
    for tool in ("git", "bash", "cmake", "ctest"):
        if shutil.which(tool) is None:
            print(f"{tool} is missing")
            return 77
    source, work = pathlib.Path(source).resolve(), pathlib.Path(work).resolve()
    if subprocess.run(["git", "-C", str(source), "rev-parse", "HEAD"],
                      capture_output=True).returncode != 0:
        print(f"{source} is not a git work tree with a commit: nothing to clone")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    clone = work / "versel"
    fresh_clone(source, clone)

    found = commands(clone / "README.md")
    if set(found) != {"run", "test"} or not all(found.values()):
        print(f"README.md marks the commands {sorted(found)}, not run and test")
        return 1
    tests_after_run = work / "tests_after_run"
    script = "\n".join([found["run"],
                        f"find build -type f -name '*_tests' > '{tests_after_run}'",
                        found["test"]])
    log = work / "commands.log"
    with open(log, "w") as out:
        done = subprocess.run(["bash", "-c", script], cwd=clone, stdin=subprocess.DEVNULL,
                              text=True, stdout=out, stderr=subprocess.STDOUT,
                              env=dict(os.environ, **{GUARD: "1"}))
    text = log.read_text()

    errors = []
    if done.returncode != 0:
        errors.append(f"the commands ended with status {done.returncode}")
    if TITLE_ROW not in text:
        errors.append("the run command did not show the csv table it wrote")
    written = clone / "examples" / "temperature_sea.csv"
    if not written.is_file() or written.stat().st_size == 0:
        errors.append("the run wrote no examples/temperature_sea.csv")
    if not tests_after_run.exists():
        errors.append("the script never came to the test command")
    elif tests_after_run.read_text().strip():
        errors.append("the run command built test programs:\n" + tests_after_run.read_text())
    summary = re.search(r"^100% tests passed, 0 tests failed out of (\d+)$", text, re.M)
    if not summary or int(summary.group(1)) == 0:
        errors.append("ctest did not pass a single test")
    if "examples.readme_commands_one_after_the_other" in text:
        errors.append("the inner ctest started this test again")

    if errors:
        print("\n".join(errors))
        print(f"--- the run command:\n{found['run']}\n--- the test command:\n{found['test']}")
        print(f"--- the last lines of {log} (the clone is kept in {clone}):")
        print("\n".join(text.splitlines()[-60:]))
        return 1
    print(f"README's two commands in one shell: {summary.group(1)} tests passed ({log})")
    shutil.rmtree(clone, ignore_errors=True)  # the log stays
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
