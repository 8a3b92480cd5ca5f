// SPDX-License-Identifier: GPL-3.0-or-later
//
// A whole DXF file around the entity records, in the R12 form (AC1009) that every CAD
// program reads: HEADER ($ACADVER, $DWGCODEPAGE ANSI_1252, $INSBASE, $EXTMIN, $EXTMAX),
// TABLES (LTYPE with the line types the entities use, LAYER with each layer's colour,
// STYLE with STANDARD), an empty BLOCKS section, ENTITIES, EOF.
//
// Entities are written through their own records (EntityDXF.cpp) in the whole-file
// flavour: reals exactly, texts for Windows-1252 with \U+XXXX beyond it, control
// characters in caret notation. Colours are ACI numbers (DxfColours.h): the nearest to
// the entity's colour, black as 7. Pen styles become the line types CONTINUOUS, DASHED,
// DOT, DASHDOT and DIVIDE. Entities with a coordinate that is not a finite number are
// left out and counted. Units are map units, unchanged.
//
// Cost: two passes over the selection (one to collect layers, line types and bounds,
// one to write); the bytes go to the file in pieces of about 1 MB.

#include "drawing/DxfFile.h"

#include "drawing/DxfColours.h"
#include "drawing/DxfFormat.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <set>
#include <string_view>
#include <unordered_set>

namespace drawing {

namespace {

struct LineType {
    const char* Name;
    const char* Description;
    std::array<double, 6> Pattern; // dash lengths; negative: gaps; 0: dots
    int Elements;
};

// By pen style 0..5 (5, the clear pen, has no DXF counterpart and draws continuous).
constexpr LineType LineTypes[] = {
    {"CONTINUOUS", "Solid line", {}, 0},
    {"DASHED", "__ __ __ __", {0.5, -0.25}, 2},
    {"DOT", ". . . . . .", {0, -0.25}, 2},
    {"DASHDOT", "__ . __ . __", {0.5, -0.25, 0, -0.25}, 4},
    {"DIVIDE", "__ . . __ . .", {0.5, -0.25, 0, -0.25, 0, -0.25}, 6},
    {"CONTINUOUS", "Solid line", {}, 0},
};

int LineTypeOf(std::uint8_t penStyle) {
    return penStyle < 5 ? penStyle : 0;
}

// Streams groups into the file a large piece at a time.
class Output {
public:
    explicit Output(std::function<void(const std::string&)> flush) : flush_(std::move(flush)) {
        bytes_.reserve(Piece + (1 << 16));
    }
    DxfGroupWriter& W() { return writer_; }
    void MaybeFlush() {
        if (bytes_.size() >= Piece) Flush();
    }
    void Flush() {
        flush_(bytes_);
        bytes_.clear();
    }

private:
    static constexpr std::size_t Piece = 1 << 20;
    std::string bytes_;
    DxfGroupWriter writer_{bytes_, DxfGroupWriter::Flavour::WholeFile};
    std::function<void(const std::string&)> flush_;
};

void Section(DxfGroupWriter& w, const char* name) {
    w.Keyword(0, "SECTION");
    w.Keyword(2, name);
}

void HeaderVariable(DxfGroupWriter& w, const char* name) {
    w.Keyword(9, name);
}

void Write(const selection_lists& selection, Output& out, DxfWriteReport& report) {
    // First pass: which layers and line types are used, and the extent.
    std::set<std::string> layers{"0"};
    std::vector<std::pair<std::string, std::int32_t>> layerRows{{"0", 7}};
    bool lineTypeUsed[5] = {true, false, false, false, false};
    Point3 max{-1e300, -1e300, -1e300}, min{1e300, 1e300, 1e300};
    std::unordered_set<const DXF_Entity*> notFinite; // rare: looked up only when there are any
    for (const Entity_List* list : selection.Lists) {
        const std::string name = DxfLayerName(list->Layer ? list->Layer->Name : std::string());
        if (layers.insert(name).second)
            layerRows.emplace_back(
                name, dxf::NearestAci(PaletteColour(list->Layer ? list->Layer->LayerColor : 0)));
        for (const auto& entity : list->Entities) {
            if (!entity->IsFinite()) {
                notFinite.insert(entity.get());
                continue;
            }
            lineTypeUsed[LineTypeOf(entity->PenStyle)] = true;
            entity->ExtendBounds(max, min);
        }
    }
    if (!(min.x <= max.x) || !std::isfinite(min.x) || !std::isfinite(max.x)) min = max = Origin;

    DxfGroupWriter& w = out.W();
    Section(w, "HEADER");
    HeaderVariable(w, "$ACADVER");
    w.Keyword(1, "AC1009");
    HeaderVariable(w, "$DWGCODEPAGE");
    w.Keyword(3, "ANSI_1252");
    HeaderVariable(w, "$INSBASE");
    w.Point(10, Origin);
    HeaderVariable(w, "$EXTMIN");
    w.Point(10, min);
    HeaderVariable(w, "$EXTMAX");
    w.Point(10, max);
    w.Keyword(0, "ENDSEC");

    Section(w, "TABLES");
    w.Keyword(0, "TABLE");
    w.Keyword(2, "LTYPE");
    w.Int(70, std::count(std::begin(lineTypeUsed), std::end(lineTypeUsed), true));
    for (int i = 0; i < 5; ++i) {
        if (!lineTypeUsed[i]) continue;
        const LineType& t = LineTypes[i];
        w.Keyword(0, "LTYPE");
        w.Keyword(2, t.Name);
        w.Int(70, 0);
        w.Keyword(3, t.Description);
        w.Int(72, 65);
        w.Int(73, t.Elements);
        double length = 0;
        for (int k = 0; k < t.Elements; ++k) length += std::fabs(t.Pattern[std::size_t(k)]);
        w.Real(40, length);
        for (int k = 0; k < t.Elements; ++k) w.Real(49, t.Pattern[std::size_t(k)]);
    }
    w.Keyword(0, "ENDTAB");
    w.Keyword(0, "TABLE");
    w.Keyword(2, "LAYER");
    w.Int(70, std::int64_t(layerRows.size()));
    for (const auto& [name, colour] : layerRows) {
        w.Keyword(0, "LAYER");
        w.Text(2, name);
        w.Int(70, 0);
        w.Int(62, colour);
        w.Keyword(6, "CONTINUOUS");
    }
    w.Keyword(0, "ENDTAB");
    w.Keyword(0, "TABLE");
    w.Keyword(2, "STYLE");
    w.Int(70, 1);
    w.Keyword(0, "STYLE");
    w.Keyword(2, "STANDARD");
    w.Int(70, 0);
    w.Real(40, 0);
    w.Real(41, 1);
    w.Real(50, 0);
    w.Int(71, 0);
    w.Real(42, 2.5);
    w.Keyword(3, "txt");
    w.Keyword(4, "");
    w.Keyword(0, "ENDTAB");
    w.Keyword(0, "ENDSEC");
    Section(w, "BLOCKS");
    w.Keyword(0, "ENDSEC");

    Section(w, "ENTITIES");
    // Colours repeat: a small table remembers their numbers.
    struct Remembered {
        platform::Colour Colour = 0;
        int Aci = 7;
    };
    std::array<Remembered, 64> remembered{};
    for (const Entity_List* list : selection.Lists) {
        const std::string layer = DxfLayerName(list->Layer ? list->Layer->Name : std::string());
        for (const auto& entity : list->Entities) {
            if (!notFinite.empty() && notFinite.contains(entity.get())) {
                ++report.NotFinite;
                continue;
            }
            Remembered& r = remembered[(entity->Color * 2654435761u) >> 26];
            if (r.Colour != entity->Color) r = {entity->Color, dxf::NearestAci(entity->Color)};
            const int lineType = LineTypeOf(entity->PenStyle);
            entity->WriteDXFGroups(
                w, {layer, r.Aci, lineType == 0 ? std::string_view() : LineTypes[lineType].Name});
            ++report.Written;
            out.MaybeFlush();
        }
    }
    w.Keyword(0, "ENDSEC");
    w.Keyword(0, "EOF");
    out.Flush();
}

} // namespace

std::string DxfLayerName(const std::string& name) {
    if (name.empty()) return "0";
    std::string out = name;
    for (auto& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F ||
            std::string_view("<>/\\\":;?*|=`").find(c) != std::string_view::npos)
            c = '_';
    }
    return out;
}

DxfWriteReport SaveDXF(const std::string& fileName, const selection_lists& selection) {
    platform::AtomicFile file(fileName);
    DxfWriteReport report;
    Output out([&](const std::string& bytes) { file.Write(bytes.data(), bytes.size()); });
    Write(selection, out, report);
    file.Commit();
    return report;
}

std::string DxfFileBytes(const selection_lists& selection, DxfWriteReport* report) {
    std::string all;
    DxfWriteReport local;
    Output out([&](const std::string& bytes) { all += bytes; });
    Write(selection, out, report ? *report : local);
    return all;
}

} // namespace drawing
