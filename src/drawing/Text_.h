// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/Point_.h"
#include "platform/Canvas.h"

namespace drawing {

// Texts of the model hold at most this many single-byte characters.
constexpr std::size_t MaxShortText = 255;

// A text; Pos is the insertion point on the base line.
class Text_ : public Point_ {
public:
    // Pen width 1, solid pen; text and font name are cut to MaxShortText characters.
    Text_(const Point3& axis, const Point3& pos, const std::string& text,
          const std::string& fontName, double height, double angle, std::uint8_t fontStyle,
          std::int32_t colorIndex, std::int32_t align);

    double Height = 0; // font cell height, in canvas pixels when drawn
    double Angle = 0;  // base line direction, tenths of a degree counter-clockwise
    std::string TextString;
    std::string FontName;
    std::uint8_t FontStyle = 0; // platform::FontStyleBit set
    std::int32_t Align = 0;     // at Pos: 0 left, 1 centre, 2 right
    platform::LogFont LogFont;  // the last rotated font built for drawing

    EntityKind Kind() const override { return EntityKind::Text; }
    void Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) override;
    void WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const override;
    bool IsFinite() const override;
    void Describe(std::vector<std::string>& lines) const override;
    bool MoveBy(double dx, double dy) override;
    // Scales only the height by sy; the insertion point stays.
    bool ScaleAbout(const Point3& centre, double sx, double sy) override;
    // Turns only the angle, by 1000 tenths of a degree per radian.
    bool RotateAbout(const Point3& centre, double angle) override;
};

} // namespace drawing
