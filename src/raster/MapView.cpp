// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/MapView.h"

#include "platform/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace raster {

using platform::Rnd;

namespace {

// A pixel coordinate from the limited conversions: outside ±30000 (or not a number)
// becomes 0, not the limit.
int Limited(double v) {
    if (!(v >= -ViewTransform::CoordinateLimit && v <= ViewTransform::CoordinateLimit)) return 0;
    return int(Rnd(v));
}

// A pixel index of the display, saturated far beyond any raster side.
std::int64_t PixelIndex(double v) {
    constexpr double far = 1e15;
    return std::isnan(v) ? 0 : Rnd(std::clamp(v, -far, far));
}

std::string ScaleNumber(double v) {
    return platform::FormatGeneral(v, 3, platform::ExponentSign::Always);
}

} // namespace

void ViewTransform::SetSurfaceSize(int width, int height) {
    wp_ = std::max(width, 0);
    hp_ = std::max(height, 0);
}

void ViewTransform::Fit(TMapView& v, double xMin, double xMax, double yMin, double yMax) {
    const double s = std::min(wp_, hp_);
    v.ScaleX = xMax - xMin == 0 ? 1.0 : s / (xMax - xMin);
    v.ScaleY = yMax - yMin == 0 ? 1.0 : s / (yMax - yMin);
    v.ScaleX = v.ScaleY = std::min(v.ScaleX, v.ScaleY);
    viewScale_ = v.ScaleX;
    v.CenterX = (xMax + xMin) * 0.5;
    v.CenterY = (yMax + yMin) * 0.5;
    v.XMin = v.CenterX - wp_ * 0.5 / v.ScaleX;
    v.XMax = v.CenterX + wp_ * 0.5 / v.ScaleX;
    v.YMin = v.CenterY - hp_ * 0.5 / v.ScaleY;
    v.YMax = v.CenterY + hp_ * 0.5 / v.ScaleY;
}

void ViewTransform::Resize(int width, int height) {
    SetSurfaceSize(width, height);
    if (!ready_) return;
    const double ratio = view_.Ratio, cx = view_.CenterX, cy = view_.CenterY;
    Fit(home_, extent_[0], extent_[1], extent_[2], extent_[3]);
    home_.Ratio = 1.0;
    TMapView& v = view_;
    v.ScaleX = v.ScaleY = home_.ScaleX * ratio;
    viewScale_ = v.ScaleX;
    v.Ratio = ratio;
    v.CenterX = cx;
    v.CenterY = cy;
    v.XMin = cx - wp_ * 0.5 / v.ScaleX;
    v.XMax = cx + wp_ * 0.5 / v.ScaleX;
    v.YMin = cy - hp_ * 0.5 / v.ScaleY;
    v.YMax = cy + hp_ * 0.5 / v.ScaleY;
    UpdateView();
}

void ViewTransform::SetExtent(int, int, double xMin, double xMax, double yMin, double yMax) {
    extent_[0] = xMin;
    extent_[1] = xMax;
    extent_[2] = yMin;
    extent_[3] = yMax;
    Fit(home_, xMin, xMax, yMin, yMax);
    home_.Ratio = 1.0;
    view_ = home_;
    ready_ = true;
    UpdateView();
    scaleText_ = "Scale 1 : 1";
}

bool ViewTransform::Zoom(double factor) {
    if (!ready_) return false;
    last_ = view_;
    TMapView& v = view_;
    v.CenterX = (v.XMin + v.XMax) * 0.5;
    v.CenterY = (v.YMin + v.YMax) * 0.5;
    const double ww = (v.XMax - v.XMin) * v.ScaleX;
    const double hh = (v.YMax - v.YMin) * v.ScaleY;
    v.ScaleX = v.ScaleX / factor;
    v.ScaleY = v.ScaleY / factor;
    viewScale_ = v.ScaleX;
    v.XMax = v.CenterX + ww / v.ScaleX * 0.5;
    v.XMin = v.CenterX - ww / v.ScaleX * 0.5;
    v.YMax = v.CenterY + hh / v.ScaleY * 0.5;
    v.YMin = v.CenterY - hh / v.ScaleY * 0.5;
    v.Ratio = v.ScaleX / home_.ScaleX;
    UpdateCaptionAndSteps();
    UpdateView();
    return true;
}

bool ViewTransform::ZoomAt(QPoint p, double factor) {
    if (!ready_ || !(factor > 0) || !std::isfinite(factor)) return false;
    double x = 0, y = 0;
    ScreenToWorld(p, x, y);
    last_ = view_;
    TMapView& v = view_;
    v.ScaleX = v.ScaleY = v.ScaleX / factor;
    viewScale_ = v.ScaleX;
    v.XMin = x - p.x() / v.ScaleX;
    v.XMax = v.XMin + wp_ / v.ScaleX;
    v.YMax = y + p.y() / v.ScaleY;
    v.YMin = v.YMax - hp_ / v.ScaleY;
    v.CenterX = (v.XMin + v.XMax) * 0.5;
    v.CenterY = (v.YMin + v.YMax) * 0.5;
    v.Ratio = v.ScaleX / home_.ScaleX;
    UpdateCaptionAndSteps();
    UpdateView();
    return true;
}

void ViewTransform::ZoomToRect(double xMin, double xMax, double yMin, double yMax) {
    last_ = view_;
    Fit(view_, xMin, xMax, yMin, yMax);
    view_.Ratio = view_.ScaleX / home_.ScaleX;
    UpdateCaptionAndSteps();
    UpdateView();
}

void ViewTransform::ResetView() {
    const TMapView remembered = view_;
    view_ = home_;
    Zoom(1);
    last_ = remembered;
}

bool ViewTransform::UndoView() {
    if (!ready_) return false;
    if (last_.ScaleX == 0 && last_.ScaleY == 0) last_ = view_;
    view_ = last_;
    viewScale_ = view_.ScaleX;
    // The caption and scroll steps belong to the view now shown.
    UpdateCaptionAndSteps();
    UpdateView();
    return true;
}

void ViewTransform::Shift(double dx, double dy) {
    view_.CenterX += dx;
    view_.XMin += dx;
    view_.XMax += dx;
    view_.CenterY += dy;
    view_.YMin += dy;
    view_.YMax += dy;
}

void ViewTransform::UpdateCaptionAndSteps() {
    const double r = view_.Ratio;
    double a = r, b = 1;
    if (r < 0.999) {
        a = 1;
        b = home_.ScaleX / view_.ScaleX;
    }
    scaleText_ = "Scale " + ScaleNumber(a) + " : " + ScaleNumber(b);
    largeStepNow_ = int(Rnd(largeStep_ / r));
    smallStepNow_ = int(Rnd(smallStep_ / r));
}

bool ViewTransform::UpdateView() {
    const TMapView& h = home_;
    const TMapView& v = view_;
    const double wx = h.XMax - h.XMin;
    const double wy = h.YMax - h.YMin;
    const double fx = (v.CenterX - h.XMin) / wx;
    const double fy = (v.CenterY - h.YMin) / wy;
    hScroll_ = int(Rnd(fx * ScrollRange));
    vScroll_ = ScrollRange - int(Rnd(fy * ScrollRange));
    const double w = wx / v.Ratio;
    const double hgt = wy / v.Ratio;
    if (wx > 65534 || wy > 65534 || !std::isfinite(w) || !std::isfinite(hgt)) return false;
    const auto left = Rnd(h.XMin + fx * wx - w * 0.5);
    const auto top = Rnd(wy - fy * wy - hgt * 0.5 + h.YMin);
    const auto width = Rnd(w);
    const auto height = Rnd(hgt);
    constexpr std::int64_t big = std::numeric_limits<int>::max() / 2;
    if (std::llabs(left) > big || std::llabs(top) > big || width > big || height > big)
        return false;
    sourceRect_ = QRect(int(left), int(top), int(width), int(height));
    return true;
}

void ViewTransform::ScreenToWorld(QPoint p, double& x, double& y) const {
    x = p.x() / view_.ScaleX + view_.XMin;
    y = view_.YMax - p.y() / view_.ScaleY;
}

QPoint ViewTransform::WorldToScreen(double x, double y) const {
    return {Limited((x - view_.XMin) * view_.ScaleX), Limited((view_.YMax - y) * view_.ScaleY)};
}

QPoint ViewTransform::WorldToRaster(double x, double y) const {
    return {Limited(x), Limited(home_.YMax - y + home_.YMin)};
}

// The same arithmetic as ScreenToWorld and WorldToRaster, so that what is shown and what
// is picked agree to the last bit.
std::int64_t ViewTransform::RasterColumnAt(int x) const {
    return PixelIndex(x / view_.ScaleX + view_.XMin);
}

std::int64_t ViewTransform::RasterRowAt(int y) const {
    const double worldY = view_.YMax - y / view_.ScaleY;
    return PixelIndex(home_.YMax - worldY + home_.YMin);
}

} // namespace raster
