// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WmfPlayer.h"

#include "platform/FileError.h"

#include <QImage>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <optional>

namespace platform {

namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr std::size_t PlaceableBytes = 22;
constexpr std::size_t HeaderBytes = 18;
constexpr std::size_t MaxObjects = 65535;
constexpr std::size_t MaxSavedStates = 1024;

enum Function : std::uint16_t {
    MetaEof = 0x0000,
    MetaSaveDc = 0x001E,
    MetaRealizePalette = 0x0035,
    MetaSetPalEntries = 0x0037,
    MetaCreatePalette = 0x00F7,
    MetaSetBkMode = 0x0102,
    MetaSetMapMode = 0x0103,
    MetaSetRop2 = 0x0104,
    MetaSetRelAbs = 0x0105,
    MetaSetPolyFillMode = 0x0106,
    MetaSetStretchBltMode = 0x0107,
    MetaSetTextCharExtra = 0x0108,
    MetaRestoreDc = 0x0127,
    MetaInvertRegion = 0x012A,
    MetaPaintRegion = 0x012B,
    MetaSelectClipRegion = 0x012C,
    MetaSelectObject = 0x012D,
    MetaSetTextAlign = 0x012E,
    MetaResizePalette = 0x0139,
    MetaDibCreatePatternBrush = 0x0142,
    MetaSetLayout = 0x0149,
    MetaDeleteObject = 0x01F0,
    MetaCreatePatternBrush = 0x01F9,
    MetaSetBkColor = 0x0201,
    MetaSetTextColor = 0x0209,
    MetaSetTextJustification = 0x020A,
    MetaSetWindowOrg = 0x020B,
    MetaSetWindowExt = 0x020C,
    MetaSetViewportOrg = 0x020D,
    MetaSetViewportExt = 0x020E,
    MetaOffsetWindowOrg = 0x020F,
    MetaOffsetViewportOrg = 0x0211,
    MetaLineTo = 0x0213,
    MetaMoveTo = 0x0214,
    MetaOffsetClipRgn = 0x0220,
    MetaFillRegion = 0x0228,
    MetaSetMapperFlags = 0x0231,
    MetaSelectPalette = 0x0234,
    MetaCreatePenIndirect = 0x02FA,
    MetaCreateFontIndirect = 0x02FB,
    MetaCreateBrushIndirect = 0x02FC,
    MetaPolygon = 0x0324,
    MetaPolyline = 0x0325,
    MetaScaleWindowExt = 0x0410,
    MetaScaleViewportExt = 0x0412,
    MetaExcludeClipRect = 0x0415,
    MetaIntersectClipRect = 0x0416,
    MetaEllipse = 0x0418,
    MetaRectangle = 0x041B,
    MetaSetPixel = 0x041F,
    MetaFrameRegion = 0x0429,
    MetaTextOut = 0x0521,
    MetaPolyPolygon = 0x0538,
    MetaRoundRect = 0x061C,
    MetaPatBlt = 0x061D,
    MetaEscape = 0x0626,
    MetaCreateRegion = 0x06FF,
    MetaArc = 0x0817,
    MetaPie = 0x081A,
    MetaChord = 0x0830,
    MetaDibBitBlt = 0x0940,
    MetaExtTextOut = 0x0A32,
    MetaDibStretchBlt = 0x0B41,
    MetaStretchDib = 0x0F43,
};

bool IsDrawing(std::uint16_t f) {
    switch (f) {
    case MetaLineTo:
    case MetaPolygon:
    case MetaPolyline:
    case MetaPolyPolygon:
    case MetaEllipse:
    case MetaRectangle:
    case MetaRoundRect:
    case MetaArc:
    case MetaPie:
    case MetaChord:
    case MetaTextOut:
    case MetaExtTextOut:
    case MetaSetPixel:
    case MetaPatBlt:
    case MetaStretchDib:
    case MetaDibStretchBlt:
    case MetaDibBitBlt:
        return true;
    default:
        return false;
    }
}

// Records that set state we do not model, or draw nothing we can show: accepted quietly.
bool IsQuiet(std::uint16_t f) {
    switch (f) {
    case MetaRealizePalette:
    case MetaSetPalEntries:
    case MetaSetRelAbs:
    case MetaSetPolyFillMode:
    case MetaSetStretchBltMode:
    case MetaSetTextCharExtra:
    case MetaSelectClipRegion:
    case MetaResizePalette:
    case MetaSetLayout:
    case MetaSetTextJustification:
    case MetaSetViewportOrg:
    case MetaSetViewportExt:
    case MetaOffsetViewportOrg:
    case MetaOffsetClipRgn:
    case MetaSetMapperFlags:
    case MetaSelectPalette:
    case MetaScaleViewportExt:
    case MetaExcludeClipRect:
    case MetaIntersectClipRect:
    case MetaEscape:
        return true;
    default:
        return false;
    }
}

// Little-endian reading of one record's parameters, never past them.
class Params {
public:
    Params(std::string_view bytes, const std::string& fileName, std::size_t offset,
           std::uint16_t function)
        : bytes_(bytes), fileName_(fileName), offset_(offset), function_(function) {}

    std::size_t Left() const { return bytes_.size() - pos_; }
    void Need(std::size_t n) const {
        if (Left() < n) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "the record 0x%04X at offset %zu is too short",
                          unsigned(function_), offset_);
            throw FileError(fileName_, buf);
        }
    }
    std::uint16_t U16() {
        Need(2);
        const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data() + pos_);
        pos_ += 2;
        return std::uint16_t(p[0] | (p[1] << 8));
    }
    std::int16_t I16() { return std::int16_t(U16()); }
    std::uint32_t U32() {
        const std::uint32_t lo = U16();
        return lo | (std::uint32_t(U16()) << 16);
    }
    std::string_view Bytes(std::size_t n) {
        Need(n);
        const std::string_view v = bytes_.substr(pos_, n);
        pos_ += n;
        return v;
    }
    void Skip(std::size_t n) { Bytes(n); }
    std::string_view Rest() const { return bytes_.substr(pos_); }

private:
    std::string_view bytes_;
    const std::string& fileName_;
    std::size_t offset_;
    std::uint16_t function_;
    std::size_t pos_ = 0;
};

Colour ColourRef(std::uint32_t v) {
    return v & 0xFFFFFF; // 0x00BBGGRR, as ours
}

struct PenObject {
    PenStyle Style = PenStyle::Solid;
    int Width = 0; // logical units
    Colour Color = 0;
};
struct BrushObject {
    BrushStyle Style = BrushStyle::Solid;
    Colour Color = 0xFFFFFF;
};
struct FontObject {
    int Height = 0; // logical units
    int Escapement = 0;
    std::uint8_t Style = 0;
    std::string Face;
};
struct OtherObject {};

struct Object {
    enum class Kind { Pen, Brush, Font, Other } kind = Kind::Other;
    PenObject pen;
    BrushObject brush;
    FontObject font;
};

struct DeviceContext {
    PenObject pen;
    BrushObject brush{BrushStyle::Solid, 0xFFFFFF};
    FontObject font{12, 0, 0, "Times New Roman"};
    Colour textColour = 0;
    Colour backgroundColour = 0xFFFFFF;
    bool opaque = true;
    unsigned textAlign = 0;
    PenMode mode = PenMode::Copy;
    int mapMode = 1; // MM_TEXT
    QPointF windowOrg{0, 0};
    std::optional<QPointF> windowExt;
    QPointF position{0, 0}; // logical
};

std::string Latin1ToUtf8(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())).toStdString();
}

// A DIB (header, colours, bits) as an image, through a BMP file put together in memory.
std::optional<QImage> DecodeDib(std::string_view dib) {
    if (dib.size() < 12) return std::nullopt;
    const auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        std::memcpy(&v, dib.data() + at, 4);
        return v;
    };
    const auto u16 = [&](std::size_t at) {
        std::uint16_t v = 0;
        std::memcpy(&v, dib.data() + at, 2);
        return v;
    };
    const std::uint32_t headerSize = u32(0);
    std::int64_t width = 0, height = 0;
    unsigned bits = 0, compression = 0, coloursUsed = 0;
    if (headerSize == 12) {
        width = u16(4);
        height = std::int16_t(u16(6));
        bits = u16(10);
    } else if (headerSize >= 40 && dib.size() >= 40) {
        std::int32_t w, h;
        std::memcpy(&w, dib.data() + 4, 4);
        std::memcpy(&h, dib.data() + 8, 4);
        width = w;
        height = h;
        bits = u16(14);
        compression = u32(16);
        coloursUsed = u32(32);
    } else {
        return std::nullopt;
    }
    height = std::llabs(height);
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return std::nullopt;
    if (width * height > (std::int64_t(1) << 26)) return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return std::nullopt;
    std::size_t colours = coloursUsed ? coloursUsed : (bits <= 8 ? (std::size_t(1) << bits) : 0);
    if (colours > 256) return std::nullopt;
    std::size_t table = colours * (headerSize == 12 ? 3 : 4);
    if (headerSize == 40 && compression == 3) table += 12; // the bit-field masks
    const std::size_t offset = 14 + headerSize + table;
    QByteArray file;
    file.reserve(qsizetype(14 + dib.size()));
    file.append("BM", 2);
    const std::uint32_t fields[3] = {std::uint32_t(14 + dib.size()), 0, std::uint32_t(offset)};
    file.append(reinterpret_cast<const char*>(fields), sizeof fields);
    file.append(dib.data(), qsizetype(dib.size()));
    QImage image;
    if (!image.loadFromData(file, "BMP")) return std::nullopt;
    return image;
}

// Measures the frame: the bounds of every element.
class BoundsSink final : public WmfSink {
public:
    QRectF Bounds() const { return bounds_; }
    void Line(QPointF a, QPointF b, const WmfLook&) override { Add(a), Add(b); }
    void Polyline(std::span<const QPointF> pts, const WmfLook&) override {
        for (const auto& p : pts) Add(p);
    }
    void Polygon(std::span<const QPointF> pts, const WmfLook&) override {
        for (const auto& p : pts) Add(p);
    }
    void Ellipse(const QRectF& box, const WmfLook&) override { Add(box); }
    void Arc(const QRectF& box, QPointF, QPointF, WmfArcKind, const WmfLook&) override { Add(box); }
    void Text(QPointF at, const std::string&, const WmfLook&) override { Add(at); }
    void Pixel(QPointF at, Colour) override { Add(at); }
    void Image(const QRectF& d, const QImage&) override { Add(d); }

private:
    void Add(QPointF p) { Add(QRectF(p, QSizeF(0, 0))); }
    void Add(const QRectF& r) {
        const QRectF n = r.normalized();
        if (!any_) {
            bounds_ = n;
            any_ = true;
            return;
        }
        bounds_.setLeft(std::min(bounds_.left(), n.left()));
        bounds_.setTop(std::min(bounds_.top(), n.top()));
        bounds_.setRight(std::max(bounds_.right(), n.right()));
        bounds_.setBottom(std::max(bounds_.bottom(), n.bottom()));
    }
    QRectF bounds_;
    bool any_ = false;
};

} // namespace

WmfPlayer::WmfPlayer(std::string_view bytes, const std::string& fileName) : fileName_(fileName) {
    const auto fail = [&](const std::string& what) { throw FileError(fileName_, what); };
    const auto u16 = [&](std::size_t at) {
        return std::uint16_t(static_cast<unsigned char>(bytes[at]) |
                             (static_cast<unsigned char>(bytes[at + 1]) << 8));
    };
    const auto u32 = [&](std::size_t at) {
        return std::uint32_t(u16(at)) | (std::uint32_t(u16(at + 2)) << 16);
    };
    std::size_t pos = 0;
    QRectF box;
    if (bytes.size() >= 4 && u32(0) == PlaceableKey) {
        if (bytes.size() < PlaceableBytes) fail("this is not a metafile: its header is cut short");
        placeable_ = true;
        const double left = std::int16_t(u16(6)), top = std::int16_t(u16(8));
        const double right = std::int16_t(u16(10)), bottom = std::int16_t(u16(12));
        box = QRectF(QPointF(left, top), QPointF(right, bottom));
        pos = PlaceableBytes;
    }
    if (bytes.size() < pos + HeaderBytes) fail("this is not a metafile: it has no metafile header");
    const std::uint16_t type = u16(pos), headerWords = u16(pos + 2), version = u16(pos + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300))
        fail("this is not a metafile: its header is not one");
    const std::uint64_t declaredBytes = std::uint64_t(u32(pos + 6)) * 2;
    const std::size_t headerStart = pos;
    pos += HeaderBytes;
    bool ended = false;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 6) break; // a few bytes of padding after the last record
        const std::uint32_t words = u32(pos);
        const std::uint16_t function = u16(pos + 4);
        if (function == MetaEof) {
            ended = true;
            break;
        }
        if (words < 3 || (bytes.size() - pos) / 2 < words) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "the record 0x%04X at offset %zu has a bad size",
                          unsigned(function), pos);
            fail(buf);
        }
        records_.push_back({pos, function, bytes.substr(pos + 6, std::size_t(words) * 2 - 6)});
        pos += std::size_t(words) * 2;
    }
    // Without its end record, a file shorter than its header says has lost its end.
    if (!ended && bytes.size() - headerStart < declaredBytes)
        fail("the file ends before its last record (it is shorter than its header says)");

    if (placeable_ && box.width() != 0 && box.height() != 0) {
        frame_ = QRectF(0, 0, std::fabs(box.width()), std::fabs(box.height()));
        return;
    }
    // The window set before the first drawing record.
    for (const RecordView& r : records_) {
        if (IsDrawing(r.Function)) break;
        if (r.Function == MetaSetWindowExt) {
            Params p(r.Params, fileName_, r.Offset, r.Function);
            const double h = p.I16(), w = p.I16();
            if (w != 0 && h != 0) {
                frame_ = QRectF(0, 0, std::fabs(w), std::fabs(h));
                return;
            }
        }
    }
    frame_ = Measure();
    if (frame_.width() < 1) frame_.setWidth(1);
    if (frame_.height() < 1) frame_.setHeight(1);
}

QRectF WmfPlayer::Measure() const {
    BoundsSink bounds;
    Run(bounds, QPointF(0, 0));
    return bounds.Bounds();
}

WmfPlayer::Report WmfPlayer::Play(WmfSink& sink) const {
    return Run(sink, frame_.topLeft());
}

WmfPlayer::Report WmfPlayer::Run(WmfSink& sink, QPointF origin) const {
    Report report;
    std::map<std::uint16_t, std::size_t> skipIndex;
    const auto skip = [&](std::uint16_t function) {
        const auto found = skipIndex.find(function);
        if (found != skipIndex.end()) {
            ++report.Skipped[found->second].second;
            return;
        }
        char name[32];
        std::snprintf(name, sizeof name, "record 0x%04X", unsigned(function));
        skipIndex.emplace(function, report.Skipped.size());
        report.Skipped.emplace_back(name, 1);
    };

    std::vector<std::optional<Object>> objects;
    DeviceContext dc;
    // The extent a window change scales onto: the frame's, in frame units.
    std::optional<QPointF> referenceExtent;
    if (placeable_) referenceExtent = QPointF(frame_.width(), frame_.height());
    std::vector<DeviceContext> saved;
    WmfLook look;
    bool lookDirty = true;

    const auto scale = [&]() -> QPointF {
        if (dc.mapMode >= 2 && dc.mapMode <= 6) return {1, -1};
        if ((dc.mapMode == 7 || dc.mapMode == 8) && dc.windowExt && referenceExtent &&
            dc.windowExt->x() != 0 && dc.windowExt->y() != 0) {
            double sx = referenceExtent->x() / dc.windowExt->x();
            double sy = referenceExtent->y() / dc.windowExt->y();
            if (dc.mapMode == 7) { // isotropic: one scale, each axis keeping its sign
                const double s = std::min(std::fabs(sx), std::fabs(sy));
                sx = std::copysign(s, sx);
                sy = std::copysign(s, sy);
            }
            return {sx, sy};
        }
        return {1, 1};
    };
    const auto map = [&](double x, double y) {
        const QPointF s = scale();
        return QPointF((x - dc.windowOrg.x()) * s.x() - origin.x(),
                       (y - dc.windowOrg.y()) * s.y() - origin.y());
    };
    const auto currentLook = [&]() -> const WmfLook& {
        if (!lookDirty) return look;
        const QPointF s = scale();
        look.PenColour = dc.pen.Color;
        look.PenWidth = std::fabs(dc.pen.Width * s.x());
        look.Pen = dc.pen.Style;
        look.BrushColour = dc.brush.Color;
        look.Brush = dc.brush.Style;
        look.TextColour = dc.textColour;
        look.OpaqueBackground = dc.opaque;
        look.BackgroundColour = dc.backgroundColour;
        look.TextAlign = dc.textAlign;
        look.FontHeight = dc.font.Height * std::fabs(s.y());
        look.Escapement = dc.font.Escapement;
        look.FontStyle = dc.font.Style;
        look.FontFace = dc.font.Face;
        look.Mode = dc.mode;
        lookDirty = false;
        return look;
    };
    const auto box = [&](Params& p) {
        const double bottom = p.I16(), right = p.I16(), top = p.I16(), left = p.I16();
        return QRectF(map(left, top), map(right, bottom)).normalized();
    };
    const auto newObject = [&](const Object& o, const RecordView& r) {
        const auto freeSlot = std::find_if(objects.begin(), objects.end(),
                                           [](const auto& slot) { return !slot.has_value(); });
        if (freeSlot != objects.end()) {
            *freeSlot = o;
            return;
        }
        if (objects.size() >= MaxObjects)
            throw FileError(fileName_,
                            "the metafile creates more objects than it can hold (offset " +
                                std::to_string(r.Offset) + ")");
        objects.push_back(o);
    };
    std::vector<QPointF> points;
    const auto readPoints = [&](Params& p, std::size_t n) {
        p.Need(n * 4);
        points.clear();
        points.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            const double x = p.I16(), y = p.I16();
            points.push_back(map(x, y));
        }
    };

    for (const RecordView& r : records_) {
        Params p(r.Params, fileName_, r.Offset, r.Function);
        switch (r.Function) {
        case MetaSaveDc:
            if (saved.size() < MaxSavedStates) saved.push_back(dc);
            break;
        case MetaRestoreDc: {
            const int n = p.I16();
            std::size_t pops =
                n < 0 ? std::size_t(-n)
                      : (std::size_t(n) <= saved.size() ? saved.size() - std::size_t(n) + 1 : 0);
            while (pops-- > 0 && !saved.empty()) {
                dc = saved.back();
                saved.pop_back();
            }
            lookDirty = true;
            break;
        }
        case MetaSetMapMode:
            dc.mapMode = p.U16();
            lookDirty = true;
            break;
        case MetaSetWindowOrg: {
            const double y = p.I16(), x = p.I16();
            dc.windowOrg = {x, y};
            break;
        }
        case MetaOffsetWindowOrg: {
            const double y = p.I16(), x = p.I16();
            dc.windowOrg += QPointF(x, y);
            break;
        }
        case MetaSetWindowExt: {
            const double y = p.I16(), x = p.I16();
            if (x != 0 && y != 0) {
                dc.windowExt = QPointF(x, y);
                if (!referenceExtent) referenceExtent = QPointF(std::fabs(x), std::fabs(y));
            }
            lookDirty = true;
            break;
        }
        case MetaScaleWindowExt: {
            const double yDen = p.I16(), yNum = p.I16(), xDen = p.I16(), xNum = p.I16();
            if (dc.windowExt && xDen != 0 && yDen != 0 && xNum != 0 && yNum != 0)
                dc.windowExt =
                    QPointF(dc.windowExt->x() * xNum / xDen, dc.windowExt->y() * yNum / yDen);
            lookDirty = true;
            break;
        }
        case MetaCreatePenIndirect: {
            Object o;
            o.kind = Object::Kind::Pen;
            const unsigned style = p.U16() & 0x0F;
            o.pen.Width = p.I16();
            p.I16();
            o.pen.Color = ColourRef(p.U32());
            o.pen.Style = style <= 5 ? PenStyle(style) : PenStyle::Solid;
            newObject(o, r);
            break;
        }
        case MetaCreateBrushIndirect: {
            Object o;
            o.kind = Object::Kind::Brush;
            const unsigned style = p.U16();
            o.brush.Color = ColourRef(p.U32());
            const unsigned hatch = p.Left() >= 2 ? p.U16() : 0;
            o.brush.Style = style == 0   ? BrushStyle::Solid
                            : style == 2 ? BrushStyle(2 + std::min(hatch, 5u))
                                         : BrushStyle::Clear;
            newObject(o, r);
            break;
        }
        case MetaCreateFontIndirect: {
            Object o;
            o.kind = Object::Kind::Font;
            o.font.Height = p.I16();
            p.I16();
            o.font.Escapement = p.I16();
            p.I16();
            const int weight = p.I16();
            const std::string_view flags = p.Bytes(8);
            o.font.Style =
                std::uint8_t((weight >= 600 ? FontBold : 0) | (flags[0] ? FontItalic : 0) |
                             (flags[1] ? FontUnderline : 0) | (flags[2] ? FontStrikeOut : 0));
            std::string_view face = p.Rest().substr(0, 32);
            face = face.substr(0, std::min(face.size(), face.find('\0')));
            o.font.Face = Latin1ToUtf8(face);
            newObject(o, r);
            break;
        }
        case MetaCreatePalette:
        case MetaCreatePatternBrush:
        case MetaDibCreatePatternBrush:
        case MetaCreateRegion: {
            Object o; // takes its place in the table; pattern brushes paint nothing here
            if (r.Function != MetaCreatePalette && r.Function != MetaCreateRegion) {
                o.kind = Object::Kind::Brush;
                o.brush.Style = BrushStyle::Clear;
            }
            newObject(o, r);
            break;
        }
        case MetaSelectObject: {
            const std::size_t index = p.U16();
            if (index < objects.size() && objects[index]) {
                const Object& o = *objects[index];
                if (o.kind == Object::Kind::Pen) dc.pen = o.pen;
                if (o.kind == Object::Kind::Brush) dc.brush = o.brush;
                if (o.kind == Object::Kind::Font) dc.font = o.font;
                lookDirty = true;
            }
            break;
        }
        case MetaDeleteObject: {
            const std::size_t index = p.U16();
            if (index < objects.size()) objects[index].reset();
            break;
        }
        case MetaSetTextColor:
            dc.textColour = ColourRef(p.U32());
            lookDirty = true;
            break;
        case MetaSetBkColor:
            dc.backgroundColour = ColourRef(p.U32());
            lookDirty = true;
            break;
        case MetaSetBkMode:
            dc.opaque = p.U16() == 2;
            lookDirty = true;
            break;
        case MetaSetTextAlign:
            dc.textAlign = p.U16();
            lookDirty = true;
            break;
        case MetaSetRop2: {
            const unsigned rop = p.U16();
            dc.mode = rop == 7    ? PenMode::Xor
                      : rop == 10 ? PenMode::NotXor
                      : rop == 6  ? PenMode::Not
                                  : PenMode::Copy;
            lookDirty = true;
            break;
        }
        case MetaMoveTo: {
            const double y = p.I16(), x = p.I16();
            dc.position = {x, y};
            break;
        }
        case MetaLineTo: {
            const double y = p.I16(), x = p.I16();
            sink.Line(map(dc.position.x(), dc.position.y()), map(x, y), currentLook());
            dc.position = {x, y};
            ++report.Played;
            break;
        }
        case MetaPolyline:
        case MetaPolygon: {
            readPoints(p, p.U16());
            if (points.size() >= 2) {
                if (r.Function == MetaPolyline)
                    sink.Polyline(points, currentLook());
                else
                    sink.Polygon(points, currentLook());
            }
            ++report.Played;
            break;
        }
        case MetaPolyPolygon: {
            const std::size_t polygons = p.U16();
            p.Need(polygons * 2);
            std::vector<std::size_t> counts(polygons);
            std::size_t total = 0;
            for (auto& c : counts) total += (c = p.U16());
            p.Need(total * 4);
            for (const std::size_t c : counts) {
                readPoints(p, c);
                if (points.size() >= 2) sink.Polygon(points, currentLook());
            }
            ++report.Played;
            break;
        }
        case MetaRectangle:
        case MetaRoundRect: {
            if (r.Function == MetaRoundRect) p.Skip(4); // the corner's size: drawn square
            const QRectF b = box(p);
            const QPointF corners[4] = {b.topLeft(), b.topRight(), b.bottomRight(), b.bottomLeft()};
            sink.Polygon(corners, currentLook());
            ++report.Played;
            break;
        }
        case MetaPatBlt: {
            p.U32();
            const double h = p.I16(), w = p.I16(), y = p.I16(), x = p.I16();
            const QRectF b = QRectF(map(x, y), map(x + w, y + h)).normalized();
            const QPointF corners[4] = {b.topLeft(), b.topRight(), b.bottomRight(), b.bottomLeft()};
            WmfLook fill = currentLook();
            fill.Pen = PenStyle::Clear;
            sink.Polygon(corners, fill);
            lookDirty = true;
            ++report.Played;
            break;
        }
        case MetaEllipse:
            sink.Ellipse(box(p), currentLook());
            ++report.Played;
            break;
        case MetaArc:
        case MetaPie:
        case MetaChord: {
            const double yEnd = p.I16(), xEnd = p.I16(), yStart = p.I16(), xStart = p.I16();
            const QRectF b = box(p);
            const WmfArcKind kind = r.Function == MetaArc   ? WmfArcKind::Arc
                                    : r.Function == MetaPie ? WmfArcKind::Pie
                                                            : WmfArcKind::Chord;
            // A y-up mapping turns the direction round.
            const bool flipped = scale().y() * scale().x() < 0;
            const QPointF s = map(xStart, yStart), e = map(xEnd, yEnd);
            sink.Arc(b, flipped ? e : s, flipped ? s : e, kind, currentLook());
            ++report.Played;
            break;
        }
        case MetaTextOut: {
            const std::size_t count = p.U16();
            const std::string_view text = p.Bytes(count);
            if (count % 2) p.Skip(1);
            const double y = p.I16(), x = p.I16();
            if (count > 0) sink.Text(map(x, y), Latin1ToUtf8(text), currentLook());
            ++report.Played;
            break;
        }
        case MetaExtTextOut: {
            const double y = p.I16(), x = p.I16();
            const std::size_t count = std::size_t(std::max<int>(0, p.I16()));
            const unsigned options = p.U16();
            if (options & 0x0006) p.Skip(8); // the clipping or opaque rectangle
            const std::string_view text = p.Bytes(std::min(count, p.Left()));
            if (!text.empty()) sink.Text(map(x, y), Latin1ToUtf8(text), currentLook());
            ++report.Played;
            break;
        }
        case MetaSetPixel: {
            const Colour c = ColourRef(p.U32());
            const double y = p.I16(), x = p.I16();
            sink.Pixel(map(x, y), c);
            ++report.Played;
            break;
        }
        case MetaStretchDib:
        case MetaDibStretchBlt:
        case MetaDibBitBlt: {
            p.U32(); // raster operation
            if (r.Function == MetaStretchDib) p.U16();
            double destH = 0, destW = 0;
            if (r.Function == MetaDibBitBlt) {
                p.Skip(4); // source origin
                destH = p.I16();
                destW = p.I16();
            } else {
                p.Skip(8); // source rectangle
                destH = p.I16();
                destW = p.I16();
            }
            const double y = p.I16(), x = p.I16();
            const std::optional<QImage> image = DecodeDib(p.Rest());
            if (!image) {
                skip(r.Function);
                break;
            }
            sink.Image(QRectF(map(x, y), map(x + destW, y + destH)).normalized(), *image);
            ++report.Played;
            break;
        }
        default:
            if (!IsQuiet(r.Function)) skip(r.Function);
            break;
        }
    }
    return report;
}

std::vector<QPointF> WmfArcPoints(const QRectF& box, QPointF start, QPointF end) {
    const QPointF c = box.center();
    const double rx = box.width() / 2, ry = box.height() / 2;
    std::vector<QPointF> out;
    if (rx <= 0 || ry <= 0) return out;
    // Angles as seen: y down, so counter-clockwise on the picture is negative in y.
    const double a0 = std::atan2(-(start.y() - c.y()) / ry, (start.x() - c.x()) / rx);
    double a1 = std::atan2(-(end.y() - c.y()) / ry, (end.x() - c.x()) / rx);
    while (a1 <= a0) a1 += 2 * std::numbers::pi;
    const int n = std::clamp(int(std::ceil((a1 - a0) / (std::numbers::pi / 36))), 1, 72);
    out.reserve(std::size_t(n) + 1);
    for (int k = 0; k <= n; ++k) {
        const double a = a0 + (a1 - a0) * k / n;
        out.emplace_back(c.x() + rx * std::cos(a), c.y() - ry * std::sin(a));
    }
    return out;
}

// ---- CanvasWmfSink ----------------------------------------------------------------

CanvasWmfSink::CanvasWmfSink(Canvas& canvas, QSizeF frame, const QRectF& target,
                             const QRectF& visible)
    : canvas_(canvas), sx_(target.width() / std::max(frame.width(), 1e-9)),
      sy_(target.height() / std::max(frame.height(), 1e-9)), dx_(target.left()), dy_(target.top()),
      visible_(visible) {}

QPoint CanvasWmfSink::Device(QPointF p) const {
    const auto clampInt = [](double v) {
        return int(std::clamp(std::nearbyint(v), -1073741824.0, 1073741824.0));
    };
    return {clampInt(dx_ + p.x() * sx_), clampInt(dy_ + p.y() * sy_)};
}

bool CanvasWmfSink::Visible(const QRectF& frameBox) const {
    const QRectF device(QPointF(dx_ + frameBox.left() * sx_, dy_ + frameBox.top() * sy_),
                        QPointF(dx_ + frameBox.right() * sx_, dy_ + frameBox.bottom() * sy_));
    return device.normalized().adjusted(-2, -2, 2, 2).intersects(visible_);
}

void CanvasWmfSink::UsePen(const WmfLook& look) {
    Pen& pen = canvas_.PenRef();
    pen.Color = look.PenColour;
    pen.Style = look.Pen;
    pen.Width = std::max(1, int(std::lround(look.PenWidth * sx_)));
    pen.Mode = look.Mode;
}

void CanvasWmfSink::UseBrush(const WmfLook& look) {
    canvas_.BrushRef().Color = look.BrushColour;
    canvas_.BrushRef().Style = look.Brush;
}

namespace {
QRectF BoundsOf(std::span<const QPointF> points) {
    double x0 = points[0].x(), x1 = x0, y0 = points[0].y(), y1 = y0;
    for (const QPointF& p : points) {
        x0 = std::min(x0, p.x());
        x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y());
        y1 = std::max(y1, p.y());
    }
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}
} // namespace

void CanvasWmfSink::Line(QPointF from, QPointF to, const WmfLook& look) {
    if (!Visible(QRectF(from, to).normalized())) return;
    UsePen(look);
    const QPoint a = Device(from), b = Device(to);
    canvas_.MoveTo(a.x(), a.y());
    canvas_.LineTo(b.x(), b.y());
}

void CanvasWmfSink::Polyline(std::span<const QPointF> points, const WmfLook& look) {
    if (!Visible(BoundsOf(points))) return;
    UsePen(look);
    scratch_.clear();
    for (const QPointF& p : points) scratch_.push_back(Device(p));
    canvas_.Polyline(scratch_.data(), int(scratch_.size()));
}

void CanvasWmfSink::Polygon(std::span<const QPointF> points, const WmfLook& look) {
    if (!Visible(BoundsOf(points))) return;
    UsePen(look);
    UseBrush(look);
    scratch_.clear();
    for (const QPointF& p : points) scratch_.push_back(Device(p));
    canvas_.Polygon(scratch_.data(), int(scratch_.size()));
}

void CanvasWmfSink::Ellipse(const QRectF& box, const WmfLook& look) {
    if (!Visible(box)) return;
    UsePen(look);
    UseBrush(look);
    const QPoint a = Device(box.topLeft()), b = Device(box.bottomRight());
    canvas_.Ellipse(a.x(), a.y(), b.x(), b.y());
}

void CanvasWmfSink::Arc(const QRectF& box, QPointF start, QPointF end, WmfArcKind kind,
                        const WmfLook& look) {
    if (!Visible(box)) return;
    UsePen(look);
    if (kind == WmfArcKind::Arc) {
        const QPoint a = Device(box.topLeft()), b = Device(box.bottomRight());
        const QPoint s = Device(start), e = Device(end);
        canvas_.Arc(a.x(), a.y(), b.x(), b.y(), s.x(), s.y(), e.x(), e.y());
        return;
    }
    UseBrush(look);
    std::vector<QPointF> points = WmfArcPoints(box, start, end);
    if (kind == WmfArcKind::Pie) points.push_back(box.center());
    scratch_.clear();
    for (const QPointF& p : points) scratch_.push_back(Device(p));
    if (scratch_.size() >= 2) canvas_.Polygon(scratch_.data(), int(scratch_.size()));
}

void CanvasWmfSink::Text(QPointF at, const std::string& text, const WmfLook& look) {
    const double height = std::fabs(look.FontHeight * sy_);
    if (!Visible(
            QRectF(at, QSizeF(0, 0))
                .adjusted(-height * text.size(), -height * 2, height * text.size(), height * 2)))
        return;
    Font font;
    font.Name = look.FontFace.empty() ? "Arial" : look.FontFace;
    font.Height = int(std::lround(look.FontHeight * sy_));
    if (font.Height == 0) font.Height = look.FontHeight == 0 ? -12 : (look.FontHeight < 0 ? -1 : 1);
    font.Color = look.TextColour;
    font.Style = look.FontStyle;
    font.Escapement = look.Escapement;
    canvas_.SetFont(font);
    canvas_.SetTextAlign(look.TextAlign & ~1u);
    canvas_.BrushRef().Style = look.OpaqueBackground ? BrushStyle::Solid : BrushStyle::Clear;
    canvas_.BrushRef().Color = look.BackgroundColour;
    const QPoint p = Device(at);
    canvas_.TextOut(p.x(), p.y(), text);
}

void CanvasWmfSink::Pixel(QPointF at, Colour colour) {
    if (!Visible(QRectF(at, QSizeF(0, 0)))) return;
    const QPoint p = Device(at);
    canvas_.SetPixel(p.x(), p.y(), colour);
}

void CanvasWmfSink::Image(const QRectF& destination, const QImage& image) {
    if (!Visible(destination)) return;
    const QPoint a = Device(destination.topLeft()), b = Device(destination.bottomRight());
    canvas_.StretchDraw(QRect(a, b - QPoint(1, 1)), image, image.rect());
}

} // namespace platform
