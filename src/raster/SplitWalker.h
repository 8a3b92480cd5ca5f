// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Walks round boundaries of hundreds of thousands of states, made by two threads
// (PackedFollower.h): split at a seed, a follower's state thought to lie on the walk. The
// main thread walks from the start to the seed, a second thread from the seed on.
//
// Where a walk is known to be long, it is split at once. Where it is not, it is walked alone
// for a while first, and split only if it goes on and runs along one of the last long walks
// kept (LongWalks): most walks are short, and a second thread woken for each would cost more
// than they take. The seed is then the kept walk's state half way along the rest. A walk that
// does not come to its seed is made whole by the main thread, and the second thread's half is
// called off.
//
// The points and the result are FollowPlanePacked's whatever the seed.

#include "raster/PackedFollower.h"
#include "raster/SideThread.h"

#include <QPoint>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace raster {

class SplitWalker {
public:
    struct Seed {
        QPoint at;
        int d = 0;
    };
    // Appends to points, which must hold the start, every position of FollowPlanePacked's
    // walk, and gives its result. Without a seed the walk is made alone.
    FollowResult Follow(const BitPlane& plane, const PackedSteps& steps, QPoint start, int d,
                        const Seed* seed, PointVector& points);
    // The seed for a walk that is still open after some rounds, from its points so far (which
    // end where its forward follower stands) and the rounds made; false: it goes on alone.
    using LateSeed = std::function<bool(const PointVector& points, std::size_t rounds, Seed&)>;
    // The same, walked alone for `alone` rounds (two states each) and then, if still open,
    // split at the seed that late finds.
    FollowResult FollowLate(const BitPlane& plane, const PackedSteps& steps, QPoint start, int d,
                            std::size_t alone, const LateSeed& late, PointVector& points);

    // Walks split (late: after walking alone), those of them whose first half did not come to
    // the seed, and those made again in one (a second half that did not close: never seen on
    // a sheet).
    struct Work {
        std::size_t splits = 0, late = 0, missed = 0, redone = 0;
    };
    const Work& Done() const { return work_; }

    // A seed two steps on from (p, d), so that it is a state a step leads to; false where the
    // walk from there is stuck.
    static bool SeedOn(const BitPlane& plane, QPoint p, int d, Seed& seed);
    // A seed on the boundary of the marks through p: up-left across them to their edge, as
    // walks' starts are found, then as SeedOn with search start 2. False where p is not marked.
    static bool SeedAtMarks(const BitPlane& plane, QPoint p, Seed& seed);

private:
    FollowResult GoOnSplit(const BitPlane& plane, const PackedSteps& steps, QPoint start, int d,
                           Seed seed, std::size_t before, PointVector& points);
    FollowResult Split(const BitPlane& plane, const PackedSteps& steps, QPoint start, int d,
                       Seed seed, PointVector& points);
    // The first half's points (up to points.size() before) joined to the second's and, when
    // given, the paused backward follower's; or, where the second half did not close, the
    // walk made again in one.
    FollowResult Joined(const BitPlane& plane, const PackedSteps& steps, QPoint start, int d,
                        Seed seed, FollowResult later, const PointVector* behind,
                        std::size_t before, PointVector& points);

    std::vector<QPoint> buffer_, sideBuffer_; // the followers' scratch, kept from walk to walk
    PointVector after_;                       // the second half's points
    WalkProgress progress_{0, 0, 0, 0};
    std::atomic<bool> cancel_{false};
    Work work_;
    // Makes the second halves; last, so that it ends before what it uses.
    std::unique_ptr<SideThread> side_;
};

} // namespace raster
