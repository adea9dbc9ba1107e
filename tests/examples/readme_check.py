"""The lines README.md shows from versel's runs are what versel writes.

A block of README.md preceded by a comment such as

    <!-- lines of: 2 00001113111311131113 temperature_sea -->

must match the output of a run on the example data with that output kind and
climate mask (data set 7): its non-empty lines, in order, are lines of the
named output - `console` for standard output, or a file the run writes. The
comment `<!-- lines of: temperature.dat -->` compares with the example data
itself. Trailing blanks and line ends do not count. In a console block, a line
that shows an answer typed after a prompt ("=>", ":>", "->") is skipped, as a
pipe carries the answers apart from the prompts.

A command-line example is marked with the arguments and what its lines are
lines of, `stdout`, `stderr` or a file the run writes:

    <!-- lines of: versel -k mat -d 7 -m 000001130000 temperature.dat => stderr -->

Its run may end with any status; in its block, lines that start with "$ "
show the commands typed and are skipped. A file that is not text is shown
through a tool, named after a "|", which is given the file last (its tabs
count as blanks to the next multiple of 8, as a terminal shows them):

    <!-- lines of: versel -k nc --layout netcdf -m 000001130000 grid.nc => grid_sea.nc | ncdump -h -->

A block of commands that draw a picture is marked with the tool it needs
and the file it must leave:

    <!-- commands: gmt => grid_jja.png -->

Its lines that start with "$ " run in one shell, `../build/versel` being
the versel tested, and must end with status 0 and leave that file, not
empty. A block whose tool is not installed is reported and passed over.

usage: readme_check.py VERSEL README EXAMPLES_DIR WORK_DIR
"""
import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys

# The example data files, each run from the folder that holds them all.
EXAMPLE_DATA = ("temperature.dat", "free.csv", "ghcnm.dat", "ghcnm.inv", "climdiv.txt",
                "climdiv_coords.csv", "stations_wide.csv", "station_long.csv", "grid.nc",
                "chronology.crn")
MARK = re.compile(r"^<!-- (lines of|commands): (.+?) -->$")
VERSEL_AS_SHOWN = "../build/versel"
PROMPT_WITH_ANSWER = re.compile(r"(=>|:>| ->)\s*\S+$")


def blocks(readme):
    """[(marker words, block lines, README line number)] for each marked block."""
    lines = readme.read_text().splitlines()
    found = []
    for i, line in enumerate(lines):
        m = MARK.match(line)
        if not m:
            continue
        j = i + 1
        while j < len(lines) and not lines[j].strip():
            j += 1
        block = []
        if j < len(lines) and lines[j].startswith("```"):
            j += 1
            while j < len(lines) and not lines[j].startswith("```"):
                block.append(lines[j])
                j += 1
        else:
            while j < len(lines) and (lines[j].startswith("    ") or not lines[j].strip()):
                block.append(lines[j][4:])
                j += 1
        found.append((m.group(1), m.group(2).split(), block, i + 1))
    return found


def run_output(versel, work, kind, mask, target):
    for old in work.glob("temperature_*"):
        old.unlink()
    answers = f"{kind}\ntemperature.dat\n7\n{mask}\n"
    done = subprocess.run([versel], input=answers.encode(), cwd=work, capture_output=True)
    if done.returncode != 0:
        sys.exit(f"versel {kind} {mask} ended with {done.returncode}")
    raw = done.stdout if target == "console" else (work / target).read_bytes()
    return raw.decode().replace("\r", "").split("\n")


def clear(work):
    """Leaves the example data alone in `work`."""
    for old in work.glob("*"):
        if old.name in EXAMPLE_DATA:
            continue
        if old.is_dir():
            shutil.rmtree(old)
        else:
            old.unlink()


def command_output(versel, work, args, target, tool):
    """The lines of `target` after versel ran with `args` in `work`, shown
    through `tool` (a command and its arguments) when one is given; None
    when the tool is not installed."""
    clear(work)
    done = subprocess.run([versel] + args, cwd=work, capture_output=True)
    if tool:
        if shutil.which(tool[0]) is None:
            return None
        shown = subprocess.run(tool + [target], cwd=work, capture_output=True).stdout
        return shown.decode().expandtabs(8).replace("\r", "").split("\n")
    if target in ("stdout", "stderr"):
        raw = done.stdout if target == "stdout" else done.stderr
    else:
        raw = (work / target).read_bytes()
    return raw.decode().replace("\r", "").split("\n")


def commands_fault(versel, work, tool, picture, block):
    """Runs the "$ " lines of a block of commands in one shell: None when
    they end with status 0 and leave `picture`, else what went wrong; ""
    when `tool` is not installed."""
    if shutil.which(tool) is None:
        return ""
    clear(work)
    script = "\n".join(line[2:].replace(VERSEL_AS_SHOWN, shlex.quote(versel))
                       for line in block if line.startswith("$ "))
    env = dict(os.environ, HOME=os.environ.get("HOME") or str(work))
    done = subprocess.run(["sh", "-e", "-c", script], cwd=work, capture_output=True, env=env)
    if done.returncode != 0:
        return f"the commands ended with {done.returncode}: {done.stderr.decode()[-400:]}"
    if not (work / picture).is_file() or (work / picture).stat().st_size == 0:
        return f"the commands left no {picture}"
    return None


def first_missing(shown, output, console):
    """The first shown line not found, in order, among the output lines."""
    rest = iter(line.rstrip() for line in output)
    for line in shown:
        line = line.rstrip()
        if not line or (console and PROMPT_WITH_ANSWER.search(line)) or line.startswith("$ "):
            continue
        if not any(line == out for out in rest):
            return line
    return None


def main(versel, readme, examples, work):
    versel = str(pathlib.Path(versel).resolve())
    work = pathlib.Path(work)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    for name in EXAMPLE_DATA:
        shutil.copy(pathlib.Path(examples) / name, work)

    marked = blocks(pathlib.Path(readme))
    failures = 0
    for mark, words, block, at in marked:
        if mark == "commands":
            fault = commands_fault(versel, work, words[0], words[-1], block)
            if fault == "":
                print(f"README.md:{at}: {words[0]} is not installed; the commands were not run")
            elif fault is not None:
                print(f"README.md:{at}: commands: {fault}")
                failures += 1
            continue
        if words == ["temperature.dat"]:
            output = (work / "temperature.dat").read_text().split("\n")
            console = False
        elif words[0] == "versel" and "=>" in words:
            at_arrow = words.index("=>")
            tool = words[at_arrow + 3:] if words[at_arrow + 2:at_arrow + 3] == ["|"] else []
            output = command_output(versel, work, words[1:at_arrow], words[at_arrow + 1], tool)
            if output is None:
                print(f"README.md:{at}: {tool[0]} is not installed; the block was not checked")
                continue
            console = False
        else:
            kind, mask, target = words
            output = run_output(versel, work, kind, mask, target)
            console = target == "console"
        missing = first_missing(block, output, console)
        if missing is not None:
            print(f"README.md:{at}: {' '.join(words)}: not in the output, or out of order:\n"
                  f"  {missing!r}")
            failures += 1
    if not marked:
        print("README.md has no marked blocks")
        return 1
    print(f"{len(marked)} marked blocks of README.md checked, {failures} differ")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
