// SPDX-License-Identifier: GPL-3.0-or-later
// The undo copy, the colour pick-up and the outline animation of the workbench.
#include "WorkbenchFixture.h"
#include "platform/QtCanvas.h"
#include "raster/ColourPick.h"

#include <cstring>
#include <gtest/gtest.h>

using workbench_testing::Sheet;

namespace {

const platform::Colour Red = platform::MakeColour(200, 0, 0);

} // namespace

TEST(RasterUndo, RestoresOnlyTheAreaThatWasOnScreen) {
    Sheet s(60, 40);
    s.Box(12, 12, 4, 4);
    s.raster.ScanLine(13)[3 * 13] |= 1; // marks are part of the copy
    s.bench.SaveRasterUndo(QRect(10, 10, 20, 15));
    EXPECT_TRUE(s.bench.UndoSaved());
    EXPECT_EQ(s.bench.UndoRect(), QRect(10, 10, 20, 15));
    EXPECT_EQ(s.bench.UndoBytes(), 0u); // nothing is copied before a change
    s.Box(10, 10, 8, 8, Red);           // drawn in the saved area
    s.Box(40, 30, 5, 5, Red);           // and elsewhere after a pan
    EXPECT_EQ(s.bench.RestoreRasterUndo(), std::vector<QRect>{QRect(10, 10, 20, 15)});
    EXPECT_FALSE(s.bench.UndoSaved());
    EXPECT_EQ(s.raster.Pixel(10, 10), workbench_testing::Paper);
    EXPECT_EQ(s.raster.Pixel(12, 12), workbench_testing::Ink);
    EXPECT_EQ(s.raster.Pixel(13, 13), platform::MakeColour(0, 0, 1));
    EXPECT_EQ(s.raster.Pixel(40, 30), Red);
}

TEST(RasterUndo, ClipsToTheRasterAndAnEmptyViewGivesAnEmptyCopy) {
    Sheet s(30, 20);
    s.bench.SaveRasterUndo(QRect(-50, -7, 200, 100)); // the whole raster and a margin
    EXPECT_EQ(s.bench.UndoRect(), QRect(0, 0, 30, 20));
    s.bench.SaveRasterUndo(QRect(100, 100, 50, 50));
    EXPECT_TRUE(s.bench.UndoSaved());
    s.Box(0, 0, 30, 20, Red);
    EXPECT_TRUE(s.bench.RestoreRasterUndo().empty());
    EXPECT_FALSE(s.bench.UndoSaved());
}

// Every way pixels change reaches the copy: marks of the workbench, the raster's canvas
// (lines, figures; its bounds are tested on their own), single pixels and fills. Undo gives back
// every byte of the saved area, whatever wrote it, and keeps only the tiles that changed.
TEST(RasterUndo, EveryWriterIsUndoneExactly) {
    Sheet s(700, 500);
    s.Box(100, 100, 40, 30);
    s.Box(400, 300, 60, 8);
    s.bench.SaveRasterUndo(QRect(0, 0, 700, 500));
    const platform::Bitmap24 before = [&] {
        platform::Bitmap24 copy(700, 500);
        for (int y = 0; y < 500; ++y) std::memcpy(copy.ScanLine(y), s.raster.ScanLine(y), 2100);
        return copy;
    }();
    s.raster.SetPixel(5, 100, Red); // one tile is copied, no more
    EXPECT_EQ(s.bench.UndoBytes(), std::size_t(3 * 128 * 128));
    ASSERT_TRUE(s.Click(110, 112)); // outline marks
    s.bench.StrictDiagonals = 0;
    s.bench.ThinObjects(); // band and outline marks through the bit planes
    ASSERT_TRUE(s.Click(420, 303));
    s.bench.ShiftOutlines(true);
    platform::Canvas& canvas = s.raster.GetCanvas();
    canvas.SetPen({Red, 3, platform::PenStyle::Solid, platform::PenMode::Copy});
    canvas.MoveTo(600, 20);
    canvas.LineTo(650, 90);
    canvas.SetPen({0x00FF00, 1, platform::PenStyle::Dash, platform::PenMode::Xor});
    canvas.Ellipse(300, 50, 360, 90);
    const QPoint zigzag[] = {{200, 420}, {230, 380}, {260, 430}, {320, 390}};
    canvas.Polyline(zigzag, 4);
    canvas.FillRect(QRect(640, 440, 30, 30));
    s.raster.EndPainting();
    s.bench.UndoObject(); // with marks left, each outline is unmarked in turn
    s.bench.UndoObject();
    s.bench.UndoObject(); // none left: every mark cleared
    s.bench.RestoreRasterUndo();
    for (int y = 0; y < 500; ++y)
        ASSERT_EQ(std::memcmp(s.raster.ScanLine(y), before.ScanLine(y), 2100), 0) << "row " << y;
    // The copy is given up when the raster is replaced: it belongs to the old picture.
    s.bench.SaveRasterUndo(QRect(0, 0, 700, 500));
    s.raster.SetPixel(1, 1, Red);
    platform::Bitmap24 other(100, 80);
    other.Fill(0);
    s.raster.Swap(other);
    EXPECT_FALSE(s.bench.UndoSaved());
    EXPECT_EQ(s.bench.UndoBytes(), 0u);
}

TEST(PickColor, AveragesNinePixelsWithMarkBitsCleared) {
    Sheet s(20, 20);
    s.Box(0, 0, 20, 20, platform::MakeColour(100, 51, 200)); // green's bit: band marks
    EXPECT_EQ(s.bench.PickColor(10, 10), platform::MakeColour(100, 50, 200));
    s.raster.Fill(0);
    // At the top-left corner five of the nine count as 255: 5 × 255 / 9 = 141, even: 140.
    EXPECT_EQ(s.bench.PickColor(0, 0), platform::MakeColour(140, 140, 140));
    EXPECT_EQ(raster::PickColor(s.raster, -5, 100), 0xFEFEFEu);
}

TEST(AnimateOutlines, DrawsMovingDashesAlongTheOutline) {
    Sheet s(100, 100);
    s.Box(20, 20, 10, 10);
    ASSERT_TRUE(s.Click(22, 23));
    raster::ViewTransform view; // one screen pixel a raster pixel
    view.SetSurfaceSize(100, 100);
    view.SetExtent(0, 0, 0, 100, 0, 100);
    QImage surface(100, 100, QImage::Format_RGB32);
    surface.fill(QColor(128, 128, 128));
    {
        platform::QtCanvas canvas(&surface);
        s.bench.AnimateOutlines(canvas, view, 100, 100);
    }
    EXPECT_EQ(s.bench.AntsPhase(), 1);
    // Phase 1: four black, then dashes of four; the first black dash after the wrap of the
    // 24-pixel cycle is five long.
    const char* expected = "bbbbwwwwbbbbwwwwbbbbwwwwbbbbbwwwwbbb";
    ASSERT_EQ(s.bench.ContourCount(), 36u);
    for (std::size_t j = 0; j < 36; ++j) {
        const QPoint p = s.bench.GetContourPoint(j);
        const QRgb want = expected[j] == 'b' ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        EXPECT_EQ(surface.pixel(p) & 0xFFFFFF, want & 0xFFFFFF) << "point " << j;
    }
    EXPECT_EQ(surface.pixel(25, 25), qRgb(128, 128, 128));
}

TEST(AnimateOutlines, FollowsTheOutlinesAsTheyChange) {
    Sheet s(100, 100);
    s.Box(20, 20, 10, 10);
    s.Box(60, 60, 10, 10);
    ASSERT_TRUE(s.Click(22, 23));
    ASSERT_TRUE(s.Click(62, 63));
    raster::ViewTransform view;
    view.SetSurfaceSize(100, 100);
    view.SetExtent(0, 0, 0, 100, 0, 100);
    QImage surface(100, 100, QImage::Format_RGB32);
    const QRgb grey = qRgb(128, 128, 128);
    auto animate = [&] {
        surface.fill(grey);
        platform::QtCanvas canvas(&surface);
        s.bench.AnimateOutlines(canvas, view, 100, 100);
    };
    animate();
    EXPECT_NE(surface.pixel(20, 25), grey);
    EXPECT_NE(surface.pixel(60, 65), grey);
    s.bench.UndoObject(); // the second square's outline goes
    animate();
    EXPECT_NE(surface.pixel(20, 25), grey);
    EXPECT_EQ(surface.pixel(60, 65), grey);
    s.bench.ShiftOutlines(false); // contracted: the dashes move in by a pixel
    animate();
    EXPECT_EQ(surface.pixel(20, 25), grey);
    EXPECT_NE(surface.pixel(21, 25), grey);
}
