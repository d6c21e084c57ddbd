#!/usr/bin/env python3
"""Turns the JSON of scripts/bench.sh into the table of BENCHMARKS.md: the median of each
benchmark, its floor from the same run, and the ratios the targets are stated in."""
import json
import sys


def medians(paths):
    rows = {}
    for path in paths:
        with open(path) as f:
            for b in json.load(f)["benchmarks"]:
                if b.get("aggregate_name") != "median":
                    continue
                name = b["run_name"].replace("/manual_time", "").replace("/iterations:1", "")
                rows[name] = b
    return rows


def ms(value_us):
    return f"{value_us / 1000:.2f} ms"


def main(paths):
    rows = medians(paths)
    print("| Benchmark | Median | Floor (same run) | Ratio to floor |")
    print("|---|---|---|---|")
    for name, b in rows.items():
        if "ratio" in b:
            print(f"| {name} | {ms(b['op_us'])} | {ms(b['floor_us'])} | {b['ratio']:.2f} |")
    core = rows.get("BM_Keystroke/32767")
    qt = rows.get("BM_QtKeystroke/32767")
    print()
    if core and qt:
        print(f"- Qt keystroke at 32767 / core keystroke at 32767: {qt['op_us'] / core['op_us']:.2f}")
    start0, start = rows.get("BM_Startup/0"), rows.get("BM_Startup/32767")
    if start0 and start:
        print(f"- core start-up: {ms(start0['op_us'])} at 0 memos, {ms(start['op_us'])} at 32767 "
              f"({start['op_us'] / start0['op_us']:.1f}x)")
    q0, q = rows.get("BM_QtStartup/0"), rows.get("BM_QtStartup/32767")
    if q0 and q:
        t0, t = q0["real_time"], q["real_time"]
        print(f"- window shown (Qt): {t0:.1f} ms at 0 memos, {t:.1f} ms at 32767 ({t / t0:.2f}x)")
    m0, m = rows.get("BM_StartupMemory/0"), rows.get("BM_StartupMemory/32767")
    if m0 and m:
        extra = m["rss_kb"] - m0["rss_kb"]
        print(f"- resident after start-up: {m0['rss_kb']:.0f} kB at 0 memos, {m['rss_kb']:.0f} kB "
              f"at 32767: {extra:.0f} kB more, {extra / m['index_kb']:.2f}x the index "
              f"({m['index_kb']:.0f} kB)")
    for name in ("BM_EncodeIndex/32767", "BM_DecodeIndex/32767"):
        if name in rows:
            print(f"- {name}: {rows[name]['real_time']:.0f} us")


if __name__ == "__main__":
    main(sys.argv[1:])
