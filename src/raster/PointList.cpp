// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/PointList.h"

namespace raster {

void PointList::Release() {
    // The owner clears the list before every click.
    if (points_.capacity() > Kept)
        PointVector().swap(points_);
    else
        points_.clear();
}

} // namespace raster
