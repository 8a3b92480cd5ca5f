// SPDX-License-Identifier: GPL-3.0-or-later
#include "mousetools/RasterPaintTools.h"

#include "mousetools/ToolGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace mousetools {

namespace {

// Sizes from the screen divided by a tiny zoom can be anything; none needs to be larger
// than the largest raster.
constexpr int LargestSide = 1 << 20;

} // namespace

platform::Pen RasterPaintTools::InkPen() const {
    const DrawingAttributes& a = c_.Attributes;
    return {a.ForeColor, a.LineWidth, platform::PenStyle(a.LineStyle), platform::PenMode::Copy};
}

platform::Pen RasterPaintTools::ErasePen() const {
    platform::Pen pen = InkPen();
    pen.Color = c_.Attributes.BackColor;
    return pen;
}

void RasterPaintTools::Paint(QRect area, const std::function<void(platform::Canvas&)>& paint) {
    c_.View.PaintRaster(area, paint);
    c_.Events.RasterPainted();
}

void RasterPaintTools::Line(QPoint from, QPoint to) {
    if (from == to) return; // the end pixel is never painted, so a dot paints nothing
    const QPoint ends[] = {from, to};
    Paint(PaintArea(ends, c_.Attributes.LineWidth), [&](platform::Canvas& c) {
        c.SetPen(InkPen());
        c.MoveTo(from.x(), from.y());
        c.LineTo(to.x(), to.y());
    });
}

void RasterPaintTools::Circle(QPoint centre, QPoint edge) {
    const int r = std::max(std::abs(edge.x() - centre.x()), std::abs(edge.y() - centre.y()));
    const QPoint box[] = {centre - QPoint(r, r), centre + QPoint(r, r)};
    Paint(PaintArea(box, c_.Attributes.LineWidth), [&](platform::Canvas& c) {
        c.SetPen(InkPen());
        // An outline, as the rubber band showed it: a fill would wipe the line work inside.
        c.SetBrush({c_.Attributes.BackColor, platform::BrushStyle::Clear});
        c.Ellipse(box[0].x(), box[0].y(), box[1].x(), box[1].y());
    });
}

void RasterPaintTools::Polyline(std::span<const QPoint> points) {
    if (points.size() < 2) return;
    Paint(PaintArea(points, c_.Attributes.LineWidth), [&](platform::Canvas& c) {
        c.SetPen(InkPen());
        c.SetBrush({c_.Attributes.BackColor, platform::BrushStyle::Solid});
        c.Polyline(points.data(), int(points.size()));
    });
}

void RasterPaintTools::EraseSquare(QPoint corner, int side) {
    side = std::clamp(side, 0, LargestSide);
    const QPoint box[] = {corner, corner - QPoint(side, side)};
    Paint(PaintArea(box, c_.Attributes.LineWidth), [&](platform::Canvas& c) {
        c.SetPen(ErasePen());
        c.SetBrush({c_.Attributes.BackColor, platform::BrushStyle::Solid});
        c.Rectangle(corner.x(), corner.y(), corner.x() - side, corner.y() - side);
    });
}

void RasterPaintTools::FillBox(QPoint corner, QPoint opposite) {
    const QPoint box[] = {corner, opposite};
    Paint(PaintArea(box, c_.Attributes.LineWidth), [&](platform::Canvas& c) {
        c.SetPen(ErasePen());
        c.SetBrush({c_.Attributes.BackColor, platform::BrushStyle::Solid});
        c.Rectangle(corner.x(), corner.y(), opposite.x(), opposite.y());
    });
}

void RasterPaintTools::EraseTextBox(QPoint from, QPoint to, int height) {
    const std::array<QPoint, 5> corners =
        TextBoxCorners(from, to, std::clamp(height, 0, LargestSide));
    Paint(PaintArea(corners, 1), [&](platform::Canvas& c) {
        platform::Pen pen = ErasePen();
        pen.Width = 1;
        c.SetPen(pen);
        c.SetBrush({c_.Attributes.BackColor, platform::BrushStyle::Solid});
        c.Polygon(corners.data(), int(corners.size()));
    });
}

} // namespace mousetools
