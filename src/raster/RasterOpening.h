// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Opening a raster file as the map canvas shows it: the pixels with their mark bits
// cleared, and the display levels (RasterDisplay.h) built from them.
//
// Method: the decoder fills the rows from the top; a second thread follows it, clearing the
// marks and building the levels band by band behind it, after asking the system for the
// bitmap's memory ahead of it. When the last row is decoded little is left to do. The
// result is exactly that of decoding, then ClearMarks, then RasterDisplay::Rebuild.
// Cost: the decoding, on two processors; memory: the raster and its levels.

#include "platform/Bitmap24.h"
#include "raster/RasterDisplay.h"

#include <string>

namespace raster {

struct OpenedRaster {
    platform::Bitmap24 raster;
    RasterDisplay display;
};

// A JPEG file; throws platform::FileError as platform::LoadJpeg does.
OpenedRaster OpenJpeg(const std::string& fileName);
// A bitmap file (BMP); throws platform::FileError as platform::LoadBmp does. The reading
// of a 24-bit file is followed band by band as the decoding of a JPEG is.
OpenedRaster OpenBmp(const std::string& fileName);

} // namespace raster
