// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/TLayerForm.h"
#include "dialogs/TTrackingForm.h"
#include "drawing/Line_.h"
#include "support/ModalWatcher.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using app::Tmainform;

namespace {

// A main window over an 800 × 600 map with two red lines on the layer "Penwright":
// a horizontal one at map y 400 and a vertical one at map x 600.
struct WindowWithLines {
    Tmainform form;
    drawing::Line_* horizontal = nullptr;
    drawing::Line_* vertical = nullptr;
    WindowWithLines() {
        form.resize(1000, 700);
        form.show();
        form.Drawing->CreateLayer("Penwright", true);
        auto a = std::make_unique<drawing::Line_>(drawing::Point3{100, 400, 0},
                                                  drawing::Point3{500, 400, 0}, 1, 0, 0);
        auto b = std::make_unique<drawing::Line_>(drawing::Point3{600, 100, 0},
                                                  drawing::Point3{600, 500, 0}, 1, 0, 0);
        a->SetColor(0x0000FE);
        b->SetColor(0x0000FE);
        horizontal = a.get();
        vertical = b.get();
        std::unique_ptr<drawing::DXF_Entity> ea = std::move(a), eb = std::move(b);
        form.Drawing->AddEntityToLayer(std::move(ea), "Penwright");
        form.Drawing->AddEntityToLayer(std::move(eb), "Penwright");
    }
    canvas::TGISPanel& Map() { return *form.GISPanel1; }
    QPoint Screen(double x, double y) { return Map().WorldToScreen(x, y); }
    QRgb Surface(QPoint p) { return Map().PaintBox()->Surface().pixel(p); }
    void Tick() {
        form.Track_timerTimer();
        form.Track_timerTimer(); // the work runs on every second tick
    }
};

} // namespace

TEST(VectorDisplay, SelectedListsArePaintedOverTheRaster) {
    WindowWithLines w;
    w.Map().Redraw();
    const QPoint mid = w.Screen(300, 400);
    EXPECT_EQ(w.Surface(mid), qRgb(254, 254, 254)); // nothing selected yet: raster only
    w.form.RefreshLayerLists(true);
    w.Map().Redraw();
    EXPECT_EQ(w.Surface(mid), qRgb(254, 0, 0));
    EXPECT_EQ(w.form.Selection->Lists.size(), 1u);
    // The layer box offers the drawing's layers by name; picking one names that layer.
    ASSERT_EQ(w.form.ComboBox3->count(), 1); // the empty "NewLayer" was binned
    w.form.ComboBox3->setEditText("Other");
    EXPECT_EQ(w.form.LayerName, "Other");
    w.form.ComboBox3->setCurrentIndex(-1);
    w.form.ComboBox3->setCurrentIndex(0);
    EXPECT_EQ(w.form.LayerName, "Penwright");
    w.Map().Zoom(0.7);
    EXPECT_EQ(w.form.Label1->text(), "Scale 1.43 : 1");
    EXPECT_EQ(w.Surface(w.Screen(300, 400)), qRgb(254, 0, 0));
}

TEST(VectorDisplay, HoverTrackingHighlightsTheNearestEntityAndRestoresTheLastOne) {
    WindowWithLines w;
    w.form.RefreshLayerLists(true);
    w.Map().Redraw();
    w.form.findChild<QToolButton*>("SB3of2")->click(); // tracking on: "Selected" scope
    EXPECT_TRUE(w.form.RB1->isChecked());
    EXPECT_TRUE(w.form.Track_timer->isActive());

    const QPoint nearHorizontal = w.Screen(300, 402);
    w.form.MouseX = nearHorizontal.x();
    w.form.MouseY = nearHorizontal.y();
    w.Tick();
    ASSERT_EQ(w.form.PickedEntity, w.horizontal);
    // Dotted: some pixels of the line differ from its normal red, some stay unchanged.
    int changed = 0;
    for (int x = w.Screen(200, 400).x(); x < w.Screen(400, 400).x(); ++x)
        changed += w.Surface({x, w.Screen(0, 400).y()}) != qRgb(254, 0, 0);
    EXPECT_GT(changed, 5);
    EXPECT_EQ(w.form.TrackingForm->Tr_X->text(),
              dialogs::TTrackingForm::FormatGeneral(w.form.PickedVertex.x));

    const QPoint nearVertical = w.Screen(598, 450);
    w.form.MouseX = nearVertical.x();
    w.form.MouseY = nearVertical.y();
    w.Tick();
    EXPECT_EQ(w.form.PickedEntity, w.vertical);
    for (int x = w.Screen(200, 400).x(); x < w.Screen(400, 400).x(); ++x)
        ASSERT_EQ(w.Surface({x, w.Screen(0, 400).y()}), qRgb(254, 0, 0)) << "restored at " << x;

    // Resting on the same vertex leaves the fields alone.
    w.form.TrackingForm->Tr_X->setText("untouched");
    w.Tick();
    EXPECT_EQ(w.form.TrackingForm->Tr_X->text(), "untouched");

    w.form.findChild<QToolButton*>("SB3of2")->click(); // tracking off
    EXPECT_FALSE(w.form.Track_timer->isActive());
    EXPECT_FALSE(w.form.RB1->isChecked());
}

TEST(VectorDisplay, ClipboardGetsMetafileSvgAndPng) {
    WindowWithLines w;
    w.form.RefreshLayerLists(true);
    w.form.findChild<QAction*>("CopytoClipboard1")->trigger();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QByteArray wmf = data->data("image/x-wmf");
    ASSERT_GT(wmf.size(), 22);
    EXPECT_EQ(static_cast<unsigned char>(wmf[0]), 0xD7); // placeable metafile key, little-endian
    EXPECT_TRUE(data->data("image/svg+xml").contains("<svg"));
    const QImage png = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(png.size(), w.Map().PaintBox()->size());
    EXPECT_EQ(png.pixel(w.Screen(300, 400)), qRgb(254, 0, 0));
}

TEST(VectorDisplay, VectorToRasterBurnsTheLinesIn) {
    WindowWithLines w;
    w.form.RefreshLayerLists(true);
    const QPoint raster = w.Map().WorldToRaster(300, 400);
    EXPECT_EQ(w.Map().Raster().Pixel(raster.x(), raster.y()), 0xFEFEFEu);
    w.form.findChild<QAction*>("VectortoRaster1")->trigger();
    EXPECT_EQ(w.Map().Raster().Pixel(raster.x(), raster.y()), 0x0000FEu);
    // With the list deselected and the raster shown, the burnt-in line is still seen.
    w.form.LayerForm->RefreshLayerLists(false);
    w.Map().Zoom(1);
    EXPECT_EQ(w.Surface(w.Screen(300, 400)), qRgb(254, 0, 0));
}

TEST(DrawingFiles, SaveAndOpenDrawingsMetafilesAndDxf) {
    WindowWithLines w;
    w.form.RefreshLayerLists(true);
    testing_support::TempDir dir;
    testing_support::ModalWatcher watcher; // no message may appear
    const QString rtv = w.form.SaveFile(QString::fromStdString(dir.Path("lines")), 3);
    EXPECT_TRUE(rtv.endsWith("lines.rtv"));
    const QString wmf = w.form.SaveFile(QString::fromStdString(dir.Path("lines")), 4);
    const std::string metafile = testing_support::ReadAll(wmf.toStdString());
    ASSERT_GT(metafile.size(), 22u) << watcher.messages.join(" | ").toStdString();
    EXPECT_EQ(static_cast<unsigned char>(metafile[0]), 0xD7);
    const QString dxf = w.form.SaveFile(QString::fromStdString(dir.Path("lines.dxf")), 5);
    EXPECT_NE(testing_support::ReadAll(dxf.toStdString()).find("ENTITIES"), std::string::npos);

    // Opening the drawing adds its entities: twice as many lines, all selected.
    w.form.OpenFile(rtv, 3);
    std::size_t lines = 0;
    for (const drawing::Entity_List* list : w.form.Selection->Lists) lines += list->Entities.size();
    EXPECT_EQ(lines, 4u);

    // Delete layers frees the selected lists.
    w.form.findChild<QAction*>("DeleteLayers1")->trigger();
    EXPECT_TRUE(w.form.Selection->Lists.empty());
    EXPECT_EQ(w.form.Drawing->FindLayer("Penwright"), nullptr); // binned once empty
    EXPECT_TRUE(watcher.messages.isEmpty()) << watcher.messages.join(" | ").toStdString();
}
