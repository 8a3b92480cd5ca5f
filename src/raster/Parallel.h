// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Splits [0, count) into one contiguous band per hardware thread and runs
// work(begin, end) on each; returns when all are done. Small jobs run inline.
// ParallelChunks hands out [0, count) a chunk at a time instead, to whichever thread is
// free: for items whose costs differ widely.

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace raster {

template <class Work> void ParallelBands(int count, int minimumPerBand, Work&& work) {
    const int threads = int(std::max(1u, std::thread::hardware_concurrency()));
    const int bands = std::clamp(count / std::max(1, minimumPerBand), 1, threads);
    if (bands <= 1) {
        work(0, count);
        return;
    }
    std::vector<std::thread> helpers;
    helpers.reserve(std::size_t(bands - 1));
    for (int b = 1; b < bands; ++b)
        helpers.emplace_back([&, b] {
            work(int(std::int64_t(count) * b / bands), int(std::int64_t(count) * (b + 1) / bands));
        });
    work(0, int(std::int64_t(count) / bands));
    for (auto& t : helpers) t.join();
}

template <class Work> void ParallelChunks(int count, int chunk, Work&& work) {
    const int threads = int(std::max(1u, std::thread::hardware_concurrency()));
    chunk = std::max(1, chunk);
    const int helpersWanted = std::clamp(count / chunk, 1, threads) - 1;
    std::atomic<int> next{0};
    const auto run = [&] {
        for (int begin; (begin = next.fetch_add(chunk, std::memory_order_relaxed)) < count;)
            work(begin, std::min(count, begin + chunk));
    };
    std::vector<std::thread> helpers;
    helpers.reserve(std::size_t(helpersWanted));
    for (int t = 0; t < helpersWanted; ++t) helpers.emplace_back(run);
    run();
    for (auto& t : helpers) t.join();
}

} // namespace raster
