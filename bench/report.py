#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints scripts/bench's table from the results of one run.

Usage: report.py RESULTS-FOLDER

The folder holds bench_*.json (Google Benchmark, --benchmark_out_format=json),
peers_before.json and peers_after.json (bench/peers.py, run before and after ours),
peak_jpg.txt and peak_bmp.txt (/usr/bin/time -v of open_peak), sheet.txt (the sheet's name
and size) and load.txt (uptime before and after, and the steal); for thinning on other sheets
of the kind, other_K.json (bench_trace) and other_K_peers.json (peers.py), K = 1, 2, …
Figures are medians; a peer's is the mean of its medians before and after.
"""
import glob
import json
import os
import re
import sys

UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def load_json(path):
    try:
        with open(path) as f:
            return json.load(f)
    except (OSError, ValueError):
        return None


def load_runs(folder, pattern="bench_*.json"):
    runs = {}
    for path in glob.glob(os.path.join(folder, pattern)):
        data = load_json(path)
        if data is not None:
            runs[os.path.basename(path)[:-5]] = data.get("benchmarks", [])
    return runs


def pick(runs, program, base):
    """The median of benchmark `base` (name up to its arguments) of a program, as a dict
    with "seconds" and its counters; None when it did not run."""
    found = [b for b in runs.get(program, [])
             if b.get("run_name", b["name"]) == base or
             b.get("run_name", b["name"]).startswith(base + "/")]
    medians = [b for b in found if b.get("aggregate_name") == "median"]
    if medians:
        b = medians[0]
    else:
        singles = sorted((b for b in found if b.get("run_type") == "iteration"),
                         key=lambda b: b["real_time"])
        if not singles:
            return None
        b = singles[len(singles) // 2]
    result = {k: v for k, v in b.items() if isinstance(v, (int, float))}
    result["seconds"] = b["real_time"] * UNIT[b.get("time_unit", "ns")]
    return result


def peak_kb(path):
    try:
        with open(path) as f:
            m = re.search(r"Maximum resident set size \(kbytes\): (\d+)", f.read())
        return int(m.group(1)) if m else None
    except OSError:
        return None


def text(path):
    try:
        with open(path) as f:
            return f.read().strip()
    except OSError:
        return ""


def seconds(s):
    if s is None:
        return "—"
    return f"{s * 1e3:.1f} ms" if s < 1 else f"{s:.2f} s"


def main():
    folder = sys.argv[1]
    runs = load_runs(folder)
    # The peers timed before and after ours; each figure is the mean of the two, as the
    # host's speed drifts over a run.
    timings = [load_json(os.path.join(folder, f"peers_{part}.json")) or {}
               for part in ("before", "after")]

    def peer_parts(name):
        return [t.get(name, {}).get("seconds") for t in timings]

    def peer(name):
        found = [s for s in peer_parts(name) if s is not None]
        return sum(found) / len(found) if found else None

    rows = []

    def row(what, ours, peer_name=None, peer_s=None, goal=None, met=None):
        ratio = f"{ours / peer_s:.2f}×" if ours is not None and peer_s else "—"
        rows.append((what, seconds(ours), f"{peer_name} {seconds(peer_s)}" if peer_name else "—",
                     ratio, goal or "", "" if met is None else ("met" if met else "**missed**")))

    # Thinning.
    thin = pick(runs, "bench_trace", "BM_ThinAll/1")
    sk = peer("skeletonize")
    if thin:
        row(f"thin every recorded outline (ThinObjects), default settings; "
            f"{thin.get('removed', 0) / 1e6:.1f} M pixels peeled",
            thin["seconds"], "skeletonize", sk, "≤ 3 s", thin["seconds"] <= 3)
    app_thin = pick(runs, "bench_app", "BM_ThinEveryOutline/1")
    if app_thin:
        row("the same through the program's \"thin\" (display refreshed)", app_thin["seconds"],
            "skeletonize", sk, "≤ 3 s", app_thin["seconds"] <= 3)
    if thin and "ants_first_ms" in thin:
        row("the outline animation after thinning, whole sheet at 1600 × 1000: the first tick "
            "(finds the dashes)", thin["ants_first_ms"] / 1e3)
        warm = thin["ants_warm_ms"] / 1e3
        row("the same: each later tick (the timer ticks every 100 ms)", warm, goal="< 30 ms",
            met=warm < 0.030)
    # The same on other sheets of the kind, each beside skeletonize on it.
    others = load_runs(folder, "other_*[0-9].json")
    for k in range(1, len(others) + 1):
        other = pick(others, f"other_{k}", "BM_ThinAll/1")
        if not other:
            continue
        peers = load_json(os.path.join(folder, f"other_{k}_peers.json")) or {}
        row(f"the same on another sheet of the kind (other seed {k}); "
            f"{other.get('removed', 0) / 1e6:.1f} M pixels peeled",
            other["seconds"], "skeletonize", peers.get("skeletonize", {}).get("seconds"),
            "≤ 3 s", other["seconds"] <= 3)
    thin0 = pick(runs, "bench_trace", "BM_ThinAll/0")
    if thin0:
        row(f"thin every outline, pure colour (report); "
            f"{thin0.get('removed', 0) / 1e6:.1f} M pixels peeled",
            thin0["seconds"], "skeletonize", sk)

    # Raster undo copy.
    for arg, view in (("0", "the whole sheet fitted"), ("1", "1 : 1")):
        u = pick(runs, "bench_app", "BM_RasterUndo/" + arg)
        if not u:
            continue
        for key, what in (("first_save_ms", "save, first"), ("warm_save_ms", "save, warm"),
                          ("first_restore_ms", "restore and redraw, first"),
                          ("warm_restore_ms", "restore and redraw, warm")):
            if key in u:
                s = u[key] / 1e3
                row(f"raster undo copy at {view}: {what}", s, goal="< 30 ms", met=s < 0.030)

    # Record every region + V.
    potrace = peer("potrace")
    for arg, mode in (("0", "pure colour"), ("1", "default settings")):
        r = pick(runs, "bench_app", "BM_RecordEveryRegionThenV/" + arg)
        if not r:
            continue
        total = r.get("record_s", 0) + r.get("v_s", 0)
        goal = "≤ 2 s" if arg == "0" else None
        row(f"record every region + V, {mode}, in the program ({int(r.get('clicks', 0))} clicks; "
            f"record {seconds(r.get('record_s'))}, V {seconds(r.get('v_s'))})",
            total, "potrace", potrace, goal, total <= 2 if goal else None)

    # Opening.
    dj = peer("djpeg")
    o = pick(runs, "bench_app", "BM_OpenJpegToFirstView")
    if o:
        row("open the JPEG in the program, to the first drawn view", o["seconds"], "djpeg", dj,
            "≤ 1.3× djpeg", o["seconds"] <= 1.3 * dj if dj else None)
    o = pick(runs, "bench_raster", "BM_OpenJpeg")
    if o:
        row("the same without the window (decode, marks, display levels, first view)",
            o["seconds"], "djpeg", dj, "≤ 1.3× djpeg", o["seconds"] <= 1.3 * dj if dj else None)
    bmp = pick(runs, "bench_raster", "BM_OpenBmp")
    read = pick(runs, "bench_raster", "BM_Baseline_ReadBmpIntoFreshBuffer")
    if bmp and read:
        row("open the BMP to the first view", bmp["seconds"], "read()", read["seconds"],
            "≤ 1.3× read()", bmp["seconds"] <= 1.3 * read["seconds"])
    clear = pick(runs, "bench_raster", "BM_ClearMarks")
    copy = pick(runs, "bench_raster", "BM_Baseline_Memcpy")
    if clear and copy:
        row("clear every mark (ClearMarks)", clear["seconds"], "memcpy", copy["seconds"],
            "≤ 2× memcpy", clear["seconds"] <= 2 * copy["seconds"])
    view = pick(runs, "bench_raster", "BM_RenderView/1400")
    if view:
        row("a view change, whole sheet at 1600 × 1000", view["seconds"], goal="< 30 ms",
            met=view["seconds"] < 0.030)

    # Memory.
    sheet = text(os.path.join(folder, "sheet.txt"))
    raster_bytes = 10000 * 14000 * 3
    m = re.search(r"(\d+) x (\d+)", sheet)
    if m:
        raster_bytes = int(m.group(1)) * int(m.group(2)) * 3
    for name in ("jpg", "bmp"):
        kb = peak_kb(os.path.join(folder, f"peak_{name}.txt"))
        if kb:
            rows.append((f"peak memory of the program opening the {name.upper()} "
                         f"(whole process, /usr/bin/time)",
                         f"{kb / 1024:.0f} MB", "the raster", f"{kb * 1024 / raster_bytes:.2f}×",
                         "", ""))

    print(f"Sheet: {sheet}")
    print(f"Load: {text(os.path.join(folder, 'load.txt'))}")
    drift = [f"{name} {seconds(a)} / {seconds(b)}" for name in ("djpeg", "potrace", "skeletonize")
             for a, b in [peer_parts(name)] if a is not None and b is not None]
    if drift:
        print(f"Peers before / after ours: {', '.join(drift)}")
    print()
    header = ("what", "ours (median)", "peer, same run", "ratio", "goal", "")
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(6)]
    for r in [header, tuple("-" * w for w in widths)] + rows:
        print("| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |")

    # Everything else, for reference: the median of every benchmark.
    print()
    print("All benchmarks (median real time; counters of the median run):")
    for program in sorted(runs):
        print(f"== {program}")
        for b in runs[program]:
            if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                continue
            if b.get("run_type") == "iteration" and b.get("repetitions", 1) > 1:
                continue
            counters = {k: v for k, v in b.items()
                        if k not in ("name", "run_name", "run_type", "repetitions",
                                     "repetition_index", "threads", "iterations", "real_time",
                                     "cpu_time", "time_unit", "aggregate_name",
                                     "aggregate_unit", "family_index",
                                     "per_family_instance_index")}
            extra = " ".join(f"{k}={v:.4g}" if isinstance(v, float) else f"{k}={v}"
                             for k, v in counters.items())
            print(f"  {b['name']:<70} {b['real_time']:>12.3f} {b.get('time_unit', 'ns')}  {extra}")


if __name__ == "__main__":
    main()
