// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Marks.h"

#include "raster/Parallel.h"

#include <algorithm>
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

// Whether any of count bytes has its low bit set.
bool AnyBits(const std::uint8_t* bytes, std::size_t count) {
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes + i, 8);
        any |= w;
    }
    for (; i < count; ++i) any |= bytes[i];
    return (any & 0x0101010101010101ull) != 0;
}

} // namespace

void ClearMarks(platform::Bitmap24& raster) {
    if (raster.IsEmpty()) return;
    raster.EndPainting();
    if (raster.Watcher() != nullptr) {
        // Watched (the undo copy keeps what changes): only the stretches of a row that hold
        // marks are reported and cleared, so that a sheet with few marks is not copied whole.
        constexpr int stretch = 256;
        for (int y = 0; y < raster.Height(); ++y) {
            std::uint8_t* row = raster.ScanLine(y);
            for (int x = 0; x < raster.Width(); x += stretch) {
                const int width = std::min(stretch, raster.Width() - x);
                std::uint8_t* bytes = row + 3 * std::size_t(x);
                if (!AnyBits(bytes, 3 * std::size_t(width))) continue;
                raster.BeforeWrite(QRect(x, y, width, 1));
                ClearBits(bytes, 3 * std::size_t(width));
            }
        }
        return;
    }
    // The rows of a Bitmap24 are contiguous, so a band of rows is one block.
    std::uint8_t* base = raster.ScanLine(0);
    const std::size_t stride = raster.BytesPerLine();
    ParallelBands(raster.Height(), 256, [&](int begin, int end) {
        ClearBits(base + std::size_t(begin) * stride, std::size_t(end - begin) * stride);
    });
}

void ClearMarks(platform::Bitmap24& raster, int firstRow, int endRow) {
    firstRow = std::max(firstRow, 0);
    endRow = std::min(endRow, raster.Height());
    if (raster.IsEmpty() || firstRow >= endRow) return;
    const std::size_t stride = raster.BytesPerLine();
    ClearBits(raster.ScanLine(firstRow), std::size_t(endRow - firstRow) * stride);
}

} // namespace raster
