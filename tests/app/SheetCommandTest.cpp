// SPDX-License-Identifier: GPL-3.0-or-later
// The dark-line test of the convert panels, centre lines from V after Thin, and the
// whole-sheet command with its dialog, progress, cancel and undo.
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "drawing/Polyline_.h"
#include "support/Mouse.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using app::Tmainform;
using testing_support::SendMouse;

namespace {

constexpr int Side = 200;

// A light, slightly uneven sheet of Side × Side pixels, as a JPEG scan gives.
platform::Bitmap24 Paper(int grey = 236) {
    platform::Bitmap24 scan(Side, Side);
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            const std::uint8_t v = std::uint8_t(grey + (x * 7 + y * 13) % 16);
            scan.SetPixel(x, y, platform::MakeColour(v, v, v));
        }
    return scan;
}

// Dark pixels (grey 0 to 4, as a JPEG leaves black) over the rectangle.
void Ink(platform::Bitmap24& scan, int x0, int y0, int x1, int y1) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const std::uint8_t v = std::uint8_t((x + y) % 5);
            scan.SetPixel(x, y, platform::MakeColour(v, v, v));
        }
}

struct Window {
    Tmainform form;
    explicit Window(platform::Bitmap24 scan) {
        form.resize(900, 700);
        form.show();
        Map().AdoptRaster(std::move(scan));
        Map().SetExtent(20, 20, 0, Side, 0, Side);
    }
    canvas::TGISPanel& Map() { return form.Map(); }
    QPoint AtPixel(int column, int row) { return Map().WorldToScreen(column, Side - row); }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        SendMouse(Map().PaintBox(), QEvent::MouseButtonPress, at, button, button, Qt::NoModifier);
        SendMouse(Map().PaintBox(), QEvent::MouseButtonRelease, at, button, Qt::NoButton,
                  Qt::NoModifier);
    }
    QToolButton* Button(const char* name) { return form.findChild<QToolButton*>(name); }
    QAction* Action(const char* name) { return form.findChild<QAction*>(name); }
    std::vector<const drawing::Polyline_*> Polylines(const std::string& layerName = "Penwright") {
        std::vector<const drawing::Polyline_*> out;
        const drawing::DXF_Layer* layer =
            form.CurrentDrawing() ? form.CurrentDrawing()->FindLayer(layerName) : nullptr;
        const drawing::Entity_List* list = layer ? layer->FindList("Polyline_") : nullptr;
        if (list)
            for (const auto& e : list->Entities)
                out.push_back(static_cast<const drawing::Polyline_*>(e.get()));
        return out;
    }
};

// A cross of two strokes three pixels wide meeting at raster (100, 60), and a speck.
platform::Bitmap24 CrossSheet() {
    platform::Bitmap24 scan = Paper();
    Ink(scan, 20, 59, 180, 61);
    Ink(scan, 99, 20, 101, 180);
    Ink(scan, 30, 150, 31, 151);
    return scan;
}

bool Near(const drawing::Point3& v, double x, double y) {
    return std::abs(v.x - x) <= 1.5 && std::abs(v.y - y) <= 1.5;
}

} // namespace

TEST(SheetCommand, TheDarkLineTestSitsBesidePureColourAndRecordsAOnePixelLine) {
    platform::Bitmap24 scan = Paper();
    Ink(scan, 20, 50, 160, 50); // one pixel wide
    Window w(std::move(scan));
    w.Button("SBs5")->click(); // detect edge: the convert panels
    w.Button("SB2of4")->click();
    ASSERT_TRUE(w.form.findChild<QWidget*>("DarkPanel")->isVisible());
    EXPECT_EQ(w.form.findChild<QWidget*>("DarkPanel")->x(),
              w.form.findChild<QWidget*>("Panel8")->x() +
                  w.form.findChild<QWidget*>("Panel8")->width() + 2);
    EXPECT_EQ(w.form.findChild<QSpinBox*>("DarkThresholdEdit")->text(), "auto");

    w.Click(w.AtPixel(80, 50)); // the colour range averages the line away
    EXPECT_EQ(w.Map().ObjectCount(), 0);
    w.form.findChild<QCheckBox*>("DarkLinesBox")->click();
    w.Click(w.AtPixel(80, 51)); // a pixel beside it takes the line
    ASSERT_EQ(w.Map().ObjectCount(), 1);
    EXPECT_GE(w.Map().Workbench().ContourCount(), 2u * 140);
    // Otsu's split lies between the ink and the paper.
    EXPECT_GT(w.Map().Workbench().DarkThreshold, 4);
    EXPECT_LT(w.Map().Workbench().DarkThreshold, 236);

    w.Click(w.AtPixel(80, 50), Qt::RightButton);
    w.form.findChild<QSpinBox*>("DarkThresholdEdit")
        ->setValue(1); // only grey 0 passes now: too little to follow
    w.Click(w.AtPixel(80, 50));
    EXPECT_EQ(w.Map().Workbench().DarkThreshold, 1);
    w.form.findChild<QCheckBox*>("DarkLinesBox")->click(); // off: the colour range decides again
    EXPECT_FALSE(w.Map().Workbench().DarkLines);
}

// On grey paper a fixed middle threshold would take the paper for ink; the sheet's own
// threshold takes the line alone.
TEST(SheetCommand, TheAutomaticThresholdComesFromTheSheet) {
    platform::Bitmap24 scan = Paper(100);
    Ink(scan, 20, 50, 160, 50);
    Window w(std::move(scan));
    w.Button("SBs5")->click();
    w.form.findChild<QCheckBox*>("DarkLinesBox")->click();
    EXPECT_LT(w.Map().Workbench().DarkThreshold, 100);
    w.Click(w.AtPixel(80, 50));
    ASSERT_EQ(w.Map().ObjectCount(), 1);
    EXPECT_LT(w.Map().Workbench().ContourCount(), 2u * 150); // the line's, not the sheet's
}

TEST(SheetCommand, VAfterThinGivesCentreLinesSplitAtTheJunctionOrTheOutlineWhenAsked) {
    for (const bool centreLines : {true, false}) {
        Window w(CrossSheet());
        w.Action("CentreLines1")->setChecked(centreLines);
        w.Button("SBs5")->click();
        w.form.findChild<QCheckBox*>("DarkLinesBox")->click();
        w.Click(w.AtPixel(60, 60));
        ASSERT_EQ(w.Map().ObjectCount(), 1);
        w.Button("SB2of4")->click(); // thin
        w.Button("SpeedButton13")->click();
        const auto lines = w.Polylines();
        if (!centreLines) {
            EXPECT_EQ(lines.size(), 1u); // out along every stroke and back
            continue;
        }
        ASSERT_EQ(lines.size(), 4u);
        int atJunction = 0;
        for (const drawing::Polyline_* line : lines) {
            EXPECT_FALSE(line->Closed);
            // Map y = 200 − row: the junction is at (100, 140).
            atJunction +=
                Near(line->Vertices.front(), 100, 140) || Near(line->Vertices.back(), 100, 140);
        }
        EXPECT_EQ(atJunction, 4);
    }
}

TEST(SheetCommand, AWholeSheetBecomesCentreLinesOnTheLayerAndIsUndoneInOneStep) {
    Window w(CrossSheet());
    w.form.findChild<QCheckBox*>("DarkLinesBox")->click();
    w.form.findChild<QComboBox*>("ComboBox3")->setEditText("Traced");
    Tmainform::SheetOptions options;
    EXPECT_EQ(w.form.TraceSheet(options), 4u);
    const auto lines = w.Polylines("Traced");
    ASSERT_EQ(lines.size(), 4u);
    for (const drawing::Polyline_* line : lines) EXPECT_FALSE(line->Closed);
    EXPECT_TRUE(w.form.findChild<QLabel*>("Labelinfo")->text().contains("1 specks dropped"))
        << w.form.findChild<QLabel*>("Labelinfo")->text().toStdString();
    EXPECT_TRUE(w.form.UnsavedDrawing());
    EXPECT_FALSE(w.form.SelectedLists().Lists.empty());

    w.Action("UndoSheet1")->trigger();
    EXPECT_EQ(w.form.CurrentDrawing()->FindLayer("Traced"), nullptr); // it made the layer
    EXPECT_TRUE(w.form.SelectedLists().Lists.empty());
    w.Action("UndoSheet1")->trigger(); // nothing left to undo
    EXPECT_EQ(w.form.findChild<QLabel*>("Labelinfo")->text(),
              "Nothing to undo: no whole sheet was traced");
}

TEST(SheetCommand, TheDialogChoosesOutlinesAndTheVisiblePart) {
    platform::Bitmap24 scan = Paper();
    Ink(scan, 20, 20, 60, 60);     // a filled square: one outline
    Ink(scan, 120, 120, 180, 180); // a ring: its outline and its hole's
    for (int y = 130; y <= 170; ++y)
        for (int x = 130; x <= 170; ++x) scan.SetPixel(x, y, 0xF0F0F0);
    Window w(std::move(scan));
    w.form.findChild<QCheckBox*>("DarkLinesBox")->click();
    auto answer = [&w](bool visiblePart) {
        QTimer::singleShot(0, &w.form, [&w, visiblePart] {
            auto* dialog = w.form.findChild<QDialog*>("SheetDialog");
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QRadioButton*>("SheetOutlines")->click();
            dialog->findChild<QCheckBox*>("SheetVisiblePart")->setChecked(visiblePart);
            dialog->accept();
        });
        w.Action("WholeSheet1")->trigger();
    };
    answer(false);
    auto lines = w.Polylines();
    ASSERT_EQ(lines.size(), 3u);
    for (const drawing::Polyline_* line : lines) EXPECT_TRUE(line->Closed);

    w.Action("UndoSheet1")->trigger();
    // Zoomed onto the upper left quarter: only the filled square is in view.
    w.Map().ZoomToRect(0, 100, 100, 200);
    answer(true);
    lines = w.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_LT(lines[0]->Vertices[0].x, 100);
}

TEST(SheetCommand, CancellingTheProgressChangesNothing) {
    Window w(CrossSheet());
    w.form.findChild<QCheckBox*>("DarkLinesBox")->click();
    QTimer::singleShot(0, &w.form, [&w] {
        auto* progress = w.form.findChild<QProgressDialog*>("SheetProgress");
        if (progress) progress->cancel();
    });
    EXPECT_EQ(w.form.TraceSheet({}), 0u);
    EXPECT_TRUE(w.Polylines().empty());
    EXPECT_FALSE(w.form.UnsavedDrawing());
    EXPECT_EQ(w.form.findChild<QLabel*>("Labelinfo")->text(),
              "Whole sheet cancelled: nothing changed");
}
