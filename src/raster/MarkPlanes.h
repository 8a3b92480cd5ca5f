// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The raster's two mark planes as bit planes (BitPlane.h), for the length of one command:
// the outline plane (bit 0 of blue, plane 0) and the band plane (bit 0 of green, plane 1).
// The constructor copies the marks in; Store writes back every stretch of 64 pixels of a
// row in which a mark changed. Memory: two bits a pixel (35 MB for an A0 scan at 300 dpi, a
// twelfth of the raster).

#include "platform/Bitmap24.h"
#include "raster/BitPlane.h"

namespace raster {

class MarkPlanes {
public:
    explicit MarkPlanes(const platform::Bitmap24& raster);
    void Store(platform::Bitmap24& raster) const;

    BitPlane& Plane(int plane) { return planes_[plane]; }
    const BitPlane& Plane(int plane) const { return planes_[plane]; }

private:
    BitPlane planes_[2];
};

} // namespace raster
