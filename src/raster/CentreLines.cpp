// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/CentreLines.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace raster {

namespace {

// Directions, side neighbours first: up, right, down, left, up-left, up-right, down-right,
// down-left. Their bits in LinePlane::Neighbours are 1, 3, 5, 7, 0, 2, 4, 6.
constexpr int StepX[8] = {0, 1, 0, -1, -1, 1, 1, -1};
constexpr int StepY[8] = {-1, 0, 1, 0, -1, -1, 1, 1};
constexpr int StepBit[8] = {1, 3, 5, 7, 0, 2, 4, 6};

// Yokoi's 8-connectivity number of a neighbour set (bits as LinePlane::Neighbours): the
// clear side neighbours followed, counter-clockwise, by a set corner or side.
constexpr int Branches(unsigned nb) {
    const auto at = [nb](int bit) { return (nb >> bit & 1) != 0; };
    // Counter-clockwise from the right: right 3, up-right 2, up 1, up-left 0, left 7,
    // down-left 6, down 5, down-right 4.
    constexpr int ring[8] = {3, 2, 1, 0, 7, 6, 5, 4};
    int n = 0;
    for (int k = 0; k < 8; k += 2)
        if (!at(ring[k]) && (at(ring[k + 1]) || at(ring[(k + 2) % 8]))) ++n;
    return n;
}

enum class PixelKind : std::uint8_t { Line, End, Junction };

PixelKind KindOf(unsigned nb) {
    const int count = std::popcount(nb);
    if (count <= 1) return PixelKind::End;
    if ((nb & 0xAA) == 0xAA) return PixelKind::Junction; // all four sides: inside a blob
    return Branches(nb) >= 3 ? PixelKind::Junction : PixelKind::Line;
}

struct Node {
    QPoint at;         // raster pixels
    int degree = 0;    // edge ends here
    int halfWidth = 0; // of the strokes at the node (junctions)
    bool junction = false;
};

struct Edge {
    int a = -1, b = -1; // nodes at the first and last point; −1: none
    std::vector<QPoint> points;
    bool removed = false;
    double Length() const {
        double sum = 0;
        for (std::size_t i = 1; i < points.size(); ++i)
            sum += std::hypot(points[i].x() - points[i - 1].x(), points[i].y() - points[i - 1].y());
        return sum;
    }
};

struct UnionFind {
    std::vector<int> parent;
    explicit UnionFind(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    int Find(int i) {
        while (parent[std::size_t(i)] != i) {
            parent[std::size_t(i)] = parent[std::size_t(parent[std::size_t(i)])];
            i = parent[std::size_t(i)];
        }
        return i;
    }
    void Join(int a, int b) {
        a = Find(a);
        b = Find(b);
        if (a != b) parent[std::size_t(std::max(a, b))] = std::min(a, b);
    }
};

class Graph {
public:
    Graph(const LinePlane& skeleton, const LinePlane& ink)
        : skeleton_(skeleton), ink_(ink), visited_(0, 0, skeleton.Width(), skeleton.Height()) {}

    bool Build(const Progress& progress);
    void PruneSpurs();
    void MergeCrossings();
    std::vector<TracedPolyline> Chains();

private:
    std::uint64_t Key(int x, int y) const {
        return std::uint64_t(y) * std::uint64_t(skeleton_.Width()) + std::uint64_t(x);
    }
    int NodeAt(int x, int y) const {
        const auto found = nodeOf_.find(Key(x, y));
        return found == nodeOf_.end() ? -1 : found->second;
    }
    QPoint Raster(int x, int y) const { return {x + skeleton_.Left(), y + skeleton_.Top()}; }
    void Walk(int from, int x, int y);
    void WalkRing(int x, int y);

    const LinePlane& skeleton_;
    const LinePlane& ink_;
    LinePlane visited_;
    std::unordered_map<std::uint64_t, int> nodeOf_; // node pixel → node
    std::vector<QPoint> nodePixels_;                // plane pixels, in scan order
    std::vector<Node> nodes_;
    std::vector<Edge> edges_;
};

bool Graph::Build(const Progress& progress) {
    // Node pixels, and touching ones joined.
    std::vector<PixelKind> kinds;
    skeleton_.ForEachSet([&](int x, int y) {
        const PixelKind kind = KindOf(skeleton_.Neighbours(x, y));
        if (kind == PixelKind::Line) return;
        nodeOf_.emplace(Key(x, y), int(nodePixels_.size()));
        nodePixels_.emplace_back(x, y);
        kinds.push_back(kind);
    });
    if (progress && !progress(0.2)) return false;
    UnionFind groups(nodePixels_.size());
    for (std::size_t i = 0; i < nodePixels_.size(); ++i) {
        const QPoint p = nodePixels_[i];
        // Neighbours already met in the scan: left, up-left, up, up-right.
        for (const auto& [dx, dy] : {std::pair{-1, 0}, {-1, -1}, {0, -1}, {1, -1}}) {
            const int other = NodeAt(p.x() + dx, p.y() + dy);
            if (other >= 0 && skeleton_.At(p.x() + dx, p.y() + dy)) groups.Join(int(i), other);
        }
    }
    // One node a group, at its pixel nearest to the group's mean; the junction pixels
    // alone decide where a junction is (an end touching it is a spur of one pixel).
    std::vector<int> nodeOfRoot(nodePixels_.size(), -1);
    for (std::size_t i = 0; i < nodePixels_.size(); ++i) {
        int& node = nodeOfRoot[std::size_t(groups.Find(int(i)))];
        if (node < 0) {
            node = int(nodes_.size());
            nodes_.emplace_back();
        }
        if (kinds[i] == PixelKind::Junction) nodes_[std::size_t(node)].junction = true;
    }
    const auto counts = [&](std::size_t i, int node) {
        return !nodes_[std::size_t(node)].junction || kinds[i] == PixelKind::Junction;
    };
    std::vector<double> sumX(nodes_.size(), 0), sumY(nodes_.size(), 0), count(nodes_.size(), 0);
    for (std::size_t i = 0; i < nodePixels_.size(); ++i) {
        const int node = nodeOfRoot[std::size_t(groups.Find(int(i)))];
        if (!counts(i, node)) continue;
        sumX[std::size_t(node)] += nodePixels_[i].x();
        sumY[std::size_t(node)] += nodePixels_[i].y();
        count[std::size_t(node)] += 1;
    }
    std::vector<double> best(nodes_.size(), 1e300);
    for (std::size_t i = 0; i < nodePixels_.size(); ++i) {
        const int node = nodeOfRoot[std::size_t(groups.Find(int(i)))];
        const QPoint p = nodePixels_[i];
        nodeOf_[Key(p.x(), p.y())] = node;
        if (!counts(i, node)) continue;
        const double mx = sumX[std::size_t(node)] / count[std::size_t(node)],
                     my = sumY[std::size_t(node)] / count[std::size_t(node)];
        const double d = (p.x() - mx) * (p.x() - mx) + (p.y() - my) * (p.y() - my);
        if (d < best[std::size_t(node)]) {
            best[std::size_t(node)] = d;
            nodes_[std::size_t(node)].at = p;
        }
    }
    for (Node& n : nodes_) {
        if (n.junction) n.halfWidth = ClearDistance(ink_, n.at.x(), n.at.y());
        n.at = Raster(n.at.x(), n.at.y());
    }
    if (progress && !progress(0.4)) return false;
    // Edges from every node pixel, then the rings that are left.
    for (const QPoint p : nodePixels_) {
        const int node = NodeAt(p.x(), p.y());
        for (int k = 0; k < 8; ++k) {
            const int x = p.x() + StepX[k], y = p.y() + StepY[k];
            if (!skeleton_.At(x, y) || visited_.Get(x, y) || NodeAt(x, y) >= 0) continue;
            Walk(node, x, y);
        }
    }
    if (progress && !progress(0.7)) return false;
    skeleton_.ForEachSet([&](int x, int y) {
        if (!visited_.Get(x, y) && NodeAt(x, y) < 0) WalkRing(x, y);
    });
    return !progress || progress(0.8);
}

// From node `from` onto line pixel (x, y), along the line to the next node.
void Graph::Walk(int from, int x, int y) {
    Edge edge;
    edge.a = from;
    edge.points.push_back(nodes_[std::size_t(from)].at);
    bool first = true;
    for (;;) {
        visited_.Set(x, y);
        edge.points.push_back(Raster(x, y));
        int end = -1, nx = -1, ny = -1;
        for (int k = 0; k < 8 && end < 0; ++k) {
            const int qx = x + StepX[k], qy = y + StepY[k];
            if (!skeleton_.At(qx, qy)) continue;
            const int node = NodeAt(qx, qy);
            if (node >= 0 && !(first && node == from)) end = node;
        }
        if (end >= 0) {
            edge.b = end;
            edge.points.push_back(nodes_[std::size_t(end)].at);
            break;
        }
        for (int k = 0; k < 8 && nx < 0; ++k) {
            const int qx = x + StepX[k], qy = y + StepY[k];
            if (skeleton_.At(qx, qy) && !visited_.Get(qx, qy) && NodeAt(qx, qy) < 0) {
                nx = qx;
                ny = qy;
            }
        }
        if (nx < 0) break; // a line that ends without an end pixel: its last pixel ends it
        x = nx;
        y = ny;
        first = false;
    }
    ++nodes_[std::size_t(from)].degree;
    if (edge.b >= 0) ++nodes_[std::size_t(edge.b)].degree;
    edges_.push_back(std::move(edge));
}

// Around a line without nodes, from (x, y).
void Graph::WalkRing(int x, int y) {
    Edge ring;
    for (;;) {
        visited_.Set(x, y);
        ring.points.push_back(Raster(x, y));
        int nx = -1, ny = -1;
        for (int k = 0; k < 8 && nx < 0; ++k) {
            const int qx = x + StepX[k], qy = y + StepY[k];
            if (skeleton_.At(qx, qy) && !visited_.Get(qx, qy)) {
                nx = qx;
                ny = qy;
            }
        }
        if (nx < 0) break;
        x = nx;
        y = ny;
    }
    edges_.push_back(std::move(ring));
}

void Graph::PruneSpurs() {
    std::vector<std::size_t> spurs;
    for (std::size_t e = 0; e < edges_.size(); ++e) {
        const Edge& edge = edges_[e];
        const bool fromJunction = edge.a >= 0 && nodes_[std::size_t(edge.a)].junction;
        const bool toJunction = edge.b >= 0 && nodes_[std::size_t(edge.b)].junction;
        if (fromJunction != toJunction) spurs.push_back(e);
    }
    std::vector<double> length(edges_.size());
    for (const std::size_t e : spurs) length[e] = edges_[e].Length();
    std::stable_sort(spurs.begin(), spurs.end(),
                     [&](std::size_t i, std::size_t j) { return length[i] < length[j]; });
    for (const std::size_t e : spurs) {
        Edge& edge = edges_[e];
        const bool fromJunction = edge.a >= 0 && nodes_[std::size_t(edge.a)].junction;
        Node& junction = nodes_[std::size_t(fromJunction ? edge.a : edge.b)];
        const int free = fromJunction ? edge.b : edge.a;
        if (junction.degree < 3 || length[e] > junction.halfWidth + 2) continue;
        edge.removed = true;
        --junction.degree;
        if (free >= 0) --nodes_[std::size_t(free)].degree;
    }
}

void Graph::MergeCrossings() {
    UnionFind merged(nodes_.size());
    bool any = false;
    for (Edge& edge : edges_) {
        if (edge.removed || edge.a < 0 || edge.b < 0 || edge.a == edge.b) continue;
        const Node &a = nodes_[std::size_t(edge.a)], &b = nodes_[std::size_t(edge.b)];
        if (a.degree < 3 || b.degree < 3) continue;
        if (merged.Find(edge.a) == merged.Find(edge.b)) continue;
        if (edge.Length() > 1.5 * std::max(a.halfWidth, b.halfWidth)) continue;
        merged.Join(edge.a, edge.b);
        edge.removed = true;
        any = true;
    }
    if (!any) return;
    // Each merged node at the pixel of its members' mean, rounded.
    std::vector<double> sumX(nodes_.size(), 0), sumY(nodes_.size(), 0), count(nodes_.size(), 0);
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        const auto root = std::size_t(merged.Find(int(i)));
        sumX[root] += nodes_[i].at.x();
        sumY[root] += nodes_[i].at.y();
        count[root] += 1;
    }
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (count[i] > 1)
            nodes_[i].at =
                QPoint(int(std::lround(sumX[i] / count[i])), int(std::lround(sumY[i] / count[i])));
    for (Edge& edge : edges_) {
        if (edge.removed) continue;
        if (edge.a >= 0) {
            edge.a = merged.Find(edge.a);
            edge.points.front() = nodes_[std::size_t(edge.a)].at;
        }
        if (edge.b >= 0) {
            edge.b = merged.Find(edge.b);
            edge.points.back() = nodes_[std::size_t(edge.b)].at;
        }
    }
}

std::vector<TracedPolyline> Graph::Chains() {
    // The edges at each node, with the end of the edge that is there.
    std::vector<std::vector<std::pair<std::size_t, bool>>> at(nodes_.size());
    for (std::size_t e = 0; e < edges_.size(); ++e) {
        if (edges_[e].removed) continue;
        if (edges_[e].a >= 0) at[std::size_t(edges_[e].a)].emplace_back(e, true);
        if (edges_[e].b >= 0) at[std::size_t(edges_[e].b)].emplace_back(e, false);
    }
    const auto through = [&](int node) { return node >= 0 && at[std::size_t(node)].size() == 2; };
    std::vector<char> used(edges_.size(), 0);
    // Appends the edges beyond the node at the end of chain, until a node that is not
    // passed through; true when the chain came back to its first edge.
    const auto extend = [&](std::vector<QPoint>& chain, int node, std::size_t last) {
        while (through(node)) {
            const auto& pair = at[std::size_t(node)];
            if (pair[0].first == pair[1].first) return true; // one edge with both ends here
            const auto [next, atStart] = pair[0].first == last ? pair[1] : pair[0];
            if (used[next]) return true;
            used[next] = 1;
            const Edge& edge = edges_[next];
            if (atStart) {
                chain.insert(chain.end(), edge.points.begin() + 1, edge.points.end());
                node = edge.b;
            } else {
                chain.insert(chain.end(), edge.points.rbegin() + 1, edge.points.rend());
                node = edge.a;
            }
            last = next;
        }
        return false;
    };
    std::vector<TracedPolyline> out;
    for (std::size_t e = 0; e < edges_.size(); ++e) {
        if (edges_[e].removed || used[e]) continue;
        const Edge& edge = edges_[e];
        used[e] = 1;
        TracedPolyline line;
        if (edge.a < 0 && edge.b < 0 && edge.points.size() > 2) {
            const QPoint first = edge.points.front(), last = edge.points.back();
            line.closed =
                std::abs(first.x() - last.x()) <= 1 && std::abs(first.y() - last.y()) <= 1;
            line.points = edge.points;
        } else {
            std::vector<QPoint> forward = edge.points;
            bool ring = extend(forward, edge.b, e);
            if (!ring) {
                std::vector<QPoint> backward(edge.points.rbegin(), edge.points.rend());
                extend(backward, edge.a, e);
                // backward runs from edge.b's side through the edge and on past edge.a.
                std::reverse(backward.begin(), backward.end());
                backward.insert(backward.end(),
                                forward.begin() + std::ptrdiff_t(edge.points.size()),
                                forward.end());
                line.points = std::move(backward);
            } else {
                line.points = std::move(forward);
                if (line.points.size() > 1 && line.points.front() == line.points.back())
                    line.points.pop_back();
                line.closed = true;
            }
        }
        if (line.points.size() >= 2) out.push_back(std::move(line));
    }
    return out;
}

} // namespace

int ClearDistance(const LinePlane& plane, int x, int y, int limit) {
    for (int r = 1; r < limit; ++r) {
        for (int i = -r; i <= r; ++i)
            if (!plane.At(x + i, y - r) || !plane.At(x + i, y + r) || !plane.At(x - r, y + i) ||
                !plane.At(x + r, y + i))
                return r;
    }
    return limit;
}

std::vector<TracedPolyline> CentreLines(const LinePlane& skeleton, const LinePlane& ink,
                                        const Progress& progress) {
    Graph graph(skeleton, ink);
    if (!graph.Build(progress)) return {};
    graph.PruneSpurs();
    graph.MergeCrossings();
    std::vector<TracedPolyline> lines = graph.Chains();
    if (progress && !progress(1.0)) return {};
    return lines;
}

} // namespace raster
