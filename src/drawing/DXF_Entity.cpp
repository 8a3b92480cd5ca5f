// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/DXF_Entity.h"

#include "drawing/Palette.h"

#include <cmath>

namespace drawing {

const char* ClassNameOf(EntityKind kind) {
    switch (kind) {
    case EntityKind::Point:
        return "Point_";
    case EntityKind::Text:
        return "Text_";
    case EntityKind::Line:
        return "Line_";
    case EntityKind::Circle:
        return "Circle_";
    case EntityKind::Arc:
        return "Arc_";
    case EntityKind::Polyline:
        return "Polyline_";
    }
    return "";
}

platform::Colour PaletteColour(std::int32_t index) {
    const int reduced = ((index % PaletteSize) + PaletteSize) % PaletteSize;
    return Palette[std::size_t(reduced)];
}

void DXF_Entity::SetOCSAxis(const Point3& axis) {
    OCSAxis = axis;
    if (PointsEqual(axis, WorldZAxis)) {
        OCSMatrix.reset();
        return;
    }
    constexpr double arbitraryBound = 1.0 / 64;
    const Point3 w = (std::fabs(axis.x) >= arbitraryBound || std::fabs(axis.y) >= arbitraryBound)
                         ? WorldZAxis
                         : WorldYAxis;
    const Point3 ax = VecNormalize(VecCross(w, axis));
    const Point3 ay = VecNormalize(VecCross(axis, ax));
    auto m = std::make_unique<Matrix4>(IdentityMatrix);
    const Point3 rows[3] = {ax, ay, axis};
    for (int i = 0; i < 3; ++i) {
        m->m[i][0] = rows[i].x;
        m->m[i][1] = rows[i].y;
        m->m[i][2] = rows[i].z;
    }
    OCSMatrix = std::move(m);
}

void DXF_Entity::SetColorIndex(std::int32_t index) {
    ColorIndex = index;
    Color = PaletteColour(index);
}

void DXF_Entity::SetColor(platform::Colour rgb) {
    ColorIndex = 0;
    for (int i = 0; i < PaletteSize; ++i)
        if (Palette[std::size_t(i)] == rgb) ColorIndex = i;
    Color = rgb;
}

void DXF_Entity::DescribeAxis(std::vector<std::string>& lines) const {
    lines.push_back(OCSMatrix ? "OCS Axis " + FormatPoint(OCSAxis) : "WCS");
}

} // namespace drawing
