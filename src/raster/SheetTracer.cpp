// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/SheetTracer.h"

#include "raster/CentreLines.h"
#include "raster/PointList.h"
#include "raster/Regions.h"
#include "raster/Thinning.h"
#include "raster/Vectorizer.h"

#include <algorithm>
#include <climits>

namespace raster {

namespace {

// Progress of one stage as a share [from, to) of the whole.
Progress Stage(const Progress& whole, double from, double to) {
    if (!whole) return {};
    return [&whole, from, to](double done) { return whole(from + (to - from) * done); };
}

} // namespace

void ReducePolylines(std::vector<TracedPolyline>& polylines, int tolerance) {
    PointList chain;
    std::vector<QPoint> vertices;
    for (TracedPolyline& line : polylines) {
        for (std::size_t i = 0; i < line.points.size(); ++i) chain.Put(i, line.points[i]);
        ReduceOutline(chain, line.points.size(), tolerance, vertices);
        line.points.assign(vertices.begin(), vertices.end());
    }
}

SheetTrace TraceSheet(const platform::Bitmap24& raster, const SheetTraceSettings& settings,
                      const Progress& progress) {
    SheetTrace trace;
    if (raster.IsEmpty()) return trace;
    const QRect area =
        (settings.area.isEmpty() ? QRect(0, 0, raster.Width(), raster.Height()) : settings.area)
            .intersected(QRect(0, 0, raster.Width(), raster.Height()));
    if (area.isEmpty()) return trace;
    LineTest test = settings.test;
    if (test.kind == LineTest::Kind::DarkLines && settings.autoThreshold)
        test.threshold = DarkThreshold(raster, area);
    trace.threshold = test.threshold;
    const auto cancelled = [&trace] {
        trace.cancelled = true;
        trace.polylines.clear();
        return trace;
    };

    LinePlane plane = LineWorkPlane(raster, area, test, Stage(progress, 0, 0.1));
    if (plane.IsEmpty()) return cancelled();
    std::vector<QPoint> starts;
    const RegionCount regions = DropSpecks(
        plane, settings.speck, settings.centreLines ? nullptr : &starts, Stage(progress, 0.1, 0.2));
    if (progress && !progress(0.2)) return cancelled();
    trace.regions = regions.kept;
    trace.specks = regions.dropped;

    if (settings.centreLines) {
        const LinePlane ink = plane;
        if (!ThinPlane(plane, Stage(progress, 0.2, 0.7))) return cancelled();
        trace.polylines = CentreLines(plane, ink, Stage(progress, 0.7, 0.9));
        if (progress && !progress(0.9)) return cancelled();
    } else {
        const std::size_t outer = starts.size();
        for (const QPoint hole : HoleStarts(plane, settings.speck))
            starts.emplace_back(hole.x(), hole.y() - 1);
        for (std::size_t i = 0; i < starts.size(); ++i) {
            if (progress && (i & 1023) == 0 && !progress(0.2 + 0.7 * double(i) / starts.size()))
                return cancelled();
            TracedPolyline line;
            line.points = FollowPlaneBoundary(plane, starts[i], i < outer ? 1 : 7);
            line.closed = true;
            if (line.points.size() >= 2) trace.polylines.push_back(std::move(line));
        }
    }
    ReducePolylines(trace.polylines, settings.tolerance);
    if (progress && !progress(1.0)) return cancelled();
    return trace;
}

std::vector<TracedPolyline> CentreLinesOf(const std::vector<QPoint>& pixels, int tolerance) {
    if (pixels.empty()) return {};
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    for (const QPoint p : pixels) {
        x0 = std::min(x0, p.x());
        y0 = std::min(y0, p.y());
        x1 = std::max(x1, p.x());
        y1 = std::max(y1, p.y());
    }
    // A clear pixel all round, so that every line pixel has its eight neighbours on the plane.
    LinePlane plane(x0 - 1, y0 - 1, x1 - x0 + 3, y1 - y0 + 3);
    for (const QPoint p : pixels) plane.Set(p.x() - plane.Left(), p.y() - plane.Top());
    const LinePlane ink = plane;
    ThinPlane(plane);
    std::vector<TracedPolyline> lines = CentreLines(plane, ink);
    ReducePolylines(lines, tolerance);
    return lines;
}

} // namespace raster
