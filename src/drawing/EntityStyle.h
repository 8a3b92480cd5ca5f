// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The attributes a drawing pass may put in place of the entities' own (see
// Entity_List::Draw), and the switch that chooses between them.

#include "platform/Colour.h"

#include <cstdint>
#include <string>

namespace drawing {

struct EntityStyle {
    platform::Colour PenColor = 0;
    std::int16_t PenWidth = 0; // pixels
    std::uint8_t PenStyle = 0;
    platform::Colour BrushColor = 0;
    std::uint8_t BrushStyle = 0;
    std::string FontName;
    std::int32_t FontSize = 0; // a text's height, whole pixels
    platform::Colour FontColor = 0;
    std::uint8_t FontStyle = 0; // bit 0 bold, 1 italic, 2 underline
    std::int32_t Angle = 0;     // tenths of a degree
    std::string Text;
    bool operator==(const EntityStyle&) const = default;
};

// What the property command applies to entities; starts all zero.
inline EntityStyle EditStyle;
// The uniform display look: black solid pen of width 1, white solid brush, black text.
inline EntityStyle DisplayStyle{.PenColor = 0,
                                .PenWidth = 1,
                                .PenStyle = 0,
                                .BrushColor = 0xFFFFFF,
                                .BrushStyle = 0,
                                .FontName = {},
                                .FontSize = 0,
                                .FontColor = 0,
                                .FontStyle = 0,
                                .Angle = 0,
                                .Text = {}};

// 0 or below: entities are drawn in their own attributes and vertex markers are off.
// 1: every drawn entity first receives EditStyle, for good.
// 2 and above: every drawn entity is drawn with DisplayStyle for that pass only.
// A caller that changes it for one paint restores the old value afterwards.
inline std::int32_t StyleOverride = 0;

} // namespace drawing
