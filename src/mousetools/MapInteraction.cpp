// SPDX-License-Identifier: GPL-3.0-or-later
#include "mousetools/MapInteraction.h"

#include "mousetools/ToolGeometry.h"
#include "platform/NumberFormat.h"

#include <algorithm>
#include <cstdlib>

namespace mousetools {

using canvas::MapMouseEvent;
using drawing::Point3;

MapInteraction::MapInteraction(ToolContext& context)
    : c_(context), draw_(context), paint_(context), edits_(context) {}

namespace {

// A band line. A dot would not come off again the same way, so none is drawn.
void Segment(platform::Canvas& c, QPoint from, QPoint to) {
    if (from == to) return;
    c.MoveTo(from.x(), from.y());
    c.LineTo(to.x(), to.y());
}

} // namespace

QPoint MapInteraction::RasterOf(const Point3& p) const {
    return c_.View.WorldToRaster(p.x, p.y);
}

void MapInteraction::Press(const MapMouseEvent& e) {
    const Point3 at{e.X, e.Y, 0};
    if (work_ == wmSelected) {
        if (tool_ == tmEditPoints) {
            if (e.Is(canvas::ssShift | canvas::ssLeft))
                edits_.InsertVertex(at);
            else if (e.Is(canvas::ssCtrl | canvas::ssLeft))
                edits_.DeleteVertex(at);
            c_.View.Redraw();
            // A plain press starts dragging the picked entity's nearest vertex.
            if (e.Is(canvas::ssLeft)) BeginLeftPress(e);
            return;
        }
        if (e.Is(canvas::ssCtrl | canvas::ssLeft)) {
            edits_.DeletePicked();
            return;
        }
    }
    if (e.Is(canvas::ssShift | canvas::ssLeft)) {
        c_.Attributes.ForeColor = c_.View.PickColor(e.Raster);
        c_.Events.ColoursPicked();
        inProgress_ = false;
        return;
    }
    if (e.Is(canvas::ssCtrl | canvas::ssLeft)) {
        c_.Attributes.BackColor = c_.View.PickColor(e.Raster);
        c_.Events.ColoursPicked();
        return;
    }
    edits_.ArmVertexMove(e.Holds(canvas::ssShift));
    if (e.Button != Qt::LeftButton) {
        EndStroke();
        return;
    }
    BeginLeftPress(e);
}

void MapInteraction::BeginLeftPress(const MapMouseEvent& e) {
    const Point3 at{e.X, e.Y, 0};
    anchor_ = current_ = at;
    if (e.MouseMode > 0) { // the canvas pans, zooms or traces; no tool acts
        inProgress_ = false;
        return;
    }
    // The first press of a stroke stores its point twice: as the start and as a vertex.
    if (!inProgress_) stroke_.Start(at, e.Raster);
    inProgress_ = true;
    switch (tool_) {
    case tmNone:
    case tmPick:
        inProgress_ = false;
        break;
    case tmPolyline:
        stroke_.Append(at, e.Raster);
        break;
    case tmEraser: // erases at once
        DrawBand(false);
        c_.View.ShowSurface();
        break;
    default:
        if (tool_ > tmFillBox) inProgress_ = false;
        break;
    }
}

// A press of another button than the left ends the polyline under way. Every left press
// starts a stroke of one point when none is under way; a polyline has at least two (its
// first point twice), so a lone point is what another tool left and makes nothing.
void MapInteraction::EndStroke() {
    if (tool_ == tmPolyline && stroke_.Count() >= 2) {
        if (!IntoRaster()) {
            if (inProgress_) DrawBand(true);
            draw_.AddPolyline(stroke_.Vertices());
        } else {
            paint_.Polyline(stroke_.Pixels());
            c_.View.Refresh();
        }
    }
    ResetStroke();
}

void MapInteraction::ResetStroke() {
    textBox_ = {};
    stroke_.Clear();
    anchor_ = current_ = {};
    inProgress_ = false;
}

void MapInteraction::Cancel() {
    const bool drawn = inProgress_ || stroke_.Count() > 0;
    ResetStroke();
    if (drawn) c_.View.Refresh(); // bands and stroke previews go with a new surface
}

void MapInteraction::Move(const MapMouseEvent& e) {
    if (e.MouseMode > 0 || !inProgress_) return;
    DrawBand(true);
    const Point3 now{e.X, e.Y, 0};
    if (e.Is(canvas::ssLeft)) edits_.DragStep(tool_, work_, current_, now);
    current_ = now;
    DrawBand(false);
    c_.View.ShowSurface();
}

void MapInteraction::Release(const MapMouseEvent& e) {
    edits_.FinishVertexMove(e.X, e.Y);
    if (e.Button == Qt::LeftButton) {
        if (e.MouseMode > 0 || !inProgress_) return;
        ReleaseTool(e);
    } else if (e.Button == Qt::RightButton && selectTool_) {
        edits_.EditProperties(work_);
    }
}

void MapInteraction::ReleaseTool(const MapMouseEvent& e) {
    const Point3 at{e.X, e.Y, 0};
    switch (tool_) {
    case tmEditPoints:
    case tmScale:
    case tmMove:
    case tmRotate:
        // Stays under way until the next press; moves edit only while the left is held.
        current_ = at;
        c_.View.Redraw();
        break;
    case tmLine:
    case tmCircle:
        if (!IntoRaster()) {
            DrawBand(true);
            current_ = at;
            if (tool_ == tmLine)
                draw_.AddLine(anchor_, current_);
            else
                draw_.AddCircle(anchor_, current_);
        } else {
            current_ = at;
            if (tool_ == tmLine)
                paint_.Line(RasterOf(anchor_), RasterOf(current_));
            else
                paint_.Circle(RasterOf(anchor_), RasterOf(current_));
            c_.View.Refresh();
        }
        inProgress_ = false;
        break;
    case tmRectangle: // an entity whatever the group
        DrawBand(true);
        current_ = at;
        draw_.AddRectangle(anchor_, current_);
        inProgress_ = false;
        break;
    case tmPolyline:
        current_ = anchor_ = at;
        stroke_.Append(at, e.Raster);
        break;
    case tmText:
        DrawBand(true);
        current_ = at;
        ReleaseText();
        break;
    case tmPencil:
    case tmEraser:
        current_ = at;
        c_.View.Refresh();
        anchor_ = current_ = {};
        inProgress_ = false;
        break;
    case tmFillBox:
        current_ = at;
        paint_.FillBox(RasterOf(anchor_), RasterOf(current_));
        c_.View.Refresh();
        anchor_ = current_;
        inProgress_ = false;
        break;
    default:
        break;
    }
}

void MapInteraction::ReleaseText() {
    DrawingAttributes& a = c_.Attributes;
    if (work_ == wmConvert) // "Pick up text": the raster text under the box goes
        paint_.EraseTextBox(RasterOf(anchor_), RasterOf(current_),
                            platform::RoundClamped(a.BoxSize / c_.View.ViewScale()));
    if (!a.TextString.empty()) {
        textBox_ = TextBoxCorners(c_.View.WorldToScreen(anchor_.x, anchor_.y),
                                  c_.View.WorldToScreen(current_.x, current_.y), a.BoxSize);
        const QPoint along = textBox_[1] - textBox_[0];
        a.FontAngle = platform::RoundClamped(ScreenAngle(along.x(), along.y()) * 10);
        draw_.AddText(anchor_);
    }
    c_.View.Refresh();
    inProgress_ = false;
}

void MapInteraction::DrawBand(bool takingOff) {
    const DrawingAttributes& a = c_.Attributes;
    platform::Canvas& c = c_.View.Surface();
    const platform::Pen pen = c.GetPen();
    const platform::Brush brush = c.GetBrush();
    c.SetPen(
        {a.ForeColor, a.LineWidth, platform::PenStyle(a.LineStyle), platform::PenMode::NotXor});
    c.SetBrush({a.BackColor, platform::BrushStyle::Clear});
    const QPoint s1 = c_.View.WorldToScreen(anchor_.x, anchor_.y);
    const QPoint s2 = c_.View.WorldToScreen(current_.x, current_.y);
    switch (tool_) {
    case tmLine:
    case tmPolyline:
        Segment(c, s1, s2);
        break;
    case tmRectangle:
    case tmFillBox: {
        int x1 = s1.x(), y1 = s1.y(), x2 = s2.x(), y2 = s2.y();
        // The larger coordinate of each axis grows by one, so that both corners show.
        if (x1 > x2)
            ++x1;
        else
            ++x2;
        if (y1 > y2)
            ++y1;
        else
            ++y2;
        if (tool_ == tmRectangle)
            c.Rectangle(x1, y1 - 1, x2, y2 + 1);
        else
            c.Rectangle(x1, y1, x2, y2);
        break;
    }
    case tmCircle: {
        const int r = std::max(std::abs(s2.x() - s1.x()), std::abs(s2.y() - s1.y()));
        c.Ellipse(s1.x() - r, s1.y() - r, s1.x() + r, s1.y() + r);
        break;
    }
    case tmText:
        textBox_ = TextBoxCorners(s1, s2, a.BoxSize);
        c.PenRef().Width = 1;
        c.Polygon(textBox_.data(), int(textBox_.size()));
        break;
    case tmPencil:
        Segment(c, s1, s2);
        if (!takingOff) paint_.Line(RasterOf(anchor_), RasterOf(current_));
        anchor_ = current_;
        break;
    case tmEraser: {
        // The square lies above and to the left of the mouse.
        const int side = a.BoxSize;
        c.BrushRef().Style = platform::BrushStyle::Solid;
        c.Rectangle(s2.x(), s2.y(), s2.x() - side, s2.y() - side);
        c.FillRect(QRect(QPoint(s2.x() - side, s2.y() - side), QPoint(s2.x() - 1, s2.y() - 1)));
        if (!takingOff)
            paint_.EraseSquare(RasterOf(current_),
                               platform::RoundClamped(side / c_.View.ViewScale()));
        break;
    }
    default:
        break;
    }
    c.SetPen(pen);
    c.SetBrush(brush);
}

} // namespace mousetools
