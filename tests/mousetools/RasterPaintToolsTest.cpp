// SPDX-License-Identifier: GPL-3.0-or-later
// Painting the raster with the mouse: which raster pixels each tool changes, and that every
// change lies inside the area announced beforehand (what the undo copy relies on).
#include "ToolsOnAMap.h"
#include "drawing/Text_.h"

#include <gtest/gtest.h>

using namespace mousetools;
using tools_test::ToolsOnAMap;

namespace {

constexpr platform::Colour Red = 0x0000FE, White = 0xFEFEFE, Black = 0;

// The surface point over raster pixel (column, row) at this test's 2 pixels a unit.
QPoint Px(int column, int row) {
    return {2 * column, 2 * row};
}

void FillRaster(ToolsOnAMap& t, platform::Colour c) {
    t.panel.Raster().Fill(c);
    t.panel.RasterChanged();
}

} // namespace

TEST(RasterPaintTools, ThePencilDrawsEachMoveAsASegment) {
    ToolsOnAMap t(wmRaster, tmPencil);
    t.Press(Px(10, 10));
    t.MoveTo(Px(40, 10));
    t.MoveTo(Px(40, 40));
    t.Release(Px(40, 40));
    for (int x = 10; x < 40; ++x) EXPECT_EQ(t.Pixel(x, 10), Red) << x;
    for (int y = 10; y < 40; ++y) EXPECT_EQ(t.Pixel(40, y), Red) << y;
    EXPECT_EQ(t.Pixel(40, 40), White); // a line leaves its end pixel
    EXPECT_EQ(t.Pixel(25, 25), White);
    EXPECT_GT(t.painted, 0);
    EXPECT_FALSE(t.mouse.InProgress());
    EXPECT_EQ(t.Surface(Px(25, 10)), qRgb(254, 0, 0)); // the release shows the raster
}

// The eraser's square, BoxSize / scale = 3 pixels, lies above and left of the mouse, at the
// press and at every move.
TEST(RasterPaintTools, TheEraserClearsASquareAboveAndLeftOfTheMouse) {
    ToolsOnAMap t(wmRaster, tmEraser);
    FillRaster(t, Black);
    t.Press(Px(20, 20));
    for (int y = 17; y < 20; ++y)
        for (int x = 17; x < 20; ++x) EXPECT_EQ(t.Pixel(x, y), White) << x << "," << y;
    EXPECT_EQ(t.Pixel(20, 20), Black);
    EXPECT_EQ(t.Pixel(16, 18), Black);
    t.MoveTo(Px(30, 20));
    t.Release(Px(30, 20));
    EXPECT_EQ(t.Pixel(27, 17), White);
    EXPECT_EQ(t.Pixel(29, 19), White);
    EXPECT_EQ(t.Pixel(23, 18), Black); // the eraser does not sweep between moves
}

TEST(RasterPaintTools, TheFillBoxFillsTheDraggedRectangleInTheBackgroundColour) {
    ToolsOnAMap t(wmRaster, tmFillBox);
    FillRaster(t, Black);
    t.attributes.BackColor = 0x00FE00;
    t.Drag({Px(10, 10), Px(15, 12), Px(20, 15)});
    EXPECT_EQ(t.Pixel(10, 10), 0x00FE00u);
    EXPECT_EQ(t.Pixel(19, 14), 0x00FE00u);
    EXPECT_EQ(t.Pixel(20, 15), Black);
    EXPECT_EQ(t.Pixel(9, 12), Black);
    EXPECT_FALSE(t.mouse.InProgress());
}

// Lines and circles outside the draw group go into the raster, at the raster pixels under
// the mouse, and end at the release.
TEST(RasterPaintTools, LinesAndCirclesGoIntoTheRasterWhereTheMouseWas) {
    ToolsOnAMap t(wmRaster, tmLine);
    t.Drag({Px(10, 50), Px(60, 50)});
    EXPECT_EQ(t.Pixel(10, 50), Red);
    EXPECT_EQ(t.Pixel(59, 50), Red);
    EXPECT_EQ(t.Pixel(100, 100), White); // not at the screen coordinates
    EXPECT_FALSE(t.mouse.InProgress());
    EXPECT_EQ(t.added, 0);

    t.mouse.SetTool(tmCircle);
    t.Drag({Px(75, 75), Px(85, 78)});
    EXPECT_EQ(t.Pixel(65, 75), Red);
    EXPECT_EQ(t.Pixel(84, 75), Red);
    EXPECT_EQ(t.Pixel(75, 65), Red);
    EXPECT_EQ(t.Pixel(75, 75), White); // an outline: what was inside stays
    EXPECT_FALSE(t.mouse.InProgress());
}

TEST(RasterPaintTools, ARasterPolylineIsPaintedWhenTheStrokeEnds) {
    ToolsOnAMap t(wmRaster, tmPolyline);
    t.Click(Px(10, 100));
    t.Click(Px(50, 100));
    t.Click(Px(50, 130));
    EXPECT_EQ(t.Pixel(30, 100), White);
    t.Click(Px(70, 70), Qt::RightButton);
    EXPECT_EQ(t.Pixel(30, 100), Red);
    EXPECT_EQ(t.Pixel(50, 115), Red);
    EXPECT_EQ(t.added, 0);
}

// "Pick up text": the raster under the box goes, and a text entity takes its place along
// the base line.
TEST(RasterPaintTools, PickUpTextErasesTheBoxAndPlacesTheText) {
    ToolsOnAMap t(wmConvert, tmText);
    for (int y = 40; y < 50; ++y)
        for (int x = 20; x < 70; ++x) t.panel.Raster().SetPixel(x, y, Black);
    t.panel.RasterChanged();
    t.attributes.BoxSize = 20; // 10 raster pixels at this zoom
    t.attributes.TextString = "Hi";
    t.Drag({Px(20, 50), Px(45, 50), Px(70, 50)});
    for (int y = 40; y < 50; ++y)
        for (int x = 20; x < 70; ++x) ASSERT_EQ(t.Pixel(x, y), White) << x << "," << y;
    auto* text = t.Only<drawing::Text_>("Text_");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Angle, 0);
    EXPECT_EQ(text->Pos.x, 20);
    EXPECT_EQ(text->Pos.y, 100);
}

TEST(RasterPaintTools, ShiftAndCtrlClicksTakeColoursAndPaintNothing) {
    ToolsOnAMap t(wmRaster, tmPencil);
    const platform::Colour marked = platform::MakeColour(100, 51, 200);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) t.panel.Raster().SetPixel(x, y, marked);
    int picked = 0;
    t.events.ColoursPicked = [&] { ++picked; };
    t.Click(Px(10, 10), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(t.attributes.ForeColor, platform::MakeColour(100, 50, 200));
    t.Click(Px(10, 10), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(t.attributes.BackColor, platform::MakeColour(100, 50, 200));
    EXPECT_EQ(picked, 2);
    EXPECT_FALSE(t.mouse.InProgress());
    EXPECT_TRUE(t.view.areas.empty());
}

// While the canvas pans, a press is the canvas's: the eraser does not act.
TEST(RasterPaintTools, NothingIsPaintedWhileTheCanvasHasTheMouse) {
    ToolsOnAMap t(wmRaster, tmEraser);
    t.panel.MouseMode = canvas::TGISPanel::mmPan;
    t.Click(Px(20, 20));
    EXPECT_TRUE(t.view.areas.empty());
    EXPECT_FALSE(t.mouse.InProgress());
}

// Every pixel a raster tool changes lies inside an area it announced before painting, for
// thin and wide, plain and dashed pens.
// The undo copy taken when the raster tool was chosen puts every change back.
TEST(RasterPaintTools, EveryChangeLiesInsideTheAnnouncedAreasAndIsUndone) {
    struct Gesture {
        const char* name;
        WorkMode work;
        ToolMode tool;
        std::function<void(ToolsOnAMap&)> run;
    };
    const Gesture gestures[] = {
        {"pencil", wmRaster, tmPencil,
         [](ToolsOnAMap& t) {
             t.Drag({Px(10, 10), Px(40, 13), Px(41, 60), Px(5, 80)});
         }},
        {"eraser", wmRaster, tmEraser,
         [](ToolsOnAMap& t) {
             t.Drag({Px(10, 10), Px(40, 13), Px(0, 0)});
         }},
        {"fill box", wmRaster, tmFillBox,
         [](ToolsOnAMap& t) {
             t.Drag({Px(30, 30), Px(12, 50)});
         }},
        {"line", wmRaster, tmLine,
         [](ToolsOnAMap& t) {
             t.Drag({Px(30, 30), Px(100, 51)});
         }},
        {"circle", wmRaster, tmCircle,
         [](ToolsOnAMap& t) {
             t.Drag({Px(70, 70), Px(90, 81)});
         }},
        {"polyline", wmRaster, tmPolyline,
         [](ToolsOnAMap& t) {
             t.Click(Px(10, 100));
             t.Click(Px(60, 120));
             t.Click(Px(20, 140));
             t.Click(Px(0, 0), Qt::RightButton);
         }},
        {"pick up text", wmConvert, tmText,
         [](ToolsOnAMap& t) {
             t.Drag({Px(20, 60), Px(70, 30)});
         }},
    };
    for (const Gesture& g : gestures)
        for (const int width : {1, 7})
            for (const std::uint8_t style : {0, 1}) {
                ToolsOnAMap t(g.work, g.tool);
                FillRaster(t, 0x808080);
                t.attributes.LineWidth = width;
                t.attributes.LineStyle = style;
                t.attributes.BoxSize = 14;
                t.panel.SaveRasterUndo();
                g.run(t);
                ASSERT_FALSE(t.view.areas.empty()) << g.name;
                int changed = 0;
                for (int y = 0; y < 150; ++y)
                    for (int x = 0; x < 150; ++x) {
                        if (t.Pixel(x, y) == 0x808080) continue;
                        ++changed;
                        const bool inside =
                            std::any_of(t.view.areas.begin(), t.view.areas.end(),
                                        [&](const QRect& r) { return r.contains(x, y); });
                        ASSERT_TRUE(inside) << g.name << " width " << width << " style "
                                            << int(style) << " at " << x << "," << y;
                    }
                EXPECT_GT(changed, 0) << g.name;
                t.panel.RestoreRasterUndo();
                for (int y = 0; y < 150; ++y)
                    for (int x = 0; x < 150; ++x)
                        ASSERT_EQ(t.Pixel(x, y), 0x808080u)
                            << g.name << " not undone at " << x << "," << y;
            }
}
