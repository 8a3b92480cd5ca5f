// SPDX-License-Identifier: GPL-3.0-or-later
// The program opening a raster file and quitting once its first view is drawn, offscreen:
// scripts/bench runs it under /usr/bin/time -v for the whole process's peak memory.
#include "app/Tmainform.h"
#include "platform/ui/Application.h"

#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s RASTER-FILE\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Application application(argc, argv);
    app::Tmainform window;
    window.resize(1700, 1200);
    window.show();
    window.OpenStartupFile(QString::fromLocal8Bit(argv[1]));
    QTimer::singleShot(0, &application, &QCoreApplication::quit);
    return application.exec();
}
