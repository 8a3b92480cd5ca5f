// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Points, vectors and 4 x 4 matrices in map coordinates, and their text forms.
// Points are row vectors: p' = (x, y, z, 1) * M; rows 0..2 of a matrix are the images
// of the x, y and z axes, row 3 the translation.

#include "platform/NumberFormat.h"

#include <cstdint>
#include <memory>
#include <string>

namespace drawing {

struct Point3 {
    double x = 0, y = 0, z = 0;
};

struct Matrix4 {
    double m[4][4] = {};
};

extern const Point3 WorldYAxis; // (0, 1, 0)
extern const Point3 WorldZAxis; // (0, 0, 1)
extern const Point3 Origin;     // (0, 0, 0)
extern const Matrix4 IdentityMatrix;

// Rounding as everywhere in the program; Round reports range faults as exceptions, as
// the arithmetic of the model does.
using platform::Round;
using platform::RoundClamped;

Point3 MakePoint(double x, double y, double z);
bool PointsEqual(const Point3& a, const Point3& b);
Point3 VecAdd(const Point3& a, const Point3& b);
Point3 VecSub(const Point3& a, const Point3& b);
Point3 VecCross(const Point3& a, const Point3& b);
// Throws std::domain_error for the zero vector.
Point3 VecNormalize(const Point3& v);
double Distance2D(const Point3& a, const Point3& b);
double Distance2DSquared(const Point3& a, const Point3& b);
// Each component v becomes Round(v * factor) / factor. Throws std::domain_error for a
// zero factor and std::range_error when v * factor leaves 32 bits.
Point3 RoundPoint(const Point3& p, double factor);

// Squared distance from p to the segment a-b, measured along the perpendicular.
// Horizontal and vertical segments are treated as whole lines (no end check). For an
// oblique segment the foot of the perpendicular must lie strictly inside the segment's
// x and y ranges, otherwise the result is -1.
inline double SegmentDistanceSquared(const Point3& p, const Point3& a, const Point3& b) {
    if (a.x == b.x) return (p.x - a.x) * (p.x - a.x);
    if (a.y == b.y) return (p.y - a.y) * (p.y - a.y);
    const double m = (b.y - a.y) / (b.x - a.x);
    const double c1 = a.y - m * a.x;
    const double m2 = -1 / m;
    const double c2 = p.y - m2 * p.x;
    const double X = (c2 - c1) / (m - m2);
    const double Y = m * X + c1;
    const double x0 = a.x < b.x ? a.x : b.x, x1 = a.x < b.x ? b.x : a.x;
    const double y0 = a.y < b.y ? a.y : b.y, y1 = a.y < b.y ? b.y : a.y;
    if (x0 < X && X < x1 && y0 < Y && Y < y1) return (X - p.x) * (X - p.x) + (Y - p.y) * (Y - p.y);
    return -1;
}

Matrix4 MatMul4(const Matrix4& a, const Matrix4& b);
// ocs when view is null, view when ocs is null, otherwise ocs * view placed in one shared
// scratch matrix that the next call overwrites: use the result at once.
const Matrix4* CombineMatrix(const Matrix4* ocs, const Matrix4* view);
Point3 TransformPoint(const Matrix4& m, const Point3& p);

void MaxInto(Point3& acc, const Point3& p);
void MinInto(Point3& acc, const Point3& p);
inline double MinOf(double a, double b) {
    return b >= a ? a : b;
}

using PointArray = std::unique_ptr<Point3[]>;
PointArray AllocPoints(std::size_t n);
void FreePoints(PointArray& points);

// Fixed point rounded to 7 significant digits, shown with 3 decimals; more than 7
// integer digits switch to scientific notation (1.234568E+07). Always with ".": the
// descriptions read the same in every locale.
std::string FormatReal(double x);
// "(x, y, z)" with each component as FormatReal but with 2 decimals.
std::string FormatPoint(const Point3& p);

} // namespace drawing
