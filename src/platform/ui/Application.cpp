// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/Application.h"

#include "platform/ui/MessageBox.h"

#include <exception>
#include <new>

namespace platform {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("penwright");
    setApplicationDisplayName("Penwright");
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        ShowMessage("Not enough memory to complete the command.");
    } catch (const std::exception& e) {
        ShowMessage(QString::fromStdString(e.what()));
    }
    return true;
}

} // namespace platform
