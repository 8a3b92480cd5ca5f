// SPDX-License-Identifier: GPL-3.0-or-later
// The print command's poster of 2 × 2 pages to a PDF file, for a drawing of 100 000
// mixed entities fitted into the window: the metafile of the visible vectors, then each
// page played from it onto the printer.
#include "BenchDrawings.h"
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "print/PrinterChoice.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

void BM_PosterPdf2x2(benchmark::State& state) {
    app::Tmainform form;
    form.resize(1600, 1000);
    form.show();
    auto drawing = bench::MakeMixedDrawing(std::size_t(state.range(0)));
    form.Drawing->TakeAll(*drawing);
    form.RefreshLayerLists(true);
    form.GISPanel1->SetExtent(0, 0, 0, 10000, 0, 14000); // the whole drawing in view
    const QTemporaryDir folder;
    const QString pdf = folder.filePath("poster.pdf");
    form.Printer().PrintToPdf(pdf);
    for (auto _ : state) form.PrintVectorPoster(2, 2);
    state.counters["pdf_MB"] = double(std::filesystem::file_size(pdf.toStdString())) / 1e6;
}
BENCHMARK(BM_PosterPdf2x2)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace
