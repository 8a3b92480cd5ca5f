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
// Memory: an eighth of a byte a pixel of the rectangle.

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
    }
    void Clear(int x, int y) {
        const std::size_t i = Index(x);
        PutWord(y, i >> 6, Word(y, i >> 6) & ~(std::uint64_t(1) << (i & 63)));
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
    }
    // Sets (or clears) pixel p, or the 3 × 3 block around p, for each of points[0 .. n): the
    // marks of a whole outline at once. Every pixel written must lie within the rectangle.
    void MarkEach(const QPoint* points, std::size_t n, bool set);
    void MarkBlocks(const QPoint* points, std::size_t n, bool set);
    // The set neighbours of (x, y), which lies within the rectangle (pixels beyond its
    // edges read as clear).
    unsigned Neighbours(int x, int y) const { return RowBlocks.set[Block(x, y)]; }
    // The 3 × 3 block around (x, y) as nine bits, as RowBlocks takes it.
    unsigned Block(int x, int y) const; // through PlaneLayout, below

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
    // Pixels x … x + 63 of row y as bits 0 … 63 (x within the rectangle; pixels past its
    // right edge read as whatever the row's spare bits hold).
    std::uint64_t Bits64(int x, int y) const {
        const std::size_t i = Index(x), w = i >> 6, s = i & 63;
        const std::uint64_t low = Word(y, w) >> s;
        return s == 0 ? low : low | Word(y, w + 1) << (64 - s);
    }
    // Bytes a row: row y + 1 begins that many bytes after row y.
    std::size_t RowBytes() const { return stride_; }

private:
    friend class PlaneLayout;
    std::size_t Index(int x) const { return std::size_t(x - left_) + Margin; }
    // Word w of row y; rows start on a multiple of eight bytes.
    std::uint64_t Word(int y, std::size_t w) const {
        std::uint64_t v;
        std::memcpy(&v, Row(y) + 8 * w, 8);
        return v;
    }
    void PutWord(int y, std::size_t w, std::uint64_t v) { std::memcpy(Row(y) + 8 * w, &v, 8); }
    unsigned NeighboursNearFrame(int x, int y) const;
    static unsigned BlockOfSet(unsigned set);

    int left_ = 0, top_ = 0, width_ = 0, height_ = 0; // the rectangle
    int rasterWidth_ = 0, rasterHeight_ = 0;
    std::size_t stride_ = 0; // bytes a row, with room to read eight bytes past the last pixel
    std::vector<std::uint8_t, platform::HugePageAllocator<std::uint8_t>> bits_;
};

// A plane's layout copied into locals, for loops over many pixels: a store elsewhere (into a
// list of points, say) could alias the plane's members, and every access through the plane
// would load them again. Reads and writes answer as the plane's own; writes need a layout
// of a plane that is not const. Valid while the plane keeps its storage and rectangle.
class PlaneLayout {
public:
    // Inline, so that a loop's layout stays in registers: a layout whose address went to a
    // function would be loaded again after every call the loop might make.
    explicit PlaneLayout(const BitPlane& plane)
        : plane_(&plane),
          row0_(reinterpret_cast<std::uintptr_t>(plane.bits_.data()) +
                std::uintptr_t(std::intptr_t(1 - plane.top_) * std::intptr_t(plane.stride_))),
          xShift_(std::ptrdiff_t(BitPlane::Margin) - plane.left_), stride_(plane.stride_),
          insideWidth_(unsigned(plane.rasterWidth_ - 5)),
          insideHeight_(unsigned(plane.rasterHeight_ - 5)) {}

    bool Bit(int x, int y) const {
        const std::size_t i = Index(x);
        return (Word(y, i >> 6) >> (i & 63) & 1) != 0;
    }
    // As BitPlane::Block: whole aligned words, so that a read just after a write takes the
    // stored value at once.
    unsigned Block(int x, int y) const {
        const std::size_t i = Index(x) - 1, w = i >> 6, s = i & 63;
        const auto three = [&](int row) {
            std::uint64_t v = Word(row, w) >> s;
            if (s > 61) v |= Word(row, w + 1) << (64 - s);
            return unsigned(v) & 7;
        };
        return three(y - 1) | three(y) << 3 | three(y + 1) << 6;
    }
    // The same with eight-byte loads from the byte that holds x − 1, without a branch: for
    // walks that write nothing into the plane (after a store into the plane, such a load
    // would wait for the store to reach the cache).
    unsigned ReadBlock(int x, int y) const {
        const std::size_t i = Index(x) - 1, s = i & 7;
        const std::uintptr_t at = RowAt(y) + (i >> 3);
        return unsigned(Load(at - stride_) >> s & 7) | unsigned(Load(at) >> s & 7) << 3 |
               unsigned(Load(at + stride_) >> s & 7) << 6;
    }
    // The follower's view, as BitPlane::InsideBlock and InsideNeighbours.
    unsigned InsideBlock(int x, int y) const {
        if (unsigned(x - 3) < insideWidth_ && unsigned(y - 3) < insideHeight_)
            return ReadBlock(x, y);
        return plane_->InsideBlock(x, y);
    }
    unsigned InsideNeighbours(int x, int y) const {
        if (unsigned(x - 3) < insideWidth_ && unsigned(y - 3) < insideHeight_)
            return RowBlocks.set[ReadBlock(x, y)];
        return plane_->InsideNeighbours(x, y);
    }
    bool Inside(int x, int y) const { return plane_->Inside(x, y); }
    // The layout as numbers, for walks that keep a pixel as the index of its bit from row 0's
    // first byte: y × 8 × Stride() + x + XShift(). Pixels x, y with x − 3 < InsideWidth() and
    // y − 3 < InsideHeight() (as unsigned) have their whole block inside.
    std::uintptr_t Origin() const { return row0_; }
    std::ptrdiff_t XShift() const { return xShift_; }
    std::size_t Stride() const { return stride_; }
    unsigned InsideWidth() const { return insideWidth_; }
    unsigned InsideHeight() const { return insideHeight_; }
    void Prefetch(int x, int y) const {
        const std::uintptr_t at =
            RowAt(y) + (std::uintptr_t(std::intptr_t(x) + std::intptr_t(xShift_)) >> 3);
        __builtin_prefetch(reinterpret_cast<const void*>(at - stride_));
        __builtin_prefetch(reinterpret_cast<const void*>(at));
        __builtin_prefetch(reinterpret_cast<const void*>(at + stride_));
    }
    // Asks for the word that holds (x, y), to be written.
    void PrefetchWord(int x, int y) const {
        __builtin_prefetch(reinterpret_cast<const void*>(RowAt(y) + 8 * (Index(x) >> 6)), 1);
    }
    // Writes, into the plane that the layout was taken of.
    void Clear(int x, int y) {
        const std::size_t i = Index(x);
        PutWord(y, i >> 6, Word(y, i >> 6) & ~(std::uint64_t(1) << (i & 63)));
    }
    void Mark(int x, int y, bool set) {
        const std::size_t i = Index(x);
        const std::uint64_t bit = std::uint64_t(1) << (i & 63), v = Word(y, i >> 6);
        PutWord(y, i >> 6, set ? v | bit : v & ~bit);
    }
    // Pixels x − 1 … x + 1 of rows y − 1 … y + 1, all within the rectangle.
    void MarkBlock(int x, int y, bool set) {
        const std::size_t i = Index(x) - 1, w = i >> 6, s = i & 63;
        const std::uint64_t low = std::uint64_t(7) << s;
        const std::uint64_t high = s > 61 ? std::uint64_t(7) >> (64 - s) : 0;
        for (int row = y - 1; row <= y + 1; ++row) {
            const std::uint64_t v = Word(row, w);
            PutWord(row, w, set ? v | low : v & ~low);
            if (high != 0) {
                const std::uint64_t u = Word(row, w + 1);
                PutWord(row, w + 1, set ? u | high : u & ~high);
            }
        }
    }

private:
    std::size_t Index(int x) const { return std::size_t(std::ptrdiff_t(x) + xShift_); }
    // The address of row y's first byte, as a number: rows of a plane over a rectangle may
    // lie before its storage.
    std::uintptr_t RowAt(int y) const {
        return row0_ + std::uintptr_t(std::intptr_t(y) * std::intptr_t(stride_));
    }
    static std::uint64_t Load(std::uintptr_t at) {
        std::uint64_t v;
        std::memcpy(&v, reinterpret_cast<const void*>(at), 8);
        return v;
    }
    std::uint64_t Word(int y, std::size_t w) const { return Load(RowAt(y) + 8 * w); }
    void PutWord(int y, std::size_t w, std::uint64_t v) {
        std::memcpy(reinterpret_cast<void*>(RowAt(y) + 8 * w), &v, 8);
    }

    const BitPlane* plane_;
    std::uintptr_t row0_;   // row 0 of the raster
    std::ptrdiff_t xShift_; // pixel x is bit x + xShift_ of its row
    std::size_t stride_;
    unsigned insideWidth_, insideHeight_; // where every neighbour of a pixel is inside
};

inline unsigned BitPlane::Block(int x, int y) const {
    return PlaneLayout(*this).Block(x, y);
}

} // namespace raster
