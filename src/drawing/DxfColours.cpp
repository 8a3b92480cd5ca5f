// SPDX-License-Identifier: GPL-3.0-or-later
//
// The ACI table: 1..9 named colours, 10..249 twenty-four hues in 15-degree steps with five
// brightness levels each, full and half saturated, 250..255 greys.

#include "drawing/DxfColours.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace drawing::dxf {

namespace {

using platform::Colour;
using platform::MakeColour;

std::array<Colour, 256> BuildTable() {
    std::array<Colour, 256> t{};
    const Colour named[10] = {
        MakeColour(0, 0, 0),       MakeColour(255, 0, 0),    MakeColour(255, 255, 0),
        MakeColour(0, 255, 0),     MakeColour(0, 255, 255),  MakeColour(0, 0, 255),
        MakeColour(255, 0, 255),   MakeColour(0, 0, 0), // 7: foreground, black on paper
        MakeColour(128, 128, 128), MakeColour(192, 192, 192)};
    for (int i = 0; i < 10; ++i) t[std::size_t(i)] = named[i];
    const double levels[5] = {255, 165, 127, 76, 38};
    for (int i = 10; i < 250; ++i) {
        const int hue = (i - 10) / 10, variant = (i - 10) % 10;
        // The fully saturated colour of the hue (value 1), channel by channel.
        const double h = hue * 15.0 / 60.0;
        const int sector = int(h);
        const double f = h - sector;
        double rgb[3] = {};
        switch (sector) {
        case 0:
            rgb[0] = 1, rgb[1] = f, rgb[2] = 0;
            break;
        case 1:
            rgb[0] = 1 - f, rgb[1] = 1, rgb[2] = 0;
            break;
        case 2:
            rgb[0] = 0, rgb[1] = 1, rgb[2] = f;
            break;
        case 3:
            rgb[0] = 0, rgb[1] = 1 - f, rgb[2] = 1;
            break;
        case 4:
            rgb[0] = f, rgb[1] = 0, rgb[2] = 1;
            break;
        default:
            rgb[0] = 1, rgb[1] = 0, rgb[2] = 1 - f;
            break;
        }
        const double level = levels[variant / 2];
        std::uint8_t c[3];
        for (int k = 0; k < 3; ++k) {
            const double v = variant % 2 ? (rgb[k] * 0.5 + 0.5) : rgb[k];
            c[k] = std::uint8_t(std::floor(v * level));
        }
        t[std::size_t(i)] = MakeColour(c[0], c[1], c[2]);
    }
    const std::uint8_t greys[6] = {51, 80, 105, 130, 190, 255};
    for (int i = 0; i < 6; ++i) t[std::size_t(250 + i)] = MakeColour(greys[i], greys[i], greys[i]);
    return t;
}

const std::array<Colour, 256>& Table() {
    static const std::array<Colour, 256> table = BuildTable();
    return table;
}

} // namespace

Colour AciColour(int index) {
    index = std::abs(index);
    if (index < 1 || index > 255) return 0;
    return Table()[std::size_t(index)];
}

int NearestAci(Colour colour) {
    if ((colour & 0xFFFFFF) == 0) return 7;
    int best = 1;
    long bestDistance = -1;
    for (int i = 1; i < 256; ++i) {
        if (i == 7) continue; // black, answered above
        const Colour c = Table()[std::size_t(i)];
        const long dr = long(platform::RedOf(c)) - platform::RedOf(colour);
        const long dg = long(platform::GreenOf(c)) - platform::GreenOf(colour);
        const long db = long(platform::BlueOf(c)) - platform::BlueOf(colour);
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
            if (d == 0) break;
        }
    }
    return best;
}

Colour FromTrueColour(std::int64_t rgb) {
    return MakeColour(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
}

std::int32_t ToTrueColour(Colour colour) {
    return std::int32_t((Colour(platform::RedOf(colour)) << 16) |
                        (Colour(platform::GreenOf(colour)) << 8) | platform::BlueOf(colour));
}

} // namespace drawing::dxf
