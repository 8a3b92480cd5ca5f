// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Colour.h"

#include <cstdint>
#include <string>

namespace mousetools {

// What new entities and the raster painting tools are drawn with, as the option panels
// set it. Colours 0x00BBGGRR with the raster's mark bits clear; styles are the platform's
// ordinals.
struct DrawingAttributes {
    platform::Colour ForeColor = 0; // pen of entities and raster drawing
    int LineWidth = 1;              // pixels
    std::uint8_t LineStyle = 0;
    platform::Colour BackColor = 0xFEFEFE; // fill of entities; what the raster tools erase with
    std::uint8_t BrushStyle = 0;
    std::uint8_t ClosePolylines = 0; // 1: new polylines are made closed
    std::string FontName = "Times New Roman";
    int FontSize = 12; // pixels, the height of new texts
    platform::Colour FontColor = 0;
    std::uint8_t FontStyle = 0; // bit 0 bold, 1 italic, 2 underline
    int FontAngle = 0;          // tenths of a degree, of the next text
    int BoxSize = 6;            // canvas pixels: eraser square, text box height
    std::string TextString;     // text of the next text
    std::string LayerName = "Penwright";
};

} // namespace mousetools
