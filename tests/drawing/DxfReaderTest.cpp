// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/DxfReader.h"
#include "DrawingTestSupport.h"
#include "drawing/DxfFile.h"
#include "drawing/Entities.h"
#include "platform/FileError.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>

namespace drawing {
namespace {

using Groups = std::vector<std::pair<int, std::string>>;

std::string Text(const Groups& groups) {
    std::string s;
    for (const auto& [code, value] : groups) s += std::to_string(code) + "\n" + value + "\n";
    return s;
}

// The entities section of a file holding the given groups.
std::string Entities(const Groups& groups, const Groups& header = {}, const Groups& blocks = {}) {
    Groups all;
    if (!header.empty()) {
        all.insert(all.end(), {{0, "SECTION"}, {2, "HEADER"}});
        all.insert(all.end(), header.begin(), header.end());
        all.push_back({0, "ENDSEC"});
    }
    if (!blocks.empty()) {
        all.insert(all.end(), {{0, "SECTION"}, {2, "BLOCKS"}});
        all.insert(all.end(), blocks.begin(), blocks.end());
        all.push_back({0, "ENDSEC"});
    }
    all.insert(all.end(), {{0, "SECTION"}, {2, "ENTITIES"}});
    all.insert(all.end(), groups.begin(), groups.end());
    all.insert(all.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    return Text(all);
}

struct Read {
    DXF_Object drawing{"t"};
    DxfReadReport report;
    explicit Read(const std::string& bytes) { report = ReadDXF(bytes, "test.dxf", drawing); }
    template <class T> T* First(const std::string& layer, const char* list) {
        const DXF_Layer* l = drawing.FindLayer(layer);
        if (!l || !l->FindList(list) || l->FindList(list)->Entities.empty()) return nullptr;
        return dynamic_cast<T*>(l->FindList(list)->Entities.front().get());
    }
};

void ExpectNear(const Point3& a, const Point3& b, double tol = 1e-9) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

TEST(DxfReaderTest, LayersColoursAndLineTypes) {
    const std::string tables = Text({{0, "SECTION"},
                                     {2, "TABLES"},
                                     {0, "TABLE"},
                                     {2, "LAYER"},
                                     {0, "LAYER"},
                                     {2, "Walls"},
                                     {62, "1"},
                                     {6, "DASHED"},
                                     {0, "LAYER"},
                                     {2, "Green"},
                                     {62, "-3"},
                                     {420, "1193046"},
                                     {0, "ENDTAB"},
                                     {0, "ENDSEC"}});
    const std::string entities = Entities({
        {0, "LINE"},  {8, "Walls"}, {10, "0"},         {20, "0"},
        {11, "1"},    {21, "1"}, // by layer
        {0, "LINE"},  {8, "Walls"}, {62, "7"},         {6, "CONTINUOUS"},
        {10, "0"},    {20, "0"},    {11, "2"},         {21, "2"}, // 7: black
        {0, "POINT"}, {8, "Green"}, {420, "16711680"}, {62, "5"},
        {10, "3"},    {20, "4"}, // true
    });
    Read r(tables + entities);
    const auto& walls = r.drawing.FindLayer("Walls")->FindList("Line_")->Entities;
    ASSERT_EQ(walls.size(), 2u);
    EXPECT_EQ(walls[0]->Color, 0x0000FFu); // ACI 1, red
    EXPECT_EQ(walls[0]->PenStyle, std::uint8_t(platform::PenStyle::Dash));
    EXPECT_EQ(walls[1]->Color, 0u);
    EXPECT_EQ(walls[1]->PenStyle, std::uint8_t(platform::PenStyle::Solid));
    // The true colour wins over the index, in either order; the layer's is 0x123456.
    EXPECT_EQ(r.First<Point_>("Green", "Point_")->Color, 0x0000FFu);
    EXPECT_EQ(r.report.Entities, 3u);
    EXPECT_TRUE(r.report.Skipped.empty());
}

TEST(DxfReaderTest, BlocksAreExplodedWithTheirPlacementAndInheritance) {
    const Groups block = {
        {0, "BLOCK"}, {2, "Door"}, {70, "0"}, {10, "1"}, {20, "1"},  {30, "0"},    {0, "LINE"},
        {8, "0"},     {62, "0"},   {10, "1"}, {20, "1"}, {11, "2"},  {21, "1"},    {0, "CIRCLE"},
        {8, "Fixed"}, {62, "3"},   {10, "1"}, {20, "1"}, {40, "1"},  {0, "ARC"},   {8, "0"},
        {10, "1"},    {20, "1"},   {40, "1"}, {50, "0"}, {51, "90"}, {0, "ENDBLK"}};
    const std::string file = Entities({{0, "INSERT"},
                                       {8, "Doors"},
                                       {62, "1"},
                                       {2, "Door"},
                                       {10, "100"},
                                       {20, "100"},
                                       {41, "2"},
                                       {42, "2"},
                                       {50, "90"},
                                       {0, "INSERT"},
                                       {8, "Doors"},
                                       {2, "Door"},
                                       {10, "0"},
                                       {20, "0"},
                                       {41, "-1"}},
                                      {}, block);
    Read r(file);
    // Layer 0 and "by block" take the insert's layer and colour; base point (1, 1) goes to
    // the insertion point, scaled 2 and turned 90 degrees.
    const auto& lines = r.drawing.FindLayer("Doors")->FindList("Line_")->Entities;
    ASSERT_EQ(lines.size(), 2u);
    const auto* line = static_cast<Line_*>(lines[0].get());
    ExpectNear(line->Pos, {100, 100, 0});
    ExpectNear(line->EndPos, {100, 102, 0});
    EXPECT_EQ(line->Color, 0x0000FFu);
    const auto* circle = r.First<Circle_>("Fixed", "Circle_");
    ASSERT_NE(circle, nullptr);
    ExpectNear(circle->Pos, {100, 100, 0});
    EXPECT_DOUBLE_EQ(circle->Radius, 2);
    EXPECT_EQ(circle->Color, 0x00FF00u);
    // Mirrored in x: the quarter arc from 0 to 90 degrees runs from 90 to 180.
    const auto& arcs = r.drawing.FindLayer("Doors")->FindList("Arc_")->Entities;
    ASSERT_EQ(arcs.size(), 2u);
    const auto* mirrored = static_cast<Arc_*>(arcs[1].get());
    ExpectNear(mirrored->Pos, {0, 0, 0});
    EXPECT_NEAR(std::cos(mirrored->Angle1), 0, 1e-9);
    EXPECT_NEAR(std::cos(mirrored->Angle2), -1, 1e-9);
}

TEST(DxfReaderTest, CurvesBecomePolylinesOnTheCurve) {
    const std::string file = Entities({
        // A semicircle by bulge 1 from (0, 0) to (2, 0), centre (1, 0).
        {0, "LWPOLYLINE"},
        {8, "B"},
        {90, "2"},
        {70, "0"},
        {10, "0"},
        {20, "0"},
        {42, "1"},
        {10, "2"},
        {20, "0"},
        // An ellipse of axes 10 and 5 about (0, 0), whole.
        {0, "ELLIPSE"},
        {8, "E"},
        {10, "0"},
        {20, "0"},
        {30, "0"},
        {11, "10"},
        {21, "0"},
        {31, "0"},
        {40, "0.5"},
        {41, "0"},
        {42, "6.283185307179586"},
        // A degree-1 spline is its control polygon.
        {0, "SPLINE"},
        {8, "S"},
        {70, "8"},
        {71, "1"},
        {72, "5"},
        {73, "3"},
        {40, "0"},
        {40, "0"},
        {40, "1"},
        {40, "2"},
        {40, "2"},
        {10, "0"},
        {20, "0"},
        {30, "0"},
        {10, "1"},
        {20, "1"},
        {30, "0"},
        {10, "2"},
        {20, "0"},
        {30, "0"},
    });
    Read r(file);
    const auto* bulge = r.First<Polyline_>("B", "Polyline_");
    ASSERT_NE(bulge, nullptr);
    ASSERT_GT(bulge->Vertices.size(), 10u);
    for (const Point3& v : bulge->Vertices) EXPECT_NEAR(std::hypot(v.x - 1, v.y), 1, 1e-9);
    EXPECT_LE(bulge->Vertices[bulge->Vertices.size() / 2].y, -0.99); // it bulges to the right
    const auto* ellipse = r.First<Polyline_>("E", "Polyline_");
    ASSERT_NE(ellipse, nullptr);
    EXPECT_TRUE(ellipse->Closed);
    for (const Point3& v : ellipse->Vertices)
        EXPECT_NEAR(v.x * v.x / 100 + v.y * v.y / 25, 1, 1e-9);
    const auto* spline = r.First<Polyline_>("S", "Polyline_");
    ASSERT_NE(spline, nullptr);
    for (const Point3& v : spline->Vertices) EXPECT_NEAR(v.y, v.x <= 1 ? v.x : 2 - v.x, 1e-9);
    ExpectNear(spline->Vertices.back(), {2, 0, 0});
}

// Arcs of any angles become polylines on their ellipse at once where a block stretches
// them: a start angle so large that a turn is lost in its rounding once kept the reader
// adding turns for ever.
TEST(DxfReaderTest, StretchedArcsOfAnyAnglesLieOnTheirEllipses) {
    Groups block = {{0, "BLOCK"}, {2, "K"}, {70, "0"}, {10, "0"}, {20, "0"}, {30, "0"}};
    const char* const arcs[][3] = {{"Huge", "3e49", "30"},
                                   {"Back", "0", "-1e300"},
                                   {"Half", "90", "270"},
                                   {"Wrap", "270", "90"}};
    for (const auto& [layer, from, to] : arcs)
        block.insert(
            block.end(),
            {{0, "ARC"}, {8, layer}, {10, "1"}, {20, "1"}, {40, "2"}, {50, from}, {51, to}});
    block.push_back({0, "ENDBLK"});
    const auto start = std::chrono::steady_clock::now();
    // Twice as wide: the arcs about (1, 1) of radius 2 go to ellipses about (2, 1) with
    // half axes 4 and 2.
    Read r(Entities({{0, "INSERT"}, {8, "0"}, {2, "K"}, {10, "0"}, {20, "0"}, {41, "2"}, {42, "1"}},
                    {}, block));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    for (const auto& [layer, from, to] : arcs) {
        const auto* p = r.First<Polyline_>(layer, "Polyline_");
        ASSERT_NE(p, nullptr) << layer;
        ASSERT_GE(p->Vertices.size(), 2u) << layer;
        for (const Point3& v : p->Vertices)
            EXPECT_NEAR(std::hypot((v.x - 2) / 4, (v.y - 1) / 2), 1, 1e-9) << layer;
    }
    // Counter-clockwise, from 90° to 270° passes 180° (x = −2), from 270° to 90° passes 0°.
    const auto leftmost = [&r](const char* layer) {
        double x = 1e9;
        for (const Point3& v : r.First<Polyline_>(layer, "Polyline_")->Vertices)
            x = std::min(x, v.x);
        return x;
    };
    EXPECT_NEAR(leftmost("Half"), -2, 1e-9);
    EXPECT_GT(leftmost("Wrap"), 1.9);
}

TEST(DxfReaderTest, ARationalSplineIsAnExactArc) {
    // A quarter of the unit circle as a rational quadratic B-spline.
    Read r(Entities(
        {{0, "SPLINE"}, {8, "S"},  {70, "4"}, {71, "2"}, {40, "0"}, {40, "0"},
         {40, "0"},     {40, "1"}, {40, "1"}, {40, "1"}, {41, "1"}, {41, "0.7071067811865476"},
         {41, "1"},     {10, "1"}, {20, "0"}, {30, "0"}, {10, "1"}, {20, "1"},
         {30, "0"},     {10, "0"}, {20, "1"}, {30, "0"}}));
    const auto* spline = r.First<Polyline_>("S", "Polyline_");
    ASSERT_NE(spline, nullptr);
    ASSERT_GE(spline->Vertices.size(), 16u);
    for (const Point3& v : spline->Vertices) EXPECT_NEAR(std::hypot(v.x, v.y), 1, 1e-6);
    ExpectNear(spline->Vertices.front(), {1, 0, 0});
    ExpectNear(spline->Vertices.back(), {0, 1, 0});
}

TEST(DxfReaderTest, TextsInTheirEncodingAndWithoutFormatting) {
    const std::string old =
        Entities({{0, "TEXT"},
                  {8, "T"},
                  {10, "1"},
                  {20, "2"},
                  {40, "2.5"},
                  {50, "30"},
                  {1, "\xCF\xF0\xE8"},
                  {0, "TEXT"},
                  {8, "T"},
                  {10, "0"},
                  {20, "0"},
                  {11, "5"},
                  {21, "6"},
                  {72, "1"},
                  {1, "a^Jb^ c \\U+03A9 45%%d"},
                  {0, "MTEXT"},
                  {8, "M"},
                  {10, "0"},
                  {20, "0"},
                  {40, "1"},
                  {71, "2"},
                  {3, "{\\fArial|b1;Line one}\\P"},
                  {1, "two \\S1^2;"}},
                 {{9, "$ACADVER"}, {1, "AC1015"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_1251"}});
    Read r(old);
    const auto& texts = r.drawing.FindLayer("T")->FindList("Text_")->Entities;
    ASSERT_EQ(texts.size(), 2u);
    const auto* cyrillic = static_cast<Text_*>(texts[0].get());
    EXPECT_EQ(cyrillic->TextString, "\xD0\x9F\xD1\x80\xD0\xB8"); // "При" in UTF-8
    EXPECT_DOUBLE_EQ(cyrillic->Height, 2.5);
    EXPECT_DOUBLE_EQ(cyrillic->Angle, 300); // tenths of a degree
    const auto* centred = static_cast<Text_*>(texts[1].get());
    EXPECT_EQ(centred->TextString, "a\nb^c \xCE\xA9 45\xC2\xB0");
    EXPECT_EQ(centred->Align, 1);
    ExpectNear(centred->Pos, {5, 6, 0}); // the alignment point
    const auto* mtext = r.First<Text_>("M", "Text_");
    ASSERT_NE(mtext, nullptr);
    EXPECT_EQ(mtext->TextString, "Line one two 1/2");
    EXPECT_EQ(mtext->Align, 1);
    EXPECT_EQ(r.report.Version, "AC1015");

    // From R2007 on, texts are UTF-8 whatever the code page says.
    Read utf8(Entities({{0, "TEXT"}, {8, "T"}, {1, "\xD0\x9F"}},
                       {{9, "$ACADVER"}, {1, "AC1032"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_1251"}}));
    EXPECT_EQ(utf8.First<Text_>("T", "Text_")->TextString, "\xD0\x9F");
}

TEST(DxfReaderTest, WhatCannotBeReadIsSkippedAndCounted) {
    Read r(Entities({{0, "HATCH"}, {8, "0"},        {91, "1"},     {0, "HATCH"},   {8, "0"},
                     {0, "LINE"},  {8, "P"},        {67, "1"},     {10, "0"},      {20, "0"},
                     {11, "1"},    {21, "1"},       {0, "INSERT"}, {2, "Nowhere"}, {10, "0"},
                     {20, "0"},    {0, "POLYLINE"}, {8, "0"},      {70, "16"},     {0, "VERTEX"},
                     {10, "0"},    {20, "0"},       {0, "SEQEND"}, {0, "CIRCLE"},  {8, "Kept"},
                     {10, "0"},    {20, "0"},       {40, "1"}}));
    EXPECT_EQ(r.report.Entities, 1u);
    EXPECT_EQ(r.report.SkippedText(),
              "2 HATCH, 1 in paper space, 1 mesh POLYLINE, 1 INSERT of a missing block");
    EXPECT_EQ(r.report.SkippedCount(), 5u);
    EXPECT_EQ(r.drawing.FindLayer("P"), nullptr);
}

TEST(DxfReaderTest, AnExtrusionDownwardsMirrorsTwoDimensionalEntities) {
    Read r(Entities({{0, "CIRCLE"},
                     {8, "C"},
                     {10, "3"},
                     {20, "4"},
                     {40, "1"},
                     {210, "0"},
                     {220, "0"},
                     {230, "-1"},
                     {0, "LWPOLYLINE"},
                     {8, "C"},
                     {10, "1"},
                     {20, "1"},
                     {10, "2"},
                     {20, "1"},
                     {210, "0"},
                     {220, "0"},
                     {230, "-1"}}));
    ExpectNear(r.First<Circle_>("C", "Circle_")->Pos, {-3, 4, 0});
    const auto* poly = r.First<Polyline_>("C", "Polyline_");
    ExpectNear(poly->Vertices[1], {-2, 1, 0});
}

TEST(DxfReaderTest, OurOwnFileReadsBackExactly) {
    DXF_Object source("s");
    DXF_Layer* layer = source.CreateLayer("Layer with space", false);
    layer->AddEntity(
        std::make_unique<Line_>(Point3{0.1, 1e7 + 0.25, 3}, Point3{-5, 2, 0}, 1, 1, 0));
    auto text = std::make_unique<Text_>(WorldZAxis, Point3{1, 2, 0}, "two\r\nlines ^", "Arial",
                                        12.5, 450, 0, 0, 2);
    text->SetColor(0x0000FF);
    layer->AddEntity(std::move(text));
    layer->AddEntity(
        std::make_unique<Arc_>(WorldZAxis, Point3{1, 1, 0}, 2, 30, 300, 1, 0, 0, 0, 0));
    layer->AddEntity(std::make_unique<Polyline_>(
        WorldZAxis, std::vector<Point3>{{0, 0, 0}, {1, 0, 1}, {1, 1, 0}}, 1, 0, 0, 0, 0, false));
    selection_lists all;
    for (auto& list : layer->Lists) all.Lists.push_back(list.get());

    Read r(DxfFileBytes(all));
    const DXF_Layer* back = r.drawing.FindLayer("Layer with space");
    ASSERT_NE(back, nullptr);
    const auto* line = static_cast<Line_*>(back->FindList("Line_")->Entities[0].get());
    ExpectNear(line->Pos, {0.1, 1e7 + 0.25, 3}, 0);
    EXPECT_EQ(line->PenStyle, std::uint8_t(platform::PenStyle::Dash));
    const auto* t = static_cast<Text_*>(back->FindList("Text_")->Entities[0].get());
    EXPECT_EQ(t->TextString, "two\r\nlines ^");
    EXPECT_EQ(t->Align, 2);
    EXPECT_DOUBLE_EQ(t->Angle, 450);
    EXPECT_EQ(t->Color, 0x0000FFu);
    const auto* arc = static_cast<Arc_*>(back->FindList("Arc_")->Entities[0].get());
    EXPECT_NEAR(arc->Angle1 * 180 / std::numbers::pi, 30, 1e-9);
    EXPECT_NEAR(arc->Angle2 * 180 / std::numbers::pi, 300, 1e-9);
    const auto* poly = static_cast<Polyline_*>(back->FindList("Polyline_")->Entities[0].get());
    ASSERT_EQ(poly->Vertices.size(), 3u);
    EXPECT_FALSE(poly->Closed);
    ExpectNear(poly->Vertices[1], {1, 0, 1}, 0);
}

// Binary DXF of R12 (one-byte codes) and of later versions (two-byte codes).
std::string Binary(bool wideCodes, const std::vector<std::pair<int, std::string>>& strings,
                   double x) {
    std::string b("AutoCAD Binary DXF\r\n\x1a\0", 22);
    const auto code = [&](int c) {
        if (wideCodes) {
            b += char(c & 0xFF);
            b += char(c >> 8);
        } else if (c < 255) {
            b += char(c);
        } else {
            b += char(255);
            b += char(c & 0xFF);
            b += char(c >> 8);
        }
    };
    for (const auto& [c, s] : strings) {
        code(c);
        b += s;
        b += '\0';
    }
    code(10);
    b.append(reinterpret_cast<const char*>(&x), 8);
    code(20);
    b.append(reinterpret_cast<const char*>(&x), 8);
    code(62);
    const std::int16_t colour = 3;
    b.append(reinterpret_cast<const char*>(&colour), 2);
    for (const auto& [c, s] : std::vector<std::pair<int, std::string>>{{0, "ENDSEC"}, {0, "EOF"}}) {
        code(c);
        b += s;
        b += '\0';
    }
    return b;
}

TEST(DxfReaderTest, BinaryFilesOfBothKinds) {
    const std::vector<std::pair<int, std::string>> start = {
        {0, "SECTION"}, {2, "ENTITIES"}, {0, "POINT"}, {8, "Bin"}};
    for (bool wide : {false, true}) {
        Read r(Binary(wide, start, 2.5));
        EXPECT_TRUE(r.report.Binary);
        const auto* p = r.First<Point_>("Bin", "Point_");
        ASSERT_NE(p, nullptr) << wide;
        ExpectNear(p->Pos, {2.5, 2.5, 0}, 0);
        EXPECT_EQ(p->Color, 0x00FF00u);
    }
}

TEST(DxfReaderTest, BrokenFilesChangeNothingAndNameTheFileAndPlace) {
    const std::string good =
        Entities({{0, "LINE"}, {8, "A"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}});
    const std::string insertsItself =
        Entities({{0, "INSERT"}, {2, "Loop"}, {10, "0"}, {20, "0"}}, {},
                 {{0, "BLOCK"},
                  {2, "Loop"},
                  {10, "0"},
                  {20, "0"},
                  {0, "INSERT"},
                  {2, "Loop"},
                  {10, "1"},
                  {20, "0"},
                  {0, "ENDBLK"}});
    const std::string hugeArray =
        Entities({{0, "INSERT"}, {2, "B"}, {70, "100000"}, {71, "100000"}, {44, "1"}, {45, "1"}},
                 {}, {{0, "BLOCK"}, {2, "B"}, {0, "POINT"}, {10, "0"}, {20, "0"}, {0, "ENDBLK"}});
    const std::string binary = Binary(true, {{0, "SECTION"}, {2, "ENTITIES"}, {0, "POINT"}}, 1);
    const struct {
        std::string bytes;
        const char* expected;
    } cases[] = {
        {good.substr(0, good.size() / 2), "ends inside"},
        {good.substr(0, good.size() - 9), "ends inside"},
        {"0\nSECTION\n2\nENTITIES\nLINE\n0\n", "is not a group code"},
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1.5x\n0\nENDSEC\n", "is not a number"},
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnan\n0\nENDSEC\n", "not a finite number"},
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\n10", "ends inside a group"},
        {"Hello, world\n", "not a DXF file"},
        {"", "not a DXF file"},
        {insertsItself, "nested deeper than 16"},
        {hugeArray, "more than 10000000 entities"},
        {binary.substr(0, binary.size() - 20), "the file ends inside"},
        {std::string("AutoCAD Binary DXF\r\n\x1a\0\x00\x00SECTION", 31),
         "a string without its end"},
    };
    for (const auto& c : cases) {
        DXF_Object drawing("d");
        drawing.CreateLayer("Kept", false);
        try {
            ReadDXF(c.bytes, "broken.dxf", drawing);
            ADD_FAILURE() << "no error for: " << c.expected;
        } catch (const platform::FileError& e) {
            EXPECT_NE(std::strstr(e.what(), "broken.dxf"), nullptr) << e.what();
            EXPECT_NE(std::strstr(e.what(), c.expected), nullptr)
                << e.what() << " / " << c.expected;
        }
        ASSERT_EQ(drawing.Layers.size(), 1u) << c.expected;
        EXPECT_TRUE(drawing.Layers[0]->Lists.empty());
    }
}

TEST(DxfReaderTest, ProgressIsToldAndCanCancel) {
    Groups many;
    for (int i = 0; i < 50000; ++i)
        many.insert(many.end(), {{0, "POINT"}, {8, "P"}, {10, std::to_string(i)}, {20, "0"}});
    const std::string bytes = Entities(many);
    std::vector<double> told;
    DXF_Object drawing("d");
    ReadDXF(bytes, "many.dxf", drawing, [&](double done) {
        told.push_back(done);
        return true;
    });
    ASSERT_EQ(told.size(), 2u);
    EXPECT_GT(told[0], 0.3);
    EXPECT_LT(told[0], told[1]);
    EXPECT_LT(told[1], 1.0);
    DXF_Object kept("k");
    EXPECT_THROW(ReadDXF(bytes, "many.dxf", kept, [](double) { return false; }),
                 platform::FileError);
    EXPECT_EQ(kept.LayerCount(), 0);
}

TEST(DxfReaderTest, CountsInTheFileAllocateNothing) {
    // A polyline claiming two billion vertices has the two it holds.
    Read r(Entities({{0, "LWPOLYLINE"},
                     {8, "L"},
                     {90, "2147483647"},
                     {10, "0"},
                     {20, "0"},
                     {10, "1"},
                     {20, "0"}}));
    EXPECT_EQ(r.First<Polyline_>("L", "Polyline_")->Vertices.size(), 2u);
}

} // namespace
} // namespace drawing
