// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for widget tests: one QApplication for the whole run (which takes the user's
// locale from the environment).
#include "support/Locale.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Penwright");
    if (!testing_support::LocaleAsExpected()) return 1;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
