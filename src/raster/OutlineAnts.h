// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The outline animation's dashes over one view: which surface pixels the outlines cover,
// and the colour each gets at each tick.
//
// A tick draws the outlines' points one after another, each in the colour that its count
// among the points drawn so far and the tick's phase give, a later point over an earlier
// one. At a view of a whole dense sheet that is tens of millions of points on a surface of
// a million or two pixels. The pixels and the count of the last point drawn at each stay the
// same from tick to tick while the view and the outlines do, so they are found once, and a
// tick sets each covered pixel once: the surface ends as the point by point drawing leaves it.
//
// Cost: making the layer, O(points); a tick, O(covered pixels). Memory: 12 bytes a covered
// pixel, and 4 bytes a surface pixel while the layer is made.

#include "platform/Canvas.h"
#include "platform/Colour.h"
#include "raster/MapView.h"

#include <QPoint>
#include <cstdint>
#include <vector>

namespace raster {

class OutlineAnts {
public:
    static constexpr int Phases = 5;

    // Forgets the layer: the outlines changed.
    void Forget() { made_ = false; }
    // Makes the layer for the view and the surface size unless it has it. forEachPoint(visit)
    // hands every outline point (raster pixels) to visit, in drawing order; the points drawn
    // are those whose MapToScreen lies strictly inside (0, 0)–(width, height).
    template <class ForEachPoint>
    void Prepare(const ViewTransform& view, int width, int height, ForEachPoint&& forEachPoint);
    // Draws the dashes of the phase.
    void Draw(platform::Canvas& surface, int phase) const;

private:
    bool made_ = false;
    TMapView view_, home_;
    int width_ = 0, height_ = 0;
    std::vector<QPoint> pixels_;      // the covered pixels
    std::vector<std::uint32_t> last_; // the count of the last point drawn at each
};

template <class ForEachPoint>
void OutlineAnts::Prepare(const ViewTransform& view, int width, int height,
                          ForEachPoint&& forEachPoint) {
    if (made_ && view.View() == view_ && view.HomeView() == home_ && width == width_ &&
        height == height_)
        return;
    made_ = true;
    view_ = view.View();
    home_ = view.HomeView();
    width_ = width;
    height_ = height;
    pixels_.clear();
    last_.clear();
    if (width <= 1 || height <= 1) return;
    // Which covered pixel each surface pixel is, +1 (0: none yet).
    std::vector<std::uint32_t> slot(std::size_t(width) * std::size_t(height), 0);
    std::uint32_t count = 0;
    forEachPoint([&](QPoint p) {
        QPoint s;
        if (!view.MapToScreen(p.x(), home_.YMax - p.y() + home_.YMin, s)) return;
        if (s.x() <= 0 || s.x() >= width || s.y() <= 0 || s.y() >= height) return;
        std::uint32_t& at = slot[std::size_t(s.y()) * std::size_t(width) + std::size_t(s.x())];
        if (at == 0) {
            pixels_.push_back(s);
            last_.push_back(count);
            at = std::uint32_t(pixels_.size());
        } else {
            last_[at - 1] = count;
        }
        ++count;
    });
}

} // namespace raster
