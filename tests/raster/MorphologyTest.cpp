// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Morphology.h"
#include "WorkbenchFixture.h"

#include <gtest/gtest.h>

using workbench_testing::Sheet;

namespace {

// Band plane from a picture: '#' set, anything else clear; the centre is (2, 2).
void DrawBand(Sheet& s, const char* const rows[3]) {
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            if (rows[y][x] == '#') s.raster.ScanLine(1 + y)[3 * (1 + x) + 1] |= 1;
}

} // namespace

TEST(PeelPixel, KeepsEndsAndJoinsRemovesWhatKeepsTheBandConnected) {
    struct Case {
        const char* what;
        const char* rows[3];
        bool removed;
    };
    const Case cases[] = {
        {"down-left and up-right: two runs", {"..#", ".@.", "#.."}, false},
        {"left only: an end", {"...", "#@.", "..."}, false},
        {"left, down-left and down", {"...", "#@.", "##."}, true},
        {"four sides: interior", {".#.", "#@#", ".#."}, false},
        {"a corner between two sides joins them", {"##.", "#@.", "..."}, true},
    };
    for (const Case& c : cases) {
        Sheet s(5, 5);
        DrawBand(s, c.rows);
        s.raster.ScanLine(2)[3 * 2 + 1] |= 1;
        EXPECT_EQ(s.bench.PeelPixel(2, 2), c.removed) << c.what;
        EXPECT_EQ((s.raster.ScanLine(2)[3 * 2 + 1] & 1) == 0, c.removed) << c.what;
    }
}

TEST(ShiftOutlines, TwentySquareContractsAndEnlargesByOnePixel) {
    struct Case {
        const char* what;
        std::vector<bool> outward;
        std::size_t points;
        int inset; // the outline's bounding box, inside the square's edge
    };
    const Case cases[] = {
        {"contract", {false}, 64, 1},
        {"enlarge", {true}, 84, -1},
        {"contract twice", {false, false}, 56, 2},
        {"contract then enlarge", {false, true}, 72, 0},
    };
    // Clicked off the diagonal the start is (20, 21); on it, the corner (20, 20).
    for (const QPoint click : {QPoint(25, 26), QPoint(25, 25)})
        for (const Case& c : cases) {
            Sheet s(70, 70);
            s.Box(20, 20, 20, 20);
            ASSERT_TRUE(s.Click(click.x(), click.y()));
            ASSERT_EQ(s.bench.ContourCount(), 76u);
            for (bool outward : c.outward) s.bench.ShiftOutlines(outward);
            SCOPED_TRACE(testing::Message()
                         << c.what << ", click " << click.x() << ", " << click.y());
            EXPECT_EQ(s.bench.ContourCount(), c.points);
            const auto marked = s.Marked(0);
            EXPECT_EQ(marked.size(), c.points) << c.what;
            QRect box;
            for (QPoint p : marked) box |= QRect(p, p);
            EXPECT_EQ(box,
                      QRect(QPoint(20 + c.inset, 20 + c.inset), QPoint(39 - c.inset, 39 - c.inset)))
                << c.what;
            EXPECT_TRUE(s.Marked(1).empty()) << c.what << ": no band mark remains";
        }
}

TEST(ThinObjects, ThreePixelStrokeBecomesItsCentreLineWithASpur) {
    Sheet s(80, 50);
    s.Box(20, 20, 40, 3);
    ASSERT_TRUE(s.Click(35, 21));
    ASSERT_EQ(s.bench.ObjectStart(0), QPoint(34, 20));
    ASSERT_EQ(s.bench.ContourCount(), 82u);
    s.bench.StrictDiagonals = 0;
    s.bench.ThinObjects();
    EXPECT_EQ(s.bench.ContourCount(), 76u);
    // The band left: 37 pixels of the middle row (a tree of 39 pixels, walked round in
    // 2 × 38 steps) and a spur of two pixels up to the start, one row above the stroke.
    const QPoint start = s.bench.ObjectStart(0);
    EXPECT_EQ(start.y(), 19);
    std::vector<QPoint> spur;
    int onMiddleRow = 0;
    for (QPoint p : s.Marked(1)) {
        if (p.y() == 21)
            ++onMiddleRow;
        else
            spur.push_back(p);
    }
    EXPECT_EQ(onMiddleRow, 37);
    ASSERT_EQ(spur.size(), 2u);
    EXPECT_EQ(spur[0], start);
    EXPECT_EQ(spur[1].y(), 20);
    EXPECT_EQ(s.Marked(0).size(), 39u); // the new outline marks every pixel of the tree
}

TEST(ThinObjects, FivePixelStrokeKeepsARing) {
    Sheet s(80, 50);
    s.Box(20, 20, 40, 5);
    ASSERT_TRUE(s.Click(35, 22));
    s.bench.ThinObjects();
    const auto band = s.Marked(1);
    int rows[50] = {};
    for (QPoint p : band)
        if (p.x() == 40) rows[p.y()]++;
    EXPECT_EQ(rows[21], 1);
    EXPECT_EQ(rows[22], 0);
    EXPECT_EQ(rows[23], 1);
}

TEST(Morphology, WithoutObjectsNothingChanges) {
    Sheet s(30, 30);
    s.bench.ThinObjects();
    s.bench.ShiftOutlines(true);
    EXPECT_TRUE(s.bench.TakeChangedRect().isEmpty());
}

TEST(MarkOutline, MarksListedPixelsSkipsThoseOffTheRasterAndReportsTheirBox) {
    Sheet s(20, 10);
    raster::PointList points;
    points.Put(0, QPoint(3, 4));
    points.Put(1, QPoint(7, 2));
    points.Put(2, QPoint(5, 8));
    QRect changed;
    raster::MarkOutline(s.raster, points, 3, true, changed);
    EXPECT_EQ(s.Marked(0), (std::vector<QPoint>{{7, 2}, {3, 4}, {5, 8}}));
    EXPECT_EQ(changed, QRect(QPoint(3, 2), QPoint(7, 8)));
    // A point off the raster is skipped; a count past the written points reads (0, 0).
    points.Put(3, QPoint(25, 1));
    changed = QRect();
    raster::MarkOutline(s.raster, points, 5, false, changed);
    EXPECT_TRUE(s.Marked(0).empty());
    EXPECT_EQ(changed, QRect(QPoint(0, 0), QPoint(7, 8)));
    raster::MarkOutline(s.raster, points, 5, true, changed);
    EXPECT_EQ(s.Marked(0), (std::vector<QPoint>{{0, 0}, {7, 2}, {3, 4}, {5, 8}}));
}
