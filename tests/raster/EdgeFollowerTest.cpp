// SPDX-License-Identifier: GPL-3.0-or-later
// The follower's fast paths (neighbour sets worked out at once, two followers meeting
// half way) against the textbook walk that tests one neighbour at a time, on random
// sheets of blobs and noise, from every start and search direction.

#include "raster/EdgeFollower.h"
#include "raster/CycleFollower.h"
#include "raster/LongWalks.h"
#include "raster/MarkPlanes.h"
#include "raster/PackedFollower.h"
#include "raster/PlaneFollower.h"
#include "raster/SplitWalker.h"

#include <QPoint>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <tuple>
#include <vector>

namespace {

using raster::FollowResult;

// Blobs of ink and of a second colour on paper, with speckle; some pixels odd in blue and
// green so that the mark tests find something too.
platform::Bitmap24 RandomSheet(int width, int height, std::uint32_t seed) {
    std::mt19937 random(seed);
    const auto below = [&](int n) { return int(random() % unsigned(n)); };
    platform::Bitmap24 sheet(width, height);
    const platform::Colour paper = 0xF0F0F0, ink = 0x101010, other = 0x2080C0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) sheet.SetPixel(x, y, paper);
    for (int blob = 0; blob < 6; ++blob) {
        const int cx = below(width), cy = below(height), r = 1 + below(6);
        const platform::Colour colour = blob % 3 == 2 ? other : ink;
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x)
                if (x >= 0 && y >= 0 && x < width && y < height &&
                    (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r + below(3))
                    sheet.SetPixel(x, y, colour);
    }
    for (int speck = 0; speck < width * height / 6; ++speck)
        sheet.SetPixel(below(width), below(height), below(2) ? ink : paper);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = sheet.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (below(5) == 0) row[3 * x] ^= 1;
            if (below(7) == 0) row[3 * x + 1] ^= 1;
        }
    }
    return sheet;
}

// Outline marks of a comb across the sheet: a line along its middle row and a tooth of teeth
// pixels up from every third pixel of it, so that boundaries run to thousands of points.
void DrawComb(platform::Bitmap24& sheet, int teeth) {
    const int middle = sheet.Height() / 2;
    for (int x = 1; x < sheet.Width() - 1; ++x) {
        sheet.ScanLine(middle)[3 * x] |= 1;
        for (int y = middle - teeth; x % 3 == 0 && y < middle; ++y) sheet.ScanLine(y)[3 * x] |= 1;
    }
}

// Every marked pixel of a plane, row by row.
std::vector<QPoint> MarksOf(const raster::BitPlane& plane) {
    std::vector<QPoint> marks;
    for (int y = 0; y < plane.Height(); ++y)
        for (int x = 0; x < plane.Width(); ++x)
            if (plane.Marked(x, y)) marks.push_back(QPoint(x, y));
    return marks;
}

// Moore tracing as written: one neighbour at a time, clockwise from d.
template <class Qualifies>
FollowResult TextbookFollow(const Qualifies& qualifies, QPoint start, int d,
                            std::vector<QPoint>& points) {
    QPoint p = start;
    std::set<std::tuple<int, int, int>> seen;
    for (;;) {
        int k = 0;
        while (k < 8 && !qualifies(p.x(), p.y(), d)) {
            d = d % 8 + 1;
            ++k;
        }
        if (k == 8) return FollowResult::Stuck;
        p += QPoint(raster::DirX[d], raster::DirY[d]);
        d = raster::NextStart(d);
        if (p == start) return FollowResult::Closed;
        points.push_back(p);
        if (!seen.insert({p.x(), p.y(), d}).second) return FollowResult::Endless;
    }
}

// Every start that matches, every search direction: the same result and, unless the
// walk is endless (whose repeat is found at different points), the same points.
template <class Qualifies, class Matches>
void ExpectFollowersAgree(const Qualifies& qualifies, Matches matches, int width, int height,
                          const char* what) {
    int closed = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!matches(x, y)) continue;
            for (int d = 1; d <= 8; ++d) {
                std::vector<QPoint> expected, actual;
                const FollowResult want = TextbookFollow(qualifies, QPoint(x, y), d, expected);
                const FollowResult got = raster::FollowBoundary(
                    qualifies, QPoint(x, y), d, [&](QPoint p) { actual.push_back(p); });
                ASSERT_EQ(got, want) << what << " from (" << x << ", " << y << ") d " << d;
                if (want != FollowResult::Endless) {
                    ASSERT_EQ(actual, expected)
                        << what << " from (" << x << ", " << y << ") d " << d;
                }
                closed += want == FollowResult::Closed;
            }
        }
    EXPECT_GT(closed, 0) << what; // the sheets must exercise the meeting
}

TEST(EdgeFollower, NeighbourSetsEqualTheOneAtATimeTests) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        platform::Bitmap24 sheet = RandomSheet(23, 19, seed);
        for (int range : {-1, 0, 10, 60, 254, 255, 700}) {
            for (bool pure : {false, true}) {
                for (bool strict : {false, true}) {
                    const raster::ColourTest test(sheet, sheet.Pixel(9, 9), !pure, range, strict);
                    const auto one = [&](int x, int y) {
                        unsigned set = 0;
                        for (int d = 1; d <= 8; ++d) set |= unsigned(test(x, y, d)) << (d - 1);
                        return set;
                    };
                    for (int y = 0; y < 19; ++y)
                        for (int x = 0; x < 23; ++x) {
                            if (!test.Area().Inside(x, y)) continue;
                            ASSERT_EQ(raster::NeighbourSet(test, x, y), one(x, y))
                                << "seed " << seed << " range " << range << " pure " << pure
                                << " strict " << strict << " at (" << x << ", " << y << ")";
                            // Paired with the pixel mirrored through the centre.
                            const int mx = 22 - x, my = 18 - y;
                            if (!test.HasPairs() || !test.Area().Interior(x, y) ||
                                !test.Area().Interior(mx, my))
                                continue;
                            ASSERT_EQ(test.NeighbourPair(test.Area().Pixel(x, y),
                                                         test.Area().Pixel(mx, my)),
                                      one(x, y) | one(mx, my) << 8)
                                << "pair, seed " << seed << " range " << range << " at (" << x
                                << ", " << y << ")";
                        }
                }
            }
        }
    }
}

TEST(EdgeFollower, TwoWayFollowingGivesTheTextbookWalk) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        const int width = 24 + int(seed % 5), height = 20 + int(seed % 3);
        platform::Bitmap24 sheet = RandomSheet(width, height, seed);
        for (bool strict : {false, true}) {
            const raster::ColourTest pure(sheet, 0x101010, false, 0, strict);
            ExpectFollowersAgree(
                pure, [&](int x, int y) { return pure.Matches(x, y); }, width, height,
                strict ? "pure, strict" : "pure");
            const raster::ColourTest range(sheet, 0x101010, true, 90, strict);
            ExpectFollowersAgree(
                range, [&](int x, int y) { return range.Matches(x, y); }, width, height,
                strict ? "range, strict" : "range");
            // Past 254 the sets come one at a time on any processor.
            const raster::ColourTest wide(sheet, 0x101010, true, 300, strict);
            ExpectFollowersAgree(
                wide, [&](int x, int y) { return wide.Matches(x, y); }, width, height,
                "wide range");
        }
        for (int plane : {0, 1}) {
            const raster::MarkTest marks(sheet, plane);
            ExpectFollowersAgree(
                marks, [&](int x, int y) { return marks.Marked(x, y); }, width, height,
                plane == 0 ? "outline marks" : "band marks");
        }
    }
}

// The mark planes as bit planes are walked as on the raster: the same results and points from
// every start and search direction, and the same single steps.
TEST(EdgeFollower, BitPlanesAreFollowedAsTheRaster) {
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        const int width = 24 + int(seed % 5), height = 20 + int(seed % 3);
        const platform::Bitmap24 sheet = RandomSheet(width, height, seed);
        const raster::MarkPlanes planes(sheet);
        const raster::PackedSteps steps(planes.Plane(0).RowBytes());
        std::vector<QPoint> buffer;
        for (int plane : {0, 1}) {
            const raster::MarkTest marks(const_cast<platform::Bitmap24&>(sheet), plane);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    ASSERT_EQ(planes.Plane(plane).Marked(x, y), marks.Marked(x, y));
                    if (!marks.Marked(x, y)) continue;
                    for (int d = 1; d <= 8; ++d) {
                        std::vector<QPoint> expected;
                        raster::PointVector actual;
                        const FollowResult want = raster::FollowBoundary(
                            marks, QPoint(x, y), d, [&](QPoint p) { expected.push_back(p); });
                        ASSERT_EQ(raster::FollowPlane(planes.Plane(plane), QPoint(x, y), d,
                                                      [&](QPoint p) { actual.push_back(p); }),
                                  want);
                        ASSERT_EQ(std::vector<QPoint>(actual.begin(), actual.end()), expected)
                            << "from (" << x << ", " << y << ") d " << d;
                        actual.assign(3, QPoint(-1, -1)); // appended to
                        ASSERT_EQ(raster::FollowPlanePacked(planes.Plane(plane), steps,
                                                            QPoint(x, y), d, actual, buffer),
                                  want);
                        expected.insert(expected.begin(), 3, QPoint(-1, -1));
                        ASSERT_EQ(std::vector<QPoint>(actual.begin(), actual.end()), expected)
                            << "packed, from (" << x << ", " << y << ") d " << d;
                        QPoint p(x, y), q(x, y);
                        int dp = d, dq = d;
                        ASSERT_EQ(raster::StepPlane(planes.Plane(plane), p, dp),
                                  raster::StepBoundary(marks, q, dq));
                        ASSERT_EQ(p, q);
                        ASSERT_EQ(dp, dq);
                    }
                }
        }
    }
}

// Long boundaries, far from the frame and near it, for the packed follower: its scratch
// grows while both followers fill it, and a walk from every twentieth mark must give
// FollowPlane's points and result.
TEST(EdgeFollower, PackedStatesFollowLongBoundariesAsThePlaneFollower) {
    std::size_t longest = 0;
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        const int width = 300 + int(seed) * 7, height = 220;
        platform::Bitmap24 sheet = RandomSheet(width, height, seed);
        // A long comb along the sheet, in a clear stretch of it, so that some boundaries run
        // to thousands of points.
        for (int y = height / 2 - 90; y <= height / 2 + 5; ++y)
            for (int x = 0; x < width; ++x) sheet.ScanLine(y)[3 * x] &= 0xFE;
        DrawComb(sheet, 80);
        const raster::MarkPlanes planes(sheet);
        const raster::BitPlane& plane = planes.Plane(0);
        const raster::PackedSteps steps(plane.RowBytes());
        std::vector<QPoint> buffer;
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if (!plane.Marked(x, y) || n++ % 20 != 0) continue;
                const int d = 1 + n % 8;
                std::vector<QPoint> expected;
                raster::PointVector actual;
                const FollowResult want = raster::FollowPlane(
                    plane, QPoint(x, y), d, [&](QPoint p) { expected.push_back(p); });
                ASSERT_EQ(raster::FollowPlanePacked(plane, steps, QPoint(x, y), d, actual, buffer),
                          want);
                ASSERT_EQ(std::vector<QPoint>(actual.begin(), actual.end()), expected)
                    << "from (" << x << ", " << y << ") d " << d;
                longest = std::max(longest, expected.size());
            }
    }
    EXPECT_GT(longest, 10000u);
}

// A walk split at a seed, its halves made apart: from marks of sheets with long combs, seeded
// at states of the walk itself (which the first half must reach) and at marks anywhere with
// any search start. Joined, or the first half alone where it did not reach its seed, they must
// give the plane follower's points and result.
TEST(EdgeFollower, WalksSplitAtASeedJoinToThePlaneFollowers) {
    std::size_t joined = 0, whole = 0;
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const int width = 140 + int(seed) * 7, height = 100;
        platform::Bitmap24 sheet = RandomSheet(width, height, seed);
        DrawComb(sheet, 30);
        const raster::MarkPlanes planes(sheet);
        const raster::BitPlane& plane = planes.Plane(0);
        const raster::PackedSteps steps(plane.RowBytes());
        std::vector<QPoint> buffer;
        const std::vector<QPoint> marks = MarksOf(plane);
        std::mt19937 random(seed);
        for (std::size_t m = 0; m < marks.size(); m += 7) {
            const QPoint start = marks[m];
            const int d = 1 + int(random() % 8);
            std::vector<QPoint> expected;
            const FollowResult want =
                raster::FollowPlane(plane, start, d, [&](QPoint p) { expected.push_back(p); });
            // States of the walk: a position and the search start its step left.
            std::vector<std::pair<QPoint, int>> seeds;
            for (std::size_t j : {std::size_t(0), expected.size() / 3, expected.size() - 1}) {
                if (want != FollowResult::Closed || j >= expected.size()) continue;
                const QPoint step = expected[j] - (j == 0 ? start : expected[j - 1]);
                seeds.emplace_back(
                    expected[j],
                    raster::NextStart(raster::MoveDirection[(step.y() + 1) * 3 + step.x() + 1]));
            }
            const std::size_t genuine = seeds.size();
            seeds.emplace_back(marks[random() % marks.size()], 1 + int(random() % 8));
            for (std::size_t k = 0; k < seeds.size(); ++k) {
                const auto [at, seedD] = seeds[k];
                SCOPED_TRACE(testing::Message()
                             << "from (" << start.x() << ", " << start.y() << ") d " << d
                             << ", seed (" << at.x() << ", " << at.y() << ") d " << seedD);
                raster::PointVector first, second;
                bool reached = false;
                const FollowResult firstResult = raster::FollowPackedToSeed(
                    plane, steps, start, d, at, seedD, first, buffer, reached);
                if (!reached) {
                    ASSERT_GE(k, genuine) << "a state of the walk was not reached";
                    ASSERT_EQ(firstResult, want);
                    ASSERT_EQ(std::vector<QPoint>(first.begin(), first.end()), expected);
                    ++whole;
                    continue;
                }
                if (raster::FollowPackedFromSeed(plane, steps, start, d, at, seedD, second,
                                                 buffer) != FollowResult::Closed) {
                    ASSERT_NE(want, FollowResult::Closed);
                    continue;
                }
                ASSERT_EQ(want, FollowResult::Closed);
                std::vector<QPoint> actual(first.begin(), first.end());
                actual.push_back(at);
                actual.insert(actual.end(), second.begin(), second.end());
                ASSERT_EQ(actual, expected);
                ++joined;
            }
        }
    }
    EXPECT_GT(joined, 500u);
    EXPECT_GT(whole, 100u);
}

// Walks split late: made alone for a few rounds, then in two halves toward seeds that lie
// early on the walk (before where the first rounds ended), in its middle, late (among the
// points the backward follower made alone), or anywhere at all. Whatever the seed, the
// points and the result must be the plane follower's; a walk that missed its seed was made
// whole by the first half.
TEST(EdgeFollower, WalksSplitLateAreThePlaneFollowers) {
    raster::SplitWalker walker;
    std::size_t paused = 0;
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const int width = 150 + int(seed) * 5, height = 100;
        platform::Bitmap24 sheet = RandomSheet(width, height, seed);
        DrawComb(sheet, 30);
        const raster::MarkPlanes planes(sheet);
        const raster::BitPlane& plane = planes.Plane(0);
        const raster::PackedSteps steps(plane.RowBytes());
        const std::vector<QPoint> marks = MarksOf(plane);
        std::mt19937 random(seed);
        for (std::size_t m = 0; m < marks.size(); m += 11) {
            const QPoint start = marks[m];
            const int d = 1 + int(random() % 8);
            std::vector<QPoint> expected{start};
            const FollowResult want =
                raster::FollowPlane(plane, start, d, [&](QPoint p) { expected.push_back(p); });
            std::vector<raster::SplitWalker::Seed> seeds;
            for (const std::size_t share : {16, 2}) {
                const std::size_t j = expected.size() / share + 1;
                if (j >= expected.size()) continue;
                const QPoint step = expected[j] - expected[j - 1];
                seeds.push_back(
                    {expected[j],
                     raster::NextStart(raster::MoveDirection[(step.y() + 1) * 3 + step.x() + 1])});
            }
            if (expected.size() > 3) {
                const QPoint late = expected[expected.size() - 2];
                raster::SplitWalker::Seed s;
                if (raster::SplitWalker::SeedOn(plane, expected[expected.size() - 4],
                                                1 + int(random() % 8), s))
                    seeds.push_back(s);
                seeds.push_back({late, 1 + int(random() % 8)});
            }
            seeds.push_back({marks[random() % marks.size()], 1 + int(random() % 8)});
            for (const raster::SplitWalker::Seed& s : seeds)
                for (const std::size_t alone : {1, 7, 60}) {
                    SCOPED_TRACE(testing::Message()
                                 << "from (" << start.x() << ", " << start.y() << ") d " << d
                                 << ", seed (" << s.at.x() << ", " << s.at.y() << ") d " << s.d
                                 << ", alone " << alone);
                    raster::PointVector points{start};
                    const std::size_t splits = walker.Done().splits, redone = walker.Done().redone;
                    const raster::SplitWalker::LateSeed late = [&s](const raster::PointVector&,
                                                                    std::size_t,
                                                                    raster::SplitWalker::Seed& to) {
                        to = s;
                        return true;
                    };
                    ASSERT_EQ(walker.FollowLate(plane, steps, start, d, alone, late, points), want);
                    ASSERT_EQ(std::vector<QPoint>(points.begin(), points.end()), expected);
                    paused += walker.Done().splits - splits;
                    // Only a walk that does not close, or a seed at the start, leaves a second
                    // half that does not close.
                    if (walker.Done().redone != redone) {
                        ASSERT_TRUE(want != FollowResult::Closed || s.at == start);
                    }
                }
        }
    }
    // Walks paused and split, some reaching their seed and some not.
    EXPECT_GT(paused, 3000u);
    EXPECT_GT(walker.Done().splits - walker.Done().missed, 1000u);
    EXPECT_GT(walker.Done().missed, 1000u);
}

// Kept long walks give a walk that runs along one of them a state of it half way along the
// rest: here prefixes of a kept walk itself, whose rest is known, and of a walk round other
// marks, which runs along none.
TEST(EdgeFollower, LongWalksGiveStatesHalfWayAlongTheRest) {
    platform::Bitmap24 sheet = RandomSheet(300, 100, 7);
    DrawComb(sheet, 45);
    const raster::MarkPlanes planes(sheet);
    const raster::BitPlane& plane = planes.Plane(0);
    // The comb's outline, a walk of thousands of states.
    const QPoint tip(3, 5); // of the first tooth
    std::vector<QPoint> walk{tip};
    ASSERT_TRUE(plane.Marked(tip.x(), tip.y()));
    ASSERT_EQ(raster::FollowPlane(plane, tip, 2, [&](QPoint p) { walk.push_back(p); }),
              FollowResult::Closed);
    ASSERT_GT(walk.size(), 2000u);
    raster::LongWalks kept(true, 64), byPosition(false, 64);
    kept.Keep(walk.data(), walk.size());
    byPosition.Keep(walk.data(), walk.size());
    const auto direction = [&](std::size_t j) {
        const QPoint step = walk[j] - walk[j - 1];
        return raster::NextStart(raster::MoveDirection[(step.y() + 1) * 3 + step.x() + 1]);
    };
    for (std::size_t k = 200; k + 600 < walk.size(); k += 97)
        for (const std::size_t rounds : {0, 150}) {
            const raster::PointVector prefix(walk.begin(), walk.begin() + std::ptrdiff_t(k));
            QPoint at;
            int d = 0;
            ASSERT_TRUE(kept.HalfWay(prefix, rounds, at, d)) << k;
            const std::size_t want = k + (walk.size() - k - rounds) / 2;
            bool found = false;
            for (std::size_t j = want - 200; j <= want + 200 && j < walk.size(); ++j)
                found = found || (walk[j] == at && direction(j) == d);
            EXPECT_TRUE(found) << "prefix " << k << " rounds " << rounds;
            // By position alone, the same pixel.
            QPoint pixel;
            ASSERT_TRUE(byPosition.HalfWay(prefix, rounds, pixel, d));
            EXPECT_EQ(pixel, at);
        }
    // A walk that runs along no kept one.
    raster::PointVector lone{QPoint(0, 0)};
    for (int x = 1; x < 300; ++x) lone.push_back(QPoint(x, 99 - x % 2));
    QPoint at;
    int d = 0;
    EXPECT_FALSE(kept.HalfWay(lone, 0, at, d));
}

// Walks from every mark of random sheets with a comb, one follower for them all, keeping the
// cycle of every closed walk: most walks are read off a cycle kept before, and each must give
// FollowPlane's result and, when it closes, its points.
TEST(EdgeFollower, WalksReadOffKeptCyclesAreThePlaneFollowers) {
    std::size_t readOff = 0, closed = 0;
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const int width = 120 + int(seed) * 9, height = 90;
        platform::Bitmap24 sheet = RandomSheet(width, height, seed);
        if (seed % 2 == 0) DrawComb(sheet, 30);
        const raster::MarkPlanes planes(sheet);
        const raster::BitPlane& plane = planes.Plane(0);
        raster::CycleFollower cycles(plane, seed % 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::vector<QPoint> expected;
                const FollowResult want = raster::FollowPlane(
                    plane, QPoint(x, y), 2, [&](QPoint p) { expected.push_back(p); });
                std::vector<std::uint8_t> steps{7};
                QPoint last(-1, -1);
                ASSERT_EQ(cycles.Follow(QPoint(x, y), steps, last), want) << x << ", " << y;
                if (want != FollowResult::Closed) continue;
                ++closed;
                std::vector<QPoint> actual;
                QPoint p(x, y);
                for (const std::uint8_t move : steps) {
                    p += QPoint(move % 3 - 1, move / 3 - 1);
                    actual.push_back(p);
                }
                ASSERT_EQ(actual, expected) << "from (" << x << ", " << y << ")";
                ASSERT_EQ(last, expected.empty() ? QPoint(-1, -1) : expected.back());
            }
        readOff += cycles.WalksReadOff();
    }
    EXPECT_GT(closed, 1000u);
    EXPECT_GT(readOff, closed / 2);
}

TEST(EdgeFollower, TwoWayFollowingOnACheckerboard) {
    // Ink joined only across corners: every step of a walk is diagonal, and the one region's
    // boundary passes through most of its pixels several times.
    platform::Bitmap24 sheet(41, 37);
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 41; ++x)
            sheet.SetPixel(x, y, (x + y) % 2 == 0 && x > 3 && y > 5 ? 0x101010 : 0xF0F0F0);
    const raster::ColourTest pure(sheet, 0x101010, false, 0, false);
    ExpectFollowersAgree(
        pure, [&](int x, int y) { return pure.Matches(x, y); }, 41, 37, "checkerboard");
}

TEST(EdgeFollower, BoundariesThroughTheStartTwiceAndStartsOffTheInsideArea) {
    // A one-pixel line is walked out and back, so the boundary passes through a start in
    // its middle twice and the walk must stop at the first return.
    platform::Bitmap24 sheet(40, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            sheet.SetPixel(x, y, x >= 5 && x < 35 && y == 9 ? 0 : 0xFFFFFF);
    const raster::ColourTest test(sheet, 0, false, 0, false);
    std::vector<QPoint> expected, actual;
    EXPECT_EQ(TextbookFollow(test, QPoint(20, 9), 1, expected), FollowResult::Closed);
    EXPECT_EQ(
        raster::FollowBoundary(test, QPoint(20, 9), 1, [&](QPoint p) { actual.push_back(p); }),
        FollowResult::Closed);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(actual.size(), 27u); // 21 … 34 out, 33 … 21 back
    // Outside 2 … W − 2 nothing is followed, not even towards matching neighbours.
    actual.clear();
    EXPECT_EQ(raster::FollowBoundary(test, QPoint(1, 9), 1, [&](QPoint p) { actual.push_back(p); }),
              FollowResult::Stuck);
    EXPECT_TRUE(actual.empty());
}

} // namespace
