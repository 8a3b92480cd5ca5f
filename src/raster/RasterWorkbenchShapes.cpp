// SPDX-License-Identifier: GPL-3.0-or-later
// Thin, contract and enlarge: the morphology commands of the workbench, built on the band
// marks of Morphology.h and the mark follower.
#include "raster/BandPeeler.h"
#include "raster/CycleFollower.h"
#include "raster/LongWalks.h"
#include "raster/MarkPlanes.h"
#include "raster/Morphology.h"
#include "raster/OutlineRecorder.h"
#include "raster/PackedFollower.h"
#include "raster/Parallel.h"
#include "raster/PlaneFollower.h"
#include "raster/RasterWorkbench.h"
#include "raster/SideThread.h"
#include "raster/SplitWalker.h"

namespace raster {

void RasterWorkbench::ShiftOutline(int index, bool outward) {
    outlinesKnown_ = false;
    if (!TraceObject(index, OutlinePlane, true)) return;
    thinned_[std::size_t(index)] = false; // the outline no longer runs along centre lines
    platform::Bitmap24& raster = *raster_;
    MarkBand(raster, contour_, contourCount_, true, changed_);
    for (std::size_t i = 0; i < contourCount_; ++i) saved_.Put(i, contour_.Get(i));
    savedCount_ = contourCount_;
    UnmarkContour();
    // From the start, in the middle of the band, across it to its outer (outward) or
    // inner edge and round that edge. Whatever this leaves in the contour list becomes
    // the new outline, even when the edge does not close.
    TraceObject(index, BandPlane, outward);
    MarkOutline(raster, contour_, contourCount_, true, changed_);
    recorded_.Put(index, contour_, contourCount_, unmarked_);
    MarkBand(raster, saved_, savedCount_, false, changed_);
}

namespace {

// Reports the share of objects done every 64 objects.
void ReportObjects(const Progress& progress, int done, int objects) {
    if (progress && done % 64 == 0) progress(double(done) / objects);
}

} // namespace

void RasterWorkbench::ShiftOutlines(bool outward, const Progress& progress) {
    for (int i = 0; i < objectCount_; ++i) {
        ReportObjects(progress, i, objectCount_);
        ShiftOutline(i, outward);
    }
}

// Thinning walks the mark planes many times over, so it works on bit-plane copies of them
// (MarkPlanes) and writes the result back at the end; every step is the one it would take
// on the raster.
void RasterWorkbench::ThinObjects(const Progress& progress) {
    outlinesKnown_ = false;
    thinningWork_ = {};
    thinningTraceWork_ = {};
    if (!Ready() || objectCount_ == 0) return;
    raster_->EndPainting();
    MarkPlanes planes(*raster_);
    BitPlane &outline = planes.Plane(OutlinePlane), &band = planes.Plane(BandPlane);
    BandPeeler peeler(band, SplitWalkLength);
    peeler.LateSplitRounds = LateSplitRounds;
    peeler.LabelRoom = ThinningLabelRoom;
    // The outline follower's tables and scratch, and the list its trace fills, kept from
    // object to object: the list trades places with traced_.
    const PackedSteps steps(outline.RowBytes());
    PointVector tracing;
    // An object whose marks touch a hatched area's network traces the whole network: such a
    // trace is split once it has gone on for a while, at a state of the last long outline
    // marked, which mostly is that network's.
    SplitWalker tracer;
    LongWalks marked(false, SplitWalkLength / 512);
    const SplitWalker::LateSeed onMarked = [&](const PointVector& walked, std::size_t rounds,
                                               SplitWalker::Seed& seed) {
        QPoint at;
        int d = 0;
        return marked.HalfWay(walked, rounds, at, d) && SplitWalker::SeedAtMarks(outline, at, seed);
    };
    // Work on the side thread: clearing the marks of a long traced outline while its band is
    // peeled (the peel reads only the band plane and the traced list), and recording long
    // thinned outlines.
    QRect sideChanged;
    SideThread side;
    OutlineRecorder recorder(recorded_, side, ThinningSideWork);
    for (int i = 0; i < objectCount_; ++i) {
        ReportObjects(progress, i, objectCount_);
        // TraceObject on the outline plane.
        QPoint start;
        if (!FindTraceStart(
                i, [&outline](int x, int y) { return outline.Marked(x, y); }, true, start))
            continue;
        tracing.clear();
        tracing.push_back(start);
        const FollowResult result =
            LateSplitRounds == 0
                ? tracer.Follow(outline, steps, start, 2, nullptr, tracing)
                : tracer.FollowLate(outline, steps, start, 2, LateSplitRounds, onMarked, tracing);
        const std::size_t traced = tracing.size();
        traced_.Swap(tracing);
        if (result != FollowResult::Closed) {
            // The contour list as such a trace leaves it.
            recorder.ContourReplaced();
            for (std::size_t k = 0; k < traced; ++k) contour_.Put(k, traced_.Get(k));
            contourCount_ = traced;
            continue;
        }
        thinned_[std::size_t(i)] = true;
        MarkBand(band, traced_, traced, true, changed_);
        const bool unmarkAside = traced >= ThinningSideWork;
        if (unmarkAside)
            side.Post([&, traced] { MarkOutline(outline, traced_, traced, false, sideChanged); });
        else
            MarkOutline(outline, traced_, traced, false, changed_);
        ++unmarked_;
        // Peel the band from its outer boundary, in boundary order, until a pass removes
        // nothing; each pass starts where the object's start walk ends on the band, and
        // that point is never peeled. Every productive pass removes a band pixel, so this
        // ends.
        const auto bandStart = [this, i, &band](QPoint& from) {
            return FindTraceStart(
                i, [&band](int x, int y) { return band.Marked(x, y); }, true, from);
        };
        peeler.Peel(bandStart, traced_, traced);
        if (unmarkAside) side.Wait(); // the outline plane and the traced list are the loop's again
        contourCount_ = peeler.GiveBoundary(contour_);
        recorder.ContourReplaced();
        MarkOutline(outline, contour_, contourCount_, true, changed_);
        if (contourCount_ >= SplitWalkLength && contour_.Stored() >= contourCount_)
            marked.Keep(contour_.Data(), contourCount_);
        recorder.Record(i, contour_, contourCount_, unmarked_);
    }
    recorder.Finish(contour_);
    if (!sideChanged.isEmpty())
        changed_ = changed_.isEmpty() ? sideChanged : changed_.united(sideChanged);
    TraceAfterThinning(outline);
    planes.Store(*raster_);
    thinningWork_ = peeler.Done();
    thinningTraceWork_ = tracer.Done();
}

// The outline animation traces every object after thinning; on the bit plane, both cores
// taking the objects 64 at a time, that costs a fraction of tracing the raster one object at a
// time. The plane is only read, and each object's trace depends on nothing but the plane and its
// start, so the result does not depend on how the objects are shared.
//
// The objects whose thinned outlines are long are traced first, one after another, and the
// cycles of their long walks kept: those are mostly the objects that touch a hatched area's
// network, and the walk round the network is then made once. Every other object whose walk
// runs onto a kept cycle is read off it.
void RasterWorkbench::TraceAfterThinning(const BitPlane& outline) {
    thinTraces_.assign(std::size_t(objectCount_), {});
    const auto marked = [&outline](int x, int y) { return outline.Marked(x, y); };
    const auto startOf = [&](ThinTrace& t, int i) {
        t.from = objectStarts_[std::size_t(i)];
        t.found = WalkToTraceStart(t.from, marked, true, t.start);
        if (t.found) t.outline.Begin(t.start);
        return t.found;
    };
    const auto isLong = [this](int i) {
        return recorded_.Has(i) && recorded_.PointCount(i) >= SharedTraceLength;
    };
    CycleFollower cycles(outline, SharedTraceLength);
    for (int i = 0; i < objectCount_; ++i) {
        ThinTrace& t = thinTraces_[std::size_t(i)];
        if (isLong(i) && startOf(t, i))
            t.closed =
                cycles.Follow(t.start, t.outline.steps, t.outline.last) == FollowResult::Closed;
    }
    ParallelChunks(objectCount_, 64, [&](int begin, int end) {
        PointVector& behind = BackwardPoints(); // the thread's own, not fresh memory a chunk
        for (int i = begin; i < end; ++i) {
            ThinTrace& t = thinTraces_[std::size_t(i)];
            if (isLong(i) || !startOf(t, i)) continue;
            FollowResult result;
            if (!cycles.ReadOff(t.start, t.outline.steps, t.outline.last, result)) {
                // About as long as the outline thinning left, a step a byte.
                if (recorded_.Has(i)) t.outline.steps.reserve(recorded_.PointCount(i));
                result = FollowPlane(
                    outline, t.start, 2, [&t](QPoint p) { t.outline.Append(p); }, behind);
            }
            t.closed = result == FollowResult::Closed;
            if (!t.closed) std::vector<std::uint8_t>().swap(t.outline.steps);
        }
    });
    outlinesKnown_ = true;
}

bool RasterWorkbench::PeelPixel(int x, int y) {
    outlinesKnown_ = false;
    if (raster_ == nullptr || raster_->IsEmpty()) return false;
    raster_->EndPainting();
    return raster::PeelPixel(*raster_, x, y);
}

} // namespace raster
