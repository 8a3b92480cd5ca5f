// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A plane of one bit a pixel over the raster or a rectangle of it, for work that walks marks
// over and over: 512 pixels of a row share a cache line instead of 21. It answers the mark
// tests of the follower (BoundaryTests.h) and the peel test, and remembers which stretches
// of 64 pixels of a row were changed, so that they can be written back.
//
// Coordinates are raster pixels; the inside area of the follower is the raster's. A plane
// over a rectangle reads as clear one pixel round it; pixels further out must not be asked
// for. Neighbour sets use the direction bits of BoundaryTests.h (bit k − 1 for direction k:
// up-left 1, up 2, up-right 3, right 4, down-right 5, down 6, down-left 7, left 8).
// Memory: an eighth of a byte a pixel of the rectangle, and a 4096th of that for the
// stretches.

#include "platform/HugePageAllocator.h"

#include <QPoint>

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

class BitPlane {
public:
    BitPlane() = default;
    BitPlane(int width, int height); // the whole raster, every bit clear
    // The rectangle (left, top, width, height) of a raster of rasterWidth × rasterHeight
    // pixels, every bit clear; keeps the storage it has.
    void Reset(int left, int top, int width, int height, int rasterWidth, int rasterHeight);

    int Width() const { return rasterWidth_; } // the raster's
    int Height() const { return rasterHeight_; }

    // (x, y) within the rectangle. Every access reads or writes the whole aligned 64-bit
    // word that holds the pixel: a read of a word just written then takes the stored value
    // at once, where a wider read over a narrower write would wait for the write to reach
    // the cache (walks write and read neighbouring pixels step after step).
    bool Bit(int x, int y) const {
        const std::size_t i = Index(x);
        return (Word(y, i >> 6) >> (i & 63) & 1) != 0;
    }
    void Set(int x, int y) {
        const std::size_t i = Index(x);
        PutWord(y, i >> 6, Word(y, i >> 6) | std::uint64_t(1) << (i & 63));
        Touch(x, y);
    }
    void Clear(int x, int y) {
        const std::size_t i = Index(x);
        PutWord(y, i >> 6, Word(y, i >> 6) & ~(std::uint64_t(1) << (i & 63)));
        Touch(x, y);
    }
    // Sets or clears the pixels x − 1 … x + 1 of row y (all within the rectangle).
    void MarkThree(int x, int y, bool set) {
        const std::size_t i = Index(x) - 1, w = i >> 6, s = i & 63;
        const std::uint64_t low = std::uint64_t(7) << s;
        const std::uint64_t v = Word(y, w);
        PutWord(y, w, set ? v | low : v & ~low);
        if (s > 61) { // the three reach into the next word
            const std::uint64_t high = std::uint64_t(7) >> (64 - s);
            const std::uint64_t u = Word(y, w + 1);
            PutWord(y, w + 1, set ? u | high : u & ~high);
        }
        Touch(x - 1, y);
        Touch(x + 1, y);
    }
    // Sets (or clears) pixel p, or the 3 × 3 block around p, for each of points[0 .. n): the
    // marks of a whole outline at once. Every pixel written must lie within the rectangle.
    void MarkEach(const QPoint* points, std::size_t n, bool set);
    void MarkBlocks(const QPoint* points, std::size_t n, bool set);
    // The set neighbours of (x, y), which lies within the rectangle (pixels beyond its
    // edges read as clear).
    unsigned Neighbours(int x, int y) const { return RowBlocks.set[Block(x, y)]; }
    // The 3 × 3 block around (x, y) as nine bits, as RowBlocks takes it.
    unsigned Block(int x, int y) const {
        return Three(x, y - 1) | Three(x, y) << 3 | Three(x, y + 1) << 6;
    }

    // The follower's view: only pixels of the inside area 2 … W − 2, 2 … H − 2 count.
    bool Inside(int x, int y) const {
        return x >= 2 && y >= 2 && x <= rasterWidth_ - 2 && y <= rasterHeight_ - 2;
    }
    bool Marked(int x, int y) const { return Inside(x, y) && Bit(x, y); }
    unsigned InsideNeighbours(int x, int y) const {
        if (unsigned(x - 3) < unsigned(rasterWidth_ - 5) &&
            unsigned(y - 3) < unsigned(rasterHeight_ - 5))
            return Neighbours(x, y); // every neighbour inside
        return NeighboursNearFrame(x, y);
    }
    // The same as a block (the centre bit is left clear near the frame).
    unsigned InsideBlock(int x, int y) const {
        if (unsigned(x - 3) < unsigned(rasterWidth_ - 5) &&
            unsigned(y - 3) < unsigned(rasterHeight_ - 5))
            return Block(x, y);
        return BlockOfSet(NeighboursNearFrame(x, y));
    }

    // Row y as bytes: pixel x is bit (x − left + Margin) % 8 of byte (x − left + Margin) / 8.
    static constexpr std::size_t Margin = 8; // bits left of the rectangle, so that x − 1 reads
    std::uint8_t* Row(int y) { return bits_.data() + std::size_t(y - top_ + 1) * stride_; }
    const std::uint8_t* Row(int y) const {
        return bits_.data() + std::size_t(y - top_ + 1) * stride_;
    }
    // Asks for the bytes of rows y − 1 … y + 1 around column x, wherever (x, y) is: a
    // prefetch never faults.
    void Prefetch(int x, int y) const {
        const auto row = reinterpret_cast<std::uintptr_t>(bits_.data()) +
                         std::uintptr_t(std::intptr_t(y - top_) * std::intptr_t(stride_));
        const std::uintptr_t at = row + (std::uintptr_t(std::intptr_t(x - left_)) + Margin) / 8;
        __builtin_prefetch(reinterpret_cast<const void*>(at));
        __builtin_prefetch(reinterpret_cast<const void*>(at + stride_));
        __builtin_prefetch(reinterpret_cast<const void*>(at + 2 * stride_));
    }
    // Pixels x … x + 63 of row y as bits 0 … 63 (x within the rectangle; pixels past its
    // right edge read as whatever the row's spare bits hold).
    std::uint64_t Bits64(int x, int y) const {
        const std::size_t i = Index(x), w = i >> 6, s = i & 63;
        const std::uint64_t low = Word(y, w) >> s;
        return s == 0 ? low : low | Word(y, w + 1) << (64 - s);
    }
    // Calls visit(x0, x1) for every stretch [x0, x1) of row y with a changed bit.
    template <class Visit> void ForChangedStretches(int y, Visit&& visit) const {
        for (std::size_t w = 0; w < touchStride_; ++w)
            for (std::uint64_t bits = touched_[std::size_t(y - top_) * touchStride_ + w]; bits != 0;
                 bits &= bits - 1) {
                const int x0 = left_ + int(w * 4096 + std::size_t(__builtin_ctzll(bits)) * 64);
                visit(x0, x0 + 64 < left_ + width_ ? x0 + 64 : left_ + width_);
            }
    }

private:
    // Bits x − 1 … x + 1 of row y (the rows above and below the raster read as clear).
    std::size_t Index(int x) const { return std::size_t(x - left_) + Margin; }
    unsigned Three(int x, int y) const {
        const std::size_t i = Index(x) - 1, w = i >> 6, s = i & 63;
        std::uint64_t v = Word(y, w) >> s;
        if (s > 61) v |= Word(y, w + 1) << (64 - s);
        return unsigned(v) & 7;
    }
    // Word w of row y; rows start on a multiple of eight bytes.
    std::uint64_t Word(int y, std::size_t w) const {
        std::uint64_t v;
        std::memcpy(&v, Row(y) + 8 * w, 8);
        return v;
    }
    void PutWord(int y, std::size_t w, std::uint64_t v) { std::memcpy(Row(y) + 8 * w, &v, 8); }
    unsigned NeighboursNearFrame(int x, int y) const;
    static unsigned BlockOfSet(unsigned set);
    void Touch(int x, int y) {
        const auto i = std::size_t(x - left_);
        touched_[std::size_t(y - top_) * touchStride_ + (i >> 12)] |= std::uint64_t(1)
                                                                      << (i >> 6 & 63);
    }

    int left_ = 0, top_ = 0, width_ = 0, height_ = 0; // the rectangle
    int rasterWidth_ = 0, rasterHeight_ = 0;
    std::size_t stride_ = 0; // bytes a row, with room to read eight bytes past the last pixel
    std::vector<std::uint8_t, platform::HugePageAllocator<std::uint8_t>> bits_;
    // One bit a stretch of 64 pixels of a row in which a bit changed.
    std::size_t touchStride_ = 0;
    std::vector<std::uint64_t> touched_;
};

} // namespace raster
