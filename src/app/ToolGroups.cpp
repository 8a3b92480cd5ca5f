// SPDX-License-Identifier: GPL-3.0-or-later
// Tool groups, option panels, the mouse modes of the info bar, and start-up.

#include "app/Commands.h"
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/ColourSquare.h"
#include "drawing/EntityStyle.h"
#include "mousetools/MapInteraction.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <cmath>
#include <functional>

namespace app {

namespace {

constexpr int OptionLeft = 300; // option panels sit right of Panel12's narrow form

} // namespace

void Tmainform::ShowGroup(int group) {
    if (group < 0 || group >= int(GroupPanels.size()) || !GroupPanels[std::size_t(group)]) return;
    // Restack every group into the drop-down at its fixed row.
    int top = 0;
    for (int g : {1, 3, 4, 5, 6, 8}) {
        QWidget* panel = GroupPanels[std::size_t(g)];
        panel->setParent(Panel3);
        panel->move(0, top);
        panel->show();
        Overlays[std::size_t(g)]->show();
        Overlays[std::size_t(g)]->raise();
        top += 25;
    }
    SpinEdit3->setEnabled(true);
    ComboBox3->setEnabled(true);

    QWidget* panel = GroupPanels[std::size_t(group)];
    panel->setParent(Panel13);
    panel->move(3, 3);
    panel->show();
    Overlays[std::size_t(group)]->hide();
    for (const ToolGroup& g : Groups()) {
        if (g.number != group) continue;
        ShowOptionPanel(g.optionGroup);
        if (g.workMode >= 0) interaction_->SetWork(mousetools::WorkMode(g.workMode));
        Labelinfo->setText(g.status);
    }
    if (group == 6) {
        SpinEdit3->setEnabled(false);
        ComboBox3->setEnabled(false);
    }
    Panel3->hide();
}

void Tmainform::ShowOptionPanel(int optionGroup) {
    for (QWidget* p : {Panel7, Panel8, Panel9, Panel10, Panel11, DarkPanel}) p->hide();
    auto place = [](QWidget* p, int left, int top) {
        p->move(left, top);
        p->show();
        p->raise();
    };
    switch (optionGroup) {
    case 1:
        Panel12->resize(160, Panel12->height());
        place(Panel12, Panel12->x(), 2);
        break;
    case 3:
        place(Panel11, OptionLeft, 2);
        break;
    case 4:
        place(Panel8, OptionLeft, 4);
        place(DarkPanel, OptionLeft + Panel8->width() + 2, 4);
        break;
    case 5:
        place(Panel9, OptionLeft, 4);
        break;
    case 6:
        place(Panel7, OptionLeft, 4);
        break;
    case 9:
        place(Panel10, OptionLeft, 2);
        break;
    case 10:
        Panel12->resize(291, Panel12->height());
        place(Panel12, Panel12->x(), 2);
        place(Panel9, 429, 4);
        break;
    default:
        break;
    }
}

void Tmainform::ResetViewButtons() {
    for (QToolButton* b : {SBs5, SBs6, SBs7, SBs8, SBs9}) b->setChecked(false);
    interaction_->SetSelectTool(false);
    UncheckRB1();
}

void Tmainform::ChooseViewMode(QToolButton* button, int mouseMode, Qt::CursorShape cursor) {
    GISPanel1->MouseMode = mouseMode;
    if (cursor == Qt::ArrowCursor)
        SetPaintBoxCursorArrowUnlessSpecial();
    else
        GISPanel1->PaintBox()->setCursor(cursor);
    ResetViewButtons();
    button->setChecked(true);
}

void Tmainform::DetectEdgeMode() {
    GISPanel1->MouseMode = canvas::TGISPanel::mmDetectEdge;
    GISPanel1->PaintBox()->setCursor(Qt::PointingHandCursor);
    ShowGroup(4);
    ResetViewButtons();
    SBs5->setChecked(true);
}

void Tmainform::SelectMode() {
    GISPanel1->MouseMode = canvas::TGISPanel::mmNone;
    SetPaintBoxCursorArrowUnlessSpecial();
    ShowGroup(6);
    ResetViewButtons();
    interaction_->SetWork(mousetools::wmVector);
    SBs9->setChecked(true);
    interaction_->SetSelectTool(true);
    CheckRB1();
}

// The convert tools reshape every recorded outline.
void Tmainform::ConvertAll(void (*work)(Tmainform&)) {
    GISPanel1->MouseMode = canvas::TGISPanel::mmDetectEdge;
    work(*this);
}

void Tmainform::ChooseRasterTool() {
    GISPanel1->SaveRasterUndo();
}

// Radio buttons of one panel exclude each other; unchecking the checked one from code
// leaves neither checked.
void Tmainform::UncheckRB1() {
    RB1->setAutoExclusive(false);
    RB1->setChecked(false);
    RB1->setAutoExclusive(true);
}

// Checking RB1 from code acts as a click when it changes the state.
void Tmainform::CheckRB1() {
    if (RB1->isChecked()) return;
    RB1->setChecked(true);
    interaction_->SetWork(mousetools::wmSelected);
}

void Tmainform::SetPaintBoxCursorArrowUnlessSpecial() {
    QWidget* box = GISPanel1->PaintBox();
    const Qt::CursorShape shape = box->cursor().shape();
    if (shape != Qt::CrossCursor && shape != Qt::BlankCursor) box->setCursor(Qt::ArrowCursor);
}

void Tmainform::SB4of7Click() {
    canvas::ImageLayer& image = GISPanel1->Image;
    if (image.Visible) {
        image.Visible = false;
    } else {
        image.Visible = true;
        const platform::Bitmap24& r = GISPanel1->Raster();
        GISPanel1->SetExtent(20, 20, 0, r.Width(), 0, r.Height());
    }
    GISPanel1->Redraw();
}

void Tmainform::ChangeMouse1Click() {
    QWidget* box = GISPanel1->PaintBox();
    box->setCursor(box->cursor().shape() == Qt::BlankCursor ? Qt::CrossCursor : Qt::BlankCursor);
}

void Tmainform::ConnectCommands() {
    connect(SpeedButton1, &QToolButton::clicked, this, [this] {
        Panel3->setVisible(!Panel3->isVisible());
        Panel3->raise();
    });
    // Edit scope.
    connect(RB1, &QRadioButton::clicked, this,
            [this] { interaction_->SetWork(mousetools::wmSelected); });
    connect(RB2, &QRadioButton::clicked, this,
            [this] { interaction_->SetWork(mousetools::wmVisible); });
    connect(draw_vertices, &QCheckBox::clicked, this, [this] { GISPanel1->Redraw(); });
}

void Tmainform::FormShow() {
    interaction_->SetWork(mousetools::wmNone);
    NewDrawing("Penwright");
    SetUpMap({0, 0, 0}, {800, 600, 0});
    // New vectors must show over the scan they are traced from: a pen colour that line work
    // rarely has, and outlines not filled (a filled closed polyline would hide its line).
    mousetools::DrawingAttributes& a = attributes_;
    a.ForeColor = StartPenColour;
    Shape1->SetColour(a.ForeColor);
    a.LineWidth = 1;
    a.LineStyle = 0;
    a.BackColor = 0xFEFEFE;
    a.FontName = "Times New Roman";
    a.FontSize = 12;
    a.FontColor = 0;
    a.FontStyle = 0;
    a.FontAngle = 0;
    a.TextString.clear();
    a.BoxSize = 6;
    a.ClosePolylines = 0;
    a.BrushStyle = std::uint8_t(platform::BrushStyle::Clear);
    drawing::StyleOverride = 0;
    ApplyAttributes();
    ShowGroup(1);
    {
        // Choosing entries from code stores no attribute.
        const QSignalBlocker quiet1(ComboBox1), quiet2(ComboBox2);
        ComboBox1->setCurrentIndex(0);
        ComboBox2->setCurrentIndex(0); // "Clear"
    }
    LoadSettings();
    GISPanel1->PaintBox()->setFocus(); // keys go to the map, not to the layer box
}

void Tmainform::SetUpMap(Point3D min, Point3D max) {
    if (!shown_) {
        ExtentMax = {max.x, max.y, 0};
        ExtentMin = {min.x, min.y, 0};
    }
    platform::Bitmap24& raster = GISPanel1->Raster();
    raster.SetSize(int(std::nearbyint(max.x)), int(std::nearbyint(max.y)), 0xFEFEFE);
    GISPanel1->RasterChanged();
    GISPanel1->Image.Visible = true;
    GISPanel1->SetExtent(0, 0, ExtentMin.x, max.x, ExtentMin.y, max.y);
}

} // namespace app
