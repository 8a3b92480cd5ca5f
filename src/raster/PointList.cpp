// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/PointList.h"

namespace raster {

void PointList::Release() {
    // Small lists keep their storage: the owner clears the list before every click.
    constexpr std::size_t keep = 1 << 16;
    if (points_.capacity() > keep)
        std::vector<QPoint>().swap(points_);
    else
        points_.clear();
}

} // namespace raster
