// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing entities with the mouse: the press, moves and release on the map canvas, and
// what lands in the drawing and on the surface.
#include "ToolsOnAMap.h"
#include "drawing/Circle_.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/Text_.h"

#include <gtest/gtest.h>

using namespace mousetools;
using drawing::Point3;
using tools_test::ToolsOnAMap;

namespace {

const QRgb Red = qRgb(254, 0, 0), White = qRgb(254, 254, 254);

std::vector<Point3> VerticesOf(const drawing::Polyline_& p) {
    return p.Vertices;
}

} // namespace

namespace drawing {
inline bool operator==(const Point3& a, const Point3& b) {
    return PointsEqual(a, b);
}
} // namespace drawing

TEST(DrawTools, ALineIsDrawnOnTheCurrentLayerAndTheBandComesOff) {
    ToolsOnAMap t(wmDraw, tmLine);
    t.attributes.LineWidth = 2;
    t.attributes.LineStyle = 1;
    t.attributes.LayerName = "roads";
    t.Drag({t.At(10, 20), t.At(30, 25), t.At(40, 60)});
    auto* line = t.Only<drawing::Line_>("Line_");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Pos, (Point3{10, 20, 0}));
    EXPECT_EQ(line->EndPos, (Point3{40, 60, 0}));
    EXPECT_EQ(line->PenWidth, 2);
    EXPECT_EQ(line->PenStyle, 1);
    EXPECT_EQ(line->Color, 0x0000FEu);
    EXPECT_EQ(line->ColorIndex, 9); // the palette's red
    EXPECT_EQ(t.added, 1);
    EXPECT_FALSE(t.mouse.InProgress());
    // On the surface at once; the first band (towards (30, 25)) is gone again.
    EXPECT_EQ(t.Surface(t.At(25, 40)), Red);
    EXPECT_EQ(t.Surface(t.At(20, 22.5)), White);
}

TEST(DrawTools, ARectangleIsAlwaysAClosedPolylineEntity) {
    for (const WorkMode work : {wmDraw, wmRaster}) {
        ToolsOnAMap t(work, tmRectangle);
        t.Drag({t.At(10, 10), t.At(40, 30)});
        auto* rectangle = t.Only<drawing::Polyline_>("Polyline_");
        ASSERT_NE(rectangle, nullptr) << work;
        EXPECT_TRUE(rectangle->Closed);
        EXPECT_EQ(VerticesOf(*rectangle),
                  (std::vector<Point3>{{10, 10, 0}, {10, 30, 0}, {40, 30, 0}, {40, 10, 0}}));
        EXPECT_TRUE(t.view.areas.empty()) << "the raster is not touched";
    }
    // Made closed (solid brush), it keeps its repeated corner.
    ToolsOnAMap t(wmDraw, tmRectangle);
    t.attributes.ClosePolylines = 1;
    t.attributes.BrushStyle = 0;
    t.attributes.BackColor = 0xFE0000;
    t.Drag({t.At(10, 10), t.At(40, 30)});
    auto* rectangle = t.Only<drawing::Polyline_>("Polyline_");
    ASSERT_NE(rectangle, nullptr);
    EXPECT_EQ(rectangle->Count(), 5);
    EXPECT_TRUE(rectangle->Closed);
    EXPECT_EQ(t.Surface(t.At(25, 20)), qRgb(0, 0, 254)); // filled
}

// Dragged 30 pixels right and 40 up: the radius is the larger map difference, 20.
TEST(DrawTools, ACircleTakesTheLargerMapDifferenceAsItsRadius) {
    ToolsOnAMap t(wmDraw, tmCircle);
    t.attributes.BrushStyle = 1;
    t.attributes.BackColor = 0x00FE00;
    const QPoint centre = t.At(50, 50);
    t.Drag({centre, centre + QPoint(30, -40)});
    auto* circle = t.Only<drawing::Circle_>("Circle_");
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle->Pos, (Point3{50, 50, 0}));
    EXPECT_EQ(circle->Radius, 20);
    EXPECT_EQ(circle->BrushStyle, 1);
    EXPECT_EQ(circle->FillColor, 0x00FE00u);
}

// Every left press and release adds a vertex, the stroke's first point twice more; a press
// of another button ends the polyline.
TEST(DrawTools, APolylineGetsAVertexAtEveryPressAndRelease) {
    ToolsOnAMap t(wmDraw, tmPolyline);
    t.Click(t.At(10, 10));
    t.MoveTo(t.At(30, 10), Qt::NoButton);
    t.Click(t.At(30, 10));
    t.MoveTo(t.At(30, 40), Qt::NoButton);
    t.Click(t.At(30, 40));
    EXPECT_EQ(t.added, 0);
    EXPECT_TRUE(t.mouse.InProgress());
    t.Click(t.At(50, 50), Qt::RightButton);
    auto* polyline = t.Only<drawing::Polyline_>("Polyline_");
    ASSERT_NE(polyline, nullptr);
    EXPECT_FALSE(polyline->Closed);
    EXPECT_EQ(VerticesOf(*polyline), (std::vector<Point3>{{10, 10, 0},
                                                          {10, 10, 0},
                                                          {10, 10, 0},
                                                          {30, 10, 0},
                                                          {30, 10, 0},
                                                          {30, 40, 0},
                                                          {30, 40, 0}}));
    EXPECT_FALSE(t.mouse.InProgress());
    EXPECT_EQ(t.Surface(t.At(30, 25)), Red);
    // A right click without a stroke makes nothing, nor one after another tool's press.
    t.Click(t.At(50, 50), Qt::RightButton);
    t.mouse.SetTool(tmLine);
    t.Drag({t.At(10, 10), t.At(20, 20)});
    t.mouse.SetTool(tmPolyline);
    t.Click(t.At(50, 50), Qt::RightButton);
    EXPECT_EQ(t.added, 2);
    EXPECT_EQ(t.List("Penwright", "Polyline_")->Count(), 1);
}

// A stroke is not limited to 1001 points: a long one keeps all of its own.
TEST(DrawTools, ALongStrokeKeepsEveryPoint) {
    ToolsOnAMap t(wmDraw, tmPolyline);
    for (int i = 0; i < 700; ++i) t.Click(t.At(10 + i % 100, 10 + i / 100));
    EXPECT_EQ(t.mouse.CurrentStroke().Count(), 1401);
    t.Click(t.At(5, 5), Qt::RightButton);
    auto* polyline = t.Only<drawing::Polyline_>("Polyline_");
    ASSERT_NE(polyline, nullptr);
    EXPECT_EQ(polyline->Count(), 1401);
    EXPECT_EQ(polyline->Vertices.back(), (Point3{109, 16, 0}));
}

// Escape drops the stroke; the next press starts a new one.
TEST(DrawTools, CancellingDropsTheStroke) {
    ToolsOnAMap t(wmDraw, tmPolyline);
    t.Click(t.At(10, 10));
    t.Click(t.At(30, 10));
    t.mouse.Cancel();
    EXPECT_FALSE(t.mouse.InProgress());
    EXPECT_EQ(t.mouse.CurrentStroke().Count(), 0);
    t.Click(t.At(50, 50), Qt::RightButton);
    EXPECT_EQ(t.added, 0);
}

// The angle of a text is the direction of the drag on the screen, in tenths of a degree.
TEST(DrawTools, ATextLiesAlongTheDrag) {
    struct Case {
        QPoint offset;
        int angle;
    };
    for (const Case c :
         {Case{{40, 0}, 0}, {{0, -40}, 900}, {{0, 40}, 2700}, {{0, 0}, 900}, {{-20, -20}, 1350}}) {
        ToolsOnAMap t(wmNone, tmText);
        t.attributes.TextString = "Abc";
        t.attributes.FontName = "Liberation Serif";
        t.attributes.FontSize = 14;
        t.attributes.FontColor = 0x00FE00;
        t.attributes.FontStyle = 1;
        const QPoint start = t.At(40, 60);
        t.Drag({start, start + c.offset});
        auto* text = t.Only<drawing::Text_>("Text_");
        ASSERT_NE(text, nullptr) << c.angle;
        EXPECT_EQ(text->Angle, c.angle);
        EXPECT_EQ(t.attributes.FontAngle, c.angle);
        EXPECT_EQ(text->Pos, (Point3{40, 60, 0}));
        EXPECT_EQ(text->TextString, "Abc");
        EXPECT_EQ(text->FontName, "Liberation Serif");
        EXPECT_EQ(text->Height, 14);
        EXPECT_EQ(text->FontStyle, 1);
        EXPECT_EQ(text->Color, 0x00FE00u);
    }
    // Without a text nothing is placed.
    ToolsOnAMap t(wmNone, tmText);
    t.Drag({t.At(10, 10), t.At(40, 10)});
    EXPECT_EQ(t.added, 0);
}

// Only the raster and convert groups paint lines into the raster; with any other group or
// scope (the start, the draw group's text tool, the vector group) a line is an entity, so
// the raster never changes without a raster tool's undo copy.
TEST(DrawTools, LinesAreEntitiesUnlessARasterGroupIsAtWork) {
    for (const WorkMode work : {wmNone, wmDraw, wmVector, wmSelected, wmVisible}) {
        ToolsOnAMap t(work, tmLine);
        t.Drag({t.At(10, 10), t.At(40, 30)});
        EXPECT_NE(t.Only<drawing::Line_>("Line_"), nullptr) << work;
        EXPECT_TRUE(t.view.areas.empty()) << work;
    }
    for (const WorkMode work : {wmRaster, wmConvert}) {
        ToolsOnAMap t(work, tmLine);
        t.Drag({t.At(10, 10), t.At(40, 30)});
        EXPECT_EQ(t.added, 0) << work;
        EXPECT_EQ(t.painted, 1) << work;
    }
}

TEST(DrawTools, NothingIsMadeWithoutADrawing) {
    ToolsOnAMap t(wmDraw, tmLine);
    t.context.Drawing = nullptr;
    t.Drag({t.At(10, 10), t.At(40, 30)});
    EXPECT_EQ(t.added, 0);
    EXPECT_EQ(t.drawing.LayerCount(), 0);
}
