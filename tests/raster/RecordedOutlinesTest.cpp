// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/RecordedOutlines.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

std::vector<QPoint> Read(const raster::RecordedOutlines& outlines, int index) {
    std::vector<QPoint> points;
    outlines.ForEachPoint(index, [&points](QPoint p) { points.push_back(p); });
    return points;
}

raster::PointList ListOf(const std::vector<QPoint>& points) {
    raster::PointList list;
    for (std::size_t i = 0; i < points.size(); ++i) list.Put(i, points[i]);
    return list;
}

// A chain of neighbour steps with a jump now and then, far off as well as near.
std::vector<QPoint> RandomChain(std::mt19937& random, std::size_t length) {
    std::vector<QPoint> chain{QPoint(int(random() % 5000), int(random() % 5000))};
    while (chain.size() < length) {
        const QPoint last = chain.back();
        if (random() % 50 == 0)
            chain.push_back(QPoint(int(random() % 100000) - 50000, int(random() % 5000)));
        else
            chain.push_back(last + QPoint(int(random() % 3) - 1, int(random() % 3) - 1));
    }
    return chain;
}

} // namespace

TEST(RecordedOutlines, GivesBackEveryPointOfStepsAndJumps) {
    std::mt19937 random(7);
    raster::RecordedOutlines outlines;
    std::vector<std::vector<QPoint>> chains;
    for (int i = 0; i < 20; ++i) {
        chains.push_back(RandomChain(random, 1 + random() % 3000));
        outlines.Put(i, ListOf(chains.back()), chains.back().size(), std::uint64_t(i));
    }
    // Replacing outlines leaves garbage behind, which is compacted away meanwhile.
    for (int round = 0; round < 5; ++round)
        for (int i = 0; i < 20; i += 2) {
            chains[std::size_t(i)] = RandomChain(random, 1 + random() % 3000);
            outlines.Put(i, ListOf(chains[std::size_t(i)]), chains[std::size_t(i)].size(), 0);
        }
    ASSERT_EQ(outlines.Size(), 20);
    // A copy keeps what it was given while the outlines it came from are dropped, replaced
    // and compacted.
    const raster::RecordedOutlines copy = outlines;
    outlines.Truncate(12);
    for (int i = 1; i < 12; i += 2) {
        chains[std::size_t(i)] = RandomChain(random, 1 + random() % 3000);
        outlines.Put(i, ListOf(chains[std::size_t(i)]), chains[std::size_t(i)].size(), 0);
    }
    ASSERT_EQ(outlines.Size(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(outlines.PointCount(i), chains[std::size_t(i)].size());
        EXPECT_EQ(Read(outlines, i), chains[std::size_t(i)]) << "object " << i;
    }
    ASSERT_EQ(copy.Size(), 20);
    for (int i = 12; i < 20; ++i)
        EXPECT_EQ(Read(copy, i), chains[std::size_t(i)]) << "object " << i;
}

TEST(RecordedOutlines, PointsNeverWrittenReadAsOrigin) {
    raster::RecordedOutlines outlines;
    const raster::PointList list = ListOf({QPoint(3, 3), QPoint(4, 3)});
    outlines.Put(0, list, 4, 0); // two points more than the list holds
    EXPECT_EQ(Read(outlines, 0),
              (std::vector<QPoint>{QPoint(3, 3), QPoint(4, 3), QPoint(0, 0), QPoint(0, 0)}));
    outlines.Put(2, list, 2, 0); // beyond the next index: ignored
    EXPECT_EQ(outlines.Size(), 1);
}
