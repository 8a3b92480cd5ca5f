// SPDX-License-Identifier: GPL-3.0-or-later
// Hover picking: selection_lists::FindNearest over 1 000 000 line segments.
#include "BenchDrawings.h"

#include <benchmark/benchmark.h>

namespace {

void BM_FindNearestLines(benchmark::State& state) {
    auto dxf = bench::MakeLineDrawing(1000000);
    const auto selection = bench::SelectAll(*dxf);
    drawing::DXF_Entity* entity = nullptr;
    drawing::Entity_List* list = nullptr;
    drawing::Point3 vertex;
    double x = 1234.5;
    for (auto _ : state) {
        selection.FindNearest({x, 7000.25, 0}, entity, list, vertex);
        benchmark::DoNotOptimize(entity);
        x += 0.5;
    }
}
BENCHMARK(BM_FindNearestLines)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
