// SPDX-License-Identifier: GPL-3.0-or-later
// Outlines recorded beside a loop come out as recording each at once would make them, also
// when short ones must wait for a long one, and the loop's contour list ends as it should.
#include "raster/OutlineRecorder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

raster::PointList Chain(int length, int y) {
    raster::PointList list;
    for (int i = 0; i < length; ++i) list.Put(std::size_t(i), QPoint(10 + i, y + i % 2));
    return list;
}

std::vector<QPoint> Read(const raster::RecordedOutlines& outlines, int index) {
    std::vector<QPoint> points;
    outlines.ForEachPoint(index, [&points](QPoint p) { points.push_back(p); });
    return points;
}

} // namespace

TEST(OutlineRecorder, RecordsAsInTurnWhileShortOutlinesWaitForLongOnes) {
    const int lengths[] = {5, 300, 7, 1, 450, 3, 12, 200, 9};
    raster::RecordedOutlines inTurn, beside;
    raster::SideThread side;
    raster::OutlineRecorder recorder(beside, side, 100);
    raster::PointList contour;
    std::atomic<bool> release{false};
    for (int i = 0; i < int(std::size(lengths)); ++i) {
        contour = Chain(lengths[i], i);
        recorder.ContourReplaced();
        // One more point than the list holds reads as (0, 0) either way.
        const std::size_t count = std::size_t(lengths[i]) + (i == 6 ? 1 : 0);
        inTurn.Put(i, contour, count, std::uint64_t(i));
        // Keep the side thread busy after the first long outline, so that the short ones
        // after it queue up.
        if (i == 2) {
            side.Wait();
            side.Post([&release] {
                while (!release.load()) std::this_thread::yield();
            });
        }
        if (i == 4) release = true;
        recorder.Record(i, contour, count, std::uint64_t(i));
    }
    recorder.Finish(contour);
    // The last outline was short: the contour list still holds it.
    EXPECT_EQ(contour.Stored(), 9u);
    EXPECT_EQ(contour.Get(8), QPoint(18, 8));
    ASSERT_EQ(beside.Size(), inTurn.Size());
    for (int i = 0; i < inTurn.Size(); ++i) {
        EXPECT_EQ(beside.PointCount(i), inTurn.PointCount(i));
        EXPECT_EQ(beside.Marked(i), inTurn.Marked(i));
        EXPECT_EQ(Read(beside, i), Read(inTurn, i)) << "object " << i;
    }

    // A long outline recorded last comes back into the contour list, unless the loop has
    // written the list since.
    contour = Chain(150, 9);
    recorder.ContourReplaced();
    recorder.Record(9, contour, 150, 0);
    recorder.Finish(contour);
    EXPECT_EQ(contour.Stored(), 150u);
    EXPECT_EQ(contour.Get(149), QPoint(159, 10));
    recorder.Record(10, contour, 150, 0);
    contour = Chain(4, 0);
    recorder.ContourReplaced();
    recorder.Finish(contour);
    EXPECT_EQ(contour.Stored(), 4u);
    EXPECT_EQ(Read(beside, 10), Read(beside, 9));
}

// Short outlines adding up to many points are recorded on the side thread a queue at a time,
// between long ones and while the loop's own jobs hold the side thread up now and then.
TEST(OutlineRecorder, QueuesOfShortOutlinesAreRecordedAsInTurn) {
    raster::RecordedOutlines inTurn, beside;
    raster::SideThread side;
    raster::OutlineRecorder recorder(beside, side, 100);
    raster::PointList contour;
    int posted = 0;
    for (int i = 0; i < 300; ++i) {
        const int length = i % 50 == 49 ? 120 : 1 + i % 13;
        contour = Chain(length, i);
        recorder.ContourReplaced();
        inTurn.Put(i, contour, std::size_t(length), std::uint64_t(i));
        if (i % 7 == 0) { // a job of the loop's own
            side.Post([&posted] { ++posted; });
            if (i % 21 == 0) side.Wait();
        }
        recorder.Record(i, contour, std::size_t(length), std::uint64_t(i));
    }
    recorder.Finish(contour);
    EXPECT_EQ(posted, 43);
    ASSERT_EQ(beside.Size(), inTurn.Size());
    for (int i = 0; i < inTurn.Size(); ++i) {
        EXPECT_EQ(beside.Marked(i), inTurn.Marked(i));
        ASSERT_EQ(Read(beside, i), Read(inTurn, i)) << "object " << i;
    }
}

// A loop left early (by an exception) still waits for the recording under way, which reads
// the recorder's own list (the sanitizers catch a read of it after it has gone).
TEST(OutlineRecorder, LeavingEarlyWaitsForTheRecordingUnderWay) {
    raster::RecordedOutlines recorded;
    raster::SideThread side;
    {
        raster::OutlineRecorder recorder(recorded, side, 100);
        raster::PointList contour = Chain(200000, 0);
        recorder.Record(0, contour, 200000, 0);
    }
    side.Wait();
    ASSERT_EQ(recorded.Size(), 1);
    EXPECT_EQ(recorded.PointCount(0), 200000u);
}
