// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The outline each recorded object was last given, by detection, contraction, enlargement
// or thinning: its points in order, kept as the first point and one byte a step (a step
// between neighbouring pixels; any other jump is kept whole). Vectorization follows these
// pixels only, so that an outline whose marks touch another's is not followed into it.
//
// Coordinates are raster pixels. Memory: about one byte a point.

#include "platform/GrowingBytes.h"
#include "raster/PointList.h"

#include <QPoint>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace raster {

class RecordedOutlines {
public:
    // Object index's outline becomes points[0 .. count) (index at most Size()), all of them
    // marked as of `marked` (a count of the operations that may clear marks).
    void Put(int index, const PointList& points, std::size_t count, std::uint64_t marked) {
        Put(index, points.Data(), points.Stored(), count, marked);
    }
    // The same from the first `stored` points of an array (the points after them read as
    // (0, 0), as a list's points never written do).
    void Put(int index, const QPoint* points, std::size_t stored, std::size_t count,
             std::uint64_t marked);
    // Forgets the outlines of objects count and after.
    void Truncate(int count);
    void Clear();
    int Size() const { return int(entries_.size()); }
    bool Has(int index) const { return index >= 0 && index < Size(); }
    std::size_t PointCount(int index) const { return entries_[std::size_t(index)].count; }
    QPoint Start(int index) const { return entries_[std::size_t(index)].start; }
    std::uint64_t Marked(int index) const { return entries_[std::size_t(index)].marked; }

    // Calls visit(QPoint) for every point of object index's outline, in order.
    template <class Visit> void ForEachPoint(int index, Visit&& visit) const {
        const Entry& e = entries_[std::size_t(index)];
        if (e.count == 0) return;
        QPoint p = e.start;
        visit(p);
        const std::uint8_t* step = steps_.data() + e.offset;
        for (std::size_t i = 1; i < e.count; ++i) {
            const std::uint8_t code = *step++;
            if (code == Jump) {
                std::int32_t xy[2];
                std::memcpy(xy, step, sizeof xy);
                step += sizeof xy;
                p = QPoint(xy[0], xy[1]);
            } else {
                p += QPoint(code % 3 - 1, code / 3 - 1);
            }
            visit(p);
        }
    }

private:
    static constexpr std::uint8_t Jump = 9; // followed by the point's two coordinates
    struct Entry {
        QPoint start;
        std::size_t offset = 0, count = 0, bytes = 0;
        std::uint64_t marked = 0;
    };
    void Compact();

    std::vector<Entry> entries_;
    // Thinning can add tens of megabytes of steps, a long outline at a time: they grow
    // without being copied, in huge pages.
    platform::GrowingBytes steps_;
    std::size_t garbage_ = 0; // bytes of steps_ no entry uses any more
};

} // namespace raster
