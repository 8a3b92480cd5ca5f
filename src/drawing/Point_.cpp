// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Point_.h"

#include <stdexcept>

namespace drawing {

Point_::Point_(const Point3& axis, const Point3& pos, std::int16_t penWidth, std::uint8_t penStyle,
               std::int32_t colorIndex)
    : Pos(pos) {
    ColorIndex = colorIndex;
    Color = FillColor = PaletteColour(colorIndex);
    PenWidth = penWidth;
    PenStyle = penStyle;
    SetOCSAxis(axis);
}

void RoundSelectedAxes(Point3& p, std::uint8_t axes, double factor) {
    if (factor == 0) throw std::domain_error("rounding factor is zero");
    if (axes & 1) p.x = Round(p.x * factor) / factor;
    if (axes & 2) p.y = Round(p.y * factor) / factor;
    if (axes & 4) p.z = Round(p.z * factor) / factor;
}

void Point_::Translate(const Point3& offset) {
    Pos = VecAdd(Pos, offset);
}

void Point_::RoundCoords(std::uint8_t axes, double factor) {
    RoundSelectedAxes(Pos, axes, factor);
}

void Point_::Describe(std::vector<std::string>& lines) const {
    lines.push_back(ClassName());
    DescribeAxis(lines);
    lines.push_back(FormatPoint(Pos));
}

void Point_::ExtendBounds(Point3& max, Point3& min) const {
    MaxInto(max, Pos);
    MinInto(min, Pos);
}

double Point_::PickDistance(const Point3& p) const {
    return Distance2DSquared(Pos, p);
}

void Point_::NearestVertex(const Point3&, Point3& out) const {
    out = Pos;
}

bool Point_::MoveVertex(const Point3& oldPos, const Point3& newPos) {
    if (!PointsEqual(Pos, oldPos)) return false;
    Pos = newPos;
    return true;
}

bool Point_::MoveBy(double dx, double dy) {
    Pos.x += dx;
    Pos.y += dy;
    return true;
}

} // namespace drawing
