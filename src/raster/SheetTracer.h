// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Tracing a whole sheet, or a rectangle of it, in one go: every region of line work is
// found, regions smaller than a speck are dropped, and the rest become centre lines (the
// regions thinned, the lines split at junctions and ends, CentreLines.h) or outlines (each
// region's outer boundary and the boundaries of its holes, Regions.h); every polyline is
// then reduced as the vectorization reduces an outline (Vectorizer.h) with the tolerance.
//
// Stages and their cost on an A0 sheet at 300 dpi (140 M pixels): the line-work plane (one
// pass over the raster's bytes), the regions (linear in the runs of line work), thinning
// (word-parallel: the ink's words once, then the words round strokes still shrinking),
// the centre lines or outlines (linear in their pixels), the reduction (linear in the
// points). Memory beyond the raster: four planes of one bit a pixel of the area and the
// labelled runs, then the polylines. The raster is only read; its mark bits play no part.
//
// Coordinates are raster pixels (column, row; row 0 at the top).

#include "platform/Bitmap24.h"
#include "raster/LinePlane.h"
#include "raster/LineTest.h"

#include <QPoint>
#include <QRect>
#include <cstddef>
#include <vector>

namespace raster {

struct SheetTraceSettings {
    LineTest test;
    bool autoThreshold = true; // dark lines: the threshold found from the area, not test's
    bool centreLines = true;   // false: outlines
    int tolerance = 3;         // of the reduction, raster pixels
    int speck = 4;             // regions narrower and lower than this are dropped
    QRect area;                // empty: the whole raster
};

struct SheetTrace {
    std::vector<TracedPolyline> polylines;
    int threshold = 0; // the dark-line threshold used
    std::size_t regions = 0, specks = 0;
    bool cancelled = false;
};

SheetTrace TraceSheet(const platform::Bitmap24& raster, const SheetTraceSettings& settings,
                      const Progress& progress = {});

// The centre lines of a set of pixels (an outline after thinning, say): thinned again where
// it is not one pixel wide yet, split at junctions and ends, spurs of up to three pixels
// pruned, reduced with the tolerance.
std::vector<TracedPolyline> CentreLinesOf(const std::vector<QPoint>& pixels, int tolerance);

// Reduces each polyline's points as an outline's (ReduceOutline); its ends stay.
void ReducePolylines(std::vector<TracedPolyline>& polylines, int tolerance);

} // namespace raster
