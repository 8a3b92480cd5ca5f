// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A growable list of raster points (column, row). Writing index i makes the list at least
// i + 1 long; a point that was never written since the last Release() reads as (0, 0).
// The list keeps no count of its own: its owner keeps one, which may lag behind or run
// ahead of what is stored (reads past the stored points still give (0, 0)).

#include "platform/HugePageAllocator.h"

#include <QPoint>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace raster {

// Points of a whole boundary. Thinning fills lists of millions of points in one command:
// in huge pages they cost a few page faults instead of one every 512 points.
using PointVector = std::vector<QPoint, platform::HugePageAllocator<QPoint>>;

// A point's two coordinates as one word: x in the low half, y in the high half.
inline std::uint64_t PackedPoint(QPoint p) {
    static_assert(sizeof(QPoint) == sizeof(std::uint64_t));
    std::uint64_t v;
    std::memcpy(&v, &p, sizeof v);
    return v;
}

class PointList {
public:
    void Put(std::size_t i, QPoint p) {
        if (i == points_.size()) {
            points_.push_back(p);
            return;
        }
        if (i > points_.size()) points_.resize(i + 1);
        points_[i] = p;
    }
    QPoint Get(std::size_t i) const { return i < points_.size() ? points_[i] : QPoint(0, 0); }
    // Exchanges the stored points with points, in place of copying a long list: afterwards
    // the list holds points' points and nothing past them.
    void Swap(PointVector& points) { points_.swap(points); }
    void Swap(PointList& other) { points_.swap(other.points_); }
    // points becomes Get(0) … Get(count − 1).
    void GetAll(std::size_t count, PointVector& points) const {
        const std::size_t stored = std::min(count, points_.size());
        points.assign(points_.begin(), points_.begin() + std::ptrdiff_t(stored));
        points.resize(count, QPoint(0, 0));
    }
    // The points written so far, for passes over all of them.
    const QPoint* Data() const { return points_.data(); }
    std::size_t Stored() const { return points_.size(); }
    // Forgets every point; storage for more than Kept points goes back to the system.
    void Release();
    // 16 MB: growing a list again from nothing would cost a page fault every 512 points.
    static constexpr std::size_t Kept = std::size_t(1) << 21;

private:
    PointVector points_;
};

} // namespace raster
