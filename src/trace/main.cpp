// SPDX-License-Identifier: GPL-3.0-or-later
// penwright-trace: scans traced into vector drawings on the command line, without a window
// (TraceOptions.h says how it is called).

#include "convert/DrawingConverter.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"
#include "raster/SheetTracer.h"
#include "raster/TracedDrawing.h"
#include "trace/TraceOptions.h"

#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "penwright-trace: %s\n", message.toLocal8Bit().constData());
}

void Complain(const std::string& message) {
    std::fprintf(stderr, "penwright-trace: %s\n", message.c_str());
}

// Progress of one scan on a terminal: a line that counts up in place.
raster::Progress TerminalProgress(const std::string& input, bool show) {
    if (!show) return {};
    return [input, last = -1](double done) mutable {
        const int percent = int(done * 100);
        if (percent != last) {
            last = percent;
            std::fprintf(stderr, "\r%s: %3d%%", input.c_str(), percent);
            std::fflush(stderr);
        }
        return true;
    };
}

// 0 traced, 1 unreadable, 3 not written.
int TraceOne(const trace::TraceOptions& options, const std::string& input) {
    platform::Bitmap24 scan;
    try {
        scan = platform::LoadRasterFile(input);
    } catch (const platform::FileError& e) {
        Complain(e.what());
        return 1;
    } catch (const std::bad_alloc&) {
        Complain("\"" + input + "\": not enough memory to read the scan");
        return 1;
    } catch (const std::exception& e) {
        Complain("\"" + input + "\": " + e.what());
        return 1;
    }
    const bool terminal = !options.quiet && isatty(STDERR_FILENO);
    const raster::SheetTrace traced =
        raster::TraceSheet(scan, options.settings, TerminalProgress(input, terminal));
    if (terminal) std::fputs("\r\033[K", stderr);

    drawing::DXF_Object drawing("Penwright");
    const raster::TracedAddition added = raster::AddTracedPolylines(
        drawing, options.layer, traced.polylines, double(scan.Height()), raster::PolylineLook{});
    const std::string output = trace::OutputFor(options, input);
    convert::ConversionReport report;
    try {
        convert::WriteDrawing(output, platform::FormatOfExtension(output), drawing, report);
    } catch (const std::exception& e) {
        Complain(e.what());
        return 3;
    }
    if (!options.quiet) {
        std::printf("%s: %zu polylines from %zu regions (%zu specks dropped", input.c_str(),
                    added.added.size(), traced.regions, traced.specks);
        if (options.settings.test.kind == raster::LineTest::Kind::DarkLines)
            std::printf(", threshold %d", traced.threshold);
        std::printf(") written to %s\n", output.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    trace::TraceOptions options;
    try {
        options = trace::ParseTraceOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& e) {
        Complain(e.what());
        std::fputs("Try \"penwright-trace --help\".\n", stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(trace::TraceUsage, stdout);
        return 0;
    }
    // SVG goes through Qt's painter, which wants an application; it never opens a window.
    qInstallMessageHandler(QuietQtMessages);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);

    int status = 0;
    for (const std::string& input : options.inputs) {
        const int one = TraceOne(options, input);
        if (one > status) status = one;
    }
    return status;
}
