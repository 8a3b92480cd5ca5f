// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The raster workbench of the map canvas: recording outlines by edge detection, undoing
// them, showing them as moving dashes, thinning, contracting and enlarging them, reducing
// them to polyline vertices, the raster undo copy and the colour pick-up.
//
// It works on a raster owned by the map canvas widget (re-pointed with SetRaster when the
// widget replaces it) and keeps its results in the raster's mark bits: bit 0 of blue
// marks outline pixels, bit 0 of green is the band plane of the morphology. Between
// operations the marks are the only record of an outline's shape; each recorded object
// is re-found from its start pixel whenever it is needed. Nothing here allocates a
// buffer of the raster's size.
//
// All coordinates are raster pixels (column, row; row 0 at the top) unless a parameter
// says otherwise. Every operation that writes raster bytes widens a changed rectangle;
// the widget takes it with TakeChangedRect() to refresh its scaled display.

#include "platform/Bitmap24.h"
#include "platform/Canvas.h"
#include "platform/Colour.h"
#include "raster/BandPeeler.h"
#include "raster/BitPlane.h"
#include "raster/LinePlane.h"
#include "raster/MapView.h"
#include "raster/OutlineAnts.h"
#include "raster/PointList.h"
#include "raster/RasterUndo.h"
#include "raster/RecordedOutlines.h"

#include <QPoint>
#include <QRect>
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace raster {

class RasterWorkbench {
public:
    // An outline shorter than this is not recorded.
    static constexpr std::size_t MinimumOutline = 30;
    static constexpr int MaxObjects = INT_MAX;

    explicit RasterWorkbench(platform::Bitmap24* raster = nullptr) : raster_(raster) {}

    void SetRaster(platform::Bitmap24* raster) {
        raster_ = raster;
        RasterEdited();
    }
    platform::Bitmap24* Raster() const { return raster_; }
    // Forgets the recorded objects (ObjectCount = 0); their marks stay in the raster.
    void Forget() {
        objectCount_ = 0;
        outlinesKnown_ = false;
        recorded_.Clear();
        own_ = OwnOutline();
    }
    // The raster's pixels changed behind the workbench's back (raster tools, a new raster).
    void RasterEdited() {
        outlinesKnown_ = false;
        ++unmarked_;
    }

    // Settings, written by the owner's controls.
    platform::Colour TargetColor = 0; // mark bits included: the clicked pixel as it is
    int ColorRange = 60;              // sum of absolute channel differences allowed
    bool UseColorRange = true;        // false: "Pure color", equal channel sums match
    std::uint8_t StrictDiagonals = 1; // 1: a diagonal step needs a matching side pixel
    int VectorTolerance = 3;          // raster pixels
    // "Dark lines": a pixel belongs to the line work when its grey is below DarkThreshold
    // (LineTest.h); it then decides instead of the colour range or pure colour. A click
    // beside a line starts from the nearest dark pixel within SnapRadius.
    bool DarkLines = false;
    int DarkThreshold = 128;
    int SnapRadius = 3;
    // Not a control: thinning clears the marks of traced outlines at least this long, and
    // records thinned outlines as long, on a second thread beside the peeling; shorter ones
    // cost less than the handing over. Tests lower it to hand every outline over.
    std::size_t ThinningSideWork = 16384;
    // Not a control either: after thinning, the objects whose thinned outlines are at least
    // this long are traced one after another, each read off a boundary traced before where
    // it runs round one (CycleFollower.h). Tests lower it to trace every object so.
    std::size_t SharedTraceLength = 65536;
    // Nor this: thinning's walks round a band expected to be at least this long are made by
    // two threads, each from one end. Tests lower it to split every walk.
    std::size_t SplitWalkLength = 32768;
    // Nor this: its other walks, and its traces of outlines, are split once they have made
    // this many rounds of two steps along one of the last long ones. Tests lower it; 0 never
    // splits them.
    std::size_t LateSplitRounds = 8192;
    // Nor this: the room for the labels that order thinning's lists of boundary states. Tests
    // narrow it, so that the lists are relabelled often.
    std::uint64_t ThinningLabelRoom = std::uint64_t(1) << 62;

    // --- Edge detection ---
    // What the last DetectEdge did.
    enum class DetectOutcome {
        Recorded,
        OffRaster, // the click lies outside the raster
        NoMatch,   // the start pixel fails the colour test
        NoWayOn,   // the follower found no qualifying neighbour
        NotClosed, // the walk would circle for ever without coming back to the start
        Speck,     // closed, but shorter than MinimumOutline
        Full       // no more objects can be recorded
    };
    // Follows the boundary of the matching region through the up-left end of the
    // diagonal from (x, y) and records it as an object when it closes with at least
    // MinimumOutline points; marks its pixels. False when nothing was recorded;
    // LastDetect() says why.
    bool DetectEdge(int x, int y);
    DetectOutcome LastDetect() const { return lastDetect_; }
    // The last outcome in words, for the status line ("Outline recorded: 36 points").
    std::string DetectOutcomeText() const;
    bool MatchesTarget(int x, int y) const;
    bool IsMarked(int x, int y, int plane) const; // plane 0 outline, 1 band
    // Follows the marked boundary of object index again into the contour list; the
    // object's start moves to the end of the diagonal walk (up-left or down-right) from
    // it. False when the start lost its mark or the boundary does not close.
    bool TraceObject(int index, int plane, bool upLeft);
    void UnmarkContour();
    // Removes the last recorded object and its marks; with none left, clears every mark
    // of the raster.
    void UndoObject();
    // Empties the contour and saved lists (their counts stay).
    void ClearContour();

    int ObjectCount() const { return objectCount_; }
    QPoint ObjectStart(int index) const;
    std::size_t ContourCount() const { return contourCount_; }
    std::size_t SavedCount() const { return savedCount_; }
    void PutContourPoint(std::size_t i, QPoint p) { contour_.Put(i, p); }
    QPoint GetContourPoint(std::size_t i) const { return contour_.Get(i); }
    // The points of the contour as stored (fewer than ContourCount() only when some were
    // never written).
    const QPoint* ContourData() const { return contour_.Data(); }
    std::size_t ContourStored() const { return std::min(contourCount_, contour_.Stored()); }
    void PutSavedPoint(std::size_t i, QPoint p) { saved_.Put(i, p); }
    QPoint GetSavedPoint(std::size_t i) const { return saved_.Get(i); }

    // --- Outline animation (one timer tick) ---
    // Draws every recorded outline on the paint surface as black and white dashes that
    // move with the phase, through the view's MapToScreen; only surface pixels strictly
    // inside (0, 0)–(imageWidth, imageHeight) are drawn.
    void AnimateOutlines(platform::Canvas& surface, const ViewTransform& view, int imageWidth,
                         int imageHeight);
    int AntsPhase() const { return antsPhase_; }

    // --- Morphology ---
    void ShiftOutline(int index, bool outward);
    // Contract (false) or enlarge (true) every object, and thin every object. On a large
    // sheet these take seconds: progress hears of the share of objects done now and then
    // (its answer is not used; the work always goes through).
    void ShiftOutlines(bool outward, const Progress& progress = {});
    void ThinObjects(const Progress& progress = {});
    // What the last ThinObjects did (passes, removals, follower steps, tests).
    const BandPeeler::Work& ThinningWork() const { return thinningWork_; }
    // Its traces of outlines split between two threads.
    const SplitWalker::Work& ThinningTraceWork() const { return thinningTraceWork_; }
    bool PeelPixel(int x, int y);

    // --- Vectorization ---
    // Fills VectorPoints from object index; false (vertices unchanged) when its outline
    // cannot be followed. The outline is followed as TraceObject follows it on the outline
    // marks, but over the pixels of the object's own outline only (as it was recorded or
    // last reshaped), so that where outlines touch, one is not followed into the other.
    bool VectorizeObject(int index);
    // What VectorizeObjects made of an object: as VectorizeObject (made, the vertices) or,
    // for a thinned object when centre lines were asked for (asCentreLines), as
    // VectorizeCentreLines (made, the lines).
    struct ObjectVectors {
        bool made = false, asCentreLines = false;
        std::vector<QPoint> vertices;
        std::vector<TracedPolyline> lines;
    };
    // Objects first … last − 1, shared out among the cores, into out[index − first]. Each
    // object's work reads the marks and its own outline and moves only its own start, so
    // the results and starts are those of one object after another; the contour list and
    // VectorPoints are left as they were.
    void VectorizeObjects(int first, int last, bool centreLines, std::vector<ObjectVectors>& out);
    // Whether object index has been thinned since it was recorded (and not contracted or
    // enlarged since): its outline then runs along centre lines and back.
    bool ObjectThinned(int index) const;
    // The centre lines of a thinned object: open polylines split at junctions and ends,
    // closed ones for rings, reduced with VectorTolerance (CentreLines.h). False when its
    // outline cannot be followed.
    bool VectorizeCentreLines(int index, std::vector<TracedPolyline>& lines);
    const std::vector<QPoint>& VectorPoints() const { return vectorPoints_; }
    std::size_t VectorCount() const { return vectorPoints_.size(); }

    // --- Raster undo copy and colour pick-up ---
    // sourceRect: the raster rectangle on screen (the view's SourceRect). The copy is taken
    // as pixels change (RasterUndo.h).
    void SaveRasterUndo(QRect sourceRect);
    std::vector<QRect> RestoreRasterUndo(); // the raster rectangles written
    bool UndoSaved() const { return undo_.UndoSaved(); }
    QRect UndoRect() const { return undo_.UndoRect(); }
    std::size_t UndoBytes() const { return undo_.CopiedBytes(); }
    platform::Colour PickColor(int column, int row) const;

    // --- Painting by hand ---
    // The one way the painting tools write raster pixels: paint draws on the raster's
    // canvas and touches no pixel outside area (raster pixels; the caller errs on the
    // large side). The undo copy hears of the area before any pixel changes. Returns
    // the area clipped to the raster, which joins the changed rectangle; empty when
    // nothing of it lies on the raster (paint is then not called).
    QRect PaintRaster(QRect area, const std::function<void(platform::Canvas&)>& paint);

    // The raster rectangle whose bytes changed since the last call (empty: none).
    QRect TakeChangedRect();

private:
    // The start of a trace of object index: the end of the diagonal walk from its stored
    // start through marked(x, y) pixels; the stored start moves there. False when the stored
    // start lost its mark.
    bool FindTraceStart(int index, const std::function<bool(int, int)>& marked, bool upLeft,
                        QPoint& start);
    // The same walk from a given start, storing nothing.
    static bool WalkToTraceStart(QPoint from, const std::function<bool(int, int)>& marked,
                                 bool upLeft, QPoint& start);
    // Traces every object on the outline plane as TraceObject(i, outline plane, up-left)
    // would, without moving any start, into thinTraces_.
    void TraceAfterThinning(const BitPlane& outline);
    // What tracing an object's own outline works in; a thread's own where threads trace.
    struct OwnOutline {
        BitPlane plane; // the pixels of the outline being traced
        std::vector<QPoint> pixels;
    };
    // TraceObject into a given list; the raster's painting has ended.
    bool TraceMarks(int index, int plane, bool upLeft, PointList& contour, std::size_t& count);
    // TraceMarks(index, outline plane, up-left) over the object's own outline pixels that
    // still carry their mark.
    bool TraceOwnOutline(int index, OwnOutline& own, PointList& contour, std::size_t& count);
    // VectorizeObject's tracing: the own outline where one was recorded, else the marks.
    bool TraceForVector(int index, OwnOutline& own, PointList& contour, std::size_t& count);
    static std::vector<QPoint> ContourPixels(const PointList& contour, std::size_t count);
    bool Ready() const { return raster_ != nullptr && !raster_->IsEmpty(); }

    platform::Bitmap24* raster_;
    std::vector<QPoint> objectStarts_; // ObjectStarts; slots past ObjectCount keep values
    std::vector<bool> thinned_;        // by object, as objectStarts_
    int objectCount_ = 0;
    // An outline as followed: its first point, then a byte a step to a neighbour (a jump
    // elsewhere, which a follower never makes, is kept whole after a marker byte).
    struct Chain {
        QPoint start, last;
        std::vector<std::uint8_t> steps;
        static constexpr std::uint8_t Jump = 9;
        void Begin(QPoint p) {
            start = last = p;
            steps.clear();
        }
        void Append(QPoint p) {
            const QPoint d = p - last;
            last = p;
            if (d.x() >= -1 && d.x() <= 1 && d.y() >= -1 && d.y() <= 1) {
                steps.push_back(std::uint8_t((d.y() + 1) * 3 + d.x() + 1));
                return;
            }
            steps.push_back(Jump);
            const std::int32_t xy[2] = {p.x(), p.y()};
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(xy);
            steps.insert(steps.end(), bytes, bytes + sizeof xy);
        }
        template <class Visit> void ForEachPoint(Visit&& visit) const {
            QPoint p = start;
            visit(p);
            for (std::size_t i = 0; i < steps.size(); ++i) {
                const std::uint8_t code = steps[i];
                if (code == Jump) {
                    std::int32_t xy[2];
                    std::memcpy(xy, steps.data() + i + 1, sizeof xy);
                    i += sizeof xy;
                    p = QPoint(xy[0], xy[1]);
                } else {
                    p += QPoint(code % 3 - 1, code / 3 - 1);
                }
                visit(p);
            }
        }
    };
    std::vector<Chain> outlines_; // the recorded outlines as last traced
    OutlineAnts ants_;            // their dashes at the last view
    RecordedOutlines recorded_;   // each object's own outline, for vectorization
    OwnOutline own_;              // the outline being vectorized
    // Counts the operations that may have cleared outline marks; an outline recorded since
    // the last of them still carries every mark.
    std::uint64_t unmarked_ = 0;
    bool outlinesKnown_ = false;
    // What the next AnimateOutlines' trace of each object will give, as ThinObjects left the
    // marks (kept while outlinesKnown_ holds): the start the trace begins from, whether the
    // start walk found a mark, where it ends, and the outline when it closes.
    struct ThinTrace {
        QPoint from, start;
        bool found = false, closed = false;
        Chain outline;
    };
    std::vector<ThinTrace> thinTraces_;
    PointList contour_, saved_;
    PointList traced_; // thinning's trace of an object's outline, before its band is peeled
    std::size_t contourCount_ = 0, savedCount_ = 0;
    std::vector<QPoint> vectorPoints_;
    int antsPhase_ = 0;
    RasterUndo undo_;
    BandPeeler::Work thinningWork_;
    SplitWalker::Work thinningTraceWork_;
    QRect changed_;
    DetectOutcome lastDetect_ = DetectOutcome::Recorded;
};

} // namespace raster
