// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Morphology.h"

#include <algorithm>

namespace raster {

namespace {

void Widen(QRect& changed, int left, int top, int right, int bottom) { // inclusive
    const QRect r(QPoint(left, top), QPoint(right, bottom));
    changed = changed.isEmpty() ? r : changed.united(r);
}

} // namespace

void MarkBand(platform::Bitmap24& raster, const PointList& points, std::size_t count, bool set,
              QRect& changed) {
    if (raster.IsEmpty() || count == 0) return;
    const int w = raster.Width(), h = raster.Height();
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const QPoint p = points.Get(i);
        const int x0 = std::max(p.x() - 1, 0), x1 = std::min(p.x() + 1, w - 1);
        const int y0 = std::max(p.y() - 1, 0), y1 = std::min(p.y() + 1, h - 1);
        if (x0 > x1 || y0 > y1) continue;
        for (int y = y0; y <= y1; ++y) {
            std::uint8_t* row = raster.ScanLine(y);
            for (int x = x0; x <= x1; ++x) {
                std::uint8_t& g = row[3 * std::size_t(x) + BandPlane];
                g = set ? std::uint8_t(g | 1) : std::uint8_t(g & 0xFE);
            }
        }
        minX = std::min(minX, x0);
        minY = std::min(minY, y0);
        maxX = std::max(maxX, x1);
        maxY = std::max(maxY, y1);
    }
    if (maxX >= 0) Widen(changed, minX, minY, maxX, maxY);
}

void MarkOutline(platform::Bitmap24& raster, const PointList& points, std::size_t count, bool set,
                 QRect& changed) {
    if (raster.IsEmpty() || count == 0) return;
    const int w = raster.Width(), h = raster.Height();
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const QPoint p = points.Get(i);
        if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h) continue;
        std::uint8_t& b = raster.ScanLine(p.y())[3 * std::size_t(p.x()) + OutlinePlane];
        b = set ? std::uint8_t(b | 1) : std::uint8_t(b & 0xFE);
        minX = std::min(minX, p.x());
        minY = std::min(minY, p.y());
        maxX = std::max(maxX, p.x());
        maxY = std::max(maxY, p.y());
    }
    if (maxX >= 0) Widen(changed, minX, minY, maxX, maxY);
}

bool PeelPixel(platform::Bitmap24& raster, int x, int y) {
    if (x < 1 || y < 1 || x > raster.Width() - 2 || y > raster.Height() - 2) return false;
    // Left, down-left, down, down-right, right, up-right, up, up-left; sides at even places.
    static constexpr int nx[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    static constexpr int ny[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    const std::uint8_t* rows[3] = {raster.ScanLine(y - 1), raster.ScanLine(y),
                                   raster.ScanLine(y + 1)};
    const auto set = [&](int k) {
        return (rows[1 + ny[k]][3 * std::size_t(x + nx[k]) + BandPlane] & 1) != 0;
    };
    int n = 0, sides = 0, runs = 0, run = 0;
    for (int k = 0; k < 8; ++k) {
        const bool side = k % 2 == 0;
        if (set(k)) {
            ++n;
            ++run;
            if (side) ++sides;
        } else if (side && run > 0) {
            ++runs;
            run = 0;
        }
    }
    if (!set(0) && run > 0) ++runs; // a last run that does not join the first
    if (n < 2 || runs > 1 || sides > 3) return false;
    raster.ScanLine(y)[3 * std::size_t(x) + BandPlane] &= 0xFE;
    return true;
}

} // namespace raster
