// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/ColourPick.h"

namespace raster {

platform::Colour PickColor(const platform::Bitmap24& raster, int column, int row) {
    int red = 0, green = 0, blue = 0;
    for (long long y = row - 1LL; y <= row + 1LL; ++y)
        for (long long x = column - 1LL; x <= column + 1LL; ++x) {
            if (x < 0 || y < 0 || x >= raster.Width() || y >= raster.Height()) {
                red += 255;
                green += 255;
                blue += 255;
                continue;
            }
            const std::uint8_t* p = raster.ScanLine(int(y)) + 3 * std::size_t(x);
            blue += p[0];
            green += p[1];
            red += p[2];
        }
    return platform::WithoutMarkBits(platform::MakeColour(
        std::uint8_t(red / 9), std::uint8_t(green / 9), std::uint8_t(blue / 9)));
}

} // namespace raster
