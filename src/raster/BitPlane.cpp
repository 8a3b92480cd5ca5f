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
}

void BitPlane::MarkEach(const QPoint* points, std::size_t n, bool set) {
    PlaneLayout plane(*this);
    // A long outline's pixels have left the cache, and a point costs about a nanosecond: its
    // word is asked for a memory latency ahead.
    constexpr std::size_t ahead = 96;
    for (std::size_t k = 0; k < n; ++k) {
        if (k + ahead < n) plane.PrefetchWord(points[k + ahead].x(), points[k + ahead].y());
        plane.Mark(points[k].x(), points[k].y(), set);
    }
}

void BitPlane::MarkBlocks(const QPoint* points, std::size_t n, bool set) {
    PlaneLayout plane(*this);
    constexpr std::size_t ahead = 16;
    for (std::size_t k = 0; k < n; ++k) {
        if (k + ahead < n) plane.Prefetch(points[k + ahead].x(), points[k + ahead].y());
        plane.MarkBlock(points[k].x(), points[k].y(), set);
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
