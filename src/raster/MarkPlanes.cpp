// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/MarkPlanes.h"

#include "raster/Parallel.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace raster {

namespace {

// Four pixels' twelve low bits (bit 3k of blue, 3k + 1 of green for pixel k) to the four
// blue bits (low half) and the four green bits (high half).
struct Unweave {
    std::uint8_t bits[4096];
    constexpr Unweave() : bits() {
        for (unsigned i = 0; i < 4096; ++i) {
            unsigned v = 0;
            for (unsigned k = 0; k < 4; ++k)
                v |= (i >> (3 * k) & 1) << k | (i >> (3 * k + 1) & 1) << (k + 4);
            bits[i] = std::uint8_t(v);
        }
    }
};
constexpr Unweave FourPixels;

} // namespace

MarkPlanes::MarkPlanes(const platform::Bitmap24& raster)
    : planes_{BitPlane(raster.Width(), raster.Height()),
              BitPlane(raster.Width(), raster.Height())} {
    if (raster.IsEmpty()) return;
    for (auto& copy : before_)
        copy = std::make_unique_for_overwrite<std::uint8_t[]>(planes_[0].RowBytes() *
                                                              std::size_t(raster.Height()));
    const int width = raster.Width();
    ParallelBands(raster.Height(), 64, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const std::uint8_t* pixels = raster.ScanLine(y);
            std::uint8_t* blue = planes_[0].Row(y);
            std::uint8_t* green = planes_[1].Row(y);
            constexpr std::size_t margin = BitPlane::Margin;
            int x = 0;
#if defined(__SSE2__)
            // Sixteen pixels at a time: the low bit of each of their 48 bytes, then the blue
            // and green ones picked out four pixels at a time. Pixel x is bit x + margin, so
            // a group of sixteen fills two whole bytes.
            for (; x + 16 <= width; x += 16) {
                std::uint64_t low = 0;
                for (int k = 0; k < 3; ++k) {
                    const __m128i v =
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 3 * x + 16 * k));
                    low |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_slli_epi16(v, 7))))
                           << (16 * k);
                }
                unsigned b = 0, g = 0;
                for (int k = 0; k < 4; ++k) {
                    const unsigned four = FourPixels.bits[low >> (12 * k) & 0xFFF];
                    b |= (four & 15) << (4 * k);
                    g |= (four >> 4) << (4 * k);
                }
                const std::size_t at = (std::size_t(x) + margin) / 8;
                blue[at] = std::uint8_t(b);
                blue[at + 1] = std::uint8_t(b >> 8);
                green[at] = std::uint8_t(g);
                green[at + 1] = std::uint8_t(g >> 8);
            }
#endif
            for (; x < width; ++x) {
                const std::size_t i = std::size_t(x) + margin;
                blue[i >> 3] |= std::uint8_t((pixels[3 * x] & 1) << (i & 7));
                green[i >> 3] |= std::uint8_t((pixels[3 * x + 1] & 1) << (i & 7));
            }
            const std::size_t bytes = planes_[0].RowBytes(), at = std::size_t(y) * bytes;
            std::memcpy(before_[0].get() + at, blue, bytes);
            std::memcpy(before_[1].get() + at, green, bytes);
        }
    });
}

template <class Visit> void MarkPlanes::ForChangedStretches(int y, Visit&& visit) const {
    const std::size_t bytes = planes_[0].RowBytes(), at = std::size_t(y) * bytes;
    const int width = planes_[0].Width();
    int last = -1; // the stretch last visited
    for (std::size_t b = 0; b < bytes; b += 8) {
        const auto differs = [&](int k) {
            return std::memcmp(planes_[k].Row(y) + b, before_[k].get() + at + b, 8) != 0;
        };
        if (!differs(0) && !differs(1)) continue;
        // Bit i of the row is pixel i − Margin.
        const int first = std::max(0, int(8 * b) - int(BitPlane::Margin));
        const int end = std::min(width, int(8 * b) + 64 - int(BitPlane::Margin));
        for (int s = first / 64; s * 64 < end; ++s) {
            if (s <= last) continue;
            last = s;
            visit(64 * s, std::min(width, 64 * s + 64));
        }
    }
}

std::uint64_t MarkPlanes::Before(int plane, int x, int y) const {
    // As BitPlane::Bits64, on the copy: rows have room for the word past the last pixel.
    const std::uint8_t* row = before_[plane].get() + std::size_t(y) * planes_[plane].RowBytes();
    const std::size_t i = std::size_t(x) + BitPlane::Margin, w = i >> 6, s = i & 63;
    std::uint64_t low, high;
    std::memcpy(&low, row + 8 * w, 8);
    if (s == 0) return low;
    std::memcpy(&high, row + 8 * (w + 1), 8);
    return low >> s | high << (64 - s);
}

void MarkPlanes::Store(platform::Bitmap24& raster) const {
    const BitPlane &outline = planes_[0], &band = planes_[1];
    if (raster.IsEmpty() || raster.Width() != outline.Width() ||
        raster.Height() != outline.Height())
        return;
    if (raster.Watcher() != nullptr) // one at a time, before any changes
        for (int y = 0; y < raster.Height(); ++y)
            ForChangedStretches(
                y, [&](int x0, int x1) { raster.BeforeWrite(QRect(x0, y, x1 - x0, 1)); });
    ParallelBands(raster.Height(), 64, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            // Only the pixels whose marks changed are written, both marks of a pixel
            // together: on a dense sheet nearly every stretch of 64 pixels holds a changed
            // mark, but most of a stretch's three cache lines hold none.
            std::uint8_t* pixels = raster.ScanLine(y);
            ForChangedStretches(y, [&](int x0, int x1) {
                const std::uint64_t blue = outline.Bits64(x0, y), green = band.Bits64(x0, y);
                std::uint64_t changed = (blue ^ Before(0, x0, y)) | (green ^ Before(1, x0, y));
                if (x1 - x0 < 64) changed &= (std::uint64_t(1) << (x1 - x0)) - 1;
                for (; changed != 0; changed &= changed - 1) {
                    const int k = std::countr_zero(changed);
                    std::uint8_t* p = pixels + 3 * std::size_t(x0 + k);
                    p[0] = std::uint8_t((p[0] & 0xFE) | (blue >> k & 1));
                    p[1] = std::uint8_t((p[1] & 0xFE) | (green >> k & 1));
                }
            });
        }
    });
}

} // namespace raster
