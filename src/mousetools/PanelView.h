// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mousetools/MapView.h"

namespace canvas {
class TGISPanel;
}

namespace mousetools {

// The mouse tools' view of the real map canvas.
class PanelView final : public MapView {
public:
    explicit PanelView(canvas::TGISPanel& panel) : panel_(panel) {}

    QPoint WorldToScreen(double x, double y) const override;
    QPoint WorldToRaster(double x, double y) const override;
    double ViewScale() const override;
    platform::Canvas& Surface() override;
    const drawing::Projection& ScreenProjection() const override;
    void ShowSurface() override;
    void Redraw() override;
    void Refresh() override;
    void PaintRaster(QRect area, const std::function<void(platform::Canvas&)>& paint) override;
    platform::Colour PickColor(QPoint rasterPixel) const override;

private:
    canvas::TGISPanel& panel_;
};

} // namespace mousetools
