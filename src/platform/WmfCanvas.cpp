// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WmfCanvas.h"

#include "platform/AtomicFile.h"

#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace platform {

namespace {

// Record function numbers.
enum Function : std::uint16_t {
    MetaEof = 0x0000,
    MetaSetBkMode = 0x0102,
    MetaSetRop2 = 0x0104,
    MetaSetTextAlign = 0x012E,
    MetaSelectObject = 0x012D,
    MetaDeleteObject = 0x01F0,
    MetaSetBkColor = 0x0201,
    MetaSetTextColor = 0x0209,
    MetaSetWindowOrg = 0x020B,
    MetaSetWindowExt = 0x020C,
    MetaLineTo = 0x0213,
    MetaMoveTo = 0x0214,
    MetaCreatePenIndirect = 0x02FA,
    MetaCreateFontIndirect = 0x02FB,
    MetaCreateBrushIndirect = 0x02FC,
    MetaPolygon = 0x0324,
    MetaPolyline = 0x0325,
    MetaEllipse = 0x0418,
    MetaRectangle = 0x041B,
    MetaSetPixel = 0x041F,
    MetaTextOut = 0x0521,
    MetaArc = 0x0817,
    MetaStretchDib = 0x0F43,
};

// Raster operations of the pen (binary ROP codes).
constexpr std::uint16_t R2Not = 6, R2XorPen = 7, R2NotXorPen = 10, R2CopyPen = 13;
constexpr std::uint16_t BkTransparent = 1, BkOpaque = 2;
constexpr std::uint16_t PsSolid = 0, PsNull = 5;
constexpr std::uint16_t BsSolid = 0, BsNull = 1, BsHatched = 2;
constexpr std::uint32_t SrcCopy = 0x00CC0020;
constexpr std::uint16_t DibRgbColors = 0;
constexpr std::uint16_t MetafileVersion = 0x0300;
constexpr std::uint16_t HeaderWords = 9;
constexpr std::size_t PlaceableBytes = 22;
constexpr int MaxPointsPerRecord = 32767;
constexpr int MaxPolygonPoints = 65535;
constexpr std::size_t MaxTextBytes = 32767;
constexpr std::size_t FaceBytes = 32;
constexpr double ScreenDpi = 96.0;
constexpr std::int16_t BoldWeight = 700, NormalWeight = 400;

std::int16_t Clamp16(long long v) {
    return std::int16_t(std::clamp<long long>(v, std::numeric_limits<std::int16_t>::min(),
                                              std::numeric_limits<std::int16_t>::max()));
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, std::uint16_t(v));
    Put16(out, std::uint16_t(v >> 16));
}

std::uint16_t Rop2Of(PenMode mode) {
    switch (mode) {
    case PenMode::Xor:
        return R2XorPen;
    case PenMode::NotXor:
        return R2NotXorPen;
    case PenMode::Not:
        return R2Not;
    case PenMode::Copy:
        break;
    }
    return R2CopyPen;
}

// Our strings are UTF-8 when they are valid UTF-8, else Latin-1; the metafile wants ANSI.
QByteArray ToAnsi(const std::string& text) {
    const QByteArrayView bytes(text.data(), qsizetype(text.size()));
    if (!bytes.isValidUtf8()) return bytes.toByteArray();
    return QString::fromUtf8(bytes).toLatin1();
}

} // namespace

// Collects one record's parameters; the size and function are prefixed on Append.
class WmfCanvas::RecordBuilder {
public:
    explicit RecordBuilder(std::uint16_t function) : function_(function) {}
    RecordBuilder& U16(std::uint16_t v) {
        Put16(params_, v);
        return *this;
    }
    RecordBuilder& I16(long long v) { return U16(std::uint16_t(Clamp16(v))); }
    RecordBuilder& U32(std::uint32_t v) {
        Put32(params_, v);
        return *this;
    }
    RecordBuilder& Bytes(const void* data, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        params_.insert(params_.end(), p, p + n);
        if (params_.size() % 2) params_.push_back(0);
        return *this;
    }
    std::uint16_t Function() const { return function_; }
    const std::vector<std::uint8_t>& Params() const { return params_; }

private:
    std::uint16_t function_;
    std::vector<std::uint8_t> params_;
};

WmfCanvas::WmfCanvas(int width, int height, int unitsPerInch)
    : width_(std::clamp(width, 1, 32767)), height_(std::clamp(height, 1, 32767)),
      unitsPerInch_(std::clamp(unitsPerInch, 1, 65535)) {
    Append(RecordBuilder(MetaSetWindowOrg).I16(0).I16(0));
    Append(RecordBuilder(MetaSetWindowExt).I16(height_).I16(width_));
}

void WmfCanvas::Append(const RecordBuilder& record) {
    const std::uint32_t words = 3 + std::uint32_t(record.Params().size() / 2);
    Put32(records_, words);
    Put16(records_, record.Function());
    records_.insert(records_.end(), record.Params().begin(), record.Params().end());
    maxRecordWords_ = std::max(maxRecordWords_, words);
}

int WmfCanvas::CreateObject(const RecordBuilder& create) {
    // A new object takes the lowest free entry of the table, as readers expect.
    const auto free = std::find(slots_.begin(), slots_.end(), false);
    const int slot = int(free - slots_.begin());
    if (free == slots_.end())
        slots_.push_back(true);
    else
        *free = true;
    objectCount_ = std::max<std::uint16_t>(objectCount_, std::uint16_t(slots_.size()));
    Append(create);
    Append(RecordBuilder(MetaSelectObject).U16(std::uint16_t(slot)));
    return slot;
}

void WmfCanvas::DeleteObject(int slot) {
    if (slot < 0) return;
    Append(RecordBuilder(MetaDeleteObject).U16(std::uint16_t(slot)));
    slots_[std::size_t(slot)] = false;
}

void WmfCanvas::UsePen(const PenRecord& pen) {
    if (dcPen_ == pen) return;
    const int old = penSlot_;
    penSlot_ = CreateObject(RecordBuilder(MetaCreatePenIndirect)
                                .U16(pen.Style)
                                .I16(pen.Width)
                                .I16(0)
                                .U32(pen.Color & 0xFFFFFF));
    DeleteObject(old); // no longer selected, so it may go
    dcPen_ = pen;
}

void WmfCanvas::UseCurrentPen() {
    PenRecord rec;
    rec.Color = pen_.Color;
    rec.Width = Clamp16(std::max(pen_.Width, 1));
    // Wide pens are drawn solid on the screen canvas; say so here as well.
    rec.Style = pen_.Style == PenStyle::Clear ? PsNull
                : rec.Width > 1               ? PsSolid
                                              : std::uint16_t(pen_.Style);
    UsePen(rec);
}

void WmfCanvas::UseBrush() {
    BrushRecord rec;
    rec.Color = brush_.Color & 0xFFFFFF;
    switch (brush_.Style) {
    case BrushStyle::Solid:
        rec.Style = BsSolid;
        break;
    case BrushStyle::Clear:
        rec.Style = BsNull;
        rec.Color = 0;
        break;
    default:
        rec.Style = BsHatched;
        rec.Hatch = std::uint16_t(brush_.Style) - std::uint16_t(BrushStyle::Horizontal);
        break;
    }
    if (dcBrush_ == rec) return;
    const int old = brushSlot_;
    brushSlot_ = CreateObject(
        RecordBuilder(MetaCreateBrushIndirect).U16(rec.Style).U32(rec.Color).U16(rec.Hatch));
    DeleteObject(old);
    dcBrush_ = rec;
}

void WmfCanvas::UseMode(std::uint16_t rop2) {
    if (dcRop2_ == rop2) return;
    Append(RecordBuilder(MetaSetRop2).U16(rop2));
    dcRop2_ = rop2;
}

void WmfCanvas::UseBackground() {
    const bool opaque = brush_.Style == BrushStyle::Solid;
    if (opaque && dcBkColor_ != (brush_.Color & 0xFFFFFF)) {
        dcBkColor_ = brush_.Color & 0xFFFFFF;
        Append(RecordBuilder(MetaSetBkColor).U32(*dcBkColor_));
    }
    const std::uint16_t mode = opaque ? BkOpaque : BkTransparent;
    if (dcBkMode_ == mode) return;
    Append(RecordBuilder(MetaSetBkMode).U16(mode));
    dcBkMode_ = mode;
}

void WmfCanvas::UseFont() {
    int height = font_.Height;
    if (height == 0) // a point size: the em height in pixels, given as a negative height
        height = -std::max(1, int(std::lround(std::abs(font_.Size) * ScreenDpi / 72.0)));
    const std::int16_t escapement = std::int16_t(font_.Escapement % 3600);
    RecordBuilder rec(MetaCreateFontIndirect);
    rec.I16(height)
        .I16(font_.Width)
        .I16(escapement)
        .I16(escapement)
        .I16((font_.Style & FontBold) ? BoldWeight : NormalWeight);
    const std::uint8_t flags[8] = {std::uint8_t((font_.Style & FontItalic) ? 1 : 0),
                                   std::uint8_t((font_.Style & FontUnderline) ? 1 : 0),
                                   std::uint8_t((font_.Style & FontStrikeOut) ? 1 : 0),
                                   0,
                                   0,
                                   0,
                                   0,
                                   0};
    rec.Bytes(flags, sizeof flags);
    std::uint8_t face[FaceBytes] = {};
    const QByteArray name = ToAnsi(font_.Name);
    std::memcpy(face, name.constData(), std::min<std::size_t>(name.size(), FaceBytes - 1));
    rec.Bytes(face, sizeof face);
    if (dcFont_ == rec.Params()) return;
    const int old = fontSlot_;
    fontSlot_ = CreateObject(rec);
    DeleteObject(old);
    dcFont_ = rec.Params();
}

void WmfCanvas::UseTextState() {
    UseFont();
    UseBackground();
    const Colour color = font_.Color & 0xFFFFFF;
    if (dcTextColor_ != color) {
        Append(RecordBuilder(MetaSetTextColor).U32(color));
        dcTextColor_ = color;
    }
    if (dcTextAlign_ != textAlign_) {
        Append(RecordBuilder(MetaSetTextAlign).U16(std::uint16_t(textAlign_)));
        dcTextAlign_ = textAlign_;
    }
}

void WmfCanvas::ShapeState() {
    UseCurrentPen();
    UseBrush();
    UseMode(Rop2Of(pen_.Mode));
    UseBackground();
}

void WmfCanvas::DrawLine(QPoint from, QPoint to) {
    UseCurrentPen();
    UseMode(Rop2Of(pen_.Mode));
    UseBackground();
    if (dcPos_ != from) Append(RecordBuilder(MetaMoveTo).I16(from.y()).I16(from.x()));
    Append(RecordBuilder(MetaLineTo).I16(to.y()).I16(to.x()));
    dcPos_ = to;
}

void WmfCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    ShapeState();
    Append(RecordBuilder(MetaRectangle).I16(y2).I16(x2).I16(y1).I16(x1));
}

void WmfCanvas::FillRect(const QRect& r) {
    if (r.isEmpty()) return;
    // Brush only: a rectangle with the null pen, which covers one pixel less each way.
    UsePen(PenRecord{PsNull, 1, 0});
    UseBrush();
    UseMode(R2CopyPen);
    UseBackground();
    Append(RecordBuilder(MetaRectangle)
               .I16(r.y() + 1LL + r.height())
               .I16(r.x() + 1LL + r.width())
               .I16(r.y())
               .I16(r.x()));
}

void WmfCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    ShapeState();
    Append(RecordBuilder(MetaEllipse).I16(y2).I16(x2).I16(y1).I16(x1));
}

void WmfCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    UseCurrentPen();
    UseMode(Rop2Of(pen_.Mode));
    UseBackground();
    Append(RecordBuilder(MetaArc).I16(y4).I16(x4).I16(y3).I16(x3).I16(y2).I16(x2).I16(y1).I16(x1));
}

void WmfCanvas::Points(std::uint16_t function, const QPoint* points, int count) {
    RecordBuilder rec(function);
    rec.U16(std::uint16_t(count));
    for (int i = 0; i < count; ++i) rec.I16(points[i].x()).I16(points[i].y());
    Append(rec);
}

void WmfCanvas::Polygon(const QPoint* points, int count) {
    if (points == nullptr || count < 2) return;
    ShapeState();
    Points(MetaPolygon, points, std::min(count, MaxPolygonPoints));
}

void WmfCanvas::Polyline(const QPoint* points, int count) {
    if (points == nullptr || count < 2) return;
    UseCurrentPen();
    UseMode(Rop2Of(pen_.Mode));
    UseBackground();
    // Pieces share their joining point, so the line stays unbroken.
    for (int start = 0; start < count - 1; start += MaxPointsPerRecord - 1)
        Points(MetaPolyline, points + start, std::min(MaxPointsPerRecord, count - start));
}

void WmfCanvas::SetPixel(int x, int y, Colour c) {
    Append(RecordBuilder(MetaSetPixel).U32(c & 0xFFFFFF).I16(y).I16(x));
}

void WmfCanvas::TextOut(int x, int y, const std::string& text) {
    if (text.empty()) return;
    QByteArray ansi = ToAnsi(text);
    if (std::size_t(ansi.size()) > MaxTextBytes) ansi.truncate(qsizetype(MaxTextBytes));
    UseTextState();
    Append(RecordBuilder(MetaTextOut)
               .U16(std::uint16_t(ansi.size()))
               .Bytes(ansi.constData(), std::size_t(ansi.size()))
               .I16(y)
               .I16(x));
}

void WmfCanvas::StretchDraw(const QRect& dest, const QImage& src, const QRect& srcRect) {
    const QRect part = srcRect.intersected(src.rect());
    if (src.isNull() || dest.isEmpty() || part.isEmpty()) return;
    if (part.width() > 32767 || part.height() > 32767) return; // beyond the record's reach
    const QImage rgb = src.copy(part).convertToFormat(QImage::Format_BGR888);
    const std::uint32_t stride = (std::uint32_t(rgb.width()) * 3 + 3) & ~3u;
    const std::uint64_t imageBytes = std::uint64_t(stride) * std::uint64_t(rgb.height());
    if (imageBytes > std::uint64_t(1) << 30) return; // a record's size is counted in 32 bits

    std::vector<std::uint8_t> dib;
    dib.reserve(40 + std::size_t(imageBytes));
    Put32(dib, 40);
    Put32(dib, std::uint32_t(rgb.width()));
    Put32(dib, std::uint32_t(rgb.height())); // positive: rows bottom-up
    Put16(dib, 1);
    Put16(dib, 24);
    Put32(dib, 0); // uncompressed
    Put32(dib, std::uint32_t(imageBytes));
    Put32(dib, 3780); // 96 dots per inch in dots per metre
    Put32(dib, 3780);
    Put32(dib, 0);
    Put32(dib, 0);
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const std::uint8_t* row = rgb.constScanLine(y);
        dib.insert(dib.end(), row, row + 3 * rgb.width());
        dib.resize(dib.size() + (stride - 3 * std::uint32_t(rgb.width())), 0);
    }

    UseMode(R2CopyPen);
    Append(RecordBuilder(MetaStretchDib)
               .U32(SrcCopy)
               .U16(DibRgbColors)
               .I16(part.height())
               .I16(part.width())
               .I16(0)
               .I16(0)
               .I16(dest.height())
               .I16(dest.width())
               .I16(dest.y())
               .I16(dest.x())
               .Bytes(dib.data(), dib.size()));
}

std::vector<std::uint8_t> WmfCanvas::Bytes() const {
    std::vector<std::uint8_t> out;
    out.reserve(PlaceableBytes + 2 * HeaderWords + records_.size() + 6);

    Put32(out, PlaceableKey);
    Put16(out, 0); // handle, always zero in a file
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, std::uint16_t(width_));
    Put16(out, std::uint16_t(height_));
    Put16(out, std::uint16_t(unitsPerInch_));
    Put32(out, 0);
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2) checksum ^= std::uint16_t(out[i] | (out[i + 1] << 8));
    Put16(out, checksum);

    const std::uint32_t eofWords = 3;
    const std::uint32_t totalWords = HeaderWords + std::uint32_t(records_.size() / 2) + eofWords;
    Put16(out, 1); // a metafile kept in memory, which is how files carry it
    Put16(out, HeaderWords);
    Put16(out, MetafileVersion);
    Put32(out, totalWords);
    Put16(out, objectCount_);
    Put32(out, std::max(maxRecordWords_, eofWords));
    Put16(out, 0);

    out.insert(out.end(), records_.begin(), records_.end());
    Put32(out, eofWords);
    Put16(out, MetaEof);
    return out;
}

void WmfCanvas::Save(const std::string& fileName) const {
    const std::vector<std::uint8_t> bytes = Bytes();
    AtomicFile file(fileName);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

} // namespace platform
