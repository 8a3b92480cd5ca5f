// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/WmfImport.h"
#include "DrawingTestSupport.h"
#include "drawing/Entities.h"
#include "platform/FileError.h"
#include "platform/WmfCanvas.h"

#include <QImage>
#include <gtest/gtest.h>

namespace drawing {
namespace {

std::string Bytes(const platform::WmfCanvas& c) {
    const std::vector<std::uint8_t> b = c.Bytes();
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

template <class T> const T* Only(const DXF_Layer& layer, const char* list) {
    const Entity_List* l = layer.FindList(list);
    if (!l || l->Entities.size() != 1) return nullptr;
    return dynamic_cast<const T*>(l->Entities[0].get());
}

TEST(WmfImportTest, RecordsBecomeEntitiesOnALayerNamedAfterTheFile) {
    platform::WmfCanvas c(100, 50);
    c.PenRef().Color = 0x0000FF;
    c.MoveTo(10, 10);
    c.LineTo(20, 30);
    c.BrushRef() = platform::Brush{0x00FF00, platform::BrushStyle::Solid};
    c.Ellipse(40, 10, 60, 30); // round: a circle of radius 10 about (50, 20)
    c.Ellipse(0, 0, 40, 10);   // not round: a closed polyline
    const QPoint triangle[3] = {{0, 0}, {10, 0}, {10, 10}};
    c.Polygon(triangle, 3);
    c.FontRef().Height = -12;
    c.FontRef().Name = "Arial";
    c.SetTextAlign(platform::AlignLeft | platform::AlignBaseline);
    c.TextOut(5, 45, "label");
    c.SetPixel(1, 2, 0xFF0000);

    DXF_Object drawing("d");
    const WmfImportReport report = ReadWMF(Bytes(c), "/some/folder/site plan.wmf", drawing);
    EXPECT_EQ(report.Layer, "site plan");
    EXPECT_EQ(report.Entities, 6u);
    EXPECT_TRUE(report.Skipped.empty());
    const DXF_Layer* layer = drawing.FindLayer("site plan");
    ASSERT_NE(layer, nullptr);
    // y turned upwards: frame y 10 is map y 40 in a frame 50 high.
    const auto* line = Only<Line_>(*layer, "Line_");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Pos, (Point3{10, 40, 0}));
    EXPECT_EQ(line->EndPos, (Point3{20, 20, 0}));
    EXPECT_EQ(line->Color, 0x0000FFu);
    const auto* circle = Only<Circle_>(*layer, "Circle_");
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle->Pos, (Point3{50, 30, 0}));
    EXPECT_DOUBLE_EQ(circle->Radius, 10);
    EXPECT_EQ(circle->FillColor, 0x00FF00u);
    EXPECT_EQ(layer->FindList("Polyline_")->Entities.size(), 2u);
    const auto* text = Only<Text_>(*layer, "Text_");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->TextString, "label");
    EXPECT_EQ(text->Pos, (Point3{5, 5, 0}));
    EXPECT_DOUBLE_EQ(text->Height, 12);
    const auto* point = Only<Point_>(*layer, "Point_");
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->Color, 0xFF0000u);
}

TEST(WmfImportTest, ImagesAreCountedAndBadFilesChangeNothing) {
    platform::WmfCanvas c(10, 10);
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    c.StretchDraw(QRect(0, 0, 4, 4), image, image.rect());
    DXF_Object drawing("d");
    const WmfImportReport report = ReadWMF(Bytes(c), "img.wmf", drawing);
    EXPECT_EQ(report.SkippedText(), "1 image");
    EXPECT_EQ(drawing.LayerCount(), 0); // nothing else was in it

    std::string cut = Bytes(c);
    cut.resize(cut.size() - 20);
    EXPECT_THROW(ReadWMF(cut, "cut.wmf", drawing), platform::FileError);
    EXPECT_EQ(drawing.LayerCount(), 0);
}

} // namespace
} // namespace drawing
