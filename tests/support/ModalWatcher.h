// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Answers the next modal dialog that opens (a message box, a file or colour dialog) with
// the given action, and records message texts, so tests can run commands that ask.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace testing_support {

class ModalWatcher {
public:
    // act receives the modal widget and must close it.
    explicit ModalWatcher(std::function<void(QWidget*)> act = {}) : act_(std::move(act)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                messages.append(box->text());
                if (QAbstractButton* b = box->button(answer); b && answer != QMessageBox::NoButton)
                    b->click();
                else
                    box->accept();
                return;
            }
            if (act_)
                act_(modal);
            else
                modal->close();
        });
        timer_.start();
    }
    QStringList messages;
    // The button a message box with several answers gets; NoButton: accept it.
    QMessageBox::StandardButton answer = QMessageBox::NoButton;

private:
    std::function<void(QWidget*)> act_;
    QTimer timer_;
};

} // namespace testing_support
