// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/RasterWorkbench.h"

#include "platform/QtCanvas.h"
#include "raster/ColourPick.h"
#include "raster/EdgeFollower.h"
#include "raster/Marks.h"
#include "raster/Morphology.h"
#include "raster/Parallel.h"
#include "raster/PlaneFollower.h"
#include "raster/SheetTracer.h"
#include "raster/Vectorizer.h"

#include <algorithm>
#include <cstdlib>

namespace raster {

namespace {

void Widen(QRect& changed, QRect r) {
    if (!r.isEmpty()) changed = changed.isEmpty() ? r : changed.united(r);
}

} // namespace

namespace {

ColourTest TestOf(platform::Bitmap24& raster, const RasterWorkbench& bench) {
    if (bench.DarkLines) return ColourTest(raster, bench.DarkThreshold, bench.StrictDiagonals != 0);
    return ColourTest(raster, bench.TargetColor, bench.UseColorRange, bench.ColorRange,
                      bench.StrictDiagonals != 0);
}

// The dark pixel nearest to (x, y) within radius, nearer rings first and each ring in a
// fixed order; (x, y) itself when none is.
QPoint NearestMatch(const ColourTest& test, int x, int y, int radius) {
    if (test.Matches(x, y)) return {x, y};
    QPoint best(x, y);
    long bestDistance = -1;
    for (int r = 1; r <= radius && bestDistance < 0; ++r)
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                if (std::max(std::abs(dx), std::abs(dy)) != r || !test.Matches(x + dx, y + dy))
                    continue;
                const long d = long(dx) * dx + long(dy) * dy;
                if (bestDistance < 0 || d < bestDistance) {
                    bestDistance = d;
                    best = QPoint(x + dx, y + dy);
                }
            }
    return best;
}

// From a matching pixel, steps onto a matching neighbour above (up, up-left, up-right) or,
// with none, to the left, while there is one: a pixel with neither, at the top end or top
// corner of a stroke. Each step lowers (row, column) in reading order, so it ends; the cost
// is the length of the way.
QPoint ClimbToTop(const ColourTest& test, QPoint p) {
    for (;;) {
        const int x = p.x(), y = p.y();
        if (test.Matches(x, y - 1))
            p = {x, y - 1};
        else if (test.Matches(x - 1, y - 1))
            p = {x - 1, y - 1};
        else if (test.Matches(x + 1, y - 1))
            p = {x + 1, y - 1};
        else if (test.Matches(x - 1, y))
            p = {x - 1, y};
        else
            return p;
    }
}

} // namespace

bool RasterWorkbench::MatchesTarget(int x, int y) const {
    if (!Ready()) return false;
    return TestOf(*raster_, *this).Matches(x, y);
}

bool RasterWorkbench::IsMarked(int x, int y, int plane) const {
    return Ready() && MarkTest(*raster_, plane).Marked(x, y);
}

QPoint RasterWorkbench::ObjectStart(int index) const {
    if (index < 0 || std::size_t(index) >= objectStarts_.size()) return {};
    return objectStarts_[std::size_t(index)];
}

bool RasterWorkbench::DetectEdge(int x, int y) {
    outlinesKnown_ = false;
    lastDetect_ = DetectOutcome::OffRaster;
    if (!Ready()) return false;
    platform::Bitmap24& raster = *raster_;
    // A click off the raster cannot lead to a start pixel inside it.
    if (x < 0 || y < 0 || x >= raster.Width() || y >= raster.Height()) return false;
    if (objectCount_ == MaxObjects) {
        lastDetect_ = DetectOutcome::Full;
        return false;
    }
    raster.EndPainting();
    const ColourTest test = TestOf(raster, *this);
    // A line one pixel wide is hard to hit: a click beside it takes the line.
    if (DarkLines) {
        // The up-left walk stops on a thin line wherever it was hit, and the outline would
        // close there having followed only part of the line: climb to a top end instead.
        QPoint near = NearestMatch(test, x, y, SnapRadius);
        if (test.Matches(near.x(), near.y())) near = ClimbToTop(test, near);
        x = near.x();
        y = near.y();
    }
    while (test.Matches(x, y)) {
        --x;
        --y;
    }
    const QPoint start(x + 1, y + 1);
    if (objectStarts_.size() <= std::size_t(objectCount_)) {
        objectStarts_.resize(std::size_t(objectCount_) + 1);
        thinned_.resize(objectStarts_.size());
    }
    objectStarts_[std::size_t(objectCount_)] = start;
    thinned_[std::size_t(objectCount_)] = false;
    contourCount_ = 0;
    contour_.Put(contourCount_++, start);
    // The follower only ever moves onto matching pixels, so from a start that does not
    // match (a click just outside a region) it could never close.
    if (!test.Matches(start.x(), start.y())) {
        lastDetect_ = DetectOutcome::NoMatch;
        return false;
    }
    const FollowResult result =
        FollowBoundary(test, start, 1, [this](QPoint p) { contour_.Put(contourCount_++, p); });
    lastDetect_ = result == FollowResult::Stuck     ? DetectOutcome::NoWayOn
                  : result == FollowResult::Endless ? DetectOutcome::NotClosed
                  : contourCount_ < MinimumOutline  ? DetectOutcome::Speck
                                                    : DetectOutcome::Recorded;
    if (lastDetect_ != DetectOutcome::Recorded) return false;
    MarkOutline(raster, contour_, contourCount_, true, changed_);
    recorded_.Put(objectCount_, contour_, contourCount_, unmarked_);
    ++objectCount_;
    return true;
}

std::string RasterWorkbench::DetectOutcomeText() const {
    const std::string points = std::to_string(contourCount_);
    switch (lastDetect_) {
    case DetectOutcome::Recorded:
        return "Outline recorded: " + points + " points";
    case DetectOutcome::OffRaster:
        return "Nothing recorded: the click is off the raster";
    case DetectOutcome::NoMatch:
        if (DarkLines)
            return "Nothing recorded: no pixel there is darker than the threshold of " +
                   std::to_string(DarkThreshold);
        return UseColorRange ? "Nothing recorded: the 2 × 2 average there is outside the colour "
                               "range (try Pure color or a wider range)"
                             : "Nothing recorded: the pixel is too near the raster's edge";
    case DetectOutcome::NoWayOn:
        return StrictDiagonals != 0 ? "Nothing recorded: the outline cannot go on from its start "
                                      "(a one-pixel diagonal needs Polyline)"
                                    : "Nothing recorded: a single pixel has no outline";
    case DetectOutcome::NotClosed:
        return "Nothing recorded: the outline does not close";
    case DetectOutcome::Speck:
        return "Nothing recorded: a speck of " + points + " outline points (" +
               std::to_string(MinimumOutline) + " needed)";
    case DetectOutcome::Full:
        return "Nothing recorded: no more objects can be recorded; vectorize or undo some";
    }
    return {};
}

bool RasterWorkbench::FindTraceStart(int index, const std::function<bool(int, int)>& marked,
                                     bool upLeft, QPoint& start) {
    if (!Ready() || index < 0 || index > objectCount_ || std::size_t(index) >= objectStarts_.size())
        return false;
    if (!WalkToTraceStart(objectStarts_[std::size_t(index)], marked, upLeft, start)) return false;
    objectStarts_[std::size_t(index)] = start;
    return true;
}

bool RasterWorkbench::WalkToTraceStart(QPoint from, const std::function<bool(int, int)>& marked,
                                       bool upLeft, QPoint& start) {
    start = from;
    if (!marked(start.x(), start.y())) return false;
    const QPoint diagonal = upLeft ? QPoint(-1, -1) : QPoint(1, 1);
    do start += diagonal;
    while (marked(start.x(), start.y()));
    start -= diagonal;
    // A start whose two side neighbours towards the walk are marked touches the unmarked
    // side only across a corner: the follower would close at once round that corner, three
    // points enclosing nothing. Starting from the side neighbour in the start direction
    // follows the real edge.
    const QPoint side(0, diagonal.y()), across(diagonal.x(), 0);
    if (marked(start.x() + side.x(), start.y() + side.y()) &&
        marked(start.x() + across.x(), start.y() + across.y()))
        start += side;
    return true;
}

bool RasterWorkbench::TraceObject(int index, int plane, bool upLeft) {
    if (!Ready()) return false;
    raster_->EndPainting();
    return TraceMarks(index, plane, upLeft, contour_, contourCount_);
}

bool RasterWorkbench::TraceMarks(int index, int plane, bool upLeft, PointList& contour,
                                 std::size_t& count) {
    const MarkTest test(*raster_, plane);
    QPoint start;
    if (!FindTraceStart(
            index, [&test](int x, int y) { return test.Marked(x, y); }, upLeft, start))
        return false;
    count = 0;
    contour.Put(count++, start);
    return FollowBoundary(test, start, upLeft ? 2 : 6, [&contour, &count](QPoint p) {
               contour.Put(count++, p);
           }) == FollowResult::Closed;
}

void RasterWorkbench::UnmarkContour() {
    ++unmarked_;
    if (Ready()) MarkOutline(*raster_, contour_, contourCount_, false, changed_);
}

void RasterWorkbench::UndoObject() {
    outlinesKnown_ = false;
    --objectCount_;
    recorded_.Truncate(objectCount_);
    if (objectCount_ < 0) {
        objectCount_ = 0;
        if (Ready()) {
            ClearMarks(*raster_);
            ++unmarked_;
            Widen(changed_, QRect(0, 0, raster_->Width(), raster_->Height()));
        }
        return;
    }
    const int removed = objectCount_;
    if (contour_.Get(0) == ObjectStart(removed) || TraceObject(removed, 0, true)) UnmarkContour();
}

void RasterWorkbench::ClearContour() {
    contour_.Release();
    saved_.Release();
}

void RasterWorkbench::AnimateOutlines(platform::Canvas& surface, const ViewTransform& view,
                                      int imageWidth, int imageHeight) {
    if (++antsPhase_ == OutlineAnts::Phases) antsPhase_ = 0;
    // Tracing every outline on every tick would cost tens of milliseconds on a large
    // scan; the outlines are kept until something changes them.
    if (!outlinesKnown_ || !thinTraces_.empty()) {
        const bool fromThinning = outlinesKnown_ && thinTraces_.size() == std::size_t(objectCount_);
        // The traces thinning made are used for the objects whose start has not moved
        // since. The last object whose start is found is traced again all the same, so
        // that the contour list ends as the tracing of every object leaves it.
        int last = -1;
        for (int i = 0; fromThinning && i < objectCount_; ++i)
            if (thinTraces_[std::size_t(i)].found &&
                thinTraces_[std::size_t(i)].from == objectStarts_[std::size_t(i)])
                last = i;
        outlines_.clear();
        for (int i = 0; i < objectCount_; ++i) {
            if (fromThinning && i != last) {
                ThinTrace& known = thinTraces_[std::size_t(i)];
                if (known.from == objectStarts_[std::size_t(i)]) {
                    if (!known.found) continue;
                    objectStarts_[std::size_t(i)] = known.start;
                    if (known.closed) outlines_.push_back(std::move(known.outline));
                    continue;
                }
            }
            if (!TraceObject(i, 0, true)) continue;
            Chain& outline = outlines_.emplace_back();
            outline.Begin(contour_.Get(0));
            for (std::size_t j = 1; j < contourCount_; ++j) outline.Append(contour_.Get(j));
        }
        thinTraces_.clear();
        outlinesKnown_ = true;
        ants_.Forget();
    }
    // The dashes' pixels are found again only when the view or the outlines change: at a
    // whole dense sheet the outlines hold tens of millions of points.
    ants_.Prepare(view, imageWidth, imageHeight, [this](const auto& visit) {
        for (const Chain& outline : outlines_) outline.ForEachPoint(visit);
    });
    ants_.Draw(surface, antsPhase_);
}

bool RasterWorkbench::VectorizeObject(int index) {
    if (!Ready()) return false;
    raster_->EndPainting();
    if (!TraceForVector(index, own_, contour_, contourCount_)) return false;
    ReduceOutline(contour_, contourCount_, VectorTolerance, vectorPoints_);
    return true;
}

void RasterWorkbench::VectorizeObjects(int first, int last, bool centreLines,
                                       std::vector<ObjectVectors>& out) {
    out.assign(std::size_t(std::max(0, last - first)), {});
    if (!Ready()) return;
    raster_->EndPainting();
    // Objects' outlines differ in length by thousands of times: they are handed out a few
    // dozen at a time to whichever core is free.
    ParallelChunks(int(out.size()), 32, [&](int begin, int end) {
        OwnOutline own;
        PointList contour;
        std::size_t count = 0;
        for (int k = begin; k < end; ++k) {
            const int index = first + k;
            ObjectVectors& result = out[std::size_t(k)];
            result.asCentreLines = centreLines && ObjectThinned(index);
            if (!TraceForVector(index, own, contour, count)) continue;
            result.made = true;
            if (result.asCentreLines)
                result.lines = CentreLinesOf(ContourPixels(contour, count), VectorTolerance);
            else
                ReduceOutline(contour, count, VectorTolerance, result.vertices);
        }
    });
}

std::vector<QPoint> RasterWorkbench::ContourPixels(const PointList& contour, std::size_t count) {
    std::vector<QPoint> pixels(count);
    for (std::size_t i = 0; i < count; ++i) pixels[i] = contour.Get(i);
    return pixels;
}

bool RasterWorkbench::TraceForVector(int index, OwnOutline& own, PointList& contour,
                                     std::size_t& count) {
    return recorded_.Has(index) ? TraceOwnOutline(index, own, contour, count)
                                : TraceMarks(index, 0, true, contour, count);
}

bool RasterWorkbench::TraceOwnOutline(int index, OwnOutline& own, PointList& contour,
                                      std::size_t& count) {
    platform::Bitmap24& raster = *raster_; // only read
    const int w = raster.Width(), h = raster.Height();
    // The outline's pixels that still carry their mark, in a plane over its bounding box.
    std::vector<QPoint>& pixels = own.pixels;
    BitPlane& plane = own.plane;
    pixels.clear();
    int left = w, top = h, right = -1, bottom = -1;
    recorded_.ForEachPoint(index, [&](QPoint p) {
        if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h) return;
        pixels.push_back(p);
        left = std::min(left, p.x()), top = std::min(top, p.y());
        right = std::max(right, p.x()), bottom = std::max(bottom, p.y());
    });
    if (right < 0) return false;
    plane.Reset(left, top, right - left + 1, bottom - top + 1, w, h);
    const std::size_t n = pixels.size();
    if (recorded_.Marked(index) == unmarked_) { // no mark has been cleared since
        for (const QPoint p : pixels) plane.Set(p.x(), p.y());
    } else {
        // The outline was followed long ago: its pixels are asked for a few points ahead.
        const MarkTest marks(raster, OutlinePlane);
        constexpr std::size_t ahead = 16;
        for (std::size_t j = 0; j < n; ++j) {
            if (j + ahead < n)
                __builtin_prefetch(raster.ScanLine(pixels[j + ahead].y()) +
                                   3 * std::size_t(pixels[j + ahead].x()));
            const QPoint p = pixels[j];
            if (marks.Marked(p.x(), p.y())) plane.Set(p.x(), p.y());
        }
    }
    const auto owned = [&plane, left, top, right, bottom](int x, int y) {
        return x >= left && y >= top && x <= right && y <= bottom && plane.Marked(x, y);
    };
    // Where a trace of the marks has moved the object's start onto another outline, its own
    // outline starts where it was recorded.
    QPoint& stored = objectStarts_[std::size_t(index)];
    if (!owned(stored.x(), stored.y())) stored = recorded_.Start(index);
    bool closed = false;
    QPoint start;
    if (FindTraceStart(index, owned, true, start)) {
        count = 0;
        contour.Put(count++, start);
        closed = FollowPlane(plane, start, 2, [&contour, &count](QPoint p) {
                     contour.Put(count++, p);
                 }) == FollowResult::Closed;
    }
    if (pixels.capacity() > PointList::Kept) std::vector<QPoint>().swap(pixels);
    return closed;
}

bool RasterWorkbench::ObjectThinned(int index) const {
    return index >= 0 && std::size_t(index) < thinned_.size() && thinned_[std::size_t(index)];
}

bool RasterWorkbench::VectorizeCentreLines(int index, std::vector<TracedPolyline>& lines) {
    if (!Ready()) return false;
    raster_->EndPainting();
    if (!TraceForVector(index, own_, contour_, contourCount_)) return false;
    lines = CentreLinesOf(ContourPixels(contour_, contourCount_), VectorTolerance);
    return true;
}

void RasterWorkbench::SaveRasterUndo(QRect sourceRect) {
    if (!Ready()) return;
    raster_->EndPainting();
    undo_.Save(*raster_, sourceRect);
}

std::vector<QRect> RasterWorkbench::RestoreRasterUndo() {
    RasterEdited(); // the marks may go back too
    if (!Ready()) {
        undo_.Drop();
        return {};
    }
    return undo_.Restore(*raster_);
}

platform::Colour RasterWorkbench::PickColor(int column, int row) const {
    if (raster_ == nullptr) return 0xFEFEFE;
    return raster::PickColor(*raster_, column, row);
}

QRect RasterWorkbench::TakeChangedRect() {
    const QRect r = changed_;
    changed_ = QRect();
    return r;
}

QRect RasterWorkbench::PaintRaster(QRect area,
                                   const std::function<void(platform::Canvas&)>& paint) {
    if (!Ready()) return {};
    const QRect clipped = area.normalized() & QRect(0, 0, raster_->Width(), raster_->Height());
    if (clipped.isEmpty()) return {};
    undo_.BeforeWrite(clipped);
    paint(raster_->GetCanvas());
    raster_->EndPainting(); // rows are read directly right after (display, marks, undo)
    outlinesKnown_ = false;
    Widen(changed_, clipped);
    return clipped;
}

} // namespace raster
