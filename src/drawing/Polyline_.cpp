// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Polyline_.h"

#include "drawing/Line_.h"

#include <cmath>

namespace drawing {

Polyline_::Polyline_(const Point3& axis, std::span<const Point3> points, std::int16_t penWidth,
                     std::uint8_t penStyle, std::uint8_t brushStyle, platform::Colour fillColor,
                     std::int32_t colorIndex, bool closed)
    : Vertices(points.begin(), points.end()) {
    Init(axis, penWidth, penStyle, brushStyle, fillColor, closed);
    SetColorIndex(colorIndex);
}

Polyline_::Polyline_(const Point3& axis, std::vector<Point3>&& points, std::int16_t penWidth,
                     std::uint8_t penStyle, std::uint8_t brushStyle, platform::Colour fillColor,
                     std::int32_t colorIndex, bool closed)
    : Vertices(std::move(points)) {
    Init(axis, penWidth, penStyle, brushStyle, fillColor, closed);
    SetColorIndex(colorIndex);
}

void Polyline_::Init(const Point3& axis, std::int16_t penWidth, std::uint8_t penStyle,
                     std::uint8_t brushStyle, platform::Colour fillColor, bool closed) {
    PenWidth = penWidth;
    PenStyle = penStyle;
    BrushStyle = brushStyle;
    FillColor = fillColor;
    SetOCSAxis(axis);
    Closed = closed;
    if (!closed && !Vertices.empty() && PointsEqual(Vertices.front(), Vertices.back())) {
        Closed = true;
        Vertices.pop_back();
    }
}

void Polyline_::Translate(const Point3& offset) {
    for (auto& v : Vertices) v = VecAdd(v, offset);
}

void Polyline_::RoundCoords(std::uint8_t axes, double factor) {
    for (auto& v : Vertices) RoundSelectedAxes(v, axes, factor);
}

void Polyline_::Describe(std::vector<std::string>& lines) const {
    lines.push_back(ClassName());
    DescribeAxis(lines);
    lines.push_back(Closed ? "Closed" : "Open");
    for (const auto& v : Vertices) lines.push_back(FormatPoint(v));
}

void Polyline_::ExtendBounds(Point3& max, Point3& min) const {
    for (const auto& v : Vertices) {
        MaxInto(max, v);
        MinInto(min, v);
    }
}

double Polyline_::PickDistance(const Point3& p) const {
    double best = 1e10;
    for (std::size_t i = 1; i < Vertices.size(); ++i) {
        const double d = SegmentDistanceSquared(p, Vertices[i - 1], Vertices[i]);
        if (d > 0) best = MinOf(d, best);
    }
    return best;
}

void Polyline_::NearestVertex(const Point3& p, Point3& out) const {
    double best = 1e10;
    for (const auto& v : Vertices) {
        const double d = Distance2DSquared(v, p);
        if (d < best) {
            out = v;
            best = d;
        }
    }
}

bool Polyline_::Encloses(const Point3& p) const {
    if (!Closed || Vertices.empty()) return false;
    bool inside = false;
    for (std::size_t i = 0, j = Vertices.size() - 1; i < Vertices.size(); j = i++) {
        const Point3& a = Vertices[i];
        const Point3& b = Vertices[j];
        if ((a.y <= p.y && p.y < b.y) || (b.y <= p.y && p.y < a.y)) {
            const double xc = a.x + (b.x - a.x) * (p.y - a.y) / (b.y - a.y);
            if (xc > p.x) inside = !inside;
        }
    }
    return inside;
}

bool Polyline_::MoveVertex(const Point3& oldPos, const Point3& newPos) {
    for (auto& v : Vertices)
        if (PointsEqual(v, oldPos)) {
            v = newPos;
            return true;
        }
    return false;
}

bool Polyline_::MoveBy(double dx, double dy) {
    for (auto& v : Vertices) {
        v.x += dx;
        v.y += dy;
    }
    return true;
}

bool Polyline_::ScaleAbout(const Point3& centre, double sx, double sy) {
    for (auto& v : Vertices) ScalePointAbout(v, centre, sx, sy);
    return true;
}

bool Polyline_::RotateAbout(const Point3& centre, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    for (auto& v : Vertices) RotatePointAbout(v, centre, c, s);
    return true;
}

} // namespace drawing
