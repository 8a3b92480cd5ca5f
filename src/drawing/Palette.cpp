// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Palette.h"

namespace drawing {

using platform::MakeColour;

const std::array<platform::Colour, PaletteSize> Palette = {
    MakeColour(0, 0, 0),       MakeColour(128, 0, 0),     MakeColour(0, 128, 0),
    MakeColour(128, 128, 0),   MakeColour(0, 0, 128),     MakeColour(128, 0, 128),
    MakeColour(0, 128, 128),   MakeColour(128, 128, 128), MakeColour(192, 192, 192),
    MakeColour(254, 0, 0),     MakeColour(0, 254, 0),     MakeColour(254, 254, 0),
    MakeColour(0, 0, 254),     MakeColour(254, 0, 254),   MakeColour(0, 254, 254),
    MakeColour(254, 254, 254), MakeColour(254, 128, 128), MakeColour(128, 64, 64),
    MakeColour(64, 0, 0),      MakeColour(254, 254, 128), MakeColour(254, 128, 64),
    MakeColour(254, 128, 0),   MakeColour(128, 64, 0),    MakeColour(128, 255, 128),
    MakeColour(128, 255, 0),   MakeColour(0, 64, 0),      MakeColour(128, 128, 64),
    MakeColour(0, 254, 128),   MakeColour(0, 254, 64),    MakeColour(0, 128, 64),
    MakeColour(0, 64, 64),     MakeColour(128, 254, 254), MakeColour(0, 64, 128),
    MakeColour(64, 128, 128),  MakeColour(0, 128, 254),   MakeColour(0, 128, 192),
    MakeColour(128, 128, 254), MakeColour(0, 0, 160),     MakeColour(0, 0, 64),
    MakeColour(254, 128, 192), MakeColour(128, 128, 192), MakeColour(128, 0, 64),
    MakeColour(64, 0, 64),     MakeColour(254, 128, 255), MakeColour(254, 0, 128),
    MakeColour(128, 0, 255),   MakeColour(64, 0, 128),
};

} // namespace drawing
