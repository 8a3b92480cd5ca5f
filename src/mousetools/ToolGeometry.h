// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small geometry of the mouse tools: the direction of a drag on the screen, the box of a
// text, a circle's radius, and the raster area a painted shape can touch.

#include "drawing/Geometry.h"

#include <QPoint>
#include <QRect>
#include <array>
#include <span>

namespace mousetools {

// The edit steps of one mouse move: 1.01, 0.99 and 0.01 as a 6-byte real (a 40-bit
// mantissa) holds them. A drag scales or rotates by exactly these, whatever the distance
// moved.
inline constexpr double ScaleUpStep = 1.0100000000002183;
inline constexpr double ScaleDownStep = 0.9899999999997817;
inline constexpr double RotateStep = 0.010000000000005116; // radians

// Direction of a pixel vector in degrees, counter-clockwise from the positive x axis,
// with the screen's y axis pointing down: right 0, up 90, left 180, down 270. A zero
// vector counts as up.
double ScreenAngle(int dx, int dy);

// The five corners (the first repeated last) of a box of the given height standing on the
// base line p1–p2, on the side that is up the screen; a vertical base line gets its box to
// the right, a base line of one point no box at all.
std::array<QPoint, 5> TextBoxCorners(QPoint p1, QPoint p2, int height);

// A circle through the drag from centre to edge: the larger of the two map differences,
// kept as a 6-byte real keeps it.
double CircleRadius(const drawing::Point3& centre, const drawing::Point3& edge);

// The pixels a shape through these points can touch when drawn with a pen of this width:
// their bounding box grown by half the pen and a pixel of rounding.
QRect PaintArea(std::span<const QPoint> points, int penWidth);

} // namespace mousetools
