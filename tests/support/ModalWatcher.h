// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Answers the next modal dialog that opens (a message box, a file or colour dialog) with
// the given action, and records message texts, so tests can run commands that ask.

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

private:
    std::function<void(QWidget*)> act_;
    QTimer timer_;
};

} // namespace testing_support
