// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The pixel data of the bitmaps that are not plain 24-bit: 1, 4 and 8 bits through a
// palette (uncompressed or run-length encoded), 16 and 32 bits (fixed 5-5-5 and 8-8-8 or
// bit masks). The data is untrusted: every row is checked against the bytes present
// before anything is allocated, a run-length stream must end with its end-of-bitmap code
// before the data does, and every pixel of the result is written (pixels a run-length
// stream skips are black). Cost: one pass over the pixels.

#include "platform/Bitmap24.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct BmpLayout {
    int width = 0, height = 0; // height > 0
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = 0;        // 0 none, 1 RLE8, 2 RLE4, 3 bit masks
    std::vector<Colour> palette;          // 0x00BBGGRR
    std::array<std::uint32_t, 3> masks{}; // red, green, blue (compression 3)
};

// The bytes of pixel data needed for the layout (uncompressed), or 0 for run-length data.
std::uint64_t UncompressedBytes(const BmpLayout& layout);

// Decodes data[0 .. size) into a bitmap; throws FileError naming the file.
Bitmap24 DecodeBmpPixels(const BmpLayout& layout, const std::uint8_t* data, std::size_t size,
                         const std::string& name);

} // namespace platform
