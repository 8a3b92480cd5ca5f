// SPDX-License-Identifier: GPL-3.0-or-later
#include "mousetools/DrawTools.h"

#include "drawing/Circle_.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/Text_.h"
#include "mousetools/ToolGeometry.h"

namespace mousetools {

using drawing::Point3;

namespace {

// The z of every point made with the mouse.
Point3 Flat(const Point3& p) {
    return {p.x, p.y, 0};
}

} // namespace

drawing::DXF_Entity* DrawTools::AddLine(const Point3& from, const Point3& to) {
    const DrawingAttributes& a = c_.Attributes;
    return Add(std::make_unique<drawing::Line_>(Flat(from), Flat(to), std::int16_t(a.LineWidth),
                                                a.LineStyle, 0),
               a.ForeColor);
}

drawing::DXF_Entity* DrawTools::AddRectangle(const Point3& corner, const Point3& opposite) {
    const Point3 p1 = Flat(corner), p2 = Flat(opposite);
    // Ending where it starts, the polyline closes itself on its four corners unless it is
    // made closed (ClosePolylines), when it keeps all five.
    const Point3 corners[5] = {p1, {p1.x, p2.y, 0}, p2, {p2.x, p1.y, 0}, p1};
    return AddPolyline(corners);
}

drawing::DXF_Entity* DrawTools::AddCircle(const Point3& centre, const Point3& edge) {
    const DrawingAttributes& a = c_.Attributes;
    return Add(std::make_unique<drawing::Circle_>(
                   drawing::WorldZAxis, Flat(centre), CircleRadius(centre, edge),
                   std::int16_t(a.LineWidth), a.LineStyle, a.BrushStyle, a.BackColor, 0),
               a.ForeColor);
}

drawing::DXF_Entity* DrawTools::AddPolyline(std::span<const Point3> vertices) {
    if (vertices.empty()) return nullptr;
    const DrawingAttributes& a = c_.Attributes;
    return Add(std::make_unique<drawing::Polyline_>(
                   drawing::WorldZAxis, vertices, std::int16_t(a.LineWidth), a.LineStyle,
                   a.BrushStyle, a.BackColor, 0, a.ClosePolylines != 0),
               a.ForeColor);
}

drawing::DXF_Entity* DrawTools::AddText(const Point3& at) {
    const DrawingAttributes& a = c_.Attributes;
    return Add(std::make_unique<drawing::Text_>(drawing::WorldZAxis, Flat(at), a.TextString,
                                                a.FontName, a.FontSize, a.FontAngle, a.FontStyle, 0,
                                                0),
               a.FontColor);
}

drawing::DXF_Entity* DrawTools::Add(std::unique_ptr<drawing::DXF_Entity> entity,
                                    platform::Colour colour) {
    if (c_.Drawing == nullptr) return nullptr;
    const std::string& layer = c_.Attributes.LayerName;
    c_.Drawing->CreateLayer(layer, true);
    entity->SetColor(colour);
    drawing::DXF_Entity* added = entity.get();
    std::unique_ptr<drawing::DXF_Entity> owned = std::move(entity);
    c_.Drawing->AddEntityToLayer(std::move(owned), layer);

    platform::Canvas& surface = c_.View.Surface();
    const platform::PenMode mode = surface.GetPen().Mode;
    surface.PenRef().Mode = platform::PenMode::Copy;
    added->Draw(surface, nullptr, c_.View.ScreenProjection());
    surface.PenRef().Mode = mode;
    c_.View.ShowSurface();
    c_.Events.EntityAdded();
    return added;
}

} // namespace mousetools
