// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <cstdint>

namespace platform {

// Colours are 0x00BBGGRR throughout the model (red in the low byte);
// they become QColor only at the drawing surface.
using Colour = std::uint32_t;

constexpr std::uint8_t RedOf(Colour c) {
    return c & 0xFF;
}
constexpr std::uint8_t GreenOf(Colour c) {
    return (c >> 8) & 0xFF;
}
constexpr std::uint8_t BlueOf(Colour c) {
    return (c >> 16) & 0xFF;
}
constexpr Colour MakeColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Colour(r) | (Colour(g) << 8) | (Colour(b) << 16);
}

// The low bit of every colour byte belongs to the raster's mark planes,
// so colours taken for drawing have those bits cleared.
constexpr Colour WithoutMarkBits(Colour c) {
    return c & 0xFEFEFE;
}

inline QColor ToQColor(Colour c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
inline Colour FromQColor(const QColor& q) {
    return MakeColour(std::uint8_t(q.red()), std::uint8_t(q.green()), std::uint8_t(q.blue()));
}

} // namespace platform
