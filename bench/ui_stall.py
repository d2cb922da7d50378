#!/usr/bin/env python3
"""How long the window's UI thread stalls while it scans a large tree, and how fast it drills in.

    bench/ui_stall.py [--tree PATH] [--reps 3] [--drills 5] [--sort size|none] [--cold]
                      [--dir /tmp/tarvolin-bench] [--gui BINARY]

Runs `tarvolin TREE` under xvfb-run with the stall probe on (TARVOLIN_STALL_PROBE), a private
HOME and XDG_CONFIG_HOME (the user's settings stay untouched) and "RefreshFreq" 1, so that the
view refreshes every second while the walk goes on. The probe's 10 ms timer records how late
each tick fires from the scan's start until a second after it completed; then it drills into
the largest subfolders (answered from the folder cache) and back, a second apart, and the
program quits. The script prints the worst stall (with the CPU time the UI thread got during
it: far less means it waited for a core or a lock) and the 99th percentile of the lateness,
the longest events and paints, each drill-in's UI-thread work (the activation plus the
handling of the scan's start and completion), its repaints and when its rows were listed and
drawn, and the peak RSS of the window process after the scan, after the drill-ins and at exit.
Without --tree the large reference tree of scan_vs_du.py is used (generated once). The cache
is warmed before the runs; with --cold (root only) the page cache is dropped before each run
instead, so the scan's walkers all wait for the disk beside the window.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # importing the helpers leaves nothing behind in bench/
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from scan_vs_du import build_target, ensure_tree  # noqa: E402
from cold_vs_du import can_drop_caches, drop_caches  # noqa: E402

SETTINGS = """[General]
AutoRefresh=1
RefreshFreq=1
ShowSplash=0
ShowWelcomeScreen=0
DetailListSortCol={sort_column}
DetailListSortDir=0
"""


def build_gui():
    return build_target("tarvolin", os.path.join("src", "app", "tarvolin"))


def run_once(gui, tree, drills, sort_column, timeout):
    """The probe's report plus the exit peak RSS (KiB) of one window run in a fresh profile."""
    with tempfile.TemporaryDirectory(prefix="tarvolin-ui-stall-") as work:
        config = os.path.join(work, "config", "Brelland")
        os.makedirs(config)
        with open(os.path.join(config, "Tarvolin.conf"), "w", encoding="utf-8") as f:
            f.write(SETTINGS.format(sort_column=sort_column))
        report, rss_file = os.path.join(work, "probe.json"), os.path.join(work, "rss")
        env = dict(os.environ, HOME=os.path.join(work, "home"),
                   XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_DATA_HOME=os.path.join(work, "data"),
                   XDG_CACHE_HOME=os.path.join(work, "cache"),
                   TARVOLIN_STALL_PROBE=report, TARVOLIN_STALL_PROBE_DRILLS=str(drills))
        env.pop("QT_QPA_PLATFORM", None)  # the real X11 platform, on the virtual screen
        os.makedirs(env["HOME"])
        command = ["xvfb-run", "-a", "-s", "-screen 0 1280x900x24",
                   "/usr/bin/time", "-f", "%M", "-o", rss_file, gui, tree]
        try:
            result = subprocess.run(command, env=env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.PIPE, text=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            sys.exit(f"the window did not finish within {timeout} s")
        if result.returncode != 0 or not os.path.exists(report):
            sys.exit(f"the window run failed ({result.returncode}): {result.stderr[-2000:]}")
        with open(report, encoding="utf-8") as f:
            probe = json.load(f)
        with open(rss_file, encoding="utf-8") as f:
            exit_rss = int(f.read().strip().splitlines()[-1])
        return probe, exit_rss


EVENT_NAMES = {1: "Timer", 12: "Paint", 43: "queued call", 76: "LayoutRequest",
               77: "UpdateRequest (repaint)"}


def describe_steps(steps):
    """Medians of when the scan's start and completion were handled and when it was drawn."""
    done = [s for s in steps if s["completed"]]
    if not done:
        return "none completed"
    cached = sum(1 for s in done if s["from_cache"])
    part = {key: statistics.median(s[key] for s in done)
            for key in ("activate_ms", "handling_ms", "paint_ms", "complete_ms", "total_ms")}
    ui = statistics.median(s["activate_ms"] + s["handling_ms"] for s in done)
    return (f"UI work {ui:5.2f} ms (activation {part['activate_ms']:4.2f} + scan start and "
            f"completion {part['handling_ms']:4.2f}), repaints {part['paint_ms']:5.2f} ms; "
            f"listed after {part['complete_ms']:5.2f} ms, drawn after {part['total_ms']:6.2f} ms "
            f"({len(done)}/{len(steps)} completed, {cached} from the cache)")


def describe_events(events, count):
    return "; ".join(f"{e['ms']:.1f} ms at {e['at_ms'] / 1000:.2f} s: {e['what'].split(', event ')[0]} "
                     f"{EVENT_NAMES.get(int(e['what'].split(', event ')[1]), e['what'].split(', event ')[1])}"
                     for e in events[:count])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tree", help="folder to scan (default: the large reference tree)")
    parser.add_argument("--reps", type=int, default=3)
    parser.add_argument("--drills", type=int, default=5)
    parser.add_argument("--sort", choices=("size", "none"), default="size",
                        help="the details view's sort while it refreshes")
    parser.add_argument("--timeout", type=int, default=900)
    parser.add_argument("--gui", help="a tarvolin binary to run instead of building one")
    parser.add_argument("--dir", default="/tmp/tarvolin-bench")
    parser.add_argument("--cold", action="store_true", help="drop the page cache before each run")
    args = parser.parse_args()
    if args.cold and not can_drop_caches():
        print("ui_stall: --cold needs root to drop the page cache; nothing measured")
        return 0
    if args.tree:
        tree = os.path.abspath(args.tree)
    else:
        os.makedirs(args.dir, exist_ok=True)
        tree, _ = ensure_tree(args.dir, "large")
    gui = os.path.abspath(args.gui) if args.gui else build_gui()
    if not args.cold:
        subprocess.run(["du", "-s", "-b", tree], stdout=subprocess.DEVNULL, check=True)

    sort_column = 1 if args.sort == "size" else -1
    worst, painted_worst, p99, drill_medians, drawn_medians, rss_after_scan, rss_exit = [], [], [], [], [], [], []
    cache = "cold" if args.cold else "warm"
    print(f"{tree}: {args.reps} runs, {cache} cache, RefreshFreq 1, sorted by {args.sort}")
    for rep in range(1, args.reps + 1):
        if args.cold:
            drop_caches()
        probe, exit_rss = run_once(gui, tree, args.drills, sort_column, args.timeout)
        scan = probe["scan"]
        worst.append(scan["worst_ms"])
        painted = scan["after_first_paint"]
        painted_worst.append(painted["worst_ms"])
        p99.append(scan["p99_ms"])
        rss_after_scan.append(probe["peak_rss_kb"])
        rss_exit.append(exit_rss)
        done = [s for s in probe["drill_ins"] if s["completed"]]
        drills = [s["activate_ms"] + s["handling_ms"] for s in done]
        drawn = [s["total_ms"] for s in done]
        if drills:
            drill_medians.append(statistics.median(drills))
            drawn_medians.append(statistics.median(drawn))
        print(f"run {rep}: scan {scan['scan_ms'] / 1000:6.2f} s, {scan['ticks']} ticks; "
              f"worst stall {scan['worst_ms']:7.1f} ms at {scan['worst_at_ms'] / 1000:.2f} s "
              f"(UI thread on a core {scan['worst_cpu_ms']:.1f} ms of it), "
              f"p99 {scan['p99_ms']:5.1f} ms; after the window's first paint: worst "
              f"{painted['worst_ms']:5.1f} ms, p99 {painted['p99_ms']:5.1f} ms")
        print(f"       longest events: {describe_events(scan['longest_events'], 3)}")
        print(f"       longest paints: {describe_events(scan['longest_paints'], 3)}")
        print(f"       drill-in {describe_steps(probe['drill_ins'])}")
        print(f"       back     {describe_steps(probe['backs'])}")
        print(f"       stalls while drilling: worst {probe['drill']['worst_ms']:.1f} ms; "
              f"peak RSS after the scan {probe['peak_rss_kb'] / 1024:.1f} MB, after the "
              f"drill-ins {probe['peak_rss_end_kb'] / 1024:.1f} MB, at exit {exit_rss / 1024:.1f} MB")
    print(f"median of {args.reps}: worst stall {statistics.median(worst):.1f} ms "
          f"(max {max(worst):.1f}; after the first paint {statistics.median(painted_worst):.1f}, "
          f"max {max(painted_worst):.1f}), p99 {statistics.median(p99):.1f} ms, "
          + (f"drill-in UI work {statistics.median(drill_medians):.2f} ms, drawn after "
             f"{statistics.median(drawn_medians):.2f} ms, " if drill_medians else "")
          + f"peak RSS after the scan {statistics.median(rss_after_scan) / 1024:.1f} MB "
          f"(at exit {statistics.median(rss_exit) / 1024:.1f} MB)")


if __name__ == "__main__":
    main()
