// SPDX-License-Identifier: GPL-3.0-or-later
// Thinning against the plain loop it must equal: every pass follows the band's whole
// boundary again and tests every pixel of it, one neighbour at a time.
#include "RandomMaps.h"
#include "WorkbenchFixture.h"
#include "platform/QtCanvas.h"
#include "raster/MapView.h"
#include "raster/Morphology.h"

#include <QImage>

#include <limits>

#include <gtest/gtest.h>

namespace {

// The peel test as first written, neighbour by neighbour.
bool PlainPeelPixel(platform::Bitmap24& raster, int x, int y) {
    if (x < 1 || y < 1 || x > raster.Width() - 2 || y > raster.Height() - 2) return false;
    static constexpr int nx[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    static constexpr int ny[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    const auto set = [&](int k) {
        return (raster.ScanLine(y + ny[k])[3 * (x + nx[k]) + 1] & 1) != 0;
    };
    int n = 0, sides = 0, runs = 0, run = 0;
    for (int k = 0; k < 8; ++k) {
        const bool side = k % 2 == 0;
        if (set(k)) {
            ++n;
            ++run;
            if (side) ++sides;
        } else if (side && run > 0) {
            ++runs;
            run = 0;
        }
    }
    if (!set(0) && run > 0) ++runs;
    if (n < 2 || runs > 1 || sides > 3) return false;
    raster.ScanLine(y)[3 * x + 1] &= 0xFE;
    return true;
}

raster::PointList ContourOf(const raster::RasterWorkbench& bench) {
    raster::PointList list;
    for (std::size_t i = 0; i < bench.ContourCount(); ++i) list.Put(i, bench.GetContourPoint(i));
    return list;
}

// ThinObjects as the plain loop: trace, band, then peel passes over the whole boundary.
void PlainThinObjects(raster::RasterWorkbench& bench, platform::Bitmap24& raster) {
    QRect changed;
    for (int i = 0; i < bench.ObjectCount(); ++i) {
        if (!bench.TraceObject(i, 0, true)) continue;
        raster::MarkBand(raster, ContourOf(bench), bench.ContourCount(), true, changed);
        bench.UnmarkContour();
        for (;;) {
            bench.TraceObject(i, 1, true);
            std::size_t removed = 0;
            for (std::size_t j = 1; j < bench.ContourCount(); ++j) {
                const QPoint p = bench.GetContourPoint(j);
                if (PlainPeelPixel(raster, p.x(), p.y())) ++removed;
            }
            if (removed == 0) break;
        }
        raster::MarkOutline(raster, ContourOf(bench), bench.ContourCount(), true, changed);
    }
}

bool SameBytes(const platform::Bitmap24& a, const platform::Bitmap24& b) {
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), 3 * std::size_t(a.Width())) != 0)
            return false;
    return true;
}

// One tick of the outline animation at one screen pixel a raster pixel: the dashes drawn.
QImage Animate(raster::RasterWorkbench& bench, int width, int height) {
    raster::ViewTransform view;
    view.SetSurfaceSize(width, height);
    view.SetExtent(0, 0, 0, width, 0, height);
    QImage surface(width, height, QImage::Format_RGB32);
    surface.fill(QColor(128, 128, 128));
    platform::QtCanvas canvas(&surface);
    bench.AnimateOutlines(canvas, view, width, height);
    return surface;
}

} // namespace

TEST(PeelPixel, TheNeighbourTableIsTheTestWrittenOut) {
    for (unsigned set = 0; set < 256; ++set) {
        workbench_testing::Sheet s(3, 3);
        static constexpr int dx[8] = {-1, 0, 1, 1, 1, 0, -1, -1}; // directions 1 … 8
        static constexpr int dy[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
        for (int k = 0; k < 8; ++k)
            if (set >> k & 1) s.raster.ScanLine(1 + dy[k])[3 * (1 + dx[k]) + 1] |= 1;
        EXPECT_EQ(raster::Peelable(set), PlainPeelPixel(s.raster, 1, 1)) << "set " << set;
    }
}

// Crowded random maps, every region recorded, so that bands run into each other and into
// what earlier objects left: the pixels, the outline list and the starts must all be the
// plain loop's. On every second sheet each walk round a band is split between two threads;
// on every fourth from the first, every walk and trace that runs along one of the last
// boundaries or outlines of 64 points or more is split after 24 rounds; on every third, the
// labels that order the lists have so little room that they are relabelled often.
TEST(ThinObjects, EqualsThePlainLoopOnCrowdedMaps) {
    std::size_t incremental = 0, objects = 0, stretched = 0, splitOut = 0, splits = 0;
    std::size_t late = 0, missed = 0, traces = 0, relabelled = 0;
    for (std::uint32_t seed = 1; seed <= 48; ++seed) {
        for (bool colourRange : {false, true}) {
            const int width = 150 + int(seed % 4) * 20, height = 120 + int(seed % 3) * 25;
            platform::Bitmap24 plain = workbench_testing::RandomMap(width, height, seed);
            platform::Bitmap24 fast = workbench_testing::RandomMap(width, height, seed);
            raster::RasterWorkbench plainBench(&plain), fastBench(&fast);
            if (seed % 2 == 0) fastBench.SplitWalkLength = 0;
            if (seed % 4 == 1) {
                fastBench.SplitWalkLength = 64;
                fastBench.LateSplitRounds = 24;
            }
            if (seed % 3 == 0) fastBench.ThinningLabelRoom = std::uint64_t(1) << 30;
            workbench_testing::RecordEveryRegion(plainBench, plain, colourRange);
            workbench_testing::RecordEveryRegion(fastBench, fast, colourRange);
            ASSERT_EQ(plainBench.ObjectCount(), fastBench.ObjectCount());
            objects += std::size_t(fastBench.ObjectCount());
            // Twice: the second time bands meet outlines thinned by the first.
            for (int round = 0; round < 2; ++round) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << " colour range "
                                                << colourRange << " round " << round);
                PlainThinObjects(plainBench, plain);
                fastBench.ThinObjects();
                const raster::BandPeeler::Work& work = fastBench.ThinningWork();
                incremental += work.passes - work.plainPasses;
                stretched += work.stretched;
                splitOut += work.splitOut;
                splits += work.splits;
                late += work.splitsLate;
                traces += fastBench.ThinningTraceWork().late;
                missed += work.splitsMissed;
                relabelled += work.relabelled;
                ASSERT_TRUE(SameBytes(plain, fast));
                ASSERT_EQ(fastBench.ContourCount(), plainBench.ContourCount());
                for (std::size_t j = 0; j < plainBench.ContourCount(); ++j)
                    ASSERT_EQ(fastBench.GetContourPoint(j), plainBench.GetContourPoint(j));
                for (int i = 0; i < plainBench.ObjectCount(); ++i)
                    ASSERT_EQ(fastBench.ObjectStart(i), plainBench.ObjectStart(i));
            }
        }
    }
    // The sheets must exercise the incremental passes, and among them removals that let a
    // pixel further along the boundary go in the same pass.
    EXPECT_GT(objects, 2000u);
    EXPECT_GT(incremental, 10000u);
    // Most of a boundary is kept in stretches, and passes reach into them again: walks and
    // removals in tiles whose states must first be split out.
    EXPECT_GT(stretched, 10000u);
    EXPECT_GT(splitOut, 1000u);
    EXPECT_GT(splits, 5000u);
    // Late splits of walks and of traces, and seeds missed.
    EXPECT_GT(late, 50u);
    EXPECT_GT(traces, 50u);
    EXPECT_GT(missed, 100u);
    // Gaps between labels that ran out, on the sheets with narrow labels.
    EXPECT_GT(relabelled, 5000u) << relabelled;
}

// Long outlines have their marks cleared and are recorded on a second thread beside the
// peeling. With every outline handed over, the pixels, the contour list, the starts and the
// recorded outlines (as vectorization follows them) must be those of doing it all in turn.
TEST(ThinObjects, OutlinesHandedToTheSideThreadComeOutTheSame) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        const int width = 150 + int(seed % 4) * 20, height = 120 + int(seed % 3) * 25;
        platform::Bitmap24 aside = workbench_testing::RandomMap(width, height, seed);
        platform::Bitmap24 inTurn = workbench_testing::RandomMap(width, height, seed);
        raster::RasterWorkbench asideBench(&aside), inTurnBench(&inTurn);
        // Every outline aside, or the long ones, while the short ones wait for the side thread.
        asideBench.ThinningSideWork = seed % 3 == 0 ? 0 : 64;
        inTurnBench.ThinningSideWork = std::numeric_limits<std::size_t>::max();
        const bool colourRange = seed % 2 == 0;
        workbench_testing::RecordEveryRegion(asideBench, aside, colourRange);
        workbench_testing::RecordEveryRegion(inTurnBench, inTurn, colourRange);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round);
            asideBench.ThinObjects();
            inTurnBench.ThinObjects();
            ASSERT_TRUE(SameBytes(aside, inTurn));
            ASSERT_EQ(asideBench.ContourCount(), inTurnBench.ContourCount());
            for (std::size_t j = 0; j < asideBench.ContourCount(); ++j)
                ASSERT_EQ(asideBench.GetContourPoint(j), inTurnBench.GetContourPoint(j));
            for (int i = 0; i < asideBench.ObjectCount(); ++i) {
                ASSERT_EQ(asideBench.ObjectStart(i), inTurnBench.ObjectStart(i));
                ASSERT_EQ(asideBench.ObjectThinned(i), inTurnBench.ObjectThinned(i));
            }
        }
        for (int i = 0; i < asideBench.ObjectCount(); ++i) {
            ASSERT_EQ(asideBench.VectorizeObject(i), inTurnBench.VectorizeObject(i));
            ASSERT_EQ(asideBench.VectorPoints(), inTurnBench.VectorPoints()) << "object " << i;
        }
    }
}

// The animation after thinning uses the traces thinning made instead of tracing the raster
// again. Against a bench told that its raster changed, which must trace every object: the
// dashes, the starts and the contour list left behind must be the same. Some objects are
// vectorized in between, which moves their starts, so that those are traced again. On some
// sheets every object's trace goes through the follower that reads walks off the boundaries
// walked before, or the longer ones do.
TEST(ThinObjects, TheAnimationAfterwardsEqualsAFreshTrace) {
    for (std::uint32_t seed = 1; seed <= 24; ++seed) {
        const int width = 150 + int(seed % 4) * 20, height = 120 + int(seed % 3) * 25;
        platform::Bitmap24 kept = workbench_testing::RandomMap(width, height, seed);
        platform::Bitmap24 fresh = workbench_testing::RandomMap(width, height, seed);
        raster::RasterWorkbench keptBench(&kept), freshBench(&fresh);
        if (seed % 3 != 2) keptBench.SharedTraceLength = seed % 3 == 0 ? 0 : 24;
        const bool colourRange = seed % 2 == 0;
        workbench_testing::RecordEveryRegion(keptBench, kept, colourRange);
        workbench_testing::RecordEveryRegion(freshBench, fresh, colourRange);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round);
            keptBench.ThinObjects();
            freshBench.ThinObjects();
            freshBench.RasterEdited();
            for (int i = int(seed) % 5; round == 1 && i < keptBench.ObjectCount(); i += 5) {
                ASSERT_EQ(keptBench.VectorizeObject(i), freshBench.VectorizeObject(i));
                ASSERT_EQ(keptBench.ObjectStart(i), freshBench.ObjectStart(i));
            }
            for (int tick = 0; tick < 2; ++tick)
                ASSERT_TRUE(Animate(keptBench, width, height) == Animate(freshBench, width, height))
                    << "the dashes differ at tick " << tick;
            ASSERT_TRUE(SameBytes(kept, fresh));
            for (int i = 0; i < keptBench.ObjectCount(); ++i)
                ASSERT_EQ(keptBench.ObjectStart(i), freshBench.ObjectStart(i));
            ASSERT_EQ(keptBench.ContourCount(), freshBench.ContourCount());
            for (std::size_t j = 0; j < keptBench.ContourCount(); ++j)
                ASSERT_EQ(keptBench.GetContourPoint(j), freshBench.GetContourPoint(j));
        }
    }
}
