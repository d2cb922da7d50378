#!/usr/bin/env python3
"""Times `tarvolin-cli scan TREE --format json` against `du -s -b TREE` on generated trees.

    bench/scan_vs_du.py [--trees medium,large] [--reps 7] [--dir /tmp/tarvolin-bench]

Trees come from the shared generator (sparse files: they cost inodes, not disk) and are kept
between runs. Both programs run alternately on a warm cache; the script prints the median
wall times, their ratio and the peak RSS of each, and checks the scan's totals against the
generator's manifest so that a fast wrong answer cannot pass.
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


def build_cli():
    build = os.path.join(ROOT, "build", "bench")
    subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    "-DTARVOLIN_BUILD_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "--target", "tarvolin-cli"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build, "src", "cli", "tarvolin-cli")


def ensure_tree(directory, name):
    tree = os.path.join(directory, name)
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--trees", default="medium,large")
    parser.add_argument("--reps", type=int, default=7)
    parser.add_argument("--dir", default="/tmp/tarvolin-bench")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    cli = build_cli()

    for name in args.trees.split(","):
        tree, manifest = ensure_tree(args.dir, name)
        problems = check_totals(cli, tree, manifest)
        print(f"\n{name}: {manifest['dirs']:,} folders, {manifest['files']:,} files; totals "
              + ("match the manifest" if not problems else "WRONG: " + "; ".join(problems[:5])))
        scan_cmd = [cli, "scan", tree, "--format", "json"]
        du_cmd = ["du", "-s", "-b", tree]
        timed(du_cmd)  # warm the cache
        ours, theirs, our_rss, their_rss = [], [], [], []
        for _ in range(args.reps):
            t, rss = timed(du_cmd)
            theirs.append(t)
            their_rss.append(rss)
            t, rss = timed(scan_cmd)
            ours.append(t)
            our_rss.append(rss)
        ours_m, theirs_m = statistics.median(ours), statistics.median(theirs)
        print(f"  du -s -b       median {theirs_m:7.3f} s  peak RSS {max(their_rss) / 1024:6.1f} MB")
        print(f"  tarvolin scan  median {ours_m:7.3f} s  peak RSS {max(our_rss) / 1024:6.1f} MB")
        print(f"  ratio tarvolin/du = {ours_m / theirs_m:.2f}  ({args.reps} runs each, warm cache)")


if __name__ == "__main__":
    main()
