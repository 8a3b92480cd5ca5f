// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Vectorizer.h"
#include "RandomMaps.h"
#include "WorkbenchFixture.h"
#include "raster/BoundaryTests.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <set>

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

namespace {

// The reduction as first written: the chord test in floating point alone, and every pass
// over all the windows.
bool FormulaWithinTolerance(QPoint p, QPoint a, QPoint e, int tol) {
    const double px = p.x(), py = p.y(), ax = a.x(), ay = a.y(), ex = e.x(), ey = e.y();
    const double t = tol;
    const auto between = [](double v, double u, double w) {
        return (v >= u && v <= w) || (v >= w && v <= u);
    };
    if (ax == ex) return std::fabs(px - ax) < t && between(py, ay, ey);
    if (ay == ey) return std::fabs(py - ay) < t && between(px, ax, ex);
    const double m = (ey - ay) / (ex - ax);
    const double b1 = ay - m * ax;
    const double m2 = -1 / m;
    const double b2 = py - m2 * px;
    const double xi = (b2 - b1) / (m - m2);
    const double yi = m * xi + b1;
    const double d = (xi - px) * (xi - px) + (yi - py) * (yi - py);
    return d < t;
}

std::vector<QPoint> FormulaReduce(const std::vector<QPoint>& chain, int tol) {
    const std::size_t count = chain.size();
    std::vector<QPoint> kept, tail;
    for (std::size_t j = 0; j < count; ++j) {
        if (j > 0 && j + 1 < count &&
            raster::StepDirection(chain[j - 1], chain[j]) ==
                raster::StepDirection(chain[j], chain[j + 1]))
            continue;
        (j + 3 < count ? kept : tail).push_back(chain[j]);
    }
    for (bool dropped = true; dropped;) {
        dropped = false;
        std::vector<QPoint> next;
        std::size_t i = 0;
        for (; i + 4 <= kept.size(); i += 4) {
            const QPoint a = kept[i], b = kept[i + 1], c = kept[i + 2], d = kept[i + 3];
            next.push_back(a);
            if (FormulaWithinTolerance(b, a, d, tol) && FormulaWithinTolerance(c, a, d, tol)) {
                dropped = true;
            } else {
                next.push_back(b);
                next.push_back(c);
            }
            next.push_back(d);
        }
        next.insert(next.end(), kept.begin() + std::ptrdiff_t(i), kept.end());
        kept.swap(next);
    }
    for (bool dropped = true; dropped;) {
        dropped = false;
        std::vector<QPoint> next;
        std::size_t i = 0;
        for (; i + 3 <= kept.size(); i += 3) {
            const QPoint a = kept[i], b = kept[i + 1], c = kept[i + 2];
            next.push_back(a);
            if (FormulaWithinTolerance(b, a, c, tol))
                dropped = true;
            else
                next.push_back(b);
            next.push_back(c);
        }
        next.insert(next.end(), kept.begin() + std::ptrdiff_t(i), kept.end());
        kept.swap(next);
    }
    kept.insert(kept.end(), tail.begin(), tail.end());
    return kept;
}

} // namespace

// Every point of a grid around chords of all slopes, at every tolerance of the spin edit
// and some beyond, far from the origin and near it: exact ties and near misses included.
TEST(WithinTolerance, DecidesAsTheFloatingPointFormula) {
    std::mt19937 random(7);
    for (int chord = 0; chord < 400; ++chord) {
        const int base = chord % 2 ? 99000 : 3;
        const QPoint a(base + int(random() % 40), base + int(random() % 40));
        const QPoint e = a + QPoint(int(random() % 41) - 20, int(random() % 41) - 20);
        for (int tol : {-1, 0, 1, 2, 3, 4, 5, 17})
            for (int dy = -6; dy <= 6; ++dy)
                for (int dx = -6; dx <= 6; ++dx) {
                    const QPoint p = a + (e - a) * int(random() % 3) / 2 + QPoint(dx, dy);
                    ASSERT_EQ(raster::WithinTolerance(p, a, e, tol),
                              FormulaWithinTolerance(p, a, e, tol))
                        << "p " << p.x() << "," << p.y() << " a " << a.x() << "," << a.y() << " e "
                        << e.x() << "," << e.y() << " tol " << tol;
                }
    }
    // Long chords across a large raster, and coordinates past where the integers decide.
    for (int k = 0; k < 20000; ++k) {
        const QPoint a(int(random() % 100000), int(random() % 100000));
        const QPoint e(int(random() % 100000), int(random() % 100000));
        const QPoint p = a + (e - a) * int(random() % 1000) / 1000 +
                         QPoint(int(random() % 7) - 3, int(random() % 7) - 3);
        for (int tol : {1, 3, 5})
            ASSERT_EQ(raster::WithinTolerance(p, a, e, tol), FormulaWithinTolerance(p, a, e, tol));
        const QPoint far = p * 3000;
        ASSERT_EQ(raster::WithinTolerance(far, a * 3000, e * 3000, 3),
                  FormulaWithinTolerance(far, a * 3000, e * 3000, 3));
    }
}

// Outlines as the follower gives them (closed pixel chains) and rough random chains.
TEST(ReduceOutline, EqualsTheReductionAsFirstWritten) {
    std::mt19937 random(11);
    for (int k = 0; k < 3000; ++k) {
        std::vector<QPoint> chain;
        QPoint p(int(random() % 90000) + 5000, int(random() % 90000) + 5000);
        const int n = int(random() % (k % 10 == 0 ? 5000 : 200));
        int heading = int(random() % 8);
        for (int i = 0; i < n; ++i) {
            if (k % 3 == 0) { // jumps of any length
                p += QPoint(int(random() % 21) - 10, int(random() % 21) - 10);
            } else { // pixel steps that mostly keep their heading
                if (random() % 4 == 0) heading = (heading + int(random() % 3) + 7) % 8;
                p += QPoint(raster::DirX[heading + 1], raster::DirY[heading + 1]);
            }
            chain.push_back(p);
        }
        for (int tol : {1, 3, 5})
            ASSERT_EQ(Reduce(chain, tol), FormulaReduce(chain, tol))
                << "chain " << k << " tolerance " << tol;
    }
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        platform::Bitmap24 map = workbench_testing::RandomMap(160, 130, seed);
        raster::RasterWorkbench bench(&map);
        workbench_testing::RecordEveryRegion(bench, map, false);
        for (int i = 0; i < bench.ObjectCount(); ++i) {
            ASSERT_TRUE(bench.TraceObject(i, 0, true));
            std::vector<QPoint> chain;
            for (std::size_t j = 0; j < bench.ContourCount(); ++j)
                chain.push_back(bench.GetContourPoint(j));
            for (int tol : {1, 3, 5}) ASSERT_EQ(Reduce(chain, tol), FormulaReduce(chain, tol));
        }
    }
}

// In pure colour a recorded outline's marks make its pixels odd, so a second click inside
// records the next ring in, touching the first all round. Following the marks from the
// inner one's start walks onto the outer one; its polyline must be its own, as when the
// inner square stands alone.
TEST(VectorizeObject, FollowsOnlyItsOwnOutlineWhereOutlinesTouch) {
    Sheet onion(70, 70);
    onion.Box(20, 20, 20, 20);
    ASSERT_TRUE(onion.Click(25, 26));
    ASSERT_TRUE(onion.Click(25, 26));
    ASSERT_EQ(onion.bench.ContourCount(), 68u);
    ASSERT_TRUE(onion.bench.VectorizeObject(0));
    const std::vector<QPoint> outer = Vertices(onion.bench);
    ASSERT_TRUE(onion.bench.VectorizeObject(1));
    const std::vector<QPoint> inner = Vertices(onion.bench);
    Sheet alone(70, 70);
    alone.Box(21, 21, 18, 18);
    ASSERT_TRUE(alone.Click(25, 26));
    ASSERT_TRUE(alone.bench.VectorizeObject(0));
    EXPECT_EQ(inner, Vertices(alone.bench));
    EXPECT_NE(inner, outer);
    // Following the marks as they lie gives the outer outline for both.
    ASSERT_TRUE(onion.bench.TraceObject(1, 0, true));
    EXPECT_EQ(onion.bench.ContourCount(), 76u);
}

// On crowded maps every outline followed for "V" lies on its object's recorded outline.
TEST(VectorizeObject, NeverLeavesTheRecordedOutline) {
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        platform::Bitmap24 map = workbench_testing::RandomMap(160, 130, seed);
        raster::RasterWorkbench bench(&map);
        std::vector<std::set<std::pair<int, int>>> recorded;
        int merged = 0;
        bench.UseColorRange = false;
        bench.StrictDiagonals = 0;
        for (int y = 2; y < 128; y += 3)
            for (int x = 2; x < 158; x += 3) {
                bench.ClearContour();
                bench.TargetColor = map.Pixel(x, y);
                if (bench.TargetColor != 0 || !bench.DetectEdge(x, y)) continue;
                auto& own = recorded.emplace_back();
                for (std::size_t j = 0; j < bench.ContourCount(); ++j)
                    own.emplace(bench.GetContourPoint(j).x(), bench.GetContourPoint(j).y());
            }
        for (int i = 0; i < bench.ObjectCount(); ++i) {
            ASSERT_TRUE(bench.TraceObject(i, 0, true));
            merged += bench.ContourCount() > recorded[std::size_t(i)].size();
            ASSERT_TRUE(bench.VectorizeObject(i));
            for (std::size_t j = 0; j < bench.ContourCount(); ++j)
                ASSERT_TRUE(recorded[std::size_t(i)].count(
                    {bench.GetContourPoint(j).x(), bench.GetContourPoint(j).y()}));
        }
        EXPECT_GT(merged, 0) << "seed " << seed;
    }
}

// "V" vectorizes the objects on every core at once. On crowded maps, as recorded and after
// thinning (when outlines have lost marks and are read back from the raster), as outlines
// or as centre lines, for every object or a stretch of them: the polylines and the moved
// starts must be those of vectorizing one object after another.
TEST(VectorizeObjects, SharedOutAmongCoresEqualsOneAfterAnother) {
    for (std::uint32_t seed = 1; seed <= 5; ++seed) {
        platform::Bitmap24 inTurn = workbench_testing::RandomMap(600, 420, seed);
        platform::Bitmap24 shared = workbench_testing::RandomMap(600, 420, seed);
        raster::RasterWorkbench inTurnBench(&inTurn), sharedBench(&shared);
        const bool colourRange = seed % 2 == 0;
        workbench_testing::RecordEveryRegion(inTurnBench, inTurn, colourRange);
        workbench_testing::RecordEveryRegion(sharedBench, shared, colourRange);
        const int count = sharedBench.ObjectCount();
        ASSERT_GT(count, 128) << "every core must get objects";
        if (seed > 2) {
            inTurnBench.ThinObjects();
            sharedBench.ThinObjects();
        }
        const bool centreLines = seed >= 4;
        const int first = seed % 2 == 1 ? 0 : 3, last = seed % 2 == 1 ? count : count - 2;
        std::vector<raster::RasterWorkbench::ObjectVectors> out;
        sharedBench.VectorizeObjects(first, last, centreLines, out);
        ASSERT_EQ(out.size(), std::size_t(last - first));
        int made = 0, asLines = 0;
        std::vector<raster::TracedPolyline> lines;
        for (int i = first; i < last; ++i) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " object " << i);
            const raster::RasterWorkbench::ObjectVectors& got = out[std::size_t(i - first)];
            const bool asCentreLines = centreLines && inTurnBench.ObjectThinned(i);
            ASSERT_EQ(got.asCentreLines, asCentreLines);
            if (asCentreLines) {
                ASSERT_EQ(got.made, inTurnBench.VectorizeCentreLines(i, lines));
                if (!got.made) continue;
                ASSERT_EQ(got.lines.size(), lines.size());
                for (std::size_t k = 0; k < lines.size(); ++k) {
                    ASSERT_EQ(got.lines[k].points, lines[k].points);
                    ASSERT_EQ(got.lines[k].closed, lines[k].closed);
                }
                ++asLines;
            } else {
                ASSERT_EQ(got.made, inTurnBench.VectorizeObject(i));
                if (!got.made) continue;
                ASSERT_EQ(got.vertices, Vertices(inTurnBench));
            }
            ++made;
        }
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(sharedBench.ObjectStart(i), inTurnBench.ObjectStart(i)) << "object " << i;
        EXPECT_GT(made, 64) << "seed " << seed;
        if (centreLines) {
            EXPECT_GT(asLines, 64) << "seed " << seed;
        }
    }
}
