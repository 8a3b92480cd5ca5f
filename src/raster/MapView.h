// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The view transform of the map canvas: world (map) coordinates, where one unit is one
// raster pixel and y counts upwards, against paint-surface pixels, y down.
//
// ViewTransform holds the home view (the whole extent fitted to the surface), the current
// view and the one-step undo view, and computes everything a view change implies: the
// scale caption, the scroll positions and steps and the raster rectangle to show. It
// draws nothing; the map canvas widget applies the results.

#include <QPoint>
#include <QRect>
#include <cmath>
#include <cstdint>
#include <string>

namespace raster {

struct TMapView {
    double ScaleX = 0;                             // surface pixels per world unit
    double ScaleY = 0;                             // always equal to ScaleX
    double XMin = 0, XMax = 0, YMin = 0, YMax = 0; // world range covered by the surface
    double CenterX = 0, CenterY = 0;
    double Ratio = 0; // ScaleX of this view over ScaleX of the home view
    bool operator==(const TMapView&) const = default;
};

class ViewTransform {
public:
    static constexpr int ScrollRange = 1000;
    static constexpr double CoordinateLimit = 30000;

    // Paint-surface size in pixels, before the first extent.
    void SetSurfaceSize(int width, int height);
    // A new surface size once a view exists: the home view is fitted to the new size and
    // the current view keeps its centre and zoom ratio, so the raster is never stretched
    // out of proportion.
    void Resize(int width, int height);
    int SurfaceWidth() const { return wp_; }
    int SurfaceHeight() const { return hp_; }

    // Fits the extent; the margins are accepted and ignored (the whole surface is used).
    void SetExtent(int margin1, int margin2, double xMin, double xMax, double yMin, double yMax);
    bool Zoom(double factor); // false (nothing done) before the first extent
    // Zooms by factor (as Zoom) keeping the world point under surface pixel p where it is.
    bool ZoomAt(QPoint p, double factor);
    void ZoomToRect(double xMin, double xMax, double yMin, double yMax);
    void ResetView();
    bool UndoView();
    // Moves the view by world offsets (pan and scroll bars); the caller then updates.
    void Shift(double dx, double dy);
    // Recomputes scroll positions and SourceRect; false when the extent is too large
    // to be copied (then SourceRect keeps its old value).
    bool UpdateView();

    void ScreenToWorld(QPoint p, double& x, double& y) const;
    QPoint WorldToScreen(double x, double y) const;
    QPoint WorldToRaster(double x, double y) const;
    // The raster column or row that surface column x or row y shows, and that a click
    // there picks: WorldToRaster of ScreenToWorld, without the ±30000 limit. Since pixel
    // centres lie at integer map coordinates, the display shows each raster pixel over
    // the unit square of map units around its centre, and a vertex at a pixel's position
    // is drawn at the pixel's centre.
    std::int64_t RasterColumnAt(int x) const;
    std::int64_t RasterRowAt(int y) const;
    // Surface pixel of a world point, not clamped; false (p untouched) when it does not
    // fit a 32-bit pixel coordinate.
    bool MapToScreen(double x, double y, QPoint& p) const { // inline: runs per vertex per paint
        const double sx = std::nearbyint((x - view_.XMin) * view_.ScaleX);
        const double sy = std::nearbyint((view_.YMax - y) * view_.ScaleY);
        if (!(sx >= -2147483648.0 && sx <= 2147483647.0 && sy >= -2147483648.0 &&
              sy <= 2147483647.0))
            return false;
        p = QPoint(int(sx), int(sy));
        return true;
    }

    const TMapView& HomeView() const { return home_; }
    const TMapView& View() const { return view_; }
    const TMapView& LastView() const { return last_; }
    bool ViewReady() const { return ready_; }
    double ViewScale() const { return viewScale_; }
    const std::string& ScaleText() const { return scaleText_; }
    QRect SourceRect() const { return sourceRect_; } // raster pixels, may reach outside
    int HScrollPosition() const { return hScroll_; }
    int VScrollPosition() const { return vScroll_; }
    int LargeStep() const { return largeStepNow_; }
    int SmallStep() const { return smallStepNow_; }

private:
    void Fit(TMapView& v, double xMin, double xMax, double yMin, double yMax);
    void UpdateCaptionAndSteps();

    int wp_ = 0, hp_ = 0;
    TMapView home_, view_, last_;
    bool ready_ = false;
    double viewScale_ = 0;
    std::string scaleText_ = "Scale 1:1";
    QRect sourceRect_;
    int hScroll_ = ScrollRange / 2, vScroll_ = ScrollRange / 2;
    int largeStep_ = 100, smallStep_ = 25;
    int largeStepNow_ = 100, smallStepNow_ = 25;
    double extent_[4] = {0, 0, 0, 0}; // xMin, xMax, yMin, yMax of the last SetExtent
};

} // namespace raster
