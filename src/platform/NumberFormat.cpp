// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace platform {

namespace {

std::string NonFinite(double v) {
    if (std::isnan(v)) return "NAN";
    return v < 0 ? "-INF" : "INF";
}

std::string Scientific(double v, int significant) { // "d.ddde+XX"
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, significant - 1);
    return {buf, r.ptr};
}

std::string Fixed(double v, int decimals) {
    char buf[512]; // the largest double has 309 integer digits
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return {buf, r.ptr};
}

int ExponentOf(const std::string& scientific) {
    return std::atoi(scientific.c_str() + scientific.find('e') + 1);
}

// Drops trailing zeros of a fraction, and the point when nothing follows it.
std::string TrimFraction(std::string digits) {
    if (digits.find('.') == std::string::npos) return digits;
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
    return digits;
}

// "d.ddde+XX" as mantissa (trimmed or not), "E", the exponent's sign as asked and at
// least two digits.
std::string WithExponent(const std::string& scientific, bool trim, ExponentSign sign) {
    const std::size_t e = scientific.find('e');
    std::string mantissa = scientific.substr(0, e);
    if (trim) mantissa = TrimFraction(mantissa);
    const int exponent = ExponentOf(scientific);
    std::string digits = std::to_string(std::abs(exponent));
    if (digits.size() < 2) digits.insert(0, 1, '0');
    const char* prefix = exponent < 0 ? "E-" : sign == ExponentSign::Always ? "E+" : "E";
    return mantissa + prefix + digits;
}

} // namespace

std::int64_t Rnd(double v) {
    return std::int64_t(std::nearbyint(v));
}

std::int32_t Round(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        throw std::range_error("value out of the 32-bit integer range");
    return std::int32_t(r);
}

std::int32_t RoundClamped(double v) {
    if (std::isnan(v)) return 0;
    const double r = std::nearbyint(v);
    if (r <= -2147483648.0) return INT32_MIN;
    if (r >= 2147483647.0) return INT32_MAX;
    return std::int32_t(r);
}

std::string FormatGeneral(double v, int significant, ExponentSign sign) {
    if (!std::isfinite(v)) return NonFinite(v);
    if (v == 0) return "0";
    // The exponent is that of the value rounded to the significant digits.
    const std::string scientific = Scientific(v, significant);
    const int exponent = ExponentOf(scientific);
    if (exponent >= significant || exponent < -5) return WithExponent(scientific, true, sign);
    return TrimFraction(Fixed(v, significant - 1 - exponent));
}

std::string FormatFixed(double v, int decimals, int significant) {
    if (!std::isfinite(v)) return NonFinite(v);
    const std::string scientific = Scientific(v, significant);
    if (ExponentOf(scientific) >= significant)
        return WithExponent(scientific, true, ExponentSign::Always);
    double rounded = 0;
    std::from_chars(scientific.data(), scientific.data() + scientific.size(), rounded);
    return Fixed(rounded, decimals);
}

std::string FormatSignificant7(double v, int decimals) {
    if (!std::isfinite(v)) return NonFinite(v);
    const std::string scientific = Scientific(v, 7);
    const int exponent = ExponentOf(scientific);
    if (exponent >= 7) return WithExponent(scientific, false, ExponentSign::Always);
    const int integerDigits = exponent >= 0 ? exponent + 1 : 0;
    const int precision = std::min(decimals, 7 - integerDigits);
    std::string s = Fixed(v, precision);
    if (precision < decimals) {
        if (precision == 0) s += '.';
        s.append(std::size_t(decimals - precision), '0');
    }
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
    return s;
}

double ReduceToReal48(double v) {
    if (!std::isfinite(v) || v == 0) return v;
    int exponent = 0;
    const double mantissa = std::frexp(v, &exponent);
    v = std::ldexp(std::nearbyint(std::ldexp(mantissa, 40)), exponent - 40);
    return std::fabs(v) < 0x1p-129 ? 0 : v; // below the smallest 6-byte real
}

std::string FormatReal48(double v) {
    v = ReduceToReal48(v);
    if (!std::isfinite(v)) return std::isnan(v) ? " Nan" : (v < 0 ? "-Inf" : " Inf");
    const std::string s = Scientific(std::fabs(v), 15); // d.dddddddddddddde+XX
    const auto e = s.find('e');
    const std::size_t exponentDigits = s.size() - (e + 2);
    std::string result(1, std::signbit(v) && v != 0 ? '-' : ' ');
    result.append(s, 0, e);
    result += 'E';
    result += s[e + 1];
    if (exponentDigits < 4) result.append(4 - exponentDigits, '0');
    result.append(s, e + 2, std::string::npos);
    return result;
}

} // namespace platform
