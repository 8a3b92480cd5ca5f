// SPDX-License-Identifier: GPL-3.0-or-later
// penwright-convert IN OUT: converts a drawing between RTV, DXF, WMF and SVG, by the
// files' extensions, without a window.

#include "convert/DrawingConverter.h"
#include "platform/FileError.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

namespace {

constexpr const char* Usage =
    "Usage: penwright-convert IN OUT\n"
    "Converts a drawing from the file IN into the file OUT; the extension of each file\n"
    "names its format.\n"
    "\n"
    "  IN    an RTV drawing (.rtv), a DXF file (.dxf, text or binary, R12 to current)\n"
    "        or a Windows metafile (.wmf); a file whose content shows another of these\n"
    "        formats is read as that format\n"
    "  OUT   .rtv, .dxf (R12, which every CAD program reads), .wmf or .svg\n"
    "\n"
    "OUT is replaced only when it has been written completely.\n"
    "Exit status: 0 done, 1 IN could not be read, 2 wrong arguments, 3 OUT could not be\n"
    "written.\n";

// Qt's own warnings (about the session a desktop would have) are no concern of a
// command-line conversion; serious messages still go to standard error.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "penwright-convert: %s\n", message.toLocal8Bit().constData());
}

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "penwright-convert: %s\n", message.c_str());
    return status;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
    }
    if (argc != 3) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const std::string in = argv[1], out = argv[2];
    const platform::FileFormat outFormat = platform::FormatOfExtension(out);
    if (outFormat != platform::FileFormat::Rtv && outFormat != platform::FileFormat::Dxf &&
        outFormat != platform::FileFormat::Metafile && outFormat != platform::FileFormat::Svg)
        return Fail(2, "\"" + out + "\": the output must end in .rtv, .dxf, .wmf or .svg");

    // Texts in SVG need fonts, which need an application; it never opens a window.
    std::unique_ptr<QGuiApplication> application;
    int qtArgc = 1;
    if (outFormat == platform::FileFormat::Svg) {
        qInstallMessageHandler(QuietQtMessages);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(qtArgc, argv);
    }

    drawing::DXF_Object drawing("Penwright");
    convert::ConversionReport report;
    try {
        const platform::FileFormat inFormat = convert::InputFormat(in);
        convert::ReadDrawing(in, inFormat, drawing, report);
    } catch (const platform::FileError& e) {
        return Fail(1, e.what());
    } catch (const std::invalid_argument& e) {
        return Fail(1, e.what());
    } catch (const std::bad_alloc&) {
        return Fail(1, "\"" + in + "\": not enough memory to read the file");
    } catch (const std::exception& e) {
        return Fail(1, "\"" + in + "\": " + e.what());
    }
    try {
        convert::WriteDrawing(out, outFormat, drawing, report);
    } catch (const std::exception& e) {
        return Fail(3, e.what());
    }
    std::printf("%s: %zu entities in %zu layers written to %s\n", in.c_str(), report.Entities,
                report.Layers, out.c_str());
    if (!report.Skipped.empty())
        std::printf("Not converted (no counterpart in a drawing): %s\n", report.Skipped.c_str());
    if (report.NotWritten > 0)
        std::printf("Left out: %zu entities with a coordinate that is not a number\n",
                    report.NotWritten);
    return 0;
}
