// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Vectorizer.h"
#include "WorkbenchFixture.h"

#include <gtest/gtest.h>

using workbench_testing::Sheet;

namespace {

std::vector<QPoint> Vertices(const raster::RasterWorkbench& bench) {
    return {bench.VectorPoints().begin(), bench.VectorPoints().end()};
}

std::vector<QPoint> Reduce(const std::vector<QPoint>& chain, int tol) {
    raster::PointList list;
    for (std::size_t i = 0; i < chain.size(); ++i) list.Put(i, chain[i]);
    std::vector<QPoint> out;
    raster::ReduceOutline(list, chain.size(), tol, out);
    return out;
}

} // namespace

TEST(VectorizeObject, TenByTenSquareGivesFiveVertices) {
    for (int tol : {1, 3}) {
        Sheet s(60, 60);
        s.Box(20, 20, 10, 10);
        ASSERT_TRUE(s.Click(22, 23));
        s.bench.VectorTolerance = tol;
        ASSERT_TRUE(s.bench.VectorizeObject(0));
        const std::vector<QPoint> expected = {QPoint(20, 21), QPoint(29, 20), QPoint(29, 29),
                                              QPoint(20, 29), QPoint(20, 22)};
        EXPECT_EQ(Vertices(s.bench), expected) << "tolerance " << tol;
        EXPECT_EQ(s.Marked(0).size(), 36u); // the marks stay
    }
}

TEST(VectorizeObject, DiscVertexCountsByTolerance) {
    struct Case {
        int tol;
        std::size_t vertices;
    };
    for (const Case c : {Case{1, 18}, Case{3, 11}, Case{5, 11}}) {
        Sheet s(80, 80);
        s.Disc(40, 40, 15);
        ASSERT_TRUE(s.Click(45, 35));
        ASSERT_EQ(s.bench.ContourCount(), 84u);
        s.bench.VectorTolerance = c.tol;
        ASSERT_TRUE(s.bench.VectorizeObject(0));
        EXPECT_EQ(s.bench.VectorCount(), c.vertices) << "tolerance " << c.tol;
        EXPECT_EQ(s.bench.VectorPoints().front(), s.bench.ObjectStart(0));
    }
}

TEST(VectorizeObject, ThinnedStrokeGivesSixVertices) {
    Sheet s(80, 50);
    s.Box(20, 20, 40, 3);
    ASSERT_TRUE(s.Click(35, 21));
    s.bench.StrictDiagonals = 0;
    s.bench.ThinObjects();
    ASSERT_TRUE(s.bench.VectorizeObject(0));
    const auto v = Vertices(s.bench);
    ASSERT_EQ(v.size(), 6u);
    const QPoint start = s.bench.ObjectStart(0);
    EXPECT_EQ(v[0], start);
    EXPECT_EQ(v[1].y(), 21); // down onto the centre line
    EXPECT_EQ(v[2].y(), 21);
    EXPECT_EQ(v[3].y(), 21);
    EXPECT_GT(v[2].x(), v[3].x()); // right end, then the left end
    EXPECT_EQ(v[5], start + QPoint(0, 1));
}

TEST(VectorizeObject, LeavesTheVerticesWhenTheOutlineIsLost) {
    Sheet s(60, 60);
    s.Box(20, 20, 10, 10);
    ASSERT_TRUE(s.Click(22, 23));
    ASSERT_TRUE(s.bench.VectorizeObject(0));
    const auto before = Vertices(s.bench);
    s.bench.UndoObject(); // unmarks it; its slot keeps the start
    EXPECT_FALSE(s.bench.VectorizeObject(0));
    EXPECT_EQ(Vertices(s.bench), before);
}

TEST(StepDirection, CodesBySignsOfTheStep) {
    const QPoint o(5, 5);
    EXPECT_EQ(raster::StepDirection(o, QPoint(4, 4)), 3);
    EXPECT_EQ(raster::StepDirection(o, QPoint(4, 5)), 4);
    EXPECT_EQ(raster::StepDirection(o, QPoint(2, 9)), 5);
    EXPECT_EQ(raster::StepDirection(o, QPoint(5, 4)), 2);
    EXPECT_EQ(raster::StepDirection(o, o), 9);
    EXPECT_EQ(raster::StepDirection(o, QPoint(5, 6)), 6);
    EXPECT_EQ(raster::StepDirection(o, QPoint(6, 0)), 1);
    EXPECT_EQ(raster::StepDirection(o, QPoint(6, 5)), 8);
    EXPECT_EQ(raster::StepDirection(o, QPoint(6, 6)), 7);
}

TEST(WithinTolerance, ChordsAndExactTies) {
    struct Case {
        QPoint p, a, e;
        int tol;
        bool within;
    };
    const Case cases[] = {
        {{1, 5}, {0, 0}, {0, 10}, 2, true},   // vertical chord
        {{2, 5}, {0, 0}, {0, 10}, 2, false},  // distance equal to the tolerance
        {{1, 11}, {0, 0}, {0, 10}, 2, false}, // beyond the end
        {{0, 10}, {0, 0}, {0, 10}, 1, true},  // at the end
        {{5, -1}, {10, 0}, {0, 0}, 2, true},  // horizontal chord, either way round
        {{1, 0}, {0, 0}, {4, 4}, 1, true},    // squared distance 0.5
        {{2, 0}, {0, 0}, {4, 4}, 2, false},   // squared distance exactly 2
        {{2, 0}, {0, 0}, {4, 4}, 3, true},    // compared with the tolerance, not its square
        {{9, 9}, {0, 0}, {4, 4}, 1, true},    // the foot may lie beyond the end
    };
    for (const Case& c : cases)
        EXPECT_EQ(raster::WithinTolerance(c.p, c.a, c.e, c.tol), c.within)
            << c.p.x() << "," << c.p.y() << " to " << c.a.x() << "," << c.a.y() << "-" << c.e.x()
            << "," << c.e.y() << " tol " << c.tol;
}

TEST(ReduceOutline, StraightRunsInEveryDirectionAndShortChains) {
    // A run is reduced to its ends whichever way it goes.
    for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1),
                              QPoint(1, 1), QPoint(-1, 1), QPoint(1, -1), QPoint(-1, -1)}) {
        std::vector<QPoint> chain;
        for (int i = 0; i < 6; ++i) chain.push_back(QPoint(50, 50) + i * step);
        EXPECT_EQ(Reduce(chain, 1), (std::vector<QPoint>{chain[0], chain[5]}));
    }
    // Three points: only the straight-run step applies.
    EXPECT_EQ(Reduce({{0, 0}, {1, 0}, {2, 0}}, 5), (std::vector<QPoint>{{0, 0}, {2, 0}}));
    EXPECT_EQ(Reduce({{0, 0}, {1, 1}, {2, 0}}, 5).size(), 3u);
    EXPECT_TRUE(Reduce({}, 3).empty());
}

TEST(DropPasses, DisjointWindowsAndUnfilledLastWindow) {
    // Windows A B C D: both middle points near the chord go; the last two points form an
    // unfilled window and stay.
    std::vector<QPoint> kept = {{0, 0}, {3, 1}, {6, 0}, {9, 0}, {12, 5}, {12, 9}};
    EXPECT_TRUE(raster::DropPairPass(kept, 2));
    EXPECT_EQ(kept, (std::vector<QPoint>{{0, 0}, {9, 0}, {12, 5}, {12, 9}}));
    EXPECT_FALSE(raster::DropPairPass(kept, 2));
    std::vector<QPoint> three = {{0, 0}, {5, 1}, {10, 0}, {10, 5}};
    EXPECT_TRUE(raster::DropPointPass(three, 2));
    EXPECT_EQ(three, (std::vector<QPoint>{{0, 0}, {10, 0}, {10, 5}}));
}
