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

#include <QAction>
#include <QComboBox>
#include <QTimer>
#include <QToolButton>

namespace app {

void Tmainform::ConnectWindows() {
    TrackingForm = new dialogs::TTrackingForm(this);
    DisplayOptions = new dialogs::TDisplayOptions(this);
    HelpForm = new dialogs::THelpForm(this);
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
        PickedEntity = nullptr;
        PickedList = nullptr;
        PickedVertex = {};
        MoveEntity = nullptr;
        UpdateInformation();
    };

    Track_timer = new QTimer(this);
    Track_timer->setObjectName("Track_timer");
    Track_timer->setInterval(100);
    connect(Track_timer, &QTimer::timeout, this, &Tmainform::Track_timerTimer);

    auto command = [this](const char* button, const char* menuItem, std::function<void()> handler) {
        Command(button, menuItem, std::move(handler));
    };
    command("SB1of2", "Undo1", [this] {
        LayerForm->Attach(Drawing.get(), Selection.get());
        LayerForm->exec();
        GISPanel1->Redraw();
    });
    command("SB1of7", "ViewDialog1", [this] {
        DisplayOptions->exec();
        GISPanel1->Redraw();
    });
    command("SB3of2", "TrackingMouse1", [this] { SB3of2Click(); });
    command("SB5of7", "Information1", [this] {
        ShowInformation();
        InfoForm->show();
        InfoForm->raise();
    });
    command(nullptr, "DeleteLayers1", [this] { SB4of2Click(); });
    CopytoClipboard1 = findChild<QAction*>("CopytoClipboard1");
    VectortoRaster1 = findChild<QAction*>("VectortoRaster1");
    for (QAction* action : {CopytoClipboard1, VectortoRaster1})
        connect(action, &QAction::triggered, this, [this, action] { ZoomboxPaint(action); });
    const std::pair<const char*, const char*> helpPages[] = {
        {"Overview1", "TabSheet2"}, {"Operate1", "TabSheet3"}, {"File2", "TabSheet4"},
        {"Edit3", "TabSheet5"},     {"Raster3", "TabSheet6"},  {"Convertion1", "TabSheet8"},
        {"Vector2", "TabSheet9"},   {"View2", "TabSheet10"},   {"Management1", "TabSheet12"},
        {"About1", "TabSheet1"},
    };
    for (auto [item, page] : helpPages)
        connect(findChild<QAction*>(item), &QAction::triggered, this, [this, page = QString(page)] {
            HelpForm->ShowPage(page);
            HelpForm->show();
            HelpForm->raise();
        });
    connect(GISPanel1, &canvas::TGISPanel::Paint, this, &Tmainform::ZoomboxPaint);
}

} // namespace app
