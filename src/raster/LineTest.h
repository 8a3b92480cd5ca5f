// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Which pixels of the raster are line work: the three tests of the tracing, morphology and
// vectorization tools, and the plane of every pixel's answer for the work on whole sheets.
//
//  ColourRange  the 2 × 2 average of the pixel and its neighbours above and to the left is
//               within the range of the target colour (sum of absolute channel differences)
//  PureColour   the pixel's channel sum equals the target's
//  DarkLines    the pixel is darker than the threshold: Grey() < threshold, tested on the
//               pixel alone, so that a line one pixel wide passes whatever its colour
//
// As for the edge detection, only pixels of the inside area (2 ≤ x ≤ W − 2, 2 ≤ y ≤ H − 2)
// ever pass. The dark-line threshold is found from the sheet by Otsu's method: the grey
// level that splits the histogram into the two classes with the largest variance between
// them. Coordinates are raster pixels.

#include "platform/Bitmap24.h"
#include "platform/Colour.h"
#include "raster/LinePlane.h"

#include <QRect>
#include <cstdint>

namespace raster {

struct LineTest {
    enum class Kind : std::uint8_t { ColourRange, PureColour, DarkLines };
    Kind kind = Kind::ColourRange;
    platform::Colour target = 0; // colour range and pure colour
    int colourRange = 60;
    int threshold = 128; // dark lines: grey below it
};

// The grey of a pixel's bytes (blue, green, red) with their mark bits cleared: the luma of
// ITU-R BT.601 in 14-bit fixed point, as common image tools compute it.
constexpr int Grey(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return (1868 * (blue & 0xFE) + 9617 * (green & 0xFE) + 4899 * (red & 0xFE) + 8192) >> 14;
}

// The dark-line threshold of the area (clipped to the raster) by Otsu's method over its
// grey histogram: pixels whose grey is below the result are dark. A sheet without two
// clear classes (a blank or uniform one, where the split would run through the paper's
// noise) gives 128. Reads a regular sample of about four million pixels at most.
int DarkThreshold(const platform::Bitmap24& raster, QRect area);
// The same from a histogram of 256 grey levels.
int OtsuThreshold(const std::uint64_t (&histogram)[256]);

// The plane over area (clipped to the raster) of the pixels that pass the test. One pass
// over the area's bytes, split over the hardware threads. Empty when cancelled.
LinePlane LineWorkPlane(const platform::Bitmap24& raster, QRect area, const LineTest& test,
                        const Progress& progress = {});

} // namespace raster
