// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A plane of one bit a pixel over a rectangle of the raster, 64 pixels a word: which pixels
// are line work, for the work on whole sheets (thinning, centre lines, outlines, regions).
// Word-wide bit operations let thinning decide 64 pixels at once.
//
// Coordinates are plane pixels: (x, y) with 0 ≤ x < Width(), 0 ≤ y < Height(); the raster
// pixel is (x + Left(), y + Top()). Pixel x of row y is bit x % 64 of word x / 64. Every row
// has a clear word before and after it, and the plane a clear row above and below, so
// that the eight neighbours of any pixel can be read without bounds tests (they read as
// clear off the plane). Bits past Width() in a row's last word are always clear.
// Memory: (Width() / 64 + 3) × (Height() + 2) words.

#include <QPoint>
#include <QRect>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace raster {

class LinePlane {
public:
    LinePlane() = default;
    // A clear plane over the raster rectangle (left, top, width, height).
    LinePlane(int left, int top, int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Left() const { return left_; }
    int Top() const { return top_; }
    QRect Area() const { return {left_, top_, width_, height_}; }
    bool IsEmpty() const { return width_ <= 0 || height_ <= 0; }
    // Words of a row, without the clear ones on either side.
    int Words() const { return words_; }
    std::size_t Stride() const { return stride_; }

    // Word 0 of row y; words −1 and Words() are the clear ones beside it, and rows −1 and
    // Height() exist (clear).
    std::uint64_t* Row(int y) { return bits_.data() + std::size_t(y + 1) * stride_ + 1; }
    const std::uint64_t* Row(int y) const {
        return bits_.data() + std::size_t(y + 1) * stride_ + 1;
    }

    bool Get(int x, int y) const { return (Row(y)[x >> 6] >> (x & 63) & 1) != 0; }
    void Set(int x, int y) { Row(y)[x >> 6] |= std::uint64_t(1) << (x & 63); }
    void Clear(int x, int y) { Row(y)[x >> 6] &= ~(std::uint64_t(1) << (x & 63)); }
    // Bounds-tested read: false off the plane.
    bool At(int x, int y) const {
        return unsigned(x) < unsigned(width_) && unsigned(y) < unsigned(height_) && Get(x, y);
    }

    // The set neighbours of (x, y) (which may lie one pixel off the plane) as direction
    // bits: bit k − 1 for direction k, 1 up-left, 2 up, 3 up-right, 4 right, 5 down-right,
    // 6 down, 7 down-left, 8 left (columns grow right, rows grow down).
    unsigned Neighbours(int x, int y) const {
        const unsigned up = Three(x, y - 1), mid = Three(x, y), down = Three(x, y + 1);
        return (up & 1) | (up & 2) | (up & 4) | (mid >> 2 & 1) << 3 | (down >> 2 & 1) << 4 |
               (down >> 1 & 1) << 5 | (down & 1) << 6 | (mid & 1) << 7;
    }

    // Calls visit(x, y) for every set pixel, row by row, left to right.
    template <class Visit> void ForEachSet(Visit&& visit) const {
        for (int y = 0; y < height_; ++y) ForEachSetInRow(y, visit);
    }
    template <class Visit> void ForEachSetInRow(int y, Visit&& visit) const {
        const std::uint64_t* row = Row(y);
        for (int i = 0; i < words_; ++i)
            for (std::uint64_t w = row[i]; w != 0; w &= w - 1)
                visit(64 * i + std::countr_zero(w), y);
    }
    std::size_t Count() const;
    // Clears the bits past Width() in every row's last word.
    void ClearTail();

private:
    // Bits x − 1, x, x + 1 of row y in bits 0, 1, 2.
    unsigned Three(int x, int y) const {
        const std::uint64_t* row = Row(y);
        const int b = x - 1;
        const int word = b >> 6, bit = b & 63;
        const std::uint64_t lo = row[word] >> bit;
        const std::uint64_t hi = bit > 61 ? row[word + 1] << (64 - bit) : 0;
        return unsigned((lo | hi) & 7);
    }

    int left_ = 0, top_ = 0, width_ = 0, height_ = 0, words_ = 0;
    std::size_t stride_ = 0;
    std::vector<std::uint64_t> bits_;
};

// A polyline made from line work, in raster pixels (column, row). A closed one does not
// repeat its first point at the end.
struct TracedPolyline {
    std::vector<QPoint> points;
    bool closed = false;
};

// Long work reports the share done (0 … 1) through a callback that returns false to cancel.
using Progress = std::function<bool(double done)>;

} // namespace raster
