// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/DXF_Entity.h"

#include <span>

namespace drawing {

// An open polyline, or a polygon when Closed (the first vertex is not repeated at the end).
class Polyline_ : public DXF_Entity {
public:
    // Copies the points. When closed is false and the first point equals the last, the
    // polyline becomes closed without its repeated last point (a single point therefore
    // gives a closed polyline of no vertices).
    Polyline_(const Point3& axis, std::span<const Point3> points, std::int16_t penWidth,
              std::uint8_t penStyle, std::uint8_t brushStyle, platform::Colour fillColor,
              std::int32_t colorIndex, bool closed);
    // The same, taking the vertices over.
    Polyline_(const Point3& axis, std::vector<Point3>&& points, std::int16_t penWidth,
              std::uint8_t penStyle, std::uint8_t brushStyle, platform::Colour fillColor,
              std::int32_t colorIndex, bool closed);

    bool Closed = false;
    std::vector<Point3> Vertices;

    std::int32_t Count() const { return std::int32_t(Vertices.size()); }

    EntityKind Kind() const override { return EntityKind::Polyline; }
    void Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) override;
    void DrawMarkers(platform::Canvas& canvas, const Matrix4* view,
                     const Projection& proj) override;
    void Translate(const Point3& offset) override;
    void RoundCoords(std::uint8_t axes, double factor) override;
    std::int32_t VertexCount() const override { return Count(); }
    std::int32_t LineCount() const override { return Count(); }
    std::int32_t OpenPolyCount() const override { return Closed ? 0 : 1; }
    std::int32_t ClosedPolyCount() const override { return Closed ? 1 : 0; }
    void WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const override;
    bool IsFinite() const override;
    void Describe(std::vector<std::string>& lines) const override;
    void ExtendBounds(Point3& max, Point3& min) const override;
    // The smallest positive segment distance, 1e10 when none; the closing segment of a
    // polygon is not examined.
    double PickDistance(const Point3& p) const override;
    // Ties keep the lower index; out stays untouched when no vertex is within 1e10.
    void NearestVertex(const Point3& p, Point3& out) const override;
    // Even-odd rule; false unless Closed.
    bool Encloses(const Point3& p) const override;
    bool MoveVertex(const Point3& oldPos, const Point3& newPos) override;
    bool MoveBy(double dx, double dy) override;
    bool ScaleAbout(const Point3& centre, double sx, double sy) override;
    bool RotateAbout(const Point3& centre, double angle) override;

private:
    void Init(const Point3& axis, std::int16_t penWidth, std::uint8_t penStyle,
              std::uint8_t brushStyle, platform::Colour fillColor, bool closed);
};

} // namespace drawing
