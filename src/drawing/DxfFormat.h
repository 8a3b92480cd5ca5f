// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>

namespace drawing {

// One DXF group: the code, then the value, each on a line ended by CR LF.
void WriteDxfGroup(std::ostream& out, int code, const std::string& value);
void WriteDxfGroup(std::ostream& out, int code, long long value);
// Reals of DXF groups: FormatReal (always with ".", which other programs need).
std::string FormatDxfReal(double x);

} // namespace drawing
