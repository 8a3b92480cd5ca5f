// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Morphology.h"

#include <algorithm>
#include <climits>

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
    std::uint8_t* const base = raster.ScanLine(0) + BandPlane;
    const std::size_t stride = raster.BytesPerLine();
    const auto mark = [set](std::uint8_t* g) {
        *g = set ? std::uint8_t(*g | 1) : std::uint8_t(*g & 0xFE);
    };
    const auto at = [&](int x, int y) {
        return base + std::size_t(y) * stride + 3 * std::size_t(x);
    };
    const QPoint* stored = points.Data();
    const std::size_t n = std::min(count, points.Stored());
    if (raster.Watcher() != nullptr)
        for (std::size_t i = 0; i < count; ++i) {
            const QPoint p = i < n ? stored[i] : QPoint(0, 0);
            raster.BeforeWrite(QRect(p.x() - 1, p.y() - 1, 3, 3));
        }
    int minX = w, minY = h, maxX = -1, maxY = -1;
    QPoint last(-9, -9); // the last point whose block was marked whole
    constexpr std::size_t ahead = 16;
    for (std::size_t i = 0; i < count; ++i) {
        const QPoint p = i < n ? stored[i] : QPoint(0, 0); // points never written read (0, 0)
        if (i + ahead < n) __builtin_prefetch(at(stored[i + ahead].x(), stored[i + ahead].y()));
        const int x = p.x(), y = p.y();
        if (x < 1 || y < 1 || x > w - 2 || y > h - 2) { // near or off the frame: clipped
            const int x0 = std::max(x - 1, 0), x1 = std::min(x + 1, w - 1);
            const int y0 = std::max(y - 1, 0), y1 = std::min(y + 1, h - 1);
            last = QPoint(-9, -9);
            if (x0 > x1 || y0 > y1) continue;
            for (int v = y0; v <= y1; ++v)
                for (int u = x0; u <= x1; ++u) mark(at(u, v));
            minX = std::min(minX, x0), minY = std::min(minY, y0);
            maxX = std::max(maxX, x1), maxY = std::max(maxY, y1);
            continue;
        }
        minX = std::min(minX, x - 1), minY = std::min(minY, y - 1);
        maxX = std::max(maxX, x + 1), maxY = std::max(maxY, y + 1);
        const int dx = x - last.x(), dy = y - last.y();
        std::uint8_t* centre = at(x, y);
        if (dx < -1 || dx > 1 || dy < -1 || dy > 1) {
            for (std::uint8_t* row = centre - stride; row <= centre + stride; row += stride) {
                mark(row - 3);
                mark(row);
                mark(row + 3);
            }
        } else {
            // A step from the last point: only the column and row it enters are new; the
            // rest of the block is marked already.
            if (dx != 0) {
                std::uint8_t* column = centre + 3 * dx;
                mark(column - stride);
                mark(column);
                mark(column + stride);
            }
            if (dy != 0) {
                std::uint8_t* row = centre + std::ptrdiff_t(dy) * std::ptrdiff_t(stride);
                mark(row - 3);
                mark(row);
                mark(row + 3);
            }
        }
        last = p;
    }
    if (maxX >= 0) Widen(changed, minX, minY, maxX, maxY);
}

void MarkOutline(platform::Bitmap24& raster, const PointList& points, std::size_t count, bool set,
                 QRect& changed) {
    if (raster.IsEmpty() || count == 0) return;
    const int w = raster.Width(), h = raster.Height();
    const QPoint* stored = points.Data();
    const std::size_t n = std::min(count, points.Stored());
    if (raster.Watcher() != nullptr)
        for (std::size_t i = 0; i <= n && i < count; ++i) {
            const QPoint p = i < n ? stored[i] : QPoint(0, 0);
            raster.BeforeWrite(QRect(p.x(), p.y(), 1, 1));
        }
    // Points never written read as (0, 0).
    int minX = count > n ? 0 : INT_MAX, minY = minX, maxX = count > n ? 0 : INT_MIN, maxY = maxX;
    for (std::size_t i = 0; i < n; ++i) {
        minX = std::min(minX, stored[i].x());
        minY = std::min(minY, stored[i].y());
        maxX = std::max(maxX, stored[i].x());
        maxY = std::max(maxY, stored[i].y());
    }
    const auto mark = [&](std::uint8_t* pixel) {
        std::uint8_t& b = pixel[OutlinePlane];
        b = set ? std::uint8_t(b | 1) : std::uint8_t(b & 0xFE);
    };
    if (minX < 0 || minY < 0 || maxX >= w || maxY >= h) { // not from the follower: one by one
        minX = w, minY = h, maxX = -1, maxY = -1;
        for (std::size_t i = 0; i <= n && i < count; ++i) {
            const QPoint p = i < n ? stored[i] : QPoint(0, 0);
            if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h) continue;
            mark(raster.ScanLine(p.y()) + 3 * std::size_t(p.x()));
            minX = std::min(minX, p.x());
            minY = std::min(minY, p.y());
            maxX = std::max(maxX, p.x());
            maxY = std::max(maxY, p.y());
        }
        if (maxX >= 0) Widen(changed, minX, minY, maxX, maxY);
        return;
    }
    // A long outline's pixels have left the cache by now; asking for them a few points
    // ahead lets their reads overlap instead of following one another.
    std::uint8_t* const base = raster.ScanLine(0);
    const std::size_t stride = raster.BytesPerLine();
    const auto pixel = [&](QPoint p) {
        return base + std::size_t(p.y()) * stride + 3 * std::size_t(p.x());
    };
    constexpr std::size_t ahead = 16;
    for (std::size_t i = 0; i < n; ++i) {
        if (i + ahead < n) __builtin_prefetch(pixel(stored[i + ahead]));
        mark(pixel(stored[i]));
    }
    if (count > n) mark(base);
    Widen(changed, minX, minY, maxX, maxY);
}

namespace {

// The bounds of points[0 .. n), empty for none.
QRect BoundsOf(const QPoint* points, std::size_t n) {
    if (n == 0) return {};
    int minX = points[0].x(), minY = points[0].y(), maxX = minX, maxY = minY;
    for (std::size_t i = 1; i < n; ++i) {
        minX = std::min(minX, points[i].x()), minY = std::min(minY, points[i].y());
        maxX = std::max(maxX, points[i].x()), maxY = std::max(maxY, points[i].y());
    }
    return QRect(QPoint(minX, minY), QPoint(maxX, maxY));
}

} // namespace

void MarkBand(BitPlane& band, const PointList& points, std::size_t count, bool set,
              QRect& changed) {
    const int w = band.Width(), h = band.Height();
    if (w == 0 || count == 0) return;
    const QPoint* stored = points.Data();
    const std::size_t n = std::min(count, points.Stored());
    // A followed outline keeps off the frame: its blocks are marked whole, in one loop.
    const QRect bounds = BoundsOf(stored, n);
    if (count == n && bounds.left() >= 1 && bounds.top() >= 1 && bounds.right() <= w - 2 &&
        bounds.bottom() <= h - 2) {
        band.MarkBlocks(stored, n, set);
        Widen(changed, bounds.left() - 1, bounds.top() - 1, bounds.right() + 1,
              bounds.bottom() + 1);
        return;
    }
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const QPoint p = i < n ? stored[i] : QPoint(0, 0); // points never written read (0, 0)
        const int x = p.x(), y = p.y();
        const int x0 = std::max(x - 1, 0), x1 = std::min(x + 1, w - 1);
        const int y0 = std::max(y - 1, 0), y1 = std::min(y + 1, h - 1);
        if (x0 > x1 || y0 > y1) continue;
        for (int v = y0; v <= y1; ++v)
            for (int u = x0; u <= x1; ++u) set ? band.Set(u, v) : band.Clear(u, v);
        minX = std::min(minX, x0), minY = std::min(minY, y0);
        maxX = std::max(maxX, x1), maxY = std::max(maxY, y1);
    }
    if (maxX >= 0) Widen(changed, minX, minY, maxX, maxY);
}

void MarkOutline(BitPlane& outline, const PointList& points, std::size_t count, bool set,
                 QRect& changed) {
    const int w = outline.Width(), h = outline.Height();
    if (w == 0 || count == 0) return;
    const QPoint* stored = points.Data();
    const std::size_t n = std::min(count, points.Stored());
    const QRect bounds = BoundsOf(stored, n);
    if (n > 0 && bounds.left() >= 0 && bounds.top() >= 0 && bounds.right() < w &&
        bounds.bottom() < h) {
        outline.MarkEach(stored, n, set);
        Widen(changed, bounds.left(), bounds.top(), bounds.right(), bounds.bottom());
        if (count == n) return;
        // Past the stored points: (0, 0), once.
        set ? outline.Set(0, 0) : outline.Clear(0, 0);
        Widen(changed, 0, 0, 0, 0);
        return;
    }
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (std::size_t i = 0; i <= n && i < count; ++i) { // past the stored points: (0, 0) once
        const QPoint p = i < n ? stored[i] : QPoint(0, 0);
        if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h) continue;
        set ? outline.Set(p.x(), p.y()) : outline.Clear(p.x(), p.y());
        minX = std::min(minX, p.x()), minY = std::min(minY, p.y());
        maxX = std::max(maxX, p.x()), maxY = std::max(maxY, p.y());
    }
    if (maxX >= 0) Widen(changed, minX, minY, maxX, maxY);
}

bool PeelPixel(platform::Bitmap24& raster, int x, int y) {
    if (x < 1 || y < 1 || x > raster.Width() - 2 || y > raster.Height() - 2) return false;
    const std::size_t stride = raster.BytesPerLine();
    std::uint8_t* centre = raster.ScanLine(y) + 3 * std::size_t(x) + BandPlane;
    const std::uint8_t* up = centre - stride;
    const std::uint8_t* down = centre + stride;
    const unsigned set = (up[-3] & 1) | (up[0] & 1) << 1 | (up[3] & 1) << 2 | (centre[3] & 1) << 3 |
                         (down[3] & 1) << 4 | (down[0] & 1) << 5 | (down[-3] & 1) << 6 |
                         (centre[-3] & 1) << 7;
    if (!Peelable(set)) return false;
    raster.BeforeWrite(QRect(x, y, 1, 1));
    *centre &= 0xFE;
    return true;
}

} // namespace raster
