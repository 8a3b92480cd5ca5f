// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sheets of strokes whose true centre lines are known, drawn as a clean bitmap or as a
// scan, and the measures of how well traced centre lines follow them.
//
// A sheet is a grid of cells of 160 × 160 pixels, each holding one figure: a straight
// stroke, an arc, a polyline with corners, a T junction, an X crossing (at 90°, 60° or 45°)
// or a ring. All strokes of a sheet have one width. Coordinates are raster pixels with
// pixel centres at whole numbers (column, row), as traced polylines have them. The same
// seed gives the same sheet.

#include "platform/Bitmap24.h"

#include <QPointF>
#include <cstdint>
#include <vector>

namespace synthetic {

struct TruePolyline {
    std::vector<QPointF> points;
    bool closed = false;
};

struct StrokeSheet {
    int width = 0, height = 0;
    double strokeWidth = 1;
    std::vector<TruePolyline> strokes; // the centre lines as drawn
    std::vector<QPointF> junctions;    // where three or four pieces meet
    std::size_t pieces = 0;            // strokes between junctions and ends
};

StrokeSheet MakeStrokeSheet(int width, int height, double strokeWidth, std::uint32_t seed);

enum class Look {
    Clean, // ink (20) where a pixel's centre lies within half the width of a centre line
    Scan   // coverage of 4 × 4 samples a pixel, a blur of σ 0.7 and noise of σ 6 a channel
};
// Ink 20 on paper 246 in every channel.
platform::Bitmap24 RenderStrokeSheet(const StrokeSheet& sheet, Look look, std::uint32_t seed);

struct TraceScore {
    double truthCovered = 0;   // share of the true length within 1.5 px of a traced line
    double tracedOnTruth = 0;  // share of the traced length within 1.5 px of a true line
    double junctionsFound = 0; // share of junctions with three traced ends within 2 px
    double linesPerPiece = 0;  // traced polylines per true piece
    std::size_t traced = 0;    // traced polylines
};

TraceScore ScoreTrace(const StrokeSheet& sheet, const std::vector<TruePolyline>& traced);

// Traced polylines of any kind with integer points and a closed flag, to score.
template <class Traced>
std::vector<TruePolyline> AsTruePolylines(const std::vector<Traced>& lines) {
    std::vector<TruePolyline> out;
    out.reserve(lines.size());
    for (const Traced& line : lines) {
        TruePolyline& t = out.emplace_back();
        t.closed = line.closed;
        for (const auto& p : line.points) t.points.emplace_back(p);
    }
    return out;
}

} // namespace synthetic
