// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/DxfCurves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace drawing::dxf {

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double StepAngle = Pi / 36; // 5 degrees
constexpr int MaxArcSteps = 72;
constexpr int MaxSplinePoints = 2048;

int StepsFor(double sweep) {
    const double n = std::ceil(std::fabs(sweep) / StepAngle);
    if (!(n >= 1)) return 1;
    return int(std::min<double>(n, MaxArcSteps));
}

} // namespace

Point3 Affine::Apply(const Point3& p) const {
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

Point3 Affine::ApplyLinear(const Point3& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

Affine Affine::Then(const Affine& outer) const {
    Affine r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            double s = j == 3 ? outer.m[i][3] : 0;
            for (int k = 0; k < 3; ++k) s += outer.m[i][k] * m[k][j];
            r.m[i][j] = s;
        }
    }
    return r;
}

bool Affine::IsIdentity() const {
    const Affine id;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j)
            if (m[i][j] != id.m[i][j]) return false;
    return true;
}

bool Affine::IsSimilarityXY() const {
    const double ax = m[0][0], ay = m[1][0], bx = m[0][1], by = m[1][1];
    const double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
    if (la == 0 || lb == 0) return false;
    return std::fabs(la - lb) <= 1e-9 * std::max(la, lb) &&
           std::fabs(ax * bx + ay * by) <= 1e-9 * la * lb;
}

double Affine::ScaleXY() const {
    return std::hypot(m[0][0], m[1][0]);
}

double Affine::DeterminantXY() const {
    return m[0][0] * m[1][1] - m[0][1] * m[1][0];
}

double Affine::RotationXY() const {
    return std::atan2(m[1][0], m[0][0]);
}

Affine Affine::Translation(const Point3& t) {
    Affine a;
    a.m[0][3] = t.x;
    a.m[1][3] = t.y;
    a.m[2][3] = t.z;
    return a;
}

Affine Affine::Scaling(double sx, double sy, double sz) {
    Affine a;
    a.m[0][0] = sx;
    a.m[1][1] = sy;
    a.m[2][2] = sz;
    return a;
}

Affine Affine::RotationZ(double radians) {
    Affine a;
    const double c = std::cos(radians), s = std::sin(radians);
    a.m[0][0] = c;
    a.m[0][1] = -s;
    a.m[1][0] = s;
    a.m[1][1] = c;
    return a;
}

Affine Affine::FromExtrusion(const Point3& n) {
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (!(length > 0) || !std::isfinite(length)) return {};
    const Point3 az{n.x / length, n.y / length, n.z / length};
    if (az.x == 0 && az.y == 0 && az.z == 1) return {};
    constexpr double bound = 1.0 / 64;
    const Point3 w = (std::fabs(az.x) < bound && std::fabs(az.y) < bound) ? WorldYAxis : WorldZAxis;
    const Point3 ax = VecNormalize(VecCross(w, az));
    const Point3 ay = VecNormalize(VecCross(az, ax));
    Affine a;
    const Point3 cols[3] = {ax, ay, az};
    for (int j = 0; j < 3; ++j) {
        a.m[0][j] = cols[j].x;
        a.m[1][j] = cols[j].y;
        a.m[2][j] = cols[j].z;
    }
    return a;
}

std::vector<Point3> ArcPoints(const Point3& c, double r, double a0, double a1) {
    double sweep = a1 - a0;
    if (!std::isfinite(sweep)) return {};
    // Counter-clockwise from a0 to a1: a sweep that is not positive goes round once more
    // than it falls short, in one step (adding turns one at a time never ends for angles
    // so large that a turn is lost in their rounding).
    if (sweep <= 0) sweep = 2 * Pi - std::fmod(-sweep, 2 * Pi);
    const int n = StepsFor(sweep);
    std::vector<Point3> out;
    out.reserve(std::size_t(n) + 1);
    for (int k = 0; k <= n; ++k) {
        const double a = a0 + sweep * k / n;
        out.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a), c.z});
    }
    return out;
}

std::vector<Point3> ExpandBulges(std::span<const Point3> vertices, std::span<const double> bulges,
                                 bool closed) {
    std::vector<Point3> out;
    out.reserve(vertices.size());
    const std::size_t n = vertices.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point3& p0 = vertices[i];
        out.push_back(p0);
        const bool last = i + 1 == n;
        if (last && !closed) break;
        const Point3& p1 = vertices[last ? 0 : i + 1];
        const double b = i < bulges.size() ? bulges[i] : 0;
        const double dx = p1.x - p0.x, dy = p1.y - p0.y;
        const double chord = std::hypot(dx, dy);
        if (b == 0 || !std::isfinite(b) || chord == 0 || std::fabs(b) > 1e6) continue;
        const double theta = 4 * std::atan(b);
        const double r = chord * (1 + b * b) / (4 * std::fabs(b));
        const double offset = chord * (1 - b * b) / (4 * b); // along the left normal
        const Point3 centre{(p0.x + p1.x) / 2 - dy / chord * offset,
                            (p0.y + p1.y) / 2 + dx / chord * offset, p0.z};
        const double a0 = std::atan2(p0.y - centre.y, p0.x - centre.x);
        const int steps = StepsFor(theta);
        for (int k = 1; k < steps; ++k) {
            const double a = a0 + theta * k / steps;
            out.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a),
                           p0.z + (p1.z - p0.z) * k / steps});
        }
    }
    return out;
}

std::vector<Point3> EllipsePoints(const Point3& c, const Point3& major, double ratio, double t0,
                                  double t1, const Point3& extrusion, bool& closed) {
    closed = false;
    const double length = std::sqrt(major.x * major.x + major.y * major.y + major.z * major.z);
    if (!(length > 0) || !std::isfinite(length) || !(ratio > 0 && ratio <= 1.000001) ||
        !std::isfinite(t0) || !std::isfinite(t1))
        return {};
    Point3 axis = extrusion;
    const double al = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    if (!(al > 0) || !std::isfinite(al)) axis = WorldZAxis;
    const Point3 minorDir = VecCross(axis, major);
    const double ml =
        std::sqrt(minorDir.x * minorDir.x + minorDir.y * minorDir.y + minorDir.z * minorDir.z);
    if (!(ml > 0)) return {};
    const Point3 minor{minorDir.x / ml * length * ratio, minorDir.y / ml * length * ratio,
                       minorDir.z / ml * length * ratio};
    double sweep = std::fmod(t1 - t0, 2 * Pi);
    if (sweep <= 1e-12) sweep += 2 * Pi;
    closed = std::fabs(sweep - 2 * Pi) < 1e-9;
    const int n = std::max(StepsFor(sweep), 4);
    std::vector<Point3> out;
    out.reserve(std::size_t(n) + 1);
    for (int k = 0; k <= (closed ? n - 1 : n); ++k) {
        const double t = t0 + sweep * k / n;
        const double ct = std::cos(t), st = std::sin(t);
        out.push_back({c.x + major.x * ct + minor.x * st, c.y + major.y * ct + minor.y * st,
                       c.z + major.z * ct + minor.z * st});
    }
    return out;
}

std::vector<Point3> SplinePoints(int degree, std::span<const double> knots,
                                 std::span<const Point3> controls,
                                 std::span<const double> weights) {
    const std::size_t n = controls.size();
    if (degree < 1 || degree > 11 || n <= std::size_t(degree) ||
        knots.size() != n + std::size_t(degree) + 1)
        return {};
    if (!weights.empty() && weights.size() != n) return {};
    for (std::size_t i = 0; i < knots.size(); ++i) {
        if (!std::isfinite(knots[i])) return {};
        if (i > 0 && knots[i] < knots[i - 1]) return {};
    }
    for (const double w : weights)
        if (!(w > 0) || !std::isfinite(w)) return {};
    const double u0 = knots[std::size_t(degree)], u1 = knots[n];
    if (!(u1 > u0)) return {};
    const int samples = int(std::clamp<std::size_t>(n * 8, 16, std::size_t(MaxSplinePoints)));
    std::vector<Point3> out;
    out.reserve(std::size_t(samples) + 1);
    // de Boor's algorithm in homogeneous coordinates.
    double d[12][4];
    for (int s = 0; s <= samples; ++s) {
        const double u = s == samples ? u1 : u0 + (u1 - u0) * s / samples;
        // The span: the last knot index k in [degree, n - 1] with knots[k] <= u.
        const auto first = knots.begin() + degree, last = knots.begin() + std::ptrdiff_t(n);
        std::size_t k = std::size_t(std::upper_bound(first + 1, last, u) - knots.begin()) - 1;
        for (int j = 0; j <= degree; ++j) {
            const std::size_t i = k - std::size_t(degree) + std::size_t(j);
            const double w = weights.empty() ? 1 : weights[i];
            d[j][0] = controls[i].x * w;
            d[j][1] = controls[i].y * w;
            d[j][2] = controls[i].z * w;
            d[j][3] = w;
        }
        for (int r = 1; r <= degree; ++r) {
            for (int j = degree; j >= r; --j) {
                const std::size_t i = k - std::size_t(degree) + std::size_t(j);
                const double denom = knots[i + std::size_t(degree) + 1 - std::size_t(r)] - knots[i];
                const double a = denom == 0 ? 0 : (u - knots[i]) / denom;
                for (int c = 0; c < 4; ++c) d[j][c] = (1 - a) * d[j - 1][c] + a * d[j][c];
            }
        }
        const double w = d[degree][3] == 0 ? 1 : d[degree][3];
        out.push_back({d[degree][0] / w, d[degree][1] / w, d[degree][2] / w});
    }
    return out;
}

} // namespace drawing::dxf
