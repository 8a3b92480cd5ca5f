// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Centre lines from a thinned plane (Thinning.h): the lines one pixel wide become a graph
// whose nodes are line ends and junctions and whose edges are the pixel chains between
// them; each edge is one open polyline, and a line without ends or junctions (a ring) one
// closed polyline.
//
// Method:
//  1. Classify every set pixel by its neighbours: an end has at most one, a junction has
//     three or more branches (Yokoi's 8-connectivity number of three or more, or all four
//     side neighbours set), anything else lies on a line. Touching ends and junctions form
//     one node, placed on its pixel nearest to their mean.
//  2. Walk from every node along each line leaving it, to the next node; the lines left
//     over are rings. A walk that ends beside a line walked before, with no end pixel,
//     has met a junction whose pixels all looked like line pixels (a corner of 4-connected
//     pixels): a junction node goes there, and the line it met is split at it.
//  3. Prune spurs: an edge from a junction to a free end no longer than the stroke's half
//     width at the junction plus two pixels is the trace of a bump on the stroke's edge
//     (shortest first, while the junction keeps three edges). The half width w is the
//     chessboard distance from the junction to the nearest pixel off the line work in the
//     plane before thinning.
//  4. Place the junctions. Thinning bends every branch towards a junction over about the
//     stroke's width, and splits a crossing at a sharp angle into two junctions. Each
//     branch gets a line fitted to its pixels beyond the bend (from 2w + 2 to about 4w + 6
//     from the junction). Two junctions joined by an edge of at most 3w + 3 are one
//     crossing when the branches leaving the pair all pass within 1 + w/2 of one point
//     (least squares) near that edge. Each junction then moves to the point where its
//     branches' lines meet (when they are not near parallel and it lies within 2w + 2),
//     and each branch drops the pixels of its bend, so it runs straight into that point.
//  5. Join the edges through nodes left with two edges; a chain that comes back to where
//     it began is closed.
// Every polyline that ends at a node ends exactly at the node's point, so the polylines
// of a junction share it. Coordinates are raster pixels (plane pixel + the plane's
// corner). Cost: linear in the set pixels (hash look-ups for the nodes), plus a small
// search and fit round each junction; a plane of the skeleton's size for the visited
// pixels (and one for the pixels where walks met, when any did).
// Deterministic: the plane is scanned row by row, neighbours side ones first.

#include "raster/LinePlane.h"

#include <vector>

namespace raster {

// skeleton: a thinned plane; ink: the same area before thinning (for the stroke widths).
// Polylines of a single point are left out. Empty when progress cancelled.
std::vector<TracedPolyline> CentreLines(const LinePlane& skeleton, const LinePlane& ink,
                                        const Progress& progress = {});

// The chessboard distance from (x, y) to the nearest clear pixel of the plane (off the
// plane counts as clear), searched up to limit; limit when none is nearer.
int ClearDistance(const LinePlane& plane, int x, int y, int limit = 64);

} // namespace raster
