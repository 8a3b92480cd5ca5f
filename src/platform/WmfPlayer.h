// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Plays a Windows metafile (WMF): ours, and the common ones of other programs.
//
// The player checks the file (placeable and standard headers, every record's size
// against the bytes there), keeps the device context the records build (pens, brushes
// and fonts in the object table, text colour and alignment, background, mapping mode,
// window origin and extent, SaveDC/RestoreDC) and hands each drawing record to a sink
// as a picture element in frame coordinates.
//
// Frame coordinates are doubles, y down, with (0, 0) at the top left of the picture's
// frame: the placeable header's bounding box, else the window set before the first
// drawing record, else the bounds of everything drawn. One frame unit is one logical
// unit of that first window; later window changes of the anisotropic and isotropic
// mapping modes scale onto it, as playing into a rectangle does; the metric modes turn
// y upwards.
//
// Played: MoveTo/LineTo, Polyline, Polygon, PolyPolygon, Rectangle, RoundRect, Ellipse,
// Arc, Pie, Chord, TextOut, ExtTextOut, SetPixel, PatBlt, and the images of StretchDIB,
// DibStretchBlt and DibBitBlt. Clipping, regions, palettes and escapes are accepted and
// have no effect. Any other record is skipped and counted by its function number.
//
// The file is untrusted: a bad header, a record size that runs past the end or below the
// record's own parameters, a point or text count beyond its record — each stops with a
// FileError naming the file and the record's offset. Selecting an object that is not in
// the table changes nothing, as in GDI. Cost: one pass over the records per Play (one
// more when the frame has to be measured).

#include "platform/Canvas.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QImage;

namespace platform {

// The look of a picture element: pen and brush as recorded, widths in frame units.
struct WmfLook {
    Colour PenColour = 0;
    double PenWidth = 0; // 0: the thinnest the device has
    PenStyle Pen = PenStyle::Solid;
    Colour BrushColour = 0xFFFFFF;
    BrushStyle Brush = BrushStyle::Solid;
    Colour TextColour = 0;
    bool OpaqueBackground = true;
    Colour BackgroundColour = 0xFFFFFF;
    unsigned TextAlign = 0; // the TA_ flags: AlignLeft/Right/Center | AlignTop/Bottom/Baseline
    // The font: height in frame units (> 0 cell height, < 0 em height), escapement in
    // tenths of a degree counter-clockwise, FontStyleBit set, face name.
    double FontHeight = 0;
    int Escapement = 0;
    std::uint8_t FontStyle = 0;
    std::string FontFace;
    PenMode Mode = PenMode::Copy;
};

enum class WmfArcKind { Arc, Pie, Chord };

class WmfSink {
public:
    virtual ~WmfSink() = default;
    virtual void Line(QPointF from, QPointF to, const WmfLook& look) = 0;
    virtual void Polyline(std::span<const QPointF> points, const WmfLook& look) = 0;
    virtual void Polygon(std::span<const QPointF> points, const WmfLook& look) = 0;
    virtual void Ellipse(const QRectF& box, const WmfLook& look) = 0;
    // Of the ellipse in box, from the radial through start to the radial through end,
    // counter-clockwise as seen on the picture.
    virtual void Arc(const QRectF& box, QPointF start, QPointF end, WmfArcKind kind,
                     const WmfLook& look) = 0;
    // UTF-8 text at its reference point (look.TextAlign says which point that is).
    virtual void Text(QPointF at, const std::string& text, const WmfLook& look) = 0;
    virtual void Pixel(QPointF at, Colour colour) = 0;
    virtual void Image(const QRectF& destination, const QImage& image) = 0;
};

class WmfPlayer {
public:
    // Checks the bytes (which must outlive the player); throws FileError.
    WmfPlayer(std::string_view bytes, const std::string& fileName);

    // The frame's size in frame units (at least 1 × 1).
    QSizeF FrameSize() const { return frame_.size(); }

    struct Report {
        std::size_t Played = 0; // drawing records handed to the sink
        // Records not played, by name ("record 0x0419") and count, in the order first met.
        std::vector<std::pair<std::string, std::size_t>> Skipped;
    };
    Report Play(WmfSink& sink) const;

private:
    struct RecordView {
        std::size_t Offset; // of the record's size field
        std::uint16_t Function;
        std::string_view Params;
    };
    QRectF Measure() const;
    Report Run(WmfSink& sink, QPointF origin) const;

    std::string fileName_;
    std::vector<RecordView> records_;
    bool placeable_ = false;
    QRectF frame_; // in picture coordinates before the shift to (0, 0)
};

// Draws the elements onto a canvas, the frame stretched onto a rectangle of device
// pixels; elements wholly outside `visible` are left out (a poster page's paper).
class CanvasWmfSink final : public WmfSink {
public:
    CanvasWmfSink(Canvas& canvas, QSizeF frame, const QRectF& target, const QRectF& visible);

    void Line(QPointF from, QPointF to, const WmfLook& look) override;
    void Polyline(std::span<const QPointF> points, const WmfLook& look) override;
    void Polygon(std::span<const QPointF> points, const WmfLook& look) override;
    void Ellipse(const QRectF& box, const WmfLook& look) override;
    void Arc(const QRectF& box, QPointF start, QPointF end, WmfArcKind kind,
             const WmfLook& look) override;
    void Text(QPointF at, const std::string& text, const WmfLook& look) override;
    void Pixel(QPointF at, Colour colour) override;
    void Image(const QRectF& destination, const QImage& image) override;

private:
    QPoint Device(QPointF p) const;
    bool Visible(const QRectF& frameBox) const;
    void UsePen(const WmfLook& look);
    void UseBrush(const WmfLook& look);

    Canvas& canvas_;
    double sx_, sy_, dx_, dy_;
    QRectF visible_;
    std::vector<QPoint> scratch_;
};

// Points along the arc of an ellipse (frame coordinates, y down) from the radial through
// start to the radial through end, counter-clockwise as seen; both ends included.
std::vector<QPointF> WmfArcPoints(const QRectF& box, QPointF start, QPointF end);

} // namespace platform
