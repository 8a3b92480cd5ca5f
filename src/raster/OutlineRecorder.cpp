// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/OutlineRecorder.h"

#include <algorithm>

namespace raster {

void OutlineRecorder::Record(int index, PointList& contour, std::size_t count,
                             std::uint64_t marked) {
    if (count >= longOutline_) {
        side_.Wait();
        RecordQueued();
        aside_.Swap(contour);
        holdsContour_ = true;
        side_.Post([this, index, count, marked] { recorded_.Put(index, aside_, count, marked); });
        return;
    }
    if (side_.Done()) {
        RecordQueued();
        recorded_.Put(index, contour, count, marked);
        return;
    }
    const std::size_t stored = std::min(count, contour.Stored());
    queued_.push_back({index, queuedPoints_.size(), stored, count, marked});
    queuedPoints_.insert(queuedPoints_.end(), contour.Data(), contour.Data() + stored);
}

OutlineRecorder::~OutlineRecorder() {
    try {
        side_.Wait();
    } catch (...) {
        // The loop is already being left by an exception of its own.
    }
}

void OutlineRecorder::RecordQueued() {
    for (const Queued& q : queued_)
        recorded_.Put(q.index, queuedPoints_.data() + q.first, q.stored, q.count, q.marked);
    queued_.clear();
    queuedPoints_.clear();
}

void OutlineRecorder::Finish(PointList& contour) {
    side_.Wait();
    RecordQueued();
    if (holdsContour_) contour.Swap(aside_);
    holdsContour_ = false;
}

} // namespace raster
