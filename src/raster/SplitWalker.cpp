// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/SplitWalker.h"

namespace raster {

namespace {

// Waits for the second half when the first ends, also by an exception: the second half reads
// the frame's locals. The first half's exception is the one passed on.
struct Join {
    SideThread& side;
    ~Join() {
        try {
            side.Wait();
        } catch (...) {
        }
    }
};

} // namespace

bool SplitWalker::SeedOn(const BitPlane& plane, QPoint p, int d, Seed& seed) {
    for (int k = 0; k < 2; ++k)
        if (!StepPlane(plane, p, d)) return false;
    seed = {p, d};
    return true;
}

bool SplitWalker::SeedAtMarks(const BitPlane& plane, QPoint p, Seed& seed) {
    if (!plane.Marked(p.x(), p.y())) return false;
    while (plane.Marked(p.x() - 1, p.y() - 1)) p -= QPoint(1, 1);
    return SeedOn(plane, p, 2, seed);
}

FollowResult SplitWalker::Follow(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                                 int d, const Seed* seed, PointVector& points) {
    if (seed == nullptr) return FollowPlanePacked(plane, steps, start, d, points, buffer_);
    return Split(plane, steps, start, d, *seed, points);
}

FollowResult SplitWalker::FollowLate(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                                     int d, std::size_t alone, const LateSeed& late,
                                     PointVector& points) {
    const std::size_t before = points.size();
    WalkStop stop = WalkStop::Ended;
    const FollowResult result =
        FollowPackedFor(plane, steps, start, d, alone, points, buffer_, progress_, stop);
    if (stop != WalkStop::Paused) return result;
    Seed seed;
    if (!late(points, alone, seed))
        return GoOnAlone(plane, steps, start, progress_, points, buffer_);
    return GoOnSplit(plane, steps, start, d, seed, before, points);
}

// The rest of a paused walk in two halves: the second toward the backward follower.
FollowResult SplitWalker::GoOnSplit(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                                    int d, Seed seed, std::size_t before, PointVector& points) {
    if (!side_) side_ = std::make_unique<SideThread>();
    ++work_.splits;
    ++work_.late;
    after_.clear();
    FollowResult later = FollowResult::Stuck;
    bool laterMet = false;
    cancel_.store(false, std::memory_order_relaxed);
    {
        Join join{*side_};
        side_->Post([&] {
            later = GoOnFromSeed(plane, steps, start, progress_, seed.at, seed.d, after_,
                                 sideBuffer_, &cancel_, laterMet);
        });
        bool reached = false;
        const FollowResult first =
            GoOnToSeed(plane, steps, start, progress_, seed.at, seed.d, points, buffer_, reached);
        if (!reached) {
            cancel_.store(true, std::memory_order_relaxed);
            side_->Wait();
            ++work_.missed;
            return first; // the rest of the walk, made alone
        }
        side_->Wait();
    }
    return Joined(plane, steps, start, d, seed, later, laterMet ? &progress_.behind : nullptr,
                  before, points);
}

FollowResult SplitWalker::Split(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                                int d, Seed seed, PointVector& points) {
    if (!side_) side_ = std::make_unique<SideThread>();
    ++work_.splits;
    const std::size_t before = points.size();
    after_.clear();
    FollowResult later = FollowResult::Stuck;
    bool reached = false;
    FollowResult result;
    {
        Join join{*side_};
        side_->Post([&] {
            later =
                FollowPackedFromSeed(plane, steps, start, d, seed.at, seed.d, after_, sideBuffer_);
        });
        result =
            FollowPackedToSeed(plane, steps, start, d, seed.at, seed.d, points, buffer_, reached);
        side_->Wait();
    }
    if (!reached) {
        ++work_.missed;
        return result; // the whole walk, made without the seed's help
    }
    return Joined(plane, steps, start, d, seed, later, nullptr, before, points);
}

FollowResult SplitWalker::Joined(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                                 int d, Seed seed, FollowResult later, const PointVector* behind,
                                 std::size_t before, PointVector& points) {
    if (later == FollowResult::Closed) {
        points.push_back(seed.at);
        points.insert(points.end(), after_.begin(), after_.end());
        if (behind != nullptr) points.insert(points.end(), behind->begin(), behind->end());
        return later;
    }
    ++work_.redone;
    points.resize(before);
    return FollowPlanePacked(plane, steps, start, d, points, buffer_);
}

} // namespace raster
