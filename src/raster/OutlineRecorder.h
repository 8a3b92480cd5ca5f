// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Records the outlines a loop makes one object after another without holding the loop up:
// a long outline is recorded on the side thread from a list of its own (the loop's contour
// list trades its storage for that list's, which costs nothing); short outlines wait in a
// queue as copies (a copy costs a fraction of recording), and a queue of many points is
// recorded on the side thread too, as a whole, once it is idle. Everything is recorded in
// turn, and comes out the same as recording each outline at once.
//
// The loop must not use the recorded outlines, nor post other work to the side thread without
// waiting for it, until Finish.

#include "raster/PointList.h"
#include "raster/RecordedOutlines.h"
#include "raster/SideThread.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace raster {

class OutlineRecorder {
public:
    // Outlines of at least longOutline points go to the side thread one by one, shorter
    // ones once at least as many points wait.
    OutlineRecorder(RecordedOutlines& recorded, SideThread& side, std::size_t longOutline)
        : recorded_(recorded), side_(side), longOutline_(longOutline) {}
    // Waits for a recording still under way (the loop left by an exception): the side thread
    // reads this recorder's list.
    ~OutlineRecorder();
    OutlineRecorder(const OutlineRecorder&) = delete;
    OutlineRecorder& operator=(const OutlineRecorder&) = delete;

    // Records contour[0 .. count) as object index's outline. A long one leaves contour holding
    // other points until ContourReplaced or Finish.
    void Record(int index, PointList& contour, std::size_t count, std::uint64_t marked);
    // The loop wrote a new list into contour: the one recorded aside is no longer its.
    void ContourReplaced() { holdsContour_ = false; }
    // Waits for the side thread and records what waits; contour gets back the outline last
    // recorded aside if the loop has not replaced it since.
    void Finish(PointList& contour);

private:
    struct Queued {
        int index;
        std::size_t first, stored, count; // stored: the points copied from first on
        std::uint64_t marked;
    };
    struct Queue {
        std::vector<Queued> outlines;
        PointVector points;
    };
    static void RecordAll(RecordedOutlines& recorded, Queue& queue);
    // Hands the queue to the side thread once the job before has ended.
    void PostQueue();

    RecordedOutlines& recorded_;
    SideThread& side_;
    const std::size_t longOutline_;
    PointList aside_;           // the long outline being recorded on the side thread
    bool holdsContour_ = false; // aside_ holds what the loop's contour list should
    Queue queue_, posted_;      // waiting; being recorded on the side thread
};

} // namespace raster
