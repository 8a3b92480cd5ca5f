// SPDX-License-Identifier: GPL-3.0-or-later
// Painting the vectors over the raster at 1600 × 1000: 100 000 mixed entities (half of them
// polylines of 8 vertices, texts included) spread over an A0 map, whole sheet in view and
// zoomed in; and the hover-tracking search over 1 000 000 line segments.

#include "BenchDrawings.h"
#include "canvas/TGISPanel.h"
#include "drawing/Entity_List.h"

#include <benchmark/benchmark.h>

namespace {

canvas::TGISPanel& Map() {
    static canvas::TGISPanel* panel = [] {
        auto* p = new canvas::TGISPanel;
        p->resize(1600, 1000);
        p->show();
        p->Raster().SetSize(2000, 2800, 0xFEFEFE); // the map extent is what matters here
        p->RasterChanged();
        p->SetExtent(20, 20, 0, 10000, 0, 14000);
        return p;
    }();
    return *panel;
}

void PaintAll(benchmark::State& state, int zoomSteps) {
    static std::unique_ptr<drawing::DXF_Object> drawing = bench::MakeMixedDrawing(100000);
    static drawing::selection_lists selection = bench::SelectAll(*drawing);
    canvas::TGISPanel& map = Map();
    map.ResetView();
    for (int i = 0; i < zoomSteps; ++i) map.Zoom(0.7);
    platform::QtCanvas& canvas = map.PaintBox()->Canvas();
    for (auto _ : state) {
        for (drawing::Entity_List* list : selection.Lists)
            list->Draw(canvas, nullptr, map.ScreenProjection());
        canvas.End();
        benchmark::DoNotOptimize(map.PaintBox()->Surface().constBits());
    }
}

void BM_Paint100kEntities_WholeSheet(benchmark::State& state) {
    PaintAll(state, 0);
}
void BM_Paint100kEntities_Zoomed(benchmark::State& state) {
    PaintAll(state, 4);
}

void BM_HoverTick1MSegments(benchmark::State& state) {
    static std::unique_ptr<drawing::DXF_Object> drawing = bench::MakeLineDrawing(1000000);
    static drawing::selection_lists selection = bench::SelectAll(*drawing);
    double x = 1234;
    for (auto _ : state) {
        drawing::DXF_Entity* entity = nullptr;
        drawing::Entity_List* list = nullptr;
        drawing::Point3 vertex;
        selection.FindNearest({x, 5678, 0}, entity, list, vertex);
        benchmark::DoNotOptimize(entity);
        x += 17;
    }
}

} // namespace

BENCHMARK(BM_Paint100kEntities_WholeSheet)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Paint100kEntities_Zoomed)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HoverTick1MSegments)->Unit(benchmark::kMillisecond)->UseRealTime();
