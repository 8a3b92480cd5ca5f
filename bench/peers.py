#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times the peer tools on the benchmark sheet, as scripts/bench runs them beside ours.

Usage: peers.py STEM REPEATS [NAMES]   (STEM.jpg, STEM.pbm: the scan as JPEG and thresholded;
                                        NAMES: the peers to run, comma-separated, else all)

  djpeg        libjpeg-turbo's decoder, the JPEG to /dev/null
  potrace      outline vectors of the thresholded bitmap, as DXF, to /dev/null
  skeletonize  scikit-image's thinning of the thresholded bitmap (the call alone)

Prints one JSON object: {name: {"seconds": median, "runs": [...], "what": ...}}. A tool
that is not installed is left out.
"""
import json
import shutil
import statistics
import subprocess
import sys
import time


def timed_command(args, repeats):
    runs = []
    for _ in range(repeats):
        start = time.perf_counter()
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        runs.append(time.perf_counter() - start)
    return runs


def read_pbm(path):
    import numpy as np
    with open(path, "rb") as f:
        data = f.read()
    fields, at = [], 0
    while len(fields) < 3:  # magic, width, height; comments skipped
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    at += 1
    width, height = int(fields[1]), int(fields[2])
    rows = np.frombuffer(data, np.uint8, count=height * ((width + 7) // 8), offset=at)
    bits = np.unpackbits(rows.reshape(height, -1), axis=1)[:, :width]
    return bits.astype(bool)


def main():
    stem, repeats = sys.argv[1], int(sys.argv[2])
    chosen = set(sys.argv[3].split(",")) if len(sys.argv) > 3 else {"djpeg", "potrace",
                                                                    "skeletonize"}
    results = {}
    if "djpeg" in chosen and shutil.which("djpeg"):
        runs = timed_command(["djpeg", "-outfile", "/dev/null", stem + ".jpg"], max(repeats, 5))
        results["djpeg"] = {"runs": runs, "what": "djpeg -outfile /dev/null (libjpeg-turbo)"}
    if "potrace" in chosen and shutil.which("potrace"):
        runs = timed_command(["potrace", "-b", "dxf", "-o", "/dev/null", stem + ".pbm"], repeats)
        results["potrace"] = {"runs": runs, "what": "potrace -b dxf (all outlines as vectors)"}
    skeletonize = None
    if "skeletonize" in chosen:
        try:
            from skimage.morphology import skeletonize
        except ImportError:
            pass
    if skeletonize is not None:
        image = read_pbm(stem + ".pbm")
        runs = []
        for _ in range(repeats):
            start = time.perf_counter()
            skeletonize(image)
            runs.append(time.perf_counter() - start)
        results["skeletonize"] = {"runs": runs, "what": "scikit-image skeletonize"}
    for r in results.values():
        r["seconds"] = statistics.median(r["runs"])
    json.dump(results, sys.stdout, indent=1)


if __name__ == "__main__":
    main()
