// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/RecordedOutlines.h"

#include <algorithm>
#include <cstring>

namespace raster {

void RecordedOutlines::Put(int index, const QPoint* points, std::size_t stored, std::size_t count,
                           std::uint64_t marked) {
    if (index < 0 || index > Size()) return;
    if (index == Size()) entries_.emplace_back();
    Entry& e = entries_[std::size_t(index)];
    garbage_ += e.bytes;
    // The newest outline's steps go to the end; what the replaced one used is reclaimed
    // once it is the larger part.
    e.offset = steps_.size();
    e.count = count;
    e.marked = marked;
    e.start = stored > 0 ? points[0] : QPoint(0, 0);
    QPoint last = e.start;
    const std::size_t n = std::min(count, stored);
    // One byte a step, written in place; a jump makes room for its coordinates.
    steps_.resize(e.offset + (count > 0 ? count - 1 : 0));
    std::uint8_t* out = steps_.data();
    std::size_t at = e.offset;
    for (std::size_t i = 1; i < count; ++i) {
        const QPoint p = i < n ? points[i] : QPoint(0, 0); // never written: (0, 0)
        const QPoint d = p - last;
        last = p;
        if (unsigned(d.x() + 1) <= 2 && unsigned(d.y() + 1) <= 2) {
            out[at++] = std::uint8_t((d.y() + 1) * 3 + d.x() + 1);
            continue;
        }
        steps_.resize(steps_.size() + 2 * sizeof(std::int32_t));
        out = steps_.data();
        out[at++] = Jump;
        const std::int32_t xy[2] = {p.x(), p.y()};
        std::memcpy(out + at, xy, sizeof xy);
        at += sizeof xy;
    }
    e.bytes = steps_.size() - e.offset;
    if (garbage_ > steps_.size() / 2) Compact();
}

void RecordedOutlines::Truncate(int count) {
    if (count < 0) count = 0;
    if (count >= Size()) return;
    for (std::size_t i = std::size_t(count); i < entries_.size(); ++i)
        garbage_ += entries_[i].bytes;
    entries_.resize(std::size_t(count));
    if (garbage_ > steps_.size() / 2) Compact();
}

void RecordedOutlines::Clear() {
    entries_.clear();
    steps_.clear();
    garbage_ = 0;
}

// In place, in the order the steps lie: each outline moves down (or stays), so nothing is
// overwritten before it has moved. A fresh copy would cost page faults for tens of
// megabytes, and thinning compacts every few long outlines.
void RecordedOutlines::Compact() {
    std::vector<Entry*> byOffset;
    byOffset.reserve(entries_.size());
    for (Entry& e : entries_) byOffset.push_back(&e);
    std::sort(byOffset.begin(), byOffset.end(),
              [](const Entry* a, const Entry* b) { return a->offset < b->offset; });
    std::size_t end = 0;
    for (Entry* e : byOffset) {
        if (e->bytes != 0) std::memmove(steps_.data() + end, steps_.data() + e->offset, e->bytes);
        e->offset = end;
        end += e->bytes;
    }
    steps_.resize(end);
    garbage_ = 0;
}

} // namespace raster
