// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-sheet centre lines against sheets whose strokes are known: every width from 1 to
// 5 pixels, drawn clean, as a scan and as that scan saved as JPEG of quality 75, traced
// with the tolerance 1. A sheet this size holds five junctions, so one missed is 0.8 of a
// sheet: each sheet must find four, and every look 0.95 of its junctions over the widths.
#include "StrokeSheet.h"
#include "platform/RasterFiles.h"
#include "raster/SheetTracer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

enum class Look { Clean, Scan, Jpeg };

struct Goal {
    Look look;
    const char* name;
    double covered, onTruth, junctions, perPiece;
};

synthetic::TraceScore Trace(Look look, int width, const std::string& jpeg) {
    // 4 × 4 cells: every kind of figure at least twice.
    const synthetic::StrokeSheet sheet = synthetic::MakeStrokeSheet(640, 640, width, 100 + width);
    platform::Bitmap24 raster = synthetic::RenderStrokeSheet(
        sheet, look == Look::Clean ? synthetic::Look::Clean : synthetic::Look::Scan, 7 + width);
    if (look == Look::Jpeg) {
        platform::SaveJpeg(jpeg, raster, 75);
        raster = platform::LoadJpeg(jpeg);
    }
    raster::SheetTraceSettings settings;
    settings.test.kind = raster::LineTest::Kind::DarkLines;
    settings.tolerance = 1;
    const raster::SheetTrace trace = raster::TraceSheet(raster, settings);
    return synthetic::ScoreTrace(sheet, synthetic::AsTruePolylines(trace.polylines));
}

} // namespace

TEST(TraceAccuracy, CentreLinesFollowKnownStrokesAtEveryWidthAndLook) {
    QTemporaryDir dir;
    const std::string jpeg = dir.filePath("sheet.jpg").toStdString();
    const Goal goals[] = {
        {Look::Clean, "clean", 0.98, 0.98, 0.95, 1.2},
        {Look::Scan, "scan", 0.95, 0.95, 0.95, 1.2},
        {Look::Jpeg, "scan as JPEG q75", 0.95, 0.95, 0.95, 1.2},
    };
    for (const Goal& goal : goals) {
        double junctions = 0;
        for (int width = 1; width <= 5; ++width) {
            const synthetic::TraceScore s = Trace(goal.look, width, jpeg);
            SCOPED_TRACE(std::string(goal.name) + ", width " + std::to_string(width));
            EXPECT_GE(s.truthCovered, goal.covered);
            EXPECT_GE(s.tracedOnTruth, goal.onTruth);
            EXPECT_GE(s.junctionsFound, 0.8);
            EXPECT_LE(s.linesPerPiece, goal.perPiece);
            junctions += s.junctionsFound / 5;
        }
        EXPECT_GE(junctions, goal.junctions) << goal.name;
    }
}
