// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Painting into the raster with the mouse: pencil strokes and raster lines, circles and
// polylines in the pen (ForeColor, LineWidth, LineStyle); the eraser's square, the fill
// box and the text pick-up's box in the background colour BackColor. All points are
// raster pixels. Every write goes through MapView::PaintRaster with the area it may
// touch, so the undo copy knows it beforehand; the owner hears RasterPainted. The image
// on screen follows at the owner's next refresh.

#include "mousetools/ToolContext.h"

#include <QPoint>
#include <span>

namespace mousetools {

class RasterPaintTools {
public:
    explicit RasterPaintTools(ToolContext& context) : c_(context) {}

    // From one pixel up to the other, which is left for the next segment.
    void Line(QPoint from, QPoint to);
    // The outline of the circle about centre through the larger of the two offsets.
    void Circle(QPoint centre, QPoint edge);
    void Polyline(std::span<const QPoint> points);
    // The square of side pixels above and to the left of corner.
    void EraseSquare(QPoint corner, int side);
    // The rectangle between two corners, filled; as rectangles are drawn, the column and
    // row of the right and bottom corner stay out.
    void FillBox(QPoint corner, QPoint opposite);
    // The box of a text standing on the base line from–to (see TextBoxCorners).
    void EraseTextBox(QPoint from, QPoint to, int height);

private:
    void Paint(QRect area, const std::function<void(platform::Canvas&)>& paint);
    platform::Pen InkPen() const;
    platform::Pen ErasePen() const;

    ToolContext& c_;
};

} // namespace mousetools
