// SPDX-License-Identifier: GPL-3.0-or-later
// Thin, contract and enlarge: the morphology commands of the workbench, built on the band
// marks of Morphology.h and the mark follower.
#include "raster/BandPeeler.h"
#include "raster/Morphology.h"
#include "raster/RasterWorkbench.h"

namespace raster {

void RasterWorkbench::ShiftOutline(int index, bool outward) {
    outlinesKnown_ = false;
    if (!TraceObject(index, OutlinePlane, true)) return;
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
    MarkBand(raster, saved_, savedCount_, false, changed_);
}

void RasterWorkbench::ShiftOutlines(bool outward) {
    for (int i = 0; i < objectCount_; ++i) ShiftOutline(i, outward);
}

void RasterWorkbench::ThinObjects() {
    outlinesKnown_ = false;
    thinningWork_ = {};
    if (!Ready()) return;
    platform::Bitmap24& raster = *raster_;
    BandPeeler peeler(raster);
    for (int i = 0; i < objectCount_; ++i) {
        if (!TraceObject(i, OutlinePlane, true)) continue;
        MarkBand(raster, contour_, contourCount_, true, changed_);
        UnmarkContour();
        // Peel the band from its outer boundary, in boundary order, until a pass removes
        // nothing; each pass starts where the object's start walk ends on the band, and
        // that point is never peeled. Every productive pass removes a band pixel, so this
        // ends.
        peeler.Peel([this, i](QPoint& start) { return FindTraceStart(i, BandPlane, true, start); },
                    contour_, contourCount_);
        MarkOutline(raster, contour_, contourCount_, true, changed_);
    }
    thinningWork_ = peeler.Done();
}

bool RasterWorkbench::PeelPixel(int x, int y) {
    outlinesKnown_ = false;
    if (raster_ == nullptr || raster_->IsEmpty()) return false;
    raster_->EndPainting();
    return raster::PeelPixel(*raster_, x, y);
}

} // namespace raster
