// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/OutlineRecorder.h"

#include <algorithm>

namespace raster {

void OutlineRecorder::Record(int index, PointList& contour, std::size_t count,
                             std::uint64_t marked) {
    if (count >= longOutline_) {
        if (!queue_.outlines.empty()) PostQueue();
        side_.Wait();
        aside_.Swap(contour);
        holdsContour_ = true;
        side_.Post([this, index, count, marked] { recorded_.Put(index, aside_, count, marked); });
        return;
    }
    const std::size_t stored = std::min(count, contour.Stored());
    queue_.outlines.push_back({index, queue_.points.size(), stored, count, marked});
    queue_.points.insert(queue_.points.end(), contour.Data(), contour.Data() + stored);
    if (queue_.points.size() >= longOutline_ && side_.Done()) PostQueue();
}

OutlineRecorder::~OutlineRecorder() {
    try {
        side_.Wait();
    } catch (...) {
        // The loop is already being left by an exception of its own.
    }
}

void OutlineRecorder::RecordAll(RecordedOutlines& recorded, Queue& queue) {
    for (const Queued& q : queue.outlines)
        recorded.Put(q.index, queue.points.data() + q.first, q.stored, q.count, q.marked);
    queue.outlines.clear();
    queue.points.clear();
}

void OutlineRecorder::PostQueue() {
    side_.Wait();
    std::swap(queue_, posted_); // the queue keeps the storage the side thread has finished with
    side_.Post([this] { RecordAll(recorded_, posted_); });
}

void OutlineRecorder::Finish(PointList& contour) {
    side_.Wait();
    RecordAll(recorded_, queue_);
    if (holdsContour_) contour.Swap(aside_);
    holdsContour_ = false;
}

} // namespace raster
