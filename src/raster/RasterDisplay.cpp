// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/RasterDisplay.h"

#include "raster/Parallel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace raster {

namespace {

constexpr int Step = 4;          // reduction per level and axis
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
void RasterDisplay::Reduce(const Plane& from, Level& to, int firstRow, int endRow, int firstColumn,
                           int endColumn) {
    if (endColumn < 0 || endColumn > to.width) endColumn = to.width;
    firstColumn = std::max(firstColumn, 0);
    if (firstColumn >= endColumn) return;
    const int sourceLeft = firstColumn * Step;
    const int sourceRight = std::min(endColumn * Step, from.width);
    const std::size_t rowBytes = 3 * std::size_t(sourceRight - sourceLeft);
    std::vector<std::uint8_t> work(rowBytes);
    for (int y = firstRow; y < endRow; ++y) {
        const int y0 = y * Step;
        const int y1 = std::min(y0 + Step, from.height);
        std::memcpy(work.data(), from.Row(y0) + 3 * std::size_t(sourceLeft), rowBytes);
        for (int sy = y0 + 1; sy < y1; ++sy) {
            const std::uint8_t* src = from.Row(sy) + 3 * std::size_t(sourceLeft);
            std::uint8_t* w = work.data();
            for (std::size_t i = 0; i < rowBytes; ++i) w[i] = std::min(w[i], src[i]);
        }
        std::uint8_t* out = to.Row(y);
        for (int x = firstColumn; x < endColumn; ++x) {
            const int x0 = x * Step;
            const int x1 = std::min(x0 + Step, from.width);
            const std::uint8_t* p = work.data() + 3 * std::size_t(x0 - sourceLeft);
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

void RasterDisplay::Begin(int width, int height) {
    Clear();
    built_.clear();
    int w = width, h = height, factor = 1;
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
    built_.assign(levels_.size(), 0);
}

void RasterDisplay::Built(const platform::Bitmap24& raster, int rows) {
    int ready = std::min(rows, raster.Height()); // rows of the level below that are final
    for (std::size_t i = 0; i < levels_.size(); ++i) {
        Level& to = levels_[i];
        const int below = i == 0 ? raster.Height() : levels_[i - 1].height;
        const int end = ready >= below ? to.height : ready / Step;
        if (end > built_[i]) Reduce(PlaneOf(raster, int(i)), to, built_[i], end);
        built_[i] = std::max(built_[i], end);
        ready = built_[i];
    }
}

void RasterDisplay::Rebuild(const platform::Bitmap24& raster) {
    Clear();
    built_.clear();
    if (raster.IsEmpty()) return;
    Begin(raster.Width(), raster.Height());
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
        // The blocks that hold the changed pixels, at each level in turn.
        const int first = changed.top() / Step, end = changed.bottom() / Step + 1;
        const int left = changed.left() / Step, right = changed.right() / Step + 1;
        // Rows of blocks on both cores: a change over the whole sheet (thinning every
        // outline) reads all of it.
        const Plane from = PlaneOf(raster, int(i));
        Level& to = levels_[i];
        const int rows = std::min(end, to.height) - first, columns = std::min(right, to.width);
        ParallelBands(rows, 64,
                      [&](int a, int b) { Reduce(from, to, first + a, first + b, left, columns); });
        Forget(int(i), first, first + rows, left, columns);
        changed = QRect(QPoint(left, first), QPoint(right - 1, end - 1));
    }
    if (anyNoted_)
        anyNoted_ = std::any_of(noted_.begin(), noted_.end(), [](const auto& bits) {
            return std::any_of(bits.begin(), bits.end(), [](std::uint64_t w) { return w != 0; });
        });
}

void RasterDisplay::Forget(int level, int firstRow, int endRow, int firstColumn, int endColumn) {
    if (!anyNoted_ || std::size_t(level) >= noted_.size() || firstColumn >= endColumn) return;
    std::vector<std::uint64_t>& bits = noted_[std::size_t(level)];
    const std::size_t width = std::size_t(levels_[std::size_t(level)].width);
    for (int y = firstRow; y < endRow; ++y) {
        const std::size_t begin = std::size_t(y) * width + std::size_t(firstColumn);
        const std::size_t end = std::size_t(y) * width + std::size_t(endColumn);
        for (std::size_t b = begin; b < end;) {
            // Whole words where the span covers them, else bit by bit.
            if (b % 64 == 0 && b + 64 <= end) {
                bits[b / 64] = 0;
                b += 64;
            } else {
                bits[b / 64] &= ~(std::uint64_t(1) << (b % 64));
                ++b;
            }
        }
    }
}

void RasterDisplay::NotePixels(const platform::Bitmap24& raster, const QPoint* pixels,
                               std::size_t count) {
    if (levels_.empty() || levels_[0].width != (raster.Width() + Step - 1) / Step ||
        levels_[0].height != (raster.Height() + Step - 1) / Step) {
        Rebuild(raster);
        return;
    }
    if (noted_.size() != levels_.size()) {
        noted_.resize(levels_.size());
        for (std::size_t i = 0; i < levels_.size(); ++i)
            noted_[i].assign(
                (std::size_t(levels_[i].width) * std::size_t(levels_[i].height) + 63) / 64, 0);
    }
    std::uint64_t* bits = noted_[0].data();
    const std::size_t width = std::size_t(levels_[0].width);
    const unsigned rasterWidth = unsigned(raster.Width()), rasterHeight = unsigned(raster.Height());
    for (std::size_t i = 0; i < count; ++i) {
        const QPoint p = pixels[i];
        if (unsigned(p.x()) >= rasterWidth || unsigned(p.y()) >= rasterHeight) continue;
        const std::size_t b = std::size_t(p.y() / Step) * width + std::size_t(p.x() / Step);
        bits[b / 64] |= std::uint64_t(1) << (b % 64);
        anyNoted_ = true;
    }
}

void RasterDisplay::Flush(const platform::Bitmap24& raster) {
    if (!anyNoted_) return;
    anyNoted_ = false;
    for (std::size_t i = 0; i < levels_.size(); ++i) {
        const Plane from = PlaneOf(raster, int(i));
        Level& to = levels_[i];
        std::vector<std::uint64_t>& bits = noted_[i];
        std::uint64_t* above = i + 1 < levels_.size() ? noted_[i + 1].data() : nullptr;
        const std::size_t aboveWidth = above ? std::size_t(levels_[i + 1].width) : 0;
        for (std::size_t w = 0; w < bits.size(); ++w) {
            for (std::uint64_t word = bits[w]; word != 0; word &= word - 1) {
                const std::size_t index = w * 64 + std::size_t(__builtin_ctzll(word));
                const int bx = int(index % std::size_t(to.width));
                const int by = int(index / std::size_t(to.width));
                const int x0 = bx * Step, x1 = std::min(x0 + Step, from.width);
                const int y0 = by * Step, y1 = std::min(y0 + Step, from.height);
                std::uint8_t least[3] = {255, 255, 255};
                for (int y = y0; y < y1; ++y) {
                    const std::uint8_t* p = from.Row(y) + 3 * std::size_t(x0);
                    for (int x = x0; x < x1; ++x, p += 3)
                        for (int c = 0; c < 3; ++c) least[c] = std::min(least[c], p[c]);
                }
                std::memcpy(to.Row(by) + 3 * std::size_t(bx), least, 3);
                if (above) {
                    const std::size_t up =
                        std::size_t(by / Step) * aboveWidth + std::size_t(bx / Step);
                    above[up / 64] |= std::uint64_t(1) << (up % 64);
                }
            }
            bits[w] = 0;
        }
    }
}

std::size_t RasterDisplay::MemoryBytes() const {
    std::size_t total = 0;
    for (const Level& l : levels_) total += l.bytes.capacity();
    return total;
}

SourceGrid SourceGrid::Stretched(QRect source, int width, int height) {
    SourceGrid grid;
    const auto edges = [](std::vector<std::int64_t>& out, int origin, int span, int count) {
        out.resize(std::size_t(std::max(count, 0)) + 1);
        const double per = count > 0 ? double(span) / count : 0;
        for (int i = 0; i <= count; ++i)
            out[std::size_t(i)] = std::int64_t(std::floor(origin + i * per));
    };
    edges(grid.Columns, source.left(), source.width(), width);
    edges(grid.Rows, source.top(), source.height(), height);
    return grid;
}

void RasterDisplay::Render(const platform::Bitmap24& raster, const SourceGrid& grid, QImage& target,
                           QRgb background) const {
    const int tw = target.width(), th = target.height();
    if (tw <= 0 || th <= 0) return;
    if (raster.IsEmpty() || grid.Columns.size() != std::size_t(tw) + 1 ||
        grid.Rows.size() != std::size_t(th) + 1) {
        target.fill(background);
        return;
    }
    const double perPixelX = double(grid.Columns.back() - grid.Columns.front()) / tw;
    const double perPixelY = double(grid.Rows.back() - grid.Rows.front()) / th;
    const double reduction = std::min(perPixelX, perPixelY);
    int level = 0;
    while (level < int(levels_.size()) && levels_[std::size_t(level)].factor <= reduction) ++level;
    const Plane plane = PlaneOf(raster, level);
    const std::int64_t factor = level == 0 ? 1 : levels_[std::size_t(level - 1)].factor;

    // Each target column/row covers [first, end) of the plane; empty means outside.
    // Spans partition the source, so no source pixel is skipped when zoomed out.
    const auto floorDiv = [factor](std::int64_t v) {
        return v >= 0 ? v / factor : -((-v + factor - 1) / factor);
    };
    const auto spans = [&](const std::vector<std::int64_t>& edges, int limit,
                           std::vector<int>& first, std::vector<int>& end) {
        const std::size_t count = edges.size() - 1;
        first.resize(count);
        end.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::int64_t a = floorDiv(edges[i]);
            const std::int64_t b = std::max(floorDiv(edges[i + 1]), a + 1);
            const std::int64_t lo = std::clamp<std::int64_t>(a, 0, limit);
            const std::int64_t hi = std::clamp<std::int64_t>(b, 0, limit);
            first[i] = int(lo);
            end[i] = int(std::max(lo, hi));
        }
    };
    std::vector<int> x0, x1, y0, y1;
    spans(grid.Columns, plane.width, x0, x1);
    spans(grid.Rows, plane.height, y0, y1);

    // The plane columns any target pixel reads.
    int xLow = plane.width, xHigh = 0;
    for (int tx = 0; tx < tw; ++tx)
        if (x0[std::size_t(tx)] < x1[std::size_t(tx)]) {
            xLow = std::min(xLow, x0[std::size_t(tx)]);
            xHigh = std::max(xHigh, x1[std::size_t(tx)]);
        }

    ParallelBands(th, 32, [&](int rowBegin, int rowEnd) {
        // Per target row: the byte-wise minimum of its plane rows (vectorised), then the
        // minimum over each target pixel's columns in that single work row.
        std::vector<std::uint8_t> work(3 * std::size_t(std::max(0, xHigh - xLow)) + 3);
        for (int ty = rowBegin; ty < rowEnd; ++ty) {
            auto* out = reinterpret_cast<QRgb*>(target.scanLine(ty));
            const int r0 = y0[std::size_t(ty)], r1 = y1[std::size_t(ty)];
            if (r0 >= r1 || xLow >= xHigh) {
                std::fill(out, out + tw, background);
                continue;
            }
            const std::size_t bytes = 3 * std::size_t(xHigh - xLow);
            std::memcpy(work.data(), plane.Row(r0) + 3 * std::size_t(xLow), bytes);
            for (int sy = r0 + 1; sy < r1; ++sy) {
                const std::uint8_t* src = plane.Row(sy) + 3 * std::size_t(xLow);
                std::uint8_t* w = work.data();
                for (std::size_t i = 0; i < bytes; ++i) w[i] = std::min(w[i], src[i]);
            }
            for (int tx = 0; tx < tw; ++tx) {
                const int a = x0[std::size_t(tx)], e = x1[std::size_t(tx)];
                if (a >= e) {
                    out[tx] = background;
                    continue;
                }
                const std::uint8_t* p = work.data() + 3 * std::size_t(a - xLow);
                std::uint8_t b = p[0], g = p[1], r = p[2];
                for (int sx = a + 1; sx < e; ++sx) {
                    p += 3;
                    b = std::min(b, p[0]);
                    g = std::min(g, p[1]);
                    r = std::min(r, p[2]);
                }
                out[tx] = qRgb(r, g, b);
            }
        }
    });
}

} // namespace raster
