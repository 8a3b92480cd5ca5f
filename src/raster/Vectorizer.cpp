// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Vectorizer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace raster {

int StepDirection(QPoint a, QPoint b) {
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    const int column = dy < 0 ? 0 : dy == 0 ? 1 : 2;
    static constexpr int codes[3][3] = {{3, 4, 5}, {2, 9, 6}, {1, 8, 7}};
    return codes[dx < 0 ? 0 : dx == 0 ? 1 : 2][column];
}

namespace {

// The test as a formula in floating point: the foot of the perpendicular from the chord's
// line, then the squared distance to it.
[[gnu::noinline]] bool WithinToleranceFormula(QPoint p, QPoint a, QPoint e, int tol) {
    const double px = p.x(), py = p.y(), ax = a.x(), ay = a.y(), ex = e.x(), ey = e.y();
    const double m = (ey - ay) / (ex - ax);
    const double b1 = ay - m * ax;
    const double m2 = -1 / m;
    const double b2 = py - m2 * px;
    const double xi = (b2 - b1) / (m - m2);
    const double yi = m * xi + b1;
    const double d = (xi - px) * (xi - px) + (yi - py) * (yi - py);
    return d < double(tol);
}

// Coordinates up to this (a raster's are below 100 000) take the fast decision below.
constexpr int Near = 1 << 17;

// WithinTolerance for points whose coordinates lie within ±Near. The squared distance is
// cross² / length² exactly, so comparing cross² with tol × length² decides it, but the
// formula's rounding must decide as before. For such points the formula's error stays below
// 10^-4 × (1 + |tol|), and the comparison here (cross² and length² are exact in doubles,
// their products within a few parts in 10^16) is trusted only when the distance lies more
// than a thousandth of that from the tolerance; the formula itself decides the rest,
// exact ties among them.
inline bool NearChord(QPoint p, QPoint a, QPoint e, int tol) {
    const int ex = e.x() - a.x(), ey = e.y() - a.y();
    const int px = p.x() - a.x(), py = p.y() - a.y();
    if (ex == 0) return std::abs(px) < tol && ((py >= 0 && py <= ey) || (py >= ey && py <= 0));
    if (ey == 0) return std::abs(py) < tol && ((px >= 0 && px <= ex) || (px >= ex && px <= 0));
    const double cross = double(std::int64_t(ex) * py - std::int64_t(ey) * px);
    const double length2 = double(std::int64_t(ex) * ex + std::int64_t(ey) * ey);
    const double c2 = cross * cross, margin = (1.0 + std::abs(double(tol))) / 1024;
    if (c2 < (tol - margin) * length2) return true;
    if (c2 > (tol + margin) * length2) return false;
    return WithinToleranceFormula(p, a, e, tol);
}

bool AllNear(QPoint p) {
    return unsigned(p.x() + Near) <= unsigned(2 * Near) &&
           unsigned(p.y() + Near) <= unsigned(2 * Near);
}

} // namespace

bool WithinTolerance(QPoint p, QPoint a, QPoint e, int tol) {
    if (AllNear(p) && AllNear(a) && AllNear(e)) return NearChord(p, a, e, tol);
    // Far out: the formula, with the exact answers for the axis-parallel chords.
    const double px = p.x(), py = p.y(), ax = a.x(), ay = a.y(), ex = e.x(), ey = e.y();
    const auto between = [](double v, double u, double w) {
        return (v >= u && v <= w) || (v >= w && v <= u);
    };
    if (ax == ex) return std::fabs(px - ax) < tol && between(py, ay, ey);
    if (ay == ey) return std::fabs(py - ay) < tol && between(px, ax, ex);
    return WithinToleranceFormula(p, a, e, tol);
}

namespace {

// One pass of windows of four over kept[0 .. n) from window `first` on (the windows before
// it are the last pass's and drop nothing again); returns the first window that dropped,
// or none, and the kept count in n.
constexpr std::size_t NoDrop = std::size_t(-1);

template <bool near>
std::size_t PairPass(QPoint* kept, std::size_t& n, int tol, std::size_t first) {
    const auto within = [tol](QPoint p, QPoint a, QPoint e) {
        return near ? NearChord(p, a, e, tol) : WithinTolerance(p, a, e, tol);
    };
    std::size_t in = 4 * first, out = in, dropped = NoDrop;
    for (; in + 4 <= n; in += 4) {
        const QPoint a = kept[in], b = kept[in + 1], c = kept[in + 2], d = kept[in + 3];
        kept[out++] = a;
        if (within(b, a, d) && within(c, a, d)) {
            if (dropped == NoDrop) dropped = in / 4;
        } else {
            kept[out++] = b;
            kept[out++] = c;
        }
        kept[out++] = d;
    }
    for (; in < n; ++in) kept[out++] = kept[in]; // an unfilled last window
    n = out;
    return dropped;
}

template <bool near>
std::size_t PointPass(QPoint* kept, std::size_t& n, int tol, std::size_t first) {
    const auto within = [tol](QPoint p, QPoint a, QPoint e) {
        return near ? NearChord(p, a, e, tol) : WithinTolerance(p, a, e, tol);
    };
    std::size_t in = 3 * first, out = in, dropped = NoDrop;
    for (; in + 3 <= n; in += 3) {
        const QPoint a = kept[in], b = kept[in + 1], c = kept[in + 2];
        kept[out++] = a;
        if (within(b, a, c)) {
            if (dropped == NoDrop) dropped = in / 3;
        } else {
            kept[out++] = b;
        }
        kept[out++] = c;
    }
    for (; in < n; ++in) kept[out++] = kept[in];
    n = out;
    return dropped;
}

// The sign pattern of a step, equal for equal StepDirection codes.
inline int StepSigns(QPoint a, QPoint b) {
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    return ((dx > 0) - (dx < 0)) * 3 + ((dy > 0) - (dy < 0));
}

template <class Pass> bool OnePass(std::vector<QPoint>& kept, int tol, Pass pass) {
    std::size_t n = kept.size();
    const bool dropped = pass(kept.data(), n, tol, 0) != NoDrop;
    kept.resize(n);
    return dropped;
}

} // namespace

bool DropPairPass(std::vector<QPoint>& kept, int tol) {
    return OnePass(kept, tol, PairPass<false>);
}

bool DropPointPass(std::vector<QPoint>& kept, int tol) {
    return OnePass(kept, tol, PointPass<false>);
}

void ReduceOutline(const PointList& chain, std::size_t count, int tol,
                   std::vector<QPoint>& vertices) {
    vertices.clear();
    // The stages work in a buffer kept from call to call; points never written read as
    // (0, 0).
    thread_local std::vector<QPoint> buffer;
    if (buffer.size() < count) buffer.resize(count);
    QPoint* kept = buffer.data();
    const std::size_t stored = std::min(count, chain.Stored());
    const QPoint* points = chain.Data();
    const auto at = [&](std::size_t j) { return j < stored ? points[j] : QPoint(0, 0); };
    // Straight runs, without a branch on the outcome: every point is written and the count
    // moves on past those that stay. Kept points at the last three indexes stay out of the
    // windows.
    std::size_t n = 0;
    bool near = true;
    const std::size_t body = count > 3 ? count - 3 : 0;
    int into = 0; // the sign pattern of the step into point j
    for (std::size_t j = 0; j < body; ++j) {
        const QPoint p = at(j);
        near &= AllNear(p);
        const int out = StepSigns(p, at(j + 1));
        kept[n] = p;
        n += j == 0 || into != out;
        into = out;
    }
    QPoint tail[3];
    int tailCount = 0;
    for (std::size_t j = body; j < count; ++j) {
        const QPoint p = at(j);
        const bool straight =
            j > 0 && j + 1 < count && StepSigns(at(j - 1), p) == StepSigns(p, at(j + 1));
        if (!straight) tail[tailCount++] = p;
    }
    if (near) {
        for (std::size_t first = 0; (first = PairPass<true>(kept, n, tol, first)) != NoDrop;) {
        }
        for (std::size_t first = 0; (first = PointPass<true>(kept, n, tol, first)) != NoDrop;) {
        }
    } else {
        for (std::size_t first = 0; (first = PairPass<false>(kept, n, tol, first)) != NoDrop;) {
        }
        for (std::size_t first = 0; (first = PointPass<false>(kept, n, tol, first)) != NoDrop;) {
        }
    }
    vertices.reserve(n + 3);
    vertices.assign(kept, kept + n);
    vertices.insert(vertices.end(), tail, tail + tailCount);
    // A buffer grown by one huge outline goes back to the system.
    if (buffer.size() > (std::size_t(1) << 21)) std::vector<QPoint>().swap(buffer);
}

} // namespace raster
