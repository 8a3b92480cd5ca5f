// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/BandPeeler.h"

#include "raster/Morphology.h"
#include "raster/PlaneFollower.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace raster {

namespace {

// The least gap a relabelled stretch gives each state (wider stretches give more).
constexpr std::uint64_t Roomy = std::uint64_t(1) << 20;

// A pass that removes more than one state in this many makes the next pass a plain one. On a
// dense map, passes after those that removed between a 24th and an 8th of the boundary took
// longer incrementally than plainly: a plain state costs a walk step and a test, an
// incremental pass's state several times that.
constexpr std::size_t PlainShare = 24;

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

std::uint32_t* BandPeeler::PixelIndex::AddBlock(std::uint32_t key, std::size_t cell) {
    Block& block = blocks_.emplace_back();
    block.key = key;
    std::fill(std::begin(block.heads), std::end(block.heads), None);
    directory_[key] = std::uint32_t(blocks_.size());
    return &block.heads[cell];
}

// ---- tiles --------------------------------------------------------------------------------

void BandPeeler::Tiles::Reset(int width, int height) {
    const int size = 1 << Shift;
    perRow_ = std::uint32_t(width + size - 1) >> Shift;
    const std::size_t entries = std::size_t(perRow_) * std::size_t((height + size - 1) >> Shift);
    if (first_.size() != entries) {
        first_.assign(entries, 0);
        split_.assign((entries + 63) / 64, 0);
    } else {
        for (const std::uint32_t key : used_) {
            first_[key] = 0;
            split_[key >> 6] = 0;
        }
    }
    used_.clear();
    segments_.clear();
}

void BandPeeler::Tiles::Use(std::uint32_t key) {
    if (first_[key] == 0 && !Split(key)) used_.push_back(key);
}

void BandPeeler::Tiles::Add(std::uint32_t key, std::uint32_t begin, std::uint32_t end) {
    Use(key);
    segments_.push_back({begin, end, first_[key]});
    first_[key] = std::uint32_t(segments_.size());
}

void BandPeeler::Tiles::MarkSplit(std::uint32_t key) {
    Use(key);
    split_[key >> 6] |= std::uint64_t(1) << (key & 63);
}

// ---- passes ---------------------------------------------------------------------------

BandPeeler::BandPeeler(BitPlane& band, std::size_t splitLength)
    : SplitLength(splitLength), band_(band), width_(band.Width()), height_(band.Height()),
      steps_(band.RowBytes()), longWalks_(true, splitLength / 512) {
    lateSeed_ = [this](const PointVector& walked, std::size_t rounds, Seed& seed) {
        return longWalks_.HalfWay(walked, rounds, seed.at, seed.d) &&
               band_.Marked(seed.at.x(), seed.at.y());
    };
}

bool BandPeeler::PassesPeelTest(int x, int y) {
    // The peel test of a pixel on the raster's frame always fails.
    if (x < 1 || y < 1 || x > width_ - 2 || y > height_ - 2) return false;
    ++work_.tested;
    return Peelable(band_.Neighbours(x, y));
}

void BandPeeler::Peel(const StartFinder& nextStart, const PointList& contour, std::size_t count) {
    // The points of a pass keep their memory from object to object: a boundary round what
    // other objects left can be hundreds of thousands of points long.
    PointVector& points = points_;
    if (width_ == 0) {
        contour.GetAll(count, points);
        return;
    }
    bool plain = true;   // the next pass is a plain one
    bool listed = false; // the list holds the boundary (else points does)
    bool first = true;   // points holds nothing yet: the caller's list is copied only if needed
    bool walked = false; // points holds the last pass's closed walk
    QPoint lastStart(-1, -1);
    for (;;) {
        ++pass_;
        ++work_.passes;
        QPoint start;
        const bool started = nextStart(start);
        if (!plain && started && start == lastStart && FollowChanges(start)) {
            if (!TestChanges()) break;
            plain = removedPixels_.size() * PlainShare > live_;
            continue;
        }
        // A plain pass: follow the whole boundary (or keep the list untouched when the start
        // is missing) and test every state after the first. The list becomes points only
        // when the walk does not replace them.
        if (!started && listed) ListToPoints(points);
        if (!started && first) contour.GetAll(count, points);
        // A long walk is split between two threads, at a state of the outline's middle (the
        // band lies round it) or of the last walk's, which the boundary mostly still passes.
        Seed seed;
        const bool split =
            started &&
            (first ? count >= SplitLength && SeedFromOutline(contour, count, seed)
                   : walked && points.size() >= SplitLength && SeedFromWalk(points, seed));
        listed = first = false;
        ++work_.plainPasses;
        const bool closed = started && Follow(start, points, split ? &seed : nullptr);
        walked = closed;
        if (!PlainPass(points)) break;
        lastStart = start;
        plain = !closed || removedPixels_.size() * PlainShare > points.size();
        if (!plain) {
            BuildList(points);
            listed = true;
            walked = false;
        }
    }
    // Incremental passes follow closed walks only.
    const bool closed = listed || walked;
    if (listed) ListToPoints(points);
    if (closed && points.size() >= SplitLength) longWalks_.Keep(points.data(), points.size());
}

bool BandPeeler::Follow(QPoint start, PointVector& points, const Seed* seed) {
    points.clear();
    points.push_back(start);
    // A walk not known to be long may still run onto a long boundary left before.
    const FollowResult result =
        seed != nullptr || LateSplitRounds == 0
            ? walker_.Follow(band_, steps_, start, 2, seed, points)
            : walker_.FollowLate(band_, steps_, start, 2, LateSplitRounds, lateSeed_, points);
    const SplitWalker::Work& split = walker_.Done();
    work_.splits = split.splits;
    work_.splitsLate = split.late;
    work_.splitsMissed = split.missed;
    work_.splitsRedone = split.redone;
    work_.followed += points.size();
    work_.plainFollowed += points.size();
    return result == FollowResult::Closed;
}

bool BandPeeler::SeedFromWalk(const PointVector& walk, Seed& seed) const {
    // The first state from the middle on whose pixel the last pass left.
    for (std::size_t j = std::max<std::size_t>(walk.size() / 2, 1); j < walk.size(); ++j) {
        const QPoint p = walk[j], step = p - walk[j - 1];
        if (band_.Marked(p.x(), p.y()))
            return SplitWalker::SeedOn(
                band_, p, NextStart(MoveDirection[(step.y() + 1) * 3 + step.x() + 1]), seed);
    }
    return false;
}

bool BandPeeler::SeedFromOutline(const PointList& contour, std::size_t count, Seed& seed) const {
    return count != 0 && SplitWalker::SeedAtMarks(band_, contour.Get(count / 2), seed);
}

bool BandPeeler::PlainPass(PointVector& points) {
    removedPixels_.clear();
    // The plane's layout and the counts in locals: the stores of the loop could otherwise
    // alias the members, which every test would load again.
    PlaneLayout band(band_);
    const QPoint* const state = points.data();
    const std::size_t n = points.size();
    const int right = width_ - 2, bottom = height_ - 2;
    std::size_t tested = 0;
    // The rows were read by the walk just before, and are still in the caches: asking for
    // them ahead costs more than it saves, even on boundaries of hundreds of thousands of
    // states.
    for (std::size_t j = 1; j < n; ++j) {
        const QPoint p = state[j];
        const int x = p.x(), y = p.y();
        // The peel test of a pixel on the raster's frame always fails.
        if (x < 1 || y < 1 || x > right || y > bottom) continue;
        const unsigned block = band.Block(x, y);
        // A pixel already removed in this pass changes nothing.
        if ((block & PeelBlockTable::CentreBit) == 0) continue;
        ++tested;
        if (!PeelBlocks.removable[block]) continue;
        band.Clear(x, y);
        removedPixels_.push_back(p);
    }
    work_.tested += tested;
    work_.removed += removedPixels_.size();
    return !removedPixels_.empty();
}

// ---- the list -------------------------------------------------------------------------

std::uint32_t BandPeeler::NewNode(int x, int y, int d) {
    const auto id = std::uint32_t(nodes_.size());
    Node& n = nodes_.emplace_back();
    n.x = x;
    n.y = y;
    n.createdPass = pass_;
    n.d = std::uint8_t(d);
    std::uint32_t& head = index_.Head(x, y);
    n.samePixel = head;
    head = id;
    return id;
}

std::uint32_t BandPeeler::NewRun(std::uint32_t begin, std::uint32_t end) {
    const auto id = std::uint32_t(nodes_.size());
    Node& n = nodes_.emplace_back();
    n.x = base_[begin].x();
    n.y = base_[begin].y();
    n.run = std::uint32_t(runs_.size());
    runs_.push_back({begin, end});
    stretchAt_.emplace_hint(stretchAt_.end(), begin, id);
    return id;
}

int BandPeeler::DirectionAt(std::size_t j) const {
    if (j == 0) return 2;
    const QPoint step = base_[j] - base_[j - 1];
    return NextStart(MoveDirection[(step.y() + 1) * 3 + step.x() + 1]);
}

void BandPeeler::BuildList(PointVector& points) {
    base_.swap(points);
    const PointVector& states = base_;
    nodes_.clear();
    runs_.clear();
    stretchAt_.clear();
    index_.Reset(width_, height_);
    tiles_.Reset(width_, height_);
    // The states next to this pass's removals are nodes of their own from the start: the
    // next pass starts there.
    for (const QPoint p : removedPixels_)
        ForTilesAround(p.x(), p.y(), [this](std::uint32_t key) { tiles_.MarkSplit(key); });
    const std::uint64_t gap = LabelRoom / 2 / (states.size() + 1);
    std::uint32_t prev = None;
    const auto append = [&](std::uint32_t id, std::size_t first) {
        Node& n = nodes_[id];
        n.createdPass = 0; // an old state for the next pass
        n.label = (first + 1) * gap;
        n.prev = prev;
        n.next = None;
        if (prev != None) nodes_[prev].next = id;
        prev = id;
    };
    // Tile by tile along the boundary: every state's tile is noted, for splitting tiles out
    // later; the states in split tiles, and the first, become nodes, and each row of states
    // in other tiles one stretch.
    std::size_t stretch = 0; // where the stretch being gathered begins (0: none)
    const auto endStretch = [&](std::size_t end) {
        if (stretch == 0) return;
        append(NewRun(std::uint32_t(stretch), std::uint32_t(end)), stretch);
        work_.stretched += end - stretch;
        stretch = 0;
    };
    // The states in the same tile: both coordinates the same but for their low bits,
    // compared as one word.
    constexpr std::uint64_t low = (std::uint64_t(1) << Tiles::Shift) - 1;
    constexpr std::uint64_t TileBits = ~(low | low << 32);
    for (std::size_t j = 0; j < states.size();) {
        const std::uint32_t key = tiles_.Key(states[j]);
        // A long boundary's tiles are spread over a directory of megabytes: the entry of a
        // tile a few dozen states on is asked for now.
        if (j + 64 < states.size()) tiles_.Prefetch(tiles_.Key(states[j + 64]));
        const std::uint64_t tile = PackedPoint(states[j]) & TileBits;
        std::size_t end = j + 1;
        while (end < states.size() && (PackedPoint(states[end]) & TileBits) == tile) ++end;
        tiles_.Add(key, std::uint32_t(j), std::uint32_t(end));
        if (tiles_.Split(key)) {
            endStretch(j);
            for (std::size_t k = j; k < end; ++k)
                append(NewNode(states[k].x(), states[k].y(), DirectionAt(k)), k);
        } else {
            if (j == 0) append(NewNode(states[0].x(), states[0].y(), DirectionAt(0)), 0);
            const std::size_t from = j == 0 ? 1 : j;
            if (stretch == 0 && from < end) stretch = from;
        }
        j = end;
    }
    endStretch(states.size());
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

template <class Visit> void BandPeeler::ForTilesAround(int x, int y, Visit&& visit) const {
    for (const int dy : {-1, 1})
        for (const int dx : {-1, 1})
            visit(tiles_.Key(
                QPoint(std::clamp(x + dx, 0, width_ - 1), std::clamp(y + dy, 0, height_ - 1))));
}

void BandPeeler::SplitOut(std::uint32_t key) {
    if (tiles_.Split(key)) return;
    tiles_.MarkSplit(key);
    ++work_.splitOut;
    for (std::uint32_t s = tiles_.First(key); s != 0;) {
        const Tiles::Segment segment = tiles_.At(s);
        SplitStretch(segment.begin, segment.end);
        s = segment.next;
    }
}

void BandPeeler::SplitOutAround(int x, int y) {
    ForTilesAround(x, y, [this](std::uint32_t key) { SplitOut(key); });
}

// Makes the states base_[begin, end) that still lie in live stretches nodes of their own.
void BandPeeler::SplitStretch(std::uint32_t begin, std::uint32_t end) {
    std::uint32_t j = begin;
    while (j < end) {
        auto at = stretchAt_.upper_bound(j);
        if (at == stretchAt_.begin()) { // before every stretch: the head
            j = std::min(end, at == stretchAt_.end() ? end : at->first);
            continue;
        }
        const auto after = at;
        --at;
        const std::uint32_t id = at->second;
        const Run run = runs_[nodes_[id].run];
        if (j >= run.end || nodes_[id].dead) { // not in a stretch that is still there
            j = std::min(end, after == stretchAt_.end() ? end : after->first);
            continue;
        }
        const std::uint32_t stop = std::min(end, run.end);
        // The stretch keeps its states before j; with none, its node becomes state j's.
        std::uint32_t from = j;
        if (j == run.begin) {
            stretchAt_.erase(at);
            Node& n = nodes_[id];
            n.run = None;
            n.x = base_[j].x();
            n.y = base_[j].y();
            n.d = std::uint8_t(DirectionAt(j));
            std::uint32_t& head = index_.Head(n.x, n.y);
            nodes_[id].samePixel = head;
            head = id;
            ++from;
        } else {
            runs_[nodes_[id].run].end = j;
        }
        const std::uint32_t following = nodes_[id].next;
        splitNodes_.clear();
        for (std::uint32_t k = from; k < stop; ++k) {
            const std::uint32_t made = NewNode(base_[k].x(), base_[k].y(), DirectionAt(k));
            nodes_[made].createdPass = 0; // an old state, which a walk may meet
            splitNodes_.push_back(made);
        }
        if (stop < run.end) splitNodes_.push_back(NewRun(stop, run.end));
        Insert(id, following, splitNodes_);
        j = stop;
    }
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

void BandPeeler::ListToPoints(PointVector& points) const {
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
    // In list order; sorted as pairs, so that comparing does not load the nodes.
    byLabel_.clear();
    for (const std::uint32_t id : dirty_)
        if (!nodes_[id].dead) byLabel_.emplace_back(nodes_[id].label, id);
    std::sort(byLabel_.begin(), byLabel_.end());
    candidates_.clear();
    for (const auto& [label, id] : byLabel_) {
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
        SplitOut(tiles_.Key(p)); // so that an old state here is a node, and found
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
    live_ += fresh_.size();
    Insert(anchor, to, fresh_);
}

// Links the nodes between anchor and its next node to (None: the end), and labels them.
void BandPeeler::Insert(std::uint32_t anchor, std::uint32_t to,
                        const std::vector<std::uint32_t>& inserted) {
    std::uint32_t prev = anchor;
    for (const std::uint32_t id : inserted) {
        nodes_[prev].next = id;
        nodes_[id].prev = prev;
        prev = id;
    }
    nodes_[prev].next = to;
    if (to != None) nodes_[to].prev = prev;
    Label(anchor, to, inserted);
}

// Labels for the fresh nodes between anchor and to, spread evenly over the gap; where the
// gap is too narrow, over a wider stretch of the list around it.
void BandPeeler::Label(std::uint32_t anchor, std::uint32_t to,
                       const std::vector<std::uint32_t>& fresh) {
    const std::size_t m = fresh.size();
    if (m == 0) return;
    const std::uint64_t low = nodes_[anchor].label;
    const std::uint64_t high = to == None ? LabelRoom : nodes_[to].label;
    std::uint64_t step = (high - low) / (m + 1);
    if (to == None) step = std::min(step, LabelRoom / 2 / (live_ + 1)); // room for later ones
    if (step == 0) {
        Relabel(anchor, to == None ? fresh.back() : to);
        return;
    }
    std::uint64_t label = low;
    for (const std::uint32_t id : fresh) nodes_[id].label = label += step;
}

// Spreads the labels of the nodes from first to last (fresh ones among them) evenly
// between the labels of their outer neighbours, taking in more nodes on both sides until
// each gets a gap of Roomy at least, more for wider stretches; the whole list when it must.
void BandPeeler::Relabel(std::uint32_t first, std::uint32_t last) {
    std::size_t count = 1;
    for (std::uint32_t id = first; id != last; id = nodes_[id].next) ++count;
    for (std::size_t reach = 16;; reach *= 2) {
        for (std::size_t k = 0; k < reach && nodes_[first].prev != None; ++k, ++count)
            first = nodes_[first].prev;
        for (std::size_t k = 0; k < reach && nodes_[last].next != None; ++k, ++count)
            last = nodes_[last].next;
        const std::uint32_t before = nodes_[first].prev, after = nodes_[last].next;
        if (before == None && after == None) break; // the whole list
        const std::uint64_t low = before == None ? 0 : nodes_[before].label;
        std::uint64_t high = after == None ? LabelRoom : nodes_[after].label;
        if (after == None)
            high = low + std::min(high - low, (LabelRoom / 2 / (live_ + 1)) * (count + 1));
        const std::uint64_t step = (high - low) / (count + 1);
        // A wider stretch leaves each node more room, so that relabelling it comes round more
        // rarely as it costs more: with a fixed gap, stretches peeled pass after pass at the
        // same place were relabelled again and again, wider each time. (At most 4096 times
        // Roomy: lists of up to half a billion nodes find that much.)
        if (step < Roomy * std::min<std::size_t>(reach / 16, 4096)) continue;
        work_.relabelled += count;
        std::uint64_t label = low;
        for (std::uint32_t id = first;; id = nodes_[id].next) {
            nodes_[id].label = label += step;
            if (id == last) return;
        }
    }
    const std::uint64_t gap = LabelRoom / 2 / (live_ + 1);
    std::uint64_t label = 0;
    for (std::uint32_t id = head_; id != None; id = nodes_[id].next) {
        nodes_[id].label = label += gap;
        ++work_.relabelled;
    }
}

bool BandPeeler::TestChanges() {
    removedPixels_.clear();
    nextDirty_.clear();
    const std::uint32_t next = pass_ + 1;
    // Ordered by the labels as they are when compared: splitting a tile out may relabel a
    // stretch of the list, which keeps the order of every node.
    const auto later = [this](std::uint32_t a, std::uint32_t b) {
        return nodes_[a].label > nodes_[b].label;
    };
    // A heap of the nodes ahead, in a member so that its memory stays from pass to pass.
    std::vector<std::uint32_t>& ahead = ahead_;
    ahead.clear();
    std::size_t i = 0;
    for (;;) {
        std::uint32_t id;
        if (i < candidates_.size() &&
            (ahead.empty() || nodes_[candidates_[i]].label < nodes_[ahead.front()].label)) {
            id = candidates_[i++];
        } else if (!ahead.empty()) {
            id = ahead.front();
            std::pop_heap(ahead.begin(), ahead.end(), later);
            ahead.pop_back();
        } else {
            break;
        }
        Node& n = nodes_[id];
        if (n.dead || n.testedPass == pass_ || id == head_) continue;
        n.testedPass = pass_;
        const int x = n.x, y = n.y;
        if (!band_.Bit(x, y) || !PassesPeelTest(x, y)) continue;
        // Every state next to the removal must be a node, to be looked at again.
        SplitOutAround(x, y);
        band_.Clear(x, y);
        removedPixels_.emplace_back(x, y);
        const std::uint64_t here = nodes_[id].label;
        ForNodesAround(x, y, [&](std::uint32_t near) {
            Node& o = nodes_[near];
            if (o.dirtyPass != next) {
                o.dirtyPass = next;
                nextDirty_.push_back(near);
            }
            if (o.label > here && o.testedPass != pass_) {
                ahead.push_back(near);
                std::push_heap(ahead.begin(), ahead.end(), later);
            }
        });
    }
    work_.removed += removedPixels_.size();
    dirty_.swap(nextDirty_);
    return !removedPixels_.empty();
}

} // namespace raster
