// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The raster's two mark planes as bit planes (BitPlane.h), for the length of one command:
// the outline plane (bit 0 of blue, plane 0) and the band plane (bit 0 of green, plane 1).
// The constructor copies the marks in; Store writes back every stretch of 64 pixels of a
// row in which a mark changed, found by comparing the planes with a copy of them as they
// came in (cheaper than noting every write: walks write millions of marks). Memory: four bits
// a pixel (70 MB for an A0 scan at 300 dpi, a sixth of the raster).

#include "platform/Bitmap24.h"
#include "raster/BitPlane.h"

#include <cstdint>
#include <memory>

namespace raster {

class MarkPlanes {
public:
    explicit MarkPlanes(const platform::Bitmap24& raster);
    void Store(platform::Bitmap24& raster) const;

    BitPlane& Plane(int plane) { return planes_[plane]; }
    const BitPlane& Plane(int plane) const { return planes_[plane]; }

private:
    // Calls visit(x0, x1) for every stretch [x0, x1) of 64 pixels of row y (x0 a multiple of
    // 64) in which either plane differs from its copy, from left to right.
    template <class Visit> void ForChangedStretches(int y, Visit&& visit) const;
    // Pixels x … x + 63 of row y of a plane's copy, as BitPlane::Bits64 reads the plane.
    std::uint64_t Before(int plane, int x, int y) const;

    BitPlane planes_[2];
    // The planes' rows as they came in; written whole (not cleared first).
    std::unique_ptr<std::uint8_t[]> before_[2];
};

} // namespace raster
