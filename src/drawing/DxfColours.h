// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The AutoCAD Color Index (ACI) of DXF files and our 0x00BBGGRR colours.
//
// Index 7 is the "foreground" colour: CAD programs show it white on dark and black on
// light backgrounds. Our drawings lie over paper scans, so 7 reads as black and black
// writes as 7. Indices 0 (by block) and 256 (by layer) are not colours; callers resolve
// them before asking here.

#include "platform/Colour.h"

#include <cstdint>

namespace drawing::dxf {

// The colour of an index 1..255 (a negative index, a switched-off layer, counts as its
// absolute value); other values give black.
platform::Colour AciColour(int index);

// The index 1..255 whose colour is nearest (squared RGB distance; ties to the lower
// index). Exact for every colour AciColour gives. Cost: one pass over 255 entries.
int NearestAci(platform::Colour colour);

// A DXF true colour (group 420, 0x00RRGGBB) and back.
platform::Colour FromTrueColour(std::int64_t rgb);
std::int32_t ToTrueColour(platform::Colour colour);

} // namespace drawing::dxf
