// SPDX-License-Identifier: GPL-3.0-or-later
// The undo copy, the colour pick-up and the outline animation of the workbench.
#include "WorkbenchFixture.h"
#include "platform/FileError.h"
#include "platform/QtCanvas.h"
#include "raster/ColourPick.h"

#include <QDir>
#include <QFile>
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
    s.Box(10, 10, 8, 8, Red); // drawn in the saved area
    s.Box(40, 30, 5, 5, Red); // and elsewhere after a pan
    EXPECT_EQ(s.bench.RestoreRasterUndo(), QRect(10, 10, 20, 15));
    EXPECT_FALSE(s.bench.UndoSaved());
    EXPECT_EQ(s.raster.Pixel(10, 10), workbench_testing::Paper);
    EXPECT_EQ(s.raster.Pixel(12, 12), workbench_testing::Ink);
    EXPECT_EQ(s.raster.Pixel(13, 13), platform::MakeColour(0, 0, 1));
    EXPECT_EQ(s.raster.Pixel(40, 30), Red);
    EXPECT_EQ(s.bench.TakeChangedRect(), QRect(10, 10, 20, 15));
}

TEST(RasterUndo, ClipsToTheRasterAndKeepsTheCopyInAPrivateFolder) {
    Sheet s(30, 20);
    s.bench.SaveRasterUndo(QRect(-50, -7, 200, 100)); // the whole raster and a margin
    EXPECT_EQ(s.bench.UndoRect(), QRect(0, 0, 30, 20));
    const QString file = QString::fromStdString(s.bench.UndoFileName());
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_FALSE(file.startsWith(QDir::currentPath() + "/save.tmp"));
    EXPECT_TRUE(file.startsWith(QDir::tempPath()));
    // Restoring onto a smaller raster loaded since writes only what fits.
    platform::Bitmap24 small(10, 5);
    small.Fill(0);
    s.bench.SetRaster(&small);
    EXPECT_EQ(s.bench.RestoreRasterUndo(), QRect(0, 0, 10, 5));
    EXPECT_EQ(small.Pixel(9, 4), workbench_testing::Paper);
}

TEST(RasterUndo, AFailedReadReportsTheFileAndKeepsTheCopy) {
    Sheet s(30, 20);
    s.bench.SaveRasterUndo(QRect(0, 0, 10, 10));
    QFile f(QString::fromStdString(s.bench.UndoFileName()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("not a bitmap");
    f.close();
    EXPECT_THROW(s.bench.RestoreRasterUndo(), platform::FileError);
    EXPECT_TRUE(s.bench.UndoSaved());
}

TEST(RasterUndo, NothingOnScreenGivesAnEmptyCopy) {
    Sheet s(30, 20);
    s.bench.SaveRasterUndo(QRect(100, 100, 50, 50));
    EXPECT_TRUE(s.bench.UndoSaved());
    EXPECT_TRUE(s.bench.RestoreRasterUndo().isEmpty());
    EXPECT_FALSE(s.bench.UndoSaved());
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
