// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/CycleFollower.h"

#include <bit>

namespace raster {

namespace {

std::uint8_t Move(QPoint from, QPoint to) {
    const QPoint d = to - from;
    return std::uint8_t((d.y() + 1) * 3 + d.x() + 1);
}

// The search start after a move: the direction the move came from, turned on (NextStart).
int SearchStartAfter(std::uint8_t move) {
    return NextStart(MoveDirection[move]);
}

// A follower state as one word; rows below 2^28.
std::uint64_t Key(QPoint p, int d) {
    return std::uint64_t(std::uint32_t(p.y())) << 36 | std::uint64_t(std::uint32_t(p.x())) << 4 |
           std::uint64_t(d);
}

std::size_t Slot(std::uint64_t key, std::size_t size) {
    return std::size_t((key * 0x9E3779B97F4A7C15u) >> (64 - std::countr_zero(size)));
}

} // namespace

CycleFollower::CycleFollower(const BitPlane& plane, std::size_t keptLength)
    : plane_(plane), keptLength_(keptLength), packed_(plane.RowBytes()) {}

std::size_t CycleFollower::Cycle::Find(std::uint64_t key) const {
    for (std::size_t s = Slot(key, keys.size());; s = (s + 1) & (keys.size() - 1)) {
        if (keys[s] == key) return at[s];
        if (keys[s] == Empty) return None;
    }
}

bool CycleFollower::ReadOff(QPoint start, std::vector<std::uint8_t>& steps, QPoint& last,
                            FollowResult& result) const {
    if (cycles_.empty() || !plane_.Inside(start.x(), start.y()) ||
        plane_.InsideNeighbours(start.x(), start.y()) == 0)
        return false;
    // The first step is FollowPlane's from the start with search start 2.
    QPoint first = start;
    int d = 2;
    if (!StepPlane(plane_, first, d)) return false;
    const std::uint64_t key = Key(first, d);
    for (const Cycle& cycle : cycles_)
        if (const std::size_t at = cycle.Find(key); at != None) {
            result = Read(cycle, at, start, steps, last);
            return true;
        }
    return false;
}

FollowResult CycleFollower::Follow(QPoint start, std::vector<std::uint8_t>& steps, QPoint& last) {
    FollowResult result;
    if (ReadOff(start, steps, last, result)) return result;
    walked_.clear();
    result = FollowPlanePacked(plane_, packed_, start, 2, walked_, buffer_);
    if (result != FollowResult::Closed) return result;
    steps.resize(walked_.size());
    QPoint from = start;
    for (std::size_t i = 0; i < walked_.size(); ++i) {
        steps[i] = Move(from, walked_[i]);
        from = walked_[i];
    }
    last = from;
    if (!walked_.empty() && walked_.size() >= keptLength_) Keep(start);
    return result;
}

void CycleFollower::Keep(QPoint start) {
    // The walk's states are those of the cycle from its first one on; after its last point
    // the cycle goes on from the start's pixel until it comes back to the first state.
    Cycle cycle;
    cycle.points.assign(walked_.begin(), walked_.end());
    cycle.moves.reserve(walked_.size());
    cycle.moves.push_back(Move(start, walked_[0]));
    for (std::size_t i = 1; i < walked_.size(); ++i)
        cycle.moves.push_back(Move(walked_[i - 1], walked_[i]));
    const QPoint home = walked_[0];
    const int homeD = SearchStartAfter(cycle.moves[0]);
    QPoint p = start;
    int d = SearchStartAfter(Move(walked_.back(), start));
    const std::size_t limit = 4 * walked_.size() + 4096;
    while (p != home || d != homeD) {
        if (cycle.points.size() > limit) return;
        cycle.moves.push_back(Move(cycle.points.back(), p));
        cycle.points.push_back(p);
        if (!StepPlane(plane_, p, d)) return;
    }
    cycle.moves[0] = Move(cycle.points.back(), home);
    const std::size_t n = cycle.points.size();
    const std::size_t size = std::bit_ceil(2 * n);
    cycle.keys.assign(size, Empty);
    cycle.at.assign(size, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t key = Key(cycle.points[i], SearchStartAfter(cycle.moves[i]));
        std::size_t s = Slot(key, size);
        while (cycle.keys[s] != Empty) s = (s + 1) & (size - 1);
        cycle.keys[s] = key;
        cycle.at[s] = std::uint32_t(i);
    }
    cycles_.push_back(std::move(cycle));
}

FollowResult CycleFollower::Read(const Cycle& cycle, std::size_t first, QPoint start,
                                 std::vector<std::uint8_t>& steps, QPoint& last) const {
    // The walk goes round the cycle from its first state until it re-enters the start's
    // pixel; a cycle that never passes it is walked for ever.
    const std::vector<QPoint>& points = cycle.points;
    const std::size_t n = points.size();
    std::size_t end = first;
    for (std::size_t k = 0;; ++k) {
        if (k == n) return FollowResult::Endless;
        if (points[end] == start) break;
        end = end + 1 == n ? 0 : end + 1;
    }
    steps.clear();
    steps.push_back(Move(start, points[first]));
    const auto copy = [&](std::size_t from, std::size_t to) {
        steps.insert(steps.end(), cycle.moves.begin() + std::ptrdiff_t(from),
                     cycle.moves.begin() + std::ptrdiff_t(to));
    };
    if (end > first) {
        copy(first + 1, end);
    } else {
        copy(first + 1, n);
        copy(0, end);
    }
    last = points[end == 0 ? n - 1 : end - 1];
    readOff_.fetch_add(1, std::memory_order_relaxed);
    return FollowResult::Closed;
}

} // namespace raster
