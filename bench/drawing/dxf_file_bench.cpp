// SPDX-License-Identifier: GPL-3.0-or-later
// Writing and reading a DXF file of 1 000 000 entities (lines, polylines, texts): our
// writer in bytes per second, our reader against ezdxf reading the same file, measured
// in the same run (ezdxf once per run, as it takes a minute or more; our reads as often
// as the repetitions ask). Counters: file_MB, ezdxf_s and ezdxf_over_ours (the speed-up).
#include "BenchDrawings.h"
#include "drawing/DxfFile.h"
#include "drawing/DxfReader.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t Entities = 1000000;

std::string BenchFile() {
    return (std::filesystem::temp_directory_path() /
            ("pw-bench-" + std::to_string(::getpid()) + ".dxf"))
        .string();
}

struct RemoveAtExit {
    ~RemoveAtExit() { std::filesystem::remove(BenchFile()); }
} removeAtExit;

void EnsureFile() {
    if (std::filesystem::exists(BenchFile())) return;
    auto dxf = bench::MakeCadDrawing(Entities);
    drawing::SaveDXF(BenchFile(), bench::SelectAll(*dxf));
}

// Seconds ezdxf takes to read the file; negative when ezdxf cannot be run.
double EzdxfSeconds() {
    static const double seconds = [] {
        const std::string command = "/usr/bin/python3 " + std::string(PENWRIGHT_BENCH_SOURCE_DIR) +
                                    "/ezdxf_read.py " + BenchFile();
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return -1.0;
        double s = -1;
        if (std::fscanf(pipe, "%lf", &s) != 1) s = -1;
        ::pclose(pipe);
        return s;
    }();
    return seconds;
}

void BM_WriteDXF(benchmark::State& state) {
    auto dxf = bench::MakeCadDrawing(Entities);
    const auto selection = bench::SelectAll(*dxf);
    const std::string file = BenchFile() + ".out";
    for (auto _ : state) drawing::SaveDXF(file, selection);
    const auto size = std::filesystem::file_size(file);
    state.SetBytesProcessed(std::int64_t(state.iterations() * size));
    state.counters["file_MB"] = double(size) / 1e6;
    std::filesystem::remove(file);
}
BENCHMARK(BM_WriteDXF)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_ReadDXF(benchmark::State& state) {
    EnsureFile();
    const double ezdxf = EzdxfSeconds();
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto dxf = std::make_unique<drawing::DXF_Object>("read");
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const drawing::DxfReadReport report = drawing::LoadDXF(BenchFile(), *dxf);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        if (report.Entities != Entities) state.SkipWithError("entities lost");
        dxf.reset();
        state.ResumeTiming();
    }
    const auto size = std::filesystem::file_size(BenchFile());
    state.SetBytesProcessed(std::int64_t(state.iterations() * size));
    state.counters["file_MB"] = double(size) / 1e6;
    state.counters["ezdxf_s"] = ezdxf;
    state.counters["ezdxf_over_ours"] = ezdxf > 0 ? ezdxf / seconds : 0;
}
BENCHMARK(BM_ReadDXF)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
