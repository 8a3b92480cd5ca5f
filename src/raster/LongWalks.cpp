// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/LongWalks.h"

#include "raster/EdgeFollower.h"

#include <algorithm>

namespace raster {

LongWalks::LongWalks(bool byDirection, std::size_t every)
    : byDirection_(byDirection), every_(std::max<std::size_t>(every, 1)),
      table_(std::size_t(1) << TableBits) {}

std::uint64_t LongWalks::Key(QPoint p, int d) const {
    return PackedPoint(p) << 4 | std::uint64_t(byDirection_ ? d : 0);
}

namespace {

std::size_t Slot(std::uint64_t key, std::size_t bits) {
    return std::size_t((key * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

} // namespace

const LongWalks::Entry* LongWalks::Find(std::uint64_t key) const {
    const std::size_t mask = table_.size() - 1;
    for (std::size_t k = 0, h = Slot(key, TableBits); k < Probes; ++k, h = (h + 1) & mask) {
        const Entry& e = table_[h];
        if (e.epoch == 0) return nullptr;
        if (e.key == key && Live(e)) return &e;
    }
    return nullptr;
}

void LongWalks::Keep(const QPoint* walk, std::size_t n) {
    ++epoch_;
    Kept& kept = kept_[epoch_ % Walks];
    kept.samples.clear();
    kept.length = n;
    const std::size_t mask = table_.size() - 1;
    for (std::size_t j = every_; j < n; j += every_) {
        const QPoint step = walk[j] - walk[j - 1];
        const int d = NextStart(MoveDirection[(step.y() + 1) * 3 + step.x() + 1]);
        const std::uint64_t key = Key(walk[j], d);
        // The first entry on the way that is empty, dead or this key's; else the last looked at.
        std::size_t h = Slot(key, TableBits);
        for (std::size_t k = 1; k < Probes; ++k, h = (h + 1) & mask)
            if (const Entry& e = table_[h]; !Live(e) || e.key == key) break;
        table_[h] = {key, std::uint32_t(kept.samples.size()), epoch_};
        kept.samples.push_back({walk[j], d});
    }
}

bool LongWalks::HalfWay(const PointVector& points, std::size_t rounds, QPoint& at, int& d) const {
    // A walk that runs along a kept one passes one of its samples every so many states: the
    // kept walk and the sample where points end, and where they began, if they began on it.
    const std::size_t n = points.size();
    const auto sampleAt = [&](std::size_t j) {
        const QPoint step = points[j] - points[j - 1];
        return Find(Key(points[j], NextStart(MoveDirection[(step.y() + 1) * 3 + step.x() + 1])));
    };
    const Entry* end = nullptr;
    for (std::size_t j = n - 1; j >= 1 && j + 2 * every_ >= n && end == nullptr; --j)
        end = sampleAt(j);
    if (end == nullptr) return false;
    const Kept& kept = kept_[end->epoch % Walks];
    const std::size_t m = kept.samples.size(), from = end->sample;
    std::size_t to = 0; // the kept walk's own start, unless points began further on
    for (std::size_t j = 1; j < std::min(n, 8 * every_); ++j)
        if (const Entry* begin = sampleAt(j); begin != nullptr && begin->epoch == end->epoch) {
            to = begin->sample;
            break;
        }
    // The samples still to come, less those the backward follower has passed.
    const std::size_t rest = (to + m - from) % m * every_;
    if (rest <= rounds + 2 * every_) return false;
    const Sample& half = kept.samples[(from + (rest - rounds) / 2 / every_) % m];
    at = half.at;
    d = half.d;
    return true;
}

} // namespace raster
