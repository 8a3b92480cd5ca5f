// SPDX-License-Identifier: GPL-3.0-or-later
//
// RTV drawing file, writing side.
//
// Format: a flat little-endian byte stream without alignment. Bytes 0..49 are a
// signature (a length byte 56, then "RTV2000-by Corvinhaldt Nov 20,1999" and blanks),
// bytes 50..53 a 32-bit 0, then tagged records to the end:
//   '*' len=241, 241-byte short text     layer of the records that follow (<= 240 chars)
//   'P' Pos                              point            (points are 3 doubles x, y, z)
//   'L' Pos, EndPos                      line
//   'C' Pos, Radius                      circle
//   'A' Pos, Radius, Angle1, Angle2      arc (radians)
//   'O' int32 n, n points                polyline, read back as a closed polygon
//   'T' Pos, len=256, 256-byte short text  text
//   '+' len=16, pen and brush block      attributes of the preceding and following entities
//   '-' len=272, text style block        style of the preceding and following texts
// A short text is a length byte, the characters and zero padding to the block size.
//
// Contract: the selection's lists are written last to first, their entities last to
// first; '*' only when the layer name changes; '+' and '-' only when their content
// differs from the last one written. Polylines of 2 or fewer vertices are not written.
// The file is written to a temporary file in the same folder and renamed over the target
// only when complete, so a failed save leaves the previous file as it was.

#include "drawing/Circle_.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/RtvFormat.h"
#include "drawing/Text_.h"
#include "drawing/selection_lists.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"

#include <cstring>
#include <optional>
#include <stdexcept>

namespace drawing {

namespace {

using namespace rtv;

// Collects records in memory and hands them to the file in large pieces.
class RecordSink {
public:
    explicit RecordSink(platform::AtomicFile& file) : file_(file) { buffer_.reserve(Capacity); }

    void Bytes(const void* data, std::size_t n) {
        if (buffer_.size() + n > Capacity) Flush();
        if (n >= Capacity) {
            file_.Write(data, n);
            return;
        }
        const auto* p = static_cast<const std::uint8_t*>(data);
        buffer_.insert(buffer_.end(), p, p + n);
    }
    void Byte(char c) { Bytes(&c, 1); }
    void Int32(std::int32_t v) { Bytes(&v, sizeof v); }
    void Real(double v) { Bytes(&v, sizeof v); }
    void Point(const Point3& p) { Bytes(&p, sizeof p); }
    void Flush() {
        if (!buffer_.empty()) file_.Write(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

private:
    static constexpr std::size_t Capacity = 1 << 20;
    platform::AtomicFile& file_;
    std::vector<std::uint8_t> buffer_;
};

class RtvWriter {
public:
    RtvWriter(RecordSink& out, const std::string& fileName) : out_(out), fileName_(fileName) {}

    void Header() {
        const auto signature = Signature();
        out_.Bytes(signature.data(), signature.size());
        out_.Int32(0);
    }

    void List(const Entity_List& list) {
        const std::string& layerName = list.Layer ? list.Layer->Name : std::string();
        if (layerName != currentLayer_) {
            std::uint8_t block[LayerNameBlock];
            EncodeShortText(layerName, block, sizeof block);
            out_.Byte(LayerTag);
            out_.Int32(std::int32_t(sizeof block));
            out_.Bytes(block, sizeof block);
            currentLayer_ = layerName.substr(0, LayerNameBlock - 1);
        }
        for (auto it = list.Entities.rbegin(); it != list.Entities.rend(); ++it) Entity(**it);
    }

private:
    void Entity(const DXF_Entity& e) {
        switch (e.Kind()) {
        case EntityKind::Text:
            return Text(static_cast<const Text_&>(e));
        case EntityKind::Point:
            out_.Byte(PointTag);
            out_.Point(static_cast<const Point_&>(e).Pos);
            break;
        case EntityKind::Line: {
            const auto& line = static_cast<const Line_&>(e);
            out_.Byte(LineTag);
            out_.Point(line.Pos);
            out_.Point(line.EndPos);
            break;
        }
        case EntityKind::Circle: {
            const auto& circle = static_cast<const Circle_&>(e);
            out_.Byte(CircleTag);
            out_.Point(circle.Pos);
            out_.Real(circle.Radius);
            break;
        }
        case EntityKind::Arc: {
            const auto& arc = static_cast<const Arc_&>(e);
            out_.Byte(ArcTag);
            out_.Point(arc.Pos);
            out_.Real(arc.Radius);
            out_.Real(arc.Angle1);
            out_.Real(arc.Angle2);
            break;
        }
        case EntityKind::Polyline: {
            const auto& poly = static_cast<const Polyline_&>(e);
            if (poly.Count() <= 2) return;
            out_.Byte(PolylineTag);
            out_.Int32(poly.Count());
            out_.Bytes(poly.Vertices.data(), poly.Vertices.size() * sizeof(Point3));
            break;
        }
        }
        const Attributes attributes{e.Color, e.PenWidth, e.PenStyle, e.FillColor, e.BrushStyle};
        if (lastAttributes_ == attributes) return;
        std::uint8_t block[AttributesBlock];
        EncodeAttributes(attributes, block);
        out_.Byte(AttributesTag);
        out_.Int32(std::int32_t(sizeof block));
        out_.Bytes(block, sizeof block);
        lastAttributes_ = attributes;
    }

    void Text(const Text_& text) {
        std::uint8_t textBlock[TextBlock];
        EncodeShortText(text.TextString, textBlock, sizeof textBlock);
        out_.Byte(TextTag);
        out_.Point(text.Pos);
        out_.Int32(std::int32_t(sizeof textBlock));
        out_.Bytes(textBlock, sizeof textBlock);

        TextStyle style;
        try {
            style = {text.FontName.substr(0, TextBlock - 1), Round(text.Height), text.Color,
                     text.FontStyle, Round(text.Angle)};
        } catch (const std::range_error&) {
            throw platform::FileError(fileName_, "a text's height or angle is too large to store");
        }
        // The stored height and angle are whole numbers: a text whose own values are not
        // gets a record of its own, so that each text reads back as near as it can.
        if (lastStyle_ && lastStyle_->FontName == style.FontName &&
            lastStyle_->Color == style.Color && lastStyle_->FontStyle == style.FontStyle &&
            double(lastStyle_->Height) == text.Height && double(lastStyle_->Angle) == text.Angle)
            return;
        std::uint8_t styleBlock[TextStyleBlock];
        EncodeTextStyle(style, styleBlock);
        out_.Byte(TextStyleTag);
        out_.Int32(std::int32_t(sizeof styleBlock));
        out_.Bytes(styleBlock, sizeof styleBlock);
        lastStyle_ = std::move(style);
    }

    RecordSink& out_;
    const std::string& fileName_;
    std::string currentLayer_;
    std::optional<Attributes> lastAttributes_;
    std::optional<TextStyle> lastStyle_;
};

} // namespace

void selection_lists::SaveRTV(const std::string& fileName) const {
    platform::AtomicFile file(fileName);
    RecordSink sink(file);
    RtvWriter writer(sink, fileName);
    writer.Header();
    for (auto it = Lists.rbegin(); it != Lists.rend(); ++it) writer.List(**it);
    sink.Flush();
    file.Commit();
}

} // namespace drawing
