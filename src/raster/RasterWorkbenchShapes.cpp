// SPDX-License-Identifier: GPL-3.0-or-later
// Thin, contract and enlarge: the morphology commands of the workbench, built on the band
// marks of Morphology.h and the mark follower.
#include "raster/Morphology.h"
#include "raster/RasterWorkbench.h"

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
    MarkBand(raster, saved_, savedCount_, false, changed_);
}

void RasterWorkbench::ShiftOutlines(bool outward) {
    for (int i = 0; i < objectCount_; ++i) ShiftOutline(i, outward);
}

void RasterWorkbench::ThinObjects() {
    outlinesKnown_ = false;
    for (int i = 0; i < objectCount_; ++i) {
        if (!TraceObject(i, OutlinePlane, true)) continue;
        thinned_[std::size_t(i)] = true;
        platform::Bitmap24& raster = *raster_;
        MarkBand(raster, contour_, contourCount_, true, changed_);
        UnmarkContour();
        // Peel the band from its outer boundary, in boundary order, until a pass removes
        // nothing; point 0 (the start) is never peeled. Every productive pass removes a
        // band pixel, so this ends.
        for (;;) {
            TraceObject(i, BandPlane, true);
            std::size_t removed = 0;
            for (std::size_t j = 1; j < contourCount_; ++j) {
                const QPoint p = contour_.Get(j);
                if (raster::PeelPixel(raster, p.x(), p.y())) ++removed;
            }
            if (removed == 0) break;
        }
        MarkOutline(raster, contour_, contourCount_, true, changed_);
    }
}

bool RasterWorkbench::PeelPixel(int x, int y) {
    outlinesKnown_ = false;
    if (raster_ == nullptr || raster_->IsEmpty()) return false;
    raster_->EndPainting();
    return raster::PeelPixel(*raster_, x, y);
}

} // namespace raster
