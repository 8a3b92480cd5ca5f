// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "drawing/Polyline_.h"
#include "support/Mouse.h"
#include "support/QtPrinters.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using app::Tmainform;
using testing_support::SendMouse;

namespace {

// A 100 × 100 white raster with a black 10 × 10 square at columns and rows 20 to 29.
struct WindowWithSquare {
    Tmainform form;
    WindowWithSquare() {
        form.resize(900, 700);
        form.show();
        platform::Bitmap24 scan(100, 100);
        scan.Fill(0xFEFEFE);
        for (int y = 20; y < 30; ++y)
            for (int x = 20; x < 30; ++x) scan.SetPixel(x, y, 0);
        Map().AdoptRaster(std::move(scan));
        Map().SetExtent(20, 20, 0, 100, 0, 100);
    }
    canvas::TGISPanel& Map() { return form.Map(); }
    QWidget* Box() { return Map().PaintBox(); }
    QPoint AtPixel(int column, int row) { return Map().WorldToScreen(column, 100 - row); }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers keys = Qt::NoModifier) {
        SendMouse(Box(), QEvent::MouseButtonPress, at, button, button, keys);
        SendMouse(Box(), QEvent::MouseButtonRelease, at, button, Qt::NoButton, keys);
    }
    QToolButton* Button(const char* name) { return form.findChild<QToolButton*>(name); }
};

} // namespace

TEST(RasterConversion, DetectEdgeThenVTurnsTheOutlineIntoAPolyline) {
    WindowWithSquare w;
    w.Button("SBs5")->click();
    w.Click(w.AtPixel(22, 23));
    EXPECT_EQ(w.Map().ObjectCount(), 1);
    EXPECT_EQ(w.Map().Workbench().ContourCount(), 32u); // colour-range mode
    w.Click(w.AtPixel(22, 23), Qt::RightButton);
    w.form.findChild<QCheckBox*>("vectbox")->click(); // "Pure color"
    w.Click(w.AtPixel(22, 23));
    EXPECT_EQ(w.Map().ObjectCount(), 1);
    EXPECT_EQ(w.Map().Workbench().ContourCount(), 36u);
    w.Click(w.AtPixel(22, 23), Qt::RightButton); // right click removes it again
    EXPECT_EQ(w.Map().ObjectCount(), 0);
    w.Click(w.AtPixel(22, 23));
    ASSERT_EQ(w.Map().ObjectCount(), 1);

    w.form.findChild<QSpinBox*>("SpinEdit3")->setValue(3);
    w.Button("SpeedButton13")->click();
    EXPECT_EQ(w.Map().ObjectCount(), 0);
    const drawing::DXF_Layer* layer = w.form.CurrentDrawing()->FindLayer("Penwright");
    ASSERT_NE(layer, nullptr);
    ASSERT_EQ(w.form.SelectedLists().Lists.size(), 1u);
    const drawing::Entity_List* list = w.form.SelectedLists().Lists[0];
    ASSERT_EQ(list->Name, "Polyline_");
    const auto& polyline = static_cast<const drawing::Polyline_&>(*list->Entities.front());
    // Raster (20, 21), (29, 20), (29, 29), (20, 29), (20, 22) as map points (y up).
    const std::vector<std::pair<double, double>> expected = {
        {20, 79}, {29, 80}, {29, 71}, {20, 71}, {20, 78}};
    std::string got;
    for (const auto& v : polyline.Vertices)
        got += "(" + std::to_string(v.x) + "," + std::to_string(v.y) + ") ";
    ASSERT_EQ(polyline.Vertices.size(), expected.size()) << got;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(polyline.Vertices[i].x, expected[i].first) << i;
        EXPECT_EQ(polyline.Vertices[i].y, expected[i].second) << i;
    }
    // No outline mark is left in the raster.
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(w.Map().Raster().Pixel(x, y) & 0x010101, 0u);
}

TEST(RasterConversion, TheInformationWindowFollowsTheRecordedOutlines) {
    WindowWithSquare w;
    w.Button("SB5of7")->click();
    auto* outlines = w.form.findChild<QLabel*>("outline_lab");
    auto* size = w.form.findChild<QLabel*>("raster_lab");
    ASSERT_NE(outlines, nullptr);
    EXPECT_EQ(size->text(), "100 x 100");
    EXPECT_EQ(outlines->text(), "0");
    w.Button("SBs5")->click();
    w.Click(w.AtPixel(22, 23));
    EXPECT_EQ(outlines->text(), "1");
    w.Click(w.AtPixel(22, 23), Qt::RightButton);
    EXPECT_EQ(outlines->text(), "0");
}

TEST(RasterConversion, ShiftAndCtrlClicksPickPenAndFillColours) {
    WindowWithSquare w;
    w.Map().Raster().SetPixel(60, 60, platform::MakeColour(100, 51, 200));
    for (int y = 55; y < 66; ++y)
        for (int x = 55; x < 66; ++x)
            w.Map().Raster().SetPixel(x, y, platform::MakeColour(100, 51, 200));
    w.Click(w.AtPixel(60, 60), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(w.form.Attributes().ForeColor, platform::MakeColour(100, 50, 200));
    w.Click(w.AtPixel(25, 25), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(w.form.Attributes().BackColor, 0u);
}

TEST(RasterConversion, RasterUndoCopyIsRestoredByUndo) {
    WindowWithSquare w;
    w.Map().SaveRasterUndo(); // as choosing a raster tool does: the visible raster is saved
    EXPECT_TRUE(w.Map().Workbench().UndoSaved());
    w.Map().Raster().SetPixel(50, 50, 0x123456);
    const auto view = w.Map().Transform().View();
    w.Button("SBs4")->click();
    EXPECT_EQ(w.Map().Raster().Pixel(50, 50), 0xFEFEFEu);
    EXPECT_FALSE(w.Map().Workbench().UndoSaved());
    EXPECT_EQ(w.Map().Transform().View(), view);
    EXPECT_TRUE(w.form.UnsavedRaster());
}

// A click that records nothing says why on the status line; one that records says so.
TEST(RasterConversion, TheStatusLineSaysWhatADetectEdgeClickDid) {
    WindowWithSquare w;
    w.Button("SBs5")->click();
    w.form.findChild<QCheckBox*>("vectbox")->click();                  // "Pure color"
    for (int x = 60; x < 64; ++x) w.Map().Raster().SetPixel(x, 60, 0); // a 4-pixel speck
    w.Map().RasterChanged();
    w.Click(w.AtPixel(61, 60));
    EXPECT_EQ(w.form.findChild<QLabel*>("Labelinfo")->text(),
              "Nothing recorded: a speck of 4 outline points (30 needed)");
    w.Click(w.AtPixel(22, 23));
    EXPECT_EQ(w.form.findChild<QLabel*>("Labelinfo")->text(), "Outline recorded: 36 points");
    w.form.findChild<QCheckBox*>("vectbox")
        ->click(); // colour range: a lone dark pixel averages with its light neighbours
    w.Map().Raster().SetPixel(80, 80, 0);
    w.Map().RasterChanged();
    w.Click(w.AtPixel(80, 80));
    EXPECT_TRUE(w.form.findChild<QLabel*>("Labelinfo")
                    ->text()
                    .startsWith("Nothing recorded: the 2 × 2 average"));
    EXPECT_EQ(w.Map().ObjectCount(), 1);
}

// New vectors show over the line work they come from: the click takes the colour to follow,
// not the pen colour, and outlines are not filled.
TEST(RasterConversion, VectorsFromVShowOverTheirLineWork) {
    WindowWithSquare w;
    EXPECT_EQ(w.form.Attributes().ForeColor, Tmainform::StartPenColour);
    w.Button("SBs5")->click();
    w.form.findChild<QCheckBox*>("vectbox")->click();
    w.Click(w.AtPixel(22, 23));
    EXPECT_EQ(w.Map().Workbench().TargetColor, 0u);
    EXPECT_EQ(w.form.Attributes().ForeColor, Tmainform::StartPenColour);
    w.Button("SpeedButton13")->click();
    EXPECT_TRUE(w.form.UnsavedDrawing());
    EXPECT_EQ(w.form.findChild<QLabel*>("Labelinfo")->text(), "1 polylines on layer \"Penwright\"");
    const drawing::Entity_List* list = w.form.SelectedLists().Lists.at(0);
    const auto& polyline = static_cast<const drawing::Polyline_&>(*list->Entities.front());
    EXPECT_EQ(polyline.BrushStyle, std::uint8_t(platform::BrushStyle::Clear));
    // The polyline's edge runs over the square's black edge in the pen colour, and the
    // inside of the square stays black.
    const QImage& surface = w.Map().PaintBox()->Surface();
    EXPECT_EQ(surface.pixel(w.AtPixel(29, 25)),
              platform::ToQColor(Tmainform::StartPenColour).rgb());
    EXPECT_EQ(surface.pixel(w.AtPixel(25, 25)), qRgb(0, 0, 0));
}

TEST(RasterConversion, ContractAndEnlargeReshapeTheRecordedOutline) {
    WindowWithSquare w;
    w.Button("SBs5")->click();
    w.form.findChild<QCheckBox*>("vectbox")
        ->click(); // "Pure color": the outline is the square's own edge
    w.Click(w.AtPixel(22, 23));
    ASSERT_EQ(w.Map().ObjectCount(), 1);
    // The outline mark (low bit of blue) moves one pixel in, then out again.
    auto marked = [&](int x, int y) { return (w.Map().Raster().Pixel(x, y) & 0x010000) != 0; };
    EXPECT_TRUE(marked(20, 25));
    w.Button("SB3of4")->click(); // contract
    EXPECT_FALSE(marked(20, 25));
    EXPECT_TRUE(marked(21, 25));
    w.Button("SB4of4")->click(); // enlarge
    EXPECT_TRUE(marked(20, 25));
    EXPECT_EQ(w.Map().ObjectCount(), 1);
}

// Thin, contract and enlarge keep the window taking its events while they work, under a
// progress dialog, with the outline animation held still (its tick would trace the marks
// being changed); the animation goes on afterwards.
TEST(RasterConversion, MorphologyKeepsTheWindowAliveAndHoldsTheAnimation) {
    WindowWithSquare w;
    w.Button("SBs5")->click();
    w.Click(w.AtPixel(22, 23));
    ASSERT_EQ(w.Map().ObjectCount(), 1);
    auto* animation = w.form.findChild<QTimer*>("Timer1");
    ASSERT_NE(animation, nullptr);
    ASSERT_TRUE(animation->isActive());
    for (const char* button : {"SB2of4", "SB3of4", "SB4of4"}) {
        bool ran = false, animating = true, dialogModal = false;
        QTimer::singleShot(0, &w.form, [&] {
            ran = true;
            animating = animation->isActive();
            const auto* dialog = w.form.findChild<QProgressDialog*>("MorphologyProgress");
            dialogModal = dialog && dialog->windowModality() == Qt::ApplicationModal;
        });
        w.Button(button)->click();
        EXPECT_TRUE(ran) << button;
        EXPECT_FALSE(animating) << button;
        EXPECT_TRUE(dialogModal) << button;
        EXPECT_TRUE(animation->isActive()) << button;
        EXPECT_EQ(w.form.findChild<QProgressDialog*>("MorphologyProgress"), nullptr) << button;
    }
    EXPECT_EQ(w.Map().ObjectCount(), 1);
}
