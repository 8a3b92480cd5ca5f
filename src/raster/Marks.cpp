// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Marks.h"

#include "raster/Parallel.h"

#include <cstring>

namespace raster {

namespace {

// Whole 64-bit words at a time; the compiler widens this to vector instructions.
void ClearBits(std::uint8_t* bytes, std::size_t count) {
    constexpr std::uint64_t keep = 0xFEFEFEFEFEFEFEFEull;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes + i, 8);
        w &= keep;
        std::memcpy(bytes + i, &w, 8);
    }
    for (; i < count; ++i) bytes[i] &= 0xFE;
}

} // namespace

void ClearMarks(platform::Bitmap24& raster) {
    if (raster.IsEmpty()) return;
    raster.EndPainting();
    // The rows of a Bitmap24 are contiguous, so the whole raster is one block.
    std::uint8_t* base = raster.ScanLine(0);
    const std::size_t stride = raster.BytesPerLine();
    ParallelBands(raster.Height(), 256, [&](int begin, int end) {
        ClearBits(base + std::size_t(begin) * stride, std::size_t(end - begin) * stride);
    });
}

} // namespace raster
