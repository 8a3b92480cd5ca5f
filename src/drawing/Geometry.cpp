// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Geometry.h"

#include <cmath>
#include <stdexcept>

namespace drawing {

const Point3 WorldYAxis{0, 1, 0};
const Point3 WorldZAxis{0, 0, 1};
const Point3 Origin{0, 0, 0};
const Matrix4 IdentityMatrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

Point3 MakePoint(double x, double y, double z) {
    return {x, y, z};
}

bool PointsEqual(const Point3& a, const Point3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

Point3 VecAdd(const Point3& a, const Point3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Point3 VecSub(const Point3& a, const Point3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Point3 VecCross(const Point3& a, const Point3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Point3 VecNormalize(const Point3& v) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0) throw std::domain_error("cannot normalise a zero vector");
    return {v.x / length, v.y / length, v.z / length};
}

double Distance2D(const Point3& a, const Point3& b) {
    return std::sqrt(Distance2DSquared(a, b));
}

double Distance2DSquared(const Point3& a, const Point3& b) {
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

Point3 RoundPoint(const Point3& p, double factor) {
    if (factor == 0) throw std::domain_error("rounding factor is zero");
    return {Round(p.x * factor) / factor, Round(p.y * factor) / factor,
            Round(p.z * factor) / factor};
}

Matrix4 MatMul4(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

const Matrix4* CombineMatrix(const Matrix4* ocs, const Matrix4* view) {
    static Matrix4 scratch;
    if (!view) return ocs;
    if (!ocs) return view;
    scratch = MatMul4(*ocs, *view);
    return &scratch;
}

Point3 TransformPoint(const Matrix4& m, const Point3& p) {
    const auto& M = m.m;
    return {p.x * M[0][0] + p.y * M[1][0] + p.z * M[2][0] + M[3][0],
            p.x * M[0][1] + p.y * M[1][1] + p.z * M[2][1] + M[3][1],
            p.x * M[0][2] + p.y * M[1][2] + p.z * M[2][2] + M[3][2]};
}

void MaxInto(Point3& acc, const Point3& p) {
    if (p.x > acc.x) acc.x = p.x;
    if (p.y > acc.y) acc.y = p.y;
    if (p.z > acc.z) acc.z = p.z;
}

void MinInto(Point3& acc, const Point3& p) {
    if (p.x < acc.x) acc.x = p.x;
    if (p.y < acc.y) acc.y = p.y;
    if (p.z < acc.z) acc.z = p.z;
}

PointArray AllocPoints(std::size_t n) {
    return std::make_unique<Point3[]>(n);
}
void FreePoints(PointArray& points) {
    points.reset();
}

std::string FormatReal(double x) {
    return platform::FormatSignificant7(x, 3);
}

std::string FormatPoint(const Point3& p) {
    // Appended piece by piece: g++ 12 warns falsely about "(" + std::string at -O3.
    std::string s(1, '(');
    s.append(platform::FormatSignificant7(p.x, 2));
    s.append(", ");
    s.append(platform::FormatSignificant7(p.y, 2));
    s.append(", ");
    s.append(platform::FormatSignificant7(p.z, 2));
    s += ')';
    return s;
}

} // namespace drawing
