// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Boundary following on a BitPlane: the mark test of EdgeFollower.h with the
// same walk and the same results (the marked neighbours of the inside area qualify; the
// start is not handed over; the walk stops when it re-enters the start).
//
// Coordinates: raster pixels. Cost: O(boundary length).

#include "raster/BitPlane.h"
#include "raster/EdgeFollower.h"

#include <QPoint>
#include <cstdint>
#include <utility>
#include <vector>

namespace raster {

// The first qualifying direction clockwise from d, for every neighbour set and d.
struct ClockwiseTable {
    std::uint8_t first[256][9];
    constexpr ClockwiseTable() : first() {
        for (unsigned set = 1; set < 256; ++set)
            for (int d = 1; d <= 8; ++d) {
                int k = d;
                while ((set >> (k - 1) & 1) == 0) k = k % 8 + 1;
                first[set][d] = std::uint8_t(k);
            }
    }
};
inline constexpr ClockwiseTable Clockwise{};

// A follower's step for every 3 × 3 block (BitPlane::Block) and search start d, so that a
// step costs one look-up: the move clockwise from d (bits 0 … 3, 0 when no neighbour
// qualifies), the next search start (bits 4 … 7) and the move's dx + 1 and dy + 1 (bits
// 8 … 9 and 10 … 11).
struct BlockStepTable {
    std::uint16_t step[9][512];
    constexpr BlockStepTable() : step() {
        for (unsigned block = 0; block < 512; ++block) {
            const unsigned set = RowBlocks.set[block];
            if (set == 0) continue;
            for (int d = 1; d <= 8; ++d) {
                const int moved = Clockwise.first[set][d];
                step[d][block] = std::uint16_t(moved | NextStart(moved) << 4 |
                                               (DirX[moved] + 1) << 8 | (DirY[moved] + 1) << 10);
            }
        }
    }
};
inline constexpr BlockStepTable BlockSteps{};

// The backward follower's step for every 3 × 3 block round the pixel it was at a step before
// and its search start d: the search start there (0 when the move that led to d does not
// qualify, and the boundary cannot have come that way).
struct BlockBackStepTable {
    std::uint8_t start[9][512];
    constexpr BlockBackStepTable() : start() {
        for (unsigned block = 0; block < 512; ++block) {
            const unsigned set = RowBlocks.set[block];
            for (int d = 1; d <= 8; ++d) {
                const int move = (d + 2) % 8 + 1;
                if ((set >> (move - 1) & 1) == 0) continue;
                const int from = move == 1 ? 8 : move - 1;
                // FirstCounterClockwise(set, from), spelt out for the constant table.
                int k = from;
                while ((set >> (k - 1) & 1) == 0) k = k == 1 ? 8 : k - 1;
                start[d][block] = std::uint8_t(k % 8 + 1);
            }
        }
    }
};
inline constexpr BlockBackStepTable BlockBackSteps{};

// Moves (x, y, d) by a non-zero entry of BlockSteps.
inline void TakeStep(unsigned step, int& x, int& y, int& d) {
    x += int(step >> 8 & 3) - 1;
    y += int(step >> 10 & 3) - 1;
    d = int(step >> 4 & 15);
}

// One step on the plane, as StepBoundary; false (p and d unchanged) when no neighbour
// qualifies.
inline bool StepPlane(const BitPlane& plane, QPoint& p, int& d) {
    const unsigned step = BlockSteps.step[d][plane.InsideBlock(p.x(), p.y())];
    if (step == 0) return false;
    int x = p.x(), y = p.y();
    TakeStep(step, x, y, d);
    p = QPoint(x, y);
    return true;
}

// FollowBoundary for a mark test, on the plane: every position after the start goes to
// sink(QPoint) until the start is re-entered. A start outside the inside area is Stuck.
// As FollowBoundary does, a second follower walks the boundary backwards from the state
// that closes it, the two interleaved so that each step's loads overlap the other's; where
// their states meet the boundary is complete. behind holds the backward follower's points
// (cleared first): a caller that follows long boundaries again and again keeps its memory.
template <class Sink>
FollowResult FollowPlane(const BitPlane& plane, QPoint start, int d, Sink&& sink,
                         PointVector& behind) {
    behind.clear();
    const PlaneLayout view(plane);
    struct State {
        int x, y, d;
        bool operator==(const State&) const = default;
    };
    if (!view.Inside(start.x(), start.y())) return FollowResult::Stuck;
    const unsigned startSet = view.InsideNeighbours(start.x(), start.y());
    if (startSet == 0) return FollowResult::Stuck;
    State forward{start.x(), start.y(), d};
    const int first = Clockwise.first[startSet][d];
    State backward{start.x(), start.y(),
                   FirstCounterClockwise(startSet, first == 1 ? 8 : first - 1) % 8 + 1};
    bool backwardOn = true;
    const auto meet = [&] {
        for (auto p = behind.rbegin(); p != behind.rend(); ++p) sink(*p);
        return FollowResult::Closed;
    };
    RepeatGuard<State> repeat(forward);
    // Every second step, each follower asks for the rows it will read 16 steps ahead, where
    // it would be if it went on as it went over the last 16 (a step moves a row at most, and
    // the rows asked for are three).
    struct Trail {
        QPoint past[8];
        unsigned next = 0;
        void Step(const PlaneLayout& view, int x, int y) {
            if ((++next & 1) != 0) return;
            QPoint& then = past[(next >> 1) % 8];
            view.Prefetch(2 * x - then.x(), 2 * y - then.y());
            then = QPoint(x, y);
        }
    };
    Trail forwardTrail, backwardTrail;
    for (QPoint& p : forwardTrail.past) p = start;
    for (QPoint& p : backwardTrail.past) p = start;
    for (;;) {
        // Where the backward follower was a step before: its search start less one is the
        // direction back along the move that led it here.
        const int back = backward.d == 1 ? 8 : backward.d - 1;
        const State before{backward.x + DirX[back], backward.y + DirY[back], 0};
        const unsigned forwardStep =
            BlockSteps.step[forward.d][view.InsideBlock(forward.x, forward.y)];
        const unsigned backwardStart =
            backwardOn ? BlockBackSteps.start[backward.d][view.InsideBlock(before.x, before.y)] : 0;
        if (forwardStep == 0) return FollowResult::Stuck;
        TakeStep(forwardStep, forward.x, forward.y, forward.d);
        forwardTrail.Step(view, forward.x, forward.y);
        if (forward.x == start.x() && forward.y == start.y()) return FollowResult::Closed;
        if (backwardOn && forward == backward) return meet();
        sink(QPoint(forward.x, forward.y));
        if (repeat.Repeats(forward)) return FollowResult::Endless;
        if (!backwardOn) continue;
        // The state before: its search started just past its first qualifying neighbour
        // counter-clockwise from the move that led here.
        if (backwardStart == 0) {
            backwardOn = false;
            continue;
        }
        backward = {before.x, before.y, int(backwardStart)};
        if (backward.x == start.x() && backward.y == start.y()) {
            backwardOn = false;
            continue;
        }
        backwardTrail.Step(view, backward.x, backward.y);
        if (forward == backward) return meet();
        behind.emplace_back(backward.x, backward.y);
    }
}

template <class Sink>
FollowResult FollowPlane(const BitPlane& plane, QPoint start, int d, Sink&& sink) {
    return FollowPlane(plane, start, d, std::forward<Sink>(sink), BackwardPoints());
}

} // namespace raster
