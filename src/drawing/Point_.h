// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/DXF_Entity.h"

namespace drawing {

// A point; the classes derived from it reuse Pos as their main point.
class Point_ : public DXF_Entity {
public:
    // Color and FillColor take the palette colour of colorIndex; BrushStyle stays 0.
    Point_(const Point3& axis, const Point3& pos, std::int16_t penWidth, std::uint8_t penStyle,
           std::int32_t colorIndex);

    Point3 Pos;

    EntityKind Kind() const override { return EntityKind::Point; }
    void Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) override;
    void DrawMarkers(platform::Canvas& canvas, const Matrix4* view,
                     const Projection& proj) override;
    void Translate(const Point3& offset) override;
    void RoundCoords(std::uint8_t axes, double factor) override;
    void WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const override;
    bool IsFinite() const override;
    void Describe(std::vector<std::string>& lines) const override;
    void ExtendBounds(Point3& max, Point3& min) const override;
    double PickDistance(const Point3& p) const override;
    void NearestVertex(const Point3& p, Point3& out) const override;
    bool MoveVertex(const Point3& oldPos, const Point3& newPos) override;
    bool MoveBy(double dx, double dy) override;
};

// Rounds the coordinates of p selected by axes (bit 0 x, bit 1 y, bit 2 z).
void RoundSelectedAxes(Point3& p, std::uint8_t axes, double factor);

} // namespace drawing
