// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Boundary following on the 24-bit raster (Moore-neighbour tracing).
//
// Method: from a position P and a search direction d, the follower tests the eight
// neighbours of P clockwise (on the screen) starting at d and moves to the first one that
// qualifies (BoundaryTests.h); the next search starts at the neighbour clockwise after
// the one it came from: after a move in direction d, at ((d + 4) mod 8) + 1. Repeated,
// this walks the boundary of the 8-connected region of qualifying pixels that contains
// the start, keeping the region on its right-hand side.
//
// Termination: FollowBoundary stops when it re-enters the start pixel (Closed), when P
// has no qualifying neighbour (Stuck), or when its state (P, d) repeats without having
// re-entered the start (Endless): the follower is deterministic, so from then on it
// would circle the same loop for ever. Repeats are found with Brent's cycle detection:
// one saved state and one comparison a step, found within about three times the loop's
// length. Cost: O(boundary length).
//
// Speed: a step cannot begin before the previous one has read its pixels and chosen its
// neighbour; one follower is bound by that chain of latencies rather than by its work.
// Hence: away from the raster's frame a step takes the neighbour set in one piece and
// picks the first direction by counting zero bits, with no branch to mispredict; two
// followers run interleaved, one forwards and one backwards from the start, so that the
// processor always has a second, independent chain to work on, and where the test can
// (AVX2) both sets come from one pass; and each follower asks for the rows it is heading
// to before it gets there.

#include "raster/BoundaryTests.h"
#include "raster/PointList.h"

#include <QPoint>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace raster {

constexpr int NextStart(int d) {
    return (d + 4) % 8 + 1;
}

// The direction (1 … 8) of a move to a neighbouring pixel, by (dy + 1) × 3 + dx + 1; 0 for
// no move.
inline constexpr int MoveDirection[9] = {1, 2, 3, 8, 0, 4, 7, 6, 5};

// The first direction of a non-empty set clockwise from d, d included: the set twice
// over, shifted so that bit 0 is direction d, has the answer as its lowest bit.
inline int FirstClockwise(unsigned set, int d) {
    return (d - 1 + std::countr_zero((set | set << 8) >> (d - 1))) % 8 + 1;
}
// The same counter-clockwise: the highest bit of the doubled set at or below d's upper copy.
inline int FirstCounterClockwise(unsigned set, int d) {
    const unsigned below = (set | set << 8) & ((2u << (d + 7)) - 1);
    return (31 - std::countl_zero(below)) % 8 + 1;
}

// The neighbour set of (x, y) near the raster's frame, one neighbour at a time.
template <class Qualifies>
[[gnu::noinline]] unsigned NeighbourSetNearFrame(const Qualifies& qualifies, int x, int y) {
    unsigned set = 0;
    for (int k = 1; k <= 8; ++k) set |= unsigned(qualifies(x, y, k)) << (k - 1);
    return set;
}

// The qualifying neighbours of an inside (x, y), whose pixel is at p.
template <class Qualifies>
[[gnu::always_inline]] inline unsigned NeighbourSet(const Qualifies& qualifies, int x, int y,
                                                    const std::uint8_t* p) {
    if (qualifies.Area().Interior(x, y)) [[likely]]
        return qualifies.Neighbours(p);
    return NeighbourSetNearFrame(qualifies, x, y);
}
template <class Qualifies> unsigned NeighbourSet(const Qualifies& qualifies, int x, int y) {
    if (!qualifies.Area().Inside(x, y)) return NeighbourSetNearFrame(qualifies, x, y);
    return NeighbourSet(qualifies, x, y, qualifies.Area().Pixel(x, y));
}

// One step: moves p to the first qualifying neighbour from direction d on and sets d to
// the next search start; false (p and d unchanged) when no neighbour qualifies.
template <class Qualifies> bool StepBoundary(const Qualifies& qualifies, QPoint& p, int& d) {
    const unsigned set = NeighbourSet(qualifies, p.x(), p.y());
    if (set == 0) return false;
    const int moved = FirstClockwise(set, d);
    p += QPoint(DirX[moved], DirY[moved]);
    d = NextStart(moved);
    return true;
}

// A follower's state, the position and the next search start, with its pixel's address
// (which stands for the position in comparisons).
struct Follower {
    int x, y, d;
    const std::uint8_t* pixel;

    bool SameState(const Follower& other) const { return pixel == other.pixel && d == other.d; }
    QPoint Position() const { return {x, y}; }
    void Move(const InsideArea& area, int direction) {
        x += DirX[direction];
        y += DirY[direction];
        pixel += area.Step(direction);
    }
};

// Prefetches for a follower: where it will be is extrapolated from where it is and where
// it was 16 steps ago (a pixel's address is linear in its position), and the rows a step
// there reads (two above to one below) are asked for. Outlines bend: the direction of the
// last step alone is a poor guess 16 steps on.
class Trail {
public:
    // Until there are 16 steps to go by, the guesses run from the start.
    Trail(std::size_t stride, const std::uint8_t* start) : stride_(stride) {
        for (std::uintptr_t& then : past_) then = std::uintptr_t(start);
    }
    void Step(const std::uint8_t* pixel) {
        const std::uintptr_t now = std::uintptr_t(pixel);
        std::uintptr_t& then = past_[next_++ % 16];
        // Anywhere, even off the raster: a prefetch never faults.
        const std::uintptr_t ahead = 2 * now - then;
        const std::uintptr_t top = ahead - 2 * stride_ - 6, bottom = ahead + stride_ - 6;
        __builtin_prefetch(reinterpret_cast<const void*>(top));
        __builtin_prefetch(reinterpret_cast<const void*>(top + 15));
        __builtin_prefetch(reinterpret_cast<const void*>(bottom));
        __builtin_prefetch(reinterpret_cast<const void*>(bottom + 15));
        then = now;
    }

private:
    std::uintptr_t past_[16];
    unsigned next_ = 0;
    std::size_t stride_;
};

// Moves a follower one step forwards given its neighbour set; false when it is empty.
inline bool StepForwards(const InsideArea& area, Follower& f, unsigned set) {
    if (set == 0) return false;
    const int moved = FirstClockwise(set, f.d);
    f.Move(area, moved);
    f.d = NextStart(moved);
    return true;
}

// Where a follower on a boundary was a step before: s − move, the move being NextStart's
// inverse of s.d. Its search direction is left for StepBackwards.
inline Follower Behind(const InsideArea& area, const Follower& f) {
    Follower p = f;
    p.Move(area, f.d == 1 ? 8 : f.d - 1);
    return p;
}

// Moves a follower to its state before, p = Behind(f) with p's neighbour set. Qualifying
// is symmetric (a diagonal's side pixels are the same seen from either end), so every
// state reached by a step has exactly one predecessor: p's search had started just past
// p's first qualifying neighbour counter-clockwise from the move to s, which is where p
// was entered from. False when s cannot have been entered from p.
inline bool StepBackwards(Follower& f, Follower p, unsigned set) {
    const int move = (f.d + 2) % 8 + 1; // from p to s
    if ((set >> (move - 1) & 1) == 0) return false;
    p.d = FirstCounterClockwise(set, move == 1 ? 8 : move - 1) % 8 + 1;
    f = p;
    return true;
}

// The neighbour sets of the forward follower (bits 0 … 7) and of where the backward one
// was a step before (bits 8 … 15, when it is on), together where the test can.
template <class Qualifies>
[[gnu::always_inline]] inline unsigned NeighbourSets(const Qualifies& qualifies,
                                                     const Follower& forward,
                                                     const Follower& before, bool backwardOn) {
    const InsideArea& area = qualifies.Area();
    if constexpr (requires { qualifies.NeighbourPair(forward.pixel, before.pixel); }) {
        if (backwardOn && qualifies.HasPairs() && area.Interior(forward.x, forward.y) &&
            area.Interior(before.x, before.y))
            return qualifies.NeighbourPair(forward.pixel, before.pixel);
    }
    const unsigned set = NeighbourSet(qualifies, forward.x, forward.y, forward.pixel);
    if (!backwardOn) return set;
    return set | NeighbourSet(qualifies, before.x, before.y, before.pixel) << 8;
}

enum class FollowResult { Closed, Stuck, Endless };

// Brent's cycle detection over a follower's states, for the Endless result: one saved state
// and one comparison a step. (FollowBoundary spells it out over its own state: there the
// guard as an object cost detection a few per cent.)
template <class State> class RepeatGuard {
public:
    explicit RepeatGuard(const State& start) : saved_(start) {}
    // Whether state, the one after the last asked about, repeats the saved one.
    bool Repeats(const State& state) {
        if (state == saved_) return true;
        if (++length_ == power_) {
            saved_ = state;
            power_ *= 2;
            length_ = 0;
        }
        return false;
    }

private:
    State saved_;
    std::uint64_t power_ = 1, length_ = 0;
};

// The backward follower's points, kept from call to call up to 16 MB.
inline PointVector& BackwardPoints() {
    thread_local PointVector points;
    if (points.capacity() > (std::size_t(1) << 21)) PointVector().swap(points);
    points.clear();
    return points;
}

// Follows the boundary from an inside start with search direction d, handing every
// position after the start to sink(QPoint) until the start is re-entered (the start
// itself is not handed over, neither at the beginning nor at the end). From a start
// outside the inside area nothing is followed (Stuck).
//
// The forward follower starts at (start, d); the backward one at the state that closes
// the boundary, which the first forward step gives: at the start, searching from just
// past the neighbour the boundary returns from. When their states meet, the boundary is
// complete: the forward points, then the backward ones reversed. The backward follower
// gives up, leaving the forward one to go on alone, when it reaches the start's position
// (the boundary passes through the start more than once, and the forward follower must
// stop at the first return) or finds no predecessor.
template <class Qualifies, class Sink>
FollowResult FollowBoundary(const Qualifies& shared, QPoint start, int d, Sink&& sink) {
    // A copy of its own, which the sink cannot change: its settings stay in registers.
    const Qualifies qualifies = shared;
    const InsideArea& area = qualifies.Area();
    if (!area.Inside(start.x(), start.y())) return FollowResult::Stuck;
    area.PrefetchAround(start.x(), start.y());
    const std::uint8_t* const startPixel = area.Pixel(start.x(), start.y());
    Follower forward{start.x(), start.y(), d, startPixel};
    const unsigned startSet = NeighbourSet(qualifies, forward.x, forward.y, forward.pixel);
    if (startSet == 0) return FollowResult::Stuck;
    const int first = FirstClockwise(startSet, d);
    Follower backward = forward;
    backward.d = FirstCounterClockwise(startSet, first == 1 ? 8 : first - 1) % 8 + 1;
    bool backwardOn = true;
    PointVector& behind = BackwardPoints();
    const auto meet = [&] {
        for (auto p = behind.rbegin(); p != behind.rend(); ++p) sink(*p);
        return FollowResult::Closed;
    };
    Follower saved = forward;
    Trail forwardTrail(area.Stride(), startPixel), backwardTrail(area.Stride(), startPixel);
    std::uint64_t power = 1, length = 0;
    for (;;) {
        const Follower before = Behind(area, backward);
        const unsigned sets = NeighbourSets(qualifies, forward, before, backwardOn);
        const unsigned forwardSet = sets & 0xFF, backwardSet = sets >> 8;
        if (!StepForwards(area, forward, forwardSet)) return FollowResult::Stuck;
        forwardTrail.Step(forward.pixel);
        if (forward.pixel == startPixel) return FollowResult::Closed;
        if (backwardOn && forward.SameState(backward)) return meet();
        sink(forward.Position());
        if (forward.SameState(saved)) return FollowResult::Endless;
        if (++length == power) {
            saved = forward;
            power *= 2;
            length = 0;
        }
        if (!backwardOn) continue;
        if (!StepBackwards(backward, before, backwardSet) || backward.pixel == startPixel) {
            backwardOn = false;
            continue;
        }
        backwardTrail.Step(backward.pixel);
        if (forward.SameState(backward)) return meet();
        behind.push_back(backward.Position());
    }
}

} // namespace raster
