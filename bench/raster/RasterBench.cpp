// SPDX-License-Identifier: GPL-3.0-or-later
// Opening, mark clearing and view rendering on the benchmark sheet (BenchSheet.h: a
// realistic A0 map at 300 dpi, 10 000 × 14 000 pixels, 420 MB as 24 bits), each beside the
// baseline it is judged against: read() of the same file into a fresh buffer, one memcpy
// of the raster's bytes, and libjpeg-turbo's decode of the same JPEG on its own. The
// baselines' buffers are allocated as rasters are (Bitmap24, which asks for huge pages),
// so that both sides fault their memory in the same way. An open ends with the first view
// drawn: the whole sheet fitted into 1600 × 1000.

#include "BenchSheet.h"
#include "platform/RasterFiles.h"
#include "raster/MapView.h"
#include "raster/Marks.h"
#include "raster/RasterDisplay.h"
#include "raster/RasterOpening.h"

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

struct Files {
    std::string bmp, jpg;
};

const Files& Scan() {
    static const Files files{bench_sheet::SheetFiles().bmp, bench_sheet::SheetFiles().jpg};
    return files;
}

std::size_t FileSize(const std::string& name) {
    struct stat st {};
    ::stat(name.c_str(), &st);
    return std::size_t(st.st_size);
}

// A fresh buffer of at least `bytes`, allocated as a raster is.
platform::Bitmap24 Buffer(std::size_t bytes) {
    const int width = 10000;
    return platform::Bitmap24(width, int((bytes + 3 * width - 1) / (3 * width)));
}

// The first view after opening: the whole sheet fitted into a 1600 × 1000 window.
void DrawFirstView(const platform::Bitmap24& raster, const raster::RasterDisplay& display) {
    raster::ViewTransform view;
    view.SetSurfaceSize(1600, 1000);
    view.SetExtent(0, 0, 0, raster.Width(), 0, raster.Height());
    view.UpdateView();
    QImage target(1600, 1000, QImage::Format_RGB32);
    display.Render(raster, view.SourceRect(), target, 0xFF000000);
    benchmark::DoNotOptimize(target.constBits());
}

void BM_Baseline_ReadBmpIntoFreshBuffer(benchmark::State& state) {
    const std::string& name = Scan().bmp;
    const std::size_t size = FileSize(name);
    for (auto _ : state) {
        platform::Bitmap24 buffer = Buffer(size);
        auto* bytes = reinterpret_cast<char*>(buffer.ScanLine(0));
        const int fd = ::open(name.c_str(), O_RDONLY);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd, bytes + done, size - done);
            if (n <= 0) break;
            done += std::size_t(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * size));
}

// As the canvas opens a bitmap file: marks cleared and levels built behind the reader.
void BM_OpenBmp(benchmark::State& state) {
    for (auto _ : state) {
        const raster::OpenedRaster opened = raster::OpenBmp(Scan().bmp);
        DrawFirstView(opened.raster, opened.display);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * FileSize(Scan().bmp)));
}

void BM_Baseline_Memcpy(benchmark::State& state) {
    platform::Bitmap24 a = platform::LoadBmp(Scan().bmp);
    platform::Bitmap24 b(a.Width(), a.Height());
    std::memset(b.ScanLine(0), 1, b.SizeInBytes());
    for (auto _ : state) {
        std::memcpy(b.ScanLine(0), a.ScanLine(0), a.SizeInBytes());
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
        platform::Bitmap24 pixels(int(cinfo.output_width), int(cinfo.output_height));
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.ScanLine(int(cinfo.output_scanline));
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(f);
        benchmark::DoNotOptimize(pixels.ScanLine(0));
    }
}

// As the canvas opens a JPEG file: marks cleared and levels built behind the decoder.
void BM_OpenJpeg(benchmark::State& state) {
    for (auto _ : state) {
        const raster::OpenedRaster opened = raster::OpenJpeg(Scan().jpg);
        DrawFirstView(opened.raster, opened.display);
    }
}

// A view change at 1600 × 1000: the raster part shown, at state.range(0)/100 raster
// pixels a screen pixel (1400 is the whole sheet fitted).
void BM_RenderView(benchmark::State& state) {
    static platform::Bitmap24 raster = platform::LoadBmp(Scan().bmp);
    const int Width = raster.Width(), Height = raster.Height();
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
