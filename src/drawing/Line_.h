// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/Point_.h"

namespace drawing {

// A line segment from Pos to EndPos, always in world coordinates.
class Line_ : public Point_ {
public:
    Line_(const Point3& start, const Point3& end, std::int16_t penWidth, std::uint8_t penStyle,
          std::int32_t colorIndex);

    Point3 EndPos;

    EntityKind Kind() const override { return EntityKind::Line; }
    void Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) override;
    void DrawMarkers(platform::Canvas& canvas, const Matrix4* view,
                     const Projection& proj) override;
    void Translate(const Point3& offset) override;
    void RoundCoords(std::uint8_t axes, double factor) override;
    std::int32_t VertexCount() const override { return 2; }
    std::int32_t LineCount() const override { return 1; }
    void WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const override;
    bool IsFinite() const override;
    void Describe(std::vector<std::string>& lines) const override;
    void ExtendBounds(Point3& max, Point3& min) const override;
    double PickDistance(const Point3& p) const override {
        return SegmentDistanceSquared(p, Pos, EndPos);
    }
    // The nearer end; a tie gives EndPos.
    void NearestVertex(const Point3& p, Point3& out) const override;
    bool MoveVertex(const Point3& oldPos, const Point3& newPos) override;
    bool MoveBy(double dx, double dy) override;
    bool ScaleAbout(const Point3& centre, double sx, double sy) override;
    bool RotateAbout(const Point3& centre, double angle) override;
};

// The shared point transforms of the group edits (z is left alone).
void ScalePointAbout(Point3& p, const Point3& centre, double sx, double sy);
void RotatePointAbout(Point3& p, const Point3& centre, double cosA, double sinA);

} // namespace drawing
