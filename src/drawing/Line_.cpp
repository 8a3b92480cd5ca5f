// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Line_.h"

#include <cmath>

namespace drawing {

Line_::Line_(const Point3& start, const Point3& end, std::int16_t penWidth, std::uint8_t penStyle,
             std::int32_t colorIndex)
    : Point_(WorldZAxis, start, penWidth, penStyle, colorIndex), EndPos(end) {}

void ScalePointAbout(Point3& p, const Point3& centre, double sx, double sy) {
    p.x = centre.x + sx * (p.x - centre.x);
    p.y = centre.y + sy * (p.y - centre.y);
}

void RotatePointAbout(Point3& p, const Point3& centre, double cosA, double sinA) {
    const double dx = p.x - centre.x, dy = p.y - centre.y;
    p.x = centre.x + dx * cosA - dy * sinA;
    p.y = centre.y + dy * cosA + dx * sinA;
}

void Line_::Translate(const Point3& offset) {
    Pos = VecAdd(Pos, offset);
    EndPos = VecAdd(EndPos, offset);
}

void Line_::RoundCoords(std::uint8_t axes, double factor) {
    RoundSelectedAxes(Pos, axes, factor);
    RoundSelectedAxes(EndPos, axes, factor);
}

void Line_::Describe(std::vector<std::string>& lines) const {
    Point_::Describe(lines);
    lines.push_back(FormatPoint(EndPos));
}

void Line_::ExtendBounds(Point3& max, Point3& min) const {
    Point_::ExtendBounds(max, min);
    MaxInto(max, EndPos);
    MinInto(min, EndPos);
}

void Line_::NearestVertex(const Point3& p, Point3& out) const {
    out = Distance2DSquared(EndPos, p) > Distance2DSquared(Pos, p) ? Pos : EndPos;
}

bool Line_::MoveVertex(const Point3& oldPos, const Point3& newPos) {
    if (PointsEqual(Pos, oldPos)) {
        Pos = newPos;
        return true;
    }
    if (PointsEqual(EndPos, oldPos)) {
        EndPos = newPos;
        return true;
    }
    return false;
}

bool Line_::MoveBy(double dx, double dy) {
    Pos.x += dx;
    Pos.y += dy;
    EndPos.x += dx;
    EndPos.y += dy;
    return true;
}

bool Line_::ScaleAbout(const Point3& centre, double sx, double sy) {
    ScalePointAbout(Pos, centre, sx, sy);
    ScalePointAbout(EndPos, centre, sx, sy);
    return true;
}

bool Line_::RotateAbout(const Point3& centre, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    RotatePointAbout(Pos, centre, c, s);
    RotatePointAbout(EndPos, centre, c, s);
    return true;
}

} // namespace drawing
