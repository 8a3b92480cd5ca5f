// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtCanvas.h"

#include "platform/PixelRaster.h"

#include <QByteArrayView>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QList>
#include <QString>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {

namespace {

// Point sizes become pixels at the classic screen resolution, whatever the device says,
// so that a drawing looks the same on every machine.
constexpr double ScreenDpi = 96.0;
// Larger text is no longer legible on any surface we draw on and only costs time.
constexpr int MaxFontPixels = 100000;

QPainter::CompositionMode CompositionFor(PenMode mode) {
    switch (mode) {
    case PenMode::Xor:
        return QPainter::RasterOp_SourceXorDestination;
    case PenMode::NotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    case PenMode::Not:
        return QPainter::RasterOp_NotDestination;
    case PenMode::Copy:
        break;
    }
    // Colours are opaque, so source-over is a plain copy; it also keeps the gaps of
    // hatch brushes transparent.
    return QPainter::CompositionMode_SourceOver;
}

bool Styled(PenStyle style) {
    return style == PenStyle::Dash || style == PenStyle::Dot || style == PenStyle::DashDot ||
           style == PenStyle::DashDotDot;
}

// Dash patterns of one-pixel styled pens, in pixels, as a classic display draws them.
const QList<qreal>& DashPattern(PenStyle style) {
    static const QList<qreal> dash{18, 6};
    static const QList<qreal> dot{3, 3};
    static const QList<qreal> dashDot{9, 6, 3, 6};
    static const QList<qreal> dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case PenStyle::Dash:
        return dash;
    case PenStyle::Dot:
        return dot;
    case PenStyle::DashDot:
        return dashDot;
    default:
        return dashDotDot;
    }
}

QPen MakePen(const Pen& pen) {
    if (pen.Style == PenStyle::Clear) return QPen(Qt::NoPen);
    const QBrush colour(ToQColor(pen.Color));
    if (pen.Width > 1) return QPen(colour, pen.Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    // A cosmetic one-pixel pen, for styled ellipses and arcs and for images PixelRaster
    // does not draw on. With a flat cap Qt leaves out the last pixel along the major
    // axis, which is the end pixel only for lines running right or down.
    QPen qpen(colour, 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (Styled(pen.Style)) qpen.setDashPattern(DashPattern(pen.Style));
    return qpen;
}

QBrush MakeBrush(const Brush& brush) {
    Qt::BrushStyle style = Qt::SolidPattern; // also for any unknown style
    switch (brush.Style) {
    case BrushStyle::Clear:
        style = Qt::NoBrush;
        break;
    case BrushStyle::Horizontal:
        style = Qt::HorPattern;
        break;
    case BrushStyle::Vertical:
        style = Qt::VerPattern;
        break;
    case BrushStyle::FDiagonal: // "\": top left to bottom right
        style = Qt::FDiagPattern;
        break;
    case BrushStyle::BDiagonal: // "/"
        style = Qt::BDiagPattern;
        break;
    case BrushStyle::Cross:
        style = Qt::CrossPattern;
        break;
    case BrushStyle::DiagCross:
        style = Qt::DiagCrossPattern;
        break;
    case BrushStyle::Solid:
        break;
    }
    return QBrush(ToQColor(brush.Color), style);
}

bool Direct(const QImage* image) {
    return image != nullptr && PixelRaster::Supports(*image);
}

PixelRaster::Stroke StrokeOf(const Pen& pen, const Brush& brush) {
    PixelRaster::Stroke stroke{{pen.Color, pen.Mode}, PixelRaster::PatternFor(pen.Style)};
    if (brush.Style == BrushStyle::Solid) { // opaque background, as with QPainter below
        stroke.opaqueGaps = true;
        stroke.gap = {brush.Color, pen.Mode};
    }
    return stroke;
}

PixelRaster::Fill FillOf(const Brush& brush, PenMode mode) {
    return {{brush.Color, mode}, brush.Style};
}

bool SameTypeface(const Font& a, const Font& b) {
    return a.Name == b.Name && a.Size == b.Size && a.Height == b.Height && a.Style == b.Style &&
           a.Width == b.Width;
}

// Average character width the way a logical font's width is measured: the lowercase
// letters and the space weighted by their frequency in English text (the weights of
// the original TrueType OS/2 table, in thousandths).
double AverageCharWidth(const QFontMetricsF& metrics) {
    static constexpr int weights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                        56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
    double sum = 166 * metrics.horizontalAdvance(QLatin1Char(' '));
    for (int i = 0; i < 26; ++i)
        sum += weights[i] * metrics.horizontalAdvance(QLatin1Char('a' + i));
    return sum / 1000.0;
}

// The shape inside x1..x2-1, y1..y2-1 in the form QPainter strokes: a one-pixel
// outline of QRect(x, y, w, h) covers w + 1 by h + 1 pixels. Invalid when empty.
QRect ShapeBox(int x1, int y1, int x2, int y2) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x2 - x1 < 1 || y2 - y1 < 1) return QRect();
    return QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
}

} // namespace

QtCanvas::QtCanvas(QImage* image)
    : image_(image), builtPen_(pen_), qpen_(MakePen(pen_)), builtBrush_(brush_),
      qbrush_(MakeBrush(brush_)), textPen_(QBrush(Qt::black), 0) {}

QtCanvas::QtCanvas(QPaintDevice* device) : QtCanvas(static_cast<QImage*>(nullptr)) {
    device_ = device;
}

QtCanvas::~QtCanvas() {
    End();
}

bool QtCanvas::Begin() {
    return Painter() != nullptr;
}

void QtCanvas::End() {
    if (painter_.isActive()) painter_.end();
}

void QtCanvas::Retarget(QImage* image) {
    End();
    image_ = image;
}

QPainter* QtCanvas::Painter() {
    if (!painter_.isActive()) {
        QPaintDevice* target = image_ ? static_cast<QPaintDevice*>(image_) : device_;
        if (target == nullptr || (image_ && image_->isNull()) || !painter_.begin(target))
            return nullptr;
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setRenderHint(QPainter::TextAntialiasing, false);
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
        heldPen_ = HeldPen::Unknown;
        brushInPainter_ = fontInPainter_ = false;
        modeInPainter_ = painter_.compositionMode();
    }
    ApplyBrush(painter_);
    SetMode(painter_, CompositionFor(pen_.Mode));
    return &painter_;
}

void QtCanvas::ApplyPen(QPainter& p) {
    // The mode is not part of the QPen; changing it alone keeps the pen.
    if (pen_.Color != builtPen_.Color || pen_.Width != builtPen_.Width ||
        pen_.Style != builtPen_.Style) {
        qpen_ = MakePen(pen_);
        heldPen_ = HeldPen::Unknown;
    }
    builtPen_ = pen_;
    if (heldPen_ != HeldPen::Shape) {
        p.setPen(qpen_);
        heldPen_ = HeldPen::Shape;
    }
}

void QtCanvas::ApplyBrush(QPainter& p) {
    if (brush_ != builtBrush_) {
        qbrush_ = MakeBrush(brush_);
        builtBrush_ = brush_;
        brushInPainter_ = false;
    }
    if (brushInPainter_) return;
    p.setBrush(qbrush_);
    // The background follows the brush, as on a classic device context.
    if (brush_.Style == BrushStyle::Solid) {
        p.setBackground(qbrush_);
        p.setBackgroundMode(Qt::OpaqueMode);
    } else {
        p.setBackgroundMode(Qt::TransparentMode);
    }
    brushInPainter_ = true;
}

void QtCanvas::SetMode(QPainter& p, QPainter::CompositionMode mode) {
    if (mode == modeInPainter_) return;
    p.setCompositionMode(mode);
    modeInPainter_ = mode;
}

void QtCanvas::BuildFont() {
    maskCache_.clear(); // masks belong to one font
    lineCache_.clear();
    glyphCache_.clear();
    rawFont_.reset();
    auto font = std::make_unique<QFont>(QString::fromStdString(font_.Name));
    font->setStyleStrategy(QFont::NoAntialias);
    font->setBold(font_.Style & FontBold);
    font->setItalic(font_.Style & FontItalic);
    font->setUnderline(font_.Style & FontUnderline);
    font->setStrikeOut(font_.Style & FontStrikeOut);
    if (font_.Height > 0) {
        // A positive height is the whole cell (ascent + descent); Qt sizes the em.
        const int cell = std::min(font_.Height, MaxFontPixels);
        font->setPixelSize(cell);
        const QFontMetricsF m(*font);
        const double natural = m.ascent() + m.descent();
        if (natural > 0)
            font->setPixelSize(std::max(1, int(std::lround(double(cell) * cell / natural))));
    } else if (font_.Height < 0) {
        font->setPixelSize(-std::max(font_.Height, -MaxFontPixels));
    } else {
        const double pixels = std::abs(font_.Size) * ScreenDpi / 72.0;
        font->setPixelSize(std::clamp(int(std::lround(pixels)), 1, MaxFontPixels));
    }
    if (font_.Width > 0) {
        const double natural = AverageCharWidth(QFontMetricsF(*font));
        if (natural > 0)
            font->setStretch(std::clamp(int(std::lround(100.0 * font_.Width / natural)), 1, 4000));
    }
    metrics_ = std::make_unique<QFontMetrics>(*font);
    qfont_ = std::move(font);
    builtFont_ = font_;
}

void QtCanvas::ApplyFont(QPainter& p) {
    if (!qfont_ || !SameTypeface(font_, builtFont_)) {
        BuildFont();
        fontInPainter_ = false;
    }
    if (!fontInPainter_) {
        p.setFont(*qfont_);
        fontInPainter_ = true;
    }
    // Text is drawn with a pen of the font colour.
    if (FromQColor(textPen_.color()) != (font_.Color & 0xFFFFFFu)) {
        textPen_.setColor(ToQColor(font_.Color));
        heldPen_ = HeldPen::Unknown;
    }
    if (heldPen_ != HeldPen::Text) {
        p.setPen(textPen_);
        heldPen_ = HeldPen::Text;
    }
}

// One-pixel pens and their fills go straight into the image (PixelRaster keeps the
// device's end-pixel and bounds rules and is several times faster than QPainter for the
// short figures of a drawing); wide pens, styled ellipses, text and images go through
// QPainter, as does every figure on an image format PixelRaster does not know.

void QtCanvas::TouchingLine(QPoint from, QPoint to) {
    if (!beforeWrite_) return;
    constexpr int piece = 64; // pixels of line a box
    const QPoint d = to - from;
    const qint64 length = std::max(std::abs(qint64(d.x())), std::abs(qint64(d.y())));
    if (length <= piece) {
        Touching(QRect(from, to));
        return;
    }
    const qint64 pieces = (length + piece - 1) / piece;
    QPoint a = from;
    for (qint64 i = 1; i <= pieces; ++i) {
        const QPoint b(int(from.x() + d.x() * i / pieces), int(from.y() + d.y() * i / pieces));
        Touching(QRect(a, b).normalized().adjusted(-1, -1, 1, 1));
        a = b;
    }
}

void QtCanvas::TouchingPoints(const QPoint* points, int count, bool closed, bool filled) {
    if (!beforeWrite_ || count <= 0) return;
    if (!filled) {
        for (int i = 1; i < count; ++i) TouchingLine(points[i - 1], points[i]);
        if (closed || count == 1) TouchingLine(points[count - 1], points[0]);
        return;
    }
    int left = points[0].x(), right = left, top = points[0].y(), bottom = top;
    for (int i = 1; i < count; ++i) {
        left = std::min(left, points[i].x()), right = std::max(right, points[i].x());
        top = std::min(top, points[i].y()), bottom = std::max(bottom, points[i].y());
    }
    Touching(QRect(QPoint(left, top), QPoint(right, bottom)));
}

void QtCanvas::TouchingEllipse(int x1, int y1, int x2, int y2, bool filled) {
    if (!beforeWrite_) return;
    const QRect box = QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized();
    if (filled || std::max(box.width(), box.height()) < 256) {
        Touching(box);
        return;
    }
    // The ring in chords of at most 32 pixels; a chord strays from the curve by less than
    // the 4 pixels each box is widened by.
    const double cx = box.x() + box.width() / 2.0, cy = box.y() + box.height() / 2.0;
    const double a = box.width() / 2.0, b = box.height() / 2.0;
    const int n = std::max(16, int(2 * std::numbers::pi * std::max(a, b) / 32) + 1);
    QPoint last(int(std::lround(cx + a)), int(std::lround(cy)));
    for (int i = 1; i <= n; ++i) {
        const double t = 2 * std::numbers::pi * i / n;
        const QPoint p(int(std::lround(cx + a * std::cos(t))),
                       int(std::lround(cy + b * std::sin(t))));
        Touching(QRect(last, p).normalized().adjusted(-4, -4, 4, 4));
        last = p;
    }
}

void QtCanvas::DrawLine(QPoint from, QPoint to) {
    if (pen_.Style == PenStyle::Clear) return;
    TouchingLine(from, to);
    if (pen_.Width <= 1 && Direct(image_)) {
        int phase = 0;
        PixelRaster(*image_).Line(from, to, StrokeOf(pen_, brush_), phase);
    } else if (QPainter* p = Painter()) {
        ApplyPen(*p);
        p->drawLine(from, to);
    }
}

void QtCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    const QPoint corners[4] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
    TouchingPoints(corners, 4, true, brush_.Style != BrushStyle::Clear);
    if ((pen_.Width <= 1 || pen_.Style == PenStyle::Clear) && Direct(image_)) {
        const PixelRaster::Stroke stroke = StrokeOf(pen_, brush_);
        PixelRaster(*image_).Rectangle(x1, y1, x2, y2,
                                       pen_.Style == PenStyle::Clear ? nullptr : &stroke,
                                       FillOf(brush_, pen_.Mode));
        return;
    }
    const QRect box = ShapeBox(x1, y1, x2, y2);
    if (!box.isValid()) return;
    QPainter* p = Painter();
    if (p == nullptr) return;
    ApplyPen(*p);
    if (box.width() == 0 && box.height() == 0)
        p->drawPoint(box.topLeft()); // Qt strokes nothing for an empty rectangle
    else
        p->drawRect(box);
}

void QtCanvas::FillRect(const QRect& r) {
    const QRect area = r.normalized();
    if (area.isEmpty()) return;
    Touching(area);
    if (Direct(image_)) {
        PixelRaster(*image_).FillRect(area, FillOf(brush_, PenMode::Copy));
        return;
    }
    QPainter* p = Painter();
    if (p == nullptr) return;
    SetMode(*p, QPainter::CompositionMode_SourceOver);
    p->fillRect(area, qbrush_);
}

void QtCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    TouchingEllipse(x1, y1, x2, y2, brush_.Style != BrushStyle::Clear);
    const bool clear = pen_.Style == PenStyle::Clear;
    if ((clear || (pen_.Width <= 1 && !Styled(pen_.Style))) && Direct(image_)) {
        const PixelRaster::Ink ink{pen_.Color, pen_.Mode};
        PixelRaster(*image_).Ellipse(x1, y1, x2, y2, clear ? nullptr : &ink,
                                     FillOf(brush_, pen_.Mode));
        return;
    }
    const QRect box = ShapeBox(x1, y1, x2, y2);
    if (!box.isValid()) return;
    if (QPainter* p = Painter()) {
        ApplyPen(*p);
        p->drawEllipse(box);
    }
}

void QtCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    if (pen_.Style == PenStyle::Clear) return;
    TouchingEllipse(x1, y1, x2, y2, false);
    if (pen_.Width <= 1 && !Styled(pen_.Style) && Direct(image_)) {
        PixelRaster(*image_).Arc(x1, y1, x2, y2, {x3, y3}, {x4, y4}, {pen_.Color, pen_.Mode});
        return;
    }
    const QRect box = ShapeBox(x1, y1, x2, y2);
    if (!box.isValid()) return;
    QPainter* p = Painter();
    if (p == nullptr) return;
    ApplyPen(*p);
    // Qt measures arc angles on the circle the ellipse is stretched from; the radial
    // through (x, y) meets the ellipse at the parametric angle atan2(dy / b, dx / a),
    // written here without the divisions so that a flat box cannot divide by zero.
    const double cx = box.x() + box.width() / 2.0;
    const double cy = box.y() + box.height() / 2.0;
    const double a = box.width() / 2.0;
    const double b = box.height() / 2.0;
    const auto angle = [&](int x, int y) {
        return std::atan2((cy - y) * a, (x - cx) * b) * 180.0 / std::numbers::pi;
    };
    const double start = angle(x3, y3);
    double span = angle(x4, y4) - start;
    if (span <= 0) span += 360.0; // equal radials draw the whole ellipse
    p->drawArc(box, int(std::lround(start * 16)), int(std::lround(span * 16)));
}

void QtCanvas::Polygon(const QPoint* points, int count) {
    if (count < 2) return;
    TouchingPoints(points, count, true, brush_.Style != BrushStyle::Clear);
    const bool clear = pen_.Style == PenStyle::Clear;
    if (!((clear || pen_.Width <= 1) && Direct(image_))) {
        if (QPainter* p = Painter()) {
            ApplyPen(*p);
            p->drawPolygon(points, count, Qt::OddEvenFill);
        }
        return;
    }
    if (brush_.Style != BrushStyle::Clear) {
        if (QPainter* p = Painter()) {
            if (heldPen_ != HeldPen::None) p->setPen(Qt::NoPen);
            heldPen_ = HeldPen::None;
            p->drawPolygon(points, count, Qt::OddEvenFill);
        }
    }
    if (!clear) PixelRaster(*image_).Polyline(points, count, true, StrokeOf(pen_, brush_));
}

void QtCanvas::Polyline(const QPoint* points, int count) {
    if (count < 2 || pen_.Style == PenStyle::Clear) return;
    TouchingPoints(points, count, false, false);
    if (pen_.Width <= 1 && Direct(image_))
        PixelRaster(*image_).Polyline(points, count, false, StrokeOf(pen_, brush_));
    else if (QPainter* p = Painter()) {
        ApplyPen(*p);
        p->drawPolyline(points, count);
    }
}

// Pixels are read and written in the image's memory, which the raster paint engine
// draws into directly, so the painter can stay active.
void QtCanvas::SetPixel(int x, int y, Colour c) {
    if (image_ == nullptr && device_ != nullptr) {
        if (QPainter* p = Painter()) p->fillRect(x, y, 1, 1, ToQColor(c));
        return;
    }
    if (image_ == nullptr || !image_->valid(x, y)) return;
    if (beforeWrite_) beforeWrite_(QRect(x, y, 1, 1));
    switch (image_->format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        reinterpret_cast<QRgb*>(image_->scanLine(y))[x] = qRgb(RedOf(c), GreenOf(c), BlueOf(c));
        break;
    case QImage::Format_BGR888: {
        std::uint8_t* pixel = image_->scanLine(y) + 3 * x;
        pixel[0] = BlueOf(c);
        pixel[1] = GreenOf(c);
        pixel[2] = RedOf(c);
        break;
    }
    default:
        image_->setPixelColor(x, y, ToQColor(c));
        break;
    }
}

Colour QtCanvas::Pixel(int x, int y) const {
    if (image_ == nullptr || !image_->valid(x, y)) return 0;
    switch (image_->format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32: {
        const QRgb v = reinterpret_cast<const QRgb*>(image_->constScanLine(y))[x];
        return MakeColour(qRed(v), qGreen(v), qBlue(v));
    }
    case QImage::Format_BGR888: {
        const std::uint8_t* pixel = image_->constScanLine(y) + 3 * x;
        return MakeColour(pixel[2], pixel[1], pixel[0]);
    }
    default:
        return FromQColor(image_->pixelColor(x, y));
    }
}

const QtCanvas::TextMask& QtCanvas::MaskOf(const QString& s) {
    if (maskCache_.size() >= TextCacheLimit) maskCache_.clear();
    auto it = maskCache_.find(s);
    if (it != maskCache_.end()) return *it;
    const QRect bounds = metrics_->boundingRect(s).adjusted(-2, -2, 2, 2);
    QImage mask(bounds.size(), QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(*qfont_);
        p.setPen(Qt::black);
        p.drawText(-bounds.topLeft(), s);
    }
    return *maskCache_.insert(s, InkRuns(mask, bounds.topLeft()));
}

// Horizontal runs of ink, so that a blit is a few short fills.
QtCanvas::TextMask QtCanvas::InkRuns(const QImage& mask, QPoint offset) {
    TextMask m;
    for (int r = 0; r < mask.height(); ++r) {
        const uchar* row = mask.constScanLine(r);
        for (int c = 0; c < mask.width();) {
            if (row[c] < 128) {
                ++c;
                continue;
            }
            const int start = c;
            while (c < mask.width() && row[c] >= 128) ++c;
            m.ink.push_back({std::int16_t(offset.x() + start), std::int16_t(offset.y() + r),
                             std::int16_t(c - start)});
        }
    }
    return m;
}

void QtCanvas::BlitMask(const TextMask& m, int x, int y, Colour c) {
    const int width = image_->width(), height = image_->height();
    const bool bgr = image_->format() == QImage::Format_BGR888;
    const QRgb rgb = qRgb(RedOf(c), GreenOf(c), BlueOf(c));
    uchar* const bits = image_->bits(); // one detach check a text, not one a run
    const qsizetype stride = image_->bytesPerLine();
    for (const TextMask::Run& run : m.ink) {
        const int row = y + run.y;
        if (row < 0 || row >= height) continue;
        const int from = std::max(0, x + run.x), to = std::min(width, x + run.x + run.length);
        if (from >= to) continue;
        uchar* line = bits + row * stride;
        if (bgr) {
            for (int col = from; col < to; ++col) {
                uchar* px = line + 3 * std::size_t(col);
                px[0] = BlueOf(c);
                px[1] = GreenOf(c);
                px[2] = RedOf(c);
            }
        } else {
            std::fill(reinterpret_cast<QRgb*>(line) + from, reinterpret_cast<QRgb*>(line) + to,
                      rgb);
        }
    }
}

const QtCanvas::GlyphLine& QtCanvas::GlyphLineOf(const QString& s) {
    if (lineCache_.size() >= TextCacheLimit) lineCache_.clear();
    auto it = lineCache_.find(s);
    if (it != lineCache_.end()) return *it;
    if (!rawFont_) rawFont_ = std::make_unique<QRawFont>(QRawFont::fromFont(*qfont_));
    GlyphLine line;
    const QList<quint32> glyphs = rawFont_->glyphIndexesForString(s);
    // One glyph a character, all present: otherwise shaping or font fallback is needed,
    // and the painter draws the text.
    line.usable =
        rawFont_->isValid() && glyphs.size() == s.size() &&
        std::none_of(glyphs.begin(), glyphs.end(), [](quint32 g) { return g == 0; }) &&
        std::none_of(s.begin(), s.end(), [](QChar c) { return c.isMark() || c.isSurrogate(); });
    if (line.usable) {
        const QList<QPointF> advances =
            rawFont_->advancesForGlyphIndexes(glyphs, QRawFont::KernedAdvances);
        qreal along = 0;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            line.glyphs.push_back(glyphs[i]);
            line.offsets.push_back(along);
            along += advances[i].x();
        }
    }
    return *lineCache_.insert(s, std::move(line));
}

const QtCanvas::TextMask& QtCanvas::TurnedGlyph(quint32 glyph, int escapement) {
    if (glyphCache_.size() >= TextCacheLimit) glyphCache_.clear();
    const quint64 key = quint64(glyph) << 32 | quint32(escapement);
    auto it = glyphCache_.find(key);
    if (it != glyphCache_.end()) return *it;
    // The glyph's origin in the middle of a square that holds it at any angle.
    const int half = 2 * qfont_->pixelSize() + 4;
    QImage mask(2 * half, 2 * half, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QGlyphRun run;
        run.setRawFont(*rawFont_);
        run.setGlyphIndexes({glyph});
        run.setPositions({QPointF(0, 0)});
        QPainter p(&mask);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setPen(Qt::black);
        p.translate(half, half);
        p.rotate(-escapement / 10.0); // counter-clockwise on a y-down device
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    return *glyphCache_.insert(key, InkRuns(mask, QPoint(-half, -half)));
}

// offset: from the reference point to the start of the base line, before turning. The
// glyphs are turned by the escapement within one turn, as the painter turns them.
bool QtCanvas::BlitTurnedText(int x, int y, QPointF offset, const QString& s) {
    // Decorations are drawn with the text; large glyphs would need large squares.
    if ((font_.Style & (FontUnderline | FontStrikeOut)) != 0 || qfont_->pixelSize() > 256)
        return false;
    const GlyphLine& line = GlyphLineOf(s);
    if (!line.usable) return false;
    // Within one turn before negating, so that no angle overflows.
    const int escapement = font_.Escapement % 3600;
    QTransform turn;
    turn.rotate(-escapement / 10.0);
    for (std::size_t i = 0; i < line.glyphs.size(); ++i) {
        const QPointF at = turn.map(offset + QPointF(line.offsets[i], 0));
        BlitMask(TurnedGlyph(line.glyphs[i], escapement), x + int(std::lround(at.x())),
                 y + int(std::lround(at.y())), font_.Color);
    }
    return true;
}

void QtCanvas::TextOut(int x, int y, const std::string& text) {
    if (text.empty()) return;
    QPainter* p = Painter();
    if (p == nullptr) return;
    ApplyFont(*p);
    const QByteArrayView bytes(text.data(), qsizetype(text.size()));
    const QString s = bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);

    // Offset from the reference point to the left end of the base line.
    int dx = 0;
    if ((textAlign_ & AlignCenter) == AlignCenter)
        dx = -metrics_->horizontalAdvance(s) / 2;
    else if ((textAlign_ & AlignCenter) == AlignRight)
        dx = -metrics_->horizontalAdvance(s);
    int dy = metrics_->ascent();
    if ((textAlign_ & AlignBaseline) == AlignBaseline)
        dy = 0;
    else if ((textAlign_ & AlignBaseline) == AlignBottom)
        dy = -metrics_->descent();
    if (beforeWrite_) {
        // Turned any way about the reference point, the text stays within this square.
        const QRect ink = metrics_->boundingRect(s);
        const int reach = std::abs(dx) + std::abs(dy) + ink.width() + ink.height() +
                          std::abs(ink.left()) + std::abs(ink.top()) + 4;
        beforeWrite_(QRect(x - reach, y - reach, 2 * reach + 1, 2 * reach + 1));
    }

    const bool blit = pen_.Mode == PenMode::Copy && brush_.Style != BrushStyle::Solid &&
                      Direct(image_) && image_->format() != QImage::Format_ARGB32;
    if (blit && font_.Escapement % 3600 == 0) {
        BlitMask(MaskOf(s), x + dx, y + dy, font_.Color);
        return;
    }
    if (blit && BlitTurnedText(x, y, QPointF(dx, dy), s)) return;
    if (font_.Escapement % 3600 == 0) {
        p->drawText(QPoint(x + dx, y + dy), s);
        return;
    }
    p->translate(x, y);
    // Counter-clockwise on a y-down device; the remainder first, so that no angle (not even
    // the most negative integer) overflows when negated.
    p->rotate(-(font_.Escapement % 3600) / 10.0);
    p->drawText(QPoint(dx, dy), s);
    p->resetTransform();
}

void QtCanvas::StretchDraw(const QRect& dest, const QImage& src, const QRect& srcRect) {
    if (src.isNull() || dest.isEmpty() || srcRect.isEmpty()) return;
    Touching(dest);
    QPainter* p = Painter();
    if (p == nullptr) return;
    SetMode(*p, QPainter::CompositionMode_Source);
    p->drawImage(dest, src, srcRect); // nearest neighbour: smooth transforms are off
}

} // namespace platform
