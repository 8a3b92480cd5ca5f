// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

void ShowMessage(const QString& text, QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent ? parent : QApplication::activeWindow());
    box.setObjectName("MessageBox");
    box.exec();
}

} // namespace platform
