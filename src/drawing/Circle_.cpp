// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Circle_.h"

#include "drawing/Line_.h"

#include <cmath>
#include <numbers>

namespace drawing {

Circle_::Circle_(const Point3& axis, const Point3& centre, double radius, std::int16_t penWidth,
                 std::uint8_t penStyle, std::uint8_t brushStyle, platform::Colour fillColor,
                 std::int32_t colorIndex)
    : Point_(axis, centre, penWidth, penStyle, colorIndex), Radius(radius) {
    BrushStyle = brushStyle;
    FillColor = fillColor;
}

void Circle_::Describe(std::vector<std::string>& lines) const {
    Point_::Describe(lines);
    lines.push_back("Radius = " + FormatReal(Radius));
}

void Circle_::ExtendBounds(Point3& max, Point3& min) const {
    MaxInto(max, VecAdd(Pos, {Radius, Radius, 0}));
    MinInto(min, VecSub(Pos, {Radius, Radius, 0}));
}

double Circle_::PickDistance(const Point3& p) const {
    return std::fabs(Radius * Radius - Distance2DSquared(p, Pos));
}

bool Circle_::Encloses(const Point3& p) const {
    return Distance2D(p, Pos) <= Radius;
}

bool Circle_::MoveBy(double dx, double dy) {
    return Point_::MoveBy(dx, dy);
}

bool Circle_::ScaleAbout(const Point3& centre, double sx, double sy) {
    ScalePointAbout(Pos, centre, sx, sy);
    Radius *= sy;
    return true;
}

bool Circle_::RotateAbout(const Point3& centre, double angle) {
    RotatePointAbout(Pos, centre, std::cos(angle), std::sin(angle));
    return true;
}

Arc_::Arc_(const Point3& axis, const Point3& centre, double radius, double angle1Degrees,
           double angle2Degrees, std::int16_t penWidth, std::uint8_t penStyle,
           std::uint8_t brushStyle, platform::Colour fillColor, std::int32_t colorIndex)
    : Circle_(axis, centre, radius, penWidth, penStyle, brushStyle, fillColor, colorIndex),
      Angle1(angle1Degrees * std::numbers::pi / 180),
      Angle2(angle2Degrees * std::numbers::pi / 180) {}

void Arc_::Describe(std::vector<std::string>& lines) const {
    Circle_::Describe(lines);
    lines.push_back("Angle 1 = " + FormatReal(Angle1));
    lines.push_back("Angle 2 = " + FormatReal(Angle2));
}

namespace {

// A radian angle in degrees reduced into [0, 360), so that the quadrant walk ends; -1 for
// NaN and infinities.
double ReducedDegrees(double radians) {
    double degrees = radians * 180 / std::numbers::pi;
    if (!std::isfinite(degrees)) return -1;
    if (degrees < 0 || degrees >= 360) {
        degrees = std::fmod(degrees, 360.0);
        if (degrees < 0) degrees += 360;
        if (degrees >= 360) degrees = 0;
    }
    return degrees;
}

} // namespace

void Arc_::ExtendBounds(Point3& max, Point3& min) const {
    const auto merge = [&](double radians) {
        const Point3 p{Pos.x + Radius * std::cos(radians), Pos.y + Radius * std::sin(radians), 0};
        MaxInto(max, p);
        MinInto(min, p);
    };
    merge(Angle1);
    merge(Angle2);
    const double start = ReducedDegrees(Angle1), end = ReducedDegrees(Angle2);
    if (start < 0 || end < 0) return;
    // Visit the axis directions after the start up to the end's quadrant, counter-clockwise.
    const int stop = (int(end) + 89) / 90 * 90 % 360;
    int q = (int(start) + 90) / 90 * 90 % 360;
    // Start and end in one quadrant with the end behind the start: the arc goes all the way
    // round and passes every axis direction.
    bool wholeTurn = q == stop && end < start;
    while (q != stop || wholeTurn) {
        wholeTurn = false;
        merge(q * std::numbers::pi / 180);
        q = (q + 90) % 360;
    }
}

} // namespace drawing
