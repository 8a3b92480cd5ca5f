// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/RasterDisplay.h"

#include "raster/Parallel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace raster {

namespace {

constexpr int Step = 4;        // reduction per level and axis
constexpr int SmallestSide = 16; // no level is built below this size

} // namespace

RasterDisplay::Plane RasterDisplay::PlaneOf(const platform::Bitmap24& raster, int level) const {
    if (level == 0)
        return {raster.ScanLine(0), raster.BytesPerLine(), raster.Width(), raster.Height()};
    const Level& l = levels_[std::size_t(level - 1)];
    return {l.bytes.data(), l.stride, l.width, l.height};
}

// Level rows [firstRow, endRow) of `to` from the 4 × 4 blocks of `from`: first the
// byte-wise minimum of the (up to) four source rows, which vectorises, then the minimum
// of each group of four pixels in that quarter-size work row.
void RasterDisplay::Reduce(const Plane& from, Level& to, int firstRow, int endRow) {
    const std::size_t rowBytes = 3 * std::size_t(from.width);
    std::vector<std::uint8_t> work(rowBytes);
    for (int y = firstRow; y < endRow; ++y) {
        const int y0 = y * Step;
        const int y1 = std::min(y0 + Step, from.height);
        std::memcpy(work.data(), from.Row(y0), rowBytes);
        for (int sy = y0 + 1; sy < y1; ++sy) {
            const std::uint8_t* src = from.Row(sy);
            std::uint8_t* w = work.data();
            for (std::size_t i = 0; i < rowBytes; ++i) w[i] = std::min(w[i], src[i]);
        }
        std::uint8_t* out = to.Row(y);
        for (int x = 0; x < to.width; ++x) {
            const int x0 = x * Step;
            const int x1 = std::min(x0 + Step, from.width);
            const std::uint8_t* p = work.data() + 3 * std::size_t(x0);
            std::uint8_t b = p[0], g = p[1], r = p[2];
            for (int sx = x0 + 1; sx < x1; ++sx) {
                p += 3;
                b = std::min(b, p[0]);
                g = std::min(g, p[1]);
                r = std::min(r, p[2]);
            }
            out[3 * x] = b;
            out[3 * x + 1] = g;
            out[3 * x + 2] = r;
        }
    }
}

void RasterDisplay::Rebuild(const platform::Bitmap24& raster) {
    levels_.clear();
    if (raster.IsEmpty()) return;
    int w = raster.Width(), h = raster.Height(), factor = 1;
    while (std::max(w, h) / Step >= SmallestSide) {
        Level l;
        factor *= Step;
        l.factor = factor;
        l.width = (w + Step - 1) / Step;
        l.height = (h + Step - 1) / Step;
        l.stride = 3 * std::size_t(l.width);
        l.bytes.resize(l.stride * std::size_t(l.height));
        levels_.push_back(std::move(l));
        w = levels_.back().width;
        h = levels_.back().height;
    }
    for (std::size_t i = 0; i < levels_.size(); ++i) {
        const Plane from = PlaneOf(raster, int(i));
        Level& to = levels_[i];
        ParallelBands(to.height, 64, [&](int a, int b) { Reduce(from, to, a, b); });
    }
}

void RasterDisplay::Update(const platform::Bitmap24& raster, QRect changed) {
    if (levels_.empty() || levels_[0].width != (raster.Width() + Step - 1) / Step ||
        levels_[0].height != (raster.Height() + Step - 1) / Step) {
        Rebuild(raster);
        return;
    }
    changed &= QRect(0, 0, raster.Width(), raster.Height());
    for (std::size_t i = 0; i < levels_.size() && !changed.isEmpty(); ++i) {
        // Whole rows of blocks are rebuilt; the rows are short next to the raster.
        const int first = changed.top() / Step;
        const int end = changed.bottom() / Step + 1;
        Reduce(PlaneOf(raster, int(i)), levels_[i], first, std::min(end, levels_[i].height));
        changed = QRect(QPoint(changed.left() / Step, first), QPoint(changed.right() / Step, end - 1));
    }
}

std::size_t RasterDisplay::MemoryBytes() const {
    std::size_t total = 0;
    for (const Level& l : levels_) total += l.bytes.capacity();
    return total;
}

void RasterDisplay::Render(const platform::Bitmap24& raster, QRect source, QImage& target,
                           QRgb background) const {
    const int tw = target.width(), th = target.height();
    if (tw <= 0 || th <= 0) return;
    if (raster.IsEmpty() || source.width() <= 0 || source.height() <= 0) {
        target.fill(background);
        return;
    }
    const double perPixelX = double(source.width()) / tw;  // source pixels per target pixel
    const double perPixelY = double(source.height()) / th;
    const double reduction = std::min(perPixelX, perPixelY);
    int level = 0;
    while (level < int(levels_.size()) && levels_[std::size_t(level)].factor <= reduction) ++level;
    const Plane plane = PlaneOf(raster, level);
    const double factor = level == 0 ? 1.0 : levels_[std::size_t(level - 1)].factor;

    // Each target column/row covers [first, end) of the plane; empty means outside.
    // Spans partition the source, so no source pixel is skipped when zoomed out.
    auto spans = [&](int count, double origin, double per, int limit, std::vector<int>& first,
                     std::vector<int>& end) {
        first.resize(std::size_t(count));
        end.resize(std::size_t(count));
        for (int i = 0; i < count; ++i) {
            const double a = std::floor((origin + i * per) / factor);
            double b = std::floor((origin + (i + 1) * per) / factor);
            if (b <= a) b = a + 1;
            const double lo = std::max(a, 0.0), hi = std::min(b, double(limit));
            first[std::size_t(i)] = int(lo);
            end[std::size_t(i)] = hi > lo ? int(hi) : int(lo);
        }
    };
    std::vector<int> x0, x1, y0, y1;
    spans(tw, source.left(), perPixelX, plane.width, x0, x1);
    spans(th, source.top(), perPixelY, plane.height, y0, y1);

    ParallelBands(th, 32, [&](int rowBegin, int rowEnd) {
        std::vector<std::uint8_t> acc(3 * std::size_t(tw));
        for (int ty = rowBegin; ty < rowEnd; ++ty) {
            auto* out = reinterpret_cast<QRgb*>(target.scanLine(ty));
            if (y0[std::size_t(ty)] >= y1[std::size_t(ty)]) {
                std::fill(out, out + tw, background);
                continue;
            }
            std::fill(acc.begin(), acc.end(), std::uint8_t(255));
            for (int sy = y0[std::size_t(ty)]; sy < y1[std::size_t(ty)]; ++sy) {
                const std::uint8_t* row = plane.Row(sy);
                std::uint8_t* a = acc.data();
                for (int tx = 0; tx < tw; ++tx, a += 3) {
                    const int e = x1[std::size_t(tx)];
                    for (int sx = x0[std::size_t(tx)]; sx < e; ++sx) {
                        const std::uint8_t* p = row + 3 * std::size_t(sx);
                        a[0] = std::min(a[0], p[0]);
                        a[1] = std::min(a[1], p[1]);
                        a[2] = std::min(a[2], p[2]);
                    }
                }
            }
            const std::uint8_t* a = acc.data();
            for (int tx = 0; tx < tw; ++tx, a += 3)
                out[tx] = x0[std::size_t(tx)] < x1[std::size_t(tx)] ? qRgb(a[2], a[1], a[0]) : background;
        }
    });
}

} // namespace raster
