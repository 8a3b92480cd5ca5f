// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/EntityDraw.h"
#include "DrawingTestSupport.h"
#include "drawing/Entities.h"
#include "drawing/EntityStyle.h"
#include "drawing/Entity_List.h"
#include "drawing/Projection.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace drawing {
namespace {

// Records each drawing call with the pen, brush and font in force.
class RecordingCanvas : public platform::Canvas {
public:
    std::vector<std::string> calls;

    void Rectangle(int, int, int, int) override { Note("Rectangle", {}); }
    void FillRect(const QRect&) override { Note("FillRect", {}); }
    void Ellipse(int x1, int y1, int x2, int y2) override { Note("Ellipse", {x1, y1, x2, y2}); }
    void Arc(int x1, int y1, int x2, int y2, int, int, int, int) override {
        Note("Arc", {x1, y1, x2, y2});
    }
    void Polygon(const QPoint*, int count) override { Note("Polygon", {count}); }
    void Polyline(const QPoint*, int count) override { Note("Polyline", {count}); }
    void SetPixel(int x, int y, platform::Colour c) override {
        Note("SetPixel", {x, y}, std::to_string(c));
    }
    platform::Colour Pixel(int, int) const override { return 0; }
    void TextOut(int x, int y, const std::string& text) override { Note("TextOut", {x, y}, text); }
    void StretchDraw(const QRect&, const QImage&, const QRect&) override {}

protected:
    void DrawLine(QPoint from, QPoint to) override {
        Note("Line", {from.x(), from.y(), to.x(), to.y()});
    }

private:
    // "name x,y,... extra"
    void Note(const char* name, std::initializer_list<int> values, const std::string& extra = {}) {
        std::string s(name);
        char separator = ' ';
        for (int v : values) {
            s += separator;
            s.append(std::to_string(v));
            separator = ',';
        }
        if (!extra.empty()) {
            s += ' ';
            s.append(extra);
        }
        calls.push_back(s);
    }
};

// Map to canvas: x * scale, canvas y = 100 - y * scale.
struct ScaledProjection : Projection {
    double scale = 1;
    QPoint Project(const Point3& p, const Matrix4* m) const override {
        const Point3 q = m ? TransformPoint(*m, p) : p;
        return {RoundClamped(q.x * scale), RoundClamped(100 - q.y * scale)};
    }
};

TEST(EntityDrawTest, ShapesThroughTheProjection) {
    RecordingCanvas canvas;
    ScaledProjection proj;
    Line_ line({1, 2, 0}, {11, 2, 0}, 3, 1, 9);
    line.Draw(canvas, nullptr, proj);
    EXPECT_EQ(canvas.calls.back(), "Line 1,98,11,98");
    EXPECT_EQ(canvas.GetPen().Width, 3);
    EXPECT_EQ(canvas.GetPen().Style, platform::PenStyle::Dash);
    EXPECT_EQ(canvas.GetPen().Color, line.Color);

    Circle_ circle(WorldZAxis, {10, 10, 0}, 0.4, 1, 0, 0, 0x00FF00, 0);
    circle.Draw(canvas, nullptr, proj); // about 1 pixel: one pixel at the lower left corner
    EXPECT_EQ(canvas.calls.back(), "SetPixel 10,90 0");
    circle.Radius = 5;
    circle.Draw(canvas, nullptr, proj);
    EXPECT_EQ(canvas.calls.back(), "Ellipse 5,85,15,95");
    EXPECT_EQ(canvas.GetBrush().Color, 0x00FF00u);

    Polyline_ poly(WorldZAxis, std::vector<Point3>{{0, 0, 0}, {5, 0, 0}, {5, 5, 0}}, 1, 0, 1, 0, 0,
                   false);
    poly.Draw(canvas, nullptr, proj);
    EXPECT_EQ(canvas.calls.back(), "Polyline 3");
    poly.BrushStyle = 0; // a solid brush closes it for good
    poly.Draw(canvas, nullptr, proj);
    EXPECT_EQ(canvas.calls.back(), "Polygon 3");
    EXPECT_TRUE(poly.Closed);

    canvas.calls.clear();
    poly.DrawMarkers(canvas, nullptr, proj);
    ASSERT_EQ(canvas.calls.size(), 3u);
    EXPECT_EQ(canvas.calls[2], "Ellipse 3,93,8,98");
}

TEST(EntityDrawTest, Texts) {
    RecordingCanvas canvas;
    ScaledProjection proj;
    Text_ text(WorldZAxis, {10, 20, 0}, "Hello", "Liberation Serif", 12.4, 0, platform::FontBold, 0,
               1);
    text.Draw(canvas, nullptr, proj);
    EXPECT_EQ(canvas.calls.back(), "TextOut 10,80 Hello");
    EXPECT_EQ(canvas.TextAlign(), 30u);
    EXPECT_EQ(canvas.GetFont().Height, 12);
    EXPECT_EQ(canvas.GetFont().Escapement, 0);
    EXPECT_EQ(canvas.GetBrush().Style, platform::BrushStyle::Clear);

    text.Angle = 900;
    text.Draw(canvas, nullptr, proj);
    EXPECT_EQ(text.LogFont.Escapement, 900);
    EXPECT_EQ(text.LogFont.Width, 12);
    EXPECT_EQ(text.LogFont.Weight, 700);
    EXPECT_EQ(canvas.GetFont().Escapement, 900);

    canvas.calls.clear();
    proj.scale = 0.01; // less than a pixel high: nothing at all
    text.Draw(canvas, nullptr, proj);
    EXPECT_TRUE(canvas.calls.empty());

    const auto lf = MakeLogFont(std::string(40, 'F'), 0, 0, 10, platform::FontItalic);
    EXPECT_EQ(lf.Face(), std::string(31, 'F'));
    EXPECT_EQ(lf.FaceName[31], '\0');
    EXPECT_EQ(lf.Italic, 1);
    EXPECT_EQ(lf.Quality, 1);
}

class StyleOverrideTest : public testing::Test {
protected:
    void SetUp() override {
        savedEdit_ = EditStyle;
        savedDisplay_ = DisplayStyle;
        savedOverride_ = StyleOverride;
    }
    void TearDown() override {
        EditStyle = savedEdit_;
        DisplayStyle = savedDisplay_;
        StyleOverride = savedOverride_;
    }

private:
    EntityStyle savedEdit_, savedDisplay_;
    std::int32_t savedOverride_ = 0;
};

TEST_F(StyleOverrideTest, DisplayStyleIsForOnePassOnly) {
    Entity_List lines("Line_"), texts("Text_");
    lines.Add(std::make_unique<Line_>(Point3{0, 0, 0}, Point3{5, 5, 0}, 2, 1, 9));
    texts.Add(std::make_unique<Text_>(WorldZAxis, Point3{}, "own", "Arial", 10, 0, 0, 9, 0));
    DisplayStyle.PenColor = 0x0000FF;
    DisplayStyle.FontColor = 0x00FF00;
    DisplayStyle.Text = "shown";
    RecordingCanvas canvas;
    ScaledProjection proj;

    StyleOverride = 2;
    lines.Draw(canvas, nullptr, proj);
    EXPECT_EQ(canvas.GetPen().Color, 0x0000FFu);
    EXPECT_EQ(canvas.GetPen().Width, 1);
    texts.Draw(canvas, nullptr, proj);
    EXPECT_EQ(canvas.calls.back(), "TextOut 0,100 shown");
    EXPECT_EQ(canvas.GetFont().Color, 0x00FF00u);

    StyleOverride = 0;
    lines.Draw(canvas, nullptr, proj);
    EXPECT_EQ(canvas.GetPen().Color, lines.Entities[0]->Color);
    EXPECT_EQ(canvas.GetPen().Width, 2);
    const auto& text = static_cast<Text_&>(*texts.Entities[0]);
    EXPECT_EQ(text.TextString, "own");
    EXPECT_EQ(text.Color, texts.Entities[0]->Color);
    EXPECT_NE(text.Color, 0x00FF00u);

    canvas.calls.clear();
    lines.DrawMarkers(canvas, nullptr, proj); // markers only while the override is on
    EXPECT_TRUE(canvas.calls.empty());
    StyleOverride = 2;
    lines.DrawMarkers(canvas, nullptr, proj);
    EXPECT_EQ(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.GetPen().Color, 0x0000FFu);
    EXPECT_NE(lines.Entities[0]->Color, 0x0000FFu);
}

TEST_F(StyleOverrideTest, EditStyleStays) {
    Entity_List circles("Circle_"), texts("Text_");
    circles.Add(std::make_unique<Circle_>(WorldZAxis, Point3{}, 3, 1, 0, 1, 0, 0));
    texts.Add(std::make_unique<Text_>(WorldZAxis, Point3{}, "own", "Arial", 10, 0, 0, 0, 0));
    EditStyle = {.PenColor = 0x112233,
                 .PenWidth = 4,
                 .PenStyle = 2,
                 .BrushColor = 0x445566,
                 .BrushStyle = 6,
                 .FontName = "Courier",
                 .FontSize = 20,
                 .FontColor = 0x778899,
                 .FontStyle = 3,
                 .Angle = 450,
                 .Text = ""};
    RecordingCanvas canvas;
    ScaledProjection proj;
    StyleOverride = 1;
    circles.Draw(canvas, nullptr, proj);
    texts.Draw(canvas, nullptr, proj);
    const auto& circle = *circles.Entities[0];
    EXPECT_EQ(circle.Color, 0x112233u);
    EXPECT_EQ(circle.PenWidth, 4);
    EXPECT_EQ(circle.FillColor, 0x445566u);
    EXPECT_EQ(circle.BrushStyle, 6);
    const auto& text = static_cast<const Text_&>(*texts.Entities[0]);
    EXPECT_EQ(text.FontName, "Courier");
    EXPECT_EQ(text.Height, 20);
    EXPECT_EQ(text.Color, 0x778899u);
    EXPECT_EQ(text.Angle, 450);
    EXPECT_EQ(text.TextString, "own"); // an empty edit text leaves it
}

} // namespace
} // namespace drawing
