// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/RtvFormat.h"

#include <algorithm>
#include <cstring>

namespace drawing::rtv {

std::array<char, SignatureSize> Signature() {
    std::array<char, SignatureSize> s;
    s.fill(' ');
    s[0] = 56;
    const char text[] = "RTV2000-by Corvinhaldt Nov 20,1999";
    std::memcpy(s.data() + 1, text, sizeof text - 1);
    return s;
}

namespace {

template <typename T> void Put(std::uint8_t* block, std::size_t offset, T value) {
    std::memcpy(block + offset, &value, sizeof value);
}

template <typename T> T Get(const std::uint8_t* block, std::size_t offset) {
    T value;
    std::memcpy(&value, block + offset, sizeof value);
    return value;
}

} // namespace

void EncodeAttributes(const Attributes& a, std::uint8_t* block) {
    std::memset(block, 0, AttributesBlock);
    Put(block, 0, a.Color);
    Put(block, 4, a.PenWidth);
    Put(block, 6, a.PenStyle);
    Put(block, 8, a.FillColor);
    Put(block, 12, a.BrushStyle);
}

Attributes DecodeAttributes(const std::uint8_t* block) {
    return {Get<platform::Colour>(block, 0), Get<std::int16_t>(block, 4),
            Get<std::uint8_t>(block, 6), Get<platform::Colour>(block, 8),
            Get<std::uint8_t>(block, 12)};
}

void EncodeTextStyle(const TextStyle& s, std::uint8_t* block) {
    std::memset(block, 0, TextStyleBlock);
    EncodeShortText(s.FontName, block, TextBlock);
    Put(block, 256, s.Height);
    Put(block, 260, s.Color);
    Put(block, 264, s.FontStyle);
    Put(block, 268, s.Angle);
}

TextStyle DecodeTextStyle(const std::uint8_t* block) {
    // An angle (tenths of a degree) from a file is brought within one turn: the same
    // direction, and no arithmetic on it can overflow.
    return {DecodeShortText(block, TextBlock), Get<std::int32_t>(block, 256),
            Get<platform::Colour>(block, 260), Get<std::uint8_t>(block, 264),
            Get<std::int32_t>(block, 268) % 3600};
}

void EncodeShortText(const std::string& text, std::uint8_t* block, std::size_t blockSize) {
    const std::size_t n = std::min(text.size(), blockSize - 1);
    std::memset(block, 0, blockSize);
    block[0] = std::uint8_t(n);
    std::memcpy(block + 1, text.data(), n);
}

std::string DecodeShortText(const std::uint8_t* block, std::size_t available) {
    if (available == 0) return {};
    const std::size_t n = std::min<std::size_t>(block[0], available - 1);
    return std::string(reinterpret_cast<const char*>(block + 1), n);
}

} // namespace drawing::rtv
