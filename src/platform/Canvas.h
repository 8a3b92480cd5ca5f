// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A drawing surface with the state model of a classic device context: a pen, a brush
// and a font that persist between calls, a current position for MoveTo/LineTo, text
// alignment flags, and raster pen modes (copy, xor, not-xor, not).
//
// Coordinates are device pixels (32-bit), y down. Shapes follow the classic
// conventions: Rectangle/Ellipse bounds exclude the right and bottom edge, LineTo does
// not paint its end pixel, Arc runs counter-clockwise (as seen on the device) from the
// radial through the start point to the radial through the end point. Pens wider than
// one pixel are drawn solid (unless clear) with round ends. A solid brush makes the
// background opaque in the brush colour: the gaps of styled pens and the cell behind
// text are filled with it; with any other brush they stay transparent, and hatches are
// drawn in the brush colour over what is there.
//
// Canvas keeps the state and hands drawing to a backend: QtCanvas paints onto a
// QImage; the metafile writer records the calls instead.

#include "platform/Colour.h"

#include <QPoint>
#include <QRect>
#include <array>
#include <cstdint>
#include <string>

class QImage;

namespace platform {

enum class PenStyle : std::uint8_t {
    Solid = 0,
    Dash = 1,
    Dot = 2,
    DashDot = 3,
    DashDotDot = 4,
    Clear = 5
};
enum class BrushStyle : std::uint8_t {
    Solid = 0,
    Clear = 1,
    Horizontal = 2,
    Vertical = 3,
    FDiagonal = 4,
    BDiagonal = 5,
    Cross = 6,
    DiagCross = 7
};
enum class PenMode : std::uint8_t { Copy, Xor, NotXor, Not };

// Font style bits as stored in drawings.
enum FontStyleBit : std::uint8_t {
    FontBold = 1,
    FontItalic = 2,
    FontUnderline = 4,
    FontStrikeOut = 8
};

// Text alignment flags of the device context (the classic TA_ values).
enum TextAlignFlag : unsigned {
    AlignLeft = 0,
    AlignRight = 2,
    AlignCenter = 6,
    AlignTop = 0,
    AlignBottom = 8,
    AlignBaseline = 24,
};

struct Pen {
    Colour Color = 0;
    int Width = 1;
    PenStyle Style = PenStyle::Solid;
    PenMode Mode = PenMode::Copy;
    bool operator==(const Pen&) const = default;
};

struct Brush {
    Colour Color = 0xFFFFFF;
    BrushStyle Style = BrushStyle::Solid;
    bool operator==(const Brush&) const = default;
};

// The 60-byte logical-font record, field by field.
struct LogFont {
    std::int32_t Height = 0;      // pixels: > 0 cell height, < 0 em height, 0 default
    std::int32_t Width = 0;       // average character width; 0 = natural
    std::int32_t Escapement = 0;  // tenths of a degree, counter-clockwise
    std::int32_t Orientation = 0; // tenths of a degree
    std::int32_t Weight = 0;      // 0 default, 400 normal, 700 bold
    std::uint8_t Italic = 0, Underline = 0, StrikeOut = 0, CharSet = 0;
    std::uint8_t OutPrecision = 0, ClipPrecision = 0, Quality = 0, PitchAndFamily = 0;
    std::array<char, 32> FaceName{}; // zero-terminated unless all 32 used
    bool operator==(const LogFont&) const = default;

    std::string Face() const;              // FaceName up to its zero, at most 31 characters
    void SetFace(const std::string& name); // cut to 31 characters and zero-filled
};

struct Font {
    std::string Name = "Times New Roman";
    int Size = 12;  // points; used when Height is 0
    int Height = 0; // pixels, as in a LogFont: > 0 cell height, < 0 em height; 0 = use Size
    Colour Color = 0;
    std::uint8_t Style = 0; // FontStyleBit set
    int Escapement = 0;     // tenths of a degree, from a LogFont
    int Width = 0;          // from a LogFont; 0 = natural
    bool operator==(const Font&) const = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    // State. Changing it costs nothing until the next drawing call.
    Pen& PenRef() { return pen_; }
    Brush& BrushRef() { return brush_; }
    Font& FontRef() { return font_; }
    const Pen& GetPen() const { return pen_; }
    const Brush& GetBrush() const { return brush_; }
    const Font& GetFont() const { return font_; }
    void SetPen(const Pen& p) { pen_ = p; }
    void SetBrush(const Brush& b) { brush_ = b; }
    void SetFont(const Font& f) { font_ = f; }
    // Replace the font by one created from a logical-font record.
    void SetLogFont(const LogFont& lf);
    unsigned TextAlign() const { return textAlign_; }
    void SetTextAlign(unsigned flags) { textAlign_ = flags; }
    QPoint PenPos() const { return penPos_; }

    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    void LineTo(int x, int y);

    virtual void Rectangle(int x1, int y1, int x2, int y2) = 0; // pen outline, brush fill
    // Brush only, no outline, over r.width() × r.height() pixels; ignores the pen mode.
    virtual void FillRect(const QRect& r) = 0;
    virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
    virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    virtual void Polygon(const QPoint* points, int count) = 0;
    virtual void Polyline(const QPoint* points, int count) = 0;
    virtual void SetPixel(int x, int y, Colour c) = 0; // ignores the pen mode
    virtual Colour Pixel(int x, int y) const = 0;      // 0 outside the surface
    // Text in the font colour at the reference point given by the alignment flags; the
    // bytes are read as UTF-8 when they form valid UTF-8, else as Latin-1.
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    // Copies srcRect of an image stretched onto dest (pen mode copy).
    virtual void StretchDraw(const QRect& dest, const QImage& src, const QRect& srcRect) = 0;

protected:
    virtual void DrawLine(QPoint from, QPoint to) = 0;

    Pen pen_;
    Brush brush_;
    Font font_;
    unsigned textAlign_ = AlignLeft | AlignTop;
    QPoint penPos_;
};

} // namespace platform
