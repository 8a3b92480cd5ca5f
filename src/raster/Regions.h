// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The regions of a plane and their outlines, for the work on whole sheets.
//
// Regions are labelled run by run (a run is a stretch of set pixels in a row): each run is
// joined, with a union-find forest, to the runs of the row above that it touches, 8-way for
// set pixels and 4-way for clear ones, so that set regions and the holes in them follow
// the same topology as the boundary follower. A region's label is its first run in scan
// order. Cost: linear in the runs, plus 16 bytes a run while labelling.
//
// Outlines are followed as the edge detection follows them (Moore-neighbour tracing,
// direction codes of BoundaryTests.h, clockwise, the region on the right), but on the
// plane and to the end: a boundary is complete when the follower's state (position and
// search direction) after its first step comes round again, so a boundary that passes
// through its start twice is followed whole.
//
// Coordinates are plane pixels unless said otherwise.

#include "raster/LinePlane.h"

#include <QPoint>
#include <QRect>
#include <cstddef>
#include <vector>

namespace raster {

struct RegionCount {
    std::size_t kept = 0, dropped = 0;
};

// Clears every 8-connected region of set pixels whose bounding box is narrower and lower
// than speck pixels (speck ≤ 1 drops nothing). starts, when given, receives the first
// pixel (in scan order) of every region kept.
RegionCount DropSpecks(LinePlane& plane, int speck, std::vector<QPoint>* starts = nullptr,
                       const Progress& progress = {});

// The first pixel (in scan order) of every hole: a 4-connected region of clear pixels that
// does not reach the plane's edge, whose bounding box is at least speck pixels wide or
// high. The set pixel above it lies on the hole's boundary.
std::vector<QPoint> HoleStarts(const LinePlane& plane, int speck);

// The boundary through the set pixel start, followed with the search starting in direction
// d (1 for a region's first pixel, whose left neighbour is clear; 7 for the pixel above a
// hole's first pixel), as raster pixels from start on, start not repeated. Empty when start
// has no set neighbour.
std::vector<QPoint> FollowPlaneBoundary(const LinePlane& plane, QPoint start, int d);

} // namespace raster
