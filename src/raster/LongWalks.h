// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The last few long walks, sampled, for walks that run along one of them: where a walk made
// by two threads is split (SplitWalker.h) when it was not known to be long.

#include "raster/PointList.h"

#include <QPoint>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace raster {

// Every so many states of the last few long walks (a sample), found by position and search
// start (or by position alone, for walks round marks that lie on such a walk's pixels): a walk
// that has gone on a while and runs along one of them gets its seed half way along the rest.
// The samples are found through a small table that is never cleared: an entry of a walk no
// longer kept is passed over, and written over.
class LongWalks {
public:
    // every: the states from sample to sample, for walks of at least 512 times as many.
    LongWalks(bool byDirection, std::size_t every);
    // A closed walk of n points, from its start.
    void Keep(const QPoint* walk, std::size_t n);
    // The state (or, by position alone, the pixel) that lies, on the kept walk that the last
    // states of points run along, half way from there to its end less rounds; false when they
    // run along none.
    bool HalfWay(const PointVector& points, std::size_t rounds, QPoint& at, int& d) const;

private:
    static constexpr std::size_t Walks = 4, TableBits = 16, Probes = 32;
    struct Sample {
        QPoint at;
        int d;
    };
    struct Kept {
        std::vector<Sample> samples;
        std::size_t length = 0;
    };
    struct Entry {
        std::uint64_t key = 0;
        std::uint32_t sample = 0;
        std::uint32_t epoch = 0; // the Keep that wrote it, from 1; 0: empty
    };
    std::uint64_t Key(QPoint p, int d) const;
    bool Live(const Entry& e) const { return e.epoch != 0 && e.epoch + Walks > epoch_; }
    // The live entry of key, or nullptr.
    const Entry* Find(std::uint64_t key) const;
    bool byDirection_;
    std::size_t every_;
    Kept kept_[Walks]; // by epoch modulo Walks
    std::uint32_t epoch_ = 0;
    std::vector<Entry> table_;
};

} // namespace raster
