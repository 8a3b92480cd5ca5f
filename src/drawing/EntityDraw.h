// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Canvas.h"

#include <cstdint>
#include <string>

namespace drawing {

// The logical font of a rotated text: escapement and orientation in tenths of a degree,
// sizes in pixels, style bits as Text_::FontStyle; the face name is cut to 31 characters.
platform::LogFont MakeLogFont(const std::string& name, std::int32_t escapement, std::int32_t width,
                              std::int32_t height, std::uint8_t style);

} // namespace drawing
