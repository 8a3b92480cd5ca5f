// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas/TGISPanel.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"
#include "support/Mouse.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using canvas::TGISPanel;
using testing_support::Drag;
using testing_support::SendMouse;

namespace {

struct Map {
    TGISPanel panel;
    Map() {
        panel.resize(800, 400);
        panel.show();
        panel.Raster().SetSize(1000, 700, 0xFEFEFE);
        panel.RasterChanged();
        panel.SetExtent(20, 20, 0, 1000, 0, 700);
    }
    QWidget* Box() { return panel.PaintBox(); }
    QRgb At(int x, int y) { return panel.PaintBox()->Surface().pixel(x, y); }
};

} // namespace

TEST(TGISPanel, PaintSurfaceShowsTheRasterOverBlack) {
    Map m;
    EXPECT_EQ(m.At(400, 200), qRgb(254, 254, 254)); // the middle of the raster
    EXPECT_EQ(m.At(5, 200), qRgb(0, 0, 0));         // beside it: 1000 units fill 400 px at most
    QSignalSpy painted(&m.panel, &TGISPanel::Paint);
    m.panel.Zoom(1);
    EXPECT_EQ(painted.count(), 1); // the owner draws its vectors after every view change
}

TEST(TGISPanel, PanNeedsThreePixelsAndMovesByThousandthsOfTheHomeWidth) {
    Map m;
    m.panel.MouseMode = TGISPanel::mmPan;
    QSignalSpy moves(&m.panel, &TGISPanel::MouseMoveEvent);
    const double centre = m.panel.Transform().View().CenterX;
    const double homeWidth =
        m.panel.Transform().HomeView().XMax - m.panel.Transform().HomeView().XMin;
    Drag(m.Box(), {100, 100}, {102, 100});
    EXPECT_EQ(m.panel.Transform().View().CenterX, centre);
    EXPECT_EQ(moves.count(), 1); // a short drag is the owner's
    Drag(m.Box(), {100, 100}, {103, 100});
    EXPECT_DOUBLE_EQ(m.panel.Transform().View().CenterX, centre - 3 * homeWidth * 0.001);
    EXPECT_EQ(moves.count(), 1); // a pan is not forwarded
}

TEST(TGISPanel, ZoomBoxNeedsMoreThanTwoPixelsEachWayInAnyDirection) {
    Map m;
    m.panel.MouseMode = TGISPanel::mmZoomBox;
    const auto home = m.panel.Transform().View();
    Drag(m.Box(), {100, 100}, {102, 200});
    EXPECT_EQ(m.panel.Transform().View(), home);
    EXPECT_FALSE(m.panel.BandActive());

    Drag(m.Box(), {100, 100}, {300, 200});
    const auto forward = m.panel.Transform().View();
    EXPECT_NE(forward, home);
    m.panel.ResetView();
    Drag(m.Box(), {300, 200}, {100, 100});
    EXPECT_EQ(m.panel.Transform().View(), forward);
    // The band is gone from the surface after the release.
    EXPECT_EQ(m.At(100, 150), m.panel.Image.Picture.pixel(100, 150));
}

TEST(TGISPanel, CrossHairIsDrawnWithTheHiddenCursorAndErasedOnTheNextMove) {
    Map m;
    m.Box()->setCursor(Qt::BlankCursor);
    const QRgb under = m.At(300, 50);
    SendMouse(m.Box(), QEvent::MouseMove, {300, 120}, Qt::NoButton, Qt::NoButton);
    EXPECT_NE(m.At(300, 50), under); // the vertical line crosses (300, 50)
    SendMouse(m.Box(), QEvent::MouseMove, {310, 130}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(m.At(300, 50), under); // drawn again: gone
    EXPECT_EQ(m.panel.CrossPosition(), QPoint(310, 130));
    m.Box()->setCursor(Qt::CrossCursor);
    SendMouse(m.Box(), QEvent::MouseMove, {320, 130}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(m.panel.CrossPosition(), QPoint(0, 0));
    EXPECT_EQ(m.At(310, 50), m.panel.Image.Picture.pixel(310, 50));
}

TEST(TGISPanel, ABadFileLeavesRasterExtentAndViewAsTheyWere) {
    Map m;
    testing_support::TempDir dir;
    const std::string bad = dir.Path("bad.bmp");
    testing_support::WriteAll(bad, "BM this is not a bitmap");
    m.panel.Zoom(0.7);
    const auto view = m.panel.Transform().View();
    EXPECT_THROW(m.panel.LoadRaster(bad), platform::FileError);
    EXPECT_EQ(m.panel.Raster().Width(), 1000);
    EXPECT_EQ(m.panel.Transform().View(), view);

    platform::Bitmap24 odd(30, 20);
    odd.Fill(0x030507);
    platform::SaveBmp(dir.Path("odd.bmp"), odd);
    m.panel.LoadRaster(dir.Path("odd.bmp"));
    EXPECT_EQ(m.panel.Raster().Pixel(3, 3), 0x020406u); // every channel even after loading
    EXPECT_DOUBLE_EQ(m.panel.Transform().HomeView().CenterX, 15);
}

// At every zoom, a surface pixel shows the raster pixel that a click on it picks, and a
// vertex at a pixel's position is drawn on a surface pixel that shows that raster pixel,
// in the middle of the pixel's square. A noisy raster makes every neighbour differ.
TEST(TGISPanel, AClickPicksThePixelShownUnderIt) {
    TGISPanel panel;
    panel.resize(640, 400);
    panel.show();
    platform::Bitmap24& r = panel.Raster();
    r.SetSize(97, 61, 0);
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x)
            r.SetPixel(x, y, platform::MakeColour(std::uint8_t(x * 2), std::uint8_t(y * 4), 0x40));
    panel.RasterChanged();
    panel.SetExtent(20, 20, 0, r.Width(), 0, r.Height());
    for (double zoom : {1.0, 1.0 / 1.7, 1.0 / 4.3, 1.0 / 9.5}) {
        panel.Zoom(zoom);
        const double scale = panel.Transform().View().ScaleX;
        const QImage& shown = panel.Image.Picture;
        for (int sy = 0; sy < shown.height(); sy += 3)
            for (int sx = 0; sx < shown.width(); sx += 3) {
                double wx = 0, wy = 0;
                panel.ScreenToWorld({sx, sy}, wx, wy);
                const QPoint p = panel.WorldToRaster(wx, wy);
                const QRgb expected =
                    p.x() < 0 || p.y() < 0 || p.x() >= r.Width() || p.y() >= r.Height()
                        ? TGISPanel::BackgroundColour
                        : platform::ToQColor(r.Pixel(p.x(), p.y())).rgb();
                ASSERT_EQ(shown.pixel(sx, sy), expected)
                    << "scale " << scale << " at " << sx << "," << sy;
            }
        // Vertices at pixel positions (map y counts upwards from the bottom row).
        for (QPoint pixel : {QPoint(10, 7), QPoint(50, 30), QPoint(96, 60)}) {
            const drawing::Point3 vertex{double(pixel.x()), double(r.Height() - pixel.y()), 0};
            const QPoint s = panel.MapToScreen(vertex, nullptr);
            if (!shown.rect().contains(s)) continue;
            EXPECT_EQ(shown.pixel(s), platform::ToQColor(r.Pixel(pixel.x(), pixel.y())).rgb());
            // The pixel's square reaches half a pixel, scale / 2 surface pixels, each way.
            for (QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                const QPoint inside = s + d * int(scale / 2 - 1);
                if (shown.rect().contains(inside)) {
                    EXPECT_EQ(shown.pixel(inside), shown.pixel(s));
                }
            }
        }
    }
}
