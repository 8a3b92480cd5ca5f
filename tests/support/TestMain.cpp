// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for tests without widgets: the user's locale, as in the program.
#include "support/Locale.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    if (!testing_support::LocaleAsExpected()) return 1;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
