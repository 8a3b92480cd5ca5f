// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/Regions.h"

#include "raster/BoundaryTests.h"
#include "raster/EdgeFollower.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>

namespace raster {

namespace {

struct Run {
    int x0, x1; // pixels x0 … x1 − 1
    int row;
    int parent;
};

// Calls visit(x0, x1) for each run of set (ones) or clear pixels of the row, left to right.
template <class Visit>
void ForEachRun(const std::uint64_t* row, int words, int width, bool ones, Visit&& visit) {
    int start = -1;
    for (int i = 0; i < words; ++i) {
        std::uint64_t w = ones ? row[i] : ~row[i];
        if (i == words - 1 && width % 64 != 0) w &= (std::uint64_t(1) << (width % 64)) - 1;
        int bit = 0;
        while (bit < 64) {
            if (start < 0) {
                const std::uint64_t rest = w >> bit;
                if (rest == 0) break;
                bit += std::countr_zero(rest);
                start = 64 * i + bit;
            }
            const std::uint64_t rest = ~w >> bit;
            if (rest == 0) break; // the run goes on into the next word
            bit += std::countr_zero(rest);
            visit(start, 64 * i + bit);
            start = -1;
        }
    }
    if (start >= 0) visit(start, width);
}

int Root(std::vector<Run>& runs, int i) {
    while (runs[std::size_t(i)].parent != i) {
        Run& r = runs[std::size_t(i)];
        r.parent = runs[std::size_t(r.parent)].parent;
        i = r.parent;
    }
    return i;
}

void Join(std::vector<Run>& runs, int a, int b) {
    a = Root(runs, a);
    b = Root(runs, b);
    if (a != b) runs[std::size_t(std::max(a, b))].parent = std::min(a, b);
}

// Every run of the plane's set (ones) or clear pixels, joined into regions: 8-way for set
// pixels, 4-way for clear ones. Empty when cancelled.
std::vector<Run> LabelRuns(const LinePlane& plane, bool ones, const Progress& progress) {
    std::vector<Run> runs;
    // The runs counted first (a run starts where a pixel differs from its left neighbour),
    // so that the list is allocated once rather than copied as it grows.
    std::size_t count = 0;
    const int words = plane.Words(), width = plane.Width();
    for (int y = 0; y < plane.Height(); ++y) {
        const std::uint64_t* row = plane.Row(y);
        std::uint64_t carry = 0; // the pixel left of the row belongs to no run
        for (int i = 0; i < words; ++i) {
            std::uint64_t w = ones ? row[i] : ~row[i];
            if (i == words - 1 && width % 64 != 0) w &= (std::uint64_t(1) << (width % 64)) - 1;
            count += std::size_t(std::popcount(w & ~((w << 1) | carry)));
            carry = w >> 63;
        }
    }
    runs.reserve(count);
    std::size_t above = 0, aboveEnd = 0; // the runs of the row above
    const int reach = ones ? 1 : 0;      // diagonal contact counts for set pixels
    for (int y = 0; y < plane.Height(); ++y) {
        if (progress && (y & 1023) == 0 && !progress(double(y) / plane.Height())) return {};
        const std::size_t begin = runs.size();
        ForEachRun(plane.Row(y), plane.Words(), plane.Width(), ones, [&](int x0, int x1) {
            const int self = int(runs.size());
            runs.push_back({x0, x1, y, self});
            while (above < aboveEnd && runs[above].x1 + reach <= x0) ++above;
            for (std::size_t j = above; j < aboveEnd && runs[j].x0 < x1 + reach; ++j)
                Join(runs, self, int(j));
        });
        above = begin;
        aboveEnd = runs.size();
    }
    return runs;
}

struct Box {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN; // inclusive
    void Add(const Run& r) {
        x0 = std::min(x0, r.x0);
        x1 = std::max(x1, r.x1 - 1);
        y0 = std::min(y0, r.row);
        y1 = std::max(y1, r.row);
    }
    bool Smaller(int speck) const { return x1 - x0 + 1 < speck && y1 - y0 + 1 < speck; }
};

std::vector<Box> Boxes(std::vector<Run>& runs) {
    std::vector<Box> boxes(runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i)
        boxes[std::size_t(Root(runs, int(i)))].Add(runs[i]);
    return boxes;
}

} // namespace

RegionCount DropSpecks(LinePlane& plane, int speck, std::vector<QPoint>* starts,
                       const Progress& progress) {
    std::vector<Run> runs = LabelRuns(plane, true, progress);
    const std::vector<Box> boxes = Boxes(runs);
    RegionCount count;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Run& r = runs[i];
        const bool speckle = boxes[std::size_t(Root(runs, int(i)))].Smaller(speck);
        if (r.parent == int(i)) {
            (speckle ? count.dropped : count.kept) += 1;
            if (!speckle && starts) starts->emplace_back(r.x0, r.row);
        }
        if (!speckle) continue;
        for (int x = r.x0; x < r.x1; ++x) plane.Clear(x, r.row);
    }
    return count;
}

std::vector<QPoint> HoleStarts(const LinePlane& plane, int speck) {
    std::vector<Run> runs = LabelRuns(plane, false, {});
    std::vector<Box> boxes = Boxes(runs);
    std::vector<QPoint> starts;
    const int w = plane.Width(), h = plane.Height();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].parent != int(i)) continue;
        const Box& b = boxes[i];
        if (b.x0 == 0 || b.y0 == 0 || b.x1 == w - 1 || b.y1 == h - 1) continue; // outside
        if (b.Smaller(speck)) continue;
        starts.emplace_back(runs[i].x0, runs[i].row);
    }
    return starts;
}

std::vector<QPoint> FollowPlaneBoundary(const LinePlane& plane, QPoint start, int d) {
    std::vector<QPoint> points;
    const QPoint corner(plane.Left(), plane.Top());
    QPoint p = start;
    const auto step = [&](QPoint& at, int& dir) {
        // Direction bits of LinePlane::Neighbours are those of the follower.
        const unsigned set = plane.Neighbours(at.x(), at.y());
        if (set == 0) return false;
        const int moved = FirstClockwise(set, dir);
        at += QPoint(DirX[moved], DirY[moved]);
        dir = NextStart(moved);
        return true;
    };
    if (!step(p, d)) return points;
    const QPoint firstAt = p;
    const int firstD = d;
    points.push_back(start + corner);
    // The follower is deterministic and can be run backwards, so its states form a cycle
    // through the first one; each pixel is entered at most eight times in it.
    const std::size_t limit = 8 * (std::size_t(plane.Width()) * std::size_t(plane.Height()) + 1);
    for (std::size_t n = 0; n < limit; ++n) {
        points.push_back(p + corner);
        step(p, d);
        if (p == firstAt && d == firstD) break;
    }
    // The walk ends at the start again: points holds start, …, start.
    if (points.size() > 1 && points.back() == start + corner) points.pop_back();
    return points;
}

} // namespace raster
