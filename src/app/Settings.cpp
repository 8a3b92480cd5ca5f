// SPDX-License-Identifier: GPL-3.0-or-later
// What is kept between runs (QSettings: ~/.config/Penwright/Penwright.conf): the window's
// place and size, the folder of the last file dialog, the values of the option panels
// and the recently used files.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>

namespace app {

namespace {

constexpr int RecentCount = 8;

// A check box or radio button is set as a click sets it, so that its handler runs.
void Check(QAbstractButton* button, bool on) {
    if (button->isChecked() != on) button->click();
}

} // namespace

bool Tmainform::RestoreWindowGeometry() {
    const QByteArray geometry = QSettings().value("window/geometry").toByteArray();
    return !geometry.isEmpty() && restoreGeometry(geometry);
}

void Tmainform::LoadSettings() {
    QSettings s;
    lastFolder_ = s.value("files/folder").toString();
    s.beginGroup("options");
    for (QSpinBox* box : {SpinEdit1, SpinEdit3, SpinEdit4, SpinEdit5, SpinEdit6, SpinEdit7})
        if (s.contains(box->objectName())) box->setValue(s.value(box->objectName()).toInt());
    if (s.contains("PureColor")) Check(vectbox, s.value("PureColor").toBool());
    if (s.contains("Polygon"))
        Check(s.value("Polygon").toBool() ? RadioButton1 : RadioButton2, true);
    // Line and brush style as if chosen: the entry and its attribute.
    for (QComboBox* box : {ComboBox1, ComboBox2}) {
        const int index = s.value(box->objectName(), -1).toInt();
        if (index < 0 || index >= box->count()) continue;
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    if (s.contains("Layer")) ComboBox3->setEditText(s.value("Layer").toString());
    if (s.contains("Font")) ComboBox4->setCurrentText(s.value("Font").toString());
    s.endGroup();
    FillRecentMenu();
}

void Tmainform::SaveSettings() {
    QSettings s;
    s.setValue("window/geometry", saveGeometry());
    s.setValue("files/folder", lastFolder_);
    s.beginGroup("options");
    for (QSpinBox* box : {SpinEdit1, SpinEdit3, SpinEdit4, SpinEdit5, SpinEdit6, SpinEdit7})
        s.setValue(box->objectName(), box->value());
    s.setValue("PureColor", vectbox->isChecked());
    s.setValue("Polygon", RadioButton1->isChecked());
    for (QComboBox* box : {ComboBox1, ComboBox2})
        s.setValue(box->objectName(), box->currentIndex());
    s.setValue("Layer", ComboBox3->currentText());
    s.setValue("Font", ComboBox4->currentText());
    s.endGroup();
}

// Entries are "index|path": the file type it was opened or saved as, then its name.
QStringList Tmainform::RecentFiles() const {
    return QSettings().value("files/recent").toStringList();
}

void Tmainform::AddRecentFile(const QString& fileName, int filterIndex) {
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QStringList recent = RecentFiles();
    recent.erase(std::remove_if(recent.begin(), recent.end(),
                                [&](const QString& e) { return e.section('|', 1) == path; }),
                 recent.end());
    recent.prepend(QString::number(filterIndex) + '|' + path);
    while (recent.size() > RecentCount) recent.removeLast();
    QSettings().setValue("files/recent", recent);
    FillRecentMenu();
}

void Tmainform::FillRecentMenu() {
    if (!RecentMenu) return;
    RecentMenu->clear();
    const QStringList recent = RecentFiles();
    for (int i = 0; i < recent.size(); ++i) {
        const int filterIndex = recent[i].section('|', 0, 0).toInt();
        const QString path = recent[i].section('|', 1);
        QAction* a =
            RecentMenu->addAction(QString("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        a->setToolTip(path);
        a->setStatusTip(path);
        connect(a, &QAction::triggered, this, [this, path, filterIndex] {
            // A drawing opened by a click adds to the drawing, as File > Open does.
            OpenFile(path, filterIndex);
        });
    }
    RecentMenu->setEnabled(!recent.isEmpty());
}

} // namespace app
