// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PixelRaster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {

namespace {

// Endpoints beyond this distance are first clipped to it, which keeps the exact integer
// arithmetic of Line within 64 bits; the image lies far inside.
constexpr std::int64_t FarAway = std::int64_t(1) << 28;

std::uint32_t Rgb(Colour c) {
    return (std::uint32_t(RedOf(c)) << 16) | (std::uint32_t(GreenOf(c)) << 8) | BlueOf(c);
}

// The 8 × 8 hatch patterns, aligned to the device origin (the same as Qt's patterns, so
// that fills done by QPainter match).
bool HatchInk(BrushStyle style, std::int64_t x, std::int64_t y) {
    const int cx = int(x & 7), cy = int(y & 7);
    const bool horizontal = cy == 3, vertical = cx == 4;
    const bool forward = ((cx - cy) & 7) == 0, backward = ((cx + cy) & 7) == 7;
    switch (style) {
    case BrushStyle::Horizontal:
        return horizontal;
    case BrushStyle::Vertical:
        return vertical;
    case BrushStyle::FDiagonal:
        return forward;
    case BrushStyle::BDiagonal:
        return backward;
    case BrushStyle::Cross:
        return horizontal || vertical;
    case BrushStyle::DiagCross:
        return forward || backward;
    default:
        return true;
    }
}

// a >= 0, b > 0
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
}

// Rows of the ellipse inscribed in the pixels x1..x2-1 by y1..y2-1 (x2 > x1, y2 > y1):
// the pixels whose centres lie inside it, except that the middle row or rows always reach
// both sides and the top and bottom rows keep at least their middle pixels.
class EllipseRows {
public:
    EllipseRows(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
        : x1_(x1), y1_(y1), x2_(x2), y2_(y2), cy_((y1 + y2) / 2.0), a_((x2 - x1) / 2.0),
          b_((y2 - y1) / 2.0), maxInset_((x2 - x1 - 1) / 2) {}

    bool Row(std::int64_t y, std::int64_t& left, std::int64_t& right) const {
        if (y < y1_ || y >= y2_) return false;
        const double dy = std::abs(y + 0.5 - cy_);
        std::int64_t inset = 0;
        if (dy > 0.5) {
            const double t = dy / b_;
            const double half = a_ * std::sqrt(std::max(0.0, 1.0 - t * t));
            inset = std::clamp(std::int64_t(std::ceil(a_ - half - 0.5 - 1e-9)), std::int64_t(0),
                               maxInset_);
        }
        left = x1_ + inset;
        right = x2_ - 1 - inset;
        return true;
    }

    // Calls f(y, left, right, outline) for the runs of rows first..last: the outline
    // runs are the pixels with a 4-neighbour outside the ellipse, the others the inside.
    template <class F> void ForEachRun(std::int64_t first, std::int64_t last, F&& f) const {
        first = std::max(first, y1_);
        last = std::min(last, y2_ - 1);
        if (first > last) return;
        std::int64_t ul = 0, ur = 0, l = 0, r = 0, dl = 0, dr = 0;
        bool above = Row(first - 1, ul, ur);
        Row(first, l, r);
        for (std::int64_t y = first; y <= last; ++y) {
            const bool below = Row(y + 1, dl, dr);
            const std::int64_t il = std::max({l + 1, ul, dl}), ir = std::min({r - 1, ur, dr});
            if (!above || !below || il > ir) {
                f(y, l, r, true);
            } else {
                f(y, l, il - 1, true);
                f(y, il, ir, false);
                f(y, ir + 1, r, true);
            }
            above = true;
            ul = l;
            ur = r;
            l = dl;
            r = dr;
        }
    }

private:
    std::int64_t x1_, y1_, x2_, y2_;
    double cy_, a_, b_;
    std::int64_t maxInset_;
};

// Liang–Barsky against the square of side 2 · FarAway around the origin.
bool ClipFar(std::int64_t& fx, std::int64_t& fy, std::int64_t& tx, std::int64_t& ty) {
    const double dx = double(tx - fx), dy = double(ty - fy);
    double t0 = 0, t1 = 1;
    const auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double t = q / p;
        if (p < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        return t0 <= t1;
    };
    const double far = double(FarAway);
    if (!edge(-dx, double(fx) + far) || !edge(dx, far - double(fx)) ||
        !edge(-dy, double(fy) + far) || !edge(dy, far - double(fy)))
        return false;
    const double sx = double(fx), sy = double(fy);
    fx = std::llround(sx + t0 * dx);
    fy = std::llround(sy + t0 * dy);
    tx = std::llround(sx + t1 * dx);
    ty = std::llround(sy + t1 * dy);
    return true;
}

} // namespace

PixelRaster::Pattern PixelRaster::PatternFor(PenStyle style) {
    // Runs of a classic display: dash 18 on 6 off, dot 3/3, dash-dot 9/6/3/6,
    // dash-dot-dot 9/3/3/3/3/3; bit 0 is the first pixel.
    switch (style) {
    case PenStyle::Dash:
        return {0x3FFFFu, 24};
    case PenStyle::Dot:
        return {0x7u, 6};
    case PenStyle::DashDot:
        return {0x1FFu | (0x7u << 15), 24};
    case PenStyle::DashDotDot:
        return {0x1FFu | (0x7u << 12) | (0x7u << 18), 24};
    default:
        return {};
    }
}

bool PixelRaster::Supports(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_BGR888:
        return !image.isNull();
    default:
        return false;
    }
}

PixelRaster::PixelRaster(QImage& image)
    : bits_(image.bits()), stride_(image.bytesPerLine()), width_(image.width()),
      height_(image.height()), packed24_(image.format() == QImage::Format_BGR888) {}

PixelRaster::Op PixelRaster::OpFor(Ink ink) {
    const std::uint32_t rgb = Rgb(ink.colour), alpha = 0xFF000000u;
    switch (ink.mode) {
    case PenMode::Xor:
        return {0xFFFFFFu, alpha | rgb};
    case PenMode::NotXor:
        return {0xFFFFFFu, alpha | (~rgb & 0xFFFFFFu)};
    case PenMode::Not:
        return {0xFFFFFFu, 0xFFFFFFFFu};
    case PenMode::Copy:
        break;
    }
    return {0, alpha | rgb};
}

inline void PixelRaster::Plot(int x, int y, Op op) {
    if (unsigned(x) >= unsigned(width_) || unsigned(y) >= unsigned(height_)) return;
    std::uint8_t* row = bits_ + y * stride_;
    if (packed24_) {
        std::uint8_t* p = row + 3 * x;
        p[0] = std::uint8_t((p[0] & op.keep) ^ op.flip);
        p[1] = std::uint8_t((p[1] & (op.keep >> 8)) ^ (op.flip >> 8));
        p[2] = std::uint8_t((p[2] & (op.keep >> 16)) ^ (op.flip >> 16));
    } else {
        auto* p = reinterpret_cast<std::uint32_t*>(row) + x;
        *p = (*p & op.keep) ^ op.flip;
    }
}

void PixelRaster::Run(int y, std::int64_t x0, std::int64_t x1, Op op) {
    if (unsigned(y) >= unsigned(height_)) return;
    const int from = int(std::max<std::int64_t>(x0, 0));
    const int to = int(std::min<std::int64_t>(x1, width_ - 1));
    if (from > to) return;
    if (!packed24_ && op.keep == 0) {
        auto* row = reinterpret_cast<std::uint32_t*>(bits_ + y * stride_);
        std::fill(row + from, row + to + 1, op.flip);
        return;
    }
    for (int x = from; x <= to; ++x) Plot(x, y, op);
}

void PixelRaster::FillRun(int y, std::int64_t x0, std::int64_t x1, const Fill& fill) {
    if (fill.style == BrushStyle::Clear) return;
    const Op op = OpFor(fill.ink);
    if (fill.style == BrushStyle::Solid) {
        Run(y, x0, x1, op);
        return;
    }
    const std::int64_t from = std::max<std::int64_t>(x0, 0);
    const std::int64_t to = std::min<std::int64_t>(x1, width_ - 1);
    for (std::int64_t x = from; x <= to; ++x)
        if (HatchInk(fill.style, x, y)) Plot(int(x), y, op);
}

void PixelRaster::Line(QPoint from, QPoint to, const Stroke& pen, int& phase) {
    // The common case of a drawing, a solid pen with both ends on the surface, needs no
    // clipping and no pattern; it walks the same pixels as the general case below.
    if (pen.pattern.length <= 1 && (pen.pattern.mask & 1u) != 0 &&
        unsigned(from.x()) < unsigned(width_) && unsigned(from.y()) < unsigned(height_) &&
        unsigned(to.x()) < unsigned(width_) && unsigned(to.y()) < unsigned(height_)) {
        const int dx = to.x() - from.x(), dy = to.y() - from.y();
        const bool xMajor = std::abs(dx) >= std::abs(dy);
        const int n = xMajor ? std::abs(dx) : std::abs(dy);
        const int m = xMajor ? std::abs(dy) : std::abs(dx);
        const int majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
        const int minorStep = (xMajor ? dy : dx) >= 0 ? 1 : -1;
        const Op ink = OpFor(pen.ink);
        int major = xMajor ? from.x() : from.y(), minor = xMajor ? from.y() : from.x();
        for (int i = 0, rest = n; i < n; ++i) {
            Plot(xMajor ? major : minor, xMajor ? minor : major, ink);
            major += majorStep;
            rest += 2 * m;
            if (rest >= 2 * n) {
                rest -= 2 * n;
                minor += minorStep;
            }
        }
        return;
    }
    std::int64_t fx = from.x(), fy = from.y(), tx = to.x(), ty = to.y();
    const int period = std::max(pen.pattern.length, 1);
    std::int64_t start = phase; // pattern position of the pixel at (fx, fy)
    // Divisions cost more than a short line's pixels: skip them for solid pens and for
    // lines that start inside the image, which is nearly every line of a drawing.
    if (period > 1) phase = int((phase + std::max(std::abs(tx - fx), std::abs(ty - fy))) % period);
    if (std::max({std::abs(fx), std::abs(fy), std::abs(tx), std::abs(ty)}) > FarAway) {
        const std::int64_t ox = fx, oy = fy;
        if (!ClipFar(fx, fy, tx, ty)) return;
        start += std::max(std::abs(fx - ox), std::abs(fy - oy));
    }

    // Pixel i (0 <= i < n) lies at major0 + majorStep · i along the major axis and at
    // minor0 + minorStep · q(i) across it, q(i) = floor((2·i·m + n) / (2·n)): i·m/n
    // rounded half up. The visible i form one range, found from both axes.
    const std::int64_t dx = tx - fx, dy = ty - fy;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::int64_t n = xMajor ? std::abs(dx) : std::abs(dy);
    if (n == 0) return;
    const std::int64_t m = xMajor ? std::abs(dy) : std::abs(dx);
    const std::int64_t major0 = xMajor ? fx : fy, minor0 = xMajor ? fy : fx;
    const int majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int minorStep = (xMajor ? dy : dx) >= 0 ? 1 : -1;
    const std::int64_t majorSize = xMajor ? width_ : height_, minorSize = xMajor ? height_ : width_;

    std::int64_t first = 0, last = n - 1;
    if (majorStep > 0) {
        first = std::max(first, -major0);
        last = std::min(last, majorSize - 1 - major0);
    } else {
        first = std::max(first, major0 - (majorSize - 1));
        last = std::min(last, major0);
    }
    const std::int64_t qLow =
        std::max<std::int64_t>(minorStep > 0 ? -minor0 : minor0 - (minorSize - 1), 0);
    const std::int64_t qHigh = std::min(minorStep > 0 ? minorSize - 1 - minor0 : minor0, m);
    if (qLow > qHigh) return;
    if (m > 0) {
        if (qLow > 0) first = std::max(first, CeilDiv(2 * n * qLow - n, 2 * m));
        if (qHigh < m) last = std::min(last, CeilDiv(2 * n * (qHigh + 1) - n, 2 * m) - 1);
    }
    if (first > last) return;

    const std::int64_t den = 2 * n;
    const std::int64_t num = 2 * first * m + n;
    std::int64_t q = first == 0 ? 0 : num / den, rest = first == 0 ? n : num % den;
    std::int64_t major = major0 + majorStep * first;
    int bit = period == 1 ? 0 : int((start + first) % period);
    const Op ink = OpFor(pen.ink), gap = OpFor(pen.gap);
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t minor = minor0 + minorStep * q;
        const int x = int(xMajor ? major : minor), y = int(xMajor ? minor : major);
        if ((pen.pattern.mask >> bit) & 1u)
            Plot(x, y, ink);
        else if (pen.opaqueGaps)
            Plot(x, y, gap);
        major += majorStep;
        rest += 2 * m;
        if (rest >= den) {
            rest -= den;
            ++q;
        }
        if (++bit == period) bit = 0;
    }
}

void PixelRaster::Polyline(const QPoint* points, int count, bool closed, const Stroke& pen) {
    int phase = 0;
    for (int i = 1; i < count; ++i) Line(points[i - 1], points[i], pen, phase);
    if (closed && count > 1) Line(points[count - 1], points[0], pen, phase);
}

void PixelRaster::Rectangle(int x1, int y1, int x2, int y2, const Stroke* pen, const Fill& fill) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x2 == x1 || y2 == y1) return;
    const int right = x2 - 1, bottom = y2 - 1;
    if (pen == nullptr) {
        for (std::int64_t y = std::max(y1, 0); y < std::min(bottom, height_); ++y)
            FillRun(int(y), x1, right - 1, fill);
        return;
    }
    int phase = 0;
    if (right == x1 || bottom == y1) { // one pixel thin: a single run, no inside
        Line({x1, y1}, {right + (bottom == y1), bottom + (bottom != y1)}, *pen, phase);
        return;
    }
    const QPoint corners[] = {{x1, y1}, {right, y1}, {right, bottom}, {x1, bottom}};
    Polyline(corners, 4, true, *pen);
    for (std::int64_t y = std::max(y1 + 1, 0); y < std::min(bottom, height_); ++y)
        FillRun(int(y), x1 + 1, right - 1, fill);
}

void PixelRaster::Ellipse(int x1, int y1, int x2, int y2, const Ink* pen, const Fill& fill) {
    std::int64_t left = std::min(x1, x2), right = std::max(x1, x2);
    std::int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
    if (pen == nullptr) { // the fill alone keeps inside the outline a pen would draw
        --right;
        --bottom;
    }
    if (right <= left || bottom <= top) return;
    const Op ink = OpFor(pen != nullptr ? *pen : fill.ink);
    const EllipseRows rows(left, top, right, bottom);
    rows.ForEachRun(0, height_ - 1,
                    [&](std::int64_t y, std::int64_t l, std::int64_t r, bool outline) {
                        if (outline && pen != nullptr)
                            Run(int(y), l, r, ink);
                        else
                            FillRun(int(y), l, r, fill);
                    });
}

void PixelRaster::Arc(int x1, int y1, int x2, int y2, QPoint start, QPoint end, Ink pen) {
    const std::int64_t left = std::min(x1, x2), right = std::max(x1, x2);
    const std::int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
    if (right == left || bottom == top) return;
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    const auto angle = [&](double x, double y) { return std::atan2(cy - y - 0.5, x + 0.5 - cx); };
    constexpr double turn = 2 * std::numbers::pi;
    const double from = angle(start.x(), start.y());
    double span = angle(end.x(), end.y()) - from;
    if (span <= 0) span += turn;
    const Op ink = OpFor(pen);
    const EllipseRows rows(left, top, right, bottom);
    rows.ForEachRun(0, height_ - 1,
                    [&](std::int64_t y, std::int64_t l, std::int64_t r, bool outline) {
                        if (!outline) return;
                        for (std::int64_t x = std::max<std::int64_t>(l, 0);
                             x <= std::min<std::int64_t>(r, width_ - 1); ++x) {
                            double d = angle(double(x), double(y)) - from;
                            if (d < 0) d += turn;
                            if (d <= span) Plot(int(x), int(y), ink);
                        }
                    });
}

void PixelRaster::FillRect(const QRect& r, const Fill& fill) {
    const QRect area = r.normalized();
    for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), height_ - 1); ++y)
        FillRun(y, area.left(), area.right(), fill);
}

} // namespace platform
