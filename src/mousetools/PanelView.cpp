// SPDX-License-Identifier: GPL-3.0-or-later
#include "mousetools/PanelView.h"

#include "canvas/TGISPanel.h"

namespace mousetools {

QPoint PanelView::WorldToScreen(double x, double y) const {
    return panel_.WorldToScreen(x, y);
}

QPoint PanelView::WorldToRaster(double x, double y) const {
    return panel_.WorldToRaster(x, y);
}

double PanelView::ViewScale() const {
    return panel_.ViewScale();
}

platform::Canvas& PanelView::Surface() {
    return panel_.PaintBox()->Canvas();
}

const drawing::Projection& PanelView::ScreenProjection() const {
    return panel_.ScreenProjection();
}

void PanelView::ShowSurface() {
    panel_.PaintBox()->Show();
}

void PanelView::Redraw() {
    panel_.Redraw();
}

void PanelView::Refresh() {
    if (!panel_.ShowRaster()) panel_.Redraw();
}

void PanelView::PaintRaster(QRect area, const std::function<void(platform::Canvas&)>& paint) {
    panel_.PaintRaster(area, paint);
}

platform::Colour PanelView::PickColor(QPoint rasterPixel) const {
    return panel_.Workbench().PickColor(rasterPixel.x(), rasterPixel.y());
}

} // namespace mousetools
