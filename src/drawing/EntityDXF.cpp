// SPDX-License-Identifier: GPL-3.0-or-later
//
// DXF entity output. Each entity writes itself as group-code / value pairs in the text
// form of DXF: the code as a decimal integer on one line, the value on the next, every
// line ended by CR LF. Every entity starts with 0 <DXFName>, 8 <layer>, 62 <ColorIndex>
// and, when it has an object coordinate system, 210/220/230 <OCSAxis>; the class groups
// follow. Coordinates, radii, heights and arc angles (degrees) are FormatReal values
// with "."; a text's rotation (degrees) uses the 23-character default real notation.
// A polyline is a POLYLINE header with flag 70 (8, or 9 when closed), one VERTEX per
// vertex (70 = 32) and SEQEND; the header carries no point and no group 66.

#include "drawing/Circle_.h"
#include "drawing/DxfFormat.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/Text_.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <numbers>
#include <ostream>

namespace drawing {

void WriteDxfGroup(std::ostream& out, int code, const std::string& value) {
    // to_string ignores any locale imbued in the stream (no digit grouping).
    const std::string codeText = std::to_string(code);
    out.write(codeText.data(), std::streamsize(codeText.size()));
    out.write("\r\n", 2);
    out.write(value.data(), std::streamsize(value.size()));
    out.write("\r\n", 2);
}

void WriteDxfGroup(std::ostream& out, int code, long long value) {
    WriteDxfGroup(out, code, std::to_string(value));
}

std::string FormatDxfReal(double x) {
    return FormatReal(x);
}

std::string DXF_Entity::DXFName() const {
    std::string name = ClassName();
    if (!name.empty() && name.back() == '_') name.pop_back();
    for (auto& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

void DXF_Entity::WriteDXFPoint(std::ostream& out, int code, const Point3& p) const {
    WriteDxfGroup(out, code, FormatDxfReal(p.x));
    WriteDxfGroup(out, code + 10, FormatDxfReal(p.y));
    WriteDxfGroup(out, code + 20, FormatDxfReal(p.z));
}

void DXF_Entity::WriteDXF(std::ostream& out, const std::string& layerName) const {
    WriteDxfGroup(out, 0, DXFName());
    WriteDxfGroup(out, 8, layerName);
    WriteDxfGroup(out, 62, ColorIndex);
    if (OCSMatrix) WriteDXFPoint(out, 210, OCSAxis);
}

void Point_::WriteDXF(std::ostream& out, const std::string& layerName) const {
    DXF_Entity::WriteDXF(out, layerName);
    WriteDXFPoint(out, 10, Pos);
}

void Text_::WriteDXF(std::ostream& out, const std::string& layerName) const {
    DXF_Entity::WriteDXF(out, layerName);
    WriteDXFPoint(out, 10, Pos);
    WriteDxfGroup(out, 40, FormatDxfReal(Height));
    WriteDxfGroup(out, 50, platform::FormatReal48(Angle / 10));
    WriteDxfGroup(out, 1, TextString);
    if (Align != 0) {
        WriteDXFPoint(out, 11, Pos);
        WriteDxfGroup(out, 72, Align);
    }
}

void Line_::WriteDXF(std::ostream& out, const std::string& layerName) const {
    DXF_Entity::WriteDXF(out, layerName);
    WriteDXFPoint(out, 10, Pos);
    WriteDXFPoint(out, 11, EndPos);
}

void Circle_::WriteDXF(std::ostream& out, const std::string& layerName) const {
    DXF_Entity::WriteDXF(out, layerName);
    WriteDXFPoint(out, 10, Pos);
    WriteDxfGroup(out, 40, FormatDxfReal(Radius));
}

void Arc_::WriteDXF(std::ostream& out, const std::string& layerName) const {
    Circle_::WriteDXF(out, layerName);
    WriteDxfGroup(out, 50, FormatDxfReal(Angle1 * 180 / std::numbers::pi));
    WriteDxfGroup(out, 51, FormatDxfReal(Angle2 * 180 / std::numbers::pi));
}

void Polyline_::WriteDXF(std::ostream& out, const std::string& layerName) const {
    DXF_Entity::WriteDXF(out, layerName);
    WriteDxfGroup(out, 70, Closed ? 9 : 8);
    for (const auto& v : Vertices) {
        WriteDxfGroup(out, 0, "VERTEX");
        WriteDxfGroup(out, 70, 32);
        WriteDXFPoint(out, 10, v);
    }
    WriteDxfGroup(out, 0, "SEQEND");
}

} // namespace drawing
