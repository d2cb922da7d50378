#!/usr/bin/env python3
"""Time of saving a scan into the scan history, and the history file's growth per snapshot.

    bench/history_save.py CLI TREE [--runs N]

Runs `CLI scan TREE` and `CLI scan TREE --save` alternately on a warm cache; the difference
of the medians is what saving costs (copying the result and the transaction). The history
goes to a temporary file, whose size is read after every save.
"""
import argparse
import os
import statistics
import subprocess
import tempfile
import time


def timed(args, env):
    start = time.monotonic()
    subprocess.run(args, env=env, stdout=subprocess.DEVNULL, check=True)
    return time.monotonic() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("tree")
    parser.add_argument("--runs", type=int, default=5)
    options = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        database = os.path.join(folder, "history.sqlite")
        env = dict(os.environ, TARVOLIN_HISTORY_DB=database)
        scan = [options.cli, "scan", options.tree, "--format", "json", "--no-files"]
        timed(scan, env)  # warms the page cache
        plain, saving, sizes = [], [], []
        for _ in range(options.runs):
            plain.append(timed(scan, env))
            saving.append(timed(scan + ["--save"], env))
            sizes.append(os.path.getsize(database))
        growth = [b - a for a, b in zip([0] + sizes, sizes)]
        print(f"scan alone      median {statistics.median(plain):.3f} s  ({plain})")
        print(f"scan and save   median {statistics.median(saving):.3f} s  ({saving})")
        print(f"saving costs    {statistics.median(saving) - statistics.median(plain):.3f} s")
        print(f"history file after each save: {sizes} bytes; growth per snapshot {growth}")


if __name__ == "__main__":
    main()
