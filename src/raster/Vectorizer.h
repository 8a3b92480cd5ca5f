// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reduction of a closed pixel chain (a followed outline) to the vertices of a polyline.
//
// Method, two stages, deterministic:
//  1. Straight runs: a point whose incoming and outgoing steps (taken between the
//     followed points themselves) have the same direction is dropped. The first and the
//     last point always stay.
//  2. Chord tests with tolerance Tol: passes over the kept points in disjoint windows,
//     first of four points A B C D (B and C go when both lie within tolerance of the
//     chord A–D) until a pass drops nothing, then of three points A B C (B goes when it
//     lies within tolerance of A–C) until a pass drops nothing. The points at the last
//     three indexes of the chain never enter a window, and point 0 always opens the
//     first one, so these stay.
// "Within tolerance" (WithinTolerance): for a vertical or horizontal chord, the distance
// across it is below Tol and the point lies along the chord, ends included; otherwise the
// squared distance to the chord's line (the foot may lie beyond the ends) is below Tol
// itself, not its square. The arithmetic is double precision in a fixed order, so exact
// ties are decided the same on every run.
//
// Coordinates are raster pixels (column, row; rows grow downwards). Cost: O(n) for the
// first stage and O(kept) a pass for the second; the only storage is the output vector,
// which the second stage works in (compacted after every pass instead of flagging
// dropped points, which gives the same windows).

#include "raster/PointList.h"

#include <QPoint>
#include <cstddef>
#include <vector>

namespace raster {

// Code of the step from a to b by the signs of dx and dy: dx < 0 gives 3, 4, 5 for
// dy < 0, = 0, > 0; dx = 0 gives 2, 9, 6; dx > 0 gives 1, 8, 7. Used only for equality.
int StepDirection(QPoint a, QPoint b);

bool WithinTolerance(QPoint p, QPoint a, QPoint e, int tol);

// One pass over the kept points, in order; dropped points are removed from the vector.
// True when the pass dropped something.
bool DropPairPass(std::vector<QPoint>& kept, int tol);
bool DropPointPass(std::vector<QPoint>& kept, int tol);

// Reduces chain[0 .. count) into vertices (replacing what it held).
void ReduceOutline(const PointList& chain, std::size_t count, int tol,
                   std::vector<QPoint>& vertices);

} // namespace raster
