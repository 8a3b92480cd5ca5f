// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

namespace platform {

// The application object. An exception that escapes an event handler is shown to the
// user in a message box and the program carries on, as a desktop program should when
// a command fails (a file that cannot be read, say).
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace platform
