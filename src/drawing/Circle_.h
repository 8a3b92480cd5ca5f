// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/Point_.h"

namespace drawing {

// A circle of Radius map units about Pos.
class Circle_ : public Point_ {
public:
    // FillColor is fillColor, not the palette colour.
    Circle_(const Point3& axis, const Point3& centre, double radius, std::int16_t penWidth,
            std::uint8_t penStyle, std::uint8_t brushStyle, platform::Colour fillColor,
            std::int32_t colorIndex);

    double Radius = 0;

    EntityKind Kind() const override { return EntityKind::Circle; }
    void Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) override;
    void WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const override;
    bool IsFinite() const override;
    void Describe(std::vector<std::string>& lines) const override;
    void ExtendBounds(Point3& max, Point3& min) const override;
    // |Radius^2 - d^2|: 0 on the circle, Radius^2 at the centre.
    double PickDistance(const Point3& p) const override;
    bool Encloses(const Point3& p) const override;
    bool MoveBy(double dx, double dy) override;
    // Scales the centre; the radius by sy.
    bool ScaleAbout(const Point3& centre, double sx, double sy) override;
    // Turns only the centre.
    bool RotateAbout(const Point3& centre, double angle) override;
};

// An arc of a circle from Angle1 to Angle2 counter-clockwise (radians).
class Arc_ : public Circle_ {
public:
    // The angles are given in degrees and stored in radians.
    Arc_(const Point3& axis, const Point3& centre, double radius, double angle1Degrees,
         double angle2Degrees, std::int16_t penWidth, std::uint8_t penStyle,
         std::uint8_t brushStyle, platform::Colour fillColor, std::int32_t colorIndex);

    double Angle1 = 0, Angle2 = 0; // radians

    EntityKind Kind() const override { return EntityKind::Arc; }
    void Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) override;
    void WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const override;
    bool IsFinite() const override;
    void Describe(std::vector<std::string>& lines) const override;
    // End points and the axis directions the arc passes (z of all of them 0).
    void ExtendBounds(Point3& max, Point3& min) const override;
    bool Encloses(const Point3&) const override { return false; }
};

} // namespace drawing
