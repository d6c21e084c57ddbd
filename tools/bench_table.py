#!/usr/bin/env python3
"""Turns the JSON of scripts/bench.sh into the tables of BENCHMARKS.md. Every figure is the
median of the repetitions with the smallest and largest beside it; every ratio is taken within
each repetition (an operation over its floor, or the Qt window over the core alone, timed in the
same iterations) before its median is taken."""
import json
import statistics
import sys
from collections import defaultdict

TARGETS = {
    "BM_Keystroke/10": "≤ 1.1", "BM_Keystroke/1000": "≤ 1.1", "BM_Keystroke/32767": "≤ 1.1",
    "BM_KeystrokePastTheTitle/32767": "the memo's write alone",
    "BM_KeystrokeInALongMemo/680000": "≤ 1.2", "BM_KeystrokeInALongMemo/13600000": "≤ 1.5",
    "BM_Swap/32767": "≤ 1.2", "BM_Open/32767": "≤ 1.2",
}


def runs(paths):
    """Each benchmark's repetitions, by name."""
    found = defaultdict(list)
    for path in paths:
        with open(path) as f:
            for b in json.load(f)["benchmarks"]:
                if b.get("run_type") != "iteration":
                    continue
                name = b["run_name"].replace("/manual_time", "").replace("/iterations:1", "")
                found[name].append(b)
    return found


def spread(values, fmt):
    values = sorted(values)
    return f"{fmt(statistics.median(values))} ({fmt(values[0])}–{fmt(values[-1])})"


def ms(us):
    return f"{us / 1000:.2f}" if us >= 100 else f"{us / 1000:.4f}"


def ratio(x):
    return f"{x:.2f}"


def main(paths):
    found = runs(paths)
    print("| Path | Median ms (min–max) | Floor ms | Ratio to floor (min–max) | Target |")
    print("|---|---|---|---|---|")
    for name, reps in found.items():
        if "ratio" not in reps[0] or name.startswith("BM_Qt"):
            continue
        print(f"| {name} | {spread([r['op_us'] for r in reps], ms)} | "
              f"{ms(statistics.median(r['floor_us'] for r in reps))} | "
              f"{spread([r['ratio'] for r in reps], ratio)} | {TARGETS.get(name, '')} |")
    print()
    print("| Path | Median ms (min–max) | Of which folder flushes, ms (min–max) |")
    print("|---|---|---|")
    for name, reps in found.items():
        if reps[0].get("flush_us", 0) > 0:
            print(f"| {name} | {spread([r['op_us'] for r in reps], ms)} | "
                  f"{spread([r['flush_us'] for r in reps], ms)} |")
    print()
    print("| Through the Qt window, key to disk | Median ms (min–max) | Core alone ms | "
          "Qt over core (min–max) | Ratio to floor (min–max) | Drawn too, ms |")
    print("|---|---|---|---|---|---|")
    for name, reps in found.items():
        if not name.startswith("BM_QtKeystroke"):
            continue
        print(f"| {name} | {spread([r['op_us'] for r in reps], ms)} | "
              f"{ms(statistics.median(r['core_us'] for r in reps))} | "
              f"{spread([r['qt_over_core'] for r in reps], ratio)} | "
              f"{spread([r['ratio'] for r in reps], ratio)} | "
              f"{ms(statistics.median(r['drawn_us'] for r in reps))} |")
    print()
    for n in (10, 32767):
        reps = found.get(f"BM_Startup/{n}")
        if reps:
            print(f"- core start-up at {n} memos: {spread([r['real_time'] for r in reps], lambda v: f'{v:.3f}')} ms;"
                  f" the look at the folder after the window shows: "
                  f"{spread([r['look_us'] / 1000 for r in reps], lambda v: f'{v:.2f}')} ms")
    for prefix, what in (("BM_ResidentAfterStart", "core"), ("BM_QtResident", "Qt program")):
        for counter, kind in (("rss_kb", "resident"), ("anon_kb", "of which anonymous")):
            kb = {n: statistics.median(r[counter] for r in found[f"{prefix}/{n}"])
                  for n in (0, 10, 32767) if f"{prefix}/{n}" in found}
            if 0 not in kb or 32767 not in kb:
                continue
            index = found[f"{prefix}/32767"][0]["index_kb"]
            line = (f"- {what}, {kind}: {kb[0]:.0f} kB with no memos, {kb[32767]:.0f} kB with "
                    f"32767: {kb[32767] - kb[0]:.0f} kB more = "
                    f"{(kb[32767] - kb[0]) / index:.2f}x the index ({index:.0f} kB)")
            if 10 in kb:
                line += (f"; over 10 memos ({kb[10]:.0f} kB): "
                         f"{(kb[32767] - kb[10]) / index:.2f}x")
            print(line + " (target ≤ 1.5x)")

if __name__ == "__main__":
    main(sys.argv[1:])
