// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Peeling a band region from its outer boundary: the loop of thinning.
//
// Contract: Peel gives exactly the result of the plain loop
//     repeat
//         T = the band's boundary followed from the pass's start (search direction 2)
//         test T[1], T[2], ... in this order with the peel test (Morphology.h), each test
//         seeing the removals made before it
//     until a pass removes nothing
// and gives T of the last pass (GiveBoundary). The start of each pass comes from the caller
// (the object's start walk). It works on the band plane as a BitPlane; coordinates are
// raster pixels.
//
// Method: the follower's step from a pixel and the peel test of a pixel read nothing but
// the pixel's 3 × 3 block, and a pass changes the band only where it removes a pixel. So
// from one pass to the next the boundary changes only next to the last pass's removals,
// and a pixel that failed the test fails it again until a neighbour goes. The boundary is
// kept as a linked list of follower states (position, search direction) with labels that
// order them. A pass follows the band again only from the states next to the last pass's
// removals, until the walk meets a state of the old list (from there on the old list is
// the walk), and tests only those states and the new ones, in boundary order, adding the
// states next to each removal that lie ahead. A pass that removes a large share of the
// boundary is followed by a plain pass, which is the cheaper one then; so is a pass whose
// start moved. Where the walk does anything unexpected (it meets an old state behind it),
// the pass is made plainly instead.
//
// A boundary often runs far beyond the object's own band, round what earlier objects left
// in the band plane, and most of a long boundary is untouched by the passes that follow.
// So only the states in tiles of 16 × 16 pixels next to the removals are list nodes of their
// own, with their pixels indexed; the others stay in stretches of the plain pass's points.
// Where an incremental pass reaches a tile not yet split out (its walk enters it, or a pixel
// next to it is tested), that tile's states are split out of their stretches first: every
// state's tile is noted when the list is built.
//
// A plain pass's walk round a long boundary is made by two threads: one from the start to a
// state further on (the seed), the other from the seed on (SplitWalker.h). A seed is taken
// from the middle of the last pass's walk, or for the first pass from the middle of the
// object's outline, which the band lies round. A walk not expected to be long is split only
// once it has gone on for a while along one of the last long boundaries that peels left: on a
// map, mostly the boundary round a hatched area's network, which many small objects' bands
// touch. Where the first half does not come to its seed, it has made the whole walk alone.
//
// Cost: a plain pass is O(boundary); an incremental pass is O(r log r) for the r removals
// of the pass before, plus the states it follows anew. Memory: the list, the points of the
// last plain pass, an index of the kept pixels (a directory entry for every 8 × 8 block of
// the raster, 4 bytes per 64 pixels) and the states by tile (4 bytes per 256 pixels).

#include "raster/BitPlane.h"
#include "raster/LongWalks.h"
#include "raster/PackedFollower.h"
#include "raster/PointList.h"
#include "raster/SplitWalker.h"

#include <QPoint>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace raster {

class BandPeeler {
public:
    // Gives the start of the next pass; false when there is none (the object's start lost
    // its band mark), in which case the pass tests the list it has again, as the plain
    // loop does with a contour list that a failed trace left untouched.
    using StartFinder = std::function<bool(QPoint& start)>;

    // splitLength: SplitLength, which the long boundaries kept are sampled by too.
    explicit BandPeeler(BitPlane& band, std::size_t splitLength = 32768);

    // contour/count: the list the caller holds (tested by a pass whose start is missing),
    // which is only read: another thread may read it meanwhile. The boundary of the last pass
    // is kept until GiveBoundary or the next peel.
    void Peel(const StartFinder& nextStart, const PointList& contour, std::size_t count);
    // Hands that boundary to list, which holds nothing past it then, and returns its length;
    // the next peel uses the list's storage.
    std::size_t GiveBoundary(PointList& list) {
        const std::size_t n = points_.size();
        list.Swap(points_);
        return n;
    }

    // What the peels so far did, for tests and benchmarks: passes, how many of them were
    // plain, pixels removed, follower steps (and those of plain passes) and peel tests;
    // states that lists kept in stretches, and tiles split out of them later.
    struct Work {
        std::size_t passes = 0, plainPasses = 0, removed = 0, followed = 0, plainFollowed = 0,
                    tested = 0, stretched = 0, splitOut = 0;
        // Walks split between two threads (late: after walking alone), those whose first half
        // did not reach its seed (and made the whole walk), and those made again in one.
        std::size_t splits = 0, splitsLate = 0, splitsMissed = 0, splitsRedone = 0;
        // Nodes given new labels when a gap between two ran out.
        std::size_t relabelled = 0;
    };
    const Work& Done() const { return work_; }

    // Walks expected at least this long are made by two threads, each from one end.
    const std::size_t SplitLength;
    // Other walks are split after this many rounds of two steps, when a long boundary was
    // left before (0: never).
    std::size_t LateSplitRounds = 8192;
    // The labels that order the list live below this; a relabelled list uses the lower half,
    // so that states added after its last one find room. Tests narrow it, so that gaps run
    // out and the list is relabelled often.
    std::uint64_t LabelRoom = std::uint64_t(1) << 62;

private:
    static constexpr std::uint32_t None = 0xFFFFFFFFu;

    struct Node {
        int x = 0, y = 0;
        std::uint64_t label = 0; // increases along the list
        std::uint32_t next = None, prev = None;
        std::uint32_t samePixel = None; // the next node at the same pixel
        std::uint32_t createdPass = 0, dirtyPass = 0, donePass = 0, testedPass = 0;
        std::uint8_t d = 0; // the search direction after arriving here
        bool dead = false;
        // None for a single state; else the stretch of base_ that the node stands for,
        // which is never indexed, followed or tested.
        std::uint32_t run = None;
    };
    struct Run {
        std::uint32_t begin, end;
    };

    // Where the states of the list's plain pass lie: for every tile of 16 × 16 pixels the
    // stretches of those points in it, through a directory with an entry for every tile of
    // the raster; and which tiles have their states as nodes of their own.
    class Tiles {
    public:
        static constexpr int Shift = 4;
        struct Segment {
            std::uint32_t begin, end, next; // next: segment number + 1, 0 none
        };
        void Reset(int width, int height);
        std::uint32_t Key(QPoint p) const {
            return std::uint32_t(p.y() >> Shift) * perRow_ + std::uint32_t(p.x() >> Shift);
        }
        void Add(std::uint32_t key, std::uint32_t begin, std::uint32_t end);
        std::uint32_t First(std::uint32_t key) const { return first_[key]; }
        void Prefetch(std::uint32_t key) const { __builtin_prefetch(&first_[key], 1); }
        const Segment& At(std::uint32_t number) const { return segments_[number - 1]; }
        bool Split(std::uint32_t key) const { return (split_[key >> 6] >> (key & 63) & 1) != 0; }
        void MarkSplit(std::uint32_t key);

    private:
        void Use(std::uint32_t key);
        std::vector<std::uint32_t, platform::HugePageAllocator<std::uint32_t>> first_;
        std::vector<std::uint64_t> split_;
        std::vector<Segment> segments_;
        std::vector<std::uint32_t> used_; // keys whose entries are not clear
        std::uint32_t perRow_ = 0;
    };

    // Pixel to the first of its nodes. Pixels are kept in blocks of 8 × 8, found through a
    // directory with an entry for every block of the raster (4 bytes per 64 pixels): a
    // boundary's nodes lie close together, so the blocks stay few, and finding one is a
    // single load. Only the entries in use are cleared between lists.
    class PixelIndex {
    public:
        void Reset(int width, int height);
        // The pixel must lie on the raster. None when the pixel has no node yet.
        std::uint32_t& Head(int x, int y) {
            const std::uint32_t key = Key(x, y);
            const std::uint32_t entry = directory_[key];
            return entry != 0 ? blocks_[entry - 1].heads[Cell(x, y)] : *AddBlock(key, Cell(x, y));
        }
        // nullptr off the raster or without a block. Inline: walks and removals ask for
        // millions of pixels.
        std::uint32_t* Find(int x, int y) {
            if (unsigned(x) >= unsigned(width_) || unsigned(y) >= unsigned(height_)) return nullptr;
            const std::uint32_t entry = directory_[Key(x, y)];
            return entry != 0 ? &blocks_[entry - 1].heads[Cell(x, y)] : nullptr;
        }

    private:
        struct Block {
            std::uint32_t key;
            std::uint32_t heads[64];
        };
        std::uint32_t Key(int x, int y) const {
            return std::uint32_t(y >> 3) * blocksPerRow_ + std::uint32_t(x >> 3);
        }
        static std::size_t Cell(int x, int y) { return std::size_t((y & 7) * 8 + (x & 7)); }
        std::uint32_t* AddBlock(std::uint32_t key, std::size_t cell);
        std::vector<Block, platform::HugePageAllocator<Block>> blocks_;
        std::vector<std::uint32_t, platform::HugePageAllocator<std::uint32_t>>
            directory_; // block number + 1, 0 none
        int width_ = 0, height_ = 0;
        std::uint32_t blocksPerRow_ = 0;
    };

    // The peel test of a pixel still in the band.
    bool PassesPeelTest(int x, int y);

    // One pass over the whole of points (traced or not); true when it removed something.
    bool PlainPass(PointVector& points);
    using Seed = SplitWalker::Seed;
    // seed: where to split the walk at once; else it may be split late.
    bool Follow(QPoint start, PointVector& points, const Seed* seed);
    bool SeedFromWalk(const PointVector& walk, Seed& seed) const;
    bool SeedFromOutline(const PointList& contour, std::size_t count, Seed& seed) const;
    // The list from the points of a plain pass, which it takes over; the nodes next to its
    // removals are dirty.
    void BuildList(PointVector& points);
    std::uint32_t NewNode(int x, int y, int d);
    std::uint32_t NewRun(std::uint32_t begin, std::uint32_t end);
    int DirectionAt(std::size_t j) const; // of base_[j], from the step that led there
    // Splits the states of a tile (or of every tile the 3 × 3 block round (x, y) touches)
    // out of their stretches.
    void SplitOut(std::uint32_t key);
    void SplitOutAround(int x, int y);
    // Calls visit(key) for the tile of each corner of the 3 × 3 block round (x, y): every
    // tile the block touches.
    template <class Visit> void ForTilesAround(int x, int y, Visit&& visit) const;
    void SplitStretch(std::uint32_t begin, std::uint32_t end);
    template <class Visit> void ForNodesAround(int x, int y, Visit&& visit);
    // One incremental pass; false when it could not be made that way (nothing changed then
    // but the list, which the next plain pass replaces).
    bool FollowChanges(QPoint start);
    bool FollowChain(std::uint32_t from, QPoint start);
    std::uint32_t Match(int x, int y, int d);
    void Splice(std::uint32_t anchor, std::uint32_t to);
    void Insert(std::uint32_t anchor, std::uint32_t to, const std::vector<std::uint32_t>& inserted);
    void Label(std::uint32_t anchor, std::uint32_t to, const std::vector<std::uint32_t>& fresh);
    void Relabel(std::uint32_t first, std::uint32_t last);
    // Tests the candidates in list order; true when it removed something.
    bool TestChanges();
    void ListToPoints(PointVector& points) const;

    BitPlane& band_;
    int width_, height_;

    std::vector<Node, platform::HugePageAllocator<Node>> nodes_; // millions, grown per command
    std::vector<Run> runs_;
    PointVector points_;                               // the boundary of the pass
    PointVector base_;                                 // the plain pass the list was built from
    PackedSteps steps_;                                // for the plain passes' walks
    LongWalks longWalks_;                              // the last long boundaries left
    SplitWalker::LateSeed lateSeed_;                   // a seed on one of them
    std::map<std::uint32_t, std::uint32_t> stretchAt_; // first point of base_ to its node
    Tiles tiles_;
    std::uint32_t head_ = None;
    std::size_t live_ = 0;
    std::uint32_t pass_ = 0;
    PixelIndex index_;
    std::vector<std::uint32_t> dirty_, nextDirty_, candidates_, fresh_, splitNodes_, ahead_;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> byLabel_; // (label, node)
    std::vector<QPoint> removedPixels_;
    Work work_;
    SplitWalker walker_; // last: its second thread ends before what it uses
};

} // namespace raster
