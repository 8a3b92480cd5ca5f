// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/BitPlane.h"

#include <cstring>

namespace raster {

BitPlane::BitPlane(int width, int height) {
    Reset(0, 0, width, height, width, height);
}

void BitPlane::Reset(int left, int top, int width, int height, int rasterWidth, int rasterHeight) {
    left_ = left, top_ = top, width_ = width, height_ = height;
    rasterWidth_ = rasterWidth, rasterHeight_ = rasterHeight;
    stride_ = ((std::size_t(width) + Margin + 63) / 64 + 2) * 8; // whole words, one spare
    bits_.assign(stride_ * std::size_t(height + 2), 0);
    touchStride_ = (std::size_t(width) + 4095) / 4096;
    touched_.assign(touchStride_ * std::size_t(height), 0);
}

namespace {

// A plane's layout in locals, for loops over a whole outline: a store into the bits could
// otherwise alias the plane's members, and each point would load them again. Offsets are
// from the rectangle's top-left pixel.
struct Layout {
    std::uint8_t* row0;
    std::uint64_t* touched;
    std::size_t stride, touchStride;

    // The word that holds pixel x of row y.
    std::uint8_t* Word(std::size_t x, std::size_t y) const {
        return row0 + y * stride + 8 * ((x + BitPlane::Margin) >> 6);
    }
    static void Mark(std::uint8_t* word, std::uint64_t bits, bool set) {
        std::uint64_t v;
        std::memcpy(&v, word, 8);
        v = set ? v | bits : v & ~bits;
        std::memcpy(word, &v, 8);
    }
    void Touch(std::size_t x, std::size_t y) const {
        touched[y * touchStride + (x >> 12)] |= std::uint64_t(1) << (x >> 6 & 63);
    }
};

} // namespace

void BitPlane::MarkEach(const QPoint* points, std::size_t n, bool set) {
    const Layout plane{Row(top_), touched_.data(), stride_, touchStride_};
    const int left = left_, top = top_;
    // A long outline's pixels have left the cache, and a point costs about a nanosecond: its
    // word is asked for a memory latency ahead.
    constexpr std::size_t ahead = 96;
    for (std::size_t k = 0; k < n; ++k) {
        if (k + ahead < n)
            __builtin_prefetch(plane.Word(std::size_t(points[k + ahead].x() - left),
                                          std::size_t(points[k + ahead].y() - top)),
                               1);
        const auto x = std::size_t(points[k].x() - left);
        const auto y = std::size_t(points[k].y() - top);
        Layout::Mark(plane.Word(x, y), std::uint64_t(1) << ((x + Margin) & 63), set);
        plane.Touch(x, y);
    }
}

void BitPlane::MarkBlocks(const QPoint* points, std::size_t n, bool set) {
    const Layout plane{Row(top_), touched_.data(), stride_, touchStride_};
    const int left = left_, top = top_;
    constexpr std::size_t ahead = 16;
    for (std::size_t k = 0; k < n; ++k) {
        if (k + ahead < n) Prefetch(points[k + ahead].x(), points[k + ahead].y());
        const auto x = std::size_t(points[k].x() - left);
        const auto y = std::size_t(points[k].y() - top);
        // Pixels x − 1 … x + 1, which may reach into the next word.
        const std::size_t s = (x + Margin - 1) & 63;
        const std::uint64_t low = std::uint64_t(7) << s;
        const std::uint64_t high = s > 61 ? std::uint64_t(7) >> (64 - s) : 0;
        for (std::size_t row = y - 1; row <= y + 1; ++row) {
            std::uint8_t* word = plane.Word(x - 1, row);
            Layout::Mark(word, low, set);
            if (high != 0) Layout::Mark(word + 8, high, set);
            plane.Touch(x - 1, row);
            if ((x - 1) >> 6 != (x + 1) >> 6) plane.Touch(x + 1, row);
        }
    }
}

unsigned BitPlane::NeighboursNearFrame(int x, int y) const {
    static constexpr int dx[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
    static constexpr int dy[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
    unsigned set = 0;
    for (int k = 0; k < 8; ++k) set |= unsigned(Marked(x + dx[k], y + dy[k])) << k;
    return set;
}

unsigned BitPlane::BlockOfSet(unsigned set) {
    // Bit of the block for direction k (up-left 1 … left 8), the inverse of RowBlocks.
    static constexpr unsigned bit[8] = {0, 1, 2, 5, 8, 7, 6, 3};
    unsigned block = 0;
    for (int k = 0; k < 8; ++k) block |= (set >> k & 1) << bit[k];
    return block;
}

} // namespace raster
