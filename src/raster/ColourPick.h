// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Colour pick-up from the raster: the average of the 3 × 3 pixels around a raster pixel,
// each channel summed, divided by 9 (integer division) and its mark bit cleared. Pixels
// outside the raster count as 255 in every channel. Nine single-pixel reads.

#include "platform/Bitmap24.h"
#include "platform/Colour.h"

namespace raster {

// PickColor, for the raster pixel (column, row); the caller converts from the screen.
platform::Colour PickColor(const platform::Bitmap24& raster, int column, int row);

} // namespace raster
