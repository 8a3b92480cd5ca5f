// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for widget tests: one QApplication for the whole run (which takes the user's
// locale from the environment), with settings in a private folder, so that tests neither
// read nor change the user's.
#include "support/Locale.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Penwright");
    QCoreApplication::setOrganizationName("Penwright");
    QCoreApplication::setApplicationName("Penwright");
    if (!testing_support::LocaleAsExpected()) return 1;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
