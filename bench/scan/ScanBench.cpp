// SPDX-License-Identifier: GPL-3.0-or-later
// Scanning an A4 page at 300 dpi in colour from SANE's test device (2480 × 3507 pixels,
// 26 MB), three ways in one run:
//   BM_ScanimageA4     SANE's own front end, scanimage, with the same options to /dev/null
//                      (a whole process: start, sane_init, open, scan, exit);
//   BM_SaneReadA4      SANE alone in this process: sane_start and sane_read to EOF into one
//                      reused buffer, the device already open;
//   BM_ScanToRasterA4  ours, from the Scan button of the source window to the image in the
//                      map canvas's raster: scan thread writing the DIB, the transfer, the
//                      teardown of the source, the DIB taken as the raster and adopted.
// BM_ScanToRasterA4 also runs scanimage once an iteration and reports the ratio, and the
// peak growth of resident memory during the transfer against the image's bytes.
#include "canvas/TGISPanel.h"
#include "scan/ImageTransfer.h"
#include "scan/TwainSession.h"
#include "scan/manager/DibBuilder.h"
#include "scan/manager/SaneDevice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Dpi = 300;
constexpr double WidthMm = 210, HeightMm = 297;

// SANE's configuration for this run: only the test device, with room for A4.
void ConfigureSane() {
    static QTemporaryDir folder;
    static bool done = false;
    if (done) return;
    done = true;
    QFile dll(folder.filePath("dll.conf"));
    dll.open(QIODevice::WriteOnly);
    dll.write("test\n");
    dll.close();
    QFile conf(folder.filePath("test.conf"));
    conf.open(QIODevice::WriteOnly);
    conf.write("number_of_devices 1\ngeometry_max 300.0\ntest-picture \"Color pattern\"\n");
    conf.close();
    qputenv("SANE_CONFIG_DIR", QFile::encodeName(folder.path()));
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
}

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

double RunScanimage() {
    const std::string resolution = std::to_string(Dpi), width = std::to_string(int(WidthMm)),
                      height = std::to_string(int(HeightMm));
    std::vector<std::string> args = {
        "scanimage", "-d",           "test:0",   "--mode", "Color", "--depth",
        "8",         "--resolution", resolution, "-l",     "0",     "-t",
        "0",         "-x",           width,      "-y",     height,  "--format=pnm"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "scanimage", &actions, nullptr, argv.data(), environ) != 0) return -1;
    // scanimage now and then hangs in the dynamic loader as it exits, after the scan: it is
    // given a minute, then ended and counted as failed, so that the run goes on.
    int status = 0;
    const auto deadline = start + std::chrono::seconds(60);
    pid_t ended = 0;
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (ended == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    const auto end = Clock::now();
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Seconds(start, end) : -1;
}

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return 0;
}

void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_ScanimageA4(benchmark::State& state) {
    ConfigureSane();
    for (auto _ : state) {
        const double s = RunScanimage();
        if (s < 0) state.SkipWithError("scanimage failed");
        state.SetIterationTime(s);
    }
}
BENCHMARK(BM_ScanimageA4)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SaneReadA4(benchmark::State& state) {
    ConfigureSane();
    sane_init(nullptr, nullptr);
    {
        std::string problem;
        auto device = twaindsm::SaneDevice::Open("test:0", problem);
        if (!device) {
            state.SkipWithError(problem.c_str());
            sane_exit();
            return;
        }
        device->Apply({twaindsm::ColourMode::Colour, Dpi, {0, 0, WidthMm, HeightMm}, false});
        std::vector<SANE_Byte> buffer(256 << 10);
        for (auto _ : state) {
            const auto start = Clock::now();
            std::size_t bytes = 0;
            if (sane_start(device->Handle()) == SANE_STATUS_GOOD) {
                SANE_Int length = 0;
                while (sane_read(device->Handle(), buffer.data(), SANE_Int(buffer.size()),
                                 &length) == SANE_STATUS_GOOD)
                    bytes += std::size_t(length);
            }
            sane_cancel(device->Handle());
            state.SetIterationTime(Seconds(start, Clock::now()));
            state.counters["MB"] = double(bytes) / 1e6;
        }
    }
    sane_exit();
}
BENCHMARK(BM_SaneReadA4)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ScanToRasterA4(benchmark::State& state) {
    ConfigureSane();
    canvas::TGISPanel panel;
    panel.resize(1200, 900);
    double ratioSum = 0, addedSum = 0, peakSum = 0, scanimageSum = 0;
    double acquireSum = 0, convertSum = 0, adoptSum = 0;
    int rounds = 0;
    for (auto _ : state) {
        Clock::time_point clicked{};
        long baselineKb = 0;
        // Answers the source window: A4 at 300 dpi in colour, then Scan.
        QTimer driver;
        driver.setInterval(5);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() != "SourceWindow" || !w->isVisible()) continue;
                auto* mode = w->findChild<QComboBox*>("ModeBox");
                mode->setCurrentIndex(mode->findText("Colour"));
                w->findChild<QComboBox*>("ResolutionBox")->setEditText(QString::number(Dpi));
                w->findChild<QDoubleSpinBox*>("AreaLeft")->setValue(0);
                w->findChild<QDoubleSpinBox*>("AreaTop")->setValue(0);
                w->findChild<QDoubleSpinBox*>("AreaWidth")->setValue(WidthMm);
                w->findChild<QDoubleSpinBox*>("AreaHeight")->setValue(HeightMm);
                driver.stop();
                baselineKb = StatusKb("VmRSS:");
                ResetPeakMemory();
                clicked = Clock::now();
                w->findChild<QAbstractButton*>("ScanButton")->click();
                return;
            }
        });
        driver.start();
        scan::ImageHandle image = scan::TWAIN_AcquireImages(0);
        if (!image) {
            state.SkipWithError("no image");
            return;
        }
        const auto acquired = Clock::now();
        platform::Bitmap24 raster = scan::TakeImage(image);
        const auto converted = Clock::now();
        const double imageBytes = double(raster.SizeInBytes());
        panel.AdoptRaster(std::move(raster));
        const auto done = Clock::now();
        acquireSum += Seconds(clicked, acquired);
        convertSum += Seconds(acquired, converted);
        adoptSum += Seconds(converted, done);
        const long peakKb = StatusKb("VmHWM:");
        const double ours = Seconds(clicked, done);
        state.SetIterationTime(ours);

        const double reference = RunScanimage();
        ratioSum += ours / reference;
        addedSum += (ours - reference) / reference;
        scanimageSum += reference;
        peakSum += double(peakKb - baselineKb) * 1024 / imageBytes;
        ++rounds;
    }
    state.counters["scanimage_ms"] = 1000 * scanimageSum / rounds;
    // Where our time goes: scan and transfer, reading the DIB into a raster, adopting it.
    state.counters["acquire_ms"] = 1000 * acquireSum / rounds;
    state.counters["read_dib_ms"] = 1000 * convertSum / rounds;
    state.counters["adopt_ms"] = 1000 * adoptSum / rounds;
    state.counters["vs_scanimage"] = ratioSum / rounds;
    state.counters["added_vs_scanimage"] = addedSum / rounds;
    state.counters["peak_mem_x_image"] = peakSum / rounds;
}
BENCHMARK(BM_ScanToRasterA4)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

namespace {

// The source manager's share: an A4 colour scan's bytes, as sane_read hands them over in
// 256 KB pieces, written into a fresh DIB block (page faults included).
void BM_BuildDibA4(benchmark::State& state) {
    const int width = 2480, height = 3507;
    std::vector<std::uint8_t> lines(std::size_t(width) * 3 * height);
    for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = std::uint8_t(i * 7);
    const SANE_Parameters frame{SANE_FRAME_RGB, SANE_TRUE, width * 3, width, height, 8};
    for (auto _ : state) {
        twaindsm::DibBuilder builder;
        std::string problem;
        builder.BeginFrame(frame, problem);
        for (std::size_t at = 0; at < lines.size(); at += 256 << 10)
            builder.Add(lines.data() + at, std::min<std::size_t>(256 << 10, lines.size() - at));
        builder.EndFrame();
        platform::GlobalFree(builder.Finish(Dpi, problem));
    }
}
BENCHMARK(BM_BuildDibA4)->Unit(benchmark::kMillisecond);

} // namespace
