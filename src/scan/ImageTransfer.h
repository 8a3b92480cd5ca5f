// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A scanned image — a packed DIB in a movable block — read into the 24-bit raster. Each
// operation locks the block for the length of the call and never frees it. The block is
// untrusted (scan/Dib.h): a malformed one throws DibError and writes nothing.

#include "platform/Bitmap24.h"
#include "scan/Dib.h"
#include "scan/TwainSession.h"

#include <cstdint>

namespace scan {

// The header's width and height fields (0 for a block too short to hold them).
std::int32_t TWAIN_ImageWidth(ImageHandle image);
std::int32_t TWAIN_ImageHeight(ImageHandle image);

// Copies the image's part (sourceX, sourceY, width, height), row 0 at the top, onto the
// bitmap at (x, y), one to one, clipped to both. A block that cannot be locked changes
// nothing.
void TWAIN_PaintImage(platform::Bitmap24& target, int x, int y, int width, int height,
                      ImageHandle image, int sourceX, int sourceY);

// Paints the whole image at the bitmap's top left; the bitmap keeps its size. Give the
// bitmap the image's size first to take the whole image one to one.
void CopyImageToBitmap(ImageHandle image, platform::Bitmap24& bitmap);

// The whole image as a new raster of its size, ready to take the place of the map's
// raster; throws DibError or std::bad_alloc, with nothing changed.
platform::Bitmap24 ImageToBitmap(ImageHandle image);

// The same, taking the image: it is freed in every case, and must not be used afterwards.
// A 24-bit image is not copied: its rows are set upright in place and the raster keeps
// the block until it lets go of it. A scan is mostly 24 bits, and its block is already in
// memory, while a fresh raster of its size would first have to be faulted in.
platform::Bitmap24 TakeImage(ImageHandle image);

} // namespace scan
