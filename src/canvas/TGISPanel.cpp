// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas/TGISPanel.h"

#include "platform/RasterFiles.h"
#include "raster/Marks.h"

#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace canvas {

namespace {

constexpr int StripSize = 6;

QWidget* BlackPanel(QWidget* parent, const char* name) {
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, Qt::black);
    w->setPalette(pal);
    return w;
}

QScrollBar* HiddenScrollBar(Qt::Orientation orientation, QWidget* strip, const char* name) {
    auto* bar = new QScrollBar(orientation, strip);
    bar->setObjectName(name);
    bar->setRange(0, raster::ViewTransform::ScrollRange);
    bar->setValue(raster::ViewTransform::ScrollRange / 2);
    bar->setPageStep(100);
    bar->setSingleStep(25);
    bar->setEnabled(false);
    return bar;
}

} // namespace

TGISPanel::TGISPanel(QWidget* parent) : QWidget(parent) {
    clientPanel_ = BlackPanel(this, "ClientPanel");
    vScrollPanel_ = BlackPanel(clientPanel_, "VScrollPanel");
    hScrollPanel_ = BlackPanel(clientPanel_, "HScrollPanel");
    vScrollBar_ = HiddenScrollBar(Qt::Vertical, vScrollPanel_, "VScrollBar");
    hScrollBar_ = HiddenScrollBar(Qt::Horizontal, hScrollPanel_, "HScrollBar");
    vScrollPanel_->hide();
    hScrollPanel_->hide();
    connect(vScrollBar_, &QScrollBar::valueChanged, this,
            [this](int v) { ScrollBarScroll(vScrollBar_, v); });
    connect(hScrollBar_, &QScrollBar::valueChanged, this,
            [this](int v) { ScrollBarScroll(hScrollBar_, v); });

    paintBox_ = new TPaintBox(clientPanel_);
    paintBox_->onPress = [this](QMouseEvent* e) { PaintBoxMouseDown(e); };
    paintBox_->onMove = [this](QMouseEvent* e) { PaintBoxMouseMove(e); };
    paintBox_->onRelease = [this](QMouseEvent* e) { PaintBoxMouseUp(e); };
    paintBox_->onDoubleClick = [this](QMouseEvent* e) { PaintBoxDblClick(e); };
    paintBox_->onWheel = [this](QWheelEvent* e) { PaintBoxWheel(e); };
    paintBox_->onResized = [this] { SurfaceResized(); };
}

TGISPanel::~TGISPanel() = default;

void TGISPanel::resizeEvent(QResizeEvent*) {
    clientPanel_->setGeometry(rect());
    vScrollPanel_->setGeometry(width() - StripSize, 0, StripSize, height());
    hScrollPanel_->setGeometry(0, height() - StripSize, width(), StripSize);
    vScrollBar_->setGeometry(0, 0, StripSize, height());
    hScrollBar_->setGeometry(0, 0, width(), StripSize);
    paintBox_->setGeometry(clientPanel_->rect());
}

void TGISPanel::SurfaceResized() {
    crossX_ = crossY_ = 0;
    view_.Resize(paintBox_->width(), paintBox_->height());
    if (view_.ViewReady()) UpdateView();
}

// ---- view -----------------------------------------------------------------------------

void TGISPanel::SetExtent(int margin1, int margin2, double xMin, double xMax, double yMin,
                          double yMax) {
    view_.SetSurfaceSize(paintBox_->width(), paintBox_->height());
    view_.SetExtent(margin1, margin2, xMin, xMax, yMin, yMax);
    workbench_.Forget(); // recorded outlines belong to the old extent
    hScrollBar_->setEnabled(false);
    vScrollBar_->setEnabled(false);
    UpdateView();
}

void TGISPanel::Zoom(double factor) {
    if (view_.Zoom(factor)) UpdateView();
}

void TGISPanel::ZoomAt(QPoint p, double factor) {
    if (view_.ZoomAt(p, factor)) UpdateView();
}

bool TGISPanel::CancelMouseWork() {
    if (grabbing_) {
        grabbing_ = false;
        return true;
    }
    if (!bandActive_) return false;
    bandActive_ = false;
    DrawBand(0); // the inverting pen takes the band off again
    return true;
}

void TGISPanel::ZoomToRect(double xMin, double xMax, double yMin, double yMax) {
    crossX_ = crossY_ = 0;
    view_.ZoomToRect(xMin, xMax, yMin, yMax);
    UpdateView();
}

void TGISPanel::ResetView() {
    view_.ResetView();
    if (view_.ViewReady()) UpdateView();
}

void TGISPanel::UndoView() {
    if (view_.UndoView()) UpdateView();
}

void TGISPanel::UpdateView() {
    crossX_ = crossY_ = 0;
    if (view_.UpdateView()) imageDirty_ = true;
    // Keep the (hidden) scroll bars in step without treating it as a user scroll.
    hScrollLast_ = view_.HScrollPosition();
    vScrollLast_ = view_.VScrollPosition();
    for (QScrollBar* bar : {hScrollBar_, vScrollBar_}) {
        const QSignalBlocker quiet(bar);
        bar->setValue(bar == hScrollBar_ ? hScrollLast_ : vScrollLast_);
        bar->setPageStep(std::max(1, view_.LargeStep()));
        bar->setSingleStep(std::max(1, view_.SmallStep()));
    }
    RenderImage();
    Redraw();
}

bool TGISPanel::RenderImage() {
    if (!imageDirty_ || raster_.IsEmpty() || !Image.Visible) return false;
    const QSize size = paintBox_->size();
    if (Image.Picture.size() != size) Image.Picture = QImage(size, QImage::Format_RGB32);
    // Each surface pixel shows the raster pixel a click on it picks.
    raster::SourceGrid grid;
    grid.Columns.resize(std::size_t(size.width()) + 1);
    grid.Rows.resize(std::size_t(size.height()) + 1);
    for (int x = 0; x <= size.width(); ++x) grid.Columns[std::size_t(x)] = view_.RasterColumnAt(x);
    for (int y = 0; y <= size.height(); ++y) grid.Rows[std::size_t(y)] = view_.RasterRowAt(y);
    display_.Flush(raster_);
    display_.Render(raster_, grid, Image.Picture, BackgroundColour);
    imageDirty_ = false;
    return true;
}

bool TGISPanel::ShowRaster() {
    if (!RenderImage()) return false;
    Redraw();
    return true;
}

void TGISPanel::Redraw() {
    paintBox_->Canvas().End();
    QImage& surface = paintBox_->Surface();
    if (Image.Visible && Image.Picture.size() == surface.size())
        std::memcpy(surface.bits(), Image.Picture.constBits(), std::size_t(surface.sizeInBytes()));
    else
        surface.fill(BackgroundColour);
    crossX_ = crossY_ = 0; // the fresh surface has no cross-hair
    emit Paint(this);
    paintBox_->Show();
}

// ---- projections ---------------------------------------------------------------------

QPoint TGISPanel::MapToScreen(const drawing::Point3& p, const drawing::Matrix4* m) const {
    const drawing::Point3 q = m ? drawing::TransformPoint(*m, p) : p;
    QPoint out;
    if (view_.MapToScreen(q.x, q.y, out)) return lastMapped_ = out;
    MappingFailed();
    return lastMapped_;
}

QPoint TGISPanel::MapToRaster(const drawing::Point3& p, const drawing::Matrix4*) const {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
        MappingFailed();
        return lastMapped_;
    }
    return lastMapped_ = view_.WorldToRaster(p.x, p.y);
}

// Going back to the previous view while entities are being drawn would repaint in the
// middle of painting; the undo waits for the event loop.
void TGISPanel::MappingFailed() const {
    if (undoPending_) return;
    undoPending_ = true;
    QMetaObject::invokeMethod(
        const_cast<TGISPanel*>(this),
        [this] {
            undoPending_ = false;
            const_cast<TGISPanel*>(this)->UndoView();
        },
        Qt::QueuedConnection);
}

// ---- raster ---------------------------------------------------------------------------

void TGISPanel::LoadRaster(const std::string& fileName) {
    AdoptRaster(raster::OpenBmp(fileName));
    SetExtent(0, 0, 0, raster_.Width(), 0, raster_.Height());
}

void TGISPanel::SaveRaster(const std::string& fileName) {
    platform::SaveBmp(fileName, raster_);
}

void TGISPanel::AdoptRaster(platform::Bitmap24&& bitmap) {
    raster_.Swap(bitmap);
    bitmap = platform::Bitmap24(); // free the old raster before building the display
    raster::ClearMarks(raster_);
    RasterReplaced();
}

void TGISPanel::AdoptRaster(raster::OpenedRaster&& opened) {
    raster_.Swap(opened.raster);
    opened.raster = platform::Bitmap24(); // free the old raster
    display_ = std::move(opened.display);
    workbench_.RasterEdited();
    imageDirty_ = true; // drawn by the view change that follows an open
}

void TGISPanel::ClearMarks() {
    raster::ClearMarks(raster_);
    workbench_.RasterEdited();
}

void TGISPanel::RasterReplaced() {
    workbench_.RasterEdited();
    display_.Rebuild(raster_);
    imageDirty_ = true;
    RenderImage();
}

void TGISPanel::RasterChanged(QRect changed) {
    workbench_.RasterEdited();
    display_.Update(raster_, changed);
    imageDirty_ = true;
}

void TGISPanel::RasterChanged() {
    RasterReplaced();
}

void TGISPanel::PaintRaster(QRect area, const std::function<void(platform::Canvas&)>& paint) {
    const QRect changed = workbench_.PaintRaster(area, paint);
    if (!changed.isEmpty()) RasterChanged(changed);
}

// ---- raster conversion -----------------------------------------------------------------

// The workbench keeps its own account of the marks it writes: only the display follows.
// (RasterChanged would tell it that its marks may be gone, making V read the raster again
// for every outline recorded before.)
void TGISPanel::SyncDisplay() {
    const QRect changed = workbench_.TakeChangedRect();
    if (changed.isEmpty()) return;
    display_.Update(raster_, changed);
    imageDirty_ = true;
}

bool TGISPanel::DetectEdge(int column, int row) {
    const bool recorded = workbench_.DetectEdge(column, row);
    if (!recorded || workbench_.ContourStored() != workbench_.ContourCount()) {
        SyncDisplay();
        return recorded;
    }
    // The new marks lie along the outline, which may span the sheet: the display notes the
    // blocks under it, not its bounding box, and rebuilds them when it is next drawn, once
    // for however many outlines crossed them.
    workbench_.TakeChangedRect();
    display_.NotePixels(raster_, workbench_.ContourData(), workbench_.ContourStored());
    imageDirty_ = true;
    return recorded;
}

void TGISPanel::UndoObject() {
    workbench_.UndoObject();
    SyncDisplay();
}

void TGISPanel::ClearContour() {
    workbench_.ClearContour();
}

void TGISPanel::ThinObjects(const raster::Progress& progress) {
    workbench_.ThinObjects(progress);
    SyncDisplay();
}

void TGISPanel::ShiftOutlines(bool outward, const raster::Progress& progress) {
    workbench_.ShiftOutlines(outward, progress);
    SyncDisplay();
}

void TGISPanel::SaveRasterUndo() {
    workbench_.SaveRasterUndo(view_.SourceRect());
}

void TGISPanel::RestoreRasterUndo() {
    for (const QRect& written : workbench_.RestoreRasterUndo()) RasterChanged(written);
}

platform::Colour TGISPanel::PickColor(int x, int y) const {
    double wx = 0, wy = 0;
    view_.ScreenToWorld({x, y}, wx, wy);
    const QPoint r = view_.WorldToRaster(wx, wy);
    return workbench_.PickColor(r.x(), r.y());
}

void TGISPanel::AnimateOutlines() {
    if (workbench_.ContourCount() == 0 || !view_.ViewReady()) return;
    workbench_.AnimateOutlines(paintBox_->Canvas(), view_, paintBox_->width(), paintBox_->height());
    paintBox_->Show();
}

// ---- mouse ----------------------------------------------------------------------------

void TGISPanel::DrawBand(platform::Colour colour) {
    platform::Canvas& c = paintBox_->Canvas();
    const platform::Pen saved = c.GetPen();
    const platform::Brush savedBrush = c.GetBrush();
    c.SetPen({colour, 1, platform::PenStyle::DashDotDot, platform::PenMode::Not});
    c.BrushRef().Style = platform::BrushStyle::Clear;
    c.Rectangle(std::min(bandX1_, bandX2_), std::min(bandY1_, bandY2_),
                std::max(bandX1_, bandX2_) + 1, std::max(bandY1_, bandY2_) + 1);
    c.SetPen(saved);
    c.SetBrush(savedBrush);
    paintBox_->Show();
}

void TGISPanel::DrawCross() {
    platform::Canvas& c = paintBox_->Canvas();
    const platform::Pen saved = c.GetPen();
    c.SetPen({0xFFFFFF, 1, platform::PenStyle::Solid, platform::PenMode::Xor});
    c.MoveTo(0, crossY_);
    c.LineTo(paintBox_->width(), crossY_);
    c.MoveTo(crossX_, 0);
    c.LineTo(crossX_, paintBox_->height());
    c.SetPen(saved);
    paintBox_->Show();
}

MapMouseEvent TGISPanel::MakeEvent(QPoint at, Qt::MouseButton button, ShiftState shift) const {
    MapMouseEvent e;
    e.Button = button;
    e.Shift = shift;
    e.Screen = at;
    view_.ScreenToWorld(at, e.X, e.Y);
    e.Raster = view_.WorldToRaster(e.X, e.Y);
    e.MouseMode = MouseMode;
    return e;
}

void TGISPanel::PaintBoxMouseDown(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::MiddleButton) { // grab and drag the map, in any mouse mode
        grabbing_ = view_.ViewReady();
        grabAt_ = p;
        return;
    }
    emit MouseDownEvent(MakeEvent(p, e->button(), MakeShiftState(e->modifiers(), e->buttons())));
    if (e->button() != Qt::LeftButton) return;
    dragX_ = p.x();
    dragY_ = p.y();
    bandX1_ = bandX2_ = p.x();
    bandY1_ = bandY2_ = p.y();
    if (MouseMode == mmZoomBox) {
        bandActive_ = true;
        DrawBand(0x0000FF);
    }
}

void TGISPanel::PaintBoxMouseMove(QMouseEvent* e) {
    if (!view_.ViewReady()) return;
    const QPoint p = e->position().toPoint();
    const int x = p.x(), y = p.y();
    const ShiftState shift = MakeShiftState(e->modifiers(), e->buttons());
    if (grabbing_ && (e->buttons() & Qt::MiddleButton)) {
        // The map point under the mouse stays under it.
        const double scale = view_.View().ScaleX;
        view_.Shift((grabAt_.x() - x) / scale, (y - grabAt_.y()) / scale);
        grabAt_ = p;
        UpdateView();
        return;
    }

    if (paintBox_->cursor().shape() == Qt::BlankCursor) {
        if (crossX_ != 0 || crossY_ != 0) DrawCross(); // erase the old pair
        crossX_ = x;
        crossY_ = y;
        DrawCross();
    } else if (crossX_ != 0 || crossY_ != 0) {
        Redraw();
        crossX_ = crossY_ = 0;
    }

    if (shift == ssLeft) {
        if (MouseMode == mmZoomBox) {
            if (bandActive_) {
                DrawBand(0x0000FF);
                bandX2_ = x;
                bandY2_ = y;
                DrawBand(0x0000FF);
            }
            bandX2_ = x;
            bandY2_ = y;
        } else if (MouseMode == mmPan && (std::abs(x - dragX_) >= 3 || std::abs(y - dragY_) >= 3)) {
            const raster::TMapView& h = view_.HomeView();
            const double dx = (x - dragX_) * (h.XMax - h.XMin) * 0.001;
            const double dy = (y - dragY_) * (h.YMax - h.YMin) * 0.001;
            view_.Shift(-dx, dy);
            UpdateView();
            dragX_ = x;
            dragY_ = y;
            return;
        }
    }
    emit MouseMoveEvent(MakeEvent(p, Qt::NoButton, shift));
}

void TGISPanel::PaintBoxMouseUp(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::MiddleButton) {
        grabbing_ = false;
        return;
    }
    if (MouseMode == mmZoomBox && e->button() == Qt::LeftButton && bandActive_) {
        bandActive_ = false;
        DrawBand(0);
        if (std::abs(bandX1_ - bandX2_) > 2 && std::abs(bandY1_ - bandY2_) > 2) {
            double x1, y1, x2, y2;
            view_.ScreenToWorld({std::min(bandX1_, bandX2_), std::min(bandY1_, bandY2_)}, x1, y1);
            view_.ScreenToWorld({std::max(bandX1_, bandX2_), std::max(bandY1_, bandY2_)}, x2, y2);
            ZoomToRect(x1, x2, y2, y1);
        }
    }
    emit MouseUpEvent(MakeEvent(p, e->button(), MakeShiftState(e->modifiers(), e->buttons())));
}

void TGISPanel::PaintBoxDblClick(QMouseEvent*) {
    if (view_.ViewReady()) emit DoubleClicked(this);
}

void TGISPanel::PaintBoxWheel(QWheelEvent* e) {
    // One notch (120 units) zooms as the zoom buttons do; touch pads send parts of notches.
    wheelSteps_ += e->angleDelta().y() / 120.0;
    const double steps = std::trunc(wheelSteps_ * 4) / 4;
    if (steps == 0 || !view_.ViewReady()) return;
    wheelSteps_ -= steps;
    ZoomAt(e->position().toPoint(), std::pow(1.25, -steps));
    e->accept();
}

void TGISPanel::ScrollBarScroll(QScrollBar* bar, int position) {
    if (!view_.ViewReady()) return;
    int& last = bar == hScrollBar_ ? hScrollLast_ : vScrollLast_;
    if (position == last) return;
    const raster::TMapView& h = view_.HomeView();
    const int moved = position - last;
    if (bar == hScrollBar_)
        view_.Shift(moved * (h.XMax - h.XMin) * 0.001, 0);
    else
        view_.Shift(0, -moved * (h.YMax - h.YMin) * 0.001);
    UpdateView();
}

} // namespace canvas
