// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and loading an RTV file of 1 000 000 mixed entities (half polylines of 8
// vertices); throughput in file bytes per second, and the heap a load takes against the
// entities' own size.
#include "BenchDrawings.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr std::size_t Entities = 1000000;

std::string BenchFile() {
    return (std::filesystem::temp_directory_path() /
            ("pw-bench-" + std::to_string(::getpid()) + ".rtv"))
        .string();
}

void BM_SaveRTV(benchmark::State& state) {
    auto dxf = bench::MakeMixedDrawing(Entities);
    const auto selection = bench::SelectAll(*dxf);
    const std::string file = BenchFile();
    for (auto _ : state) selection.SaveRTV(file);
    const auto size = std::filesystem::file_size(file);
    state.SetBytesProcessed(std::int64_t(state.iterations() * size));
    state.counters["file_MB"] = double(size) / 1e6;
    std::filesystem::remove(file);
}
BENCHMARK(BM_SaveRTV)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_LoadRTV(benchmark::State& state) {
    const std::string file = BenchFile();
    {
        auto dxf = bench::MakeMixedDrawing(Entities);
        bench::SelectAll(*dxf).SaveRTV(file);
    }
    const auto size = std::filesystem::file_size(file);
    double heapRatio = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto dxf = std::make_unique<drawing::DXF_Object>("loaded");
        const std::size_t heapBefore = bench::HeapInUse();
        state.ResumeTiming();
        drawing::selection_lists().LoadRTV(file, *dxf);
        state.PauseTiming();
        heapRatio = double(bench::HeapInUse() - heapBefore) / double(bench::EntityBytes(*dxf));
        dxf.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * size));
    state.counters["heap_over_entity_bytes"] = heapRatio;
    std::filesystem::remove(file);
}
BENCHMARK(BM_LoadRTV)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
