// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Text_.h"

namespace drawing {

Text_::Text_(const Point3& axis, const Point3& pos, const std::string& text,
             const std::string& fontName, double height, double angle, std::uint8_t fontStyle,
             std::int32_t colorIndex, std::int32_t align)
    : Point_(axis, pos, 1, 0, colorIndex), Height(height), Angle(angle),
      FontName(fontName.substr(0, MaxShortText)), FontStyle(fontStyle), Align(align) {
    if (!text.empty()) TextString = text.substr(0, MaxShortText);
}

void Text_::Describe(std::vector<std::string>& lines) const {
    Point_::Describe(lines);
    lines.push_back("Text \t" + TextString);
    lines.push_back("TextHeight = " + FormatReal(Height));
}

bool Text_::MoveBy(double dx, double dy) {
    return Point_::MoveBy(dx, dy);
}

bool Text_::ScaleAbout(const Point3&, double, double sy) {
    Height *= sy;
    return true;
}

bool Text_::RotateAbout(const Point3&, double angle) {
    Angle += 1000 * angle;
    return true;
}

} // namespace drawing
