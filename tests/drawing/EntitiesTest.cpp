// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Entities.h"
#include "DrawingTestSupport.h"
#include "drawing/Palette.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace drawing {
namespace {

constexpr double Pi = std::numbers::pi;

Polyline_ MakePolyline(std::vector<Point3> points, bool closed = false) {
    return Polyline_(WorldZAxis, points, 1, 0, 1, 0, 2, closed);
}

TEST(EntitiesTest, PolylineConstructorDropsARepeatedLastPoint) {
    const Point3 a{0, 0, 0}, b{4, 0, 0}, c{4, 3, 0};
    struct Case {
        std::vector<Point3> points;
        bool closed;
        bool expectClosed;
        int expectCount;
    } cases[] = {
        {{a, b, c}, false, false, 3},
        {{a, b, c, a}, false, true, 3}, // the repeated point goes
        {{a, b, c, a}, true, true, 4},  // already closed: kept as given
        {{a}, false, true, 0},          // a single point equals itself
    };
    for (const auto& k : cases) {
        const Polyline_ p = MakePolyline(k.points, k.closed);
        EXPECT_EQ(p.Closed, k.expectClosed);
        EXPECT_EQ(p.Count(), k.expectCount);
        EXPECT_EQ(p.OpenPolyCount() + p.ClosedPolyCount(), 1);
    }
    const Polyline_ p = MakePolyline({a, b, c});
    EXPECT_EQ(p.Color, Palette[2]);
    EXPECT_EQ(p.ColorIndex, 2);
    EXPECT_EQ(p.VertexCount(), 3);
    EXPECT_EQ(p.LineCount(), 3);
}

TEST(EntitiesTest, ConstructorsSetColoursAndAngles) {
    const Point_ point(WorldZAxis, {1, 2, 3}, 3, 2, 9);
    EXPECT_EQ(point.Color, platform::MakeColour(254, 0, 0));
    EXPECT_EQ(point.FillColor, point.Color);
    EXPECT_EQ(point.BrushStyle, 0);
    const Circle_ circle(WorldZAxis, {0, 0, 0}, 5, 1, 0, 7, 0x123456, 4);
    EXPECT_EQ(circle.FillColor, 0x123456u);
    EXPECT_EQ(circle.BrushStyle, 7);
    const Arc_ arc(WorldZAxis, {0, 0, 0}, 5, 90, 180, 1, 0, 1, 0, 0);
    EXPECT_DOUBLE_EQ(arc.Angle1, Pi / 2);
    EXPECT_DOUBLE_EQ(arc.Angle2, Pi);
    const Text_ text(WorldZAxis, {0, 0, 0}, std::string(300, 'x'), "Arial", 10, 0, 0, 0, 1);
    EXPECT_EQ(text.TextString.size(), MaxShortText);
    EXPECT_EQ(text.PenWidth, 1);
}

TEST(EntitiesTest, SetColorFindsThePaletteIndex) {
    Point_ p(WorldZAxis, {}, 1, 0, 5);
    p.SetColor(0);
    EXPECT_EQ(p.ColorIndex, 0);
    p.SetColor(platform::MakeColour(0, 128, 64));
    EXPECT_EQ(p.ColorIndex, 29);
    p.SetColor(platform::MakeColour(255, 0, 0)); // the palette has 254
    EXPECT_EQ(p.ColorIndex, 0);
    EXPECT_EQ(p.Color, platform::MakeColour(255, 0, 0));
    p.SetColorIndex(47 + 4);
    EXPECT_EQ(p.Color, Palette[4]);
    EXPECT_EQ(p.ColorIndex, 51);
    p.SetColorIndex(-1); // outside the palette, but must not read outside it
    EXPECT_EQ(p.Color, Palette[46]);
}

TEST(EntitiesTest, OcsAxis) {
    const Point_ world(WorldZAxis, {}, 1, 0, 0);
    EXPECT_EQ(world.OCSMatrix, nullptr);
    const Point_ tilted({1, 0, 0}, {}, 1, 0, 0);
    ASSERT_NE(tilted.OCSMatrix, nullptr);
    // W = z (|x| >= 1/64): Ax = z x axis = (0, 1, 0); Ay = axis x Ax = (0, 0, 1).
    const auto& m = tilted.OCSMatrix->m;
    EXPECT_EQ((Point3{m[0][0], m[0][1], m[0][2]}), (Point3{0, 1, 0}));
    EXPECT_EQ((Point3{m[1][0], m[1][1], m[1][2]}), (Point3{0, 0, 1}));
    EXPECT_EQ((Point3{m[2][0], m[2][1], m[2][2]}), (Point3{1, 0, 0}));
    EXPECT_EQ(m[3][3], 1);
    const Point_ nearZ({0.01, 0, -2}, {}, 1, 0, 0); // W = y; the axis goes in unnormalised
    EXPECT_EQ(nearZ.OCSMatrix->m[2][2], -2);
}

struct PickCase {
    const char* what;
    std::shared_ptr<DXF_Entity> entity;
    Point3 p;
    double expected;
};

TEST(EntitiesTest, PickDistance) {
    auto line = std::make_shared<Line_>(Point3{0, 0, 0}, Point3{10, 0, 0}, 1, 0, 0);
    auto oblique = std::make_shared<Line_>(Point3{0, 0, 0}, Point3{2, 2, 0}, 1, 0, 0);
    auto circle = std::make_shared<Circle_>(WorldZAxis, Point3{0, 0, 0}, 3, 1, 0, 0, 0, 0);
    auto arc = std::make_shared<Arc_>(WorldZAxis, Point3{0, 0, 0}, 3, 0, 90, 1, 0, 0, 0, 0);
    auto point = std::make_shared<Point_>(WorldZAxis, Point3{1, 1, 0}, 1, 0, 0);
    auto zigzag = std::make_shared<Polyline_>(
        WorldZAxis, std::vector<Point3>{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, 1, 0, 0, 0, 0, false);
    const PickCase cases[] = {
        {"line beyond its end", line, {50, 2, 0}, 4},
        {"point on the line", line, {5, 0, 0}, 0},
        {"oblique, foot outside", oblique, {3, 3, 0}, -1},
        {"circle on its edge", circle, {3, 0, 0}, 0},
        {"circle at its centre", circle, {0, 0, 0}, 9},
        {"arc measured as a circle", arc, {-3, -1, 0}, 1},
        {"point", point, {4, 5, 0}, 25},
        {"point exactly under p", point, {1, 1, 0}, 0},
        {"polyline: nearest segment", zigzag, {9, 5, 0}, 1},
        {"polyline: zero is no candidate", zigzag, {5, 0, 0}, 25},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(c.entity->PickDistance(c.p), c.expected) << c.what;
    const Polyline_ onVertexOnly = MakePolyline({{0, 0, 0}, {10, 0, 0}});
    EXPECT_EQ(onVertexOnly.PickDistance({3, 0, 0}), 1e10);
}

TEST(EntitiesTest, NearestVertexAndMoveVertex) {
    Line_ line({0, 0, 0}, {10, 0, 0}, 1, 0, 0);
    Point3 out;
    line.NearestVertex({5, 3, 0}, out); // a tie gives the end
    EXPECT_EQ(out, (Point3{10, 0, 0}));
    line.NearestVertex({4, 3, 0}, out);
    EXPECT_EQ(out, Origin);

    Polyline_ poly = MakePolyline({{0, 0, 0}, {2, 0, 0}, {0, 0, 0}, {5, 5, 0}});
    poly.NearestVertex({1, 0, 0}, out); // tie between index 0 and 1 keeps index 0
    EXPECT_EQ(out, Origin);
    Point3 untouched{7, 7, 7};
    poly.NearestVertex({1e6, 0, 0}, untouched);
    EXPECT_EQ(untouched, (Point3{7, 7, 7}));

    EXPECT_TRUE(poly.MoveVertex(Origin, {1, 1, 0})); // only the lowest index
    EXPECT_EQ(poly.Vertices[0], (Point3{1, 1, 0}));
    EXPECT_EQ(poly.Vertices[2], Origin);
    EXPECT_FALSE(poly.MoveVertex({9, 9, 9}, Origin));

    Line_ degenerate({1, 1, 0}, {1, 1, 0}, 1, 0, 0);
    EXPECT_TRUE(degenerate.MoveVertex({1, 1, 0}, {2, 2, 0})); // only the first match
    EXPECT_EQ(degenerate.EndPos, (Point3{1, 1, 0}));
}

TEST(EntitiesTest, Encloses) {
    const Polyline_ square = MakePolyline({{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}}, true);
    EXPECT_TRUE(square.Encloses({2, 2, 0}));
    EXPECT_FALSE(square.Encloses({5, 2, 0}));
    EXPECT_FALSE(MakePolyline({{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}}).Encloses({2, 2, 0}));
    const Circle_ circle(WorldZAxis, {0, 0, 0}, 2, 1, 0, 0, 0, 0);
    EXPECT_TRUE(circle.Encloses({2, 0, 0}));
    const Arc_ arc(WorldZAxis, {0, 0, 0}, 2, 0, 360, 1, 0, 0, 0, 0);
    EXPECT_FALSE(arc.Encloses({0, 0, 0}));
}

TEST(EntitiesTest, GroupEditsFollowEachClassRules) {
    Point_ point(WorldZAxis, {1, 1, 0}, 1, 0, 0);
    EXPECT_FALSE(point.ScaleAbout(Origin, 2, 2));
    EXPECT_FALSE(point.RotateAbout(Origin, 1));
    EXPECT_EQ(point.Pos, (Point3{1, 1, 0}));
    EXPECT_TRUE(point.MoveBy(1, 2));
    EXPECT_EQ(point.Pos, (Point3{2, 3, 0}));

    Text_ text(WorldZAxis, {1, 1, 0}, "a", "Arial", 10, 50, 0, 0, 0);
    EXPECT_TRUE(text.ScaleAbout(Origin, 3, 2));
    EXPECT_TRUE(text.RotateAbout(Origin, 0.01));
    EXPECT_EQ(text.Pos, (Point3{1, 1, 0}));
    EXPECT_DOUBLE_EQ(text.Height, 20);
    EXPECT_DOUBLE_EQ(text.Angle, 60);

    Arc_ arc(WorldZAxis, {2, 0, 7}, 1, 10, 20, 1, 0, 0, 0, 0);
    EXPECT_TRUE(arc.RotateAbout(Origin, Pi / 2));
    EXPECT_NEAR(arc.Pos.x, 0, 1e-12);
    EXPECT_NEAR(arc.Pos.y, 2, 1e-12);
    EXPECT_EQ(arc.Pos.z, 7);
    EXPECT_DOUBLE_EQ(arc.Angle1, 10 * Pi / 180);
    EXPECT_TRUE(arc.ScaleAbout(Origin, 5, 3));
    EXPECT_DOUBLE_EQ(arc.Radius, 3);

    Line_ line({1, 1, 0}, {3, 1, 0}, 1, 0, 0);
    line.ScaleAbout({1, 1, 0}, 2, 1);
    EXPECT_EQ(line.EndPos, (Point3{5, 1, 0}));
    line.Translate({0, 0, 1});
    EXPECT_EQ(line.Pos, (Point3{1, 1, 1}));
    line.RoundCoords(1, 1); // x only
    Polyline_ poly = MakePolyline({{0.4, 0.6, 0.5}, {1.5, 2.5, 0}, {3, 3, 3}});
    poly.RoundCoords(3, 1);
    EXPECT_EQ(poly.Vertices[0], (Point3{0, 1, 0.5}));
    EXPECT_EQ(poly.Vertices[1], (Point3{2, 2, 0}));
}

TEST(EntitiesTest, ArcBounds) {
    struct Case {
        double a1, a2;
        Point3 max, min;
    } cases[] = {
        {30, 100, {std::cos(Pi / 6), 1, 0}, {std::cos(100 * Pi / 180), 0.5, 0}},
        {300, 10, {1, std::sin(10 * Pi / 180), 0}, {0.5, std::sin(-Pi / 3), 0}},
        // End behind the start within one quadrant: the arc passes every axis direction.
        {10, 5, {1, 1, 0}, {-1, -1, 0}},
        // Angles outside [0, 360) still end.
        {-90, 450, {1, 1, 0}, {0, -1, 0}},
    };
    for (const auto& c : cases) {
        const Arc_ arc(WorldZAxis, {0, 0, 9}, 1, c.a1, c.a2, 1, 0, 0, 0, 0);
        Point3 max{-1e6, -1e6, -1e6}, min{1e6, 1e6, 1e6};
        arc.ExtendBounds(max, min);
        EXPECT_NEAR(max.x, c.max.x, 1e-12) << c.a1 << " " << c.a2;
        EXPECT_NEAR(max.y, c.max.y, 1e-12) << c.a1 << " " << c.a2;
        EXPECT_NEAR(min.x, c.min.x, 1e-12) << c.a1 << " " << c.a2;
        EXPECT_NEAR(min.y, c.min.y, 1e-12) << c.a1 << " " << c.a2;
        EXPECT_EQ(max.z, 0);
    }
    const Circle_ circle(WorldZAxis, {5, 5, 0}, 2, 1, 0, 0, 0, 0);
    Point3 max{-1e6, -1e6, 0}, min{1e6, 1e6, 0};
    circle.ExtendBounds(max, min);
    EXPECT_EQ(max, (Point3{7, 7, 0}));
    EXPECT_EQ(min, (Point3{3, 3, 0}));
}

TEST(EntitiesTest, Describe) {
    std::vector<std::string> lines;
    MakePolyline({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}).Describe(lines);
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Polyline_");
    EXPECT_EQ(lines[1], "WCS");
    EXPECT_EQ(lines[2], "Open");

    lines.clear();
    Text_({0, 1, 0}, {1, 2, 3}, "Hi", "Arial", 12.5, 0, 0, 0, 0).Describe(lines);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Text_");
    EXPECT_EQ(lines[1], "OCS Axis (0.00, 1.00, 0.00)");
    EXPECT_EQ(lines[3], "Text \tHi");
    EXPECT_EQ(lines[4], "TextHeight = 12.500");

    lines.clear();
    Arc_(WorldZAxis, {}, 2, 0, 180, 1, 0, 0, 0, 0).Describe(lines);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], "Radius = 2.000");
    EXPECT_EQ(lines[5], "Angle 2 = 3.142");
}

} // namespace
} // namespace drawing
