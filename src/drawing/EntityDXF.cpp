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
//
// The same records make up the entities of a whole DXF file (DxfFile.cpp), which passes
// its own colour number and line type and writes reals exactly; there the polyline also
// says that vertices follow (66) and every vertex names its layer, as CAD programs want.
// An entity with a coordinate that is not a finite number is never written: WriteDXF
// throws DXF_exception, and the file writer leaves such entities out and counts them.

#include "drawing/Circle_.h"
#include "drawing/DXF_exception.h"
#include "drawing/DxfFormat.h"
#include "drawing/DxfText.h"
#include "drawing/Line_.h"
#include "drawing/Polyline_.h"
#include "drawing/Text_.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <numbers>
#include <ostream>
#include <string>

namespace drawing {

void DxfGroupWriter::Code(int code) {
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, code);
    out_.append(buf, r.ptr);
    out_.append("\r\n", 2);
}

void DxfGroupWriter::Line(std::string_view value) {
    out_.append(value);
    out_.append("\r\n", 2);
}

void DxfGroupWriter::Text(int code, std::string_view value) {
    Code(code);
    if (dxf::NeedsNoEncoding(value))
        Line(value);
    else
        Line(WholeFile() ? dxf::EncodeForFile(value) : dxf::EscapeControls(value));
}

void DxfGroupWriter::Keyword(int code, std::string_view value) {
    Code(code);
    Line(value);
}

void DxfGroupWriter::Int(int code, long long value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    Code(code);
    Line({buf, std::size_t(r.ptr - buf)});
}

void DxfGroupWriter::Real(int code, double value) {
    Code(code);
    if (!WholeFile()) {
        Line(FormatDxfReal(value));
        return;
    }
    char buf[32];
    // Shortest round-trip form; "-0" would only puzzle readers.
    const auto r = std::to_chars(buf, buf + sizeof buf, value == 0 ? 0.0 : value);
    Line({buf, std::size_t(r.ptr - buf)});
}

void DxfGroupWriter::Point(int code, const Point3& p) {
    Real(code, p.x);
    Real(code + 10, p.y);
    Real(code + 20, p.z);
}

void DxfGroupWriter::Angle(int code, double degrees) {
    if (WholeFile()) {
        Real(code, degrees);
        return;
    }
    Code(code);
    Line(platform::FormatReal48(degrees));
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

bool DXF_Entity::IsFinite() const {
    return !OCSMatrix || FinitePoint(OCSAxis);
}

bool FinitePoint(const Point3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

void DXF_Entity::WriteDXFPoint(std::ostream& out, int code, const Point3& p) const {
    if (!FinitePoint(p)) throw DXF_exception(NotFiniteMessage);
    std::string bytes;
    DxfGroupWriter(bytes, DxfGroupWriter::Flavour::EntityRecords).Point(code, p);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

void DXF_Entity::WriteDXF(std::ostream& out, const std::string& layerName) const {
    if (!IsFinite()) throw DXF_exception(NotFiniteMessage);
    std::string bytes;
    DxfGroupWriter w(bytes, DxfGroupWriter::Flavour::EntityRecords);
    WriteDXFGroups(w, {layerName, ColorIndex, {}});
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

void DXF_Entity::WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const {
    w.Keyword(0, DXFName());
    w.Text(8, head.Layer);
    if (!head.LineType.empty()) w.Keyword(6, head.LineType);
    w.Int(62, head.Colour);
    if (OCSMatrix) w.Point(210, OCSAxis);
}

bool Point_::IsFinite() const {
    return DXF_Entity::IsFinite() && FinitePoint(Pos);
}

void Point_::WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const {
    DXF_Entity::WriteDXFGroups(w, head);
    w.Point(10, Pos);
}

bool Text_::IsFinite() const {
    return Point_::IsFinite() && std::isfinite(Height) && std::isfinite(Angle);
}

void Text_::WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const {
    DXF_Entity::WriteDXFGroups(w, head);
    w.Point(10, Pos);
    w.Real(40, Height);
    w.Angle(50, Angle / 10);
    w.Text(1, TextString);
    if (Align != 0) {
        w.Point(11, Pos);
        w.Int(72, Align);
    }
}

bool Line_::IsFinite() const {
    return Point_::IsFinite() && FinitePoint(EndPos);
}

void Line_::WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const {
    DXF_Entity::WriteDXFGroups(w, head);
    w.Point(10, Pos);
    w.Point(11, EndPos);
}

bool Circle_::IsFinite() const {
    return Point_::IsFinite() && std::isfinite(Radius);
}

void Circle_::WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const {
    DXF_Entity::WriteDXFGroups(w, head);
    w.Point(10, Pos);
    w.Real(40, Radius);
}

bool Arc_::IsFinite() const {
    return Circle_::IsFinite() && std::isfinite(Angle1) && std::isfinite(Angle2);
}

void Arc_::WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const {
    Circle_::WriteDXFGroups(w, head);
    w.Real(50, Angle1 * 180 / std::numbers::pi);
    w.Real(51, Angle2 * 180 / std::numbers::pi);
}

bool Polyline_::IsFinite() const {
    return DXF_Entity::IsFinite() && std::all_of(Vertices.begin(), Vertices.end(),
                                                 [](const Point3& v) { return FinitePoint(v); });
}

void Polyline_::WriteDXFGroups(DxfGroupWriter& w, const DxfEntityHead& head) const {
    DXF_Entity::WriteDXFGroups(w, head);
    if (w.WholeFile()) {
        // What every reader expects of a polyline header: vertices follow, and a point
        // whose z is the elevation.
        w.Int(66, 1);
        w.Point(10, Origin);
    }
    w.Int(70, Closed ? 9 : 8);
    for (const auto& v : Vertices) {
        w.Keyword(0, "VERTEX");
        if (w.WholeFile()) w.Text(8, head.Layer);
        w.Int(70, 32);
        w.Point(10, v);
    }
    w.Keyword(0, "SEQEND");
    if (w.WholeFile()) w.Text(8, head.Layer);
}

} // namespace drawing
