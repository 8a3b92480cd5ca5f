// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace mousetools {

// The tool a left press works with, chosen by the tool buttons.
enum ToolMode : std::uint8_t {
    tmNone = 0,
    tmEditPoints = 1,
    tmPick = 2,
    tmLine = 3,
    tmRectangle = 4,
    tmCircle = 5,
    tmScale = 6,
    tmMove = 7,
    tmRotate = 8,
    tmPolyline = 9,
    tmText = 10,
    tmPencil = 11,
    tmEraser = 12,
    tmFillBox = 13
};

// The tool group in the tool bar, or the scope of the edit tools. It decides where lines,
// circles and polylines go (wmRaster and wmConvert: into the raster, otherwise new
// entities) and what the edit tools act on (wmSelected: the picked entity, wmVisible: the
// whole selection).
enum WorkMode : int {
    wmNone = 0,
    wmRaster = 2,
    wmConvert = 3, // also the raster's "Pick up text"
    wmDraw = 4,
    wmVector = 6,
    wmSelected = 10,
    wmVisible = 11
};

} // namespace mousetools
