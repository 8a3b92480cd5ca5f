// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Canvas on a QImage. Figures drawn with one-pixel pens, and all fills but polygons, go
// straight into the image's memory on RGB32, ARGB32 and BGR888 images (PixelRaster);
// the rest goes through a QPainter with antialiasing off and the pen modes mapped to
// raster operations (xor, not-xor, not). The painter is begun on the first call that
// needs it and ended by End(), Retarget() or the destructor, so that the owner of the
// image may touch its pixels directly in between; Pixel() and SetPixel() work in either
// state. Pen, brush and font reach the painter only when they changed.

#include "platform/Canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

class QtCanvas final : public Canvas {
public:
    explicit QtCanvas(QImage* image);
    // Any other paint device (an SVG generator, a printer): everything goes through the
    // painter; pixels cannot be read (Pixel answers 0).
    explicit QtCanvas(QPaintDevice* device);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // Starts painting now; false when the surface cannot be painted (a printer that
    // cannot start its document).
    bool Begin();
    // Ends painting so the image can be read, written or resized directly.
    void End();
    // Points the canvas at another image (ends painting on the old one).
    void Retarget(QImage* image);
    // Called before each figure is drawn on the image with a rectangle of device pixels
    // that holds every pixel the figure may change.
    void SetBeforeWrite(std::function<void(const QRect&)> beforeWrite) {
        beforeWrite_ = std::move(beforeWrite);
    }

    void Rectangle(int x1, int y1, int x2, int y2) override;
    void FillRect(const QRect& r) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void Polygon(const QPoint* points, int count) override;
    void Polyline(const QPoint* points, int count) override;
    void SetPixel(int x, int y, Colour c) override;
    Colour Pixel(int x, int y) const override;
    void TextOut(int x, int y, const std::string& text) override;
    void StretchDraw(const QRect& dest, const QImage& src, const QRect& srcRect) override;

protected:
    void DrawLine(QPoint from, QPoint to) override;

private:
    QPainter* Painter(); // begun, with brush and mode applied; null without a surface
    void ApplyPen(QPainter& p);
    void ApplyBrush(QPainter& p);
    void SetMode(QPainter& p, QPainter::CompositionMode mode);
    void ApplyFont(QPainter& p);
    void BuildFont();
    // Report what a figure may change, widened by the pen, to the owner's hook: a box, the
    // strip along a line (in short boxes, so that a long diagonal does not report its whole
    // bounding box), the edges of an outline, an ellipse's ring.
    void Touching(QRect bounds) {
        if (!beforeWrite_) return;
        const int wide = (pen_.Width > 1 ? pen_.Width : 1) / 2 + 2;
        beforeWrite_(bounds.normalized().adjusted(-wide, -wide, wide, wide));
    }
    void TouchingLine(QPoint from, QPoint to);
    void TouchingPoints(const QPoint* points, int count, bool closed, bool filled);
    void TouchingEllipse(int x1, int y1, int x2, int y2, bool filled);

    QImage* image_;
    QPaintDevice* device_ = nullptr; // set when the target is not an image
    std::function<void(const QRect&)> beforeWrite_;
    QPainter painter_;

    // What the painter holds, so that unchanged state is never pushed again. The Qt
    // objects are built only when the matching record changes.
    enum class HeldPen : std::uint8_t { Unknown, Shape, None, Text };
    HeldPen heldPen_ = HeldPen::Unknown;
    Pen builtPen_;
    QPen qpen_;
    Brush builtBrush_;
    QBrush qbrush_;
    bool brushInPainter_ = false;
    QPainter::CompositionMode modeInPainter_ = QPainter::CompositionMode_SourceOver;
    Font builtFont_;
    std::unique_ptr<QFont> qfont_; // created on first text output
    std::unique_ptr<QFontMetrics> metrics_;
    // Plain texts in copy mode over a transparent background are blitted from a mask
    // rendered once per font and string: shaping and glyph drawing cost far more, and a
    // drawing repaints the same texts on every paint.
    struct TextMask {
        struct Run {
            std::int16_t x, y, length; // from the base-line start
        };
        std::vector<Run> ink;
    };
    // The horizontal runs of ink of a text drawn into mask; offset moves them from the
    // mask's pixels to the text's reference point.
    static TextMask InkRuns(const QImage& mask, QPoint offset);
    const TextMask& MaskOf(const QString& s);
    void BlitMask(const TextMask& m, int x, int y, Colour c);
    QHash<QString, TextMask> maskCache_;
    // Turned texts are blitted glyph by glyph: each glyph's ink is rendered once per font
    // and angle, and a string's glyphs with their kerned advances once per font and
    // string, so turning many texts renders only the few glyphs they use.
    struct GlyphLine {
        std::vector<quint32> glyphs;
        std::vector<qreal> offsets; // of each glyph's origin along the base line
        bool usable = false;        // every character has a glyph of this font
    };
    const GlyphLine& GlyphLineOf(const QString& s);
    const TextMask& TurnedGlyph(quint32 glyph, int escapement);
    bool BlitTurnedText(int x, int y, QPointF offset, const QString& s);
    QHash<QString, GlyphLine> lineCache_;
    QHash<quint64, TextMask> glyphCache_;
    std::unique_ptr<QRawFont> rawFont_;
    static constexpr qsizetype TextCacheLimit = 20000;
    bool fontInPainter_ = false;
    QPen textPen_;
};

} // namespace platform
