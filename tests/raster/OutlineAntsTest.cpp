// SPDX-License-Identifier: GPL-3.0-or-later
// The outline animation's dashes, kept from tick to tick, against drawing every point.
#include "raster/OutlineAnts.h"
#include "platform/QtCanvas.h"

#include <QImage>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using Outline = std::vector<QPoint>;

// A tick as drawn point by point: each point the view puts strictly inside the surface, in
// the colour of the run counter's dash, later points over earlier ones.
void DrawEveryPoint(platform::Canvas& surface, const raster::ViewTransform& view, int width,
                    int height, const std::vector<Outline>& outlines, int phase) {
    int run = phase;
    platform::Colour colour = 0;
    const raster::TMapView& home = view.HomeView();
    for (const Outline& outline : outlines)
        for (const QPoint p : outline) {
            QPoint s;
            if (!view.MapToScreen(p.x(), home.YMax - p.y() + home.YMin, s)) continue;
            if (s.x() <= 0 || s.x() >= width || s.y() <= 0 || s.y() >= height) continue;
            surface.SetPixel(s.x(), s.y(), colour);
            ++run;
            if (run == phase + 4 || run == phase + 12 || run == phase + 20) {
                colour = 0xFFFFFF;
            } else if (run == phase + 8 || run == phase + 16) {
                colour = 0;
            } else if (run == phase + 24) {
                colour = 0;
                run = 0;
            }
        }
}

// Random walks of neighbouring pixels, some leaving the raster.
std::vector<Outline> RandomOutlines(std::uint32_t seed, int size) {
    std::mt19937 random(seed);
    std::vector<Outline> outlines(8);
    for (Outline& outline : outlines) {
        QPoint p(int(random() % unsigned(size)), int(random() % unsigned(size)));
        for (int k = int(random() % 400); k >= 0; --k) {
            outline.push_back(p);
            p += QPoint(int(random() % 3) - 1, int(random() % 3) - 1);
        }
    }
    return outlines;
}

} // namespace

// Several raster pixels to a screen pixel (the points overlap), one to one, and zoomed in past
// the surface's edges: every phase in turn, the kept layer draws what every point drawn gives.
TEST(OutlineAnts, DrawsWhatDrawingEveryPointGives) {
    const int width = 90, height = 70, size = 300;
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const std::vector<Outline> outlines = RandomOutlines(seed, size);
        raster::ViewTransform view;
        view.SetSurfaceSize(width, height);
        view.SetExtent(0, 0, 0, size, 0, size);
        raster::OutlineAnts ants;
        int made = 0;
        const auto forEachPoint = [&](const auto& visit) {
            ++made;
            for (const Outline& outline : outlines)
                for (const QPoint p : outline) visit(p);
        };
        for (const double zoom : {1.0, 4.0, 3.0}) {
            ASSERT_TRUE(view.Zoom(zoom));
            for (int tick = 0; tick < 2 * raster::OutlineAnts::Phases; ++tick) {
                const int phase = tick % raster::OutlineAnts::Phases;
                QImage want(width, height, QImage::Format_RGB32), got = want;
                want.fill(QColor(128, 128, 128));
                got.fill(QColor(128, 128, 128));
                platform::QtCanvas wantCanvas(&want), gotCanvas(&got);
                DrawEveryPoint(wantCanvas, view, width, height, outlines, phase);
                ants.Prepare(view, width, height, forEachPoint);
                ants.Draw(gotCanvas, phase);
                ASSERT_TRUE(got == want) << "seed " << seed << " zoom " << zoom << " tick " << tick;
            }
        }
        EXPECT_EQ(made, 3); // once for each view, not each tick
        ants.Forget();      // the outlines changed: made again at the same view
        ants.Prepare(view, width, height, forEachPoint);
        EXPECT_EQ(made, 4);
    }
}
