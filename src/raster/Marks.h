// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Mark planes kept in the raster's pixel bytes: bit 0 of the blue byte marks recorded
// outlines, bit 0 of the green byte is a scratch plane for region work, bit 0 of the red
// byte is unused. Image content therefore has even channel values.

#include "platform/Bitmap24.h"

#include <cstdint>

namespace raster {

constexpr std::uint8_t MarkBit = 0x01;

// Clears all three mark bits of every pixel: one pass at memory speed over the rows
// (row padding is cleared too, which nobody reads). On a watched raster (an undo copy is
// kept) only the stretches of rows that hold marks are reported and written.
void ClearMarks(platform::Bitmap24& raster);
// The same for rows [firstRow, endRow) on the calling thread alone, for a raster no undo
// copy watches.
void ClearMarks(platform::Bitmap24& raster, int firstRow, int endRow);

} // namespace raster
