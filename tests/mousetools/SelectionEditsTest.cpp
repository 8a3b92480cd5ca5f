// SPDX-License-Identifier: GPL-3.0-or-later
// Editing what is drawn with the mouse: group and single-entity drags, vertex edits,
// deletion and the entities property dialog.
#include "ToolsOnAMap.h"
#include "drawing/EntityStyle.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/Text_.h"
#include "mousetools/ToolGeometry.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace mousetools;
using drawing::Point3;
using tools_test::ToolsOnAMap;

namespace drawing {
inline bool operator==(const Point3& a, const Point3& b) {
    return PointsEqual(a, b);
}
} // namespace drawing

namespace {

template <class Entity> Entity* Add(ToolsOnAMap& t, std::unique_ptr<Entity> e) {
    Entity* added = e.get();
    std::unique_ptr<drawing::DXF_Entity> owned = std::move(e);
    t.drawing.CreateLayer("Penwright", true);
    t.drawing.AddEntityToLayer(std::move(owned), "Penwright");
    t.SelectAll();
    return added;
}

drawing::Line_* AddLine(ToolsOnAMap& t, Point3 a, Point3 b) {
    return Add(t, std::make_unique<drawing::Line_>(a, b, 1, 0, 0));
}

drawing::Polyline_* AddPolyline(ToolsOnAMap& t, std::vector<Point3> points) {
    return Add(t, std::make_unique<drawing::Polyline_>(drawing::WorldZAxis, std::move(points), 1, 0,
                                                       1, 0, 0, false));
}

drawing::Text_* AddText(ToolsOnAMap& t, Point3 at) {
    return Add(t, std::make_unique<drawing::Text_>(drawing::WorldZAxis, at, "Abc",
                                                   "Liberation Serif", 12, 0, 0, 0, 0));
}

// What hover tracking would have found.
void Pick(ToolsOnAMap& t, drawing::DXF_Entity* e, Point3 vertex) {
    t.picks.Entity = e;
    t.picks.List = t.List("Penwright", e->ClassName());
    t.picks.Vertex = vertex;
}

} // namespace

// With "Visible" a move drag moves the whole selection by the mouse's displacement.
TEST(SelectionEdits, MovingTheSelectionFollowsTheMouse) {
    ToolsOnAMap t(wmVisible, tmMove);
    drawing::Line_* line = AddLine(t, {10, 10, 0}, {20, 10, 0});
    drawing::Text_* text = AddText(t, {30, 30, 0});
    t.Drag({t.At(50, 50), t.At(55, 50), t.At(60, 52)});
    EXPECT_EQ(line->Pos, (Point3{20, 12, 0}));
    EXPECT_EQ(line->EndPos, (Point3{30, 12, 0}));
    EXPECT_EQ(text->Pos, (Point3{40, 32, 0}));
    EXPECT_GT(t.edited, 0);
    // Drawn where it is now.
    EXPECT_EQ(t.Surface(t.At(25, 12)), qRgb(0, 0, 0));
}

// Each move scales by one 6-byte-real step about the middle of the bounds: right and down
// make x larger and y smaller.
TEST(SelectionEdits, ScalingStepsOnceAMoveAboutTheMiddle) {
    ToolsOnAMap t(wmVisible, tmScale);
    drawing::Polyline_* p = AddPolyline(t, {{10, 10, 0}, {30, 10, 0}, {30, 20, 0}});
    t.Press(t.At(50, 50));
    t.MoveTo(t.At(51, 49));
    // About (20, 15): x by 1.0100000000002183, y by 0.9899999999997817.
    EXPECT_EQ(p->Vertices[0].x, 20 + 1.0100000000002183 * (10 - 20));
    EXPECT_EQ(p->Vertices[0].y, 15 + 0.9899999999997817 * (10 - 15));
    EXPECT_EQ(p->Vertices[2].x, 20 + 1.0100000000002183 * (30 - 20));
    // A longer move takes the same one step.
    t.MoveTo(t.At(90, 10));
    t.Release(t.At(90, 10));
    EXPECT_DOUBLE_EQ(p->Vertices[1].x - p->Vertices[0].x, 20 * ScaleUpStep * ScaleUpStep);
    EXPECT_DOUBLE_EQ(p->Vertices[2].y - p->Vertices[1].y, 10 * ScaleDownStep * ScaleDownStep);
}

// A move to the right turns clockwise by one step; a text turns only its angle, by 1000
// tenths of a degree per radian.
TEST(SelectionEdits, RotatingStepsOnceAMove) {
    ToolsOnAMap t(wmVisible, tmRotate);
    drawing::Line_* line = AddLine(t, {0, 0, 0}, {20, 0, 0});
    drawing::Text_* text = AddText(t, {10, 0, 0});
    t.Drag({t.At(50, 50), t.At(60, 50)});
    const double a = -0.010000000000005116;
    EXPECT_DOUBLE_EQ(line->EndPos.x, 10 + 10 * std::cos(a));
    EXPECT_DOUBLE_EQ(line->EndPos.y, 10 * std::sin(a));
    EXPECT_LT(line->EndPos.y, 0);
    EXPECT_EQ(text->Angle, 1000 * a);
    EXPECT_EQ(text->Pos, (Point3{10, 0, 0}));
    t.Drag({t.At(60, 50), t.At(50, 50)});
    EXPECT_NEAR(line->EndPos.y, 0, 1e-12); // back to the left: counter-clockwise
}

// With "Selected" only the picked entity moves; with nothing picked nothing does.
TEST(SelectionEdits, SelectedEditsThePickedEntityOnly) {
    ToolsOnAMap t(wmSelected, tmMove);
    drawing::Line_* first = AddLine(t, {10, 10, 0}, {20, 10, 0});
    drawing::Line_* second = AddLine(t, {10, 40, 0}, {20, 40, 0});
    t.Drag({t.At(50, 50), t.At(55, 45)});
    EXPECT_EQ(t.edited, 0);
    Pick(t, second, second->Pos);
    t.Drag({t.At(50, 50), t.At(55, 45)});
    EXPECT_EQ(second->Pos, (Point3{15, 35, 0}));
    EXPECT_EQ(first->Pos, (Point3{10, 10, 0}));
    EXPECT_EQ(t.Surface(t.At(17, 35)), qRgb(0, 0, 0)); // repainted in its new place
    EXPECT_EQ(t.Surface(t.At(17, 40)), qRgb(254, 254, 254));
}

// "Points" with "Selected": shift+left inserts a vertex in the nearest segment, ctrl+left
// deletes that segment's first end, a plain drag moves the nearest vertex.
TEST(SelectionEdits, VertexEditsOnThePickedPolyline) {
    ToolsOnAMap t(wmSelected, tmEditPoints);
    drawing::Polyline_* p = AddPolyline(t, {{0, 0, 0}, {40, 0, 0}, {40, 40, 0}});
    t.Click(t.At(20, 0.5), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(p->Count(), 3) << "nothing picked, nothing inserted";
    Pick(t, p, {40, 40, 0});
    t.Click(t.At(20, 0.5), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(p->Vertices, (std::vector<Point3>{{0, 0, 0}, {20, 0.5, 0}, {40, 0, 0}, {40, 40, 0}}));
    t.Click(t.At(39, 20), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(p->Vertices, (std::vector<Point3>{{0, 0, 0}, {20, 0.5, 0}, {40, 40, 0}}));
    t.Drag({t.At(40, 40), t.At(42, 43), t.At(45, 45)});
    EXPECT_EQ(p->Vertices, (std::vector<Point3>{{0, 0, 0}, {20, 0.5, 0}, {45, 45, 0}}));
    EXPECT_EQ(t.picks.Vertex, (Point3{42, 43, 0}));
    EXPECT_EQ(t.edited, 4);
}

TEST(SelectionEdits, CtrlClickDeletesThePickedEntity) {
    ToolsOnAMap t(wmSelected, tmMove);
    AddLine(t, {10, 10, 0}, {20, 10, 0});
    drawing::Line_* doomed = AddLine(t, {10, 40, 0}, {20, 40, 0});
    Pick(t, doomed, doomed->Pos);
    t.Click(t.At(70, 70), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(t.List("Penwright", "Line_")->Count(), 1);
    EXPECT_EQ(t.picks.Entity, nullptr);
    EXPECT_EQ(t.attributes.BackColor, 0xFEFEFEu) << "no colour was picked";
}

// A press with shift held arms the picked vertex; the release moves it there, rounded to
// thousandths. A vertex the entity does not have is reported and nothing changes.
TEST(SelectionEdits, AnArmedVertexMovesToTheRelease) {
    ToolsOnAMap t(wmVisible, tmMove);
    t.panel.Zoom(0.7777); // map points with more than three decimals
    drawing::Line_* line = AddLine(t, {10, 10, 0}, {20, 10, 0});
    Pick(t, line, line->EndPos);
    const QPoint release(123, 77);
    t.Press({10, 10}, Qt::RightButton, Qt::ShiftModifier);
    EXPECT_EQ(t.picks.MoveEntity, line);
    t.Release(release, Qt::RightButton);
    double x = 0, y = 0;
    t.panel.ScreenToWorld(release, x, y);
    EXPECT_EQ(line->EndPos, drawing::RoundPoint({x, y, 0}, 1000));
    EXPECT_NE(line->EndPos.x, x);
    EXPECT_EQ(t.picks.MoveEntity, nullptr);
    EXPECT_TRUE(t.messages.empty());

    Pick(t, line, {99, 99, 0});
    t.Press({10, 10}, Qt::RightButton, Qt::ShiftModifier);
    t.Release(release, Qt::RightButton);
    ASSERT_EQ(t.messages.size(), 1u);
    EXPECT_EQ(t.messages[0], "An error occurred moving point");
    EXPECT_EQ(line->Pos, (Point3{10, 10, 0}));
}

// A right release with the select tool on opens the property dialog for the picked entity;
// confirmed, its look goes to that entity ("Selected") or to every selected list
// ("Visible").
TEST(SelectionEdits, ThePropertyDialogRestylesThePickedEntityOrTheSelection) {
    ToolsOnAMap t(wmSelected, tmPick);
    drawing::Line_* first = AddLine(t, {10, 10, 0}, {20, 10, 0});
    drawing::Line_* second = AddLine(t, {10, 40, 0}, {20, 40, 0});
    drawing::Text_* text = AddText(t, {50, 50, 0});
    int asked = 0;
    bool askedForText = false, confirm = true;
    t.events.EditProperties = [&](bool textMode) {
        ++asked;
        askedForText = textMode;
        drawing::EditStyle.PenWidth = 4;
        drawing::EditStyle.PenColor = 0xFE0000;
        drawing::EditStyle.Angle = 450;
        return confirm;
    };
    t.Click(t.At(70, 70), Qt::RightButton);
    EXPECT_EQ(asked, 0) << "the select tool is off";
    t.mouse.SetSelectTool(true);
    t.Click(t.At(70, 70), Qt::RightButton);
    EXPECT_EQ(asked, 0) << "nothing picked";

    Pick(t, first, first->Pos);
    first->Color = 0x00FE00;
    t.Click(t.At(70, 70), Qt::RightButton);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(askedForText);
    EXPECT_EQ(first->PenWidth, 4);
    EXPECT_EQ(first->Color, 0xFE0000u);
    EXPECT_EQ(second->PenWidth, 1);

    Pick(t, text, text->Pos);
    t.Click(t.At(70, 70), Qt::RightButton);
    EXPECT_TRUE(askedForText);
    EXPECT_EQ(drawing::EditStyle.Text, "Abc"); // the dialog opened on the text's own fields
    EXPECT_EQ(text->Angle, 450);

    confirm = false;
    Pick(t, second, second->Pos);
    t.Click(t.At(70, 70), Qt::RightButton);
    EXPECT_EQ(second->PenWidth, 1) << "cancelled";

    confirm = true;
    t.mouse.SetWork(wmVisible);
    drawing::EditStyle.PenWidth = 3;
    t.events.EditProperties = [](bool) {
        drawing::EditStyle.PenWidth = 3;
        return true;
    };
    t.Click(t.At(70, 70), Qt::RightButton);
    EXPECT_EQ(first->PenWidth, 3);
    EXPECT_EQ(second->PenWidth, 3);
    EXPECT_EQ(drawing::StyleOverride, 0);
    drawing::EditStyle = {};
}
