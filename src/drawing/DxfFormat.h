// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>

namespace drawing {

// One DXF group: the code, then the value, each on a line ended by CR LF.
void WriteDxfGroup(std::ostream& out, int code, const std::string& value);
void WriteDxfGroup(std::ostream& out, int code, long long value);
// Reals of DXF groups: FormatReal with "." as the separator whatever the locale, since a
// comma makes the file unreadable to other programs.
std::string FormatDxfReal(double x);
// The 23-character default notation of a 6-byte real: sign position (" " or "-"), one
// digit, ".", 14 digits, "E", exponent sign, 4 exponent digits. x is first reduced to the
// 40-bit mantissa of that real, so digits past about the 12th follow its rounding.
std::string FormatDefaultReal(double x);

} // namespace drawing
