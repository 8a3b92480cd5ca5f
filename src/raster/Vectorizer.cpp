// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Vectorizer.h"

#include <cmath>

namespace raster {

int StepDirection(QPoint a, QPoint b) {
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    const int column = dy < 0 ? 0 : dy == 0 ? 1 : 2;
    static constexpr int codes[3][3] = {{3, 4, 5}, {2, 9, 6}, {1, 8, 7}};
    return codes[dx < 0 ? 0 : dx == 0 ? 1 : 2][column];
}

bool WithinTolerance(QPoint p, QPoint a, QPoint e, int tol) {
    const double px = p.x(), py = p.y(), ax = a.x(), ay = a.y(), ex = e.x(), ey = e.y();
    const double t = tol;
    const auto between = [](double v, double u, double w) {
        return (v >= u && v <= w) || (v >= w && v <= u);
    };
    if (ax == ex) return std::fabs(px - ax) < t && between(py, ay, ey);
    if (ay == ey) return std::fabs(py - ay) < t && between(px, ax, ex);
    const double m = (ey - ay) / (ex - ax);
    const double b1 = ay - m * ax;
    const double m2 = -1 / m;
    const double b2 = py - m2 * px;
    const double xi = (b2 - b1) / (m - m2);
    const double yi = m * xi + b1;
    const double d = (xi - px) * (xi - px) + (yi - py) * (yi - py);
    return d < t;
}

bool DropPairPass(std::vector<QPoint>& kept, int tol) {
    const std::size_t n = kept.size();
    std::size_t in = 0, out = 0;
    bool dropped = false;
    for (; in + 4 <= n; in += 4) {
        const QPoint a = kept[in], b = kept[in + 1], c = kept[in + 2], d = kept[in + 3];
        kept[out++] = a;
        if (WithinTolerance(b, a, d, tol) && WithinTolerance(c, a, d, tol)) {
            dropped = true;
        } else {
            kept[out++] = b;
            kept[out++] = c;
        }
        kept[out++] = d;
    }
    for (; in < n; ++in) kept[out++] = kept[in]; // an unfilled last window
    kept.resize(out);
    return dropped;
}

bool DropPointPass(std::vector<QPoint>& kept, int tol) {
    const std::size_t n = kept.size();
    std::size_t in = 0, out = 0;
    bool dropped = false;
    for (; in + 3 <= n; in += 3) {
        const QPoint a = kept[in], b = kept[in + 1], c = kept[in + 2];
        kept[out++] = a;
        if (WithinTolerance(b, a, c, tol))
            dropped = true;
        else
            kept[out++] = b;
        kept[out++] = c;
    }
    for (; in < n; ++in) kept[out++] = kept[in];
    kept.resize(out);
    return dropped;
}

void ReduceOutline(const PointList& chain, std::size_t count, int tol,
                   std::vector<QPoint>& vertices) {
    vertices.clear();
    // Kept points at the last three indexes stay out of the windows; at most three.
    QPoint tail[3];
    int tailCount = 0;
    for (std::size_t j = 0; j < count; ++j) {
        const QPoint p = chain.Get(j);
        if (j > 0 && j + 1 < count &&
            StepDirection(chain.Get(j - 1), p) == StepDirection(p, chain.Get(j + 1)))
            continue;
        if (j + 3 < count)
            vertices.push_back(p);
        else
            tail[tailCount++] = p;
    }
    while (DropPairPass(vertices, tol)) {
    }
    while (DropPointPass(vertices, tol)) {
    }
    vertices.insert(vertices.end(), tail, tail + tailCount);
}

} // namespace raster
