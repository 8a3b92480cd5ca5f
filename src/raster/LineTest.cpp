// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/LineTest.h"

#include "raster/Parallel.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

namespace raster {

namespace {

// The inside area of the raster within area, as a rectangle (empty when none).
QRect InsideOf(const platform::Bitmap24& raster, QRect area) {
    const QRect inside(QPoint(2, 2), QPoint(raster.Width() - 2, raster.Height() - 2));
    return area.intersected(inside);
}

// The dark-line test of a row: bits of pixels x0 … x1 − 1 (plane columns from 0) into
// words. Three small tables turn each byte into its weighted share of the grey.
struct GreyTables {
    std::uint32_t blue[256], green[256], red[256];
    constexpr GreyTables() : blue(), green(), red() {
        for (unsigned v = 0; v < 256; ++v) {
            blue[v] = 1868 * (v & 0xFE);
            green[v] = 9617 * (v & 0xFE);
            red[v] = 4899 * (v & 0xFE);
        }
    }
};
constexpr GreyTables GreyShares{};

template <class Passes>
void RowBits(const std::uint8_t* pixel, int count, int firstBit, std::uint64_t* words,
             Passes passes) {
    int bit = firstBit;
    std::uint64_t word = 0;
    std::uint64_t* out = words;
    for (int i = 0; i < count; ++i, pixel += 3) {
        word |= std::uint64_t(passes(pixel)) << (bit & 63);
        if ((++bit & 63) == 0) {
            *out++ |= word;
            word = 0;
        }
    }
    if ((bit & 63) != 0) *out |= word;
}

} // namespace

int OtsuThreshold(const std::uint64_t (&histogram)[256]) {
    double total = 0, sum = 0;
    for (int v = 0; v < 256; ++v) {
        total += double(histogram[v]);
        sum += double(v) * double(histogram[v]);
    }
    if (total == 0) return 128;
    double below = 0, belowSum = 0, best = -1;
    int split = 127; // grey ≤ split is dark
    for (int v = 0; v < 255; ++v) {
        below += double(histogram[v]);
        belowSum += double(v) * double(histogram[v]);
        const double above = total - below;
        if (below == 0 || above == 0) continue;
        const double meanBelow = belowSum / below, meanAbove = (sum - belowSum) / above;
        const double between = below * above * (meanAbove - meanBelow) * (meanAbove - meanBelow);
        if (between > best) {
            best = between;
            split = v;
        }
    }
    // Two classes that lie close together are the noise of one: no line work to find.
    double lo = 0, loSum = 0;
    for (int v = 0; v <= split; ++v) {
        lo += double(histogram[v]);
        loSum += double(v) * double(histogram[v]);
    }
    const double hi = total - lo;
    if (lo == 0 || hi == 0 || (sum - loSum) / hi - loSum / lo < 48) return 128;
    return split + 1;
}

int DarkThreshold(const platform::Bitmap24& raster, QRect area) {
    if (raster.IsEmpty()) return 128;
    area = area.intersected(QRect(0, 0, raster.Width(), raster.Height()));
    if (area.isEmpty()) return 128;
    const double pixels = double(area.width()) * double(area.height());
    const int step = std::max(1, int(std::sqrt(pixels / 4e6)));
    std::uint64_t histogram[256] = {};
    for (int y = area.top(); y <= area.bottom(); y += step) {
        const std::uint8_t* p = raster.ScanLine(y) + 3 * std::size_t(area.left());
        for (int x = area.left(); x <= area.right(); x += step, p += 3 * step)
            ++histogram[Grey(p[0], p[1], p[2])];
    }
    return OtsuThreshold(histogram);
}

LinePlane LineWorkPlane(const platform::Bitmap24& raster, QRect area, const LineTest& test,
                        const Progress& progress) {
    if (raster.IsEmpty()) return {};
    area = area.intersected(QRect(0, 0, raster.Width(), raster.Height()));
    LinePlane plane(area.left(), area.top(), area.width(), area.height());
    const QRect inside = InsideOf(raster, area);
    if (inside.isEmpty()) return plane;
    const int x0 = inside.left(), count = inside.width(), firstBit = x0 - area.left();
    const std::size_t stride = raster.BytesPerLine();
    const int tr = platform::RedOf(test.target), tg = platform::GreenOf(test.target),
              tb = platform::BlueOf(test.target);
    const std::uint32_t darkBelow = std::uint32_t(std::clamp(test.threshold, 0, 256)) * 16384;
    std::atomic<bool> cancelled = false;
    std::atomic<int> rowsDone = 0;
    const int rows = inside.height();
    const auto row = [&](int y) {
        const std::uint8_t* p = raster.ScanLine(y) + 3 * std::size_t(x0);
        std::uint64_t* words = plane.Row(y - area.top()) + firstBit / 64;
        switch (test.kind) {
        case LineTest::Kind::DarkLines:
            RowBits(p, count, firstBit, words, [darkBelow](const std::uint8_t* q) {
                return GreyShares.blue[q[0]] + GreyShares.green[q[1]] + GreyShares.red[q[2]] +
                           8192 <
                       darkBelow;
            });
            break;
        case LineTest::Kind::PureColour:
            RowBits(p, count, firstBit, words, [sum = tr + tg + tb](const std::uint8_t* q) {
                return q[0] + q[1] + q[2] == sum;
            });
            break;
        case LineTest::Kind::ColourRange:
            RowBits(p, count, firstBit, words, [&](const std::uint8_t* q) {
                const std::uint8_t* u = q - stride;
                const int b = (q[0] + q[-3] + u[0] + u[-3]) / 4;
                const int g = (q[1] + q[-2] + u[1] + u[-2]) / 4;
                const int r = (q[2] + q[-1] + u[2] + u[-1]) / 4;
                return std::abs(r - tr) + std::abs(g - tg) + std::abs(b - tb) <= test.colourRange;
            });
            break;
        }
    };
    ParallelBands(rows, 256, [&](int begin, int end) {
        const bool reporter = begin == 0;
        for (int i = begin; i < end; ++i) {
            if ((i & 255) == 0) {
                if (cancelled.load(std::memory_order_relaxed)) return;
                if (reporter && progress && !progress(double(rowsDone.load()) / rows)) {
                    cancelled = true;
                    return;
                }
            }
            row(inside.top() + i);
            if ((i & 255) == 255) rowsDone.fetch_add(256, std::memory_order_relaxed);
        }
    });
    if (cancelled) return {};
    plane.ClearTail();
    return plane;
}

} // namespace raster
