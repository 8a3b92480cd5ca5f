// SPDX-License-Identifier: GPL-3.0-or-later
// The map canvas's mouse events: the mouse tools do the drawing, painting and editing;
// the window keeps the status line, hover tracking and the outline tracing in step, and
// answers the tools with the property dialog and its own bookkeeping.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/Tpropform.h"
#include "mousetools/MapInteraction.h"
#include "mousetools/PanelView.h"
#include "platform/NumberFormat.h"
#include "platform/ui/MessageBox.h"

#include <QLabel>
#include <QRadioButton>
#include <QTimer>

namespace app {

void Tmainform::ConnectMouseTools() {
    mapView_ = std::make_unique<mousetools::PanelView>(*GISPanel1);
    toolEvents_.EntityAdded = [this] {
        MarkDrawingChanged();
        RefreshLayerLists(true);
        UpdateInformation();
    };
    toolEvents_.DrawingEdited = [this] { MarkDrawingChanged(); };
    toolEvents_.RasterPainted = [this] { MarkRasterChanged(); };
    toolEvents_.ColoursPicked = [this] { ShowPickedColours(); };
    toolEvents_.DragStep = [this] { Track_timer->stop(); };
    toolEvents_.EditProperties = [this](bool textMode) { return EditProperties(textMode); };
    toolEvents_.ShowMessage = [this](const std::string& text) {
        platform::ShowMessage(QString::fromStdString(text), this);
    };
    toolContext_ = std::make_unique<mousetools::ToolContext>(mousetools::ToolContext{
        *mapView_, attributes_, *Selection, picks_, toolEvents_, Drawing.get()});
    interaction_ = std::make_unique<mousetools::MapInteraction>(*toolContext_);

    connect(GISPanel1, &canvas::TGISPanel::MouseDownEvent, this, &Tmainform::GISPanel1MouseDown);
    connect(GISPanel1, &canvas::TGISPanel::MouseMoveEvent, this, &Tmainform::GISPanel1MouseMove);
    connect(GISPanel1, &canvas::TGISPanel::MouseUpEvent, this, &Tmainform::GISPanel1MouseUp);
}

void Tmainform::GISPanel1MouseDown(const canvas::MapMouseEvent& e) {
    interaction_->Press(e);
    ConversionPress(e);
}

void Tmainform::GISPanel1MouseMove(const canvas::MapMouseEvent& e) {
    interaction_->Move(e);
    Label2->setText(QString::fromStdString("X= " + platform::FormatFixed(e.X, 3, 8) +
                                           "   Y= " + platform::FormatFixed(e.Y, 3, 8)));
    MouseX = e.Screen.x();
    MouseY = e.Screen.y();
    if (!e.Is(canvas::ssLeft) && RB1->isChecked()) Track_timer->start();
}

void Tmainform::GISPanel1MouseUp(const canvas::MapMouseEvent& e) {
    interaction_->Release(e);
    ConversionRelease(e);
}

bool Tmainform::EditProperties(bool textMode) {
    PropForm->EditSelection = true;
    PropForm->TextMode = textMode;
    return PropForm->ShowPropertyDialog();
}

void Tmainform::CancelMouseWork() {
    if (Panel3->isVisible()) Panel3->hide();
    if (!GISPanel1->CancelMouseWork()) interaction_->Cancel();
}

} // namespace app
