// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared layout of the RTV drawing file; see RtvWriter.cpp for the format.

#include "drawing/Geometry.h"
#include "platform/Colour.h"

#include <array>
#include <bit>
#include <cstdint>
#include <string>

namespace drawing::rtv {

static_assert(std::endian::native == std::endian::little,
              "RTV numbers are little-endian and are copied as they are");
static_assert(sizeof(Point3) == 24, "a point is stored as three doubles");

constexpr std::size_t SignatureSize = 50;
constexpr std::size_t HeaderSize = SignatureSize + 4;

// A length byte of 56, then the first 49 characters of the 56-character signature text.
std::array<char, SignatureSize> Signature();

enum Tag : char {
    LayerTag = '*',
    PointTag = 'P',
    LineTag = 'L',
    CircleTag = 'C',
    ArcTag = 'A',
    PolylineTag = 'O',
    TextTag = 'T',
    AttributesTag = '+',
    TextStyleTag = '-',
};

// Sizes of the short-text blocks (a length byte, the characters, zero padding).
constexpr std::size_t LayerNameBlock = 241; // up to 240 characters
constexpr std::size_t TextBlock = 256;      // up to 255 characters
constexpr std::size_t AttributesBlock = 16;
constexpr std::size_t TextStyleBlock = 272;
constexpr std::size_t VertexSize = 24;

// The pen and brush block of a '+' record.
struct Attributes {
    platform::Colour Color = 0;
    std::int16_t PenWidth = 1;
    std::uint8_t PenStyle = 0;
    platform::Colour FillColor = 0;
    std::uint8_t BrushStyle = 0;
    bool operator==(const Attributes&) const = default;
};

// The text style block of a '-' record.
struct TextStyle {
    std::string FontName = "Times New Roman"; // at most 255 characters
    std::int32_t Height = 12;                 // whole pixels
    platform::Colour Color = 0;
    std::uint8_t FontStyle = 0;
    std::int32_t Angle = 0; // tenths of a degree
    bool operator==(const TextStyle&) const = default;
};

void EncodeAttributes(const Attributes& a, std::uint8_t* block);
Attributes DecodeAttributes(const std::uint8_t* block);
void EncodeTextStyle(const TextStyle& s, std::uint8_t* block);
TextStyle DecodeTextStyle(const std::uint8_t* block);

// A short text of blockSize bytes holds at most blockSize - 1 characters; the rest is cut.
void EncodeShortText(const std::string& text, std::uint8_t* block, std::size_t blockSize);
// Reads at most `available` bytes of the block (never past it): a length byte claiming
// more characters than are there gives the characters that are.
std::string DecodeShortText(const std::uint8_t* block, std::size_t available);

} // namespace drawing::rtv
