// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One-pixel pens and brush fills drawn straight into the memory of a 32-bit (RGB32,
// ARGB32) or 24-bit (BGR888) image, by the rules of a classic display device, which
// QPainter's aliased stroker does not keep:
//  - a line covers the Bresenham pixels from its start towards its end, without the end
//    pixel, in every direction; polylines and outlines therefore paint each joint once
//    and a figure drawn twice in xor mode erases itself exactly;
//  - a rectangle or an ellipse with corners (x1, y1), (x2, y2) covers x1..x2-1 by
//    y1..y2-1 and touches all four sides; the outline and the fill share no pixel;
//  - raster modes combine the colour with each pixel byte by byte; the alpha byte of a
//    32-bit pixel is kept opaque.
// Coordinates are device pixels, y down; a point stands for the pixel it names, whose
// centre is (x + 0.5, y + 0.5). Everything is clipped to the image. Cost: the pixels
// painted plus the visible rows crossed, independent of how far a figure reaches off
// the image.

#include "platform/Canvas.h"

#include <QImage>
#include <cstdint>

namespace platform {

class PixelRaster {
public:
    struct Ink {
        Colour colour;
        PenMode mode;
    };
    // Pixel i of a styled line is ink when bit (i mod length) of mask is set.
    struct Pattern {
        std::uint32_t mask = 1;
        int length = 1;
    };
    struct Stroke {
        Ink ink;
        Pattern pattern;
        bool opaqueGaps = false; // gaps of the pattern are painted with gap
        Ink gap{};
    };
    struct Fill {
        Ink ink;
        BrushStyle style; // Clear fills nothing
    };

    static Pattern PatternFor(PenStyle style);
    static bool Supports(const QImage& image);
    explicit PixelRaster(QImage& image); // image must be supported

    // phase is the pattern position of the first pixel and comes back advanced by the
    // length of the line, so that a polyline continues its pattern across vertices.
    void Line(QPoint from, QPoint to, const Stroke& pen, int& phase);
    void Polyline(const QPoint* points, int count, bool closed, const Stroke& pen);
    // Without a pen the fill covers x1..x2-2 by y1..y2-2.
    void Rectangle(int x1, int y1, int x2, int y2, const Stroke* pen, const Fill& fill);
    void Ellipse(int x1, int y1, int x2, int y2, const Ink* pen, const Fill& fill);
    // The outline of Ellipse from the radial through start counter-clockwise to the radial
    // through end; equal radials give the whole outline.
    void Arc(int x1, int y1, int x2, int y2, QPoint start, QPoint end, Ink pen);
    // The pixels of r, r.left()..r.right() by r.top()..r.bottom().
    void FillRect(const QRect& r, const Fill& fill);

private:
    // Every raster mode as pixel := (pixel & keep) ^ flip, in the 32-bit layout 0xAARRGGBB.
    struct Op {
        std::uint32_t keep, flip;
    };
    static Op OpFor(Ink ink);
    void Plot(int x, int y, Op op);
    void Run(int y, std::int64_t x0, std::int64_t x1, Op op); // x0..x1 inclusive, clipped
    void FillRun(int y, std::int64_t x0, std::int64_t x1, const Fill& fill);

    std::uint8_t* bits_;
    qsizetype stride_;
    int width_;
    int height_;
    bool packed24_; // three bytes a pixel (B, G, R), else one 32-bit word
};

} // namespace platform
