// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/PackedFollower.h"

#include <cstring>

namespace raster {

namespace {

QPoint Unpacked(std::uint64_t v) {
    return QPoint(int(std::uint32_t(v)), int(std::uint32_t(v >> 32)));
}

// A packed point's offset: adding it moves x in the low half and y in the high half, the
// borrow of a negative x offset cancelling in the high half (coordinates are not negative).
std::uint64_t PointOffset(int dx, int dy) {
    return std::uint64_t(std::int64_t(dx)) + (std::uint64_t(std::int64_t(dy)) << 32);
}

} // namespace

PackedSteps::PackedSteps(std::size_t rowBytes) : rowBytes_(rowBytes) {
    if (!Fits()) return;
    const std::int64_t bits = std::int64_t(rowBytes) * 8;
    std::int64_t offset[9] = {};
    for (int m = 1; m <= 8; ++m) {
        offset[m] = std::int64_t(DirY[m]) * bits + DirX[m];
        movePoint_[m] = PointOffset(DirX[m], DirY[m]);
    }
    for (int d = 1; d <= 8; ++d) {
        const int back = d == 1 ? 8 : d - 1; // the move that led to search start d, reversed
        before_[d] = offset[back];
        beforePoint_[d] = movePoint_[back];
        for (unsigned block = 0; block < 512; ++block) {
            if (const unsigned step = BlockSteps.step[d][block]; step != 0) {
                const int moved = int(step & 15), next = int(step >> 4 & 15);
                forward_[d][block] = std::int32_t((offset[moved] * 16 + next - d) * 16 + moved);
            }
            if (const int start = BlockBackSteps.start[d][block]; start != 0)
                backward_[d][block] = std::int32_t(before_[d] * 16 + start - d);
        }
    }
}

// The walks of this file: a forward follower from one state and a backward one from another,
// interleaved so that each step's loads overlap the other's, until they meet. The forward
// points fill a buffer from its beginning, the backward ones from its end down, so that they
// lie in the order the boundary takes them.
class PackedWalker {
public:
    PackedWalker(const BitPlane& plane, const PackedSteps& steps, QPoint start)
        : plane_(plane), steps_(steps), view_(plane), origin_(view_.Origin()),
          stride_(view_.Stride()), insideWidth_(view_.InsideWidth()),
          insideHeight_(view_.InsideHeight()), startBit_(BitOf(start)) {}

    std::int64_t BitOf(QPoint p) const {
        return std::int64_t(p.y()) * std::int64_t(stride_) * 8 + p.x() + view_.XShift();
    }
    std::uint64_t State(QPoint p, int d) const {
        return std::uint64_t(BitOf(p)) << 4 | unsigned(d);
    }

    // The backward follower's state at a start with neighbours startSet and search start d:
    // where the walk from there would come back to it.
    static unsigned BackwardStart(unsigned startSet, int d) {
        const int first = Clockwise.first[startSet][d];
        return unsigned(FirstCounterClockwise(startSet, first == 1 ? 8 : first - 1) % 8 + 1);
    }

    // Toward the start (FollowPlanePacked's walk): the forward follower closes the walk where
    // it comes back to the start's pixel, and a backward follower that reaches it, or can go
    // no further, stops. Toward a seed: the backward follower comes from a state of the walk
    // further on; where it cannot go on, it waits there, still to be met, and met is set when
    // the forward follower meets it. A forward follower that comes back to the start's pixel
    // first has made the whole walk. Every position after the forward follower's first is
    // appended to points, up to the state where the two meet; the backward follower's first
    // is not.
    template <bool toSeed>
    FollowResult Walk(std::uint64_t forward, QPoint forwardAt, std::uint64_t backward,
                      QPoint backwardAt, PointVector& points, std::vector<QPoint>& buffer,
                      bool& met) {
        WalkProgress progress(forward, PackedPoint(forwardAt), backward, PackedPoint(backwardAt));
        WalkStop stop = WalkStop::Ended;
        return Walk<toSeed>(progress, points, buffer, met, {}, stop);
    }
    // The same from the followers' states in progress, which are left as the walk leaves them.
    // Where limited, limit.rounds are the rounds (a step of each follower) after which the walk
    // pauses, its forward points appended to points and its backward ones put in
    // progress.behind, and limit.cancel, when set, is asked every few thousand rounds. (Walks
    // without a limit keep the loop as lean as it can be.)
    template <bool toSeed, bool limited = false>
    FollowResult Walk(WalkProgress& progress, PointVector& points, std::vector<QPoint>& buffer,
                      bool& met, WalkLimit limit, WalkStop& stop);

private:
    const BitPlane& plane_;
    const PackedSteps& steps_;
    const PlaneLayout view_;
    const std::uintptr_t origin_;
    const std::size_t stride_;
    const unsigned insideWidth_, insideHeight_;
    const std::int64_t startBit_;
};

template <bool toSeed, bool limited>
FollowResult PackedWalker::Walk(WalkProgress& progress, PointVector& points,
                                std::vector<QPoint>& buffer, bool& met, WalkLimit limit,
                                WalkStop& stop) {
    met = false;
    stop = WalkStop::Ended;
    std::uint64_t forward = progress.forward, backward = progress.backward;
    // The layout in locals, which the loop keeps in registers: its stores of points could
    // alias members.
    const BitPlane& plane = plane_;
    const PackedSteps& steps = steps_;
    const std::uintptr_t origin = origin_;
    const std::size_t stride = stride_;
    const unsigned insideWidth = insideWidth_, insideHeight = insideHeight_;
    const std::int64_t startBit = startBit_;
    const auto load = [](std::uintptr_t at) {
        std::uint64_t v;
        std::memcpy(&v, reinterpret_cast<const void*>(at), 8);
        return v;
    };
    // The 3 × 3 block round a pixel, as PlaneLayout::InsideBlock reads it.
    const auto block = [&](std::int64_t bit, std::uint64_t point) -> unsigned {
        const int x = int(std::uint32_t(point)), y = int(std::uint32_t(point >> 32));
        if (unsigned(x - 3) >= insideWidth || unsigned(y - 3) >= insideHeight)
            return plane.InsideBlock(x, y);
        const std::int64_t i = bit - 1;
        const unsigned s = unsigned(i) & 7;
        const std::uintptr_t at = origin + std::uintptr_t(i >> 3);
        return unsigned(load(at - stride) >> s & 7) | unsigned(load(at) >> s & 7) << 3 |
               unsigned(load(at + stride) >> s & 7) << 6;
    };
    // As FollowPlane: every second step a follower asks for the rows it will read 16 steps on.
    struct Trail {
        std::int64_t past[8];
        unsigned next = 0;
    };
    const auto ahead = [&](Trail& trail, std::int64_t bit) {
        if ((++trail.next & 1) != 0) return;
        std::int64_t& then = trail.past[(trail.next >> 1) % 8];
        const std::uintptr_t at = origin + std::uintptr_t((2 * bit - then) >> 3);
        __builtin_prefetch(reinterpret_cast<const void*>(at - stride));
        __builtin_prefetch(reinterpret_cast<const void*>(at));
        __builtin_prefetch(reinterpret_cast<const void*>(at + stride));
        then = bit;
    };
    Trail forwardTrail, backwardTrail;
    for (int k = 0; k < 8; ++k) {
        forwardTrail.past[k] = std::int64_t(forward) >> 4;
        backwardTrail.past[k] = std::int64_t(backward) >> 4;
    }
    if (buffer.size() < 4096) buffer.resize(4096);
    QPoint* front = buffer.data();
    QPoint* back = buffer.data() + buffer.size();
    const auto grow = [&] {
        const std::size_t ahead = std::size_t(front - buffer.data());
        const std::size_t behind = std::size_t(buffer.data() + buffer.size() - back);
        buffer.resize(2 * buffer.size());
        QPoint* end = buffer.data() + buffer.size();
        std::memmove(static_cast<void*>(end - behind), buffer.data() + buffer.size() / 2 - behind,
                     behind * sizeof(QPoint));
        front = buffer.data() + ahead;
        back = end - behind;
    };
    std::uint64_t forwardPoint = progress.forwardPoint, backwardPoint = progress.backwardPoint;
    bool backwardOn = progress.backwardOn;
    RepeatGuard<std::uint64_t> repeat = progress.repeat; // in registers, not through progress
    const auto finish = [&](FollowResult result, bool meeting) {
        points.insert(points.end(), buffer.data(), front);
        if (meeting) points.insert(points.end(), back, buffer.data() + buffer.size());
        met = meeting;
        progress.forward = forward;
        progress.backward = backward;
        progress.forwardPoint = forwardPoint;
        progress.backwardPoint = backwardPoint;
        progress.backwardOn = backwardOn;
        progress.repeat = repeat;
        return result;
    };
    // Rounds to go before the limit is looked at again.
    constexpr std::size_t Between = 4096;
    std::size_t rounds = limit.rounds, left = std::min(rounds, Between);
    for (;;) {
        if (limited && --left == 0) {
            rounds -= std::min(rounds, Between);
            if (limit.cancel != nullptr && limit.cancel->load(std::memory_order_relaxed)) {
                stop = WalkStop::Cancelled;
                return finish(FollowResult::Stuck, false);
            }
            if (rounds == 0) {
                stop = WalkStop::Paused;
                progress.behind.assign(back, buffer.data() + buffer.size());
                return finish(FollowResult::Stuck, false);
            }
            left = std::min(rounds, Between);
        }
        const unsigned backD = unsigned(backward & 15);
        const std::int64_t beforeBit = (std::int64_t(backward) >> 4) + steps.before_[backD];
        const std::uint64_t beforePoint = backwardPoint + steps.beforePoint_[backD];
        const std::int32_t forwardStep =
            steps.forward_[forward & 15][block(std::int64_t(forward) >> 4, forwardPoint)];
        const std::int32_t backwardStep =
            backwardOn ? steps.backward_[backD][block(beforeBit, beforePoint)] : 0;
        if (forwardStep == 0) return finish(FollowResult::Stuck, false);
        forward += std::uint64_t(std::int64_t(forwardStep >> 4));
        forwardPoint += steps.movePoint_[forwardStep & 15];
        const std::int64_t forwardBit = std::int64_t(forward) >> 4;
        ahead(forwardTrail, forwardBit);
        if (forwardBit == startBit) return finish(FollowResult::Closed, false);
        // A backward follower that waits is still to be met on the way to the seed.
        if ((toSeed || backwardOn) && forward == backward)
            return finish(FollowResult::Closed, true);
        *front++ = Unpacked(forwardPoint);
        if (front == back) grow();
        if (repeat.Repeats(forward)) return finish(FollowResult::Endless, false);
        if (!backwardOn) continue;
        if (backwardStep == 0) {
            backwardOn = false;
            continue;
        }
        const std::uint64_t was = backward;
        backward += std::uint64_t(std::int64_t(backwardStep));
        const std::int64_t backwardBit = std::int64_t(backward) >> 4;
        if (backwardBit == startBit) {
            backwardOn = false;
            if (toSeed) backward = was; // the walk from the start comes this way
            continue;
        }
        backwardPoint = beforePoint;
        ahead(backwardTrail, backwardBit);
        if (forward == backward) return finish(FollowResult::Closed, true);
        *--back = Unpacked(backwardPoint);
        if (front == back) grow();
    }
}

namespace {

// Whether the packed walk serves this plane (else FollowPlane does).
bool Packs(const BitPlane& plane, const PackedSteps& steps) {
    return steps.Fits() && steps.RowBytes() == plane.RowBytes();
}

// The start's neighbours, or none where a walk from it is Stuck at once.
unsigned StartNeighbours(const BitPlane& plane, QPoint start) {
    return plane.Inside(start.x(), start.y()) ? plane.InsideNeighbours(start.x(), start.y()) : 0;
}

} // namespace

FollowResult FollowPlanePacked(const BitPlane& plane, const PackedSteps& steps, QPoint start, int d,
                               PointVector& points, std::vector<QPoint>& buffer) {
    if (!Packs(plane, steps))
        return FollowPlane(plane, start, d, [&points](QPoint p) { points.push_back(p); });
    const unsigned startSet = StartNeighbours(plane, start);
    if (startSet == 0) return FollowResult::Stuck;
    PackedWalker walker(plane, steps, start);
    bool met = false;
    return walker.Walk<false>(walker.State(start, d), start,
                              walker.State(start, int(PackedWalker::BackwardStart(startSet, d))),
                              start, points, buffer, met);
}

FollowResult FollowPackedToSeed(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                                int d, QPoint seed, int seedD, PointVector& points,
                                std::vector<QPoint>& buffer, bool& reached) {
    reached = false;
    if (!Packs(plane, steps) || !plane.Inside(seed.x(), seed.y()))
        return FollowPlanePacked(plane, steps, start, d, points, buffer);
    if (StartNeighbours(plane, start) == 0) return FollowResult::Stuck;
    PackedWalker walker(plane, steps, start);
    return walker.Walk<true>(walker.State(start, d), start, walker.State(seed, seedD), seed, points,
                             buffer, reached);
}

FollowResult FollowPackedFromSeed(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                                  int d, QPoint seed, int seedD, PointVector& points,
                                  std::vector<QPoint>& buffer) {
    if (!Packs(plane, steps) || !plane.Inside(seed.x(), seed.y()) || seed == start)
        return FollowResult::Stuck;
    const unsigned startSet = StartNeighbours(plane, start);
    if (startSet == 0) return FollowResult::Stuck;
    PackedWalker walker(plane, steps, start);
    bool met = false;
    return walker.Walk<false>(walker.State(seed, seedD), seed,
                              walker.State(start, int(PackedWalker::BackwardStart(startSet, d))),
                              start, points, buffer, met);
}

FollowResult FollowPackedFor(const BitPlane& plane, const PackedSteps& steps, QPoint start, int d,
                             std::size_t rounds, PointVector& points, std::vector<QPoint>& buffer,
                             WalkProgress& progress, WalkStop& stop) {
    stop = WalkStop::Ended;
    if (!Packs(plane, steps)) return FollowPlanePacked(plane, steps, start, d, points, buffer);
    const unsigned startSet = StartNeighbours(plane, start);
    if (startSet == 0) return FollowResult::Stuck;
    PackedWalker walker(plane, steps, start);
    const std::uint64_t at = PackedPoint(start);
    progress = WalkProgress(walker.State(start, d), at,
                            walker.State(start, int(PackedWalker::BackwardStart(startSet, d))), at);
    bool met = false;
    return walker.Walk<false, true>(progress, points, buffer, met, {rounds}, stop);
}

FollowResult GoOnAlone(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                       WalkProgress& progress, PointVector& points, std::vector<QPoint>& buffer) {
    PackedWalker walker(plane, steps, start);
    bool met = false;
    WalkStop stop = WalkStop::Ended;
    const FollowResult result = walker.Walk<false>(progress, points, buffer, met, {}, stop);
    if (met) points.insert(points.end(), progress.behind.begin(), progress.behind.end());
    return result;
}

FollowResult GoOnToSeed(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                        WalkProgress& progress, QPoint seed, int seedD, PointVector& points,
                        std::vector<QPoint>& buffer, bool& reached) {
    reached = false;
    if (!plane.Inside(seed.x(), seed.y()))
        return GoOnAlone(plane, steps, start, progress, points, buffer);
    PackedWalker walker(plane, steps, start);
    // The forward follower goes on as it was, its repeat guard too; the backward one comes
    // from the seed.
    WalkProgress toSeed(progress.forward, progress.forwardPoint, walker.State(seed, seedD),
                        PackedPoint(seed));
    toSeed.repeat = progress.repeat;
    WalkStop stop = WalkStop::Ended;
    return walker.Walk<true>(toSeed, points, buffer, reached, {}, stop);
}

FollowResult GoOnFromSeed(const BitPlane& plane, const PackedSteps& steps, QPoint start,
                          const WalkProgress& progress, QPoint seed, int seedD, PointVector& points,
                          std::vector<QPoint>& buffer, const std::atomic<bool>* cancel, bool& met) {
    met = false;
    if (!plane.Inside(seed.x(), seed.y()) || seed == start) return FollowResult::Stuck;
    PackedWalker walker(plane, steps, start);
    WalkProgress fromSeed(walker.State(seed, seedD), PackedPoint(seed), progress.backward,
                          progress.backwardPoint);
    fromSeed.backwardOn = progress.backwardOn;
    WalkStop stop = WalkStop::Ended;
    const FollowResult result =
        walker.Walk<false, true>(fromSeed, points, buffer, met, {.cancel = cancel}, stop);
    return stop == WalkStop::Cancelled ? FollowResult::Stuck : result;
}

} // namespace raster
