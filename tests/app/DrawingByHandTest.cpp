// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing and editing by hand through the main window: its buttons choose the tools, the
// mouse works on the map at known points, and the drawing, raster and surface show it.
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/Tpropform.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/Text_.h"
#include "mousetools/MapInteraction.h"
#include "support/ModalWatcher.h"
#include "support/Mouse.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using app::Tmainform;
using testing_support::SendMouse;

namespace {

const QRgb Magenta = qRgb(254, 0, 254); // the pen colour at start

struct Window {
    Tmainform form;
    Window() {
        form.resize(1000, 700);
        form.show();
    }
    canvas::TGISPanel& Map() { return form.Map(); }
    QWidget* Box() { return Map().PaintBox(); }
    QPoint At(double x, double y) { return Map().WorldToScreen(x, y); }
    QRgb Surface(QPoint p) { return Map().PaintBox()->Surface().pixel(p); }
    // The raster pixel shown under a surface point.
    platform::Colour RasterUnder(QPoint p) {
        double x = 0, y = 0;
        Map().ScreenToWorld(p, x, y);
        const QPoint r = Map().WorldToRaster(x, y);
        return Map().Raster().Pixel(r.x(), r.y());
    }
    void Click(const char* button) {
        auto* b = form.findChild<QToolButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        SendMouse(Box(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, keys);
        SendMouse(Box(), QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton, keys);
        SendMouse(Box(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, keys);
        SendMouse(Box(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, keys);
    }
    void Click(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        SendMouse(Box(), QEvent::MouseButtonPress, at, button, button, keys);
        SendMouse(Box(), QEvent::MouseButtonRelease, at, button, Qt::NoButton, keys);
    }
    // Hover tracking picks what is nearest to the resting mouse.
    void Rest(QPoint at) {
        SendMouse(Box(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        form.Track_timerTimer();
        form.Track_timerTimer();
    }
    drawing::Entity_List* List(const char* layer, const char* name) {
        drawing::DXF_Layer* l = form.CurrentDrawing()->FindLayer(layer);
        return l ? l->FindList(name) : nullptr;
    }
    template <class Entity> Entity* First(const char* layer, const char* name) {
        drawing::Entity_List* list = List(layer, name);
        return list && list->Count() > 0 ? dynamic_cast<Entity*>(list->Entities[0].get()) : nullptr;
    }
};

} // namespace

TEST(DrawingByHand, TheDrawGroupMakesEntitiesOnTheLayerInTheLayerBox) {
    Window w;
    w.Click("SpeedButton9"); // the draw group
    w.Click("SB5of5");       // "Line"
    w.Drag(w.At(100, 100), w.At(300, 200));
    auto* line = w.First<drawing::Line_>("Penwright", "Line_");
    ASSERT_NE(line, nullptr);
    EXPECT_NEAR(line->Pos.x, 100, 1);
    EXPECT_NEAR(line->EndPos.y, 200, 1);
    EXPECT_EQ(w.Surface(w.At(200, 150)), Magenta);
    EXPECT_TRUE(w.form.UnsavedDrawing());
    EXPECT_EQ(w.form.SelectedLists().Lists.size(), 1u) << "the layer lists were refilled";

    auto* layer = w.form.findChild<QComboBox*>("ComboBox3");
    layer->setEditText("roads");
    w.Click("SB3of5"); // "Retangle"
    w.Drag(w.At(400, 400), w.At(500, 450));
    auto* rectangle = w.First<drawing::Polyline_>("roads", "Polyline_");
    ASSERT_NE(rectangle, nullptr);
    EXPECT_EQ(rectangle->Count(), 4);
    EXPECT_TRUE(rectangle->Closed);

    w.Click("SB1of5"); // "Text"
    QTest::keyClicks(w.form.findChild<QLineEdit*>("Edit2"), "Bridge");
    w.Drag(w.At(100, 500), w.At(300, 500));
    auto* text = w.First<drawing::Text_>("roads", "Text_");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->TextString, "Bridge");
    EXPECT_EQ(text->Angle, 0);
}

// Choose "Pencil", draw, press "Undo": the visible raster is back as it was when the tool
// was chosen; a second "Undo" undoes the view instead.
TEST(DrawingByHand, ThePencilPaintsTheRasterAndUndoTakesItBack) {
    Window w;
    w.Click("SpeedButton7"); // the raster group
    w.Click("SB5of3");       // "Pencil"
    const QPoint middle = w.At(200, 300);
    w.Drag(w.At(100, 300), w.At(300, 300));
    EXPECT_EQ(w.RasterUnder(middle), 0xFE00FEu);
    EXPECT_EQ(w.Surface(middle), Magenta);
    EXPECT_TRUE(w.form.UnsavedRaster());
    w.Click("SBs4");
    EXPECT_EQ(w.RasterUnder(middle), 0xFEFEFEu);
    EXPECT_FALSE(w.Map().Workbench().UndoSaved());
    const auto view = w.Map().Transform().View();
    w.Map().Zoom(0.7);
    w.Click("SBs4");
    EXPECT_EQ(w.Map().Transform().View(), view);
    EXPECT_EQ(w.RasterUnder(middle), 0xFEFEFEu);
}

// The select tool: hover picks the line, a drag with "Move" moves it, a right click opens
// the entities property dialog whose look is applied to it, and ctrl+left deletes it.
TEST(DrawingByHand, TheSelectToolMovesRestylesAndDeletesThePickedEntity) {
    Window w;
    w.Click("SpeedButton9");
    w.Click("SB5of5");
    w.Drag(w.At(100, 100), w.At(300, 100));
    w.Drag(w.At(100, 400), w.At(300, 400));
    w.Click("SpeedButton10"); // the vector group, as "Select"
    EXPECT_TRUE(w.form.findChild<QRadioButton*>("RB1")->isChecked());
    w.Click("SB5of6"); // "Move"
    w.Rest(w.At(200, 102));
    auto* first = w.First<drawing::Line_>("Penwright", "Line_");
    ASSERT_EQ(w.form.Picks().Entity, first);
    auto* second = dynamic_cast<drawing::Line_*>(w.List("Penwright", "Line_")->Entities[1].get());
    const double y = first->Pos.y, otherY = second->Pos.y;
    w.Drag(w.At(200, 200), w.At(200, 150));
    EXPECT_NEAR(first->Pos.y, y - 50, 1);
    EXPECT_EQ(second->Pos.y, otherY) << "only the picked line moves";

    testing_support::ModalWatcher watcher([](QWidget* modal) {
        auto* dialog = qobject_cast<dialogs::Tpropform*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QSpinBox*>("SpinEdit6")->setValue(5);
        dialog->findChild<QToolButton*>("SpeedButton1")->click();
    });
    w.Click(w.At(600, 300), Qt::RightButton);
    EXPECT_EQ(first->PenWidth, 5);

    w.Click(w.At(600, 300), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(w.List("Penwright", "Line_")->Count(), 1);
    EXPECT_EQ(w.form.Picks().Entity, nullptr);
}

// A vertex armed by a shift-press moves where the mouse is released; one the entity no
// longer has is reported.
TEST(DrawingByHand, AVertexThatIsGoneCannotBeMoved) {
    Window w;
    w.Click("SpeedButton9");
    w.Click("SB5of5");
    w.Drag(w.At(100, 100), w.At(300, 100));
    w.Click("SpeedButton10");
    w.Rest(w.At(290, 102));
    auto* line = w.First<drawing::Line_>("Penwright", "Line_");
    ASSERT_EQ(w.form.Picks().Entity, line);
    const drawing::Point3 end = line->EndPos;
    w.Click("SB5of6");
    // The picked vertex is no longer where it was. The drag is whole surface pixels: it moves
    // the line by what they are in map units at this window's scale.
    const QPoint from = w.At(200, 200), to = w.At(210, 200);
    double x0 = 0, x1 = 0, y = 0;
    w.Map().ScreenToWorld(from, x0, y);
    w.Map().ScreenToWorld(to, x1, y);
    w.Drag(from, to);
    testing_support::ModalWatcher watcher;
    w.Click(w.At(500, 500), Qt::RightButton, Qt::ShiftModifier);
    ASSERT_EQ(watcher.messages.size(), 1);
    EXPECT_EQ(watcher.messages[0], "An error occurred moving point");
    EXPECT_NEAR(line->EndPos.x, end.x + (x1 - x0), 0.01);
}

TEST(DrawingByHand, EscapeDropsAPolylineUnderWay) {
    Window w;
    w.Click("SpeedButton9");
    w.Click("SB4of5"); // "Polyline"
    w.Click(w.At(100, 100), Qt::LeftButton);
    w.Click(w.At(200, 100), Qt::LeftButton);
    EXPECT_TRUE(w.form.Interaction().InProgress());
    w.form.findChild<QAction*>("CancelMouseWork")->trigger(); // Escape
    EXPECT_FALSE(w.form.Interaction().InProgress());
    w.Click(w.At(300, 100), Qt::RightButton);
    EXPECT_EQ(w.List("Penwright", "Polyline_"), nullptr);
}
