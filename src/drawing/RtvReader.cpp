// SPDX-License-Identifier: GPL-3.0-or-later
//
// RTV drawing file, reading side (the format is described in RtvWriter.cpp).
//
// The reader skips the 54-byte header unchecked and acts on one record after another,
// keeping the current layer, the current attributes ('+'), the current text style ('-')
// and the last entity made. Geometry records make an entity with the current attributes
// or text style and add it to the current layer of the given drawing; '+' and '-' also
// rewrite the last entity. Records before any layer record go to the layer with the
// empty name. Before the first '+' and '-' the attributes are black, solid, width 1 and
// the text style "Times New Roman", 12 high, black, upright.
//
// The file is untrusted: every length and count is checked against the bytes that
// remain before anything is allocated or read, text blocks are read only within their
// buffers (a longer block is cut, the rest skipped), and an unknown tag or a record
// that runs past the end stops the load with a platform::FileError naming the file and
// the offset. What was read before the failure stays in the drawing.

#include "drawing/Circle_.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/RtvFormat.h"
#include "drawing/Text_.h"
#include "drawing/selection_lists.h"
#include "platform/FileError.h"
#include "platform/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace drawing {

namespace {

using namespace rtv;

// Buffered reading of a regular file whose size is known up front.
class RtvInput {
public:
    explicit RtvInput(const std::string& fileName) : fileName_(fileName) {
        file_ = platform::OpenRegularStream(fileName); // a pipe or folder is refused here
        struct stat info {};
        ::fstat(::fileno(file_), &info);
        size_ = std::uint64_t(info.st_size);
        buffer_.resize(std::size_t(std::clamp<std::uint64_t>(size_, 1, 1 << 20)));
    }
    ~RtvInput() { std::fclose(file_); }
    RtvInput(const RtvInput&) = delete;
    RtvInput& operator=(const RtvInput&) = delete;

    std::uint64_t Offset() const { return offset_; }
    std::uint64_t Remaining() const { return size_ > offset_ ? size_ - offset_ : 0; }

    // False at the end of the file.
    bool NextByte(std::uint8_t& byte) {
        if (pos_ == end_ && !Refill()) return false;
        byte = buffer_[pos_++];
        ++offset_;
        return true;
    }

    void Read(void* destination, std::size_t n) {
        auto* out = static_cast<std::uint8_t*>(destination);
        while (n > 0) {
            if (pos_ == end_) {
                if (n >= buffer_.size()) {
                    // Large blocks go straight to their destination.
                    const std::size_t got = std::fread(out, 1, n, file_);
                    offset_ += got;
                    if (got != n) Truncated();
                    return;
                }
                if (!Refill()) Truncated();
            }
            const std::size_t take = std::min(n, end_ - pos_);
            std::memcpy(out, buffer_.data() + pos_, take);
            pos_ += take;
            offset_ += take;
            out += take;
            n -= take;
        }
    }

    std::int32_t Int32() {
        std::int32_t v;
        Read(&v, sizeof v);
        return v;
    }
    double Real() {
        double v;
        Read(&v, sizeof v);
        return v;
    }
    Point3 Point() {
        Point3 p;
        Read(&p, sizeof p);
        return p;
    }

    void Skip(std::uint64_t n) {
        if (n > Remaining()) Truncated();
        std::uint8_t scratch[4096];
        while (n > 0) {
            const std::size_t step = std::size_t(std::min<std::uint64_t>(n, sizeof scratch));
            Read(scratch, step);
            n -= step;
        }
    }

    // A short text whose record gives `length` bytes for a buffer of blockSize bytes:
    // reads what fits the buffer and skips the rest.
    std::string ShortText(std::int32_t length, std::size_t blockSize, std::uint64_t recordStart) {
        if (length < 0)
            Fail("a text of negative length " + std::to_string(length) + " at offset " +
                 std::to_string(recordStart));
        if (std::uint64_t(length) > Remaining()) Truncated();
        std::uint8_t block[TextBlock];
        const std::size_t inBuffer = std::min<std::size_t>(std::size_t(length), blockSize);
        Read(block, inBuffer);
        Skip(std::uint64_t(length) - inBuffer);
        return DecodeShortText(block, inBuffer);
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw platform::FileError(fileName_, what);
    }
    [[noreturn]] void Truncated() const {
        Fail("the file ends inside a record (at offset " + std::to_string(offset_) + ")");
    }

private:
    bool Refill() {
        pos_ = 0;
        end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        if (end_ == 0 && std::ferror(file_))
            Fail(std::string("cannot read: ") + std::strerror(errno));
        return end_ > 0;
    }

    const std::string& fileName_;
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0, offset_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0, end_ = 0;
};

class RtvReader {
public:
    RtvReader(RtvInput& in, DXF_Object& drawing) : in_(in), drawing_(drawing) {}

    void Run() {
        in_.Skip(HeaderSize);
        std::uint8_t tag;
        while (in_.NextByte(tag)) Record(tag, in_.Offset() - 1);
    }

private:
    void Record(std::uint8_t tag, std::uint64_t start) {
        switch (tag) {
        case LayerTag: {
            const std::int32_t length = in_.Int32();
            layer_ = drawing_.CreateLayer(in_.ShortText(length, LayerNameBlock, start), true);
            return;
        }
        case PointTag: {
            const Point3 pos = in_.Point();
            Add(std::make_unique<Point_>(WorldZAxis, pos, attributes_.PenWidth,
                                         attributes_.PenStyle, 0),
                attributes_.Color);
            return;
        }
        case LineTag: {
            const Point3 start = in_.Point();
            const Point3 end = in_.Point();
            Add(std::make_unique<Line_>(start, end, attributes_.PenWidth, attributes_.PenStyle, 0),
                attributes_.Color);
            return;
        }
        case CircleTag: {
            const Point3 centre = in_.Point();
            const double radius = in_.Real();
            Add(std::make_unique<Circle_>(WorldZAxis, centre, radius, attributes_.PenWidth,
                                          attributes_.PenStyle, attributes_.BrushStyle,
                                          attributes_.FillColor, 0),
                attributes_.Color);
            return;
        }
        case ArcTag: {
            const Point3 centre = in_.Point();
            const double radius = in_.Real();
            const double angle1 = in_.Real();
            const double angle2 = in_.Real();
            auto arc = std::make_unique<Arc_>(WorldZAxis, centre, radius, 0, 0,
                                              attributes_.PenWidth, attributes_.PenStyle,
                                              attributes_.BrushStyle, attributes_.FillColor, 0);
            // Stored in radians, set as they are so that a saved arc reads back unchanged.
            arc->Angle1 = angle1;
            arc->Angle2 = angle2;
            Add(std::move(arc), attributes_.Color);
            return;
        }
        case PolylineTag: {
            const std::int32_t count = in_.Int32();
            if (count < 1)
                in_.Fail("a polyline of " + std::to_string(count) + " vertices at offset " +
                         std::to_string(start));
            if (std::uint64_t(count) * VertexSize > in_.Remaining()) in_.Truncated();
            std::vector<Point3> vertices(static_cast<std::size_t>(count));
            in_.Read(vertices.data(), vertices.size() * VertexSize);
            Add(std::make_unique<Polyline_>(WorldZAxis, std::move(vertices), attributes_.PenWidth,
                                            attributes_.PenStyle, attributes_.BrushStyle,
                                            attributes_.FillColor, 0, true),
                attributes_.Color);
            return;
        }
        case TextTag: {
            const Point3 pos = in_.Point();
            const std::int32_t length = in_.Int32();
            const std::string text = in_.ShortText(length, TextBlock, start);
            Add(std::make_unique<Text_>(WorldZAxis, pos, text, style_.FontName, style_.Height,
                                        style_.Angle, style_.FontStyle, 0, 0),
                style_.Color);
            return;
        }
        case AttributesTag: {
            in_.Int32(); // the block size is fixed, whatever the record says
            std::uint8_t block[AttributesBlock];
            in_.Read(block, sizeof block);
            attributes_ = DecodeAttributes(block);
            if (last_) {
                last_->Color = attributes_.Color;
                last_->PenWidth = attributes_.PenWidth;
                last_->PenStyle = attributes_.PenStyle;
                last_->FillColor = attributes_.FillColor;
                last_->BrushStyle = attributes_.BrushStyle;
            }
            return;
        }
        case TextStyleTag: {
            in_.Int32(); // the block size is fixed, whatever the record says
            std::uint8_t block[TextStyleBlock];
            in_.Read(block, sizeof block);
            style_ = DecodeTextStyle(block);
            if (last_ && last_->Kind() == EntityKind::Text) {
                auto& text = static_cast<Text_&>(*last_);
                text.FontName = style_.FontName;
                text.Height = style_.Height;
                text.Color = style_.Color;
                text.FontStyle = style_.FontStyle;
                text.Angle = style_.Angle;
            }
            return;
        }
        default: {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", unsigned(tag));
            in_.Fail(std::string("unknown record tag ") + hex + " at offset " +
                     std::to_string(start));
        }
        }
    }

    void Add(std::unique_ptr<DXF_Entity> entity, platform::Colour colour) {
        entity->SetColor(colour);
        if (!layer_) layer_ = drawing_.CreateLayer(std::string(), true);
        DXF_Entity* added = entity.get();
        layer_->AddEntity(std::move(entity));
        last_ = added;
    }

    RtvInput& in_;
    DXF_Object& drawing_;
    DXF_Layer* layer_ = nullptr;
    DXF_Entity* last_ = nullptr;
    Attributes attributes_;
    TextStyle style_;
};

} // namespace

void selection_lists::LoadRTV(const std::string& fileName, DXF_Object& drawing) const {
    RtvInput in(fileName);
    RtvReader(in, drawing).Run();
}

} // namespace drawing
