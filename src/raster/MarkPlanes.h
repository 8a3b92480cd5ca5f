// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The raster's two mark planes as bit planes, for work that walks them over and over
// (thinning): one bit a pixel, so that 512 pixels of a row share a cache line instead of
// 21. Marks are bit 0 of blue (the outline plane, 0) and bit 0 of green (the band plane,
// 1) of each pixel.
//
// The constructor copies the marks in; Store writes back every stretch of 64 pixels of a
// row in which a mark was changed. Coordinates are raster pixels. Memory: two bits a pixel
// (35 MB for an A0 scan at 300 dpi, a twelfth of the raster), kept only for the length of
// one command. Neighbour sets use the direction bits of BoundaryTests.h (bit k − 1 for
// direction k: up-left 1, up 2, up-right 3, right 4, down-right 5, down 6, down-left 7,
// left 8).

#include "platform/Bitmap24.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace raster {

// A 3 × 3 block as three rows of three bits (x − 1 in bit 0; the row above first) to its
// neighbour set.
struct RowBlockTable {
    std::uint8_t set[512];
    constexpr RowBlockTable() : set() {
        for (unsigned i = 0; i < 512; ++i) {
            const unsigned up = i & 7, mid = i >> 3 & 7, down = i >> 6 & 7;
            set[i] = std::uint8_t((up & 1) | (up >> 1 & 1) << 1 | (up >> 2 & 1) << 2 |
                                  (mid >> 2 & 1) << 3 | (down >> 2 & 1) << 4 |
                                  (down >> 1 & 1) << 5 | (down & 1) << 6 | (mid & 1) << 7);
        }
    }
};
inline constexpr RowBlockTable RowBlocks{};

class MarkPlanes {
public:
    explicit MarkPlanes(const platform::Bitmap24& raster);
    void Store(platform::Bitmap24& raster) const;

    int Width() const { return width_; }
    int Height() const { return height_; }

    // (x, y) within the raster.
    bool Bit(int plane, int x, int y) const {
        const std::size_t i = std::size_t(x) + Margin;
        return (Row(plane, y)[i >> 3] >> (i & 7) & 1) != 0;
    }
    void Set(int plane, int x, int y) {
        const std::size_t i = std::size_t(x) + Margin;
        Row(plane, y)[i >> 3] |= std::uint8_t(1u << (i & 7));
        Touch(x, y);
    }
    void Clear(int plane, int x, int y) {
        const std::size_t i = std::size_t(x) + Margin;
        Row(plane, y)[i >> 3] &= std::uint8_t(~(1u << (i & 7)));
        Touch(x, y);
    }
    // Sets or clears the pixels x − 1 … x + 1 of row y (all within the raster).
    void MarkThree(int plane, int x, int y, bool set) {
        const std::size_t i = std::size_t(x) + Margin - 1;
        std::uint8_t* p = Row(plane, y) + (i >> 3);
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        const auto three = std::uint16_t(7u << (i & 7));
        v = set ? std::uint16_t(v | three) : std::uint16_t(v & ~three);
        std::memcpy(p, &v, 2);
        Touch(x - 1, y);
        Touch(x + 1, y);
    }
    // The marked neighbours of (x, y), whose neighbours must lie within the raster's
    // margin of one pixel (a row above and below, a column left and right).
    unsigned Neighbours(int plane, int x, int y) const {
        return RowBlocks
            .set[Three(plane, x, y - 1) | Three(plane, x, y) << 3 | Three(plane, x, y + 1) << 6];
    }

    // The follower's view: only pixels of the inside area 2 … W − 2, 2 … H − 2 count.
    bool Inside(int x, int y) const {
        return x >= 2 && y >= 2 && x <= width_ - 2 && y <= height_ - 2;
    }
    bool Marked(int plane, int x, int y) const { return Inside(x, y) && Bit(plane, x, y); }
    unsigned InsideNeighbours(int plane, int x, int y) const {
        if (unsigned(x - 3) < unsigned(width_ - 5) && unsigned(y - 3) < unsigned(height_ - 5))
            return Neighbours(plane, x, y); // every neighbour inside
        return NeighboursNearFrame(plane, x, y);
    }

private:
    static constexpr std::size_t Margin = 8; // bits left of pixel 0, so that x − 1 reads

    std::uint8_t* Row(int plane, int y) {
        return planes_[plane].data() + std::size_t(y + 1) * stride_;
    }
    const std::uint8_t* Row(int plane, int y) const {
        return planes_[plane].data() + std::size_t(y + 1) * stride_;
    }
    // Bits x − 1 … x + 1 of row y (the rows above and below the raster read as clear).
    unsigned Three(int plane, int x, int y) const {
        const std::size_t i = std::size_t(x) + Margin - 1;
        std::uint64_t v;
        std::memcpy(&v, Row(plane, y) + (i >> 3), 8);
        return unsigned(v >> (i & 7)) & 7;
    }
    unsigned NeighboursNearFrame(int plane, int x, int y) const;
    void Touch(int x, int y) {
        touched_[std::size_t(y) * touchStride_ + (std::size_t(x) >> 12)] |= std::uint64_t(1)
                                                                            << (x >> 6 & 63);
    }

    int width_, height_;
    std::size_t stride_; // bytes a row, with room to read eight bytes past the last pixel
    std::vector<std::uint8_t> planes_[2];
    // One bit a stretch of 64 pixels of a row in which a mark changed.
    std::size_t touchStride_;
    std::vector<std::uint64_t> touched_;
};

} // namespace raster
