// SPDX-License-Identifier: GPL-3.0-or-later
// How closely whole-sheet centre lines follow strokes whose geometry is known: sheets of
// straight strokes, arcs, polylines, T and X junctions and rings (StrokeSheet.h) of each
// width from 1 to 5 pixels, drawn clean, as a scan (blur and noise) and as that scan saved
// as JPEG of quality 75, traced with the dark-line test (threshold from the sheet), centre
// lines and the tolerance given (default 1), and compared with the truth.
//
// usage: trace_accuracy [TOLERANCE [SIZE]]   (SIZE: the sheet's side, default 1920)
// Prints one row per width and look, then the totals per look, with the goals.

#include "StrokeSheet.h"
#include "platform/RasterFiles.h"
#include "raster/SheetTracer.h"

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Totals {
    double covered = 0, onTruth = 0, junctions = 0, perPiece = 0;
    int sheets = 0;
    void Add(const synthetic::TraceScore& s) {
        covered += s.truthCovered;
        onTruth += s.tracedOnTruth;
        junctions += s.junctionsFound;
        perPiece += s.linesPerPiece;
        ++sheets;
    }
};

} // namespace

int main(int argc, char** argv) {
    const int tolerance = argc > 1 ? std::atoi(argv[1]) : 1;
    const int size = argc > 2 ? std::atoi(argv[2]) : 1920;
    QTemporaryDir dir;
    const std::string jpeg = dir.filePath("sheet.jpg").toStdString();
    const char* looks[3] = {"clean", "scan", "scan JPEG q75"};
    Totals totals[3];
    std::printf("tolerance %d, sheets of %d × %d pixels\n", tolerance, size, size);
    std::printf("%-14s %5s %9s %9s %9s %9s %7s\n", "look", "width", "truth≤1.5", "trace≤1.5",
                "junctions", "lines/pc", "lines");
    for (int look = 0; look < 3; ++look)
        for (int width = 1; width <= 5; ++width) {
            const synthetic::StrokeSheet sheet =
                synthetic::MakeStrokeSheet(size, size, width, std::uint32_t(100 + width));
            platform::Bitmap24 raster = synthetic::RenderStrokeSheet(
                sheet, look == 0 ? synthetic::Look::Clean : synthetic::Look::Scan,
                std::uint32_t(7 + width));
            if (look == 2) {
                platform::SaveJpeg(jpeg, raster, 75);
                raster = platform::LoadJpeg(jpeg);
            }
            raster::SheetTraceSettings settings;
            settings.test.kind = raster::LineTest::Kind::DarkLines;
            settings.tolerance = tolerance;
            const raster::SheetTrace trace = raster::TraceSheet(raster, settings);
            const synthetic::TraceScore score =
                synthetic::ScoreTrace(sheet, synthetic::AsTruePolylines(trace.polylines));
            totals[look].Add(score);
            std::printf("%-14s %5d %8.2f%% %8.2f%% %8.1f%% %9.3f %7zu\n", looks[look], width,
                        100 * score.truthCovered, 100 * score.tracedOnTruth,
                        100 * score.junctionsFound, score.linesPerPiece, score.traced);
        }
    std::printf("\nall widths      truth≤1.5 trace≤1.5 junctions  lines/pc   goals\n");
    for (int look = 0; look < 3; ++look) {
        const Totals& t = totals[look];
        std::printf("%-14s %9.2f%% %8.2f%% %8.1f%% %9.3f   %s\n", looks[look],
                    100 * t.covered / t.sheets, 100 * t.onTruth / t.sheets,
                    100 * t.junctions / t.sheets, t.perPiece / t.sheets,
                    look == 0   ? "≥98% ≥98% ≥95% ≤1.2"
                    : look == 2 ? "≥95% ≥95% ≥95% ≤1.2"
                                : "");
    }
    return 0;
}
