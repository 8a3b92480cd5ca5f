// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/THelpForm.h"
#include "dialogs/TTrackingForm.h"
#include "dialogs/Tinfoform.h"

#include "drawing/Entities.h"
#include "drawing/Geometry.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace dialogs;
using namespace drawing;

namespace {

QString Text(const QWidget& w, const char* label) {
    auto* l = w.findChild<QLabel*>(label);
    EXPECT_NE(l, nullptr) << label;
    return l ? l->text() : QString();
}

} // namespace

TEST(TrackingForm, ShowsTheVertexAndTogglesItsExtendedSize) {
    TTrackingForm form;
    EXPECT_EQ(Text(form, "Tr_X"), "000000.000");
    EXPECT_EQ(Text(form, "Tr_P"), "0");
    form.ShowVertex({10.5, -2, 0}, 4);
    EXPECT_EQ(Text(form, "Tr_X"), "10.5");
    EXPECT_EQ(Text(form, "Tr_Y"), "-2");
    EXPECT_EQ(Text(form, "Tr_Z"), "0");
    EXPECT_EQ(Text(form, "Tr_P"), "4");
    form.ShowDescription({"Line_", "Start 0 0"});
    EXPECT_EQ(form.findChild<QListWidget*>("ListBox1")->count(), 2);
    EXPECT_TRUE(form.SearchNearest());

    auto* more = form.findChild<QToolButton*>("T_extended");
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(more->toolTip(), "More info");
    EXPECT_EQ(form.size(), QSize(153, 122));
    EXPECT_FALSE(form.Extended());
    QTest::mouseClick(more, Qt::LeftButton);
    EXPECT_TRUE(form.Extended());
    EXPECT_EQ(form.height(), 217);
    form.resize(300, 260); // the user drags the frame
    QTest::mouseClick(more, Qt::LeftButton);
    EXPECT_FALSE(form.Extended());
    EXPECT_EQ(form.size(), QSize(153, 122));
}

TEST(InfoForm, CountsTheSelectionAndTheDrawing) {
    DXF_Object drawing("Penwright");
    drawing.CreateLayer("A", false);
    drawing.CreateLayer("B", false);
    const std::vector<Point3> tri = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}};
    ASSERT_TRUE(drawing.AddEntityToLayer(
        std::make_unique<Line_>(Point3{0, 0, 0}, Point3{1, 1, 0}, 1, 0, 0), "A"));
    ASSERT_TRUE(drawing.AddEntityToLayer(
        std::make_unique<Polyline_>(WorldZAxis, std::span<const Point3>(tri), 1, 0, 1, 0, 0, false),
        "A"));
    ASSERT_TRUE(drawing.AddEntityToLayer(
        std::make_unique<Polyline_>(WorldZAxis, std::span<const Point3>(tri), 1, 0, 1, 0, 0, true),
        "A"));
    ASSERT_TRUE(drawing.AddEntityToLayer(
        std::make_unique<Line_>(Point3{0, 0, 0}, Point3{1, 1, 0}, 1, 0, 0), "B"));
    selection_lists selection;
    selection.Lists.push_back(drawing.FindLayer("A")->FindList("Polyline_"));

    InfoCounts counts = CountDrawing(&drawing, &selection);
    EXPECT_EQ(counts.SelectedLists, 1);
    EXPECT_EQ(counts.SelectedEntities, 2);
    EXPECT_EQ(counts.Vertices, 6);
    EXPECT_EQ(counts.OpenPolys, 1);
    EXPECT_EQ(counts.ClosedPolys, 1);
    EXPECT_EQ(counts.Entities, 4);
    EXPECT_EQ(counts.Lists, 3);
    EXPECT_EQ(counts.Layers, 2);
    EXPECT_EQ(counts.EntitiesPerClass["Line_"], 2);
    EXPECT_EQ(counts.EntitiesPerClass["Polyline_"], 2);
    counts.RasterWidth = 800;
    counts.RasterHeight = 600;
    counts.RecordedOutlines = 3;

    Tinfoform form;
    for (const char* label : {"vert_lab", "line_lab", "polyo_lab", "polyc_lab", "T_entities",
                              "T_Lists", "T_Layers", "T_Objs"})
        EXPECT_EQ(Text(form, label), "0") << label;
    form.ShowCounts(counts);
    EXPECT_EQ(Text(form, "vert_lab"), "6");
    EXPECT_EQ(Text(form, "polyc_lab"), "1");
    EXPECT_EQ(Text(form, "T_entities"), "4");
    EXPECT_EQ(Text(form, "T_Lists"), "3");
    EXPECT_EQ(Text(form, "T_Objs"), "2");
    EXPECT_EQ(Text(form, "raster_lab"), "800 x 600");
    EXPECT_EQ(Text(form, "outline_lab"), "3");

    const InfoCounts none = CountDrawing(nullptr, nullptr);
    EXPECT_EQ(none.Entities + none.Layers + none.SelectedLists, 0);
}

TEST(HelpForm, ButtonsChooseTheirPagesWithoutMovingTheWindow) {
    THelpForm form;
    form.show();
    auto* pages = form.findChild<QTabWidget*>("PageControl1");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->count(), 10);
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheet1");
    EXPECT_EQ(pages->tabText(pages->currentIndex()), "13");
    const QPoint where = form.pos();

    const std::pair<const char*, const char*> buttons[] = {
        {"SpeedButton1", "TabSheet2"},   {"SpeedButton2", "TabSheet3"},
        {"SpeedButton6", "TabSheet4"},   {"SpeedButton5", "TabSheet5"},
        {"SpeedButton7", "TabSheet6"},   {"SpeedButton8", "TabSheet8"},
        {"SpeedButton10", "TabSheet9"},  {"SpeedButton13", "TabSheet10"},
        {"SpeedButton14", "TabSheet12"}, {"SpeedButton11", "TabSheet1"}};
    for (const auto& [button, page] : buttons) {
        auto* b = form.findChild<QToolButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
        ASSERT_EQ(pages->currentWidget()->objectName(), page) << button;
        // Every page has its title and a real text under it.
        auto* title = pages->currentWidget()->findChild<QLabel*>("Title");
        auto* text = pages->currentWidget()->findChild<QLabel*>("Text");
        ASSERT_TRUE(title && text);
        EXPECT_EQ(title->text(), b->text());
        EXPECT_GT(text->text().size(), 200) << page;
        EXPECT_TRUE(b->isChecked()) << button; // the page's button shows which page is open
    }
    EXPECT_EQ(form.pos(), where);
    pages->setCurrentIndex(0); // a tab chooses the page and its button alike
    EXPECT_TRUE(form.findChild<QToolButton*>("SpeedButton1")->isChecked());
    EXPECT_FALSE(form.findChild<QToolButton*>("SpeedButton11")->isChecked());
}
