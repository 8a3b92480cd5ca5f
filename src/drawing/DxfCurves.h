// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Geometry for reading DXF files: affine placements (object coordinate systems, block
// inserts) and polyline approximations of the curves our model has no entity for
// (bulged polyline segments, ellipses, splines, circles under a non-uniform scale).
//
// All coordinates are map units. Approximations keep the chord angle at most 5 degrees
// for arcs and ellipses; every function bounds the number of points it makes, whatever
// its input, so that a hostile file cannot make one curve take unbounded memory.

#include "drawing/Geometry.h"

#include <span>
#include <vector>

namespace drawing::dxf {

// p' = M p for column vectors (x, y, z, 1): m[row][0..2] the linear part, m[row][3] the
// translation.
struct Affine {
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

    Point3 Apply(const Point3& p) const;
    Point3 ApplyLinear(const Point3& v) const; // without the translation
    Affine Then(const Affine& outer) const;    // outer ∘ this
    bool IsIdentity() const;
    // The XY part keeps circles circles: equal column lengths at right angles.
    bool IsSimilarityXY() const;
    double ScaleXY() const;       // the length the x column has in XY
    double DeterminantXY() const; // negative: mirrored
    double RotationXY() const;    // radians, the direction of the x column

    static Affine Translation(const Point3& t);
    static Affine Scaling(double sx, double sy, double sz);
    static Affine RotationZ(double radians);
    // From the object coordinate system of a 2D entity with this extrusion to world
    // coordinates (the arbitrary axis rule). Identity for (0, 0, 1) or a zero vector.
    static Affine FromExtrusion(const Point3& extrusion);
};

// The points of a polyline whose segment i from vertices[i] to vertices[i + 1] (and, when
// closed, from the last vertex to the first) bulges by bulges[i] (tan of a quarter of the
// included angle, positive counter-clockwise). The first vertex is included, the closing
// point of a closed polyline is not.
std::vector<Point3> ExpandBulges(std::span<const Point3> vertices, std::span<const double> bulges,
                                 bool closed);

// Points of the arc of centre c and radius r from angle a0 to a1 (radians, counter-
// clockwise, z of the centre), both ends included.
std::vector<Point3> ArcPoints(const Point3& c, double r, double a0, double a1);

// An ellipse of centre c, major axis end (relative) `major`, minor/major `ratio`, from
// parameter t0 to t1 (radians); closed is set for a full ellipse, whose last point is then
// left out. Empty for a zero axis or a ratio outside (0, 1].
std::vector<Point3> EllipsePoints(const Point3& c, const Point3& major, double ratio, double t0,
                                  double t1, const Point3& extrusion, bool& closed);

// A B-spline of the given degree, knots, control points and weights (empty: all 1),
// sampled along its whole domain. Empty when the definition does not hold together
// (the knot count must be controls + degree + 1, nondecreasing, degree 1..11).
std::vector<Point3> SplinePoints(int degree, std::span<const double> knots,
                                 std::span<const Point3> controls, std::span<const double> weights);

} // namespace drawing::dxf
