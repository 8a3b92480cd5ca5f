// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/BandPeeler.h"

#include "raster/EdgeFollower.h"
#include "raster/Morphology.h"

#include <algorithm>
#include <bit>
#include <queue>

namespace raster {

namespace {

constexpr std::uint8_t Bit = 1;
// Labels live below Top; a relabelled list uses the lower half, so that states added
// after its last one find room.
constexpr std::uint64_t Top = std::uint64_t(1) << 62;
constexpr std::uint64_t Roomy = 1 << 4; // the least gap a relabelled list keeps a state

// A pass that removes more than one state in this many makes the next pass a plain one.
constexpr std::size_t PlainShare = 8;

// Direction of the step between two neighbouring pixels, by (dy + 1) * 3 + (dx + 1).
constexpr int StepCode[9] = {1, 2, 3, 8, 0, 4, 7, 6, 5};

inline unsigned BandNeighbours(const std::uint8_t* centre, std::size_t stride) {
    return EightNeighbours(centre, stride,
                           [](const std::uint8_t* p) { return unsigned(*p & Bit); });
}

} // namespace

// ---- pixel index ------------------------------------------------------------------------

void BandPeeler::PixelIndex::Reset(std::size_t expected) {
    std::size_t size = 1024;
    while (size < 2 * expected) size *= 2;
    keys_.assign(size, None);
    heads_.resize(size);
    used_ = 0;
    mask_ = size - 1;
    shift_ = 64 - std::countr_zero(size);
}

std::size_t BandPeeler::PixelIndex::Slot(std::uint32_t key) const {
    return std::size_t((std::uint64_t(key) * 0x9E3779B97F4A7C15ull) >> shift_);
}

void BandPeeler::PixelIndex::Grow() {
    std::vector<std::uint32_t> keys, heads;
    keys.swap(keys_);
    heads.swap(heads_);
    Reset(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i] != None) Head(keys[i]) = heads[i];
}

std::uint32_t& BandPeeler::PixelIndex::Head(std::uint32_t key) {
    if (2 * (used_ + 1) > keys_.size()) Grow();
    for (std::size_t i = Slot(key);; i = (i + 1) & mask_) {
        if (keys_[i] == key) return heads_[i];
        if (keys_[i] == None) {
            keys_[i] = key;
            heads_[i] = None;
            ++used_;
            return heads_[i];
        }
    }
}

std::uint32_t* BandPeeler::PixelIndex::Find(std::uint32_t key) {
    for (std::size_t i = Slot(key);; i = (i + 1) & mask_) {
        if (keys_[i] == key) return &heads_[i];
        if (keys_[i] == None) return nullptr;
    }
}

// ---- passes ---------------------------------------------------------------------------

BandPeeler::BandPeeler(platform::Bitmap24& raster)
    : raster_(raster), base_(raster.IsEmpty() ? nullptr : raster.ScanLine(0)),
      stride_(raster.BytesPerLine()), width_(raster.Width()), height_(raster.Height()) {}

void BandPeeler::Peel(const StartFinder& nextStart, PointList& contour, std::size_t& count) {
    std::vector<QPoint> points(count);
    for (std::size_t i = 0; i < count; ++i) points[i] = contour.Get(i);
    if (base_ == nullptr) return;
    bool plain = true;   // the next pass is a plain one
    bool listed = false; // the list holds the boundary (else points does)
    QPoint lastStart(-1, -1);
    for (;;) {
        ++pass_;
        ++work_.passes;
        QPoint start;
        const bool started = nextStart(start);
        if (!plain && started && start == lastStart && FollowChanges(start)) {
            if (!TestChanges()) break;
            plain = removedPixels_.size() * PlainShare > live_;
            if (plain) {
                ListToPoints(points);
                listed = false;
            }
            continue;
        }
        // A plain pass: follow the whole boundary (or keep the list untouched when the start
        // is missing) and test every state after the first.
        if (listed) ListToPoints(points);
        listed = false;
        ++work_.plainPasses;
        const bool closed = started && Follow(start, points);
        if (!PlainPass(points)) break;
        lastStart = start;
        plain = !closed || removedPixels_.size() * PlainShare > points.size();
        if (!plain) {
            BuildList(points);
            listed = true;
        }
    }
    if (listed) ListToPoints(points);
    count = points.size();
    for (std::size_t i = 0; i < count; ++i) contour.Put(i, points[i]);
}

bool BandPeeler::Follow(QPoint start, std::vector<QPoint>& points) {
    points.clear();
    points.push_back(start);
    const MarkTest test(raster_, 1);
    const FollowResult result =
        FollowBoundary(test, start, 2, [&points](QPoint p) { points.push_back(p); });
    work_.followed += points.size();
    return result == FollowResult::Closed;
}

bool BandPeeler::PlainPass(std::vector<QPoint>& points) {
    removedPixels_.clear();
    for (std::size_t j = 1; j < points.size(); ++j) {
        const QPoint p = points[j];
        // The peel test of a pixel on the raster's frame always fails; a pixel already
        // removed in this pass changes nothing.
        if (p.x() < 1 || p.y() < 1 || p.x() > width_ - 2 || p.y() > height_ - 2) continue;
        std::uint8_t* g = Pixel(p.x(), p.y()) + 1;
        if ((*g & Bit) == 0) continue;
        ++work_.tested;
        if (!Peelable(BandNeighbours(g, stride_))) continue;
        *g &= std::uint8_t(~Bit);
        removedPixels_.push_back(p);
    }
    work_.removed += removedPixels_.size();
    return !removedPixels_.empty();
}

// ---- the list -------------------------------------------------------------------------

std::uint32_t BandPeeler::NewNode(int x, int y, int d) {
    const auto id = std::uint32_t(nodes_.size());
    Node& n = nodes_.emplace_back();
    n.x = x;
    n.y = y;
    n.label = 0;
    n.next = n.prev = None;
    n.createdPass = pass_;
    n.dirtyPass = n.donePass = n.testedPass = 0;
    n.d = std::uint8_t(d);
    n.dead = false;
    std::uint32_t& head = index_.Head(Key(x, y));
    n.samePixel = head;
    head = id;
    return id;
}

void BandPeeler::BuildList(const std::vector<QPoint>& points) {
    nodes_.clear();
    nodes_.reserve(points.size() + points.size() / 4 + 64);
    index_.Reset(points.size());
    const std::uint64_t gap = Top / 2 / (points.size() + 1);
    std::uint32_t prev = None;
    for (std::size_t j = 0; j < points.size(); ++j) {
        const QPoint p = points[j];
        int d = 2;
        if (j > 0) {
            const QPoint step = p - points[j - 1];
            d = NextStart(StepCode[(step.y() + 1) * 3 + step.x() + 1]);
        }
        const std::uint32_t id = NewNode(p.x(), p.y(), d);
        Node& n = nodes_[id];
        n.createdPass = 0; // an old state for the next pass
        n.label = (j + 1) * gap;
        n.prev = prev;
        if (prev != None) nodes_[prev].next = id;
        prev = id;
    }
    head_ = points.empty() ? None : 0;
    live_ = points.size();
    // The states next to this pass's removals are where the next pass must look again.
    dirty_.clear();
    const std::uint32_t next = pass_ + 1;
    for (const QPoint p : removedPixels_)
        ForNodesAround(p.x(), p.y(), [&](std::uint32_t id) {
            Node& n = nodes_[id];
            if (n.dirtyPass == next) return;
            n.dirtyPass = next;
            dirty_.push_back(id);
        });
}

// Calls visit(node) for every live node at the 3 × 3 pixels around (x, y), dropping dead
// nodes from the pixels' chains on the way.
template <class Visit> void BandPeeler::ForNodesAround(int x, int y, Visit&& visit) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            std::uint32_t* link = index_.Find(Key(x + dx, y + dy));
            if (link == nullptr) continue;
            while (*link != None) {
                Node& n = nodes_[*link];
                if (n.dead) {
                    *link = n.samePixel;
                    continue;
                }
                visit(*link);
                link = &n.samePixel;
            }
        }
}

std::uint32_t BandPeeler::Match(int x, int y, int d) {
    std::uint32_t* link = index_.Find(Key(x, y));
    if (link == nullptr) return None;
    while (*link != None) {
        Node& n = nodes_[*link];
        if (n.dead) {
            *link = n.samePixel;
            continue;
        }
        if (n.d == d && n.createdPass != pass_) return *link;
        link = &n.samePixel;
    }
    return None;
}

void BandPeeler::ListToPoints(std::vector<QPoint>& points) const {
    points.clear();
    for (std::uint32_t id = head_; id != None; id = nodes_[id].next)
        points.emplace_back(nodes_[id].x, nodes_[id].y);
}

// ---- an incremental pass ----------------------------------------------------------------

bool BandPeeler::FollowChanges(QPoint start) {
    std::sort(dirty_.begin(), dirty_.end(), [this](std::uint32_t a, std::uint32_t b) {
        return nodes_[a].label < nodes_[b].label;
    });
    candidates_.clear();
    for (const std::uint32_t id : dirty_) {
        const Node& n = nodes_[id];
        if (n.dead || n.donePass == pass_) continue;
        // Its predecessor is an unchanged old state (or it is the start): it is reached as
        // before, and the walk must be followed anew from it.
        if (!FollowChain(id, start)) return false;
    }
    return true;
}

// Follows the walk from a state of the list whose step may have changed, until it meets an
// old state of the list again, or re-enters the start.
bool BandPeeler::FollowChain(std::uint32_t from, QPoint start) {
    const MarkTest test(raster_, 1);
    std::uint32_t anchor = from, at = from;
    fresh_.clear();
    const std::size_t limit = live_ + 64;
    for (;;) {
        Node& n = nodes_[at];
        n.donePass = pass_;
        if (at != head_) candidates_.push_back(at);
        QPoint p(n.x, n.y);
        int d = n.d;
        ++work_.followed;
        if (!StepBoundary(test, p, d)) return false;
        if (p == start) { // the walk ends here
            Splice(anchor, None);
            return true;
        }
        const std::uint32_t old = Match(p.x(), p.y(), d);
        if (old != None) {
            if (nodes_[old].label <= nodes_[anchor].label) return false; // met behind: unexpected
            Splice(anchor, old);
            const Node& o = nodes_[old];
            if (o.dirtyPass != pass_ || o.donePass == pass_) return true;
            anchor = at = old; // its own step may have changed too
            fresh_.clear();
            continue;
        }
        if (fresh_.size() > limit) return false;
        at = NewNode(p.x(), p.y(), d);
        fresh_.push_back(at);
    }
}

// Replaces the nodes strictly between anchor and to (None: the end) by the fresh ones.
void BandPeeler::Splice(std::uint32_t anchor, std::uint32_t to) {
    for (std::uint32_t id = nodes_[anchor].next; id != to;) {
        Node& gone = nodes_[id];
        gone.dead = true;
        --live_;
        id = gone.next;
    }
    std::uint32_t prev = anchor;
    for (const std::uint32_t id : fresh_) {
        nodes_[prev].next = id;
        nodes_[id].prev = prev;
        prev = id;
    }
    nodes_[prev].next = to;
    if (to != None) nodes_[to].prev = prev;
    live_ += fresh_.size();
    Label(anchor, to);
}

// Labels for the fresh nodes between anchor and to, spread evenly over the gap.
void BandPeeler::Label(std::uint32_t anchor, std::uint32_t to) {
    const std::size_t m = fresh_.size();
    if (m == 0) return;
    const std::uint64_t low = nodes_[anchor].label;
    const std::uint64_t high = to == None ? Top : nodes_[to].label;
    std::uint64_t step = (high - low) / (m + 1);
    if (to == None) step = std::min(step, Top / 2 / (live_ + 1)); // room for later ones
    if (step < Roomy) {
        Relabel();
        return;
    }
    std::uint64_t label = low;
    for (const std::uint32_t id : fresh_) nodes_[id].label = label += step;
}

void BandPeeler::Relabel() {
    const std::uint64_t gap = Top / 2 / (live_ + 1);
    std::uint64_t label = 0;
    for (std::uint32_t id = head_; id != None; id = nodes_[id].next)
        nodes_[id].label = label += gap;
}

bool BandPeeler::TestChanges() {
    removedPixels_.clear();
    nextDirty_.clear();
    const std::uint32_t next = pass_ + 1;
    using Entry = std::pair<std::uint64_t, std::uint32_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> ahead;
    std::size_t i = 0;
    for (;;) {
        std::uint32_t id;
        if (i < candidates_.size() &&
            (ahead.empty() || nodes_[candidates_[i]].label < ahead.top().first)) {
            id = candidates_[i++];
        } else if (!ahead.empty()) {
            id = ahead.top().second;
            ahead.pop();
        } else {
            break;
        }
        Node& n = nodes_[id];
        if (n.dead || n.testedPass == pass_ || id == head_) continue;
        n.testedPass = pass_;
        if (n.x < 1 || n.y < 1 || n.x > width_ - 2 || n.y > height_ - 2) continue;
        std::uint8_t* g = Pixel(n.x, n.y) + 1;
        if ((*g & Bit) == 0) continue;
        ++work_.tested;
        if (!Peelable(BandNeighbours(g, stride_))) continue;
        *g &= std::uint8_t(~Bit);
        removedPixels_.emplace_back(n.x, n.y);
        const std::uint64_t here = n.label;
        ForNodesAround(n.x, n.y, [&](std::uint32_t near) {
            Node& o = nodes_[near];
            if (o.dirtyPass != next) {
                o.dirtyPass = next;
                nextDirty_.push_back(near);
            }
            if (o.label > here && o.testedPass != pass_) ahead.emplace(o.label, near);
        });
    }
    work_.removed += removedPixels_.size();
    dirty_.swap(nextDirty_);
    return !removedPixels_.empty();
}

} // namespace raster
