// SPDX-License-Identifier: GPL-3.0-or-later
// What users expect of a desktop program beyond the tool bars: keyboard shortcuts, a status
// line that says what happened, commands that are not available yet shown as such, and a
// close that does not lose unsaved work.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/THelpForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>

namespace app {

namespace {

// Tool buttons and menu items whose work comes in a later version.
constexpr std::pair<const char*, const char*> Unbuilt[] = {
    {"SB1of3", "Text1"},
    {"SB2of3", "Eraser1"},
    {"SB3of3", "FillBox1"},
    {"SB4of3", "Polyline1"},
    {"SB5of3", "Pencil1"},
    {"SB1of5", "Text2"},
    {"SB2of5", "Line1"},
    {"SB3of5", "Polyline2"},
    {"SB4of5", "Rectangle1"},
    {"SB5of5", "Circle1"},
    {"SB1of6", "BringtoFrant1"},
    {"SB2of6", "Editor1"},
    {"SB3of6", "Scale1"},
    {"SB4of6", "N2"},
    {"SB5of6", "N1"},
    {"SB1of8", "Layermanagement1"},
    {"SB2of8", "Entitiesmanagement1"},
    {"SB3of8", "Datamanagement1"},
    {"SB4of8", "Selectionmanagement1"},
    {"SB5of8", "Setlinks1"},
};

constexpr const char* NotYet = " (not available in this version)";

} // namespace

void Tmainform::ShowStatus(const QString& text) {
    Labelinfo->setText(text);
    Labelinfo->setToolTip(text); // the whole text where the line is too short for it
}

void Tmainform::DisableUnbuiltCommands() {
    for (auto [button, item] : Unbuilt) {
        if (auto* b = findChild<QToolButton*>(button)) {
            b->setEnabled(false);
            b->setToolTip(b->toolTip() + NotYet);
        }
        if (auto* a = findChild<QAction*>(item)) {
            a->setEnabled(false);
            a->setStatusTip(a->text().remove('&') + NotYet);
            a->setToolTip(a->statusTip());
        }
    }
}

void Tmainform::CancelMouseWork() {
    if (Panel3->isVisible()) Panel3->hide();
    GISPanel1->CancelMouseWork();
}

bool Tmainform::MaybeSave() {
    if (!drawingChanged_ && !rasterChanged_) return true;
    QStringList what;
    if (drawingChanged_) what << "The drawing has changes that are not saved.";
    if (rasterChanged_) what << "The raster has changes that are not saved.";
    QMessageBox box(QMessageBox::Warning, "Penwright", "Save your work before closing?",
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName("SaveChangesBox");
    box.setInformativeText(what.join('\n'));
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Discard:
        return true;
    case QMessageBox::Save:
        // Each save may be cancelled in its dialog, which cancels the close.
        if (drawingChanged_ && !SaveDrawing()) return false;
        if (rasterChanged_ && !SaveAs(1)) return false;
        return true;
    default:
        return false;
    }
}

void Tmainform::closeEvent(QCloseEvent* e) {
    if (!MaybeSave()) {
        e->ignore();
        return;
    }
    SaveSettings();
    e->accept();
}

void Tmainform::ConnectDesktopHabits() {
    auto shortcut = [this](const char* item, QKeySequence keys) {
        if (auto* a = findChild<QAction*>(item)) a->setShortcut(keys);
    };
    shortcut("Raster1", QKeySequence::Open);
    shortcut("Save1", QKeySequence::Save);
    shortcut("Exit2", QKeySequence::Quit);
    shortcut("Overview1", QKeySequence::HelpContents);
    shortcut("CopytoClipboard1", QKeySequence::Copy);
    // Save (the menu item) saves the drawing again where it was; the tool bar's save
    // button and Save As ask where and how.
    disconnect(findChild<QAction*>("Save1"), nullptr, this, nullptr);
    connect(findChild<QAction*>("Save1"), &QAction::triggered, this, [this] { SaveDrawing(); });

    QMenu* file = findChild<QMenu*>("FileMenu");
    auto* saveAs = new QAction("Save &As…", this);
    saveAs->setObjectName("SaveAs1");
    saveAs->setShortcut(QKeySequence::SaveAs);
    connect(saveAs, &QAction::triggered, this, [this] { SaveAs(0); });
    file->insertAction(findChild<QAction*>("Scan1"), saveAs);
    RecentMenu = new QMenu("Open &Recent", this);
    RecentMenu->setObjectName("RecentMenu");
    file->insertMenu(findChild<QAction*>("Save1"), RecentMenu);

    // View keys, in the View menu where they can be found.
    QMenu* view = findChild<QMenu*>("ViewMenu");
    const auto viewCommand = [this, view](const char* name, const QString& text,
                                          QList<QKeySequence> keys, std::function<void()> work) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, std::move(work));
        view->insertAction(findChild<QAction*>("Undo1"), a);
        addAction(a); // the keys work while the menu bar is closed
        return a;
    };
    canvas::TGISPanel* map = GISPanel1;
    viewCommand("ZoomIn1", "Zoom &In",
                {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal), QKeySequence::ZoomIn},
                [map] { map->Zoom(0.7); });
    viewCommand("ZoomOut1", "Zoom &Out", {QKeySequence(Qt::Key_Minus), QKeySequence::ZoomOut},
                [map] { map->Zoom(1.25); });
    viewCommand("ResetView1", "&Whole Raster", {QKeySequence(Qt::CTRL | Qt::Key_0)},
                [map] { map->ResetView(); });
    view->insertSeparator(findChild<QAction*>("Undo1"));
    auto* escape = new QAction(this);
    escape->setObjectName("CancelMouseWork");
    escape->setShortcut(Qt::Key_Escape);
    connect(escape, &QAction::triggered, this, [this] { CancelMouseWork(); });
    addAction(escape);

    // Enter in the layer box hands the keyboard back to the map.
    connect(ComboBox3->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { GISPanel1->PaintBox()->setFocus(); });
    // A double click on the map ends mouse tracking, as the tracking window says.
    connect(GISPanel1, &canvas::TGISPanel::DoubleClicked, this, [this] {
        if (trackingOn_) SB3of2Click();
    });
    DisableUnbuiltCommands();
}

} // namespace app
