// SPDX-License-Identifier: GPL-3.0-or-later
#include "DrawingTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <stdexcept>

namespace drawing {
namespace {

struct SegmentCase {
    Point3 p, a, b;
    double expected;
};

TEST(GeometryTest, SegmentDistanceSquared) {
    const SegmentCase cases[] = {
        {{5, 100, 0}, {0, 0, 0}, {10, 0, 0}, 10000}, // horizontal: distance to the whole line
        {{50, 1, 0}, {0, 0, 0}, {10, 0, 0}, 1},      // far beyond the end, still counted
        {{3, -7, 0}, {2, 0, 0}, {2, 10, 0}, 1},      // vertical, beside the end
        {{1, 1, 0}, {0, 0, 0}, {2, 2, 0}, 0},        // on the segment
        {{0, 2, 0}, {0, 0, 0}, {2, 2, 0}, 2},        // foot (1, 1)
        {{2, 2, 0}, {0, 0, 0}, {2, 2, 0}, -1},       // an end point: foot not strictly inside
        {{0, 0, 0}, {0, 0, 0}, {2, 2, 0}, -1},       // the other end
        {{3, 3, 0}, {0, 0, 0}, {2, 2, 0}, -1},       // foot beyond the end
        {{2, 0, 0}, {2, 2, 0}, {0, 0, 0}, 2},        // reversed segment
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(SegmentDistanceSquared(c.p, c.a, c.b), c.expected)
            << testing::PrintToString(c.p);
}

TEST(GeometryTest, RoundPoint) {
    EXPECT_EQ(RoundPoint({1.25, 1.35, -0.05}, 10), (Point3{1.2, 1.4, -0.0}));
    EXPECT_THROW(RoundPoint({1, 1, 1}, 0), std::domain_error);
    EXPECT_THROW(VecNormalize(Origin), std::domain_error);
}

TEST(GeometryTest, MatricesAndTransforms) {
    Matrix4 scale = IdentityMatrix, shift = IdentityMatrix;
    scale.m[0][0] = 2;
    scale.m[1][1] = 3;
    shift.m[3][0] = 10;
    shift.m[3][1] = 20;
    EXPECT_EQ(TransformPoint(MatMul4(scale, shift), {1, 1, 5}), (Point3{12, 23, 5}));
    EXPECT_EQ(TransformPoint(MatMul4(shift, scale), {1, 1, 5}), (Point3{22, 63, 5}));

    EXPECT_EQ(CombineMatrix(nullptr, nullptr), nullptr);
    EXPECT_EQ(CombineMatrix(&scale, nullptr), &scale);
    EXPECT_EQ(CombineMatrix(nullptr, &shift), &shift);
    // Two matrices share one scratch result, which the next call overwrites.
    const Matrix4* first = CombineMatrix(&scale, &shift);
    EXPECT_EQ(first->m[3][0], 10);
    const Matrix4* second = CombineMatrix(&shift, &scale);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->m[3][0], 20);
}

TEST(GeometryTest, BoundsAndVectors) {
    Point3 max{-1e6, -1e6, -1e6}, min{1e6, 1e6, 1e6};
    for (const Point3& p : {Point3{1, 5, -2}, Point3{-3, 2, 4}}) {
        MaxInto(max, p);
        MinInto(min, p);
    }
    EXPECT_EQ(max, (Point3{1, 5, 4}));
    EXPECT_EQ(min, (Point3{-3, 2, -2}));
    EXPECT_EQ(VecCross({1, 0, 0}, {0, 1, 0}), WorldZAxis);
    EXPECT_EQ(VecNormalize({0, 3, 4}), (Point3{0, 0.6, 0.8}));
    EXPECT_DOUBLE_EQ(Distance2D({0, 0, 100}, {3, 4, -7}), 5);
    EXPECT_EQ(MinOf(2, 1), 1);
    PointArray points = AllocPoints(3);
    points[2] = {1, 2, 3};
    FreePoints(points);
    EXPECT_EQ(points, nullptr);
}

} // namespace
} // namespace drawing
