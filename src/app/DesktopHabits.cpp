// SPDX-License-Identifier: GPL-3.0-or-later
// What users expect of a desktop program beyond the tool bars: Escape, a status line that
// says what happened, and a close that does not lose unsaved work. (Shortcuts, and the
// commands not available yet, are in the command table.)

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

void Tmainform::ShowStatus(const QString& text) {
    Labelinfo->setText(text);
    Labelinfo->setToolTip(text); // the whole text where the line is too short for it
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
}

} // namespace app
