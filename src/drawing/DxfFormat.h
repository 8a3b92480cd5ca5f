// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// DXF groups in the text form: the code as a decimal integer on one line, the value on
// the next, every line ended by CR LF.
//
// Two flavours share the entity record code:
//  - Entity records, as one entity writes itself: reals through FormatReal (7 significant
//    digits, 3 decimals), a text's angle in the 23-character default real notation,
//    texts byte for byte.
//  - Whole files, for other programs: reals in the shortest form that reads back to the
//    same double, so no coordinate loses precision; texts for a Windows-1252 file.
// In both, a control character in a text or name is written in caret notation, so a
// value can never break into further groups. Callers write finite reals only.

#include "drawing/Geometry.h"

#include <string>
#include <string_view>

namespace drawing {

class DxfGroupWriter {
public:
    enum class Flavour { EntityRecords, WholeFile };

    // Appends to out, which must outlive the writer.
    DxfGroupWriter(std::string& out, Flavour flavour) : out_(out), flavour_(flavour) {}
    Flavour GetFlavour() const { return flavour_; }
    bool WholeFile() const { return flavour_ == Flavour::WholeFile; }

    void Text(int code, std::string_view value);
    // A value of our own that needs no encoding (keywords, table names).
    void Keyword(int code, std::string_view value);
    void Int(int code, long long value);
    void Real(int code, double value);
    void Point(int code, const Point3& p); // code, code + 10, code + 20
    void Angle(int code, double degrees);  // a text's rotation

private:
    void Code(int code);
    void Line(std::string_view value);

    std::string& out_;
    Flavour flavour_;
};

// FormatReal, as entity records write reals (always with ".").
std::string FormatDxfReal(double x);

} // namespace drawing
