// SPDX-License-Identifier: GPL-3.0-or-later
#include "mousetools/ToolGeometry.h"

#include "platform/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mousetools {

double ScreenAngle(int dx, int dy) {
    if (dx == 0) return dy > 0 ? 270 : 90;
    if (dy == 0) return dx > 0 ? 0 : 180;
    const double t =
        std::atan(std::abs(double(dy)) / std::abs(double(dx))) * 180 / std::numbers::pi;
    if (dy > 0) return dx > 0 ? 360 - t : 180 + t;
    return dx > 0 ? t : 180 - t;
}

std::array<QPoint, 5> TextBoxCorners(QPoint p1, QPoint p2, int height) {
    double u = 0, v = 0;
    const double h = height;
    if (p2.x() == p1.x()) {
        if (p2.y() != p1.y()) u = h;
    } else {
        // Perpendicular to the base line, of length h, towards the top of the screen.
        const double m = double(p2.y() - p1.y()) / double(p2.x() - p1.x());
        v = -std::sqrt(h * h / (m * m + 1));
        u = -m * v;
    }
    const QPoint offset(int(platform::Rnd(u)), int(platform::Rnd(v)));
    return {p1, p2, p2 + offset, p1 + offset, p1};
}

double CircleRadius(const drawing::Point3& centre, const drawing::Point3& edge) {
    return platform::ReduceToReal48(
        std::max(std::abs(edge.x - centre.x), std::abs(edge.y - centre.y)));
}

QRect PaintArea(std::span<const QPoint> points, int penWidth) {
    if (points.empty()) return {};
    // Raster points come limited to ±30000; a pen wider than any raster is cut to one
    // as wide, so the sums below stay in range.
    const int margin = std::clamp(penWidth, 1, 200000) / 2 + 1;
    int left = points[0].x(), right = left, top = points[0].y(), bottom = top;
    for (const QPoint& p : points) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    return QRect(QPoint(left - margin, top - margin), QPoint(right + margin, bottom + margin));
}

} // namespace mousetools
