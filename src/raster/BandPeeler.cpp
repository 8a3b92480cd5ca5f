// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/BandPeeler.h"

#include "raster/Morphology.h"
#include "raster/PlaneFollower.h"

#include <algorithm>
#include <bit>
#include <queue>

namespace raster {

namespace {

// Labels live below Top; a relabelled list uses the lower half, so that states added
// after its last one find room.
constexpr std::uint64_t Top = std::uint64_t(1) << 62;
constexpr std::uint64_t Roomy = std::uint64_t(1)
                                << 20; // the gap a relabelled stretch gives each state

// A pass that removes more than one state in this many makes the next pass a plain one.
constexpr std::size_t PlainShare = 8;

// Direction of the step between two neighbouring pixels, by (dy + 1) * 3 + (dx + 1).
constexpr int StepCode[9] = {1, 2, 3, 8, 0, 4, 7, 6, 5};

} // namespace

// ---- pixel index ------------------------------------------------------------------------

void BandPeeler::PixelIndex::Reset(int width, int height) {
    const std::uint32_t perRow = std::uint32_t(width + 7) / 8;
    const std::size_t entries = std::size_t(perRow) * std::size_t((height + 7) / 8);
    if (directory_.size() != entries || blocksPerRow_ != perRow) {
        directory_.assign(entries, 0);
    } else {
        for (const Block& b : blocks_) directory_[b.key] = 0;
    }
    width_ = width;
    height_ = height;
    blocksPerRow_ = perRow;
    blocks_.clear();
}

std::uint32_t* BandPeeler::PixelIndex::Lookup(int x, int y, bool add) {
    if (unsigned(x) >= unsigned(width_) || unsigned(y) >= unsigned(height_)) return nullptr;
    const std::uint32_t key = std::uint32_t(y >> 3) * blocksPerRow_ + std::uint32_t(x >> 3);
    const std::size_t cell = std::size_t((y & 7) * 8 + (x & 7));
    std::uint32_t& entry = directory_[key];
    if (entry != 0) return &blocks_[entry - 1].heads[cell];
    if (!add) return nullptr;
    Block& block = blocks_.emplace_back();
    block.key = key;
    std::fill(std::begin(block.heads), std::end(block.heads), None);
    entry = std::uint32_t(blocks_.size());
    return &block.heads[cell];
}

std::uint32_t& BandPeeler::PixelIndex::Head(int x, int y) {
    return *Lookup(x, y, true);
}

std::uint32_t* BandPeeler::PixelIndex::Find(int x, int y) {
    return Lookup(x, y, false);
}

// ---- passes ---------------------------------------------------------------------------

BandPeeler::BandPeeler(BitPlane& band)
    : band_(band), width_(band.Width()), height_(band.Height()) {}

bool BandPeeler::Peel(int x, int y) {
    // The peel test of a pixel on the raster's frame always fails.
    if (x < 1 || y < 1 || x > width_ - 2 || y > height_ - 2) return false;
    ++work_.tested;
    if (!Peelable(band_.Neighbours(x, y))) return false;
    band_.Clear(x, y);
    return true;
}

void BandPeeler::Peel(const StartFinder& nextStart, PointList& contour, std::size_t& count) {
    // The points of a pass keep their memory from object to object: a boundary round what
    // other objects left can be hundreds of thousands of points long.
    std::vector<QPoint>& points = points_;
    contour.GetAll(count, points);
    if (width_ == 0) return;
    // The peeling happens in the band around the caller's list; the rest of a boundary that
    // runs far beyond it (round the bands that other objects left) is kept in whole stretches.
    focus_ = BoundsOf(points);
    bool plain = true;   // the next pass is a plain one
    bool listed = false; // the list holds the boundary (else points does)
    QPoint lastStart(-1, -1);
    for (;;) {
        ++pass_;
        ++work_.passes;
        QPoint start;
        const bool started = nextStart(start);
        if (!plain && started && start == lastStart && FollowChanges(start)) {
            const Outcome outcome = TestChanges();
            if (outcome == Outcome::Nothing) break;
            if (outcome == Outcome::Removed) {
                plain = removedPixels_.size() * PlainShare > live_;
                continue;
            }
            // The pass reached the edge of the kept pixels and was taken back: it is made
            // plainly instead.
        }
        // A plain pass: follow the whole boundary (or keep the list untouched when the start
        // is missing) and test every state after the first. The list becomes points only
        // when the walk does not replace them.
        if (listed && !started) ListToPoints(points);
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
    contour.PutAll(points);
}

bool BandPeeler::Follow(QPoint start, std::vector<QPoint>& points) {
    points.clear();
    points.push_back(start);
    const FollowResult result =
        FollowPlane(band_, start, 2, [&points](QPoint p) { points.push_back(p); });
    work_.followed += points.size();
    work_.plainFollowed += points.size();
    return result == FollowResult::Closed;
}

bool BandPeeler::PlainPass(std::vector<QPoint>& points) {
    removedPixels_.clear();
    // A long boundary's rows have left the cache since it was followed; they are asked for
    // a few tests ahead.
    constexpr std::size_t ahead = 16;
    for (std::size_t j = 1; j < points.size(); ++j) {
        if (j + ahead < points.size()) band_.Prefetch(points[j + ahead].x(), points[j + ahead].y());
        const QPoint p = points[j];
        const int x = p.x(), y = p.y();
        // The peel test of a pixel on the raster's frame always fails.
        if (x < 1 || y < 1 || x > width_ - 2 || y > height_ - 2) continue;
        const unsigned block = band_.Block(x, y);
        // A pixel already removed in this pass changes nothing.
        if ((block & PeelBlockTable::CentreBit) == 0) continue;
        ++work_.tested;
        if (!PeelBlocks.removable[block]) continue;
        band_.Clear(x, y);
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
    n.run = None;
    std::uint32_t& head = index_.Head(x, y);
    n.samePixel = head;
    head = id;
    return id;
}

QRect BandPeeler::BoundsOf(const std::vector<QPoint>& points) {
    if (points.empty()) return {};
    int left = points[0].x(), right = left, top = points[0].y(), bottom = top;
    for (const QPoint p : points) {
        left = std::min(left, p.x()), right = std::max(right, p.x());
        top = std::min(top, p.y()), bottom = std::max(bottom, p.y());
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

void BandPeeler::BuildList(std::vector<QPoint>& points) {
    base_.swap(points);
    const std::vector<QPoint>& states = base_;
    nodes_.clear();
    runs_.clear();
    index_.Reset(width_, height_);
    // The states within Margin of the caller's band or of this pass's removals are kept one
    // by one, and indexed; the others in stretches.
    constexpr int Margin = 8;
    const QRect box =
        (focus_ | BoundsOf(removedPixels_)).adjusted(-Margin, -Margin, Margin, Margin);
    kept_ = box;
    const auto kept = [&box](QPoint p) {
        return unsigned(p.x() - box.left()) < unsigned(box.width()) &&
               unsigned(p.y() - box.top()) < unsigned(box.height());
    };
    const std::uint64_t gap = Top / 2 / (states.size() + 1);
    std::uint32_t prev = None;
    for (std::size_t j = 0; j < states.size();) {
        const QPoint p = states[j];
        std::uint32_t id;
        std::size_t end = j + 1;
        if (kept(p) || j == 0) {
            int d = 2;
            if (j > 0) {
                const QPoint step = p - states[j - 1];
                d = NextStart(StepCode[(step.y() + 1) * 3 + step.x() + 1]);
            }
            id = NewNode(p.x(), p.y(), d);
        } else {
            while (end < states.size() && !kept(states[end])) ++end;
            id = std::uint32_t(nodes_.size());
            Node& n = nodes_.emplace_back();
            n.x = p.x();
            n.y = p.y();
            n.samePixel = None;
            n.dirtyPass = n.donePass = n.testedPass = 0;
            n.d = 0;
            n.dead = false;
            n.run = std::uint32_t(runs_.size());
            runs_.push_back({std::uint32_t(j), std::uint32_t(end)});
            work_.stretched += end - j;
        }
        Node& n = nodes_[id];
        n.createdPass = 0; // an old state for the next pass
        n.label = (j + 1) * gap;
        n.prev = prev;
        n.next = None;
        if (prev != None) nodes_[prev].next = id;
        prev = id;
        j = end;
    }
    head_ = states.empty() ? None : 0;
    live_ = states.size();
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
            std::uint32_t* link = index_.Find(x + dx, y + dy);
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
    std::uint32_t* link = index_.Find(x, y);
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
    for (std::uint32_t id = head_; id != None; id = nodes_[id].next) {
        const Node& n = nodes_[id];
        if (n.run == None) {
            points.emplace_back(n.x, n.y);
        } else {
            const Run r = runs_[n.run];
            points.insert(points.end(), base_.begin() + r.begin, base_.begin() + r.end);
        }
    }
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
        if (!StepPlane(band_, p, d)) return false;
        if (p == start) { // the walk ends here
            Splice(anchor, None);
            return true;
        }
        if (!Kept(p.x(), p.y())) return false; // where old states may not be indexed
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
        live_ -= gone.run == None ? 1 : runs_[gone.run].end - runs_[gone.run].begin;
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

// Labels for the fresh nodes between anchor and to, spread evenly over the gap; where the
// gap is too narrow, over a wider stretch of the list around it.
void BandPeeler::Label(std::uint32_t anchor, std::uint32_t to) {
    const std::size_t m = fresh_.size();
    if (m == 0) return;
    const std::uint64_t low = nodes_[anchor].label;
    const std::uint64_t high = to == None ? Top : nodes_[to].label;
    std::uint64_t step = (high - low) / (m + 1);
    if (to == None) step = std::min(step, Top / 2 / (live_ + 1)); // room for later ones
    if (step == 0) {
        Relabel(anchor, to == None ? fresh_.back() : to);
        return;
    }
    std::uint64_t label = low;
    for (const std::uint32_t id : fresh_) nodes_[id].label = label += step;
}

// Spreads the labels of the nodes from first to last (fresh ones among them) evenly
// between the labels of their outer neighbours, taking in more nodes on both sides until
// each gets a gap of Roomy at least; the whole list when it must.
void BandPeeler::Relabel(std::uint32_t first, std::uint32_t last) {
    for (std::size_t reach = 16;; reach *= 2) {
        std::size_t count = 0;
        for (std::uint32_t id = first; id != last; id = nodes_[id].next) ++count;
        ++count;
        for (std::size_t k = 0; k < reach && nodes_[first].prev != None; ++k, ++count)
            first = nodes_[first].prev;
        for (std::size_t k = 0; k < reach && nodes_[last].next != None; ++k, ++count)
            last = nodes_[last].next;
        const std::uint32_t before = nodes_[first].prev, after = nodes_[last].next;
        if (before == None && after == None) break; // the whole list
        const std::uint64_t low = before == None ? 0 : nodes_[before].label;
        std::uint64_t high = after == None ? Top : nodes_[after].label;
        if (after == None) high = low + std::min(high - low, (Top / 2 / (live_ + 1)) * (count + 1));
        const std::uint64_t step = (high - low) / (count + 1);
        if (step < Roomy) continue;
        std::uint64_t label = low;
        for (std::uint32_t id = first;; id = nodes_[id].next) {
            nodes_[id].label = label += step;
            if (id == last) return;
        }
    }
    const std::uint64_t gap = Top / 2 / (live_ + 1);
    std::uint64_t label = 0;
    for (std::uint32_t id = head_; id != None; id = nodes_[id].next)
        nodes_[id].label = label += gap;
}

BandPeeler::Outcome BandPeeler::TestChanges() {
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
        if (!band_.Bit(n.x, n.y)) continue;
        if (!Kept(n.x - 1, n.y - 1) || !Kept(n.x + 1, n.y + 1)) {
            // Removing it would concern states that are not indexed: the pass is taken back.
            const bool onFrame = n.x < 1 || n.y < 1 || n.x > width_ - 2 || n.y > height_ - 2;
            if (onFrame || !Peelable(band_.Neighbours(n.x, n.y))) continue;
            for (const QPoint p : removedPixels_) band_.Set(p.x(), p.y());
            ++work_.takenBack;
            return Outcome::Abandoned;
        }
        if (!Peel(n.x, n.y)) continue;
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
    return removedPixels_.empty() ? Outcome::Nothing : Outcome::Removed;
}

} // namespace raster
