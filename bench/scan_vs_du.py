#!/usr/bin/env python3
"""Times `tarvolin-cli scan TREE --format json` against `du -s -b TREE` on generated trees.

    bench/scan_vs_du.py [--trees medium,large] [--reps 7] [--dir /tmp/tarvolin-bench]
                        [--threads-list 2,16]

Trees come from the shared generator (sparse files: they cost inodes, not disk) and are kept
between runs. The scan (by default and with each --threads count), the report scan, du and
the bare limit walker with 2 threads run in turns on a warm cache; the script prints the
median wall times, their ratios to du and to the limit walker, and the peak RSS of each, and
checks the scan's totals against the generator's manifest so that a fast wrong answer cannot
pass.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MKTREE = os.path.join(os.path.dirname(ROOT), "shared", "tools", "mktree.py")
TREES = {
    "medium": ["20000", "200000", "--seed", "1"],
    "large": ["100000", "1000000", "--seed", "2"],
}


def build_target(target, relative_path):
    """Builds `target` in the Release build the benchmarks share; returns the program's path."""
    build = os.path.join(ROOT, "build", "bench")
    subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    "-DTARVOLIN_BUILD_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "--target", target], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build, relative_path)


def build_cli():
    return build_target("tarvolin-cli", os.path.join("src", "cli", "tarvolin-cli"))


def ensure_tree(directory, name):
    tree = os.path.realpath(os.path.join(directory, name))  # du reads a link as a file
    if not os.path.exists(tree + ".manifest.json"):
        print(f"generating {name} tree in {tree} ...", flush=True)
        subprocess.run([sys.executable, MKTREE, tree] + TREES[name] + ["--force"], check=True,
                       stdout=subprocess.DEVNULL)
    with open(tree + ".manifest.json", encoding="utf-8") as f:
        return tree, json.load(f)


def timed(command):
    """Wall seconds and peak RSS (KiB) of one run; output discarded."""
    start = time.perf_counter()
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit(f"{command[0]} failed: {result.stderr}")
    return elapsed, int(result.stderr.strip().splitlines()[-1])


def check_totals(cli, tree, manifest):
    out = subprocess.run([cli, "scan", tree, "--format", "json"], capture_output=True,
                         check=True).stdout
    scan = json.loads(out.decode("utf-8", "surrogateescape"))
    problems = []
    for key, expected in (("size", manifest["bytes"]), ("files", manifest["files"]),
                          ("folders", manifest["dirs"])):
        if scan[key] != expected:
            problems.append(f"{key} {scan[key]} != {expected}")
    by_name = {c["name"]: c for c in scan["children"]}
    for child in manifest["children"]:
        mine = by_name.get(child["name"])
        folders_below = child["dirs"] - 1 if child["type"] == "dir" else 0
        if mine is None or (mine["size"], mine["files"], mine["folders"]) != (
                child["bytes"], child["files"], folders_below):
            problems.append(f"child {child['name']!r} differs")
    return problems


def build_limitwalk():
    """The bare walker of the shared tools: the physical limit of a walk with N threads."""
    source = os.path.join(os.path.dirname(ROOT), "shared", "tools", "limitwalk.cpp")
    out = os.path.join(ROOT, "build", "bench", "limitwalk")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    subprocess.run(["g++", "-std=c++20", "-O2", "-pthread", "-o", out, source], check=True)
    return out


def run_in_turns(commands, reps, before_each=None):
    """Runs every command once per repetition, rotating who goes first; returns medians and
    peak RSS (KiB) by label."""
    times = {label: [] for label in commands}
    peaks = {label: [] for label in commands}
    labels = list(commands)
    for rep in range(reps):
        for label in labels[rep % len(labels):] + labels[:rep % len(labels)]:
            if before_each:
                before_each()
            elapsed, peak = timed(commands[label])
            times[label].append(elapsed)
            peaks[label].append(peak)
    return ({label: statistics.median(values) for label, values in times.items()},
            {label: max(values) for label, values in peaks.items()})


def print_table(medians, peaks, du_label, limit_label):
    du, limit = medians[du_label], medians[limit_label]
    for label, median in medians.items():
        print(f"  {label:<30} {median:7.3f} s  {median / du:5.2f} x du  "
              f"{median / limit:5.2f} x {limit_label}  peak RSS {peaks[label] / 1024:6.1f} MB")


def scan_commands(cli, tree, threads_list):
    commands = {"tarvolin scan": [cli, "scan", tree, "--format", "json"]}
    for threads in threads_list:
        commands[f"tarvolin scan --threads {threads}"] = commands["tarvolin scan"] + [
            "--threads", str(threads)]
    commands["tarvolin report"] = [cli, "report", tree, "--largest", "--format", "json"]
    return commands


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--trees", default="medium,large")
    parser.add_argument("--reps", type=int, default=7)
    parser.add_argument("--dir", default="/tmp/tarvolin-bench")
    parser.add_argument("--threads-list", default="2,16",
                        help="also time the scan with each of these --threads counts")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    cli = build_cli()
    walker = build_limitwalk()
    threads_list = [int(t) for t in args.threads_list.split(",") if t]

    for name in args.trees.split(","):
        tree, manifest = ensure_tree(args.dir, name)
        problems = check_totals(cli, tree, manifest)
        print(f"\n{name}: {manifest['dirs']:,} folders, {manifest['files']:,} files; totals "
              + ("match the manifest" if not problems else "WRONG: " + "; ".join(problems[:5])))
        commands = scan_commands(cli, tree, threads_list)
        commands["du -s -b"] = ["du", "-s", "-b", tree]
        commands["limitwalk -t 2"] = [walker, "-t", "2", "-m", "statx", tree]
        timed(commands["du -s -b"])  # warm the cache
        medians, peaks = run_in_turns(commands, args.reps)
        print(f"  warm cache, medians of {args.reps}, programs in turns")
        print_table(medians, peaks, "du -s -b", "limitwalk -t 2")


if __name__ == "__main__":
    main()
