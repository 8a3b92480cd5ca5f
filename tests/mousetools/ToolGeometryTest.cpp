// SPDX-License-Identifier: GPL-3.0-or-later
#include "mousetools/ToolGeometry.h"
#include "mousetools/SelectionEdits.h"
#include "platform/NumberFormat.h"

#include <gtest/gtest.h>

using namespace mousetools;

TEST(ToolGeometry, ScreenAngleCountsCounterClockwiseWithTheScreenYDown) {
    struct Case {
        int dx, dy;
        double degrees;
    };
    for (const Case c : {Case{10, 0, 0},
                         {0, -10, 90},
                         {-10, 0, 180},
                         {0, 10, 270},
                         {0, 0, 90},
                         {10, -10, 45},
                         {-10, -10, 135},
                         {-10, 10, 225},
                         {10, 10, 315}})
        EXPECT_DOUBLE_EQ(ScreenAngle(c.dx, c.dy), c.degrees) << c.dx << ", " << c.dy;
}

TEST(ToolGeometry, TextBoxStandsUpTheScreenPerpendicularToItsBaseLine) {
    using Box = std::array<QPoint, 5>;
    EXPECT_EQ(TextBoxCorners({0, 0}, {10, 0}, 6),
              (Box{{{0, 0}, {10, 0}, {10, -6}, {0, -6}, {0, 0}}}));
    EXPECT_EQ(TextBoxCorners({10, 0}, {0, 0}, 6),
              (Box{{{10, 0}, {0, 0}, {0, -6}, {10, -6}, {10, 0}}}));
    // A vertical base line has its box to the right; a single point none.
    EXPECT_EQ(TextBoxCorners({5, 0}, {5, 20}, 6),
              (Box{{{5, 0}, {5, 20}, {11, 20}, {11, 0}, {5, 0}}}));
    EXPECT_EQ(TextBoxCorners({5, 5}, {5, 5}, 6), (Box{{{5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}}}));
    // Diagonal: the offset (4.24, -4.24) rounds to (4, -4).
    EXPECT_EQ(TextBoxCorners({0, 0}, {10, 10}, 6),
              (Box{{{0, 0}, {10, 10}, {14, 6}, {4, -4}, {0, 0}}}));
}

// The steps are the 6-byte reals of 1.01, 0.99 and 0.01, and a circle's radius goes
// through the same type: the larger map difference, not the hypotenuse.
TEST(ToolGeometry, EditStepsAndCircleRadiusAreSixByteReals) {
    EXPECT_EQ(ScaleUpStep, platform::ReduceToReal48(1.01));
    EXPECT_EQ(ScaleDownStep, platform::ReduceToReal48(0.99));
    EXPECT_EQ(RotateStep, platform::ReduceToReal48(0.01));
    EXPECT_EQ(CircleRadius({0, 0, 0}, {15, 20, 0}), 20);
    EXPECT_EQ(CircleRadius({1, 1, 0}, {0.9, 1.05, 0}), platform::ReduceToReal48(0.1));
    EXPECT_NE(CircleRadius({1, 1, 0}, {0.9, 1.05, 0}), 1 - 0.9);
}

TEST(ToolGeometry, PaintAreaCoversThePenAroundThePoints) {
    const QPoint line[] = {{10, 20}, {30, 5}};
    EXPECT_EQ(PaintArea(line, 1), QRect(QPoint(9, 4), QPoint(31, 21)));
    EXPECT_EQ(PaintArea(line, 9), QRect(QPoint(5, 0), QPoint(35, 25)));
    EXPECT_TRUE(PaintArea({}, 1).isEmpty());
}

TEST(ToolGeometry, NearestSegmentIgnoresPointsOnASegmentAndFarOnes) {
    const drawing::Polyline_ p(drawing::WorldZAxis,
                               std::vector<drawing::Point3>{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, 1,
                               0, 1, 0, 0, true);
    EXPECT_EQ(SelectionEdits::NearestSegment(p, {5, 1, 0}), 1);
    EXPECT_EQ(SelectionEdits::NearestSegment(p, {9, 5, 0}), 2);
    // On the first segment's line: distance 0 does not count, so the second one is nearest.
    EXPECT_EQ(SelectionEdits::NearestSegment(p, {5, 0, 0}), 2);
    // The closing segment of a polygon is not examined; 1000 units away is too far.
    EXPECT_EQ(SelectionEdits::NearestSegment(p, {4, 5, 0}), 1);
    EXPECT_EQ(SelectionEdits::NearestSegment(p, {2000, 1001, 0}), -1);
}
