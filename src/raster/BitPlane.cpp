// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/BitPlane.h"

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

// The loops keep the plane's layout in locals: a store into the bits could otherwise alias
// the members, and each point would load them again.
void BitPlane::MarkEach(const QPoint* points, std::size_t n, bool set) {
    std::uint8_t* const row0 = Row(top_);
    std::uint64_t* const touched = touched_.data();
    const std::size_t stride = stride_, touchStride = touchStride_;
    const int left = left_, top = top_;
    // A long outline's pixels have left the cache, and a point costs about a nanosecond: its
    // word is asked for a memory latency ahead.
    constexpr std::size_t ahead = 96;
    const auto wordOf = [&](QPoint p) {
        return row0 + std::size_t(p.y() - top) * stride +
               8 * ((std::size_t(p.x() - left) + Margin) >> 6);
    };
    for (std::size_t k = 0; k < n; ++k) {
        if (k + ahead < n) __builtin_prefetch(wordOf(points[k + ahead]), 1);
        const auto x = std::size_t(points[k].x() - left);
        const auto y = std::size_t(points[k].y() - top);
        const std::size_t i = x + Margin;
        std::uint8_t* word = row0 + y * stride + 8 * (i >> 6);
        const std::uint64_t bit = std::uint64_t(1) << (i & 63);
        std::uint64_t v;
        std::memcpy(&v, word, 8);
        v = set ? v | bit : v & ~bit;
        std::memcpy(word, &v, 8);
        touched[y * touchStride + (x >> 12)] |= std::uint64_t(1) << (x >> 6 & 63);
    }
}

void BitPlane::MarkBlocks(const QPoint* points, std::size_t n, bool set) {
    std::uint8_t* const row0 = Row(top_);
    std::uint64_t* const touched = touched_.data();
    const std::size_t stride = stride_, touchStride = touchStride_;
    const int left = left_, top = top_;
    constexpr std::size_t ahead = 16;
    for (std::size_t k = 0; k < n; ++k) {
        if (k + ahead < n) Prefetch(points[k + ahead].x(), points[k + ahead].y());
        const auto x = std::size_t(points[k].x() - left);
        const auto y = std::size_t(points[k].y() - top);
        const std::size_t i = x + Margin - 1, w = i >> 6, s = i & 63;
        const std::uint64_t low = std::uint64_t(7) << s;
        const std::uint64_t high = s > 61 ? std::uint64_t(7) >> (64 - s) : 0;
        std::uint8_t* word = row0 + (y - 1) * stride + 8 * w;
        for (int r = 0; r < 3; ++r, word += stride) {
            std::uint64_t v;
            std::memcpy(&v, word, 8);
            v = set ? v | low : v & ~low;
            std::memcpy(word, &v, 8);
            if (high == 0) continue;
            std::memcpy(&v, word + 8, 8);
            v = set ? v | high : v & ~high;
            std::memcpy(word + 8, &v, 8);
        }
        const std::size_t first = (x - 1) >> 6, last = (x + 1) >> 6;
        const std::uint64_t stretches = std::uint64_t(1) << (first & 63) | std::uint64_t(1)
                                                                               << (last & 63);
        for (std::size_t r = y - 1; r <= y + 1; ++r) {
            std::uint64_t* t = touched + r * touchStride;
            if ((first ^ last) >> 6 == 0) {
                t[first >> 6] |= stretches;
            } else {
                t[first >> 6] |= std::uint64_t(1) << (first & 63);
                t[last >> 6] |= std::uint64_t(1) << (last & 63);
            }
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
