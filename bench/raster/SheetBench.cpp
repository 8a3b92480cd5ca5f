// SPDX-License-Identifier: GPL-3.0-or-later
// Whole sheets on an A0 scan at 300 dpi (10 000 × 14 000 pixels). The sheet is the
// realistic synthetic map of the shared benchmark data (buildings, hatching, roads, rivers,
// text, dust on tinted paper, as dense as real maps) read from a 24-bit BMP: the file
// named by PENWRIGHT_SHEET, else scan_140mp.bmp in ~/.cache/penwright/sheets/img or
// ../shared/bench/img. Without one, the sheet of known strokes (StrokeSheet.h, strokes 3
// pixels wide, drawn as a scan) is made in memory; it is much sparser, so potrace's time
// on it is not the one to compare with. The first line printed names the sheet used.
//
//   BM_WholeSheetCentreLines  test (dark lines, threshold from the sheet), regions and
//                             specks, thinning, centre lines, reduction: TraceSheet.
//                             Counters: polylines, and the peak memory the command adds
//                             to what the process held before, as a share of the raster's
//                             bytes (Linux: the peak resident set is reset before it)
//   BM_ThinSheet              thinning the sheet's line-work plane alone
//   BM_PotraceOutlines        potrace -b dxf on the same line work as a PBM file, which is
//                             written once (the time is potrace's whole run). Counter
//                             ours_per_potrace: the whole-sheet time above over potrace's,
//                             both measured in this run (the goal is at most 0.25);
//                             cpu_ours_per_potrace: the same for processor time (user +
//                             system, all threads), which depends less on the machine's load
//   BM_SkeletonizeScikit      scikit-image's skeletonize on the same line work, the time
//                             of the call alone as the Python process measures it. Counter
//                             times_ours: its time over BM_ThinSheet's (the goal: at least 5)
// The last two run the system's programs (potrace, /usr/bin/python3 with skimage); a
// missing one skips its benchmark with a message.

#include "StrokeSheet.h"
#include "platform/RasterFiles.h"
#include "raster/LineTest.h"
#include "raster/SheetTracer.h"
#include "raster/Thinning.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace {

constexpr int StrokeSheetWidth = 10000, StrokeSheetHeight = 14000;

std::string MapSheetFile() {
    // scripts/bench names the sheet by its path stem (STEM.bmp, STEM.jpg, STEM.pbm).
    if (const char* named = std::getenv("PENWRIGHT_SHEET")) {
        const std::string file = named;
        return file.ends_with(".bmp") ? file : file + ".bmp";
    }
    const char* home = std::getenv("HOME");
    for (const std::string& candidate :
         {std::string(home ? home : "") + "/.cache/penwright/sheets/img/scan_140mp.bmp",
          std::string("../shared/bench/img/scan_140mp.bmp")})
        if (std::ifstream(candidate).good()) return candidate;
    return {};
}

const platform::Bitmap24& Sheet() {
    static const platform::Bitmap24 sheet = [] {
        const std::string file = MapSheetFile();
        if (!file.empty()) {
            std::printf("sheet: %s\n", file.c_str());
            return platform::LoadBmp(file);
        }
        std::printf("sheet: known strokes, 3 px (no map sheet found; sparser than a map)\n");
        const synthetic::StrokeSheet strokes =
            synthetic::MakeStrokeSheet(StrokeSheetWidth, StrokeSheetHeight, 3, 42);
        return synthetic::RenderStrokeSheet(strokes, synthetic::Look::Scan, 7);
    }();
    return sheet;
}

QRect Whole() {
    return QRect(0, 0, Sheet().Width(), Sheet().Height());
}

raster::LineTest DarkTest() {
    raster::LineTest test;
    test.kind = raster::LineTest::Kind::DarkLines;
    test.threshold = raster::DarkThreshold(Sheet(), Whole());
    return test;
}

const raster::LinePlane& Plane() {
    static const raster::LinePlane plane = raster::LineWorkPlane(Sheet(), Whole(), DarkTest());
    return plane;
}

// The line work as a PBM file (1 = black), written once.
const std::string& PbmFile() {
    static QTemporaryDir dir;
    static const std::string name = [] {
        const std::string file = dir.filePath("sheet.pbm").toStdString();
        std::ofstream out(file, std::ios::binary);
        const int width = Sheet().Width(), height = Sheet().Height();
        out << "P4\n" << width << " " << height << "\n";
        const raster::LinePlane& plane = Plane();
        std::string row(std::size_t((width + 7) / 8), '\0');
        for (int y = 0; y < height; ++y) {
            std::fill(row.begin(), row.end(), '\0');
            plane.ForEachSetInRow(
                y, [&row](int x, int) { row[std::size_t(x / 8)] |= char(0x80 >> (x % 8)); });
            out.write(row.data(), std::streamsize(row.size()));
        }
        return file;
    }();
    return name;
}

// Kilobytes of the peak resident set; resets the peak first when reset is true.
long PeakKilobytes(bool reset) {
    if (reset) std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// Mean wall seconds of an iteration of the whole sheet and of thinning, and processor
// seconds of the whole sheet, for the ratios.
double wholeSheetSeconds = 0, thinSeconds = 0, wholeSheetCpu = 0;

// Processor seconds (user + system) of this process's threads or of its waited-for children.
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long CurrentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

void BM_WholeSheetCentreLines(benchmark::State& state) {
    const platform::Bitmap24& sheet = Sheet();
    raster::SheetTraceSettings settings;
    settings.test.kind = raster::LineTest::Kind::DarkLines;
    std::size_t polylines = 0;
    double extraShare = 0, seconds = 0, cpu = 0;
    for (auto _ : state) {
        const long before = CurrentKilobytes();
        PeakKilobytes(true);
        {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = CpuSeconds(RUSAGE_SELF);
            const raster::SheetTrace trace = raster::TraceSheet(sheet, settings);
            seconds += Seconds(start);
            cpu += CpuSeconds(RUSAGE_SELF) - cpuStart;
            polylines = trace.polylines.size();
            benchmark::DoNotOptimize(trace.polylines.data());
        }
        const double extra = double(PeakKilobytes(false) - before) * 1024;
        extraShare = std::max(extraShare, extra / double(sheet.BytesPerLine() * sheet.Height()));
    }
    wholeSheetSeconds = seconds / double(state.iterations());
    wholeSheetCpu = cpu / double(state.iterations());
    state.counters["cpu_s"] = wholeSheetCpu;
    state.counters["polylines"] = double(polylines);
    state.counters["peak_extra_per_raster"] = extraShare;
}
BENCHMARK(BM_WholeSheetCentreLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ThinSheet(benchmark::State& state) {
    const raster::LinePlane& plane = Plane();
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        raster::LinePlane copy = plane;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        raster::ThinPlane(copy);
        seconds += Seconds(start);
        benchmark::DoNotOptimize(copy.Row(0));
    }
    thinSeconds = seconds / double(state.iterations());
}
BENCHMARK(BM_ThinSheet)->Unit(benchmark::kMillisecond)->Iterations(3);

// Runs a command, returning its standard output; false when it failed.
bool Run(const std::string& command, std::string& output) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    return pclose(pipe) == 0;
}

void BM_PotraceOutlines(benchmark::State& state) {
    const std::string& pbm = PbmFile();
    std::string ignored;
    if (!Run("command -v potrace", ignored)) {
        state.SkipWithError("potrace is not installed");
        return;
    }
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds(RUSAGE_CHILDREN);
        std::string out;
        if (!Run("potrace -b dxf -o " + pbm + ".dxf " + pbm, out)) {
            state.SkipWithError("potrace failed");
            return;
        }
        const double potrace = Seconds(start), potraceCpu = CpuSeconds(RUSAGE_CHILDREN) - cpuStart;
        state.SetIterationTime(potrace);
        state.counters["cpu_s"] = potraceCpu;
        if (wholeSheetSeconds > 0) {
            state.counters["ours_per_potrace"] = wholeSheetSeconds / potrace;
            state.counters["cpu_ours_per_potrace"] = wholeSheetCpu / potraceCpu;
        }
    }
}
BENCHMARK(BM_PotraceOutlines)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_SkeletonizeScikit(benchmark::State& state) {
    const std::string& pbm = PbmFile();
    const std::string script =
        "import sys, time, numpy as np\n"
        "from skimage.morphology import skeletonize\n"
        "data = open(sys.argv[1], 'rb').read()\n"
        "head = data.split(b'\\n', 2)\n"
        "w, h = map(int, head[1].split())\n"
        "bits = np.unpackbits(np.frombuffer(head[2], np.uint8)).reshape(h, -1)[:, :w]\n"
        "image = bits.astype(bool)\n"
        "t = time.perf_counter()\n"
        "skeletonize(image)\n"
        "print(time.perf_counter() - t)\n";
    const std::string scriptFile = pbm + ".py";
    std::ofstream(scriptFile) << script;
    for (auto _ : state) {
        std::string out;
        if (!Run("/usr/bin/python3 " + scriptFile + " " + pbm, out)) {
            state.SkipWithError("/usr/bin/python3 with skimage failed (python3-skimage)");
            return;
        }
        const double skeletonize = std::atof(out.c_str());
        state.SetIterationTime(skeletonize);
        if (thinSeconds > 0) state.counters["times_ours"] = skeletonize / thinSeconds;
    }
}
BENCHMARK(BM_SkeletonizeScikit)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
