// SPDX-License-Identifier: GPL-3.0-or-later
#include "DrawingTestSupport.h"
#include "drawing/DXF_exception.h"
#include "drawing/Entities.h"
#include "drawing/Palette.h"
#include "drawing/selection_lists.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace drawing {
namespace {

std::unique_ptr<Line_> MakeLine(Point3 a, Point3 b, std::int32_t colorIndex = 0) {
    return std::make_unique<Line_>(a, b, 1, 0, colorIndex);
}

std::unique_ptr<Point_> MakePointEntity(Point3 p) {
    return std::make_unique<Point_>(WorldZAxis, p, 1, 0, 0);
}

void ExpectThrowsWith(const std::function<void()>& f, const std::string& message) {
    try {
        f();
        ADD_FAILURE() << "no exception, expected \"" << message << "\"";
    } catch (const DXF_exception& e) {
        EXPECT_EQ(e.what(), message);
    }
}

TEST(DrawingModelTest, LayersAreFoundAndCreatedByExactName) {
    DXF_Object drawing("");
    EXPECT_EQ(drawing.Name, "Untitled");
    DXF_Layer* a = drawing.CreateLayer("A", true);
    EXPECT_EQ(drawing.CreateLayer("A", true), a);
    EXPECT_EQ(drawing.LayerCount(), 1);
    ExpectThrowsWith([&] { drawing.CreateLayer("A", false); },
                     "Attempted to create layer with existing name");
    EXPECT_NE(drawing.CreateLayer("a", false), a);
    EXPECT_EQ(drawing.FindLayer("A "), nullptr);
    EXPECT_EQ(drawing.LayerCount(), 2);

    std::unique_ptr<DXF_Entity> line = MakeLine({0, 0, 0}, {1, 1, 0});
    ExpectThrowsWith([&] { drawing.AddEntityToLayer(std::move(line), "B"); },
                     "Attempted to add to unnamed layer");
    ASSERT_NE(line, nullptr); // still the caller's
    EXPECT_TRUE(drawing.AddEntityToLayer(std::move(line), "a"));
    EXPECT_EQ(drawing.FindLayer("a")->Lists[0]->Count(), 1);
}

TEST(DrawingModelTest, AddEntityMakesOneListPerClassAndColoursBlackEntities) {
    DXF_Layer layer("L1");
    layer.LayerColor = 5;
    layer.AddEntity(MakeLine({0, 0, 0}, {1, 0, 0}));
    layer.AddEntity(std::make_unique<Text_>(WorldZAxis, Origin, "t", "Arial", 10, 0, 0, 9, 0));
    layer.AddEntity(MakeLine({0, 0, 0}, {2, 0, 0}, 3));
    ASSERT_EQ(layer.ListNames, (std::vector<std::string>{"Line_", "Text_"}));
    ASSERT_EQ(layer.ListCount(), 2);
    const Entity_List& lines = *layer.Lists[0];
    EXPECT_EQ(lines.Name, "Line_");
    EXPECT_EQ(lines.Layer, &layer);
    EXPECT_EQ(lines.Entities[0]->Color, platform::MakeColour(128, 0, 128)); // was black
    EXPECT_EQ(lines.Entities[0]->ColorIndex, 5);
    EXPECT_EQ(lines.Entities[1]->ColorIndex, 3);
    EXPECT_EQ(layer.Lists[1]->Entities[0]->ColorIndex, 9);
    EXPECT_EQ(layer.FindList("LINE_"), &lines);

    // A name list out of step with the lists is reported, not followed.
    layer.ListNames.push_back("Stray");
    ExpectThrowsWith(
        [&] {
            layer.AddEntity(MakePointEntity({1, 1, 0}));
        },
        "Entity list ID mismatch");
}

TEST(DrawingModelTest, ListCountsDeleteAndNearest) {
    Entity_List list("Line_");
    list.Add(MakeLine({0, 0, 0}, {10, 0, 0}));
    list.Add(MakeLine({0, 5, 0}, {10, 5, 0}));
    list.Add(std::make_unique<Polyline_>(
        WorldZAxis, std::vector<Point3>{{100, 100, 0}, {101, 100, 0}, {101, 101, 0}}, 1, 0, 1, 0, 0,
        false));
    EXPECT_EQ(list.VertexCount(), 7);
    EXPECT_EQ(list.LineCount(), 5);
    EXPECT_EQ(list.OpenPolyCount(), 1);
    EXPECT_EQ(list.ClosedPolyCount(), 0);

    DXF_Entity* found = nullptr;
    EXPECT_DOUBLE_EQ(list.FindNearest({3, 2, 0}, found), 4);
    EXPECT_EQ(found, list.Entities[0].get());
    EXPECT_DOUBLE_EQ(list.FindNearest({3, 2.5, 0}, found), 6.25); // tie: the earlier one
    EXPECT_EQ(found, list.Entities[0].get());

    const DXF_Entity* second = list.Entities[1].get();
    EXPECT_TRUE(list.Delete(second));
    EXPECT_FALSE(list.Delete(second));
    EXPECT_EQ(list.Count(), 2);

    Entity_List points("Point_");
    points.Add(MakePointEntity({1, 1, 0}));
    DXF_Entity* untouched = nullptr;
    EXPECT_EQ(points.FindNearest({1, 1, 0}, untouched), 1e10); // exactly under p: no candidate
    EXPECT_EQ(untouched, nullptr);
}

TEST(DrawingModelTest, RemoveEmptyDeleteListAndListings) {
    DXF_Object drawing("Untitled");
    drawing.CreateLayer("NewLayer", false);
    DXF_Layer* l1 = drawing.CreateLayer("L1", false);
    l1->AddEntity(MakeLine({0, 0, 0}, {1, 0, 0}));
    l1->AddEntity(MakePointEntity({1, 1, 0}));
    l1->Lists[1]->Entities.clear(); // an emptied list

    std::vector<ListingLine> tree;
    drawing.FillTree(tree);
    ASSERT_EQ(tree.size(), 5u);
    EXPECT_EQ(tree[0].Text, "Untitled");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(tree[0].Object));
    EXPECT_EQ(tree[2].Text, "  L1");
    EXPECT_EQ(std::get<DXF_Layer*>(tree[2].Object), l1);
    EXPECT_EQ(tree[3].Text, "    Line_");
    EXPECT_EQ(std::get<Entity_List*>(tree[3].Object), l1->Lists[0].get());

    std::vector<std::string> reports;
    drawing.RemoveEmpty([&](const std::string& m) { reports.push_back(m); });
    EXPECT_TRUE(reports.empty());
    tree.clear();
    drawing.FillTree(tree);
    ASSERT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree[1].Text, "  L1");
    EXPECT_EQ(tree[2].Text, "    Line_");

    std::vector<ListingLine> names;
    drawing.FillLayerNames(names);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].Text, "  L1");

    // Without freeing, the list lives on, detached, still naming its old layer.
    auto detached = l1->DeleteList("Line_", false);
    ASSERT_EQ(detached.size(), 1u);
    EXPECT_EQ(detached[0]->Layer, l1);
    EXPECT_EQ(detached[0]->Count(), 1);
    EXPECT_EQ(l1->ListCount(), 0);
    EXPECT_TRUE(l1->Lists.empty());
    drawing.RemoveEmpty();
    EXPECT_EQ(drawing.LayerCount(), 0);
}

TEST(DrawingModelTest, SelectionFindsNearestOverLists) {
    Entity_List first("Line_"), second("Point_");
    first.Add(MakeLine({0, 0, 0}, {10, 0, 0}));
    second.Add(MakePointEntity({5, 2, 0}));
    second.Add(MakePointEntity({5, 3, 0}));
    selection_lists selection;

    DXF_Entity* entity = nullptr;
    Entity_List* list = nullptr;
    Point3 vertex{9, 9, 9};
    selection.FindNearest({5, 2, 0}, entity, list, vertex); // empty: nothing touched
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(vertex, (Point3{9, 9, 9}));

    selection.Lists = {&first, &second};
    // 1 from the line and from the point at (5, 2): the first list wins.
    selection.FindNearest({5, 1, 0}, entity, list, vertex);
    EXPECT_EQ(entity, first.Entities[0].get());
    EXPECT_EQ(list, &first);
    EXPECT_EQ(vertex, (Point3{10, 0, 0})); // equally near both ends: the end point
    // Exactly on the point at (5, 2): that one does not count, the one at (5, 3) does.
    selection.FindNearest({5, 2, 0}, entity, list, vertex);
    EXPECT_EQ(entity, second.Entities[1].get());
    selection.FindNearest({5, 2.1, 0}, entity, list, vertex);
    EXPECT_EQ(entity, second.Entities[0].get());
    EXPECT_EQ(list, &second);
    EXPECT_EQ(vertex, (Point3{5, 2, 0}));

    // Nothing qualifies: entity and vertex stay, the list becomes the first.
    Entity_List lonely("Point_");
    lonely.Add(MakePointEntity({0, 0, 0}));
    selection.Lists = {&lonely, &second};
    second.Entities.clear();
    selection.FindNearest({0, 0, 0}, entity, list, vertex);
    EXPECT_EQ(list, &lonely);
    EXPECT_EQ(vertex, (Point3{5, 2, 0}));
}

TEST(DrawingModelTest, SelectionGroupEdits) {
    Entity_List texts("Text_"), lines("Line_"), circles("Circle_");
    texts.Add(std::make_unique<Text_>(WorldZAxis, Point3{1, 1, 0}, "t", "Arial", 10, 0, 0, 0, 0));
    lines.Add(MakeLine({0, 0, 0}, {10, 0, 0}));
    circles.Add(std::make_unique<Circle_>(WorldZAxis, Point3{5, 5, 0}, 2, 1, 0, 0, 0, 0));
    selection_lists selection;
    selection.Lists = {&circles};
    Point3 max{-1e6, -1e6, 0}, min{1e6, 1e6, 0};
    selection.ExtendBounds(max, min);
    EXPECT_EQ(max, (Point3{7, 7, 0}));
    EXPECT_EQ(min, (Point3{3, 3, 0}));

    selection.Lists = {&texts, &lines};
    EXPECT_TRUE(selection.RotateAbout(Origin, 0.01));
    const auto& text = static_cast<Text_&>(*texts.Entities[0]);
    const auto& line = static_cast<Line_&>(*lines.Entities[0]);
    EXPECT_DOUBLE_EQ(text.Angle, 10);
    EXPECT_DOUBLE_EQ(line.EndPos.x, 10 * std::cos(0.01));
    EXPECT_DOUBLE_EQ(line.EndPos.y, 10 * std::sin(0.01));
    EXPECT_TRUE(selection.MoveBy(1, 1));
    EXPECT_EQ(text.Pos, (Point3{2, 2, 0}));
    EXPECT_TRUE(selection.ScaleAbout(Origin, 2, 3));
    EXPECT_DOUBLE_EQ(text.Height, 30);
    EXPECT_DOUBLE_EQ(line.Pos.y, 3);
}

} // namespace
} // namespace drawing
