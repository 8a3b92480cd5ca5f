// SPDX-License-Identifier: GPL-3.0-or-later
// The line-work plane and its tests, thinning, regions, outlines and centre lines.
#include "WorkbenchFixture.h"
#include "raster/BoundaryTests.h"
#include "raster/CentreLines.h"
#include "raster/LineTest.h"
#include "raster/Regions.h"
#include "raster/SheetTracer.h"
#include "raster/Thinning.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <set>

using raster::LinePlane;
using raster::TracedPolyline;

namespace {

// A plane from rows of text: '#' set, anything else clear.
LinePlane PlaneOf(const std::vector<std::string>& rows) {
    LinePlane plane(0, 0, int(rows.front().size()), int(rows.size()));
    for (int y = 0; y < plane.Height(); ++y)
        for (int x = 0; x < plane.Width(); ++x)
            if (rows[std::size_t(y)][std::size_t(x)] == '#') plane.Set(x, y);
    return plane;
}

void Box(LinePlane& plane, int left, int top, int width, int height) {
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) plane.Set(x, y);
}

// Regions (8-connected) and holes (4-connected) of a plane.
std::pair<std::size_t, std::size_t> Topology(const LinePlane& plane) {
    LinePlane copy = plane;
    return {raster::DropSpecks(copy, 0).kept, raster::HoleStarts(plane, 0).size()};
}

LinePlane RandomBlobs(int width, int height, std::uint32_t seed) {
    LinePlane plane(0, 0, width, height);
    std::mt19937 random(seed);
    for (int i = 0; i < width * height / 60; ++i) {
        const int x = int(random() % unsigned(width - 8)) + 2,
                  y = int(random() % unsigned(height - 8)) + 2;
        Box(plane, x, y, int(random() % 5) + 1, int(random() % 5) + 1);
    }
    return plane;
}

bool HasSolidBlock(const LinePlane& plane) {
    for (int y = 0; y + 1 < plane.Height(); ++y)
        for (int x = 0; x + 1 < plane.Width(); ++x)
            if (plane.Get(x, y) && plane.Get(x + 1, y) && plane.Get(x, y + 1) &&
                plane.Get(x + 1, y + 1))
                return true;
    return false;
}

bool Near(QPoint p, QPoint q, int reach) {
    return std::abs(p.x() - q.x()) <= reach && std::abs(p.y() - q.y()) <= reach;
}

} // namespace

TEST(LinePlane, NeighboursAcrossWordsAndEdges) {
    LinePlane plane(0, 0, 130, 3);
    for (const int x : {62, 63, 64, 65, 127, 128}) plane.Set(x, 1);
    plane.Set(64, 0);
    // 63: left 62, right 64, up-right (64, 0).
    EXPECT_EQ(plane.Neighbours(63, 1), (1u << 7) | (1u << 3) | (1u << 2));
    EXPECT_EQ(plane.Neighbours(128, 1), 1u << 7);
    EXPECT_EQ(plane.Neighbours(0, 0), 0u); // the clear frame round the plane
    EXPECT_EQ(plane.Count(), 7u);
}

TEST(LineTest, PlaneAgreesWithTheEdgeDetectionsTests) {
    // Every pixel of a noisy raster, in each of the three tests, against the single-pixel
    // tests that clicking uses.
    platform::Bitmap24 raster(150, 40);
    std::mt19937 random(7);
    for (int y = 0; y < raster.Height(); ++y)
        for (int x = 0; x < 3 * raster.Width(); ++x)
            raster.ScanLine(y)[x] =
                std::uint8_t(random() % 2 ? random() % 40 : 200 + random() % 56);
    for (const auto kind : {raster::LineTest::Kind::ColourRange, raster::LineTest::Kind::PureColour,
                            raster::LineTest::Kind::DarkLines}) {
        raster::LineTest test;
        test.kind = kind;
        test.target = raster.Pixel(20, 20);
        test.threshold = 100;
        const LinePlane plane = raster::LineWorkPlane(raster, QRect(3, 1, 140, 37), test);
        ASSERT_EQ(plane.Area(), QRect(3, 1, 140, 37));
        const raster::ColourTest click =
            kind == raster::LineTest::Kind::DarkLines
                ? raster::ColourTest(raster, test.threshold, false)
                : raster::ColourTest(raster, test.target,
                                     kind == raster::LineTest::Kind::ColourRange, 60, false);
        int differences = 0;
        for (int y = 0; y < plane.Height(); ++y)
            for (int x = 0; x < plane.Width(); ++x)
                differences += plane.Get(x, y) != click.Matches(x + 3, y + 1);
        EXPECT_EQ(differences, 0) << "test " << int(kind);
    }
}

TEST(LineTest, DarkThresholdSplitsInkFromPaper) {
    std::uint64_t histogram[256] = {};
    for (int v = 10; v < 40; ++v) histogram[v] = 100;    // ink
    for (int v = 230; v < 250; ++v) histogram[v] = 5000; // paper
    const int threshold = raster::OtsuThreshold(histogram);
    EXPECT_GT(threshold, 39);
    EXPECT_LE(threshold, 230);
    // Paper alone, however noisy, has no line work in it.
    std::uint64_t paper[256] = {};
    for (int v = 225; v < 255; ++v) paper[v] = 1000 + 100 * (v % 7);
    EXPECT_EQ(raster::OtsuThreshold(paper), 128);
    // Mark bits do not change a pixel's grey.
    EXPECT_EQ(raster::Grey(201, 101, 51), raster::Grey(200, 100, 50));
}

TEST(Thinning, DeletesOnlySimpleBorderPixelsThatAreNotEnds) {
    struct Case {
        unsigned neighbours; // bits: 0 up-left, 1 up, 2 up-right, 3 right, 4 down-right,
                             // 5 down, 6 down-left, 7 left
        int side;
        bool deleted;
        const char* what;
    };
    const Case cases[] = {
        {1u << 5, 0, false, "an end (one neighbour) stays"},
        {(1u << 1) | (1u << 5), 3, false, "the middle of a vertical line would split it"},
        {(1u << 5) | (1u << 6) | (1u << 7), 0, true, "a corner of a blob on the north border"},
        {(1u << 5) | (1u << 6) | (1u << 7), 1, false, "the same pixel is no south border"},
        {0xAA, 0, false, "an inside pixel would open a hole"},
        {(1u << 6) | (1u << 2), 0, false, "two diagonal neighbours only meet through it"},
        {(1u << 3) | (1u << 5), 0, true, "a corner of an L whose arms touch diagonally"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(raster::ThinningDeletes(c.neighbours, c.side), c.deleted) << c.what;
}

TEST(Thinning, StrokesShrinkToTheirMiddle) {
    for (int width = 1; width <= 7; ++width) {
        LinePlane plane(0, 0, 80, 20);
        Box(plane, 10, 5, 60, width);
        ASSERT_TRUE(raster::ThinPlane(plane));
        // One row along the middle (the lower of two middles), its ends at most half the
        // width in from the stroke's.
        const int middle = 5 + width / 2;
        int inRow = 0;
        plane.ForEachSet([&](int x, int y) {
            EXPECT_EQ(y, middle) << "width " << width << " at " << x;
            inRow += y == middle;
        });
        EXPECT_GE(inRow, 60 - width) << "width " << width;
    }
}

TEST(Thinning, KeepsEveryRegionAndHoleAndLeavesNoSolidBlock) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        LinePlane plane = RandomBlobs(200 + 37 * int(seed), 90, seed);
        const auto before = Topology(plane);
        ASSERT_TRUE(raster::ThinPlane(plane));
        EXPECT_EQ(Topology(plane), before) << "seed " << seed;
        EXPECT_FALSE(HasSolidBlock(plane)) << "seed " << seed;
        // Thinning what is thin changes nothing.
        const LinePlane thin = plane;
        raster::ThinPlane(plane);
        EXPECT_EQ(plane.Count(), thin.Count());
    }
}

TEST(Thinning, SkippingSettledWordsGivesWhatEveryPixelTriedEverySubPassGives) {
    // Thin strokes that settle in the first pass next to wide blocks that take dozens,
    // across word boundaries, against a plain reference that tries every pixel in every
    // sub-pass (each sub-pass judged on the plane as it was when it began).
    LinePlane plane = RandomBlobs(400, 300, 5);
    Box(plane, 60, 40, 90, 70);    // 70 high: 35 passes
    Box(plane, 250, 150, 64, 120); // on a word boundary
    Box(plane, 10, 200, 200, 9);
    LinePlane reference = plane;
    for (int t = 0, quiet = 0; quiet < 4; ++t) {
        std::vector<QPoint> deleted;
        for (int y = 0; y < reference.Height(); ++y)
            for (int x = 0; x < reference.Width(); ++x)
                if (reference.Get(x, y) &&
                    raster::ThinningDeletes(reference.Neighbours(x, y), t % 4))
                    deleted.emplace_back(x, y);
        for (const QPoint p : deleted) reference.Clear(p.x(), p.y());
        quiet = deleted.empty() ? quiet + 1 : 0;
    }
    raster::ThinPlane(plane);
    for (int y = 0; y < plane.Height(); ++y)
        for (int x = 0; x < plane.Width(); ++x)
            ASSERT_EQ(plane.Get(x, y), reference.Get(x, y)) << x << ", " << y;
}

TEST(Thinning, ManyRowsSplitBetweenThreadsGiveTheSameResult) {
    // Tall enough for the rows to be split; each band of 40 rows is thinned alone as well.
    LinePlane tall = RandomBlobs(120, 1200, 11);
    std::vector<LinePlane> alone;
    for (int top = 0; top < 1200; top += 40) {
        LinePlane band(0, 0, 120, 40);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                if (tall.Get(x, top + y) && y > 0 && y < 39) band.Set(x, y);
        alone.push_back(band);
    }
    // Rows 0 and 39 of every band cleared in tall too, so that bands do not touch.
    for (int top = 0; top < 1200; top += 40)
        for (int x = 0; x < 120; ++x) {
            tall.Clear(x, top);
            tall.Clear(x, top + 39);
        }
    raster::ThinPlane(tall);
    for (std::size_t b = 0; b < alone.size(); ++b) {
        raster::ThinPlane(alone[b]);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                ASSERT_EQ(tall.Get(x, int(b) * 40 + y), alone[b].Get(x, y))
                    << "band " << b << " at " << x << ", " << y;
    }
}

TEST(Regions, SpecksGoAndRegionsStartAtTheirFirstPixel) {
    LinePlane plane = PlaneOf({
        "..........",
        ".##....#..",
        ".##.......",
        "......###.",
        ".....#....",
        "..........",
    });
    std::vector<QPoint> starts;
    const raster::RegionCount count = raster::DropSpecks(plane, 3, &starts);
    EXPECT_EQ(count.dropped, 2u); // the 2 × 2 block and the single pixel
    EXPECT_EQ(count.kept, 1u);    // four pixels spanning four columns
    EXPECT_EQ(starts, std::vector<QPoint>{QPoint(6, 3)});
    EXPECT_EQ(plane.Count(), 4u);
}

TEST(Regions, HolesAreFoundAndOutlinesFollowedWhole) {
    LinePlane plane = PlaneOf({
        "............",
        "..#######...",
        "..#.....#...",
        "..#.....#...",
        "..#######...",
        "........#...",
        ".......#.#..",
        "............",
    });
    const std::vector<QPoint> holes = raster::HoleStarts(plane, 0);
    ASSERT_EQ(holes, std::vector<QPoint>{QPoint(3, 2)});
    // The outer boundary passes (8, 5) twice, the hole's boundary runs inside the frame.
    const std::vector<QPoint> outer = raster::FollowPlaneBoundary(plane, {2, 1}, 1);
    const std::set<std::pair<int, int>> visited = [&] {
        std::set<std::pair<int, int>> s;
        for (const QPoint p : outer) s.emplace(p.x(), p.y());
        return s;
    }();
    EXPECT_TRUE(visited.count({7, 6}) && visited.count({9, 6}) && visited.count({2, 4}));
    const std::vector<QPoint> inner = raster::FollowPlaneBoundary(plane, {3, 1}, 7);
    EXPECT_EQ(inner.size(), 14u); // round the 5 × 2 hole, corners cut: 5 + 2 + 5 + 2 pixels
    for (const QPoint p : inner) EXPECT_TRUE(plane.Get(p.x(), p.y()));
}

TEST(Regions, OuterBoundaryIsTheOutlineThatAClickFollows) {
    // On shapes whose boundary passes through its start once, the plane's follower and the
    // edge detection give the same points.
    workbench_testing::Sheet s(80, 80);
    s.Box(20, 20, 10, 10);
    s.Disc(55, 50, 12);
    s.Box(10, 60, 30, 2);
    raster::LineTest test;
    test.kind = raster::LineTest::Kind::PureColour;
    test.target = workbench_testing::Ink;
    LinePlane plane = raster::LineWorkPlane(s.raster, {}, test);
    plane = raster::LineWorkPlane(s.raster, QRect(0, 0, 80, 80), test);
    std::vector<QPoint> starts;
    raster::DropSpecks(plane, 0, &starts);
    ASSERT_EQ(starts.size(), 3u);
    s.bench.StrictDiagonals = 0;
    for (const QPoint start : starts) {
        ASSERT_TRUE(s.Click(start.x(), start.y()));
        EXPECT_EQ(raster::FollowPlaneBoundary(plane, start, 1), s.Contour());
    }
}

TEST(CentreLines, StrokesJunctionsAndRings) {
    struct Case {
        const char* what;
        std::vector<std::pair<QRect, int>> boxes; // rectangles of ink
        std::size_t lines;
        std::size_t closed;
    };
    const Case cases[] = {
        {"a bar", {{QRect(10, 20, 80, 5), 0}}, 1, 0},
        {"a T", {{QRect(10, 20, 80, 5), 0}, {QRect(48, 25, 5, 40), 0}}, 3, 0},
        {"an X", {{QRect(10, 38, 80, 5), 0}, {QRect(48, 5, 5, 80), 0}}, 4, 0},
        {"a frame",
         {{QRect(10, 10, 60, 4), 0},
          {QRect(10, 60, 60, 4), 0},
          {QRect(10, 10, 4, 54), 0},
          {QRect(66, 10, 4, 54), 0}},
         1,
         1},
    };
    for (const Case& c : cases) {
        LinePlane plane(0, 0, 100, 100);
        for (const auto& [r, unused] : c.boxes) Box(plane, r.x(), r.y(), r.width(), r.height());
        const LinePlane ink = plane;
        raster::ThinPlane(plane);
        const std::vector<TracedPolyline> lines = raster::CentreLines(plane, ink);
        EXPECT_EQ(lines.size(), c.lines) << c.what;
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const TracedPolyline& l) { return l.closed; }),
                  std::ptrdiff_t(c.closed))
            << c.what;
        if (c.lines >= 3) { // all start or end at one shared point
            std::map<std::pair<int, int>, int> ends;
            for (const TracedPolyline& l : lines)
                for (const QPoint e : {l.points.front(), l.points.back()}) ++ends[{e.x(), e.y()}];
            const auto most = std::max_element(
                ends.begin(), ends.end(), [](auto& a, auto& b) { return a.second < b.second; });
            EXPECT_EQ(std::size_t(most->second), c.lines) << c.what;
            EXPECT_TRUE(Near(QPoint(most->first.first, most->first.second), QPoint(50, 22), 3) ||
                        Near(QPoint(most->first.first, most->first.second), QPoint(50, 40), 3))
                << c.what;
        }
    }
}

// A stroke from a to b: the pixels whose centres lie within half the width of the segment.
void Stroke(LinePlane& plane, QPointF a, QPointF b, double width) {
    const QPointF d = b - a;
    const double length2 = QPointF::dotProduct(d, d);
    for (int y = 0; y < plane.Height(); ++y)
        for (int x = 0; x < plane.Width(); ++x) {
            const QPointF p(x, y);
            const double t = std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0);
            const QPointF q = a + t * d - p;
            if (std::hypot(q.x(), q.y()) <= width / 2) plane.Set(x, y);
        }
}

// Polyline ends within reach of p.
int EndsNear(const std::vector<TracedPolyline>& lines, QPointF p, double reach) {
    int n = 0;
    for (const TracedPolyline& l : lines)
        for (const QPoint e : {l.points.front(), l.points.back()})
            n += !l.closed && std::hypot(e.x() - p.x(), e.y() - p.y()) <= reach;
    return n;
}

TEST(CentreLines, JunctionsLieWhereTheStrokesMeet) {
    // Slanted strokes, so that thinning bends the branches towards each junction, and
    // crossings at sharp angles, which thinning splits into two junctions a few pixels
    // apart. Every branch must end within 2 pixels of the true junction.
    struct Case {
        const char* what;
        double width;
        std::vector<std::pair<QPointF, QPointF>> strokes;
        std::vector<QPointF> junctions;
        std::size_t lines;
    };
    const QPointF c(60.3, 59.6);
    const auto at = [&](double degrees, double r) {
        const double a = degrees * 3.14159265358979 / 180;
        return c + QPointF(r * std::cos(a), r * std::sin(a));
    };
    const Case cases[] = {
        {"a T of width 5, stem at 60°", 5, {{at(10, 50), at(190, 50)}, {c, at(70, 45)}}, {c}, 3},
        {"a T of width 2, stem at 115°", 2, {{at(-20, 50), at(160, 50)}, {c, at(95, 45)}}, {c}, 3},
        {"an X of width 5 at 45°",
         5,
         {{at(5, 50), at(185, 50)}, {at(50, 50), at(230, 50)}},
         {c},
         4},
        {"an X of width 3 at 45°",
         3,
         {{at(30, 50), at(210, 50)}, {at(75, 50), at(255, 50)}},
         {c},
         4},
        {"an X of width 1 at 45°",
         1,
         {{at(-12, 50), at(168, 50)}, {at(33, 50), at(213, 50)}},
         {c},
         4},
        {"an X of width 4 at 90°",
         4,
         {{at(20, 50), at(200, 50)}, {at(110, 50), at(290, 50)}},
         {c},
         4},
        // Two rungs 7 pixels apart on a rail stay two junctions.
        {"a ladder of width 2",
         2,
         {{QPointF(10, 60), QPointF(110, 60)},
          {QPointF(56.5, 60), QPointF(56.5, 100)},
          {QPointF(63.5, 60), QPointF(63.5, 100)}},
         {QPointF(56.5, 60), QPointF(63.5, 60)},
         5},
    };
    for (const Case& k : cases) {
        LinePlane plane(0, 0, 120, 120);
        for (const auto& [a, b] : k.strokes) Stroke(plane, a, b, k.width);
        const LinePlane ink = plane;
        raster::ThinPlane(plane);
        const std::vector<TracedPolyline> lines = raster::CentreLines(plane, ink);
        EXPECT_EQ(lines.size(), k.lines) << k.what;
        for (const QPointF j : k.junctions)
            EXPECT_EQ(EndsNear(lines, j, 2.0), k.junctions.size() > 1 ? 3 : int(k.lines))
                << k.what << " at " << j.x() << ", " << j.y();
    }
}

TEST(CentreLines, BumpsOnAStrokeLeaveNoSpurs) {
    LinePlane plane(0, 0, 120, 40);
    Box(plane, 10, 15, 100, 5);
    for (const int x : {25, 40, 61, 80}) Box(plane, x, x % 2 ? 20 : 13, 2, 2); // bumps
    const LinePlane ink = plane;
    raster::ThinPlane(plane);
    const std::vector<TracedPolyline> lines = raster::CentreLines(plane, ink);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].closed);
}

TEST(CentreLines, OfAThinnedOutlineTheSpurToItsStartIsPruned) {
    // A stroke three pixels high recorded, thinned, and its outline taken as pixels.
    workbench_testing::Sheet s(80, 50);
    s.Box(20, 20, 40, 3);
    ASSERT_TRUE(s.Click(35, 21));
    s.bench.StrictDiagonals = 0;
    s.bench.ThinObjects();
    ASSERT_TRUE(s.bench.TraceObject(0, 0, true));
    const std::vector<TracedPolyline> lines = raster::CentreLinesOf(s.Contour(), 3);
    // One open line along the stroke's middle row from end to end; where the spur left it,
    // it bends by a pixel at most.
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].closed);
    std::vector<QPoint> got = lines[0].points;
    if (got.front().x() > got.back().x()) std::reverse(got.begin(), got.end());
    EXPECT_EQ(got.front(), QPoint(21, 21));
    EXPECT_EQ(got.back(), QPoint(58, 21));
    for (const QPoint p : got) EXPECT_LE(std::abs(p.y() - 21), 1);
}
