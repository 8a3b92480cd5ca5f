// SPDX-License-Identifier: GPL-3.0-or-later
#include "WorkbenchFixture.h"
#include "raster/EdgeFollower.h"

#include <algorithm>
#include <gtest/gtest.h>

using workbench_testing::Sheet;

TEST(DetectEdge, TenByTenSquareInPureColour) {
    Sheet s(60, 60);
    s.Box(20, 20, 10, 10);
    ASSERT_TRUE(s.Click(22, 23));
    EXPECT_EQ(s.bench.ObjectCount(), 1);
    EXPECT_EQ(s.bench.ObjectStart(0), QPoint(20, 21)); // where the diagonal leaves the square
    EXPECT_EQ(s.bench.ContourCount(), 36u);
    EXPECT_EQ(s.bench.GetContourPoint(0), QPoint(20, 21));
    // Exactly the outline pixels are odd in blue, and nothing else changed.
    auto contour = s.Contour();
    auto marked = s.Marked(0);
    std::sort(contour.begin(), contour.end(),
              [](QPoint a, QPoint b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
    EXPECT_EQ(marked, contour);
    EXPECT_TRUE(s.Marked(1).empty());
    EXPECT_TRUE(s.Marked(2).empty());
    for (QPoint p : marked) EXPECT_TRUE(p.x() == 20 || p.x() == 29 || p.y() == 20 || p.y() == 29);
}

TEST(DetectEdge, TenByTenSquareInColourRangeFollowsTheInnerNineByNine) {
    Sheet s(60, 60);
    s.Box(20, 20, 10, 10);
    s.bench.UseColorRange = true;
    s.bench.ColorRange = 60;
    ASSERT_TRUE(s.Click(25, 25));
    EXPECT_EQ(s.bench.ContourCount(), 32u);
    for (QPoint p : s.Contour()) {
        EXPECT_TRUE(p.x() == 21 || p.x() == 29 || p.y() == 21 || p.y() == 29);
        EXPECT_TRUE(p.x() >= 21 && p.y() >= 21);
    }
    // Clicking the recorded region again records it again: marks move channels by 1.
    ASSERT_TRUE(s.Click(25, 25));
    EXPECT_EQ(s.bench.ObjectCount(), 2);
}

TEST(DetectEdge, ShortOutlinesAreNotRecorded) {
    Sheet s(40, 40);
    s.Box(10, 10, 7, 7);
    EXPECT_FALSE(s.Click(13, 13));
    EXPECT_EQ(s.bench.ObjectCount(), 0);
    EXPECT_EQ(s.bench.ContourCount(), 24u); // the points stay in the list, unmarked
    EXPECT_TRUE(s.Marked(0).empty());
}

TEST(DetectEdge, DiagonalLineDependsOnStrictDiagonals) {
    struct Case {
        int strict;
        bool recorded;
        std::size_t points;
    };
    for (const Case c : {Case{0, true, 38}, Case{1, false, 1}}) {
        Sheet s(60, 60);
        for (int i = 0; i < 20; ++i) s.raster.SetPixel(20 + i, 20 + i, 0);
        s.bench.StrictDiagonals = std::uint8_t(c.strict);
        EXPECT_EQ(s.Click(30, 30), c.recorded) << "strict " << c.strict;
        EXPECT_EQ(s.bench.ContourCount(), c.points) << "strict " << c.strict;
        EXPECT_EQ(s.bench.GetContourPoint(0), QPoint(20, 20));
    }
}

TEST(DetectEdge, DiscFromItsCentreAndOffCentre) {
    Sheet s(80, 80);
    s.Disc(40, 40, 15);
    EXPECT_FALSE(s.Click(40, 40)); // round the single outside pixel (29, 29) and back
    EXPECT_EQ(s.bench.ContourCount(), 3u);
    EXPECT_EQ(s.bench.GetContourPoint(0), QPoint(30, 30));
    ASSERT_TRUE(s.Click(45, 35));
    EXPECT_EQ(s.bench.ContourCount(), 84u);
}

TEST(DetectEdge, MatchingRules) {
    Sheet s(20, 20);
    s.raster.SetPixel(10, 10, platform::MakeColour(10, 20, 30));
    s.bench.TargetColor = platform::MakeColour(30, 20, 10);
    EXPECT_TRUE(s.bench.MatchesTarget(10, 10)); // the same channel sum
    s.bench.TargetColor = platform::MakeColour(30, 20, 12);
    EXPECT_FALSE(s.bench.MatchesTarget(10, 10));
    // Colour range 0: the 2 × 2 average with the pixels above and left must be exact.
    s.bench.UseColorRange = true;
    s.bench.ColorRange = 0;
    s.Box(4, 4, 2, 2, platform::MakeColour(100, 100, 100));
    s.raster.SetPixel(5, 5, platform::MakeColour(104, 100, 100));
    s.bench.TargetColor = platform::MakeColour(101, 100, 100);
    EXPECT_TRUE(s.bench.MatchesTarget(5, 5));
    s.bench.TargetColor = platform::MakeColour(102, 100, 100);
    EXPECT_FALSE(s.bench.MatchesTarget(5, 5));
    // Nothing matches on the two outer frames on the left and top or the last ones.
    s.bench.UseColorRange = false;
    s.bench.TargetColor = workbench_testing::Paper;
    EXPECT_TRUE(s.bench.MatchesTarget(2, 18));
    EXPECT_FALSE(s.bench.MatchesTarget(1, 10));
    EXPECT_FALSE(s.bench.MatchesTarget(10, 19));
}

// Clicks whose start pixel does not match: the follower would circle a boundary that
// never passes through the start. They must return, record nothing and mark nothing.
TEST(DetectEdge, ClicksWhoseStartDoesNotMatchRecordNothing) {
    struct Case {
        const char* what;
        bool colourRange;
        int x, y;
    };
    const Case cases[] = {
        {"pure colour, left frame", false, 0, 30},
        {"pure colour, top frame", false, 30, 0},
        {"colour range, top-right corner pixel", true, 69, 20},
        {"off the raster", false, -5, 30},
        {"off the raster", false, 30, 90},
    };
    for (const Case& c : cases) {
        Sheet s(80, 80);
        s.Box(0, 0, 50, 50);   // touches the left and top frames
        s.Box(60, 20, 10, 10); // a square well inside
        s.bench.UseColorRange = c.colourRange;
        EXPECT_FALSE(s.Click(c.x, c.y)) << c.what;
        EXPECT_EQ(s.bench.ObjectCount(), 0) << c.what;
        EXPECT_TRUE(s.Marked(0).empty()) << c.what;
    }
}

TEST(EdgeFollower, StopsWhenItsStateRepeatsWithoutReachingTheStart) {
    Sheet s(60, 60);
    s.Box(20, 20, 10, 10);
    const raster::ColourTest test(s.raster, 0, false, 0, false);
    std::size_t points = 0;
    // (19, 19) is outside the square but touches its corner diagonally.
    const auto result = raster::FollowBoundary(test, QPoint(19, 19), 1, [&](QPoint) { ++points; });
    EXPECT_EQ(result, raster::FollowResult::Endless);
    EXPECT_LT(points, 4u * 36u);
    QPoint p(40, 40);
    int d = 1;
    EXPECT_FALSE(raster::StepBoundary(test, p, d)); // paper all round: stuck, nothing moves
    EXPECT_EQ(p, QPoint(40, 40));
    EXPECT_EQ(d, 1);
}

TEST(UndoObject, RemovesTheLastObjectAndWithNoneClearsEveryMark) {
    Sheet s(80, 60);
    s.Box(10, 10, 10, 10);
    s.Box(40, 10, 12, 12);
    ASSERT_TRUE(s.Click(12, 12));
    const auto firstMarks = s.Marked(0);
    ASSERT_TRUE(s.Click(45, 15));
    s.bench.ClearContour(); // the list no longer holds the outline: it is followed again
    s.bench.UndoObject();
    EXPECT_EQ(s.bench.ObjectCount(), 1);
    EXPECT_EQ(s.Marked(0), firstMarks);
    s.bench.UndoObject(); // the list still holds this one's outline
    EXPECT_EQ(s.bench.ObjectCount(), 0);
    EXPECT_TRUE(s.Marked(0).empty());
    s.raster.ScanLine(5)[3 * 5 + 1] |= 1; // a stray band mark
    s.bench.UndoObject();
    EXPECT_EQ(s.bench.ObjectCount(), 0);
    EXPECT_TRUE(s.Marked(1).empty());
    EXPECT_EQ(s.bench.TakeChangedRect(), QRect(0, 0, 80, 60));
}

TEST(TraceObject, FollowsTheMarksAgainAndFailsWhenTheStartLostItsMark) {
    Sheet s(60, 60);
    s.Box(20, 20, 10, 10);
    ASSERT_TRUE(s.Click(22, 23));
    const auto first = s.Contour();
    s.bench.ClearContour();
    ASSERT_TRUE(s.bench.TraceObject(0, 0, true));
    EXPECT_EQ(s.Contour().size(), first.size());
    EXPECT_FALSE(s.bench.TraceObject(2, 0, true)); // beyond the slot after the last
    s.raster.ScanLine(21)[3 * 20] &= 0xFE;
    EXPECT_FALSE(s.bench.TraceObject(0, 0, true));
    s.bench.Forget();
    EXPECT_EQ(s.bench.ObjectCount(), 0);
}
