// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sheet the benchmarks work on. scripts/bench sets PENWRIGHT_SHEET to the path stem of
// a realistic A0 map at 300 dpi (STEM.bmp, STEM.jpg and STEM.pbm: the 24-bit scan, the same
// as JPEG, and its thresholded bitmap, which the peer tools get). Without it, the
// synthetic line-art scan of tools/synthetic at A0 size stands in, written to a temporary
// folder; its content is far sparser than a map's, and Name() says so.

#include "platform/Bitmap24.h"

#include <string>

namespace bench_sheet {

struct Files {
    std::string bmp, jpg, pbm;
};

const Files& SheetFiles();
std::string Name();

// The thresholded sheet (the .pbm) as a 24-bit raster: ink 0, paper 246, so that pure
// colour and colour range both trace exactly the bitmap the peers trace.
platform::Bitmap24 ThresholdedSheet();

} // namespace bench_sheet
