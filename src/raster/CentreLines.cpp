// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/CentreLines.h"

#include <QPointF>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numbers>
#include <numeric>
#include <span>
#include <unordered_map>

namespace raster {

namespace {

// Directions, side neighbours first: up, right, down, left, up-left, up-right, down-right,
// down-left. Their bits in LinePlane::Neighbours are 1, 3, 5, 7, 0, 2, 4, 6.
constexpr int StepX[8] = {0, 1, 0, -1, -1, 1, 1, -1};
constexpr int StepY[8] = {-1, 0, 1, 0, -1, -1, 1, 1};
constexpr int StepBit[8] = {1, 3, 5, 7, 0, 2, 4, 6};

enum class PixelKind : std::uint8_t { End, Junction };

// The node pixels of word i of the middle row, a bit each. An end has at most one set
// neighbour; a junction has three or more branches (Yokoi's 8-connectivity number: the
// clear side neighbours followed, counter-clockwise, by a set corner or side) or all four
// side neighbours set (inside a blob).
struct NodeBits {
    std::uint64_t ends = 0, junctions = 0;
};
NodeBits NodeBitsOf(const std::uint64_t* up, const std::uint64_t* mid, const std::uint64_t* down,
                    int i) {
    const std::uint64_t c = mid[i], n = up[i], s = down[i];
    const std::uint64_t w = (c << 1) | (mid[i - 1] >> 63), e = (c >> 1) | (mid[i + 1] << 63);
    const std::uint64_t nw = (n << 1) | (up[i - 1] >> 63), ne = (n >> 1) | (up[i + 1] << 63);
    const std::uint64_t sw = (s << 1) | (down[i - 1] >> 63), se = (s >> 1) | (down[i + 1] << 63);
    std::uint64_t any = 0, two = 0;
    for (const std::uint64_t v : {n, s, e, w, ne, nw, se, sw}) {
        two |= any & v;
        any |= v;
    }
    const std::uint64_t t1 = ~e & (ne | n), t2 = ~n & (nw | w), t3 = ~w & (sw | s),
                        t4 = ~s & (se | e);
    const std::uint64_t threeBranches = (t1 & t2 & (t3 | t4)) | (t3 & t4 & (t1 | t2));
    NodeBits bits;
    bits.ends = c & ~two;
    bits.junctions = c & two & (threeBranches | (n & s & e & w));
    return bits;
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
        for (std::size_t i = 1; i < points.size(); ++i) {
            const int dx = std::abs(points[i].x() - points[i - 1].x()),
                      dy = std::abs(points[i].y() - points[i - 1].y());
            // Steps between neighbours (all but those to a node's point) without a root.
            sum += dx <= 1 && dy <= 1 ? (dx + dy == 2 ? std::numbers::sqrt2 : dx + dy)
                                      : std::hypot(dx, dy);
        }
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

// The line a branch follows as it leaves a junction: a point on it and its direction
// (a unit vector), raster pixels.
struct BranchLine {
    bool fitted = false;
    double cx = 0, cy = 0, ux = 0, uy = 0;
    double Distance(QPointF p) const { return std::abs(ux * (p.y() - cy) - uy * (p.x() - cx)); }
};

// The point nearest, in the least-squares sense, to a set of lines: the solution of
// Σ (I − u uᵀ) p = Σ (I − u uᵀ) c. Refused when the lines are too close to parallel for
// the point to be well defined.
struct LeastSquaresMeet {
    double axx = 0, axy = 0, ayy = 0, bx = 0, by = 0;
    int lines = 0;
    void Add(const BranchLine& l) {
        const double mxx = 1 - l.ux * l.ux, mxy = -l.ux * l.uy, myy = 1 - l.uy * l.uy;
        axx += mxx;
        axy += mxy;
        ayy += myy;
        bx += mxx * l.cx + mxy * l.cy;
        by += mxy * l.cx + myy * l.cy;
        ++lines;
    }
    bool Solve(QPointF& p) const {
        const double det = axx * ayy - axy * axy, trace = axx + ayy;
        const double smallest = (trace - std::sqrt(std::max(0.0, trace * trace - 4 * det))) / 2;
        // Two lines 25° apart give 0.09; a T or a crossing of 45° gives 0.3 or more.
        if (lines < 2 || smallest < 0.2) return false;
        p = QPointF((ayy * bx - axy * by) / det, (axx * by - axy * bx) / det);
        return true;
    }
};

class Graph {
public:
    Graph(const LinePlane& skeleton, const LinePlane& ink)
        : skeleton_(skeleton), ink_(ink), visited_(0, 0, skeleton.Width(), skeleton.Height()),
          isNode_(0, 0, skeleton.Width(), skeleton.Height()) {}

    bool Build(const Progress& progress);
    void PruneSpurs();
    void PlaceJunctions();
    std::vector<TracedPolyline> Chains();

private:
    std::uint64_t Key(int x, int y) const {
        return std::uint64_t(y) * std::uint64_t(skeleton_.Width()) + std::uint64_t(x);
    }
    // The bit plane answers for the many pixels that are not nodes without a look-up.
    int NodeAt(int x, int y) const {
        if (!isNode_.At(x, y)) return -1;
        const auto found = nodeOf_.find(Key(x, y));
        return found == nodeOf_.end() ? -1 : found->second;
    }
    QPoint Raster(int x, int y) const { return {x + skeleton_.Left(), y + skeleton_.Top()}; }
    void Walk(int from, int x, int y);
    void WalkRing(int x, int y);
    void JoinTouchingEnds();
    BranchLine FitBranch(const Edge& edge, bool atStart) const;
    bool Meets(const std::vector<std::pair<std::size_t, bool>>& branches, QPointF& at) const;

    const LinePlane& skeleton_;
    const LinePlane& ink_;
    LinePlane visited_;
    LinePlane isNode_;                              // the node pixels
    std::unordered_map<std::uint64_t, int> nodeOf_; // node pixel → node
    std::vector<QPoint> nodePixels_;                // plane pixels, in scan order
    std::vector<Node> nodes_;
    std::vector<Edge> edges_;
    // Walks that ended beside a pixel of an edge walked before (edge, that pixel in plane
    // coordinates): junctions whose pixels the classification took for line pixels.
    std::vector<std::pair<std::size_t, QPoint>> touches_;
    std::vector<std::array<BranchLine, 2>> branchLines_; // per edge: at its first, last point
};

bool Graph::Build(const Progress& progress) {
    // Node pixels, and touching ones joined.
    std::vector<PixelKind> kinds;
    for (int y = 0; y < skeleton_.Height(); ++y) {
        const std::uint64_t *up = skeleton_.Row(y - 1), *mid = skeleton_.Row(y),
                            *down = skeleton_.Row(y + 1);
        for (int i = 0; i < skeleton_.Words(); ++i) {
            if (mid[i] == 0) continue;
            const NodeBits bits = NodeBitsOf(up, mid, down, i);
            for (std::uint64_t w = bits.ends | bits.junctions; w != 0; w &= w - 1) {
                const int bit = std::countr_zero(w), x = 64 * i + bit;
                nodeOf_.emplace(Key(x, y), int(nodePixels_.size()));
                isNode_.Set(x, y);
                nodePixels_.emplace_back(x, y);
                kinds.push_back(bits.ends >> bit & 1 ? PixelKind::End : PixelKind::Junction);
            }
        }
    }
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
    JoinTouchingEnds();
    skeleton_.ForEachSet([&](int x, int y) {
        if (!visited_.Get(x, y) && NodeAt(x, y) < 0) WalkRing(x, y);
    });
    return !progress || progress(0.8);
}

// Each touch becomes a junction node at the touched pixel: the touching edge is carried on
// to it and the touched edge split there.
void Graph::JoinTouchingEnds() {
    if (touches_.empty()) return;
    // The touched pixels are marked in the node plane: they lie inside edges, where no node
    // pixel does, and no walk reads that plane any more.
    LinePlane& touched = isNode_;
    std::unordered_map<std::uint64_t, int> nodeAt; // touched pixel → its new node
    for (const auto& [e, q] : touches_) {
        int& node = nodeAt.try_emplace(Key(q.x(), q.y()), -1).first->second;
        if (node < 0) {
            node = int(nodes_.size());
            nodes_.emplace_back();
            nodes_.back().at = Raster(q.x(), q.y());
            nodes_.back().junction = true;
            nodes_.back().halfWidth = ClearDistance(ink_, q.x(), q.y());
            touched.Set(q.x(), q.y());
        }
        Edge& edge = edges_[e];
        edge.points.push_back(nodes_[std::size_t(node)].at);
        edge.b = node;
        ++nodes_[std::size_t(node)].degree;
    }
    // Where the touched pixels lie on the edges (interior points only), last first per
    // edge, so that splitting keeps the earlier places valid.
    std::vector<std::pair<std::size_t, std::size_t>> cuts; // edge, point
    for (std::size_t e = 0; e < edges_.size(); ++e) {
        const std::vector<QPoint>& pts = edges_[e].points;
        for (std::size_t i = 1; i + 1 < pts.size(); ++i) {
            const int x = pts[i].x() - skeleton_.Left(), y = pts[i].y() - skeleton_.Top();
            if (touched.At(x, y)) cuts.emplace_back(e, i);
        }
    }
    std::sort(cuts.begin(), cuts.end(), [](const auto& l, const auto& r) {
        return l.first != r.first ? l.first < r.first : l.second > r.second;
    });
    for (const auto& [e, i] : cuts) {
        const QPoint p = edges_[e].points[i];
        const int node = nodeAt.at(Key(p.x() - skeleton_.Left(), p.y() - skeleton_.Top()));
        Edge tail;
        tail.a = node;
        tail.b = edges_[e].b;
        tail.points.assign(edges_[e].points.begin() + std::ptrdiff_t(i), edges_[e].points.end());
        edges_[e].points.resize(i + 1);
        edges_[e].b = node;
        nodes_[std::size_t(node)].degree += 2;
        edges_.push_back(std::move(tail));
    }
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
        // The set neighbours, the node pixels among them and the line pixels not walked yet,
        // as direction bits (LinePlane::Neighbours), tried side neighbours first.
        const unsigned set = skeleton_.Neighbours(x, y);
        const unsigned nodes = set & isNode_.Neighbours(x, y);
        int end = -1, nx = -1, ny = -1;
        for (int k = 0; k < 8 && end < 0 && nodes != 0; ++k) {
            if (!(nodes >> StepBit[k] & 1)) continue;
            const int node = NodeAt(x + StepX[k], y + StepY[k]);
            if (node >= 0 && !(first && node == from)) end = node;
        }
        if (end >= 0) {
            edge.b = end;
            edge.points.push_back(nodes_[std::size_t(end)].at);
            break;
        }
        const unsigned open = set & ~nodes & ~visited_.Neighbours(x, y);
        for (int k = 0; k < 8 && open != 0; ++k)
            if (open >> StepBit[k] & 1) {
                nx = x + StepX[k];
                ny = y + StepY[k];
                break;
            }
        if (nx < 0) {
            // No end pixel: either a line's last pixel, or a junction whose pixels all
            // looked like line pixels, where the walk meets a line walked before.
            const std::size_t n = edge.points.size();
            for (int k = 0; k < 8; ++k) {
                const int qx = x + StepX[k], qy = y + StepY[k];
                if (!skeleton_.At(qx, qy) || !visited_.Get(qx, qy) || NodeAt(qx, qy) >= 0) continue;
                const QPoint q = Raster(qx, qy);
                const bool own = std::find(edge.points.begin() + std::ptrdiff_t(n > 4 ? n - 4 : 0),
                                           edge.points.end(), q) != edge.points.end();
                if (own) continue;
                touches_.emplace_back(edges_.size(), QPoint(qx, qy));
                break;
            }
            break;
        }
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

// The line of the edge as it leaves its node at the first (atStart) or last point: fitted
// (principal axis) to its pixels between 2w + 2 and 2w + 2 + max(8, 2w + 4) from the node,
// w being the node's half width, beyond the part that thinning bends towards the junction;
// nearer (from w + 1) when the edge is too short for that.
BranchLine Graph::FitBranch(const Edge& edge, bool atStart) const {
    const int node = atStart ? edge.a : edge.b;
    const QPoint at = nodes_[std::size_t(node)].at;
    const int w = nodes_[std::size_t(node)].halfWidth;
    const std::size_t n = edge.points.size();
    BranchLine line;
    for (const double skip : {2.0 * w + 2, w + 1.0}) {
        const double reach = skip + std::max(8, 2 * w + 4);
        double sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;
        int count = 0;
        for (std::size_t i = 1; i < n; ++i) {
            const QPoint p = edge.points[atStart ? i : n - 1 - i];
            const double dx = p.x() - at.x(), dy = p.y() - at.y(), d2 = dx * dx + dy * dy;
            if (d2 > reach * reach) break;
            if (d2 < skip * skip) continue;
            sx += p.x();
            sy += p.y();
            sxx += double(p.x()) * p.x();
            sxy += double(p.x()) * p.y();
            syy += double(p.y()) * p.y();
            ++count;
        }
        if (count < 3) continue;
        line.cx = sx / count;
        line.cy = sy / count;
        const double vxx = sxx / count - line.cx * line.cx, vxy = sxy / count - line.cx * line.cy,
                     vyy = syy / count - line.cy * line.cy;
        const double angle = 0.5 * std::atan2(2 * vxy, vxx - vyy);
        line.ux = std::cos(angle);
        line.uy = std::sin(angle);
        line.fitted = true;
        break;
    }
    return line;
}

// Where the fitted lines of the branches (edge, at its first point) meet.
bool Graph::Meets(const std::vector<std::pair<std::size_t, bool>>& branches, QPointF& at) const {
    LeastSquaresMeet meet;
    for (const auto& [e, atStart] : branches) {
        const BranchLine& line = branchLines_[e][atStart ? 0 : 1];
        if (line.fitted) meet.Add(line);
    }
    return meet.Solve(at);
}

void Graph::PlaceJunctions() {
    const auto isJunction = [&](int node) {
        return node >= 0 && nodes_[std::size_t(node)].junction &&
               nodes_[std::size_t(node)].degree >= 3;
    };
    branchLines_.assign(edges_.size(), {});
    // The branches at each junction (edge, at its first point), in one list by node.
    std::vector<std::size_t> first(nodes_.size() + 1, 0);
    for (const Edge& edge : edges_) {
        if (edge.removed) continue;
        if (isJunction(edge.a)) ++first[std::size_t(edge.a) + 1];
        if (isJunction(edge.b)) ++first[std::size_t(edge.b) + 1];
    }
    for (std::size_t i = 1; i < first.size(); ++i) first[i] += first[i - 1];
    std::vector<std::pair<std::size_t, bool>> branchList(first.back());
    std::vector<std::size_t> fill(first.begin(), first.end() - 1);
    std::vector<double> length(edges_.size(), 0);
    for (std::size_t e = 0; e < edges_.size(); ++e) {
        const Edge& edge = edges_[e];
        if (edge.removed) continue;
        if (isJunction(edge.a) && isJunction(edge.b)) length[e] = edge.Length(); // links only
        if (isJunction(edge.a)) {
            branchLines_[e][0] = FitBranch(edge, true);
            branchList[fill[std::size_t(edge.a)]++] = {e, true};
        }
        if (isJunction(edge.b)) {
            branchLines_[e][1] = FitBranch(edge, false);
            branchList[fill[std::size_t(edge.b)]++] = {e, false};
        }
    }
    const auto at = [&](int node) {
        return std::span(branchList.data() + first[std::size_t(node)],
                         first[std::size_t(node) + 1] - first[std::size_t(node)]);
    };
    // Junctions joined by a short edge are merged when the branches leaving the pair meet
    // at one point near it: that is a crossing that thinning split in two. Two true
    // junctions close together (the rungs of a ladder) fail, since their branches pass
    // the meeting point a rung apart.
    UnionFind merged(nodes_.size());
    // The nodes of each merged cluster, by its root; a node not merged has an empty list
    // and stands for itself.
    std::vector<std::vector<int>> merges(nodes_.size());
    std::vector<int> self(nodes_.size());
    std::iota(self.begin(), self.end(), 0);
    const auto members = [&](int root) {
        const std::vector<int>& list = merges[std::size_t(root)];
        return list.empty() ? std::span<const int>(&self[std::size_t(root)], 1)
                            : std::span<const int>(list);
    };
    const auto width = [&](int root) {
        int w = 0;
        for (const int m : members(root)) w = std::max(w, nodes_[std::size_t(m)].halfWidth);
        return w;
    };
    const auto linkLimit = [&](int w) { return 3.0 * w + 3; };
    // The branches of the union of clusters ra and rb: edges with one end in it (edges
    // with both ends in it that are short enough to be links of the crossing left out).
    const auto branchesOf = [&](int ra, int rb) {
        std::vector<std::pair<std::size_t, bool>> out;
        const int w = std::max(width(ra), width(rb));
        const auto inside = [&](int node) {
            if (node < 0) return false;
            const int r = merged.Find(node);
            return r == ra || r == rb;
        };
        const int roots[2] = {ra, rb};
        for (int r = 0; r < (ra == rb ? 1 : 2); ++r) {
            const int root = roots[r];
            for (const int m : members(root))
                for (const auto& branch : at(m)) {
                    const Edge& edge = edges_[branch.first];
                    if (edge.removed) continue;
                    if (inside(edge.a) && inside(edge.b) && length[branch.first] <= linkLimit(w))
                        continue;
                    out.push_back(branch);
                }
        }
        return out;
    };
    std::vector<std::size_t> links;
    for (std::size_t e = 0; e < edges_.size(); ++e) {
        const Edge& edge = edges_[e];
        if (edge.removed || edge.a == edge.b || !isJunction(edge.a) || !isJunction(edge.b))
            continue;
        const int w =
            std::max(nodes_[std::size_t(edge.a)].halfWidth, nodes_[std::size_t(edge.b)].halfWidth);
        if (length[e] <= linkLimit(w)) links.push_back(e);
    }
    std::stable_sort(links.begin(), links.end(),
                     [&](std::size_t i, std::size_t j) { return length[i] < length[j]; });
    for (const std::size_t e : links) {
        Edge& edge = edges_[e];
        const int ra = merged.Find(edge.a), rb = merged.Find(edge.b);
        if (ra == rb) { // a second link inside one crossing
            edge.removed = true;
            continue;
        }
        const std::vector<std::pair<std::size_t, bool>> branches = branchesOf(ra, rb);
        const double tolerance = 1 + 0.5 * std::max(width(ra), width(rb));
        QPointF meet;
        if (!Meets(branches, meet)) continue;
        bool one = true;
        for (const auto& [b, atStart] : branches) {
            const BranchLine& line = branchLines_[b][atStart ? 0 : 1];
            if (line.fitted && line.Distance(meet) > tolerance) one = false;
        }
        const QPoint pa = nodes_[std::size_t(edge.a)].at, pb = nodes_[std::size_t(edge.b)].at;
        const double reach = length[e] + tolerance;
        if (!one || std::hypot(meet.x() - pa.x(), meet.y() - pa.y()) > reach ||
            std::hypot(meet.x() - pb.x(), meet.y() - pb.y()) > reach)
            continue;
        merged.Join(ra, rb);
        const int root = merged.Find(ra), other = root == ra ? rb : ra;
        std::vector<int> joined;
        for (const int m : members(root)) joined.push_back(m);
        for (const int m : members(other)) joined.push_back(m);
        merges[std::size_t(root)] = std::move(joined);
        merges[std::size_t(other)].clear();
        edge.removed = true;
    }
    // Each junction (or merged crossing) at the point where its branches meet, when they
    // meet within 2w + 2 of its pixels' mean; else at that mean. The pixels of a branch
    // nearer the new point than the bent part are dropped, so that the branch runs
    // straight into it.
    std::vector<QPoint> place(nodes_.size());
    std::vector<double> trim(nodes_.size(), 0);
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        if (merged.Find(int(i)) != int(i)) continue;
        const std::span<const int> group = members(int(i));
        double mx = 0, my = 0;
        for (const int m : group) {
            mx += nodes_[std::size_t(m)].at.x();
            my += nodes_[std::size_t(m)].at.y();
        }
        mx /= double(group.size());
        my /= double(group.size());
        QPointF p(mx, my);
        if (isJunction(int(i)) || group.size() > 1) {
            const int w = width(int(i));
            QPointF meet;
            if (Meets(branchesOf(int(i), int(i)), meet) &&
                std::hypot(meet.x() - mx, meet.y() - my) <= 2.0 * w + 2) {
                p = meet;
                double spread = 0;
                for (const int m : group)
                    spread = std::max(spread, std::hypot(nodes_[std::size_t(m)].at.x() - p.x(),
                                                         nodes_[std::size_t(m)].at.y() - p.y()));
                trim[i] = spread + w + 1;
            }
        }
        place[i] = QPoint(int(std::lround(p.x())), int(std::lround(p.y())));
    }
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        nodes_[i].at = place[std::size_t(merged.Find(int(i)))];
    for (Edge& edge : edges_) {
        if (edge.removed) continue;
        for (const bool atStart : {true, false}) {
            int& end = atStart ? edge.a : edge.b;
            if (end < 0) continue;
            end = merged.Find(end);
            const QPoint p = nodes_[std::size_t(end)].at;
            const double radius = trim[std::size_t(end)];
            std::vector<QPoint>& pts = edge.points;
            std::size_t cut = 0; // interior points to drop next to this end
            while (cut + 2 < pts.size()) {
                const QPoint q = pts[atStart ? cut + 1 : pts.size() - 2 - cut];
                const double dx = q.x() - p.x(), dy = q.y() - p.y();
                if (dx * dx + dy * dy >= radius * radius) break;
                ++cut;
            }
            if (atStart) {
                pts.front() = p;
                pts.erase(pts.begin() + 1, pts.begin() + 1 + std::ptrdiff_t(cut));
            } else {
                pts.back() = p;
                pts.erase(pts.end() - 1 - std::ptrdiff_t(cut), pts.end() - 1);
            }
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
        Edge& edge = edges_[e]; // its points are moved out when it is the whole line
        used[e] = 1;
        TracedPolyline line;
        if (edge.a < 0 && edge.b < 0 && edge.points.size() > 2) {
            const QPoint first = edge.points.front(), last = edge.points.back();
            line.closed =
                std::abs(first.x() - last.x()) <= 1 && std::abs(first.y() - last.y()) <= 1;
            line.points = std::move(edge.points);
        } else if (!through(edge.a) && !through(edge.b)) { // the edge alone (most are)
            line.points = std::move(edge.points);
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
    graph.PlaceJunctions();
    std::vector<TracedPolyline> lines = graph.Chains();
    if (progress && !progress(1.0)) return {};
    return lines;
}

} // namespace raster
