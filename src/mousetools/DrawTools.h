// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// New entities from the mouse: lines, rectangles, circles, polylines and texts, made with
// the drawing attributes on the layer named there (created on first use), drawn on the
// map's surface at once. Points are map units. Nothing happens without a drawing; each
// returns the new entity, or null when none was made.

#include "mousetools/ToolContext.h"

#include <memory>
#include <span>

namespace mousetools {

class DrawTools {
public:
    explicit DrawTools(ToolContext& context) : c_(context) {}

    drawing::DXF_Entity* AddLine(const drawing::Point3& from, const drawing::Point3& to);
    // Always a polyline of its four corners, closed.
    drawing::DXF_Entity* AddRectangle(const drawing::Point3& corner,
                                      const drawing::Point3& opposite);
    drawing::DXF_Entity* AddCircle(const drawing::Point3& centre, const drawing::Point3& edge);
    // None from an empty stroke.
    drawing::DXF_Entity* AddPolyline(std::span<const drawing::Point3> vertices);
    // TextString at the angle FontAngle, its base line starting at the point.
    drawing::DXF_Entity* AddText(const drawing::Point3& at);

private:
    drawing::DXF_Entity* Add(std::unique_ptr<drawing::DXF_Entity> entity, platform::Colour colour);

    ToolContext& c_;
};

} // namespace mousetools
