// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/MapView.h"

#include <gtest/gtest.h>

using raster::ViewTransform;

namespace {

ViewTransform Fitted(int wp, int hp, double w, double h) {
    ViewTransform v;
    v.SetSurfaceSize(wp, hp);
    v.SetExtent(20, 20, 0, w, 0, h);
    return v;
}

} // namespace

TEST(ViewTransform, ExtentFitsTheSmallerSideOfTheSurface) {
    const ViewTransform v = Fitted(800, 400, 1000, 700);
    const auto& h = v.HomeView();
    EXPECT_DOUBLE_EQ(h.ScaleX, 400.0 / 1000);
    EXPECT_DOUBLE_EQ(h.ScaleY, h.ScaleX);
    EXPECT_DOUBLE_EQ(h.CenterX, 500);
    EXPECT_DOUBLE_EQ(h.CenterY, 350);
    EXPECT_DOUBLE_EQ(h.XMax - h.XMin, 800 / h.ScaleX);
    EXPECT_DOUBLE_EQ(h.YMax - h.YMin, 400 / h.ScaleY);
    EXPECT_EQ(v.View(), h);
    EXPECT_EQ(v.ScaleText(), "Scale 1 : 1");
    EXPECT_EQ(v.LastView().ScaleX, 0); // SetExtent leaves the undo view alone
}

TEST(ViewTransform, ZeroRangesGiveUnitScale) {
    ViewTransform v;
    v.SetSurfaceSize(100, 100);
    v.SetExtent(0, 0, 5, 5, 0, 50);
    EXPECT_DOUBLE_EQ(v.HomeView().ScaleX, 1.0); // the smaller of 1.0 (zero x range) and 100 / 50
    v.ZoomToRect(3, 3, 7, 7);
    EXPECT_DOUBLE_EQ(v.View().ScaleX, 1.0);
}

TEST(ViewTransform, ZoomCaptionsAndUndo) {
    ViewTransform v = Fitted(800, 400, 800, 600);
    const auto home = v.View();
    ASSERT_TRUE(v.Zoom(0.7));
    EXPECT_DOUBLE_EQ(v.View().ScaleX, home.ScaleX / 0.7);
    EXPECT_DOUBLE_EQ(v.View().CenterX, home.CenterX);
    EXPECT_EQ(v.ScaleText(), "Scale 1.43 : 1");
    const auto zoomed = v.View();
    v.ResetView();
    EXPECT_EQ(v.View().ScaleX, home.ScaleX);
    v.UndoView();
    EXPECT_EQ(v.View(), zoomed);
    v.UndoView(); // a second undo shows the same view
    EXPECT_EQ(v.View(), zoomed);

    ViewTransform out = Fitted(800, 400, 800, 600);
    out.Zoom(1.25);
    EXPECT_EQ(out.ScaleText(), "Scale 1 : 1.25");
    EXPECT_EQ(out.LargeStep(), 125);
    EXPECT_EQ(out.SmallStep(), 31); // 31.25 rounds to 31
}

TEST(ViewTransform, UndoBeforeAnyChangeKeepsTheView) {
    ViewTransform v;
    EXPECT_FALSE(v.UndoView()); // nothing before an extent
    EXPECT_FALSE(v.Zoom(2));
    v = Fitted(300, 200, 60, 40);
    const auto home = v.View();
    EXPECT_TRUE(v.UndoView());
    EXPECT_EQ(v.View(), home);
}

TEST(ViewTransform, Conversions) {
    const ViewTransform v = Fitted(800, 400, 1000, 700);
    // Screen to world and back.
    double x, y;
    v.ScreenToWorld({400, 200}, x, y);
    EXPECT_DOUBLE_EQ(x, 500);
    EXPECT_DOUBLE_EQ(y, 350);
    EXPECT_EQ(v.WorldToScreen(500, 350), QPoint(400, 200));
    // Far off the screen a coordinate becomes 0, not the limit.
    EXPECT_EQ(v.WorldToScreen(500 + 40000 / v.View().ScaleX, 350), QPoint(0, 200));
    // World to raster flips y about the extent; applied twice it returns the start.
    for (QPoint p : {QPoint(0, 0), QPoint(17, 3), QPoint(999, 699), QPoint(-5, 800)}) {
        const QPoint r = v.WorldToRaster(p.x(), p.y());
        EXPECT_EQ(r, QPoint(p.x(), 700 - p.y()));
        EXPECT_EQ(v.WorldToRaster(r.x(), r.y()), p);
    }
    EXPECT_EQ(v.WorldToRaster(30001, 10), QPoint(0, 690));
    QPoint untouched(7, 7);
    EXPECT_FALSE(v.MapToScreen(1e300, 0, untouched));
    EXPECT_EQ(untouched, QPoint(7, 7));
}

TEST(ViewTransform, SourceRectangleFollowsTheView) {
    ViewTransform v = Fitted(1000, 1000, 1000, 1000);
    // Home view: the surface shows exactly the extent.
    EXPECT_EQ(v.SourceRect(), QRect(0, 0, 1000, 1000));
    EXPECT_EQ(v.HScrollPosition(), 500);
    v.Zoom(0.5);
    EXPECT_EQ(v.SourceRect(), QRect(250, 250, 500, 500));
    v.Shift(100, 50); // world y up is raster row up
    v.UpdateView();
    EXPECT_EQ(v.SourceRect(), QRect(350, 200, 500, 500));
    EXPECT_EQ(v.HScrollPosition(), 600);
    EXPECT_EQ(v.VScrollPosition(), 450);
    // Extents wider than 65534 are never copied; the old rectangle stays.
    ViewTransform huge = Fitted(100, 100, 70000, 10);
    EXPECT_EQ(huge.SourceRect(), QRect());
}

TEST(ViewTransform, ResizeRefitsWithoutDistortion) {
    ViewTransform v = Fitted(800, 400, 800, 400);
    v.Zoom(0.5);
    const double ratio = v.View().Ratio;
    v.Resize(1600, 800);
    EXPECT_DOUBLE_EQ(v.View().Ratio, ratio);
    EXPECT_DOUBLE_EQ(v.HomeView().ScaleX, 1.0);
    const QRect r = v.SourceRect();
    EXPECT_EQ(r.width() * 800, r.height() * 1600); // same proportions as the surface
}
