// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Colour.h"

#include <array>

namespace drawing {

// The 47 colours an entity's colour index selects. Several components are 254, not
// 255: drawings store those exact values, so they must not be "corrected".
constexpr int PaletteSize = 47;
extern const std::array<platform::Colour, PaletteSize> Palette;

} // namespace drawing
