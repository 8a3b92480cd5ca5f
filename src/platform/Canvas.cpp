// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Canvas.h"

#include <algorithm>
#include <cstdlib>

namespace platform {

namespace {
// The face name field holds at most this many characters followed by a zero.
constexpr std::size_t MaxFaceLength = 31;
constexpr std::int32_t BoldWeight = 700;
} // namespace

std::string LogFont::Face() const {
    const auto last = FaceName.begin() + MaxFaceLength;
    return std::string(FaceName.begin(), std::find(FaceName.begin(), last, '\0'));
}

void LogFont::SetFace(const std::string& name) {
    FaceName.fill('\0');
    std::copy_n(name.begin(), std::min(name.size(), MaxFaceLength), FaceName.begin());
}

void Canvas::SetLogFont(const LogFont& lf) {
    // Colour and point size are not part of a logical font; they stay as they are.
    font_.Name = lf.Face();
    font_.Height = lf.Height;
    font_.Width = std::abs(lf.Width);
    font_.Escapement = lf.Escapement;
    std::uint8_t style = 0;
    if (lf.Weight >= BoldWeight) style |= FontBold;
    if (lf.Italic) style |= FontItalic;
    if (lf.Underline) style |= FontUnderline;
    if (lf.StrikeOut) style |= FontStrikeOut;
    font_.Style = style;
}

void Canvas::LineTo(int x, int y) {
    const QPoint to(x, y);
    DrawLine(penPos_, to);
    penPos_ = to;
}

} // namespace platform
