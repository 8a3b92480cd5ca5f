// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Mark-plane operations on point lists, and the peeling test of thinning.
//
// The band of an outline is every pixel within one pixel (8-neighbourhood) of an outline
// pixel, marked in the band plane (bit 0 of green). Along a stroke up to four pixels wide
// the bands of its two sides merge into one solid region; around a wider area the band
// is a three-pixel ring. Thinning peels the band from its outer boundary with PeelPixel;
// contracting and enlarging follow the band's inner or outer boundary.
//
// All coordinates are raster pixels. Points whose 3 × 3 neighbourhood leaves the raster
// are clipped (never happens for followed points, which keep a frame of two pixels).
// Cost: nine byte writes a point for the band, one for the outline; no allocation.
// Every function widens `changed` to cover the pixels it wrote.

#include "platform/Bitmap24.h"
#include "raster/BitPlane.h"
#include "raster/PointList.h"

#include <QRect>
#include <cstddef>

namespace raster {

constexpr int OutlinePlane = 0; // byte offset of blue in a pixel
constexpr int BandPlane = 1;    // byte offset of green

// Sets (or clears) the band mark on the 3 × 3 block around each of points[0 .. count).
void MarkBand(platform::Bitmap24& raster, const PointList& points, std::size_t count, bool set,
              QRect& changed);
// Sets (or clears) the outline mark on each of points[0 .. count).
void MarkOutline(platform::Bitmap24& raster, const PointList& points, std::size_t count, bool set,
                 QRect& changed);
// The same two on bit planes of the band and the outline marks.
void MarkBand(BitPlane& band, const PointList& points, std::size_t count, bool set, QRect& changed);
void MarkOutline(BitPlane& outline, const PointList& points, std::size_t count, bool set,
                 QRect& changed);

// Clears the band mark of (x, y) when that keeps its band neighbours one group: at least
// two neighbours set, at most one run of set neighbours around it (unset corner
// neighbours do not split a run) and at most three side neighbours set. True when
// removed. A pixel on the raster's outermost frame is never removed.
bool PeelPixel(platform::Bitmap24& raster, int x, int y);

// The test walks the neighbours counter-clockwise from the left one: directions 8, 7, … 1;
// the side neighbours are the even directions.
struct PeelTable {
    bool removable[256];
    constexpr PeelTable() : removable() {
        for (unsigned set = 0; set < 256; ++set) {
            const auto has = [set](int k) {
                return (set >> (7 - k) & 1) != 0;
            }; // k: 0 left … 7 up-left
            int n = 0, sides = 0, runs = 0, run = 0;
            for (int k = 0; k < 8; ++k) {
                const bool side = k % 2 == 0;
                if (has(k)) {
                    ++n;
                    ++run;
                    if (side) ++sides;
                } else if (side && run > 0) {
                    ++runs;
                    run = 0;
                }
            }
            if (!has(0) && run > 0) ++runs; // a last run that does not join the first
            removable[set] = n >= 2 && runs <= 1 && sides <= 3;
        }
    }
};
inline constexpr PeelTable PeelTest{};

// The same test from the eight band neighbours as a set, bit k − 1 for direction k (up-left
// 1, up 2, up-right 3, right 4, down-right 5, down 6, down-left 7, left 8): true when the
// pixel may go.
inline bool Peelable(unsigned neighbours) {
    return PeelTest.removable[neighbours & 0xFF];
}
// The same from a 3 × 3 block of a bit plane (BitPlane::Block), for a pixel that is set:
// one look-up.
struct PeelBlockTable {
    bool removable[512];
    constexpr PeelBlockTable() : removable() {
        for (unsigned block = 0; block < 512; ++block)
            removable[block] = (block & CentreBit) != 0 && PeelTest.removable[RowBlocks.set[block]];
    }
    static constexpr unsigned CentreBit = 1u << 4;
};
inline constexpr PeelBlockTable PeelBlocks{};

} // namespace raster
