// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/Geometry.h"

#include <QPoint>

namespace drawing {

// Maps a point in map coordinates to canvas pixels. The map canvas implements it once for
// the screen and once for the raster. When a matrix is given the implementation applies
// it (TransformPoint) before mapping x and y.
struct Projection {
    virtual ~Projection() = default;
    virtual QPoint Project(const Point3& p, const Matrix4* m) const = 0;
};

} // namespace drawing
