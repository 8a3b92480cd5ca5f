// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BmpPixels.h"

#include "platform/FileError.h"

#include <bit>
#include <cstring>

namespace platform {

namespace {

std::uint64_t RowBytes(const BmpLayout& l) {
    return (std::uint64_t(l.width) * std::uint64_t(l.bitCount) + 31) / 32 * 4;
}

void Put(std::uint8_t* pixel, Colour c) {
    pixel[0] = BlueOf(c);
    pixel[1] = GreenOf(c);
    pixel[2] = RedOf(c);
}

// One channel of a masked pixel, scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0, bits = 0;
    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = std::popcount(m >> shift);
    }
    std::uint8_t operator()(std::uint32_t v) const {
        if (bits == 0) return 0;
        const std::uint32_t x = (v & mask) >> shift;
        if (bits >= 8) return std::uint8_t(x >> (bits - 8));
        // Repeat the bits downwards so that full scale stays full scale (5 bits: 31 → 255).
        std::uint32_t out = 0;
        for (int filled = 0; filled < 8; filled += bits) out = out << bits | x;
        return std::uint8_t(out >> (((8 + bits - 1) / bits) * bits - 8));
    }
};

Colour Indexed(const BmpLayout& l, unsigned index) {
    // An index past the palette shows black rather than reading past it.
    return index < l.palette.size() ? l.palette[index] : 0;
}

void DecodeRows(const BmpLayout& l, const std::uint8_t* data, Bitmap24& out) {
    const std::size_t rowBytes = std::size_t(RowBytes(l));
    std::array<std::uint32_t, 3> masks = l.masks;
    if (l.compression == 0 && l.bitCount == 16) masks = {0x7C00, 0x03E0, 0x001F};
    if (l.compression == 0 && l.bitCount == 32) masks = {0xFF0000, 0x00FF00, 0x0000FF};
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int row = 0; row < l.height; ++row) {
        const std::uint8_t* in = data + std::size_t(row) * rowBytes;
        std::uint8_t* px = out.ScanLine(l.topDown ? row : l.height - 1 - row);
        for (int x = 0; x < l.width; ++x, px += 3) {
            switch (l.bitCount) {
            case 1:
                Put(px, Indexed(l, in[x >> 3] >> (7 - (x & 7)) & 1));
                break;
            case 4:
                Put(px, Indexed(l, (x & 1) ? in[x >> 1] & 0x0F : in[x >> 1] >> 4));
                break;
            case 8:
                Put(px, Indexed(l, in[x]));
                break;
            case 16: {
                const std::uint32_t v = in[2 * x] | std::uint32_t(in[2 * x + 1]) << 8;
                px[0] = blue(v), px[1] = green(v), px[2] = red(v);
                break;
            }
            default: { // 32
                std::uint32_t v;
                std::memcpy(&v, in + 4 * std::size_t(x), 4);
                px[0] = blue(v), px[1] = green(v), px[2] = red(v);
                break;
            }
            }
        }
    }
}

// Run-length data, bottom-up: pairs (count, index) or escapes 0 0 end of line, 0 1 end of
// bitmap, 0 2 dx dy move, 0 n absolute run of n indices (padded to a 16-bit boundary).
void DecodeRunLength(const BmpLayout& l, const std::uint8_t* data, std::size_t size, Bitmap24& out,
                     const std::string& name) {
    for (int y = 0; y < out.Height(); ++y)
        std::memset(out.ScanLine(y), 0, 3 * std::size_t(l.width));
    const bool four = l.compression == 2;
    int x = 0, row = 0; // row counts up from the bottom
    const auto set = [&](unsigned index) {
        if (x < l.width && row < l.height)
            Put(out.ScanLine(l.height - 1 - row) + 3 * std::size_t(x), Indexed(l, index));
        ++x;
    };
    std::size_t i = 0;
    const auto need = [&](std::size_t n) {
        if (size - i < n) throw FileError(name, "the compressed bitmap data ends early");
    };
    for (;;) {
        need(2);
        const unsigned count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count; ++k)
                set(four ? ((k & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++row;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) {
            need(2);
            x += data[i];
            row += data[i + 1];
            i += 2;
        } else {
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            need(bytes);
            for (unsigned k = 0; k < value; ++k)
                set(four ? ((k & 1) ? data[i + k / 2] & 0x0F : data[i + k / 2] >> 4) : data[i + k]);
            i += bytes + (bytes & 1);
            if (i > size) i = size;
        }
        if (row > l.height) throw FileError(name, "the compressed bitmap data runs past its rows");
    }
}

} // namespace

std::uint64_t UncompressedBytes(const BmpLayout& layout) {
    if (layout.compression == 1 || layout.compression == 2) return 0;
    return RowBytes(layout) * std::uint64_t(layout.height);
}

Bitmap24 DecodeBmpPixels(const BmpLayout& l, const std::uint8_t* data, std::size_t size,
                         const std::string& name) {
    const bool runLength = l.compression == 1 || l.compression == 2;
    if (runLength) {
        if (l.topDown) throw FileError(name, "compressed bitmaps cannot be stored top-down");
        // A run-length stream cannot hold more than a few hundred pixels a byte in any real
        // picture; a claim beyond that is refused before a raster is allocated for it.
        if (std::uint64_t(l.width) * std::uint64_t(l.height) > 1024 * (std::uint64_t(size) + 64))
            throw FileError(name, "the compressed bitmap data is too short for its size");
    } else if (UncompressedBytes(l) > size) {
        throw FileError(name, "the file is truncated");
    }
    Bitmap24 out(l.width, l.height);
    if (runLength)
        DecodeRunLength(l, data, size, out, name);
    else
        DecodeRows(l, data, out);
    return out;
}

} // namespace platform
