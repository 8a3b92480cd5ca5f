// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Walks on a plane that stays as it is, from many starts whose walks run round the same long
// boundary. After thinning, every object whose outline touches a hatched area's thinned
// network traces the whole network, hundreds of thousands of points each time.
//
// A step depends on nothing but the follower's state (pixel and search start) and the
// plane, so from a state that an earlier walk passed, a walk goes on as that one went. The
// states of a long closed walk are kept once, as the cycle they form, and a later walk whose
// first step lands on a kept state is read off the cycle, up to its return to its start.
//
// Cost: a walk that enters no kept cycle costs FollowPlanePacked's; keeping its cycle costs
// walking the rest of the cycle and a hash entry a state; reading a walk off a cycle costs a
// scan of the positions up to its end and a copy of its steps. Memory: 33 to 57 bytes a kept
// state, while the follower lasts.

#include "raster/PackedFollower.h"

#include <QPoint>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace raster {

class CycleFollower {
public:
    // The plane must not change while the follower is in use. Closed walks of at least
    // keptLength points have their cycles kept.
    CycleFollower(const BitPlane& plane, std::size_t keptLength);

    // FollowPlane(plane, start, 2, ...)'s result. For a closed walk, steps (cleared first)
    // gets its points after the start as moves, (dy + 1) × 3 + dx + 1 from each point to
    // the next beginning at the start, and last its final point; otherwise both are left
    // alone.
    FollowResult Follow(QPoint start, std::vector<std::uint8_t>& steps, QPoint& last);
    // The same when the walk's first step lands on a kept cycle; false (nothing written)
    // otherwise. It only reads the cycles: threads may call it at once, while no Follow runs.
    bool ReadOff(QPoint start, std::vector<std::uint8_t>& steps, QPoint& last,
                 FollowResult& result) const;

    std::size_t KeptCycles() const { return cycles_.size(); }
    std::size_t WalksReadOff() const { return readOff_.load(std::memory_order_relaxed); }

private:
    struct Cycle {
        std::vector<QPoint> points;
        std::vector<std::uint8_t> moves; // moves[i]: from point i − 1 (cyclic) to point i
        std::vector<std::uint64_t> keys; // open addressing: a state's key, or Empty
        std::vector<std::uint32_t> at;   // the state's position in points
        std::size_t Find(std::uint64_t key) const;
    };
    static constexpr std::uint64_t Empty = ~std::uint64_t(0);
    static constexpr std::size_t None = ~std::size_t(0);
    // The cycle through the states of walked_, a closed walk from start.
    void Keep(QPoint start);
    FollowResult Read(const Cycle& cycle, std::size_t first, QPoint start,
                      std::vector<std::uint8_t>& steps, QPoint& last) const;

    const BitPlane& plane_;
    std::size_t keptLength_;
    PackedSteps packed_;
    PointVector walked_;
    std::vector<QPoint> buffer_;
    std::vector<Cycle> cycles_;
    mutable std::atomic<std::size_t> readOff_{0};
};

} // namespace raster
