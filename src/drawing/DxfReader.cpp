// SPDX-License-Identifier: GPL-3.0-or-later
//
// DXF input, text and binary, from R12 (AC1009) to the current versions.
//
// What is read: the header's $ACADVER and $DWGCODEPAGE (texts of files before R2007 are
// in that code page, later ones in UTF-8), the LAYER table (colour as ACI or true colour,
// line type), the blocks, and the entities of model space:
//   POINT, LINE, CIRCLE, ARC                  as the entities of the same name
//   TEXT, ATTRIB, MTEXT                       as texts (MTEXT formatting removed)
//   LWPOLYLINE, POLYLINE (2D and 3D)          as polylines, bulges as arcs of 5° steps
//   ELLIPSE, SPLINE                           as polylines along the curve
//   SOLID, TRACE, 3DFACE                      as closed polylines
//   INSERT (also arrays), DIMENSION           exploded: the block's entities, placed
// Entities of a block on layer "0" go to the insert's layer; "by block" colours and line
// types take the insert's. Colours become RGB (ACI 7 reads as black); line type names
// become pen styles. Everything else is skipped and counted by type, as are paper space
// entities, polyline meshes and inserts of missing blocks.
//
// Coordinates are taken as map units. 2D entities whose extrusion is not (0, 0, 1) are
// brought into world coordinates by the arbitrary axis rule and seen from above; a circle
// or arc that this (or an insert's scale) distorts becomes a polyline.
//
// The file is untrusted. Everything is read into a drawing of its own first and moved
// into the caller's only at the end, so a bad file changes nothing. Beyond the checks of
// the group reader: a file that ends inside a section is an error, blocks nested deeper
// than 16 levels (or inserting themselves) are an error, and so is a file that would
// expand to more than MaxEntities entities or MaxPoints polyline points (curves included).
// Counts in the file are never used to size anything. Cost: one pass over the bytes;
// inserts cost their expanded size.

#include "drawing/DxfReader.h"

#include "drawing/Circle_.h"
#include "drawing/DxfColours.h"
#include "drawing/DxfCurves.h"
#include "drawing/DxfGroupReader.h"
#include "drawing/DxfText.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/Text_.h"
#include "platform/Canvas.h"
#include "platform/FileError.h"
#include "platform/MappedFile.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <unordered_map>

namespace drawing {

namespace {

using dxf::Affine;
using dxf::Group;
using platform::Colour;

constexpr std::size_t MaxEntities = 10'000'000;
constexpr std::size_t MaxPoints = 50'000'000; // of all polylines together
constexpr int MaxNesting = 16;
constexpr double DegToRad = std::numbers::pi / 180;
constexpr const char* TextFont = "Arial";

enum class ColourFrom : std::uint8_t { Layer, Block, Own };
constexpr int LineTypeByLayer = -1, LineTypeByBlock = -2;

struct Style {
    int Layer = 0;
    ColourFrom From = ColourFrom::Layer;
    Colour Rgb = 0;
    int LineType = LineTypeByLayer; // or a pen style 0..4
};

struct Shape {
    enum Kind : std::uint8_t { Point, Line, Polyline, Circle, Arc, Text, Insert } kind = Point;
    Style style;
    Point3 a, b;                  // point, start, centre, insertion; end of a line
    double radius = 0;            // circle, arc
    double start = 0, end = 0;    // arc, radians
    double height = 0, angle = 0; // text: height, degrees
    std::int32_t align = 0;
    bool closed = false;
    std::vector<Point3> points; // polyline
    std::string text;           // text, or the block of an insert
    // Insert: block coordinates → scaled → moved by the array cell → placement.
    Affine placement;
    Point3 scale{1, 1, 1};
    int columns = 1, rows = 1;
    double columnSpacing = 0, rowSpacing = 0;
};

struct Block {
    Point3 base;
    std::vector<Shape> shapes;
};

struct Inherited {
    int Layer;
    Colour Rgb;
    int LineType;
};

int PenStyleOfLineType(std::string name) {
    for (auto& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (name == "BYLAYER") return LineTypeByLayer;
    if (name == "BYBLOCK") return LineTypeByBlock;
    if (name.find("DIVIDE") != std::string::npos) return int(platform::PenStyle::DashDotDot);
    if (name.find("DASHDOT") != std::string::npos || name.find("CENTER") != std::string::npos)
        return int(platform::PenStyle::DashDot);
    if (name.find("DOT") != std::string::npos) return int(platform::PenStyle::Dot);
    if (name.find("DASH") != std::string::npos || name.find("HIDDEN") != std::string::npos)
        return int(platform::PenStyle::Dash);
    return int(platform::PenStyle::Solid);
}

bool Is(std::string_view value, std::string_view keyword) {
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    return value == keyword;
}

// MTEXT inline formatting and the %% codes of all texts, as plain text.
std::string PlainText(const std::string& s, bool mtext) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '%' && i + 2 < s.size() && s[i + 1] == '%') {
            const char k = char(std::tolower(static_cast<unsigned char>(s[i + 2])));
            const char* replacement = k == 'd'                           ? "\xC2\xB0"
                                      : k == 'c'                         ? "\xE2\x8C\x80"
                                      : k == 'p'                         ? "\xC2\xB1"
                                      : k == '%'                         ? "%"
                                      : k == 'u' || k == 'o' || k == 'k' ? ""
                                                                         : nullptr;
            if (replacement) {
                out += replacement;
                i += 2;
                continue;
            }
        }
        if (!mtext) {
            out += c;
            continue;
        }
        if (c == '{' || c == '}') continue;
        if (c != '\\' || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        const char k = s[++i];
        switch (k) {
        case 'P':
        case '~':
            out += ' ';
            break;
        case '\\':
        case '{':
        case '}':
            out += k;
            break;
        case 'L':
        case 'l':
        case 'O':
        case 'o':
        case 'K':
        case 'k':
            break;
        case 'S': { // stacked fraction "a^b;" or "a/b;" or "a#b;"
            const std::size_t stop = s.find(';', i + 1);
            std::string stack =
                s.substr(i + 1, stop == std::string::npos ? std::string::npos : stop - i - 1);
            std::replace(stack.begin(), stack.end(), '^', '/');
            std::replace(stack.begin(), stack.end(), '#', '/');
            out += stack;
            i = stop == std::string::npos ? s.size() : stop;
            break;
        }
        default: { // \f…; \H…; \C…; and the other codes with an argument up to ";"
            const std::size_t stop = s.find(';', i + 1);
            if (std::string_view("fFHWQTACcp").find(k) != std::string_view::npos)
                i = stop == std::string::npos ? s.size() : stop;
            else
                out += k;
            break;
        }
        }
    }
    return out;
}

class Reader {
public:
    Reader(std::string_view bytes, const std::string& fileName, DXF_Object& drawing,
           DxfReadReport& report, const DxfProgress& progress)
        : in_(bytes, fileName), drawing_(drawing), report_(report), progress_(progress),
          size_(std::max<std::size_t>(bytes.size(), 1)) {
        report_.Binary = in_.IsBinary();
        LayerOf("0");
    }

    void Run() {
        Group g;
        bool anySection = false;
        while (in_.Next(g)) {
            if (g.Code == 999) continue; // comment
            if (g.Code != 0) {
                if (!anySection)
                    in_.Fail("this is not a DXF file: it does not start with a section");
                continue;
            }
            if (Is(g.Text, "EOF")) break;
            if (!Is(g.Text, "SECTION")) {
                if (!anySection)
                    in_.Fail("this is not a DXF file: it does not start with a section");
                continue;
            }
            anySection = true;
            Group name;
            if (!in_.Next(name) || name.Code != 2) in_.Fail("a section without its name");
            if (Is(name.Text, "HEADER"))
                Header();
            else if (Is(name.Text, "TABLES"))
                Tables();
            else if (Is(name.Text, "BLOCKS"))
                Blocks();
            else if (Is(name.Text, "ENTITIES"))
                Entities(nullptr, "ENDSEC");
            else
                SkipSection(name.Text);
        }
        if (!anySection) in_.Fail("this is not a DXF file: it holds no section");
        for (Shape& insert : pendingInserts_) Explode(insert, nullptr, 0);
    }

private:
    // ---- sections -------------------------------------------------------------------

    void Header() {
        Group g;
        std::string_view variable;
        std::string codePage = "ANSI_1252";
        while (true) {
            if (!in_.Next(g)) in_.Fail("the file ends inside the HEADER section");
            if (g.Code == 0 && Is(g.Text, "ENDSEC")) break;
            if (g.Code == 9) {
                variable = g.Text;
                continue;
            }
            if (Is(variable, "$ACADVER") && g.Code == 1) report_.Version = std::string(g.Text);
            if (Is(variable, "$DWGCODEPAGE") && g.Code == 3) codePage = std::string(g.Text);
        }
        // R2007 (AC1021) and later files are UTF-8.
        decoder_.SetCodePage(codePage, report_.Version >= "AC1021");
    }

    void Tables() {
        Group g;
        while (true) {
            if (!in_.Next(g)) in_.Fail("the file ends inside the TABLES section");
            if (g.Code != 0) continue;
            if (Is(g.Text, "ENDSEC")) return;
            if (Is(g.Text, "LAYER")) LayerEntry();
        }
    }

    void LayerEntry() {
        std::string name;
        int aci = 7;
        long long trueColour = -1;
        int lineType = 0;
        Group g;
        while (Body(g, "TABLES")) {
            switch (g.Code) {
            case 2:
                name = decoder_.Decode(g.Text);
                break;
            case 62:
                aci = int(std::clamp<long long>(in_.Integer(g), -1000, 1000));
                break;
            case 420:
                trueColour = in_.Integer(g) & 0xFFFFFF;
                break;
            case 6:
                lineType = std::max(0, PenStyleOfLineType(std::string(g.Text)));
                break;
            default:
                break;
            }
        }
        if (name.empty()) return;
        const int index = LayerByName(name);
        layers_[std::size_t(index)].Rgb =
            trueColour >= 0 ? dxf::FromTrueColour(trueColour) : dxf::AciColour(aci);
        layers_[std::size_t(index)].LineType = lineType;
    }

    void Blocks() {
        Group g;
        while (true) {
            if (!in_.Next(g)) in_.Fail("the file ends inside the BLOCKS section");
            if (g.Code != 0) continue;
            if (Is(g.Text, "ENDSEC")) return;
            if (!Is(g.Text, "BLOCK")) continue;
            std::string name;
            Point3 base;
            long long flags = 0;
            while (Body(g, "BLOCKS")) {
                if (g.Code == 2) name = std::string(g.Text);
                if (g.Code == 70) flags = in_.Integer(g);
                if (g.Code == 10) base.x = in_.Real(g);
                if (g.Code == 20) base.y = in_.Real(g);
                if (g.Code == 30) base.z = in_.Real(g);
            }
            Block block;
            block.base = base;
            Entities(&block, "ENDBLK");
            if (flags & 4) continue; // an external reference: its entities are elsewhere
            blocks_[name] = std::move(block);
        }
    }

    void SkipSection(std::string_view name) {
        Group g;
        while (true) {
            if (!in_.Next(g))
                in_.Fail("the file ends inside the " + std::string(name.substr(0, 40)) +
                         " section");
            if (g.Code == 0 && Is(g.Text, "ENDSEC")) return;
        }
    }

    // Reads the groups of the current record up to the next code 0, which stays unread.
    bool Body(Group& g, const char* section) {
        if (!in_.Peek(g)) in_.Fail(std::string("the file ends inside the ") + section + " section");
        if (g.Code == 0) return false;
        in_.Next(g);
        return true;
    }

    // ---- entities -------------------------------------------------------------------

    void Entities(Block* block, const char* end) {
        const char* section = block ? "BLOCKS" : "ENTITIES";
        Group g;
        while (true) {
            if (!in_.Next(g))
                in_.Fail(std::string("the file ends inside the ") + section + " section");
            if (g.Code != 0) continue;
            if (Is(g.Text, end)) {
                while (Body(g, section)) {
                }
                return;
            }
            if (block && Is(g.Text, "ENDSEC")) in_.Fail("a block without its end (ENDBLK)");
            Entity(g.Text, block, section);
            if (progress_ && ++sinceProgress_ == ProgressEvery) {
                sinceProgress_ = 0;
                if (!progress_(double(in_.Offset()) / double(size_)))
                    throw platform::FileError(in_.FileName(), "reading was cancelled");
            }
        }
    }

    void Entity(std::string_view type, Block* block, const char* section) {
        block_ = block;
        section_ = section;
        Group g;
        Shape& s = scratch_;
        s.style = Style{};
        s.points.clear();
        s.closed = false;
        extrusion_ = WorldZAxis;
        paperSpace_ = false;
        trueColour_ = false;
        if (Is(type, "LINE")) {
            s.kind = Shape::Line;
            s.a = s.b = Origin;
            while (Body(g, section)) {
                if (Common(g, s.style)) continue;
                Coordinate(g, 10, s.a) || Coordinate(g, 11, s.b);
            }
            Deliver(s, false);
        } else if (Is(type, "LWPOLYLINE")) {
            LwPolyline(s);
        } else if (Is(type, "TEXT") || Is(type, "ATTRIB")) {
            Text(s, Is(type, "ATTRIB"));
        } else if (Is(type, "POLYLINE")) {
            PolylineWithVertices(s);
        } else if (Is(type, "POINT")) {
            s.kind = Shape::Point;
            s.a = Origin;
            while (Body(g, section))
                if (!Common(g, s.style)) Coordinate(g, 10, s.a);
            Deliver(s, false);
        } else if (Is(type, "CIRCLE") || Is(type, "ARC")) {
            s.kind = Is(type, "ARC") ? Shape::Arc : Shape::Circle;
            s.a = Origin;
            s.radius = s.start = s.end = 0;
            while (Body(g, section)) {
                if (Common(g, s.style) || Coordinate(g, 10, s.a)) continue;
                if (g.Code == 40) s.radius = in_.Real(g);
                if (g.Code == 50) s.start = in_.Real(g) * DegToRad;
                if (g.Code == 51) s.end = in_.Real(g) * DegToRad;
            }
            s.radius = std::fabs(s.radius);
            Deliver(s, true);
        } else if (Is(type, "MTEXT")) {
            MText(s);
        } else if (Is(type, "INSERT")) {
            Insert(s);
        } else if (Is(type, "ELLIPSE")) {
            Ellipse(s);
        } else if (Is(type, "SPLINE")) {
            Spline(s);
        } else if (Is(type, "SOLID") || Is(type, "TRACE") || Is(type, "3DFACE")) {
            Face(s, Is(type, "3DFACE"));
        } else if (Is(type, "DIMENSION")) {
            s.kind = Shape::Insert;
            s.text.clear();
            s.placement = Affine();
            s.scale = {1, 1, 1};
            s.columns = s.rows = 1;
            while (Body(g, section))
                if (!Common(g, s.style) && g.Code == 2) s.text = std::string(g.Text);
            if (s.text.empty())
                Skip("DIMENSION");
            else
                Deliver(s, false);
        } else if (Is(type, "ATTDEF") || Is(type, "SEQEND") || Is(type, "VIEWPORT")) {
            while (Body(g, section)) {
            } // templates and markers, nothing to draw
        } else {
            while (Body(g, section)) {
            }
            Skip(std::string(type.substr(0, 40)));
        }
    }

    // Groups every entity may have; true when g was one of them.
    bool Common(const Group& g, Style& style) {
        switch (g.Code) {
        case 8:
            style.Layer = LayerOf(g.Text);
            return true;
        case 62: {
            const long long aci = in_.Integer(g);
            if (aci == 0) {
                style.From = ColourFrom::Block;
            } else if (aci == 256 || aci < -255 || aci > 256) {
                style.From = ColourFrom::Layer;
            } else if (style.From != ColourFrom::Own || !trueColour_) {
                style.From = ColourFrom::Own;
                style.Rgb = dxf::AciColour(int(aci));
            }
            return true;
        }
        case 420:
            style.From = ColourFrom::Own;
            style.Rgb = dxf::FromTrueColour(in_.Integer(g));
            trueColour_ = true;
            return true;
        case 6:
            style.LineType = PenStyleOfLineType(std::string(g.Text));
            return true;
        case 67:
            paperSpace_ = in_.Integer(g) == 1;
            return true;
        case 210:
            extrusion_.x = in_.Real(g);
            return true;
        case 220:
            extrusion_.y = in_.Real(g);
            return true;
        case 230:
            extrusion_.z = in_.Real(g);
            return true;
        default:
            return false;
        }
    }

    bool Coordinate(const Group& g, int code, Point3& p) {
        if (g.Code == code)
            p.x = in_.Real(g);
        else if (g.Code == code + 10)
            p.y = in_.Real(g);
        else if (g.Code == code + 20)
            p.z = in_.Real(g);
        else
            return false;
        return true;
    }

    void LwPolyline(Shape& s) {
        s.kind = Shape::Polyline;
        bulges_.clear();
        double elevation = 0;
        Group g;
        while (Body(g, section_)) {
            if (Common(g, s.style)) continue;
            switch (g.Code) {
            case 10:
                s.points.push_back({in_.Real(g), 0, 0});
                bulges_.push_back(0);
                break;
            case 20:
                if (!s.points.empty()) s.points.back().y = in_.Real(g);
                break;
            case 42:
                if (!bulges_.empty()) bulges_.back() = in_.Real(g);
                break;
            case 38:
                elevation = in_.Real(g);
                break;
            case 70:
                s.closed = (in_.Integer(g) & 1) != 0;
                break;
            default:
                break;
            }
        }
        for (auto& p : s.points) p.z = elevation;
        FinishPolyline(s);
    }

    void PolylineWithVertices(Shape& s) {
        s.kind = Shape::Polyline;
        bulges_.clear();
        long long flags = 0;
        double elevation = 0;
        Group g;
        while (Body(g, section_)) {
            if (Common(g, s.style)) continue;
            if (g.Code == 70) flags = in_.Integer(g);
            if (g.Code == 30) elevation = in_.Real(g);
        }
        const Style style = s.style;
        const bool paper = paperSpace_;
        const Point3 extrusion = extrusion_;
        // Vertices up to SEQEND (or, in careless files, up to the next other entity).
        while (in_.Peek(g) && g.Code == 0 && Is(g.Text, "VERTEX")) {
            in_.Next(g);
            Point3 p{0, 0, elevation};
            double bulge = 0;
            long long vertexFlags = 0;
            while (Body(g, section_)) {
                if (Coordinate(g, 10, p)) continue;
                if (g.Code == 42) bulge = in_.Real(g);
                if (g.Code == 70) vertexFlags = in_.Integer(g);
            }
            if (vertexFlags & 16) continue; // a spline's frame, not on the curve
            s.points.push_back(p);
            bulges_.push_back(bulge);
        }
        if (in_.Peek(g) && g.Code == 0 && Is(g.Text, "SEQEND")) {
            in_.Next(g);
            while (Body(g, section_)) {
            }
        }
        s.style = style;
        paperSpace_ = paper;
        extrusion_ = extrusion;
        if (flags & (16 | 64)) {
            Skip("mesh POLYLINE");
            return;
        }
        s.closed = (flags & 1) != 0;
        if (flags & 8) { // 3D: world coordinates, no bulges
            extrusion_ = WorldZAxis;
            bulges_.assign(bulges_.size(), 0);
        }
        FinishPolyline(s);
    }

    void FinishPolyline(Shape& s) {
        if (std::any_of(bulges_.begin(), bulges_.end(), [](double b) { return b != 0; }))
            s.points = dxf::ExpandBulges(s.points, bulges_, s.closed);
        if (s.points.size() < 2) {
            Skip("POLYLINE without vertices");
            return;
        }
        Deliver(s, true);
    }

    void Text(Shape& s, bool attribute) {
        s.kind = Shape::Text;
        s.a = s.b = Origin;
        s.height = 0;
        s.angle = 0;
        s.text.clear();
        long long hAlign = 0, vAlign = 0, flags = 0;
        bool haveSecond = false;
        Group g;
        while (Body(g, section_)) {
            if (Common(g, s.style) || Coordinate(g, 10, s.a)) continue;
            if (Coordinate(g, 11, s.b)) {
                haveSecond = true;
                continue;
            }
            switch (g.Code) {
            case 1:
                s.text = decoder_.Decode(g.Text);
                break;
            case 40:
                s.height = in_.Real(g);
                break;
            case 50:
                s.angle = in_.Real(g);
                break;
            case 72:
                hAlign = in_.Integer(g);
                break;
            case 73:
                if (!attribute) vAlign = in_.Integer(g);
                break;
            case 74:
                if (attribute) vAlign = in_.Integer(g);
                break;
            case 70:
                flags = in_.Integer(g);
                break;
            default:
                break;
            }
        }
        if (attribute && (flags & 1)) return; // an invisible attribute
        s.text = PlainText(s.text, false);
        s.align = 0;
        if (hAlign == 1 || hAlign == 4) s.align = 1;
        if (hAlign == 2) s.align = 2;
        // The second point is the reference of every alignment but left on the base line.
        if (haveSecond && ((hAlign != 0 && hAlign != 3 && hAlign != 5) || vAlign != 0)) s.a = s.b;
        Deliver(s, true);
    }

    void MText(Shape& s) {
        s.kind = Shape::Text;
        s.a = Origin;
        s.height = 0;
        s.angle = 0;
        std::string raw;
        Point3 direction{1, 0, 0};
        bool haveDirection = false;
        long long attachment = 1;
        Group g;
        while (Body(g, section_)) {
            if (Common(g, s.style) || Coordinate(g, 10, s.a)) continue;
            if (Coordinate(g, 11, direction)) {
                haveDirection = true;
                continue;
            }
            switch (g.Code) {
            case 1:
            case 3:
                raw += decoder_.Decode(g.Text);
                break;
            case 40:
                s.height = in_.Real(g);
                break;
            case 50:
                s.angle = in_.Real(g);
                break;
            case 71:
                attachment = in_.Integer(g);
                break;
            default:
                break;
            }
        }
        if (haveDirection && (direction.x != 0 || direction.y != 0))
            s.angle = std::atan2(direction.y, direction.x) / DegToRad;
        s.text = PlainText(raw, true);
        s.align = attachment >= 1 && attachment <= 9 ? int((attachment - 1) % 3) : 0;
        // MTEXT places its insertion point in world coordinates.
        extrusion_ = WorldZAxis;
        Deliver(s, false);
    }

    void Insert(Shape& s) {
        s.kind = Shape::Insert;
        s.a = Origin;
        s.text.clear();
        s.scale = {1, 1, 1};
        s.columns = s.rows = 1;
        s.columnSpacing = s.rowSpacing = 0;
        double rotation = 0;
        bool attributesFollow = false;
        Group g;
        while (Body(g, section_)) {
            if (Common(g, s.style) || Coordinate(g, 10, s.a)) continue;
            switch (g.Code) {
            case 2:
                s.text = std::string(g.Text);
                break;
            case 41:
                s.scale.x = in_.Real(g);
                break;
            case 42:
                s.scale.y = in_.Real(g);
                break;
            case 43:
                s.scale.z = in_.Real(g);
                break;
            case 50:
                rotation = in_.Real(g) * DegToRad;
                break;
            case 70:
                s.columns = int(std::clamp<long long>(in_.Integer(g), 1, 1 << 20));
                break;
            case 71:
                s.rows = int(std::clamp<long long>(in_.Integer(g), 1, 1 << 20));
                break;
            case 44:
                s.columnSpacing = in_.Real(g);
                break;
            case 45:
                s.rowSpacing = in_.Real(g);
                break;
            case 66:
                attributesFollow = in_.Integer(g) != 0;
                break;
            default:
                break;
            }
        }
        s.placement = Affine::RotationZ(rotation).Then(Affine::Translation(s.a));
        Shape insert = s;
        const bool paper = paperSpace_;
        const Point3 extrusion = extrusion_;
        // The attributes' values are texts of the drawing, placed already.
        if (attributesFollow) {
            while (in_.Peek(g) && g.Code == 0 && Is(g.Text, "ATTRIB")) {
                in_.Next(g);
                Entity("ATTRIB", block_, section_);
            }
            if (in_.Peek(g) && g.Code == 0 && Is(g.Text, "SEQEND")) {
                in_.Next(g);
                while (Body(g, section_)) {
                }
            }
        }
        paperSpace_ = paper;
        extrusion_ = extrusion;
        Deliver(insert, true);
    }

    void Ellipse(Shape& s) {
        Point3 centre, major;
        double ratio = 1, t0 = 0, t1 = 2 * std::numbers::pi;
        Group g;
        while (Body(g, section_)) {
            if (Common(g, s.style) || Coordinate(g, 10, centre) || Coordinate(g, 11, major))
                continue;
            if (g.Code == 40) ratio = in_.Real(g);
            if (g.Code == 41) t0 = in_.Real(g);
            if (g.Code == 42) t1 = in_.Real(g);
        }
        s.kind = Shape::Polyline;
        s.points = dxf::EllipsePoints(centre, major, ratio, t0, t1, extrusion_, s.closed);
        extrusion_ = WorldZAxis; // the points are in world coordinates
        if (s.points.size() < 2) {
            Skip("ELLIPSE of no size");
            return;
        }
        Deliver(s, false);
    }

    void Spline(Shape& s) {
        long long degree = 3, flags = 0;
        std::vector<double> knots, weights;
        std::vector<Point3> controls, fits;
        Group g;
        while (Body(g, section_)) {
            if (Common(g, s.style)) continue;
            switch (g.Code) {
            case 70:
                flags = in_.Integer(g);
                break;
            case 71:
                degree = in_.Integer(g);
                break;
            case 40:
                knots.push_back(in_.Real(g));
                break;
            case 41:
                weights.push_back(in_.Real(g));
                break;
            case 10:
                controls.push_back({in_.Real(g), 0, 0});
                break;
            case 20:
                if (!controls.empty()) controls.back().y = in_.Real(g);
                break;
            case 30:
                if (!controls.empty()) controls.back().z = in_.Real(g);
                break;
            case 11:
                fits.push_back({in_.Real(g), 0, 0});
                break;
            case 21:
                if (!fits.empty()) fits.back().y = in_.Real(g);
                break;
            case 31:
                if (!fits.empty()) fits.back().z = in_.Real(g);
                break;
            default:
                break;
            }
        }
        s.kind = Shape::Polyline;
        s.points = dxf::SplinePoints(int(std::clamp<long long>(degree, 0, 99)), knots, controls,
                                     (flags & 4) ? weights : std::vector<double>{});
        // Without a usable definition the fit points, or else the control frame, stand in.
        if (s.points.size() < 2) s.points = fits.size() >= 2 ? fits : controls;
        s.closed = false;
        extrusion_ = WorldZAxis;
        if (s.points.size() < 2) {
            Skip("SPLINE without points");
            return;
        }
        Deliver(s, false);
    }

    void Face(Shape& s, bool face3d) {
        Point3 corners[4];
        bool haveFourth = false;
        Group g;
        while (Body(g, section_)) {
            if (Common(g, s.style)) continue;
            for (int k = 0; k < 4; ++k)
                if (Coordinate(g, 10 + k, corners[k]) && k == 3) haveFourth = true;
        }
        if (!haveFourth) corners[3] = corners[2];
        s.kind = Shape::Polyline;
        s.closed = true;
        // SOLID and TRACE go round their corners as 1, 2, 4, 3.
        const int order[4] = {0, 1, face3d ? 2 : 3, face3d ? 3 : 2};
        for (int k : order)
            if (s.points.empty() || !PointsEqual(s.points.back(), corners[k]))
                s.points.push_back(corners[k]);
        if (s.points.size() > 2 && PointsEqual(s.points.front(), s.points.back()))
            s.points.pop_back();
        if (face3d) extrusion_ = WorldZAxis;
        Deliver(s, !face3d);
    }

    // ---- placing shapes ---------------------------------------------------------------

    // An entity read: into the block being read, or into the drawing. ocs: the entity's
    // coordinates are in its object coordinate system.
    void Deliver(Shape& s, bool ocs) {
        if (paperSpace_ && !block_) {
            Skip("in paper space");
            return;
        }
        if (ocs && !PointsEqual(extrusion_, WorldZAxis))
            Transform(s, Affine::FromExtrusion(extrusion_));
        if (block_) {
            block_->shapes.push_back(s);
            return;
        }
        if (s.kind == Shape::Insert) {
            if (!blocks_.contains(s.text)) {
                pendingInserts_.push_back(s); // blocks after the entities, as a few files have
                return;
            }
            Explode(s, nullptr, 0);
            return;
        }
        Emit(s, nullptr);
    }

    void Transform(Shape& s, const Affine& m) {
        switch (s.kind) {
        case Shape::Point:
            s.a = m.Apply(s.a);
            return;
        case Shape::Line:
            s.a = m.Apply(s.a);
            s.b = m.Apply(s.b);
            return;
        case Shape::Polyline:
            for (auto& p : s.points) p = m.Apply(p);
            return;
        case Shape::Circle:
        case Shape::Arc:
            if (m.IsSimilarityXY()) {
                const Point3 c = m.Apply(s.a);
                if (s.kind == Shape::Arc) {
                    const auto angleOf = [&](double a) {
                        const Point3 p = m.Apply({s.a.x + s.radius * std::cos(a),
                                                  s.a.y + s.radius * std::sin(a), s.a.z});
                        return std::atan2(p.y - c.y, p.x - c.x);
                    };
                    const double a0 = angleOf(s.start), a1 = angleOf(s.end);
                    const bool mirrored = m.DeterminantXY() < 0;
                    s.start = mirrored ? a1 : a0;
                    s.end = mirrored ? a0 : a1;
                }
                s.a = c;
                s.radius *= m.ScaleXY();
                return;
            }
            {
                const bool circle = s.kind == Shape::Circle;
                s.points = circle ? dxf::ArcPoints(s.a, s.radius, 0, 2 * std::numbers::pi)
                                  : dxf::ArcPoints(s.a, s.radius, s.start, s.end);
                if (circle && !s.points.empty()) s.points.pop_back();
                s.closed = circle;
                s.kind = Shape::Polyline;
                for (auto& p : s.points) p = m.Apply(p);
            }
            return;
        case Shape::Text: {
            const Point3 up = m.ApplyLinear({0, 1, 0});
            s.a = m.Apply(s.a);
            s.height *= std::hypot(up.x, up.y);
            const Point3 dir =
                m.ApplyLinear({std::cos(s.angle * DegToRad), std::sin(s.angle * DegToRad), 0});
            s.angle = std::atan2(dir.y, dir.x) / DegToRad;
            return;
        }
        case Shape::Insert:
            s.placement = s.placement.Then(m);
            return;
        }
    }

    void Explode(const Shape& insert, const Inherited* outer, int depth) {
        const auto found = blocks_.find(insert.text);
        if (found == blocks_.end()) {
            Skip("INSERT of a missing block");
            return;
        }
        if (depth >= MaxNesting)
            in_.Fail("blocks nested deeper than " + std::to_string(MaxNesting) +
                     " levels, or a block that inserts itself");
        const Block& block = found->second;
        // Refuse before making anything when the insert would expand beyond the limit.
        const std::size_t cells = std::size_t(insert.rows) * std::size_t(insert.columns);
        const std::size_t each = ExpandedSize(found->first, block, 0);
        if (each > 0 && (cells > MaxEntities || each * cells > MaxEntities - emitted_)) TooMany();
        const Inherited here = Resolve(insert.style, outer);
        const Affine local =
            Affine::Translation({-block.base.x, -block.base.y, -block.base.z})
                .Then(Affine::Scaling(insert.scale.x, insert.scale.y, insert.scale.z));
        for (int r = 0; r < insert.rows; ++r) {
            for (int c = 0; c < insert.columns; ++c) {
                const Affine cell = local
                                        .Then(Affine::Translation(
                                            {c * insert.columnSpacing, r * insert.rowSpacing, 0}))
                                        .Then(insert.placement);
                for (const Shape& original : block.shapes) {
                    if (emitted_ >= MaxEntities) TooMany();
                    Shape s = original;
                    Transform(s, cell);
                    if (s.kind == Shape::Insert)
                        Explode(s, &here, depth + 1);
                    else
                        Emit(s, &here);
                }
            }
        }
    }

    // The entities a block expands to, saturating beyond MaxEntities; remembered.
    std::size_t ExpandedSize(const std::string& name, const Block& block, int depth) {
        const auto known = expandedSize_.find(name);
        if (known != expandedSize_.end()) return known->second;
        if (depth >= MaxNesting)
            in_.Fail("blocks nested deeper than " + std::to_string(MaxNesting) +
                     " levels, or a block that inserts itself");
        std::size_t total = 0;
        for (const Shape& s : block.shapes) {
            std::size_t n = 1;
            if (s.kind == Shape::Insert) {
                const auto child = blocks_.find(s.text);
                n = child == blocks_.end() ? 0
                                           : ExpandedSize(child->first, child->second, depth + 1);
                const std::size_t cells = std::size_t(s.rows) * std::size_t(s.columns);
                n = (n > 0 && cells > (MaxEntities + 1) / n) ? MaxEntities + 1 : n * cells;
            }
            total = std::min(total + n, MaxEntities + 1);
        }
        expandedSize_.emplace(name, total);
        return total;
    }

    Inherited Resolve(const Style& style, const Inherited* outer) const {
        Inherited r;
        r.Layer = style.Layer;
        if (outer && style.Layer == 0) r.Layer = outer->Layer; // layer "0" takes the insert's
        const LayerInfo& layer = layers_[std::size_t(r.Layer)];
        switch (style.From) {
        case ColourFrom::Layer:
            r.Rgb = layer.Rgb;
            break;
        case ColourFrom::Block:
            r.Rgb = outer ? outer->Rgb : 0;
            break;
        case ColourFrom::Own:
            r.Rgb = style.Rgb;
            break;
        }
        r.LineType = style.LineType == LineTypeByLayer   ? layer.LineType
                     : style.LineType == LineTypeByBlock ? (outer ? outer->LineType : 0)
                                                         : style.LineType;
        return r;
    }

    void Emit(Shape& s, const Inherited* outer) {
        if (++emitted_ > MaxEntities) TooMany();
        const Inherited look = Resolve(s.style, outer);
        const auto pen = std::uint8_t(look.LineType);
        const auto clear = std::uint8_t(platform::BrushStyle::Clear);
        std::unique_ptr<DXF_Entity> entity;
        switch (s.kind) {
        case Shape::Point:
            entity = std::make_unique<Point_>(WorldZAxis, s.a, 1, pen, 0);
            break;
        case Shape::Line:
            entity = std::make_unique<Line_>(s.a, s.b, 1, pen, 0);
            break;
        case Shape::Polyline:
            points_ += s.points.size();
            if (points_ > MaxPoints)
                in_.Fail("the drawing would have more than " + std::to_string(MaxPoints) +
                         " polyline points");
            entity = std::make_unique<Polyline_>(WorldZAxis, std::move(s.points), 1, pen, clear,
                                                 look.Rgb, 0, s.closed);
            break;
        case Shape::Circle:
            entity =
                std::make_unique<Circle_>(WorldZAxis, s.a, s.radius, 1, pen, clear, look.Rgb, 0);
            break;
        case Shape::Arc:
            entity = std::make_unique<Arc_>(WorldZAxis, s.a, s.radius, s.start / DegToRad,
                                            s.end / DegToRad, 1, pen, clear, look.Rgb, 0);
            break;
        case Shape::Text:
            entity =
                std::make_unique<Text_>(WorldZAxis, s.a, s.text, TextFont,
                                        s.height > 0 ? s.height : 2.5, s.angle * 10, 0, 0, s.align);
            break;
        case Shape::Insert:
            return;
        }
        entity->SetColor(look.Rgb);
        if (s.kind != Shape::Circle && s.kind != Shape::Arc && s.kind != Shape::Polyline)
            entity->FillColor = look.Rgb;
        LayerInfo& layer = layers_[std::size_t(look.Layer)];
        if (!layer.Target) layer.Target = drawing_.CreateLayer(layer.Name, true);
        layer.Target->AddEntity(std::move(entity));
        ++report_.Entities;
    }

    [[noreturn]] void TooMany() {
        in_.Fail("the drawing would have more than " + std::to_string(MaxEntities) +
                 " entities (its blocks are inserted too often)");
    }

    // ---- layers and counts ------------------------------------------------------------

    struct LayerInfo {
        std::string Name;
        Colour Rgb = 0;
        int LineType = 0;
        DXF_Layer* Target = nullptr;
    };

    int LayerByName(const std::string& name) {
        const auto found = layerIndex_.find(name);
        if (found != layerIndex_.end()) return found->second;
        layers_.push_back({name, 0, 0, nullptr});
        layerIndex_.emplace(name, int(layers_.size()) - 1);
        return int(layers_.size()) - 1;
    }

    // By the name as the file writes it; decoded once per name.
    int LayerOf(std::string_view raw) {
        const auto known = rawLayerIndex_.find(raw);
        if (known != rawLayerIndex_.end()) return known->second;
        const int index = LayerByName(raw.empty() ? std::string("0") : decoder_.Decode(raw));
        rawLayerIndex_.emplace(std::string(raw), index);
        return index;
    }

    void Skip(const std::string& what) {
        const auto found = skipIndex_.find(what);
        if (found != skipIndex_.end()) {
            ++report_.Skipped[found->second].second;
            return;
        }
        skipIndex_.emplace(what, report_.Skipped.size());
        report_.Skipped.emplace_back(what, 1);
    }

    static constexpr int ProgressEvery = 20000; // entities

    dxf::GroupReader in_;
    DXF_Object& drawing_;
    DxfReadReport& report_;
    const DxfProgress& progress_;
    std::size_t size_;
    int sinceProgress_ = 0;
    dxf::TextDecoder decoder_;
    std::vector<LayerInfo> layers_;
    std::unordered_map<std::string, int> layerIndex_;
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>()(s);
        }
    };
    std::unordered_map<std::string, int, NameHash, std::equal_to<>> rawLayerIndex_;
    std::map<std::string, Block> blocks_;
    std::vector<Shape> pendingInserts_;
    std::map<std::string, std::size_t> skipIndex_;
    std::map<std::string, std::size_t> expandedSize_;
    std::size_t emitted_ = 0, points_ = 0;

    // The entity being read.
    Shape scratch_;
    std::vector<double> bulges_;
    Block* block_ = nullptr;
    const char* section_ = "ENTITIES";
    Point3 extrusion_;
    bool paperSpace_ = false;
    bool trueColour_ = false;
};

} // namespace

std::size_t DxfReadReport::SkippedCount() const {
    std::size_t n = 0;
    for (const auto& [what, count] : Skipped) n += count;
    return n;
}

std::string DxfReadReport::SkippedText() const {
    std::string text;
    for (const auto& [what, count] : Skipped) {
        if (!text.empty()) text += ", ";
        text += std::to_string(count) + " " + what;
    }
    return text;
}

DxfReadReport ReadDXF(std::string_view bytes, const std::string& fileName, DXF_Object& drawing,
                      const DxfProgress& progress) {
    DxfReadReport report;
    DXF_Object read(drawing.Name);
    Reader(bytes, fileName, read, report, progress).Run();
    drawing.TakeAll(read);
    return report;
}

DxfReadReport LoadDXF(const std::string& fileName, DXF_Object& drawing,
                      const DxfProgress& progress) {
    const platform::MappedFile file(fileName);
    return ReadDXF(file.Bytes(), fileName, drawing, progress);
}

} // namespace drawing
