// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The test programs take the user's locale as the program does (QApplication sets it from
// the environment on Linux). ctest runs each of them a second time under a locale with a
// decimal comma and sets PENWRIGHT_EXPECT_DECIMAL_COMMA, so a machine without that locale
// fails loudly instead of passing under "C" by accident.

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testing_support {

// False (with a message) when a decimal comma was asked for and is not in force.
inline bool LocaleAsExpected() {
    if (std::getenv("PENWRIGHT_EXPECT_DECIMAL_COMMA") == nullptr) return true;
    const std::lconv* conv = std::localeconv();
    if (conv && conv->decimal_point && std::strcmp(conv->decimal_point, ",") == 0) return true;
    std::fprintf(stderr, "The locale \"%s\" has no decimal comma; is it installed?\n",
                 std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "");
    return false;
}

} // namespace testing_support
