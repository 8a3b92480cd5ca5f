// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Boundary following on the 24-bit raster (Moore-neighbour tracing).
//
// Method: from a position P and a search direction d, the follower tests the eight
// neighbours of P clockwise (on the screen) starting at d and moves to the first one that
// qualifies; the next search starts at the neighbour clockwise after the one it came
// from. Repeated, this walks the boundary of the 8-connected region of qualifying pixels
// that contains the start, keeping the region on its right-hand side.
//
// Direction codes (columns grow right, rows grow down):
//   1 (−1, −1)  2 (0, −1)  3 (+1, −1)  4 (+1, 0)  5 (+1, +1)  6 (0, +1)  7 (−1, +1)  8 (−1, 0)
// After a move in direction d the search starts at ((d + 4) mod 8) + 1.
//
// Qualifying tests, both in raster pixels, both false outside the "inside" area
// 2 ≤ x ≤ W − 2, 2 ≤ y ≤ H − 2 (so every followed point keeps a one-pixel frame of
// raster around it):
//   ColourTest: the pixel's 2 × 2 block average (with the pixels above and to the left)
//     lies within ColorRange of the target (sum of absolute channel differences), or, in
//     pure-colour mode, the pixel's channel sum equals the target's. With strict
//     diagonals a diagonal move also needs one of the two side pixels between to match.
//   MarkTest: bit 0 of the blue (plane 0) or green (plane 1) byte is set.
//
// Termination: FollowBoundary stops when it re-enters the start pixel (Closed), when P
// has no qualifying neighbour (Stuck), or when its state (P, d) repeats without having
// re-entered the start (Endless): the follower is deterministic, so from then on it
// would circle the same loop for ever. Repeats are found with Brent's cycle detection:
// one saved state and one comparison a step, found within about three times the loop's
// length. Cost: O(boundary length), a handful of pixel reads a step, no allocation but
// the caller's point sink.

#include "platform/Bitmap24.h"
#include "platform/Colour.h"

#include <QPoint>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace raster {

constexpr int DirX[9] = {0, -1, 0, 1, 1, 1, 0, -1, -1};
constexpr int DirY[9] = {0, -1, -1, -1, 0, 1, 1, 1, 0};
constexpr int NextStart(int d) {
    return (d + 4) % 8 + 1;
}

// The raster's "inside" area and row access shared by both tests.
class InsideArea {
public:
    explicit InsideArea(platform::Bitmap24& raster)
        : base_(raster.IsEmpty() ? nullptr : raster.ScanLine(0)), stride_(raster.BytesPerLine()),
          maxX_(raster.Width() - 2), maxY_(raster.Height() - 2) {
        for (int d = 0; d < 9; ++d)
            offset_[d] = std::ptrdiff_t(DirY[d]) * std::ptrdiff_t(stride_) + 3 * DirX[d];
    }
    bool Inside(int x, int y) const { return x >= 2 && y >= 2 && x <= maxX_ && y <= maxY_; }
    // All eight neighbours of (x, y) are inside.
    bool Interior(int x, int y) const { return x >= 3 && y >= 3 && x < maxX_ && y < maxY_; }
    // Byte distance from a pixel to its neighbour in direction d.
    std::ptrdiff_t Offset(int d) const { return offset_[d]; }
    std::uint8_t* Pixel(int x, int y) const {
        return base_ + std::size_t(y) * stride_ + 3 * std::size_t(x);
    }
    std::size_t Stride() const { return stride_; }

private:
    std::uint8_t* base_;
    std::size_t stride_;
    int maxX_, maxY_;
    std::ptrdiff_t offset_[9];
};

class ColourTest {
public:
    ColourTest(platform::Bitmap24& raster, platform::Colour target, bool useColorRange,
               int colorRange, bool strictDiagonals)
        : area_(raster), tr_(platform::RedOf(target)), tg_(platform::GreenOf(target)),
          tb_(platform::BlueOf(target)), sum_(tr_ + tg_ + tb_), range_(colorRange),
          useRange_(useColorRange), strict_(strictDiagonals) {}

    const InsideArea& Area() const { return area_; }
    // MatchesTarget.
    bool Matches(int x, int y) const {
        return area_.Inside(x, y) && MatchesPixel(area_.Pixel(x, y));
    }
    // The colour test of an inside pixel.
    bool MatchesPixel(const std::uint8_t* p) const {
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
    // The same for a pixel whose neighbours are all inside.
    bool QualifiesAt(const std::uint8_t* p, int d) const {
        if (!MatchesPixel(p + area_.Offset(d))) return false;
        if (!strict_ || (d & 1) == 0) return true;
        const int before = d == 1 ? 8 : d - 1, after = d + 1;
        return MatchesPixel(p + area_.Offset(before)) || MatchesPixel(p + area_.Offset(after));
    }

private:
    InsideArea area_;
    int tr_, tg_, tb_, sum_, range_;
    bool useRange_, strict_;
};

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
    bool QualifiesAt(const std::uint8_t* p, int d) const {
        return (p[area_.Offset(d) + plane_] & 1) != 0;
    }

private:
    InsideArea area_;
    int plane_;
};

// One step: moves p to the first qualifying neighbour from direction d on and sets d to
// the next search start; false (p and d unchanged) when no neighbour qualifies.
template <class Qualifies> bool StepBoundary(const Qualifies& qualifies, QPoint& p, int& d) {
    const int x = p.x(), y = p.y();
    if (qualifies.Area().Interior(x, y)) { // no bounds tests, offsets from one pointer
        const std::uint8_t* centre = qualifies.Area().Pixel(x, y);
        for (int k = 0; k < 8; ++k) {
            if (qualifies.QualifiesAt(centre, d)) {
                // Outlines run on in the same direction; a step down a tall line lands a
                // whole row further on, which the hardware prefetcher does not foresee.
                __builtin_prefetch(centre + 2 * qualifies.Area().Offset(d));
                p = QPoint(x + DirX[d], y + DirY[d]);
                d = NextStart(d);
                return true;
            }
            d = d == 8 ? 1 : d + 1;
        }
        return false;
    }
    for (int k = 0; k < 8; ++k) {
        if (qualifies(x, y, d)) {
            p = QPoint(x + DirX[d], y + DirY[d]);
            d = NextStart(d);
            return true;
        }
        d = d == 8 ? 1 : d + 1;
    }
    return false;
}

enum class FollowResult { Closed, Stuck, Endless };

// Follows the boundary from start with search direction d, handing every position after
// the start to sink(QPoint) until the start is re-entered (the start itself is not
// handed over, neither at the beginning nor at the end).
template <class Qualifies, class Sink>
FollowResult FollowBoundary(const Qualifies& qualifies, QPoint start, int d, Sink&& sink) {
    QPoint p = start;
    QPoint savedP = start;
    int savedD = d;
    std::uint64_t power = 1, length = 0;
    for (;;) {
        if (!StepBoundary(qualifies, p, d)) return FollowResult::Stuck;
        if (p == start) return FollowResult::Closed;
        sink(p);
        if (p == savedP && d == savedD) return FollowResult::Endless;
        if (++length == power) {
            savedP = p;
            savedD = d;
            power *= 2;
            length = 0;
        }
    }
}

} // namespace raster
