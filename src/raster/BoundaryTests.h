// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the boundary follower walks on: the raster's "inside" area and the two tests of
// whether a pixel belongs to the region being followed.
//
// Direction codes (columns grow right, rows grow down):
//   1 (−1, −1)  2 (0, −1)  3 (+1, −1)  4 (+1, 0)  5 (+1, +1)  6 (0, +1)  7 (−1, +1)  8 (−1, 0)
//
// Both tests are false outside the inside area 2 ≤ x ≤ W − 2, 2 ≤ y ≤ H − 2, so every
// followed point keeps a one-pixel frame of raster around it:
//   ColourTest: the pixel's 2 × 2 block average (with the pixels above and to the left)
//     lies within ColorRange of the target (sum of absolute channel differences), or, in
//     pure-colour mode, the pixel's channel sum equals the target's, or, in dark-line
//     mode, the pixel's grey is below the threshold (LineTest.h). With strict
//     diagonals a diagonal neighbour also needs one of the two side pixels between to
//     match.
//   MarkTest: bit 0 of the blue (plane 0) or green (plane 1) byte is set.
//
// Each test answers one neighbour at a time (operator(), with bounds tests) and, for a
// pixel whose neighbours are all inside, all eight at once as a bit set, bit k − 1 for
// direction k (Neighbours). The bit set is what the follower uses away from the frame.

#include "platform/Bitmap24.h"
#include "platform/Colour.h"
#include "raster/LineTest.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace raster {

constexpr int DirX[9] = {0, -1, 0, 1, 1, 1, 0, -1, -1};
constexpr int DirY[9] = {0, -1, -1, -1, 0, 1, 1, 1, 0};

// With strict diagonals a diagonal neighbour (directions 1, 3, 5, 7: bits 0, 2, 4, 6)
// counts only beside a matching side neighbour.
constexpr unsigned StrictNeighbours(unsigned set) {
    const unsigned besides = ((set << 1) | (set >> 7) | (set >> 1) | (set << 7)) & 0xFF;
    return set & (0xAA | besides);
}

// Neighbour (column j, row k) of a 3 × 3 block, j and k from 0 at the top left, is bit
// 3j + k of a block index; the tables give the neighbour set of each index.
struct BlockToNeighbours {
    std::uint8_t plain[512];
    std::uint8_t strict[512];
    constexpr BlockToNeighbours() : plain(), strict() {
        constexpr int direction[3][3] = {{1, 8, 7}, {2, 0, 6}, {3, 4, 5}}; // [j][k]
        for (unsigned index = 0; index < 512; ++index) {
            unsigned set = 0;
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 3; ++k)
                    if (direction[j][k] != 0 && (index >> (3 * j + k) & 1) != 0)
                        set |= 1u << (direction[j][k] - 1);
            plain[index] = std::uint8_t(set);
            strict[index] = std::uint8_t(StrictNeighbours(set));
        }
    }
};
inline constexpr BlockToNeighbours BlockNeighbours;

// The neighbour set of the pixel at centre from a test of single pixels.
template <class Is>
[[gnu::always_inline]] inline unsigned EightNeighbours(const std::uint8_t* centre,
                                                       std::size_t stride, Is is) {
    const std::uint8_t* up = centre - stride;
    const std::uint8_t* down = centre + stride;
    return is(up - 3) | is(up) << 1 | is(up + 3) << 2 | is(centre + 3) << 3 | is(down + 3) << 4 |
           is(down) << 5 | is(down - 3) << 6 | is(centre - 3) << 7;
}

// The raster's inside area and row access shared by both tests.
class InsideArea {
public:
    explicit InsideArea(platform::Bitmap24& raster)
        : base_(raster.IsEmpty() ? nullptr : raster.ScanLine(0)), stride_(raster.BytesPerLine()),
          maxX_(raster.Width() - 2), maxY_(raster.Height() - 2),
          interiorWidth_(unsigned(std::max(maxX_ - 3, 0))),
          interiorHeight_(unsigned(std::max(maxY_ - 3, 0))) {
        for (int d = 0; d < 9; ++d)
            step_[d] = std::ptrdiff_t(DirY[d]) * std::ptrdiff_t(stride_) + 3 * DirX[d];
    }
    bool Inside(int x, int y) const { return x >= 2 && y >= 2 && x <= maxX_ && y <= maxY_; }
    // All eight neighbours of (x, y) are inside: 3 ≤ x < maxX_ and 3 ≤ y < maxY_, each as
    // one unsigned comparison.
    bool Interior(int x, int y) const {
        return unsigned(x - 3) < interiorWidth_ && unsigned(y - 3) < interiorHeight_;
    }
    std::uint8_t* Pixel(int x, int y) const {
        return base_ + std::size_t(y) * stride_ + 3 * std::size_t(x);
    }
    std::size_t Stride() const { return stride_; }
    // Byte distance from a pixel to its neighbour in direction d.
    std::ptrdiff_t Step(int d) const { return step_[d]; }
    // Asks for the rows around an inside (x, y) at once: a small outline then waits for
    // memory once instead of once a row.
    void PrefetchAround(int x, int y) const {
        const std::uintptr_t left = 3 * std::uintptr_t(std::max(x - 4, 0));
        for (int row = std::max(y - 2, 0); row <= std::min(y + 12, maxY_ + 1); ++row) {
            const std::uint8_t* p = base_ + std::size_t(row) * stride_ + left;
            __builtin_prefetch(p);
            // Past the end of a short last row at worst: a prefetch never faults.
            __builtin_prefetch(reinterpret_cast<const void*>(std::uintptr_t(p) + 64));
        }
    }

private:
    std::uint8_t* base_;
    std::size_t stride_;
    int maxX_, maxY_;
    unsigned interiorWidth_, interiorHeight_;
    std::ptrdiff_t step_[9];
};

class ColourTest {
public:
    ColourTest(platform::Bitmap24& raster, platform::Colour target, bool useColorRange,
               int colorRange, bool strictDiagonals)
        : area_(raster), tr_(platform::RedOf(target)), tg_(platform::GreenOf(target)),
          tb_(platform::BlueOf(target)), sum_(tr_ + tg_ + tb_), range_(colorRange),
          useRange_(useColorRange), strict_(strictDiagonals),
          blocks_(strictDiagonals ? BlockNeighbours.strict : BlockNeighbours.plain),
          pairs_(PairsSupported() && (!useColorRange || colorRange <= 254)) {
#if defined(__SSE2__)
        // Worked out once: built from scalars at every step they would cost more than the
        // test itself.
        targetBytes_ =
            _mm_setr_epi8(char(tb_), char(tg_), char(tr_), char(tb_), char(tg_), char(tr_),
                          char(tb_), char(tg_), char(tr_), 0, 0, 0, 0, 0, 0, 0);
        rangeBytes_ = _mm_set1_epi8(char(std::clamp(range_, 0, 255)));
        sumWords_ = _mm_set1_epi16(short(sum_));
#endif
    }
    // The dark-line test: a pixel matches when its grey is below the threshold.
    ColourTest(platform::Bitmap24& raster, int darkThreshold, bool strictDiagonals)
        : ColourTest(raster, 0, false, 0, strictDiagonals) {
        dark_ = true;
        darkThreshold_ = darkThreshold;
        pairs_ = false;
    }

    const InsideArea& Area() const {
        return area_;
    }
    // MatchesTarget.
    bool Matches(int x, int y) const {
        return area_.Inside(x, y) && MatchesPixel(area_.Pixel(x, y));
    }
    // The colour test of an inside pixel.
    bool MatchesPixel(const std::uint8_t* p) const {
        if (dark_) return Grey(p[0], p[1], p[2]) < darkThreshold_;
        if (!useRange_) return p[0] + p[1] + p[2] == sum_;
        const std::uint8_t* q = p - area_.Stride(); // the row above
        const int b = (p[0] + p[-3] + q[0] + q[-3]) / 4;
        const int g = (p[1] + p[-2] + q[1] + q[-2]) / 4;
        const int r = (p[2] + p[-1] + q[2] + q[-1]) / 4;
        return std::abs(r - tr_) + std::abs(g - tg_) + std::abs(b - tb_) <= range_;
    }
    // Whether the neighbour of (x, y) in direction d qualifies.
    bool operator()(int x, int y, int d) const {
        if (!Matches(x + DirX[d], y + DirY[d])) return false;
        if (!strict_ || (d & 1) == 0) return true;
        const int before = d == 1 ? 8 : d - 1, after = d + 1;
        return Matches(x + DirX[before], y + DirY[before]) ||
               Matches(x + DirX[after], y + DirY[after]);
    }
    // Whether NeighbourPair may be used: on processors with AVX2, for ranges up to 254.
    bool HasPairs() const {
        return pairs_;
    }
    // The neighbour sets of two pixels at once (the first in bits 0 … 7, the second in
    // bits 8 … 15), in the time of about one: two followers take their steps together.
    unsigned NeighbourPair(const std::uint8_t* first, const std::uint8_t* second) const;
    // The qualifying neighbours of a pixel whose neighbours are all inside.
    [[gnu::always_inline]] unsigned Neighbours(const std::uint8_t* centre) const {
#if defined(__SSE2__)
        if (!dark_) {
            if (!useRange_) return PureNeighbours(centre);
            if (range_ <= 254) return RangeNeighbours(centre);
        }
#endif
        const unsigned set = EightNeighbours(centre, area_.Stride(), [this](const std::uint8_t* p) {
            return unsigned(MatchesPixel(p));
        });
        return strict_ ? StrictNeighbours(set) : set;
    }

private:
    static bool PairsSupported();
#if defined(__SSE2__)
    [[gnu::always_inline]] unsigned PureNeighbours(const std::uint8_t* centre) const;
    [[gnu::always_inline]] unsigned RangeNeighbours(const std::uint8_t* centre) const;
#endif

    InsideArea area_;
    int tr_, tg_, tb_, sum_, range_;
    bool useRange_, strict_;
    const std::uint8_t* blocks_;
    bool pairs_;
    bool dark_ = false;
    int darkThreshold_ = 0;
#if defined(__SSE2__)
    __m128i targetBytes_, rangeBytes_, sumWords_;
#endif
};

#if defined(__SSE2__)
// The SSE2 tests load 16 bytes a row from a little left of the neighbours, reading up to
// a few bytes past them; an interior pixel has two more rows below it, so every load
// stays inside the raster.
//
// The channel sums of a row's three neighbours come from one load from the pixel to the
// left, widened to 16 bits: each lane plus the next two, in lanes 0, 3 and 6.
inline unsigned ColourTest::PureNeighbours(const std::uint8_t* centre) const {
    const std::size_t stride = area_.Stride();
    const std::uint8_t* row = centre - stride - 3;
    const __m128i zero = _mm_setzero_si128();
    __m128i equal[3];
    for (int k = 0; k < 3; ++k, row += stride) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
        const __m128i lo = _mm_unpacklo_epi8(v, zero), hi = _mm_unpackhi_epi8(v, zero);
        const __m128i sum =
            _mm_add_epi16(_mm_add_epi16(lo, _mm_srli_si128(lo, 2)),
                          _mm_or_si128(_mm_srli_si128(lo, 4), _mm_slli_si128(hi, 12)));
        equal[k] = _mm_cmpeq_epi16(sum, sumWords_);
    }
    // Lanes 3j of rows 0 and 1 become bits 3j and 3j + 8, of row 2 bits 3j.
    const unsigned rows01 = unsigned(_mm_movemask_epi8(_mm_packs_epi16(equal[0], equal[1])));
    const unsigned row2 = unsigned(_mm_movemask_epi8(_mm_packs_epi16(equal[2], zero)));
    return blocks_[(rows01 & 0x49) | (rows01 >> 7 & 0x92) | (row2 & 0x49) << 2];
}

// The 2 × 2 averages of the eight neighbours come from the 4 × 4 pixels from two rows
// above and two columns left of the centre, one 16-byte load a row, worked on bytewise:
// floor((a + b + c + d) / 4) is the floor average of the floor averages of the pairs,
// plus one when both pairs had odd sums. Channel differences are summed with saturation,
// which is exact for ranges up to 254 (a negative range matches nothing either way).
inline unsigned ColourTest::RangeNeighbours(const std::uint8_t* centre) const {
    const std::size_t stride = area_.Stride();
    const std::uint8_t* row = centre - 2 * stride - 6;
    const __m128i low7 = _mm_set1_epi8(0x7F), one = _mm_set1_epi8(1), zero = _mm_setzero_si128();
    const auto floorAverage = [low7](__m128i a, __m128i b) {
        return _mm_add_epi8(_mm_and_si128(a, b),
                            _mm_and_si128(_mm_srli_epi16(_mm_xor_si128(a, b), 1), low7));
    };
    __m128i half[4], odd[4]; // of each pixel and its right-hand neighbour
    for (int k = 0; k < 4; ++k, row += stride) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
        const __m128i b = _mm_srli_si128(a, 3);
        half[k] = floorAverage(a, b);
        odd[k] = _mm_and_si128(_mm_xor_si128(a, b), one);
    }
    // Bytes 3j of row k's comparison, moved to byte 3j + k of one vector, whose byte
    // signs are then the block index.
    const __m128i columns = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    __m128i within[3];
    for (int k = 0; k < 3; ++k) {
        const __m128i average =
            floorAverage(half[k], _mm_add_epi8(half[k + 1], _mm_and_si128(odd[k], odd[k + 1])));
        const __m128i diff = _mm_or_si128(_mm_subs_epu8(average, targetBytes_),
                                          _mm_subs_epu8(targetBytes_, average));
        const __m128i sum =
            _mm_adds_epu8(_mm_adds_epu8(diff, _mm_srli_si128(diff, 1)), _mm_srli_si128(diff, 2));
        within[k] = _mm_and_si128(_mm_cmpeq_epi8(_mm_subs_epu8(sum, rangeBytes_), zero), columns);
    }
    const __m128i block = _mm_or_si128(
        within[0], _mm_or_si128(_mm_slli_si128(within[1], 1), _mm_slli_si128(within[2], 2)));
    return range_ < 0 ? 0 : blocks_[unsigned(_mm_movemask_epi8(block))];
}
#endif

class MarkTest {
public:
    // plane 0: the outline plane (blue), 1: the band plane (green).
    MarkTest(platform::Bitmap24& raster, int plane) : area_(raster), plane_(plane) {}
    // IsMarked.
    bool Marked(int x, int y) const {
        return area_.Inside(x, y) && (area_.Pixel(x, y)[plane_] & 1) != 0;
    }
    bool operator()(int x, int y, int d) const { return Marked(x + DirX[d], y + DirY[d]); }
    const InsideArea& Area() const { return area_; }
    [[gnu::always_inline]] unsigned Neighbours(const std::uint8_t* centre) const {
        return EightNeighbours(centre + plane_, area_.Stride(),
                               [](const std::uint8_t* p) { return unsigned(*p & 1); });
    }

private:
    InsideArea area_;
    int plane_;
};

} // namespace raster
