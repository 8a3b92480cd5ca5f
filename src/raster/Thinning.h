// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Thinning of line work to lines one pixel wide along the middle of each stroke: the
// directional parallel method (Rosenfeld). A pass has four sub-passes, for the north,
// south, east and west borders in turn; each deletes at once every pixel that
//   - lies on that border (its neighbour on that side is clear),
//   - is simple: its set neighbours form one 8-connected group round it and it has a
//     clear side neighbour (Yokoi's 8-connectivity number is 1), so that deleting it
//     neither splits nor joins anything, and
//   - is not an end: at least two of its eight neighbours are set.
// Pixels of one border deleted together keep every region's topology (8-connected
// regions, 4-connected holes), so regions are never split, lose no hole and never vanish;
// thinning stops when a whole pass deletes nothing. Strokes of width w shrink to their
// middle in about w / 2 passes; a region's line ends are kept, so a bump on a stroke's
// edge can leave a short spur (CentreLines prunes those).
//
// Work is word-parallel on the plane (64 pixels a word, a few dozen bit operations a
// word) and only on words next to a change of the last four sub-passes (a pixel whose
// neighbourhood has seen all four borders unchanged is settled); rows are split between
// the hardware threads. Cost: the ink words in the first pass, then about the words
// round the strokes still shrinking, so a few wide blocks do not make every thin line
// wait for them; memory: five bits a word of the plane. Deterministic: the result does not
// depend on the number of threads.

#include "raster/LinePlane.h"

namespace raster {

// Thins the plane in place. False (the plane half thinned) when progress cancelled.
bool ThinPlane(LinePlane& plane, const Progress& progress = {});

// The pixels of the neighbourhood (bit k − 1 for direction k, as LinePlane::Neighbours)
// that a sub-pass would delete; side: 0 north, 1 south, 2 east, 3 west. For tests.
bool ThinningDeletes(unsigned neighbours, int side);

} // namespace raster
