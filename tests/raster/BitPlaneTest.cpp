// SPDX-License-Identifier: GPL-3.0-or-later
// Bit planes read and write whole 64-bit words: every pixel, and above all those whose three
// neighbours in a row straddle two words, must read and change as in a plain array of bits.
#include "raster/BitPlane.h"
#include "raster/MarkPlanes.h"
#include "raster/PlaneFollower.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <utility>
#include <vector>

namespace {

// The plane's rectangle of a raster, with a plain copy of its bits.
struct Planes {
    raster::BitPlane plane;
    std::vector<char> bits;
    int left, top, width, height;

    bool Plain(int x, int y) const {
        if (x < left || y < top || x >= left + width || y >= top + height) return false;
        return bits[std::size_t((y - top) * width + (x - left))] != 0;
    }
    void Put(int x, int y, bool set) {
        bits[std::size_t((y - top) * width + (x - left))] = set;
        set ? plane.Set(x, y) : plane.Clear(x, y);
    }
    // The neighbour set of the plain bits, directions 1 … 8 as bits 0 … 7.
    unsigned PlainNeighbours(int x, int y, bool insideOnly) const {
        unsigned set = 0;
        for (int k = 1; k <= 8; ++k) {
            const int u = x + raster::DirX[k], v = y + raster::DirY[k];
            if (insideOnly && !plane.Inside(u, v)) continue;
            if (Plain(u, v)) set |= 1u << (k - 1);
        }
        return set;
    }
};

} // namespace

TEST(BitPlane, WordAccessesMatchAPlainArrayOfBits) {
    std::mt19937 random(7);
    // Rectangles that start at, just before and just after word edges, and a whole raster.
    const int rasterWidth = 260, rasterHeight = 40;
    for (const QRect r : {QRect(0, 0, rasterWidth, rasterHeight), QRect(5, 3, 190, 30),
                          QRect(63, 1, 130, 20), QRect(56, 9, 71, 25)}) {
        SCOPED_TRACE(testing::Message() << "rectangle at " << r.x() << ", " << r.y());
        Planes p{{},        std::vector<char>(std::size_t(r.width() * r.height())),
                 r.x(),     r.y(),
                 r.width(), r.height()};
        p.plane.Reset(r.x(), r.y(), r.width(), r.height(), rasterWidth, rasterHeight);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) p.Put(x, y, random() % 3 != 0);
        // Single pixels and runs of three cleared and set again over every column.
        for (int y = r.top() + 1; y < r.bottom(); y += 3)
            for (int x = r.left() + 1; x < r.right(); x += 2) {
                const bool set = random() % 2 != 0;
                p.plane.MarkThree(x, y, set);
                for (int u = x - 1; u <= x + 1; ++u)
                    p.bits[std::size_t((y - p.top) * p.width + (u - p.left))] = set;
                if (random() % 4 == 0) p.Put(x + 1, y, !set);
            }
        const raster::PlaneLayout layout(std::as_const(p.plane));
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                ASSERT_EQ(p.plane.Bit(x, y), p.Plain(x, y)) << x << ", " << y;
                // The layout in locals answers as the plane, with either kind of load.
                ASSERT_EQ(layout.Bit(x, y), p.Plain(x, y));
                ASSERT_EQ(layout.Block(x, y), p.plane.Block(x, y)) << x << ", " << y;
                ASSERT_EQ(layout.ReadBlock(x, y), p.plane.Block(x, y)) << x << ", " << y;
                ASSERT_EQ(layout.InsideBlock(x, y), p.plane.InsideBlock(x, y));
                ASSERT_EQ(layout.InsideNeighbours(x, y), p.plane.InsideNeighbours(x, y));
                ASSERT_EQ(p.plane.Neighbours(x, y), p.PlainNeighbours(x, y, false))
                    << x << ", " << y;
                ASSERT_EQ(raster::RowBlocks.set[p.plane.Block(x, y)],
                          p.PlainNeighbours(x, y, false));
                ASSERT_EQ((p.plane.Block(x, y) >> 4 & 1) != 0, p.Plain(x, y));
                // The follower's view, near the frame too, as a set and as a block.
                const unsigned inside = p.PlainNeighbours(x, y, true);
                ASSERT_EQ(p.plane.InsideNeighbours(x, y), inside) << x << ", " << y;
                ASSERT_EQ(raster::RowBlocks.set[p.plane.InsideBlock(x, y)], inside);
            }
    }
}

// Marking a whole outline's pixels or blocks at once changes what marking them one by one
// would, at word edges too, and reports every changed pixel's stretch for writing back.
TEST(BitPlane, OutlinesMarkedAtOnceMatchPixelByPixel) {
    std::mt19937 random(11);
    const int rasterWidth = 300, rasterHeight = 40;
    for (const QRect r :
         {QRect(0, 0, rasterWidth, rasterHeight), QRect(63, 1, 200, 30), QRect(56, 9, 130, 25)}) {
        SCOPED_TRACE(testing::Message() << "rectangle at " << r.x() << ", " << r.y());
        for (const bool blocks : {false, true}) {
            raster::BitPlane batch, single;
            batch.Reset(r.x(), r.y(), r.width(), r.height(), rasterWidth, rasterHeight);
            single.Reset(r.x(), r.y(), r.width(), r.height(), rasterWidth, rasterHeight);
            // A random walk that keeps its blocks within the rectangle, set then partly cleared;
            // now and then it strides along a row, blocks side by side without overlapping.
            std::vector<QPoint> walk{r.center()};
            for (int k = 0; k < 3000; ++k) {
                const QPoint step = k % 40 < 12
                                        ? QPoint(3, 0)
                                        : QPoint(int(random() % 3) - 1, int(random() % 3) - 1);
                QPoint p = walk.back() + step;
                if (p.x() > r.right() - 1) p.setX(r.left() + 1 + int(random() % 5));
                p.setX(std::clamp(p.x(), r.left() + 1, r.right() - 1));
                p.setY(std::clamp(p.y(), r.top() + 1, r.bottom() - 1));
                walk.push_back(p);
            }
            for (const bool set : {true, false}) {
                const std::size_t n = set ? walk.size() : walk.size() / 3;
                if (blocks) {
                    batch.MarkBlocks(walk.data(), n, set);
                    for (std::size_t k = 0; k < n; ++k)
                        for (int dy = -1; dy <= 1; ++dy)
                            single.MarkThree(walk[k].x(), walk[k].y() + dy, set);
                } else {
                    batch.MarkEach(walk.data(), n, set);
                    for (std::size_t k = 0; k < n; ++k)
                        set ? single.Set(walk[k].x(), walk[k].y())
                            : single.Clear(walk[k].x(), walk[k].y());
                }
            }
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    ASSERT_EQ(batch.Bit(x, y), single.Bit(x, y)) << x << ", " << y;
        }
    }
}

// Writing the planes back changes the two mark bits of the pixels whose marks changed and
// nothing else, on a raster whose width is not a multiple of 64; the raster's watcher hears
// of every pixel written first, and of no row whose marks came back to what they were.
TEST(MarkPlanes, StoreWritesBackTheChangedMarksOnly) {
    struct Rows : platform::PixelWatcher {
        std::vector<QRect> told;
        void BeforeWrite(const QRect& rect) override { told.push_back(rect); }
        void Replaced() override {}
    } watcher;
    std::mt19937 random(5);
    const int width = 300, height = 12;
    platform::Bitmap24 raster(width, height);
    raster.Watch(&watcher);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 3 * width; ++x) raster.ScanLine(y)[x] = std::uint8_t(random());
    platform::Bitmap24 before(width, height);
    for (int y = 0; y < height; ++y) std::copy_n(raster.ScanLine(y), 3 * width, before.ScanLine(y));
    raster::MarkPlanes planes(raster);
    // Rows 0 … 9 change; in rows 10 and 11 every change is undone again.
    for (int k = 0; k < 400; ++k) {
        const QPoint p(int(random() % width), int(random() % height));
        raster::BitPlane& plane = planes.Plane(int(random() % 2));
        for (int again = 0; again < (p.y() >= 10 ? 2 : 1); ++again)
            plane.Bit(p.x(), p.y()) ? plane.Clear(p.x(), p.y()) : plane.Set(p.x(), p.y());
    }
    planes.Store(raster);
    for (const QRect& rect : watcher.told) EXPECT_LT(rect.top(), 10);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* now = raster.ScanLine(y) + 3 * x;
            const std::uint8_t* was = before.ScanLine(y) + 3 * x;
            if (std::memcmp(now, was, 3) != 0) {
                ASSERT_TRUE(std::any_of(watcher.told.begin(), watcher.told.end(),
                                        [&](const QRect& r) { return r.contains(x, y); }))
                    << x << ", " << y;
            }
            ASSERT_EQ(now[0] & 1, int(planes.Plane(0).Bit(x, y))) << x << ", " << y;
            ASSERT_EQ(now[1] & 1, int(planes.Plane(1).Bit(x, y))) << x << ", " << y;
            ASSERT_EQ(now[0] & 0xFE, was[0] & 0xFE);
            ASSERT_EQ(now[1] & 0xFE, was[1] & 0xFE);
            ASSERT_EQ(now[2], was[2]);
        }
}
