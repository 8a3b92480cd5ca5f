// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the mouse tools need of the map canvas: its conversions, its paint surface for
// rubber bands and entities drawn at once, and its raster, which they write only through
// PaintRaster. PanelView implements it over the real canvas.

#include "drawing/Projection.h"
#include "platform/Canvas.h"
#include "platform/Colour.h"

#include <QPoint>
#include <QRect>
#include <functional>

namespace mousetools {

class MapView {
public:
    virtual ~MapView() = default;

    virtual QPoint WorldToScreen(double x, double y) const = 0;
    virtual QPoint WorldToRaster(double x, double y) const = 0;
    virtual double ViewScale() const = 0; // surface pixels per map unit

    // The paint surface and the projection of map points onto it.
    virtual platform::Canvas& Surface() = 0;
    virtual const drawing::Projection& ScreenProjection() const = 0;
    // Puts what was drawn on the surface on the screen.
    virtual void ShowSurface() = 0;
    // A new surface: the raster as shown plus the vectors.
    virtual void Redraw() = 0;
    // The raster's changes into the image layer, then a new surface.
    virtual void Refresh() = 0;

    // Paints on the raster: paint touches no pixel outside area (raster pixels).
    virtual void PaintRaster(QRect area, const std::function<void(platform::Canvas&)>& paint) = 0;
    // Averaged colour around a raster pixel, mark bits clear.
    virtual platform::Colour PickColor(QPoint rasterPixel) const = 0;
};

} // namespace mousetools
