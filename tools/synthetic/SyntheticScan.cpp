// SPDX-License-Identifier: GPL-3.0-or-later
#include "SyntheticScan.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace synthetic {

namespace {

class Random { // xorshift32: fast, repeatable
public:
    explicit Random(std::uint32_t seed) : s_(seed ? seed : 1) {}
    std::uint32_t Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    int Below(int n) { return n > 0 ? int(Next() % std::uint32_t(n)) : 0; }

private:
    std::uint32_t s_;
};

struct Painter {
    platform::Bitmap24& b;
    void Rect(int x0, int y0, int x1, int y1, std::uint8_t v) { // inclusive-exclusive
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, b.Width());
        y1 = std::min(y1, b.Height());
        if (x0 >= x1) return;
        for (int y = y0; y < y1; ++y)
            std::memset(b.ScanLine(y) + 3 * x0, v, 3 * std::size_t(x1 - x0));
    }
    void Line(int x0, int y0, int x1, int y1, int thick) {
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        const int half = thick / 2;
        for (;;) {
            Rect(x0 - half, y0 - half, x0 - half + thick, y0 - half + thick, 0);
            if (x0 == x1 && y0 == y1) break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }
    void Circle(int cx, int cy, int r, int thick) {
        const int steps = std::max(16, int(r * 6.3));
        int px = cx + r, py = cy;
        for (int i = 1; i <= steps; ++i) {
            const double a = 2 * M_PI * i / steps;
            const int x = cx + int(std::lround(r * std::cos(a))),
                      y = cy + int(std::lround(r * std::sin(a)));
            Line(px, py, x, y, thick);
            px = x;
            py = y;
        }
    }
};

} // namespace

platform::Bitmap24 MakeLineArtScan(int width, int height, std::uint32_t seed) {
    platform::Bitmap24 b(width, height);
    Random rnd(seed);
    // Paper: near-white rows with a sprinkle of light noise.
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = b.ScanLine(y);
        std::memset(row, 0xF6, 3 * std::size_t(width));
        for (int n = width / 64; n > 0; --n)
            row[3 * rnd.Below(width) + rnd.Below(3)] = std::uint8_t(0xD0 + rnd.Below(0x20));
    }
    Painter p{b};
    const double unit = std::max(1.0, std::sqrt(double(width) * height) / 1000.0);
    const int cells = std::max(1, int(double(width) * height / (250.0 * 250.0 * unit * unit)));
    // Filled areas (light tints, as on maps).
    for (int i = 0; i < cells / 8 + 1; ++i) {
        const int x = rnd.Below(width), y = rnd.Below(height);
        p.Rect(x, y, x + int(60 * unit) + rnd.Below(int(120 * unit)),
               y + int(40 * unit) + rnd.Below(int(80 * unit)),
               std::uint8_t(0xB0 + rnd.Below(0x30)));
    }
    // Grid of thin lines, thick lines and curves.
    const int grid = int(180 * unit);
    for (int x = grid / 2; x < width; x += grid)
        p.Line(x, 0, x + rnd.Below(grid / 4), height - 1, 1);
    for (int y = grid / 3; y < height; y += grid)
        p.Line(0, y, width - 1, y + rnd.Below(grid / 4), 1);
    for (int i = 0; i < cells; ++i) {
        const int x = rnd.Below(width), y = rnd.Below(height);
        const int len = int(40 * unit) + rnd.Below(int(200 * unit));
        const double a = rnd.Below(360) * M_PI / 180;
        p.Line(x, y, x + int(len * std::cos(a)), y + int(len * std::sin(a)),
               1 + rnd.Below(int(3 * unit) + 3));
        if (i % 3 == 0)
            p.Circle(rnd.Below(width), rnd.Below(height),
                     int(10 * unit) + rnd.Below(int(60 * unit)), 1 + rnd.Below(3));
    }
    // Text-like blobs: rows of small letter-sized marks.
    for (int i = 0; i < cells; ++i) {
        int x = rnd.Below(width);
        const int y = rnd.Below(height), h = int(8 * unit) + rnd.Below(int(6 * unit) + 1);
        for (int c = 3 + rnd.Below(10); c > 0; --c) {
            const int w = h / 2 + rnd.Below(h / 2 + 1);
            p.Rect(x, y, x + std::max(1, w / 3), y + h, 0);
            p.Rect(x, y + h / 2, x + w, y + h / 2 + std::max(1, h / 8), 0);
            x += w + h / 4 + 1;
        }
    }
    return b;
}

} // namespace synthetic
