// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small random maps of black line work on paper, crowded so that recorded outlines touch
// and cross each other's bands: strokes one to five pixels wide, rings, filled blocks,
// dashes and specks. And the clicks that record every ink region, one a region, as a user
// would make them.

#include "platform/Bitmap24.h"
#include "raster/RasterWorkbench.h"

#include <QPoint>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace workbench_testing {

inline platform::Bitmap24 RandomMap(int width, int height, std::uint32_t seed) {
    std::mt19937 random(seed);
    const auto below = [&](int n) { return int(random() % unsigned(n)); };
    platform::Bitmap24 sheet(width, height);
    sheet.Fill(0xF6F6F6);
    const auto dab = [&](int x, int y, int w) {
        for (int v = y - w / 2; v < y - w / 2 + w; ++v)
            for (int u = x - w / 2; u < x - w / 2 + w; ++u) sheet.SetPixel(u, v, 0);
    };
    const auto stroke = [&](int x0, int y0, int x1, int y1, int w) {
        const int n = std::max({std::abs(x1 - x0), std::abs(y1 - y0), 1});
        for (int i = 0; i <= n; ++i) dab(x0 + (x1 - x0) * i / n, y0 + (y1 - y0) * i / n, w);
    };
    const int area = width * height;
    for (int i = 0; i < area / 450; ++i) { // strokes, some of them dashed
        const int x = below(width), y = below(height), w = 1 + below(5);
        const double a = below(360) * M_PI / 180, length = 10 + below(60);
        const int dashes = below(3) == 0 ? 4 : 1;
        for (int k = 0; k < dashes; ++k) {
            const double from = length * k / dashes,
                         to = from + length / dashes * (dashes > 1 ? 0.6 : 1);
            stroke(x + int(from * std::cos(a)), y + int(from * std::sin(a)),
                   x + int(to * std::cos(a)), y + int(to * std::sin(a)), w);
        }
    }
    for (int i = 0; i < area / 2000; ++i) { // rings
        const int cx = below(width), cy = below(height), r = 4 + below(18), w = 1 + below(3);
        for (int k = 0; k < 8 * r; ++k) {
            const double a = 2 * M_PI * k / (8 * r);
            dab(cx + int(std::lround(r * std::cos(a))), cy + int(std::lround(r * std::sin(a))), w);
        }
    }
    for (int i = 0; i < area / 1500; ++i) { // blocks
        const int x = below(width), y = below(height), w = 3 + below(20), h = 3 + below(14);
        for (int v = y; v < y + h; ++v)
            for (int u = x; u < x + w; ++u) sheet.SetPixel(u, v, 0);
    }
    for (int i = 0; i < area / 300; ++i) dab(below(width), below(height), 1 + below(2)); // specks
    return sheet;
}

// Clicks the first ink pixel of every run whose start pixel (the end of the up-left walk
// through ink) carries no outline mark yet. Pure colour follows every 8-connected region;
// colour range (60, strict diagonals) the 2 × 2 averages.
inline void RecordEveryRegion(raster::RasterWorkbench& bench, platform::Bitmap24& sheet,
                              bool colourRange) {
    bench.UseColorRange = colourRange;
    bench.ColorRange = 60;
    bench.StrictDiagonals = colourRange ? 1 : 0;
    const int width = sheet.Width(), height = sheet.Height();
    const auto ink = [&](int x, int y) {
        if (x < 2 || y < 2 || x > width - 2 || y > height - 2) return false;
        if (colourRange) {
            bench.TargetColor = 0;
            return bench.MatchesTarget(x, y);
        }
        const std::uint8_t* p = sheet.ScanLine(y) + 3 * x;
        return ((p[0] | p[1] | p[2]) & 0xFE) == 0;
    };
    for (int y = 2; y <= height - 2; ++y) {
        bool inRun = false;
        for (int x = 2; x <= width - 2; ++x) {
            const bool here = ink(x, y);
            if (here && !inRun) {
                int sx = x, sy = y;
                while (ink(sx, sy)) --sx, --sy;
                if (!bench.IsMarked(sx + 1, sy + 1, 0)) {
                    bench.ClearContour();
                    bench.TargetColor = sheet.Pixel(x, y);
                    bench.DetectEdge(x, y);
                }
            }
            inRun = here;
        }
    }
}

} // namespace workbench_testing
