#!/usr/bin/env python3
"""Cold-cache comparison: the folder scan, the report scan, `du -s -b` and the bare limit walker.

    bench/cold_vs_du.py [--tree PATH | --trees medium,large] [--reps 3] [--threads 16]

Before every run the page cache is dropped (root only; without it the script says so and stops),
so each program reads the disk. Programs take turns within a repetition. Prints the medians, the
ratios to du and to the limit walker with --threads threads (the physical limit), and peak RSS.
A tree given with --tree needs its generator manifest beside it (PATH.manifest.json).
"""
import argparse
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scan_vs_du as base  # noqa: E402  (the shared build, tree and timing helpers)

LIMITWALK = os.path.join(os.path.dirname(base.ROOT), "shared", "tools", "limitwalk.cpp")


def can_drop_caches():
    return os.geteuid() == 0 and os.access("/proc/sys/vm/drop_caches", os.W_OK)


def drop_caches():
    subprocess.run(["sync"], check=True)
    with open("/proc/sys/vm/drop_caches", "w", encoding="ascii") as f:
        f.write("3\n")


def build_limitwalk():
    out = os.path.join(base.ROOT, "build", "bench", "limitwalk")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    subprocess.run(["g++", "-std=c++20", "-O2", "-pthread", "-o", out, LIMITWALK], check=True)
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tree")
    parser.add_argument("--trees", default="large")
    parser.add_argument("--reps", type=int, default=3)
    parser.add_argument("--threads", type=int, default=16)
    parser.add_argument("--dir", default="/tmp/tarvolin-bench")
    args = parser.parse_args()
    if not can_drop_caches():
        print("cold_vs_du: needs root to drop the page cache; nothing measured")
        return 0

    cli = base.build_cli()
    walker = build_limitwalk()
    if args.tree:
        trees = [(args.tree, args.tree)]
    else:
        os.makedirs(args.dir, exist_ok=True)
        trees = [(name, base.ensure_tree(args.dir, name)[0]) for name in args.trees.split(",")]
    for name, tree in trees:
        commands = {
            "tarvolin scan": [cli, "scan", tree, "--format", "json"],
            "tarvolin report": [cli, "report", tree, "--largest", "--format", "json"],
            "du -s -b": ["du", "-s", "-b", tree],
            f"limitwalk -t {args.threads}": [walker, "-t", str(args.threads), "-m", "statx", tree],
        }
        times = {label: [] for label in commands}
        peaks = {label: [] for label in commands}
        for rep in range(args.reps):
            labels = list(commands)
            # Rotate the order so that no program always runs first after a drop.
            for label in labels[rep % len(labels):] + labels[:rep % len(labels)]:
                drop_caches()
                elapsed, peak = base.timed(commands[label])
                times[label].append(elapsed)
                peaks[label].append(peak)
        du = statistics.median(times["du -s -b"])
        limit = statistics.median(times[f"limitwalk -t {args.threads}"])
        print(f"\n{name}: cold cache, medians of {args.reps}")
        for label in commands:
            median = statistics.median(times[label])
            print(f"  {label:<18} {median:7.2f} s   {median / du:5.2f} x du   "
                  f"{median / limit:5.2f} x limit   peak {max(peaks[label]) / 1024:6.1f} MB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
