// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Traced polylines into the drawing, and out of it again in one step.
//
// Raster pixels become map points as everywhere else: x is the column, y counts up from
// the bottom, mirrored about the middle of the map's y range: y = flipY − row, where flipY
// is the sum of the map extent's lowest and highest y (the raster's height when the map
// is the raster).

#include "drawing/DXF_Object.h"
#include "platform/Colour.h"
#include "raster/LinePlane.h"

#include <cstdint>
#include <string>
#include <vector>

namespace raster {

struct PolylineLook {
    platform::Colour colour = 0;
    std::int16_t width = 1;
    std::uint8_t penStyle = 0;   // solid
    std::uint8_t brushStyle = 1; // clear: closed ones are not filled
    platform::Colour fill = 0xFEFEFE;
};

// What one AddTracedPolylines added, to take it out again.
struct TracedAddition {
    std::string layer;
    bool layerCreated = false;
    std::size_t before = 0; // polylines the layer had
    std::vector<const drawing::DXF_Entity*> added;
};

// Adds each polyline of at least two points to the layer (created when missing).
TracedAddition AddTracedPolylines(drawing::DXF_Object& drawing, const std::string& layer,
                                  const std::vector<TracedPolyline>& polylines, double flipY,
                                  const PolylineLook& look);

// Takes the polylines of an addition out of the drawing again, and the layer when it made
// it and nothing else was put there. False (nothing changed) when the layer no longer ends
// with exactly those polylines. Lists and layers freed here must be forgotten by whoever
// refers to them (the selection).
bool RemoveTracedPolylines(drawing::DXF_Object& drawing, const TracedAddition& addition);

} // namespace raster
