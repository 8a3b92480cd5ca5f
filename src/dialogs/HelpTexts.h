// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

namespace dialogs {

struct HelpPage {
    const char* Button; // the button in the help window's column
    const char* Tab;    // the page's tab caption
    const char* Title;
    const char* Text;
};

// The help window's ten pages, in the order of its buttons.
const std::array<HelpPage, 10>& HelpPages();

} // namespace dialogs
