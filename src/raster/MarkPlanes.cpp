// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/MarkPlanes.h"

#include "raster/Parallel.h"

#include <algorithm>

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
    : width_(raster.Width()), height_(raster.Height()),
      stride_((std::size_t(width_) + Margin + 7) / 8 + 16),
      touchStride_((std::size_t(width_) + 4095) / 4096) {
    for (auto& plane : planes_) plane.assign(stride_ * std::size_t(height_ + 2), 0);
    touched_.assign(touchStride_ * std::size_t(height_), 0);
    if (raster.IsEmpty()) return;
    ParallelBands(height_, 64, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const std::uint8_t* pixels = raster.ScanLine(y);
            std::uint8_t* blue = Row(0, y);
            std::uint8_t* green = Row(1, y);
            int x = 0;
#if defined(__SSE2__)
            // Sixteen pixels at a time: the low bit of each of their 48 bytes, then the blue
            // and green ones picked out four pixels at a time. Pixel x is bit x + Margin, so
            // a group of sixteen fills two whole bytes.
            for (; x + 16 <= width_; x += 16) {
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
                const std::size_t at = (std::size_t(x) + Margin) / 8;
                blue[at] = std::uint8_t(b);
                blue[at + 1] = std::uint8_t(b >> 8);
                green[at] = std::uint8_t(g);
                green[at + 1] = std::uint8_t(g >> 8);
            }
#endif
            for (; x < width_; ++x) {
                const std::size_t i = std::size_t(x) + Margin;
                blue[i >> 3] |= std::uint8_t((pixels[3 * x] & 1) << (i & 7));
                green[i >> 3] |= std::uint8_t((pixels[3 * x + 1] & 1) << (i & 7));
            }
        }
    });
}

void MarkPlanes::Store(platform::Bitmap24& raster) const {
    if (raster.IsEmpty() || raster.Width() != width_ || raster.Height() != height_) return;
    ParallelBands(height_, 64, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            std::uint8_t* pixels = raster.ScanLine(y);
            for (std::size_t w = 0; w < touchStride_; ++w) {
                for (std::uint64_t bits = touched_[std::size_t(y) * touchStride_ + w]; bits != 0;
                     bits &= bits - 1) {
                    const int x0 = int(w * 4096 + std::size_t(std::countr_zero(bits)) * 64);
                    const int x1 = std::min(x0 + 64, width_);
                    for (int x = x0; x < x1; ++x) {
                        std::uint8_t* p = pixels + 3 * std::size_t(x);
                        p[0] = std::uint8_t((p[0] & 0xFE) | unsigned(Bit(0, x, y)));
                        p[1] = std::uint8_t((p[1] & 0xFE) | unsigned(Bit(1, x, y)));
                    }
                }
            }
        }
    });
}

unsigned MarkPlanes::NeighboursNearFrame(int plane, int x, int y) const {
    static constexpr int dx[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
    static constexpr int dy[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
    unsigned set = 0;
    for (int k = 0; k < 8; ++k) set |= unsigned(Marked(plane, x + dx[k], y + dy[k])) << k;
    return set;
}

} // namespace raster
