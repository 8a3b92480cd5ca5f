// SPDX-License-Identifier: GPL-3.0-or-later
// View changes of the map canvas at 1600 × 1000 on an A0 line-art scan (10 000 × 14 000):
// everything a zoom, pan or reset does (new raster copy, surface refresh, owner's paint).

#include "SyntheticScan.h"
#include "canvas/TGISPanel.h"

#include <benchmark/benchmark.h>

namespace {

canvas::TGISPanel& Map() {
    static canvas::TGISPanel* panel = [] {
        auto* p = new canvas::TGISPanel;
        p->resize(1600, 1000);
        p->show();
        p->AdoptRaster(synthetic::MakeLineArtScan(10000, 14000, 42));
        p->SetExtent(20, 20, 0, 10000, 0, 14000);
        return p;
    }();
    return *panel;
}

// Zoom in by state.range(0) steps of "Zoom in" from the home view, then measure one more
// zoom in and out at that level.
void BM_ZoomAtLevel(benchmark::State& state) {
    canvas::TGISPanel& map = Map();
    map.ResetView();
    for (int i = 0; i < state.range(0); ++i) map.Zoom(0.7);
    bool in = true;
    for (auto _ : state) {
        map.Zoom(in ? 0.7 : 1 / 0.7);
        in = !in;
    }
    state.SetLabel(map.ScaleText());
}

void BM_ResetView(benchmark::State& state) {
    canvas::TGISPanel& map = Map();
    for (auto _ : state) map.ResetView();
}

void BM_PanStep(benchmark::State& state) {
    canvas::TGISPanel& map = Map();
    map.ResetView();
    for (int i = 0; i < 6; ++i) map.Zoom(0.7);
    double dx, dy;
    map.ScreenToWorld({0, 0}, dx, dy);
    for (auto _ : state) map.ZoomToRect(dx, dx + 1000, dy - 700, dy); // a pan-sized change
}

} // namespace

BENCHMARK(BM_ZoomAtLevel)->DenseRange(0, 14, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResetView)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PanStep)->Unit(benchmark::kMillisecond)->UseRealTime();
