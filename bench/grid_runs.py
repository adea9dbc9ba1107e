#!/usr/bin/env python3
"""Times the netCDF grid reader and the nc output on a file of the CRU TS
shape, beside `cdo seasmean` on the same file.

The file is written by make_cru_like.py when it is not there yet (about
1.5 GB, a couple of minutes). Each case runs --runs times, alternating with
the others; the median wall time, the median CPU time and the largest peak
memory of each case are printed.

    bench/grid_runs.py build-bench/bench/bench_grid [--file /tmp/cru_like.nc]
                       [--format classic64|netcdf4] [--runs 5] [--near 52.1/-1.6/4]

Cases: reading every cell; reading, reducing by the mask of the four
seasons (00000000000113113113113, as seasmean) and writing the nc output;
the cells nearest a site; cdo seasmean when cdo is installed.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def run(cmd):
    """Wall time, CPU time and peak memory (MB) of one run of `cmd`."""
    start = time.monotonic()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.monotonic() - start
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(cmd)} failed:\n{err}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("bench_grid")
    ap.add_argument("--file", default="/tmp/cru_like.nc")
    ap.add_argument("--format", choices=["classic64", "netcdf4"], default="classic64")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--near", default="52.1/-1.6/4")
    args = ap.parse_args()

    if not os.path.exists(args.file):
        subprocess.run([sys.executable, os.path.join(HERE, "make_cru_like.py"), args.file, "--format", args.format],
                       check=True)
    out_dir = os.path.dirname(os.path.abspath(args.file))
    cases = {
        "read every cell": [args.bench_grid, args.file, "read"],
        "nc output, four seasons": [args.bench_grid, args.file, "nc", os.path.join(out_dir, "grid_runs_sea.nc")],
        f"near {args.near}": [args.bench_grid, args.file, "near", args.near],
    }
    if shutil.which("cdo"):
        cases["cdo seasmean"] = ["cdo", "-s", "-O", "seasmean", args.file, os.path.join(out_dir, "grid_runs_cdo.nc")]
    subprocess.run(["cat", args.file], stdout=subprocess.DEVNULL, check=True)  # into the page cache

    results = {name: [] for name in cases}
    for _ in range(args.runs):
        for name, cmd in cases.items():
            results[name].append(run(cmd))
    print(f"{args.file} ({os.path.getsize(args.file) / 1e9:.2f} GB), {args.runs} runs each")
    for name, rs in results.items():
        wall = statistics.median(r[0] for r in rs)
        cpu = statistics.median(r[1] for r in rs)
        peak = max(r[2] for r in rs)
        print(f"  {name:28s} {wall:7.3f} s wall  {cpu:7.3f} s cpu  {peak:7.1f} MB peak")


if __name__ == "__main__":
    main()
