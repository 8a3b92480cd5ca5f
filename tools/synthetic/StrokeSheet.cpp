// SPDX-License-Identifier: GPL-3.0-or-later
#include "StrokeSheet.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace synthetic {

namespace {

constexpr int Cell = 160;
constexpr double Pi = 3.14159265358979323846;

QPointF Polar(QPointF centre, double radius, double angle) {
    return centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
}

double SegmentDistance(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a, ap = p - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(ap, ab) / len2, 0.0, 1.0) : 0.0;
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

// Segments of polylines binned by the cells of a grid, for nearest-segment questions.
class SegmentGrid {
public:
    SegmentGrid(int width, int height, const std::vector<TruePolyline>& lines)
        : columns_(width / Bin + 1), rows_(height / Bin + 1),
          bins_(std::size_t(columns_) * std::size_t(rows_)) {
        for (const TruePolyline& line : lines) {
            const std::size_t n = line.points.size();
            for (std::size_t i = 0; i + 1 < n + (line.closed ? 1 : 0); ++i)
                Add(line.points[i], line.points[(i + 1) % n]);
        }
    }
    // Whether a segment lies within reach of p (reach ≤ Bin).
    bool Near(QPointF p, double reach) const {
        const int cx = int(p.x()) / Bin, cy = int(p.y()) / Bin;
        for (int y = cy - 1; y <= cy + 1; ++y)
            for (int x = cx - 1; x <= cx + 1; ++x) {
                if (x < 0 || y < 0 || x >= columns_ || y >= rows_) continue;
                for (const auto& [a, b] :
                     bins_[std::size_t(y) * std::size_t(columns_) + std::size_t(x)])
                    if (SegmentDistance(p, a, b) <= reach) return true;
            }
        return false;
    }

private:
    static constexpr int Bin = 8;
    void Add(QPointF a, QPointF b) {
        const int x0 = std::clamp(int(std::min(a.x(), b.x())) / Bin, 0, columns_ - 1),
                  x1 = std::clamp(int(std::max(a.x(), b.x())) / Bin, 0, columns_ - 1),
                  y0 = std::clamp(int(std::min(a.y(), b.y())) / Bin, 0, rows_ - 1),
                  y1 = std::clamp(int(std::max(a.y(), b.y())) / Bin, 0, rows_ - 1);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                bins_[std::size_t(y) * std::size_t(columns_) + std::size_t(x)].emplace_back(a, b);
    }
    int columns_, rows_;
    std::vector<std::vector<std::pair<QPointF, QPointF>>> bins_;
};

// The length of the lines, and the length within reach of the other lines, sampled every
// quarter pixel.
std::pair<double, double> CoveredLength(const std::vector<TruePolyline>& lines,
                                        const SegmentGrid& other, double reach) {
    double total = 0, covered = 0;
    for (const TruePolyline& line : lines) {
        const std::size_t n = line.points.size();
        for (std::size_t i = 0; i + 1 < n + (line.closed && n > 2 ? 1 : 0); ++i) {
            const QPointF a = line.points[i], b = line.points[(i + 1) % n];
            const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
            const int steps = std::max(1, int(std::ceil(length * 4)));
            for (int s = 0; s < steps; ++s) {
                const QPointF p = a + (b - a) * ((s + 0.5) / steps);
                total += length / steps;
                if (other.Near(p, reach)) covered += length / steps;
            }
        }
    }
    return {total, covered};
}

} // namespace

StrokeSheet MakeStrokeSheet(int width, int height, double strokeWidth, std::uint32_t seed) {
    StrokeSheet sheet;
    sheet.width = width;
    sheet.height = height;
    sheet.strokeWidth = strokeWidth;
    std::mt19937 random(seed);
    const auto uniform = [&random](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    int figure = 0;
    for (int top = 0; top + Cell <= height; top += Cell)
        for (int left = 0; left + Cell <= width; left += Cell, ++figure) {
            const QPointF centre(left + Cell / 2.0 + uniform(-4, 4),
                                 top + Cell / 2.0 + uniform(-4, 4));
            const double turn = uniform(0, 2 * Pi);
            switch (figure % 6) {
            case 0: { // a straight stroke
                const double half = uniform(45, 65);
                sheet.strokes.push_back(
                    {{Polar(centre, half, turn), Polar(centre, half, turn + Pi)}, false});
                sheet.pieces += 1;
                break;
            }
            case 1: { // an arc
                const double radius = uniform(35, 60), sweep = uniform(0.6, 1.5) * Pi;
                TruePolyline arc;
                const int steps = int(radius * sweep);
                for (int i = 0; i <= steps; ++i)
                    arc.points.push_back(Polar(centre, radius, turn + sweep * i / steps));
                sheet.strokes.push_back(std::move(arc));
                sheet.pieces += 1;
                break;
            }
            case 2: { // a polyline with corners
                TruePolyline line;
                QPointF p = Polar(centre, 55, turn);
                double heading = turn + Pi + uniform(-0.3, 0.3);
                line.points.push_back(p);
                for (int i = 0; i < 3; ++i) {
                    p = Polar(p, uniform(30, 40), heading);
                    line.points.push_back(p);
                    heading += (i % 2 == 0 ? 1 : -1) * uniform(0.5, 1.4);
                }
                sheet.strokes.push_back(std::move(line));
                sheet.pieces += 1;
                break;
            }
            case 3: { // a T junction
                const double half = uniform(45, 60), stem = uniform(40, 60);
                const double angle = turn + Pi / 2 + uniform(-0.5, 0.5);
                sheet.strokes.push_back(
                    {{Polar(centre, half, turn), Polar(centre, half, turn + Pi)}, false});
                sheet.strokes.push_back({{centre, Polar(centre, stem, angle)}, false});
                sheet.junctions.push_back(centre);
                sheet.pieces += 3;
                break;
            }
            case 4: { // an X crossing
                static constexpr double angles[3] = {Pi / 2, Pi / 3, Pi / 4};
                const double cross = angles[(figure / 6) % 3];
                for (const double a : {turn, turn + cross}) {
                    const double half = uniform(45, 60);
                    sheet.strokes.push_back(
                        {{Polar(centre, half, a), Polar(centre, half, a + Pi)}, false});
                }
                sheet.junctions.push_back(centre);
                sheet.pieces += 4;
                break;
            }
            default: { // a ring
                const double radius = uniform(25, 55);
                TruePolyline ring;
                ring.closed = true;
                const int steps = int(2 * Pi * radius);
                for (int i = 0; i < steps; ++i)
                    ring.points.push_back(Polar(centre, radius, turn + 2 * Pi * i / steps));
                sheet.strokes.push_back(std::move(ring));
                sheet.pieces += 1;
                break;
            }
            }
        }
    return sheet;
}

platform::Bitmap24 RenderStrokeSheet(const StrokeSheet& sheet, Look look, std::uint32_t seed) {
    const int w = sheet.width, h = sheet.height;
    const double half = sheet.strokeWidth / 2;
    // Ink coverage of each pixel, 0 … 1.
    std::vector<float> cover(std::size_t(w) * std::size_t(h), 0.0f);
    const int samples = look == Look::Clean ? 1 : 4;
    for (const TruePolyline& line : sheet.strokes) {
        const std::size_t n = line.points.size();
        for (std::size_t i = 0; i + 1 < n + (line.closed ? 1 : 0); ++i) {
            const QPointF a = line.points[i], b = line.points[(i + 1) % n];
            const int x0 = std::max(0, int(std::floor(std::min(a.x(), b.x()) - half - 1))),
                      x1 = std::min(w - 1, int(std::ceil(std::max(a.x(), b.x()) + half + 1))),
                      y0 = std::max(0, int(std::floor(std::min(a.y(), b.y()) - half - 1))),
                      y1 = std::min(h - 1, int(std::ceil(std::max(a.y(), b.y()) + half + 1)));
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x) {
                    int in = 0;
                    for (int sy = 0; sy < samples; ++sy)
                        for (int sx = 0; sx < samples; ++sx) {
                            const QPointF p(x + (sx + 0.5) / samples - 0.5,
                                            y + (sy + 0.5) / samples - 0.5);
                            in += SegmentDistance(p, a, b) <= half;
                        }
                    float& c = cover[std::size_t(y) * std::size_t(w) + std::size_t(x)];
                    c = std::max(c, float(in) / float(samples * samples));
                }
        }
    }
    std::vector<float> grey(cover.size());
    for (std::size_t i = 0; i < cover.size(); ++i) grey[i] = 246.0f - 226.0f * cover[i];
    if (look == Look::Scan) {
        // A Gaussian blur of σ 0.7 (kernel radius 2), rows then columns.
        float kernel[5];
        float sum = 0;
        for (int k = -2; k <= 2; ++k) sum += kernel[k + 2] = float(std::exp(-k * k / (2 * 0.49)));
        for (float& k : kernel) k /= sum;
        std::vector<float> pass(grey.size());
        for (int dir = 0; dir < 2; ++dir) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    float v = 0;
                    for (int k = -2; k <= 2; ++k) {
                        const int xx = dir == 0 ? std::clamp(x + k, 0, w - 1) : x;
                        const int yy = dir == 1 ? std::clamp(y + k, 0, h - 1) : y;
                        v += kernel[k + 2] *
                             grey[std::size_t(yy) * std::size_t(w) + std::size_t(xx)];
                    }
                    pass[std::size_t(y) * std::size_t(w) + std::size_t(x)] = v;
                }
            grey.swap(pass);
        }
    }
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 6.0f);
    platform::Bitmap24 bitmap(w, h);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                float v = grey[std::size_t(y) * std::size_t(w) + std::size_t(x)];
                if (look == Look::Scan) v += noise(random);
                row[3 * x + c] = std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
            }
    }
    return bitmap;
}

TraceScore ScoreTrace(const StrokeSheet& sheet, const std::vector<TruePolyline>& traced) {
    TraceScore score;
    score.traced = traced.size();
    const SegmentGrid truthGrid(sheet.width, sheet.height, sheet.strokes);
    const SegmentGrid tracedGrid(sheet.width, sheet.height, traced);
    const auto [truthLength, truthCovered] = CoveredLength(sheet.strokes, tracedGrid, 1.5);
    const auto [tracedLength, tracedCovered] = CoveredLength(traced, truthGrid, 1.5);
    score.truthCovered = truthLength > 0 ? truthCovered / truthLength : 1;
    score.tracedOnTruth = tracedLength > 0 ? tracedCovered / tracedLength : 1;
    std::size_t found = 0;
    for (const QPointF j : sheet.junctions) {
        int ends = 0;
        for (const TruePolyline& line : traced) {
            if (line.closed || line.points.empty()) continue;
            for (const QPointF end : {line.points.front(), line.points.back()})
                ends += std::hypot(end.x() - j.x(), end.y() - j.y()) <= 2.0;
        }
        found += ends >= 3;
    }
    score.junctionsFound = sheet.junctions.empty() ? 1 : double(found) / sheet.junctions.size();
    score.linesPerPiece = sheet.pieces > 0 ? double(traced.size()) / double(sheet.pieces) : 0;
    return score;
}

} // namespace synthetic
