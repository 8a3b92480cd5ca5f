// SPDX-License-Identifier: GPL-3.0-or-later
// What the user waits for in the program itself (the main window, offscreen, its map at
// 1600 × 1000), on the benchmark sheet (BenchSheet.h):
//  - opening the JPEG file until the first view is drawn (File → Open);
//  - recording every ink region through the map canvas (each detection followed by the
//    canvas's display update) and then "V", which makes a polyline of every outline, adds
//    it to the drawing, draws it and refreshes the lists and the map; range 0 = "Pure
//    color" and "Polyline", 1 = the defaults;
//  - "thin" on every recorded outline, the display following;
//  - the raster undo copy: choosing the pencil takes it, a stroke is drawn (untimed), and
//    the info bar's Undo restores it and redraws, at the whole sheet fitted and at 1 : 1,
//    the first time after opening and later ("warm").
// Regions are found as in TraceBench.cpp: one click a region.

#include "BenchSheet.h"
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "platform/QtCanvas.h"
#include "platform/RasterFiles.h"
#include "raster/Marks.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QToolButton>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <set>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

std::unique_ptr<app::Tmainform> NewWindow() {
    auto form = std::make_unique<app::Tmainform>();
    form->resize(1800, 1300);
    form->show();
    QApplication::processEvents();
    canvas::TGISPanel& map = form->Map();
    // The map's paint surface at 1600 × 1000, whatever the window's frame takes.
    form->resize(form->width() + 1600 - map.PaintBox()->width(),
                 form->height() + 1000 - map.PaintBox()->height());
    QApplication::processEvents();
    return form;
}

// The thresholded sheet, loaded as the open command loads a bitmap.
void LoadSheet(app::Tmainform& form) {
    canvas::TGISPanel& map = form.Map();
    map.AdoptRaster(bench_sheet::ThresholdedSheet());
    const platform::Bitmap24& r = map.Raster();
    map.Image.Visible = true;
    map.SetExtent(20, 20, 0, r.Width(), 0, r.Height());
    map.Redraw();
}

// One click a region, found on a copy of the sheet.
const std::vector<QPoint>& Clicks(bool colourRange) {
    static std::vector<QPoint> found[2];
    std::vector<QPoint>& clicks = found[colourRange];
    if (!clicks.empty()) return clicks;
    platform::Bitmap24 sheet = bench_sheet::ThresholdedSheet();
    raster::RasterWorkbench bench(&sheet);
    bench.UseColorRange = colourRange;
    bench.StrictDiagonals = colourRange ? 1 : 0;
    const int width = sheet.Width(), height = sheet.Height();
    const auto ink = [&](int x, int y) {
        if (colourRange) {
            bench.TargetColor = 0;
            return bench.MatchesTarget(x, y);
        }
        if (x < 2 || y < 2 || x > width - 2 || y > height - 2) return false;
        const std::uint8_t* p = sheet.ScanLine(y) + 3 * std::size_t(x);
        return ((p[0] | p[1] | p[2]) & 0xFE) == 0;
    };
    std::set<std::pair<int, int>> tried;
    for (int y = 2; y <= height - 2; ++y) {
        bool inRun = false;
        for (int x = 2; x <= width - 2; ++x) {
            const bool here = ink(x, y);
            if (here && !inRun) {
                int sx = x, sy = y;
                while (ink(sx, sy)) --sx, --sy;
                if (!bench.IsMarked(sx + 1, sy + 1, 0) &&
                    (!colourRange || tried.insert({sx + 1, sy + 1}).second)) {
                    clicks.emplace_back(x, y);
                    bench.ClearContour();
                    bench.TargetColor = sheet.Pixel(x, y);
                    bench.DetectEdge(x, y);
                }
            }
            inRun = here;
        }
    }
    return clicks;
}

void Settings(app::Tmainform& form, bool colourRange) {
    auto* pureColour = form.findChild<QCheckBox*>("vectbox");
    if (pureColour->isChecked() == colourRange) pureColour->click(); // "Pure color"
    form.findChild<QRadioButton*>(colourRange ? "RadioButton1" : "RadioButton2")
        ->click(); // Polygon / Polyline
}

void Record(app::Tmainform& form, bool colourRange) {
    canvas::TGISPanel& map = form.Map();
    for (const QPoint p : Clicks(colourRange)) {
        map.ClearContour();
        map.Workbench().TargetColor = map.Raster().Pixel(p.x(), p.y());
        map.DetectEdge(p.x(), p.y());
    }
}

void BM_OpenJpegToFirstView(benchmark::State& state) {
    const QString name = QString::fromStdString(bench_sheet::SheetFiles().jpg);
    for (auto _ : state) {
        state.PauseTiming();
        auto form = NewWindow();
        state.ResumeTiming();
        form->OpenFile(name, 2);
        QApplication::processEvents();
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}

void BM_RecordEveryRegionThenV(benchmark::State& state) {
    const bool colourRange = state.range(0) != 0;
    Clicks(colourRange);
    double record = 0, v = 0;
    std::size_t lists = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto form = NewWindow();
        LoadSheet(*form);
        Settings(*form, colourRange);
        form->findChild<QToolButton*>("SBs5")->click(); // "Detect edge"
        state.ResumeTiming();
        const auto t0 = Clock::now();
        Record(*form, colourRange);
        const auto t1 = Clock::now();
        form->findChild<QToolButton*>("SpeedButton13")->click(); // "V"
        QApplication::processEvents();
        const auto t2 = Clock::now();
        record = Seconds(t0, t1);
        v = Seconds(t1, t2);
        state.PauseTiming();
        lists = form->Map().ObjectCount();
        form.reset();
        state.ResumeTiming();
    }
    state.counters["clicks"] = double(Clicks(colourRange).size());
    state.counters["record_s"] = record;
    state.counters["v_s"] = v;
    (void)lists;
}

void BM_ThinEveryOutline(benchmark::State& state) {
    const bool colourRange = state.range(0) != 0;
    Clicks(colourRange);
    for (auto _ : state) {
        state.PauseTiming();
        auto form = NewWindow();
        LoadSheet(*form);
        Settings(*form, colourRange);
        form->findChild<QToolButton*>("SBs5")->click();
        Record(*form, colourRange);
        state.ResumeTiming();
        form->findChild<QToolButton*>("SB2of4")->click(); // "thin"
        QApplication::processEvents();
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}

// range 0: fitted, 1: 1 : 1. Both the first copy after opening and later ones.
void BM_RasterUndo(benchmark::State& state) {
    const bool fitted = state.range(0) == 0;
    auto form = NewWindow();
    LoadSheet(*form);
    canvas::TGISPanel& map = form->Map();
    if (!fitted) {
        const double cx = map.Raster().Width() / 2.0, cy = map.Raster().Height() / 2.0;
        map.ZoomToRect(cx - 800, cx + 800, cy - 500, cy + 500);
    }
    QToolButton* pencil = form->findChild<QToolButton*>("SB5of3");
    QToolButton* undo = form->findChild<QToolButton*>("SBs4");
    std::vector<double> saves, restores;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        pencil->click(); // the raster tool takes the undo copy
        const auto t1 = Clock::now();
        state.PauseTiming();
        // A stroke across the view and an erased box, as the raster tools draw them.
        const QRect r = map.SourceRect() & QRect(0, 0, map.Raster().Width(), map.Raster().Height());
        platform::Canvas& canvas = map.Raster().GetCanvas();
        canvas.SetPen({0x000000, 3, platform::PenStyle::Solid, platform::PenMode::Copy});
        canvas.MoveTo(r.left(), r.top());
        canvas.LineTo(r.right(), r.bottom());
        canvas.SetBrush({0xFEFEFE, platform::BrushStyle::Solid});
        canvas.FillRect(QRect(r.center() - QPoint(100, 100), QSize(200, 200)));
        map.Raster().EndPainting();
        map.RasterChanged(r);
        map.ShowRaster();
        state.ResumeTiming();
        const auto t2 = Clock::now();
        undo->click(); // restores the copy and redraws the view
        QApplication::processEvents();
        const auto t3 = Clock::now();
        saves.push_back(Seconds(t0, t1));
        restores.push_back(Seconds(t2, t3));
    }
    state.counters["first_save_ms"] = saves.front() * 1e3;
    state.counters["first_restore_ms"] = restores.front() * 1e3;
    std::sort(saves.begin() + 1, saves.end());
    std::sort(restores.begin() + 1, restores.end());
    state.counters["warm_save_ms"] = saves[1 + (saves.size() - 1) / 2] * 1e3;
    state.counters["warm_restore_ms"] = restores[1 + (restores.size() - 1) / 2] * 1e3;
}

} // namespace

BENCHMARK(BM_OpenJpegToFirstView)
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_RecordEveryRegionThenV)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ThinEveryOutline)
    ->Arg(1)
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_RasterUndo)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(7)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
