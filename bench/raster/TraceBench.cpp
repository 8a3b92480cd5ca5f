// SPDX-License-Identifier: GPL-3.0-or-later
// Edge detection, vectorization, thinning, contraction and enlargement of every ink
// region of the benchmark sheet (BenchSheet.h: a realistic A0 map at 300 dpi, 10 000 ×
// 14 000 pixels, thresholded as the peer tools get it), and the raster undo copy at the
// whole sheet fitted into a 1600 × 1000 window and at 1 : 1. The clicks are found once by
// a scan of the sheet: the first matching pixel of each run whose start pixel (the end of
// the up-left diagonal walk) is not on an outline recorded already (nor, in colour range,
// whose small specks are never recorded, clicked before), which is one click per region
// as a user would make them.
//
// Arguments: 1 = the defaults (colour range 60, "Polygon": strict diagonals, which sees
// strokes wider than one pixel only), 0 = "Pure color" and "Polyline" (every 8-connected
// ink region, as a line-art user sets it). Counters: objects, outline points, and ns per
// outline point, overall and split by a least-squares line through every click's time
// into a part in proportion to the outline and a fixed part a click (mostly the first
// reads of a part of the sheet that is not in the cache).

#include "BenchSheet.h"
#include "platform/QtCanvas.h"
#include "raster/MapView.h"
#include "raster/Marks.h"
#include "raster/RasterDisplay.h"
#include "raster/RasterWorkbench.h"

#include <QImage>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace {

platform::Bitmap24& Sheet() {
    static platform::Bitmap24 sheet = [] {
        platform::Bitmap24 b = bench_sheet::ThresholdedSheet();
        raster::ClearMarks(b);
        return b;
    }();
    return sheet;
}

struct Session {
    std::vector<QPoint> clicks;
    int objects = 0;
};

void Configure(raster::RasterWorkbench& bench, bool colourRange) {
    bench.UseColorRange = colourRange;
    bench.ColorRange = 60;
    bench.StrictDiagonals = colourRange ? 1 : 0;
    bench.VectorTolerance = 3;
}

bool Click(raster::RasterWorkbench& bench, platform::Bitmap24& sheet, QPoint p) {
    bench.ClearContour();
    bench.TargetColor = sheet.Pixel(p.x(), p.y());
    return bench.DetectEdge(p.x(), p.y());
}

const Session& Clicks(bool colourRange) {
    static std::map<bool, Session> sessions;
    auto found = sessions.find(colourRange);
    if (found != sessions.end()) return found->second;
    platform::Bitmap24& sheet = Sheet();
    const int Width = sheet.Width(), Height = sheet.Height();
    raster::RasterWorkbench bench(&sheet);
    Configure(bench, colourRange);
    bench.TargetColor = 0; // ink
    // Ink as the user sees it: in pure colour the mark bits are ignored, or recorded
    // outlines (odd blue, so no longer matching) would make every region an onion of
    // nested clicks.
    const auto ink = [&](int x, int y) {
        if (colourRange) return bench.MatchesTarget(x, y);
        if (x < 2 || y < 2 || x > Width - 2 || y > Height - 2) return false;
        const std::uint8_t* p = sheet.ScanLine(y) + 3 * std::size_t(x);
        return ((p[0] | p[1] | p[2]) & 0xFE) == 0;
    };
    Session session;
    // In colour range a region too small to record (most are specks of 2 × 2 averages)
    // leaves no marks; a user clicks it once, not once a row.
    std::set<QPoint, bool (*)(QPoint, QPoint)> tried(
        [](QPoint a, QPoint b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
    for (int y = 2; y <= Height - 2; ++y) {
        bool inRun = false;
        for (int x = 2; x <= Width - 2; ++x) {
            bench.TargetColor = 0;
            const bool here = ink(x, y);
            if (here && !inRun) {
                int sx = x, sy = y;
                while (ink(sx, sy)) --sx, --sy;
                const QPoint start(sx + 1, sy + 1);
                if (!bench.IsMarked(start.x(), start.y(), 0) &&
                    (!colourRange || tried.insert(start).second)) {
                    session.clicks.emplace_back(x, y);
                    Click(bench, sheet, QPoint(x, y));
                }
            }
            inRun = here;
        }
    }
    session.objects = bench.ObjectCount();
    raster::ClearMarks(sheet);
    return sessions.emplace(colourRange, std::move(session)).first->second;
}

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// The cost of clicks as a fixed part and a part in proportion to the outline: the least
// squares line through (points, seconds) of every click.
struct CostLine {
    double sn = 0, st = 0, snn = 0, snt = 0, count = 0;
    void Add(double points, double seconds) {
        sn += points;
        st += seconds;
        snn += points * points;
        snt += points * seconds;
        count += 1;
    }
    double PerPoint() const { return (count * snt - sn * st) / (count * snn - sn * sn); }
    double PerClick() const { return (st - PerPoint() * sn) / count; }
};

// Records every region; returns the number of outline points followed.
std::size_t RecordAll(raster::RasterWorkbench& bench, const Session& session,
                      CostLine* cost = nullptr) {
    platform::Bitmap24& sheet = Sheet();
    std::size_t points = 0;
    for (QPoint p : session.clicks) {
        const auto t0 = Clock::now();
        Click(bench, sheet, p);
        if (cost) cost->Add(double(bench.ContourCount()), Seconds(t0, Clock::now()));
        points += bench.ContourCount();
    }
    return points;
}

// The "V" command: every object to vertices, then the records and marks are dropped.
std::size_t VectorizeAll(raster::RasterWorkbench& bench) {
    std::size_t vertices = 0;
    for (int i = 0; i < bench.ObjectCount(); ++i) {
        bench.VectorizeObject(i);
        vertices += bench.VectorCount();
    }
    bench.Forget();
    bench.ClearContour();
    bench.UndoObject();
    return vertices;
}

void BM_RecordEveryRegionThenV(benchmark::State& state) {
    const bool colourRange = state.range(0) != 0;
    const Session& session = Clicks(colourRange);
    platform::Bitmap24& sheet = Sheet();
    double detect = 0, vectorize = 0;
    std::size_t points = 0, vertices = 0;
    CostLine cost;
    for (auto _ : state) {
        raster::RasterWorkbench bench(&sheet);
        Configure(bench, colourRange);
        const auto t0 = Clock::now();
        cost = CostLine();
        points = RecordAll(bench, session, &cost);
        const auto t1 = Clock::now();
        vertices = VectorizeAll(bench);
        const auto t2 = Clock::now();
        detect = Seconds(t0, t1);
        vectorize = Seconds(t1, t2);
    }
    state.counters["clicks"] = double(session.clicks.size());
    state.counters["objects"] = session.objects;
    state.counters["outline_points"] = double(points);
    state.counters["vertices"] = double(vertices);
    state.counters["detect_s"] = detect;
    state.counters["detect_ns_per_point"] = detect * 1e9 / double(points);
    state.counters["slope_ns_per_point"] = cost.PerPoint() * 1e9;
    state.counters["fixed_ns_per_click"] = cost.PerClick() * 1e9;
    state.counters["v_s"] = vectorize;
}

// Records every region untimed, then times one morphology command over all of them.
// after(bench) runs untimed once the command is done.
template <class Command, class After = void (*)(raster::RasterWorkbench&)>
void Morphology(
    benchmark::State& state, Command command, After after = [](raster::RasterWorkbench&) {}) {
    const bool colourRange = state.range(0) != 0;
    const Session& session = Clicks(colourRange);
    platform::Bitmap24& sheet = Sheet();
    std::size_t points = 0;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        raster::ClearMarks(sheet);
        raster::RasterWorkbench bench(&sheet);
        Configure(bench, colourRange);
        points = RecordAll(bench, session);
        state.ResumeTiming();
        const auto t0 = Clock::now();
        command(bench);
        seconds = Seconds(t0, Clock::now());
        state.PauseTiming();
        after(bench);
        raster::ClearMarks(sheet);
        state.ResumeTiming();
    }
    state.counters["outline_points"] = double(points);
    state.counters["ns_per_point"] = seconds * 1e9 / double(points);
}

// Ticks of the outline animation at the whole sheet fitted to 1600 × 1000, as the window
// shows it after opening: the first finds the dashes, the others only draw them.
struct AntsTicks {
    double first = 0, warm = 0;
    void Measure(raster::RasterWorkbench& bench) {
        const int width = 1600, height = 1000;
        raster::ViewTransform view;
        view.SetSurfaceSize(width, height);
        view.SetExtent(0, 0, 0, bench.Raster()->Width(), 0, bench.Raster()->Height());
        QImage surface(width, height, QImage::Format_RGB32);
        platform::QtCanvas canvas(&surface);
        constexpr int warmTicks = 5;
        warm = 0;
        for (int tick = 0; tick <= warmTicks; ++tick) {
            const auto t0 = Clock::now();
            bench.AnimateOutlines(canvas, view, width, height);
            const double s = Seconds(t0, Clock::now());
            if (tick == 0)
                first = s;
            else
                warm += s / warmTicks;
        }
    }
};

void BM_ThinAll(benchmark::State& state) {
    raster::BandPeeler::Work work;
    raster::SplitWalker::Work traces;
    AntsTicks ants;
    Morphology(
        state,
        [&work, &traces](raster::RasterWorkbench& b) {
            b.StrictDiagonals = 0;
            b.ThinObjects();
            work = b.ThinningWork();
            traces = b.ThinningTraceWork();
        },
        [&ants](raster::RasterWorkbench& b) { ants.Measure(b); });
    state.counters["ants_first_ms"] = ants.first * 1e3;
    state.counters["ants_warm_ms"] = ants.warm * 1e3;
    state.counters["removed"] = double(work.removed);
    state.counters["passes"] = double(work.passes);
    state.counters["plain_passes"] = double(work.plainPasses);
    state.counters["followed"] = double(work.followed);
    state.counters["plain_followed"] = double(work.plainFollowed);
    state.counters["split_walks"] = double(work.splits);
    state.counters["split_redone"] = double(work.splitsRedone);
    state.counters["split_late"] = double(work.splitsLate);
    state.counters["split_missed"] = double(work.splitsMissed);
    state.counters["relabelled"] = double(work.relabelled);
    state.counters["trace_splits"] = double(traces.splits);
    state.counters["trace_missed"] = double(traces.missed);
}
// "V" after thinning with centre lines on, as the program makes them (every core).
void BM_ThinThenCentreLines(benchmark::State& state) {
    double v = 0;
    Morphology(
        state,
        [](raster::RasterWorkbench& b) {
            b.StrictDiagonals = 0;
            b.ThinObjects();
        },
        [&v](raster::RasterWorkbench& b) {
            const auto t0 = Clock::now();
            std::vector<raster::RasterWorkbench::ObjectVectors> out;
            b.VectorizeObjects(0, b.ObjectCount(), true, out);
            v = Seconds(t0, Clock::now());
        });
    state.counters["centre_lines_s"] = v;
}
BENCHMARK(BM_ThinThenCentreLines)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
void BM_ContractAll(benchmark::State& state) {
    Morphology(state, [](raster::RasterWorkbench& b) { b.ShiftOutlines(false); });
}
void BM_EnlargeAll(benchmark::State& state) {
    Morphology(state, [](raster::RasterWorkbench& b) { b.ShiftOutlines(true); });
}

// The raster undo copy as the map canvas uses it, at the whole sheet fitted into a window
// of 1600 × 1000 (range 0) and at 1 : 1 in the middle of the sheet (range 1): the copy is
// taken when a raster tool is chosen, the tool draws (a pencil stroke three pixels wide
// from corner to corner of the view and a 200 × 200 eraser box in its middle, untimed),
// and Undo puts the view back, the scaled display following the restored rectangles.
// "first" times a workbench's first copy, "warm" later ones.
QRect ViewOfTheSheet(bool fitted) {
    const platform::Bitmap24& sheet = Sheet();
    raster::ViewTransform view;
    view.SetSurfaceSize(1600, 1000);
    view.SetExtent(0, 0, 0, sheet.Width(), 0, sheet.Height());
    if (!fitted) {
        const double cx = sheet.Width() / 2.0, cy = sheet.Height() / 2.0;
        view.ZoomToRect(cx - 800, cx + 800, cy - 500, cy + 500);
    }
    view.UpdateView();
    return view.SourceRect();
}

void DrawWithATool(platform::Bitmap24& sheet, QRect view) {
    const QRect r = view & QRect(0, 0, sheet.Width(), sheet.Height());
    platform::Canvas& canvas = sheet.GetCanvas();
    canvas.SetPen({0x000000, 3, platform::PenStyle::Solid, platform::PenMode::Copy});
    canvas.MoveTo(r.left(), r.top());
    canvas.LineTo(r.right(), r.bottom());
    canvas.SetBrush({0xFEFEFE, platform::BrushStyle::Solid});
    canvas.FillRect(QRect(r.center() - QPoint(100, 100), QSize(200, 200)));
    sheet.EndPainting();
}

raster::RasterDisplay& Display() {
    static raster::RasterDisplay display = [] {
        raster::RasterDisplay d;
        d.Rebuild(Sheet());
        return d;
    }();
    return display;
}

void BM_UndoCopy(benchmark::State& state) {
    const bool fitted = state.range(0) == 0, first = state.range(1) == 0;
    platform::Bitmap24& sheet = Sheet();
    const QRect view = ViewOfTheSheet(fitted);
    raster::RasterDisplay& display = Display();
    std::vector<double> saves, restores;
    std::size_t copied = 0;
    auto kept = std::make_unique<raster::RasterWorkbench>(&sheet);
    for (auto _ : state) {
        if (first) kept = std::make_unique<raster::RasterWorkbench>(&sheet);
        raster::RasterWorkbench& bench = *kept;
        const auto t0 = Clock::now();
        bench.SaveRasterUndo(view);
        const auto t1 = Clock::now();
        state.PauseTiming();
        DrawWithATool(sheet, view);
        copied = bench.UndoBytes();
        state.ResumeTiming();
        const auto t2 = Clock::now();
        for (const QRect& r : bench.RestoreRasterUndo()) display.Update(sheet, r);
        const auto t3 = Clock::now();
        saves.push_back(Seconds(t0, t1));
        restores.push_back(Seconds(t2, t3));
    }
    std::sort(saves.begin(), saves.end());
    std::sort(restores.begin(), restores.end());
    state.counters["save_ms"] = saves[saves.size() / 2] * 1e3;
    state.counters["restore_ms"] = restores[restores.size() / 2] * 1e3;
    state.counters["copied_MB"] = double(copied) / 1e6;
}

} // namespace

// This machine's timings wander by a third from run to run; the best of the repetitions
// shows what the code costs when nothing else gets in the way.
double Best(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

BENCHMARK(BM_RecordEveryRegionThenV)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("best", Best)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ThinAll)
    ->Arg(1)
    ->Iterations(1)
    ->Repetitions(3)
    ->ComputeStatistics("best", Best)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ThinAll)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ContractAll)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EnlargeAll)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UndoCopy)
    ->ArgNames({"view", "use"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
