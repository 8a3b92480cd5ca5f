// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Tmainform.h"
#include "platform/ui/Application.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

int main(int argc, char** argv) {
    platform::Application application(argc, argv);
    QCoreApplication::setOrganizationName("Penwright");
    QCoreApplication::setApplicationName("Penwright");
    QGuiApplication::setDesktopFileName("penwright");
    QGuiApplication::setWindowIcon(QIcon(":/penwright.svg"));
    app::Tmainform window;
    // A first run starts maximised; later runs where the window was left. Without a window
    // manager a maximise request may be ignored: start at the screen's size so that the map
    // gets the room either way.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    if (window.RestoreWindowGeometry())
        window.show();
    else
        window.showMaximized();
    const QStringList args = application.arguments();
    if (args.size() > 1) window.OpenStartupFile(args.at(1));
    return application.exec();
}
