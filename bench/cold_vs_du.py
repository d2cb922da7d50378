#!/usr/bin/env python3
"""Cold-cache comparison: the folder scan, the report scan, `du -s -b` and the bare limit walker.

    bench/cold_vs_du.py [--tree PATH | --trees medium,large] [--reps 3] [--threads 16]
                        [--threads-list 2,8,16,32]

Before every run the page cache is dropped (root only; without it the script says so and stops),
so each program reads the disk. The scan (by default and with each --threads count), the report
scan, du and the limit walker take turns within a repetition. Prints the medians, the ratios to
du and to the limit walker with --threads threads (the physical limit), and peak RSS.
A tree given with --tree needs its generator manifest beside it (PATH.manifest.json).
"""
import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scan_vs_du as base  # noqa: E402  (the shared build, tree and timing helpers)

def can_drop_caches():
    return os.geteuid() == 0 and os.access("/proc/sys/vm/drop_caches", os.W_OK)


def drop_caches():
    subprocess.run(["sync"], check=True)
    with open("/proc/sys/vm/drop_caches", "w", encoding="ascii") as f:
        f.write("3\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tree")
    parser.add_argument("--trees", default="large")
    parser.add_argument("--reps", type=int, default=3)
    parser.add_argument("--threads", type=int, default=16, help="threads of the limit walker")
    parser.add_argument("--threads-list", default="2,8,16,32",
                        help="also time the scan with each of these --threads counts")
    parser.add_argument("--dir", default="/tmp/tarvolin-bench")
    args = parser.parse_args()
    if not can_drop_caches():
        print("cold_vs_du: needs root to drop the page cache; nothing measured")
        return 0

    cli = base.build_cli()
    walker = base.build_limitwalk()
    threads_list = [int(t) for t in args.threads_list.split(",") if t]
    if args.tree:
        trees = [(args.tree, args.tree)]
    else:
        os.makedirs(args.dir, exist_ok=True)
        trees = [(name, base.ensure_tree(args.dir, name)[0]) for name in args.trees.split(",")]
    for name, tree in trees:
        commands = base.scan_commands(cli, tree, threads_list)
        commands["du -s -b"] = ["du", "-s", "-b", tree]
        limit = f"limitwalk -t {args.threads}"
        commands[limit] = [walker, "-t", str(args.threads), "-m", "statx", tree]
        medians, peaks = base.run_in_turns(commands, args.reps, before_each=drop_caches)
        print(f"\n{name}: cold cache, medians of {args.reps}, programs in turns")
        base.print_table(medians, peaks, "du -s -b", limit)
    return 0


if __name__ == "__main__":
    sys.exit(main())
