// SPDX-License-Identifier: GPL-3.0-or-later
// The program's other windows and the commands of the main window that open them.

#include "app/Tmainform.h"
#include "app/ToolWindowPlacer.h"
#include "canvas/TGISPanel.h"
#include "dialogs/TDisplayOptions.h"
#include "dialogs/THelpForm.h"
#include "dialogs/TLayerForm.h"
#include "dialogs/TTrackingForm.h"
#include "dialogs/Tinfoform.h"
#include "dialogs/Tpropform.h"

#include <QAction>
#include <QComboBox>
#include <QTimer>
#include <QToolButton>

namespace app {

void Tmainform::ConnectWindows() {
    TrackingForm = new dialogs::TTrackingForm(this);
    DisplayOptions = new dialogs::TDisplayOptions(this);
    HelpForm = new dialogs::THelpForm(this);
    PropForm = new dialogs::Tpropform(this);
    LayerForm = new dialogs::TLayerForm(this);
    InfoForm = new dialogs::Tinfoform(this);
    auto* placer = new ToolWindowPlacer(GISPanel1, this);
    for (QWidget* window : {static_cast<QWidget*>(TrackingForm), static_cast<QWidget*>(InfoForm),
                            static_cast<QWidget*>(HelpForm)})
        placer->Manage(window);

    LayerForm->OnRepaint = [this] { GISPanel1->Redraw(); };
    LayerForm->OnLayerNames = [this](const std::vector<drawing::ListingLine>& lines) {
        const QSignalBlocker quiet(ComboBox3); // refilling the box picks no layer
        const QString typed = ComboBox3->currentText();
        ComboBox3->clear();
        // The listing indents each name; the box offers the names themselves, so that a
        // picked entry names the existing layer.
        for (const drawing::ListingLine& line : lines) {
            const QString text = QString::fromStdString(line.Text);
            ComboBox3->addItem(text.startsWith("  ") ? text.mid(2) : text);
        }
        ComboBox3->setEditText(typed);
    };
    LayerForm->OnDrawingChanged = [this] { MarkDrawingChanged(); };
    LayerForm->OnSelectionRebuilt = [this] {
        picks_ = {}; // the picked entity may be gone
        UpdateInformation();
    };

    Track_timer = new QTimer(this);
    Track_timer->setObjectName("Track_timer");
    Track_timer->setInterval(100);
    connect(Track_timer, &QTimer::timeout, this, &Tmainform::Track_timerTimer);

    connect(GISPanel1, &canvas::TGISPanel::Paint, this, &Tmainform::ZoomboxPaint);
}

void Tmainform::OpenLayers() {
    LayerForm->Attach(Drawing.get(), Selection.get());
    LayerForm->exec();
    GISPanel1->Redraw();
}

void Tmainform::OpenDisplayOptions() {
    DisplayOptions->exec();
    GISPanel1->Redraw();
}

void Tmainform::OpenInformation() {
    ShowInformation();
    InfoForm->show();
    InfoForm->raise();
}

void Tmainform::ShowHelpPage(const char* page) {
    HelpForm->ShowPage(page);
    HelpForm->show();
    HelpForm->raise();
}

} // namespace app
