// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/OutlineAnts.h"

#include <array>

namespace raster {

namespace {

constexpr platform::Colour Black = 0, White = 0xFFFFFF;

// The colours of a tick's points as the tick counts them: a run counter starts at the phase;
// after each point it goes up, and at phase + 4, + 12 and + 20 the colour turns white, at
// + 8 and + 16 black, and at + 24 black with the counter back at 0. So the first 24 points
// are one round and every later round is phase + 24 points long. The table holds the first
// round and one later round of each phase.
struct DashTable {
    static constexpr int Phases = OutlineAnts::Phases;
    std::array<std::array<bool, 24 + 24 + Phases - 1>, Phases> white{};
    constexpr DashTable() {
        for (int phase = 0; phase < Phases; ++phase) {
            int run = phase;
            bool isWhite = false;
            for (int k = 0; k < 24 + 24 + phase; ++k) {
                white[std::size_t(phase)][std::size_t(k)] = isWhite;
                ++run;
                if (run == phase + 4 || run == phase + 12 || run == phase + 20) {
                    isWhite = true;
                } else if (run == phase + 8 || run == phase + 16) {
                    isWhite = false;
                } else if (run == phase + 24) {
                    isWhite = false;
                    run = 0;
                }
            }
        }
    }
};
constexpr DashTable Dashes{};

// The colour of the point drawn as number count (from 0) in a tick of the phase.
platform::Colour ColourOf(std::uint32_t count, int phase) {
    const std::uint32_t k = count < 24 ? count : 24 + (count - 24) % std::uint32_t(24 + phase);
    return Dashes.white[std::size_t(phase)][k] ? White : Black;
}

} // namespace

void OutlineAnts::Draw(platform::Canvas& surface, int phase) const {
    for (std::size_t i = 0; i < pixels_.size(); ++i)
        surface.SetPixel(pixels_[i].x(), pixels_[i].y(), ColourOf(last_[i], phase));
}

} // namespace raster
