// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading a packed device-independent bitmap (DIB): an information header, a colour table
// and the pixel rows, in one block of memory that a source manager filled. The block is
// another module's data and is treated as untrusted: every size, count and offset is
// checked against the bytes really present and against the raster's limits before
// anything is allocated or read.
//
// Accepted: uncompressed images of 1, 4, 8, 24 and 32 bits a pixel, with a header of 40
// bytes or more, rows bottom-up (positive height) or top-down (negative height). Colour
// table: "colours used" entries when that is not 0, else 2^bits; a count above 256 means
// no table. Indexed pixels without a table are read as a grey ramp; an index past the
// table is black. Pixels land in the 24-bit raster as blue, green, red.

#include "platform/Bitmap24.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace scan {

// A block that cannot be read as an image; the message says what is wrong.
class DibError : public std::runtime_error {
public:
    explicit DibError(const std::string& problem) : std::runtime_error(problem) {}
};

struct DibLayout {
    int width = 0;
    int height = 0; // rows, always positive
    bool bottomUp = true;
    int bitsPerPixel = 0;
    std::uint32_t headerSize = 0;
    std::uint32_t colourCount = 0; // colour-table entries in the block
    std::size_t bitsOffset = 0;    // from the start of the block
    std::size_t stride = 0;        // bytes a row, padded to four
    // Byte offset of image row y (0 at the top) from the start of the block.
    std::size_t RowOffset(int y) const {
        return bitsOffset + stride * std::size_t(bottomUp ? height - 1 - y : y);
    }
};

// The raw width and height fields (0 when the block is too short to hold them).
std::int32_t DibWidthField(const std::uint8_t* block, std::size_t size);
std::int32_t DibHeightField(const std::uint8_t* block, std::size_t size);

// Checks the header against the block; throws DibError.
DibLayout ReadDibLayout(const std::uint8_t* block, std::size_t size);

// Copies the image's part (sourceX, sourceY, width, height) — image pixels, row 0 at the
// top — into target at (x, y), one to one, clipped to both. layout must come from
// ReadDibLayout of the same block.
void PaintDib(const std::uint8_t* block, const DibLayout& layout, platform::Bitmap24& target, int x,
              int y, int width, int height, int sourceX, int sourceY);

// The whole image as a new raster of its size; throws DibError or std::bad_alloc.
platform::Bitmap24 DibToBitmap(const std::uint8_t* block, std::size_t size);

} // namespace scan
