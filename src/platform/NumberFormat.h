// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Numbers as the program shows and writes them. Every text here has "." as its decimal
// point whatever the user's locale: captions, descriptions and file contents must read
// the same on every machine, and other programs read our files. Everything is built on
// std::to_chars, which works on the exact binary value and never consults the locale.
//
// Rounding of reals to integers is to the nearest integer, ties to even.

#include <cstdint>
#include <string>

namespace platform {

// Nearest integer, ties to even, in 64 bits (NaN and overflow are the caller's concern).
std::int64_t Rnd(double v);
// Nearest integer, ties to even. Throws std::range_error when the result does not fit
// 32 bits (NaN included).
std::int32_t Round(double v);
// Like Round, but saturating (NaN gives 0): for drawing, where an absurd value must not
// stop a paint.
std::int32_t RoundClamped(double v);

// How the exponent of a scientific notation is written: "E+03" / "E-06", or "E03" / "E-06".
enum class ExponentSign { Always, NegativeOnly };

// General format: the value rounded to `significant` digits, in fixed notation with the
// trailing zeros of its fraction dropped ("1.43", "12", "0.00001"), or in scientific
// notation ("1.23E+03") when the rounded exponent is at least `significant` or below -5.
// The exponent has at least two digits. Zero is "0".
std::string FormatGeneral(double v, int significant, ExponentSign sign);

// Fixed notation with `decimals` decimals after rounding to `significant` digits
// ("12.346"); scientific with `significant` digits and a signed exponent when the integer
// part needs more than `significant` digits.
std::string FormatFixed(double v, int decimals, int significant);

// Rounded once, at 7 significant digits or at `decimals` decimals, whichever is coarser,
// and shown with exactly `decimals` decimals ("12.500", "12345.680"); scientific with 7
// digits ("1.234568E+07") from 7 integer digits up. Negative zero shows as zero.
std::string FormatSignificant7(double v, int decimals);

// The value kept to the 40-bit mantissa of a 6-byte real (to nearest), and zero below
// the smallest such real.
double ReduceToReal48(double v);
// The 23-character default notation of a 6-byte real: sign position (" " or "-"), one
// digit, ".", 14 digits, "E", exponent sign, 4 exponent digits (" 4.50000000000000E+0001").
std::string FormatReal48(double v);

} // namespace platform
