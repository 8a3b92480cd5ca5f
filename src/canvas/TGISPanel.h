// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The map canvas: owns the raster being digitised, shows the visible part of it scaled
// into the window, keeps the view transform (zoom, zoom box, pan, reset, one-step view
// undo) and converts points between world, screen and raster coordinates. The owner draws
// the vectors on the paint surface whenever the canvas emits Paint.
//
// Layers, bottom to top: the image layer (the scaled raster, remade only after a view
// change), the owner's vectors, then cross-hair and zoom band drawn with inverting pens.

#include "canvas/MapMouseEvent.h"
#include "canvas/PaintBox.h"
#include "drawing/Projection.h"
#include "platform/Bitmap24.h"
#include "raster/MapView.h"
#include "raster/RasterDisplay.h"
#include "raster/RasterOpening.h"
#include "raster/RasterWorkbench.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <string>

class QScrollBar;

namespace canvas {

// The scaled copy of the visible raster part; hidden by the owner's "Background" command.
struct ImageLayer {
    bool Visible = true;
    QImage Picture;
};

class TGISPanel : public QWidget {
    Q_OBJECT
public:
    explicit TGISPanel(QWidget* parent = nullptr);
    ~TGISPanel() override;

    // Mouse interpretation by the canvas itself.
    enum MouseModes { mmNone = 0, mmPan = 1, mmZoomBox = 2, mmDetectEdge = 3 };
    int MouseMode = mmNone;
    double ZoomFactor = 1.25; // kept for the owner; the zoom commands pass their own factors

    // Raster conversion: recorded outlines, their reshaping and vectorization, the raster
    // undo copy and colour pick-up. Settings (tolerance, colour range...) live there too.
    raster::RasterWorkbench& Workbench() { return workbench_; }
    // Records the outline of the object under a raster pixel; false (and the reason in
    // Workbench().DetectOutcomeText()) if nothing was recorded.
    bool DetectEdge(int column, int row);
    void UndoObject();
    void ClearContour();
    // Morphology of every recorded object, reporting the share done (RasterWorkbench.h).
    void ThinObjects(const raster::Progress& progress = {});
    void ShiftOutlines(bool outward, const raster::Progress& progress = {});
    void SaveRasterUndo();
    void RestoreRasterUndo();
    // Averaged colour under a paint-surface pixel, mark bits cleared.
    platform::Colour PickColor(int x, int y) const;
    // One step of the moving dashes along the recorded outlines.
    void AnimateOutlines();
    int ObjectCount() const { return workbench_.ObjectCount(); }

    // View.
    void SetExtent(int margin1, int margin2, double xMin, double xMax, double yMin, double yMax);
    void Zoom(double factor);
    // Zooms keeping the map point under surface pixel p under it (the mouse wheel).
    void ZoomAt(QPoint p, double factor);
    // Ends a zoom band or a middle-button pan under way (Escape); false when none was.
    bool CancelMouseWork();
    void ZoomToRect(double xMin, double xMax, double yMin, double yMax);
    void ResetView();
    void UndoView();
    void UpdateView();
    // Copies the raster into the image layer when it changed, and shows it; false when
    // nothing had changed (the surface was not redrawn).
    bool ShowRaster();
    // Remakes the paint surface (raster copy plus the owner's vectors) and shows it.
    void Redraw();

    const raster::ViewTransform& Transform() const { return view_; }
    bool ViewReady() const { return view_.ViewReady(); }
    double ViewScale() const { return view_.ViewScale(); }
    const std::string& ScaleText() const { return view_.ScaleText(); }

    // Conversions (screen = paint-surface pixels).
    void ScreenToWorld(QPoint p, double& x, double& y) const { view_.ScreenToWorld(p, x, y); }
    QPoint WorldToScreen(double x, double y) const { return view_.WorldToScreen(x, y); }
    QPoint WorldToRaster(double x, double y, double = 0) const { return view_.WorldToRaster(x, y); }

    // Projections of map points for entity drawing: onto the paint surface (not clamped)
    // and onto raster pixels (limited like WorldToRaster). A point that cannot be mapped
    // (an overflowing coordinate) gives the previous result and returns the view to the
    // one before the last change, once the current paint is over.
    QPoint MapToScreen(const drawing::Point3& p, const drawing::Matrix4* m) const;
    QPoint MapToRaster(const drawing::Point3& p, const drawing::Matrix4* m) const;
    const drawing::Projection& ScreenProjection() const { return screenProjection_; }
    const drawing::Projection& RasterProjection() const { return rasterProjection_; }

    // Raster. Loading builds the new raster aside and replaces the old one only when it is
    // complete, so a bad file leaves raster, extent and view as they were.
    platform::Bitmap24& Raster() { return raster_; }
    void LoadRaster(const std::string& fileName);
    void SaveRaster(const std::string& fileName);
    // Takes a raster read elsewhere (a JPEG file, a scanner) in place of the current one.
    void AdoptRaster(platform::Bitmap24&& bitmap);
    // The same for a raster opened with its marks cleared and its display levels built.
    void AdoptRaster(raster::OpenedRaster&& opened);
    void ClearMarks();
    // Keeps the scaled display in step after pixels of the raster changed.
    void RasterChanged(QRect changed);
    void RasterChanged();
    // Paints on the raster through the workbench, the one way the painting tools write
    // raster pixels; area: the raster pixels the painting may touch. The scaled display
    // follows; the image layer is remade at the next ShowRaster.
    void PaintRaster(QRect area, const std::function<void(platform::Canvas&)>& paint);

    ImageLayer Image;
    TPaintBox* PaintBox() const { return paintBox_; }
    QRect SourceRect() const { return view_.SourceRect(); } // raster pixels shown
    bool BandActive() const { return bandActive_; }
    QPoint CrossPosition() const { return {crossX_, crossY_}; }

    static constexpr QRgb BackgroundColour = 0xFF000000;

signals:
    void Paint(QObject* sender);
    // Every press, move and release of the left and right buttons over the surface (the
    // middle button pans the map); moves only while a view exists.
    void MouseDownEvent(const canvas::MapMouseEvent& e);
    void MouseMoveEvent(const canvas::MapMouseEvent& e);
    void MouseUpEvent(const canvas::MapMouseEvent& e);
    void DoubleClicked(QObject* sender);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void PaintBoxMouseDown(QMouseEvent* e);
    void PaintBoxMouseMove(QMouseEvent* e);
    void PaintBoxMouseUp(QMouseEvent* e);
    void PaintBoxDblClick(QMouseEvent* e);
    void PaintBoxWheel(QWheelEvent* e);
    MapMouseEvent MakeEvent(QPoint at, Qt::MouseButton button, ShiftState shift) const;
    void ScrollBarScroll(QScrollBar* bar, int position);
    void SurfaceResized();
    void DrawBand(platform::Colour colour);
    void DrawCross();
    void RasterReplaced();
    bool RenderImage();
    void SyncDisplay(); // the scaled display follows what the workbench changed

    struct MapProjection : drawing::Projection {
        const TGISPanel* panel;
        bool toRaster;
        MapProjection(const TGISPanel* p, bool r) : panel(p), toRaster(r) {}
        QPoint Project(const drawing::Point3& p, const drawing::Matrix4* m) const override {
            return toRaster ? panel->MapToRaster(p, m) : panel->MapToScreen(p, m);
        }
    };
    void MappingFailed() const;

    MapProjection screenProjection_{this, false};
    MapProjection rasterProjection_{this, true};
    mutable QPoint lastMapped_;
    mutable bool undoPending_ = false;

    QWidget* clientPanel_ = nullptr;
    QWidget* vScrollPanel_ = nullptr;
    QWidget* hScrollPanel_ = nullptr;
    QScrollBar* vScrollBar_ = nullptr;
    QScrollBar* hScrollBar_ = nullptr;
    TPaintBox* paintBox_ = nullptr;

    raster::ViewTransform view_;
    raster::RasterDisplay display_;
    platform::Bitmap24 raster_;
    raster::RasterWorkbench workbench_{&raster_};
    bool imageDirty_ = false;
    bool bandActive_ = false;
    int bandX1_ = 0, bandY1_ = 0, bandX2_ = 0, bandY2_ = 0;
    int crossX_ = 0, crossY_ = 0;
    double dragX_ = 0, dragY_ = 0;
    bool grabbing_ = false; // a middle-button pan is under way
    QPoint grabAt_;         // where the grabbing mouse was last
    double wheelSteps_ = 0; // fractions of a wheel notch not used yet (touch pads)
    int hScrollLast_ = raster::ViewTransform::ScrollRange / 2;
    int vScrollLast_ = raster::ViewTransform::ScrollRange / 2;
};

} // namespace canvas
