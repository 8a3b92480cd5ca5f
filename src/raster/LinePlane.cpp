// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/LinePlane.h"

namespace raster {

LinePlane::LinePlane(int left, int top, int width, int height)
    : left_(left), top_(top), width_(width > 0 ? width : 0), height_(height > 0 ? height : 0) {
    words_ = (width_ + 63) / 64;
    stride_ = std::size_t(words_) + 2;
    bits_.assign(stride_ * (std::size_t(height_) + 2), 0);
}

std::size_t LinePlane::Count() const {
    std::size_t n = 0;
    for (int y = 0; y < height_; ++y) {
        const std::uint64_t* row = Row(y);
        for (int i = 0; i < words_; ++i) n += std::size_t(std::popcount(row[i]));
    }
    return n;
}

void LinePlane::ClearTail() {
    if (words_ == 0 || width_ % 64 == 0) return;
    const std::uint64_t keep = (std::uint64_t(1) << (width_ % 64)) - 1;
    for (int y = 0; y < height_; ++y) Row(y)[words_ - 1] &= keep;
}

} // namespace raster
