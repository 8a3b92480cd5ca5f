// SPDX-License-Identifier: GPL-3.0-or-later
// Entities drawn through the map canvas's screen projection onto a real surface.
#include "canvas/TGISPanel.h"
#include "drawing/Circle_.h"
#include "drawing/Polyline_.h"
#include "drawing/Text_.h"

#include <gtest/gtest.h>

using drawing::Point3;
using drawing::WorldZAxis;

namespace {

// A 400 × 400 surface over a 400 × 400 extent: one map unit a pixel, y up.
struct Surface {
    canvas::TGISPanel panel;
    QImage image{400, 400, QImage::Format_RGB32};
    platform::QtCanvas canvas{&image};
    Surface() {
        panel.resize(400, 400);
        panel.show();
        panel.SetExtent(0, 0, 0, 400, 0, 400);
        image.fill(Qt::white);
    }
    QRect Ink() {
        canvas.End();
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
        return box;
    }
    void Draw(drawing::DXF_Entity& e) { e.Draw(canvas, nullptr, panel.ScreenProjection()); }
};

} // namespace

TEST(EntityPixels, ATinyCircleIsOnePixelAtItsLowerLeftCorner) {
    Surface s;
    drawing::Circle_ circle(WorldZAxis, {100, 100, 0}, 0.5, 1, 0, 1, 0, 0);
    circle.SetColor(0x0000FE);
    s.Draw(circle);
    const QPoint corner = s.panel.MapToScreen({99.5, 99.5, 0}, nullptr);
    EXPECT_EQ(s.Ink(), QRect(corner, QSize(1, 1)));
    EXPECT_EQ(s.image.pixel(corner), qRgb(254, 0, 0));
}

TEST(EntityPixels, ASolidBrushPolylineIsClosedAndFilled) {
    Surface s;
    std::vector<Point3> v = {{100, 100, 0}, {200, 100, 0}, {200, 200, 0}, {100, 200, 0}};
    drawing::Polyline_ poly(WorldZAxis, v, 1, 0, 0 /* solid */, 0x00FE00, 0, false);
    s.Draw(poly);
    EXPECT_TRUE(poly.Closed);
    EXPECT_EQ(s.image.pixel(s.panel.MapToScreen({150, 150, 0}, nullptr)), qRgb(0, 254, 0));
}

TEST(EntityPixels, TextsFollowAngleAlignmentAndSize) {
    Surface upright, rotated, centred, tiny;
    drawing::Text_ flat(WorldZAxis, {200, 200, 0}, "Penwright", "Liberation Serif", 20, 0, 0, 0, 0);
    upright.Draw(flat);
    const QRect a = upright.Ink();
    EXPECT_GT(a.width(), a.height());
    EXPECT_LE(a.bottom(), 200 + 6); // base line through the insertion point: little below it

    drawing::Text_ up(WorldZAxis, {200, 200, 0}, "Penwright", "Liberation Serif", 20, 900, 1, 0, 0);
    rotated.Draw(up);
    const QRect b = rotated.Ink();
    EXPECT_GT(b.height(), b.width()); // reads upwards
    EXPECT_LT(b.top(), 200);

    drawing::Text_ middle(WorldZAxis, {200, 200, 0}, "Penwright", "Liberation Serif", 20, 0, 0, 0,
                          1);
    centred.Draw(middle);
    const QRect c = centred.Ink();
    EXPECT_NEAR(c.center().x(), 200, 3);

    // Less than a pixel high at this view: nothing at all.
    tiny.panel.Zoom(40);
    drawing::Text_ small(WorldZAxis, {200, 200, 0}, "Penwright", "Liberation Serif", 3, 0, 0, 0, 0);
    tiny.Draw(small);
    EXPECT_TRUE(tiny.Ink().isEmpty());
}
