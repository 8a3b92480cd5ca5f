// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Tmainform.h"

#include "canvas/TGISPanel.h"
#include "dialogs/TLayerForm.h"
#include "mousetools/MapInteraction.h"
#include "mousetools/PanelView.h"
#include "print/PrinterChoice.h"
#include "raster/TracedDrawing.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace app {

Tmainform::Tmainform(QWidget* parent) : QMainWindow(parent) {
    setObjectName("mainform");
    setWindowTitle("Penwright");
    resize(798, 319);
    auto* central = new QWidget(this);
    central->setObjectName("ClientArea");
    setCentralWidget(central);

    Selection = std::make_unique<drawing::selection_lists>();
    BuildToolBar();
    BuildGroups();
    BuildOptionPanels();
    BuildInfoBar();
    BuildMenu();

    GISPanel1 = new canvas::TGISPanel(central);
    GISPanel1->setObjectName("GISPanel1");
    GISPanel1->ZoomFactor = 1.2;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel13);
    layout->addWidget(GISPanel1, 1);
    layout->addWidget(Panelinfo);
    Panel3->raise();
    Panel13->installEventFilter(this);
    Panelinfo->installEventFilter(this);

    ConnectMouseTools();
    ConnectCommands();
    ConnectAttributeControls();
    ConnectWindows();
    ConnectConversion();
    ConnectSheetCommand();
    ConnectDesktopHabits();
    ConnectPrintCommands();
}

Tmainform::~Tmainform() = default;

void Tmainform::NewDrawing(const std::string& name) {
    if (!Drawing) {
        lastSheet_.reset(); // its entities belonged to another drawing
        Drawing = std::make_unique<drawing::DXF_Object>(name);
        Drawing->CreateLayer("NewLayer", false);
    }
    DrawingOpen = true;
    toolContext_->Drawing = Drawing.get();
    LayerForm->Attach(Drawing.get(), Selection.get());
}

void Tmainform::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (shown_) return;
    FormShow();
    shown_ = true;
}

bool Tmainform::eventFilter(QObject* watched, QEvent* e) {
    // Panel18 and Panel19 keep to the right ends of their bars.
    if (e->type() == QEvent::Resize) {
        if (watched == Panel13) Panel18->move(Panel13->width() - Panel18->width(), 0);
        if (watched == Panelinfo) {
            Panel19->move(Panelinfo->width() - Panel19->width(), 0);
            // The status line takes the room up to the scale caption.
            Labelinfo->setFixedWidth(std::max(100, Panel19->x() - Labelinfo->x() - 8));
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

} // namespace app
