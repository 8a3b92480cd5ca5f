// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// FollowPlane for walks that run hundreds of millions of steps (thinning's peel passes), with
// each follower's state in one word: the pixel's bit index from row 0 of the plane, times 16,
// plus the search start. A step is then one table look-up and one addition, where the
// follower of PlaneFollower.h decodes a move and updates two coordinates and a direction,
// and keeps them on the stack for want of registers. The points, the order and the result
// are FollowPlane's.
//
// Cost: O(boundary length), with the points gathered in a buffer of the caller's and then
// appended; the tables take 36 KB per row width of the plane. Rows of more than a million
// bytes (eight million pixels) do not fit the tables' words: there FollowPlane does the walk.

#include "raster/PlaneFollower.h"

#include <atomic>
#include <cstdint>
#include <limits>
#include <vector>

namespace raster {

// What a step does to a packed state, for planes of one row width.
class PackedSteps {
public:
    explicit PackedSteps(std::size_t rowBytes);
    std::size_t RowBytes() const { return rowBytes_; }
    bool Fits() const { return rowBytes_ <= MostRowBytes; }
    static constexpr std::size_t MostRowBytes = std::size_t(1) << 20;

private:
    friend class PackedWalker;
    // From search start d at a pixel with 3 × 3 block b: the change of the state times 16,
    // plus the move (so that the point's coordinates follow); 0 when no neighbour qualifies.
    std::int32_t forward_[9][512] = {};
    // The backward follower's: from its state (search start d) to that of the pixel a step
    // before, whose block is b; 0 when the boundary cannot have come that way.
    std::int32_t backward_[9][512] = {};
    std::int64_t before_[9] = {};       // bit offset of the pixel a step before, by d
    std::uint64_t beforePoint_[9] = {}; // its offset as a packed point (x low, y high)
    std::uint64_t movePoint_[9] = {};   // a move's offset as a packed point
    std::size_t rowBytes_;
};

// FollowPlane(plane, start, d, sink = append to points): appends every position after the
// start to points, in FollowPlane's order and with its result. steps must be made for the
// plane's row width; buffer is scratch, kept by the caller from walk to walk.
FollowResult FollowPlanePacked(const BitPlane& plane, const PackedSteps& steps, QPoint start, int d,
                               PointVector& points, std::vector<QPoint>& buffer);

// The same walk in two halves that two threads can make at once, split at a seed: a
// follower's state (position and search start) thought to lie on the walk, past its start.
// FollowPackedToSeed appends the points up to the seed, the seed's own not, and sets reached
// when the walk came to it; when it did not, points and result are FollowPlanePacked's.
// FollowPackedFromSeed appends the points after the seed, up to where the walk from the start
// would close, and gives Closed when it does. So when the first half reached the seed and
// the second closed, the first's points, the seed's position and the second's points are
// FollowPlanePacked's, and the walk closed. Each half costs about what its share of the walk
// would.
FollowResult FollowPackedToSeed(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                                int d, QPoint seed, int seedD, PointVector& points,
                                std::vector<QPoint>& buffer, bool& reached);
FollowResult FollowPackedFromSeed(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                                  int d, QPoint seed, int seedD, PointVector& points,
                                  std::vector<QPoint>& buffer);

// A walk that pauses and goes on, perhaps in two halves (SplitWalker.h): its followers as
// they stand, as packed states (the pixel's bit index times 16 plus the search start) and
// packed points, the forward follower's repeat guard, and the backward follower's points so
// far, in the order of the walk.
struct WalkProgress {
    WalkProgress(std::uint64_t forwardState, std::uint64_t forwardAt, std::uint64_t backwardState,
                 std::uint64_t backwardAt)
        : forward(forwardState), backward(backwardState), forwardPoint(forwardAt),
          backwardPoint(backwardAt), repeat(forwardState) {}
    std::uint64_t forward, backward, forwardPoint, backwardPoint;
    bool backwardOn = true;
    RepeatGuard<std::uint64_t> repeat;
    PointVector behind;
};
// Rounds (a step of each follower) after which a walk pauses, and a flag asked every few
// thousand rounds that ends it at once.
struct WalkLimit {
    std::size_t rounds = std::numeric_limits<std::size_t>::max();
    const std::atomic<bool>* cancel = nullptr;
};
enum class WalkStop { Ended, Paused, Cancelled };

// FollowPlanePacked, paused after limit.rounds rounds when it has not ended by then (stop
// Paused, result meaningless): points then holds the positions the forward follower reached
// and progress the rest. progress is overwritten.
FollowResult FollowPackedFor(const BitPlane& plane, const PackedSteps& steps, QPoint start, int d,
                             std::size_t rounds, PointVector& points, std::vector<QPoint>& buffer,
                             WalkProgress& progress, WalkStop& stop);
// A paused walk gone on with: points gets what FollowPlanePacked would have appended after
// those it has, and the result is FollowPlanePacked's.
FollowResult GoOnAlone(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                       WalkProgress& progress, PointVector& points, std::vector<QPoint>& buffer);
// A paused walk gone on with up to a seed, as FollowPackedToSeed: when the forward follower
// does not reach the seed it makes the rest of the walk alone, as GoOnAlone.
FollowResult GoOnToSeed(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                        WalkProgress& progress, QPoint seed, int seedD, PointVector& points,
                        std::vector<QPoint>& buffer, bool& reached);
// The rest of a paused walk from a seed on, as FollowPackedFromSeed but toward the paused
// backward follower: met when the points end where progress.behind begins (else, if Closed,
// they run to the walk's end). Ends Stuck when cancel is set. progress is only read.
FollowResult GoOnFromSeed(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                          const WalkProgress& progress, QPoint seed, int seedD, PointVector& points,
                          std::vector<QPoint>& buffer, const std::atomic<bool>* cancel, bool& met);

} // namespace raster
