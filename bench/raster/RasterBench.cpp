// SPDX-License-Identifier: GPL-3.0-or-later
// Opening, mark clearing and view rendering on an A0 scan at 300 dpi (10 000 × 14 000
// pixels of line art, 420 MB as 24 bits), each beside the baseline it is judged against:
// read() of the same file into a fresh buffer, one memcpy of the raster's bytes, and
// libjpeg-turbo's decode of the same JPEG on its own.

#include "SyntheticScan.h"
#include "platform/RasterFiles.h"
#include "raster/Marks.h"
#include "raster/RasterDisplay.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <jpeglib.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Width = 10000, Height = 14000;

struct Files {
    std::string dir, bmp, jpg;
    Files() {
        char pattern[] = "/tmp/penwright-bench-XXXXXX";
        dir = ::mkdtemp(pattern);
        bmp = dir + "/a0.bmp";
        jpg = dir + "/a0.jpg";
        const platform::Bitmap24 scan = synthetic::MakeLineArtScan(Width, Height, 42);
        platform::SaveBmp(bmp, scan);
        platform::SaveJpeg(jpg, scan, 90);
    }
    ~Files() {
        std::remove(bmp.c_str());
        std::remove(jpg.c_str());
        ::rmdir(dir.c_str());
    }
};

const Files& Scan() {
    static Files files;
    return files;
}

std::size_t FileSize(const std::string& name) {
    struct stat st {};
    ::stat(name.c_str(), &st);
    return std::size_t(st.st_size);
}

long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// What the map canvas does on opening: read, clear the marks, build the scaled display.
platform::Bitmap24 OpenAsTheCanvasDoes(platform::Bitmap24 raster, raster::RasterDisplay& display) {
    raster::ClearMarks(raster);
    display.Rebuild(raster);
    return raster;
}

void BM_Baseline_ReadBmpIntoFreshBuffer(benchmark::State& state) {
    const std::string& name = Scan().bmp;
    const std::size_t size = FileSize(name);
    for (auto _ : state) {
        std::unique_ptr<char[]> buffer(new char[size]);
        const int fd = ::open(name.c_str(), O_RDONLY);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd, buffer.get() + done, size - done);
            if (n <= 0) break;
            done += std::size_t(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * size));
}

void BM_OpenBmp(benchmark::State& state) {
    raster::RasterDisplay display;
    for (auto _ : state) {
        platform::Bitmap24 raster = OpenAsTheCanvasDoes(platform::LoadBmp(Scan().bmp), display);
        benchmark::DoNotOptimize(raster.ScanLine(0));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * FileSize(Scan().bmp)));
}

void BM_Baseline_Memcpy(benchmark::State& state) {
    platform::Bitmap24 a = platform::LoadBmp(Scan().bmp);
    std::vector<std::uint8_t> b(a.SizeInBytes(), 1);
    for (auto _ : state) {
        std::memcpy(b.data(), a.ScanLine(0), a.SizeInBytes());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * a.SizeInBytes()));
}

void BM_ClearMarks(benchmark::State& state) {
    platform::Bitmap24 a = platform::LoadBmp(Scan().bmp);
    for (auto _ : state) {
        raster::ClearMarks(a);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * a.SizeInBytes()));
}

void BM_Baseline_JpegDecodeAlone(benchmark::State& state) {
    for (auto _ : state) {
        std::FILE* f = std::fopen(Scan().jpg.c_str(), "rb");
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr err{};
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, f);
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = 3 * std::size_t(cinfo.output_width);
        std::unique_ptr<unsigned char[]> pixels(new unsigned char[stride * cinfo.output_height]);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.get() + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(f);
        benchmark::DoNotOptimize(pixels.get());
    }
}

void BM_OpenJpeg(benchmark::State& state) {
    raster::RasterDisplay display;
    for (auto _ : state) {
        platform::Bitmap24 raster = OpenAsTheCanvasDoes(platform::LoadJpeg(Scan().jpg), display);
        benchmark::DoNotOptimize(raster.ScanLine(0));
    }
}

// Resident memory after opening, beyond the raster's own bytes, as a fraction of them.
void BM_PeakMemoryAfterOpen(benchmark::State& state) {
    const long before = ResidentKb();
    double overhead = 0;
    for (auto _ : state) {
        raster::RasterDisplay display;
        const platform::Bitmap24 raster =
            OpenAsTheCanvasDoes(platform::LoadBmp(Scan().bmp), display);
        const long after = ResidentKb();
        overhead = double(after - before) * 1024 / double(raster.SizeInBytes());
    }
    state.counters["resident_over_raster"] = overhead;
}

// A view change at 1600 × 1000: the raster part shown, at state.range(0)/100 raster
// pixels a screen pixel (1400 is the whole sheet fitted).
void BM_RenderView(benchmark::State& state) {
    static platform::Bitmap24 raster = platform::LoadBmp(Scan().bmp);
    static raster::RasterDisplay display = [] {
        raster::RasterDisplay d;
        d.Rebuild(raster);
        return d;
    }();
    const double per = state.range(0) / 100.0;
    QImage target(1600, 1000, QImage::Format_RGB32);
    const int w = int(1600 * per), h = int(1000 * per);
    const QRect source(Width / 2 - w / 2, Height / 2 - h / 2, w, h);
    for (auto _ : state) {
        display.Render(raster, source, target, 0xFF000000);
        benchmark::DoNotOptimize(target.constBits());
    }
}

} // namespace

BENCHMARK(BM_Baseline_ReadBmpIntoFreshBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenBmp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Baseline_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClearMarks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Baseline_JpegDecodeAlone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PeakMemoryAfterOpen)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_RenderView)
    ->Arg(1400)
    ->Arg(900)
    ->Arg(399)
    ->Arg(200)
    ->Arg(101)
    ->Arg(50)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
