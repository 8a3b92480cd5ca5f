#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws more A0 sheets of the benchmark sheet's kind, with other seeds, as thresholded
bitmaps: a figure measured on one sheet may be one that happens to suit it.

Usage: other_sheets.py GENERATOR FOLDER COUNT

GENERATOR is the benchmark sheet's generator (../shared/bench/gen_images.py or a copy); its
drawing and its scan softness and noise are used, at its 140mp size, with seeds of our own.
Writes FOLDER/other_K.pbm for K = 1 … COUNT (those present are kept: the sheets are
deterministic) and prints their stems, one a line.
"""
import os
import runpy
import sys


def main():
    generator, folder, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    os.makedirs(folder, exist_ok=True)
    gen = None  # the generator's definitions, taken (without running it) when a sheet is drawn
    for k in range(1, count + 1):
        stem = os.path.join(folder, f"other_{k}")
        if not os.path.exists(stem + ".pbm"):
            gen = gen or runpy.run_path(generator)
            width, height = gen["SIZES"]["140mp"]
            seed = 100003 * k  # the generator's own seeds are its size's index times 7919
            image = gen["scanify"](gen["draw_map"](width, height, seed), seed)
            grey = gen["cv2"].cvtColor(image, gen["cv2"].COLOR_BGR2GRAY)
            del image
            ink = gen["write_pbm"](stem + ".part", grey)
            os.replace(stem + ".part", stem + ".pbm")
            print(f"{os.path.basename(stem)}: ink {100 * ink:.1f} %", file=sys.stderr)
        print(stem)


if __name__ == "__main__":
    main()
