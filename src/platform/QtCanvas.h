// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Canvas over a QPainter on any paint device (a QImage in practice). Antialiasing is
// off; pen modes map to raster operations (xor, not-xor, not). The painter is begun on
// the first drawing call and ended by End() or the destructor, so that the owner of the
// device may touch its pixels directly in between.

#include "platform/Canvas.h"

#include <QPainter>
#include <memory>

class QPaintDevice;

namespace platform {

class QtCanvas final : public Canvas {
public:
    explicit QtCanvas(QImage* image);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // Ends painting so the image can be read, written or resized directly.
    void End();
    // Points the canvas at another image (ends painting on the old one).
    void Retarget(QImage* image);

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
    QPainter& Painter(); // begun, with pen, brush and mode applied
    void ApplyPen(QPainter& p);
    void ApplyBrush(QPainter& p);

    QImage* image_;
    QPainter painter_;
};

} // namespace platform
