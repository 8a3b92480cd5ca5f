// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/Dib.h"

#include "scan/Twain.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace scan {

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v; // the machine is little-endian, as the format
}

std::int32_t I32(const std::uint8_t* p) {
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::uint16_t U16(const std::uint8_t* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

// Colour of each index as blue | green << 8 | red << 16.
using ColourTable = std::array<std::uint32_t, 256>;

ColourTable ReadColourTable(const std::uint8_t* block, const DibLayout& layout) {
    ColourTable table{}; // past the table: black
    if (layout.bitsPerPixel > 8) return table;
    const std::uint32_t entries = 1u << layout.bitsPerPixel;
    if (layout.colourCount == 0) {
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint32_t grey = i * 255 / (entries - 1);
            table[i] = grey | grey << 8 | grey << 16;
        }
        return table;
    }
    const std::uint8_t* p = block + layout.headerSize;
    for (std::uint32_t i = 0; i < layout.colourCount; ++i, p += 4)
        table[i] = p[0] | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    return table;
}

inline void Put(std::uint8_t* d, std::uint32_t c) {
    d[0] = std::uint8_t(c);
    d[1] = std::uint8_t(c >> 8);
    d[2] = std::uint8_t(c >> 16);
}

// One row: count pixels from pixel first of src into dst (already at the first target pixel).
void ConvertRow(const std::uint8_t* src, int first, int count, int bits, const ColourTable& table,
                std::uint8_t* dst) {
    switch (bits) {
    case 24:
        std::memcpy(dst, src + 3 * std::size_t(first), 3 * std::size_t(count));
        break;
    case 32:
        src += 4 * std::size_t(first);
        for (int i = 0; i < count; ++i, src += 4, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
        break;
    case 8:
        src += first;
        for (int i = 0; i < count; ++i, dst += 3) Put(dst, table[src[i]]);
        break;
    case 4:
        for (int i = first; i < first + count; ++i, dst += 3)
            Put(dst, table[(src[i >> 1] >> ((i & 1) ? 0 : 4)) & 0x0f]);
        break;
    case 1:
        for (int i = first; i < first + count; ++i, dst += 3)
            Put(dst, table[(src[i >> 3] >> (7 - (i & 7))) & 1]);
        break;
    }
}

} // namespace

std::int32_t DibWidthField(const std::uint8_t* block, std::size_t size) {
    return block && size >= dib::WidthOffset + 4 ? I32(block + dib::WidthOffset) : 0;
}

std::int32_t DibHeightField(const std::uint8_t* block, std::size_t size) {
    return block && size >= dib::HeightOffset + 4 ? I32(block + dib::HeightOffset) : 0;
}

DibLayout ReadDibLayout(const std::uint8_t* block, std::size_t size) {
    if (!block || size < dib::HeaderSize)
        throw DibError("the image is " + std::to_string(size) +
                       " bytes long, too short for its header");
    DibLayout layout;
    layout.headerSize = U32(block);
    if (layout.headerSize < dib::HeaderSize || layout.headerSize > size)
        throw DibError("the image header size " + std::to_string(layout.headerSize) +
                       " is not valid");
    const std::int64_t width = I32(block + dib::WidthOffset);
    const std::int64_t height = I32(block + dib::HeightOffset);
    layout.bitsPerPixel = U16(block + dib::BitCountOffset);
    const std::uint32_t compression = U32(block + dib::CompressionOffset);
    const std::uint32_t coloursUsed = U32(block + dib::ClrUsedOffset);

    switch (layout.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
        break;
    default:
        throw DibError("images of " + std::to_string(layout.bitsPerPixel) +
                       " bits a pixel are not supported");
    }
    if (compression != dib::BI_RGB)
        throw DibError("compressed images and images with colour masks are not supported");
    const std::int64_t rows = height < 0 ? -height : height;
    if (width <= 0 || rows == 0 || !platform::Bitmap24::SizeAcceptable(width, rows))
        throw DibError("an image of " + std::to_string(width) + " × " + std::to_string(height) +
                       " pixels cannot be taken into the raster");
    layout.width = int(width);
    layout.height = int(rows);
    layout.bottomUp = height > 0;

    // Colour table: "colours used" entries, else one for each pixel value; none past 256.
    std::uint64_t count = coloursUsed != 0            ? coloursUsed
                          : layout.bitsPerPixel >= 32 ? std::uint64_t(1) << 32
                                                      : std::uint64_t(1) << layout.bitsPerPixel;
    if (count > 256) count = 0;
    layout.colourCount = std::uint32_t(count);
    const std::uint64_t bitsOffset = std::uint64_t(layout.headerSize) + 4 * count;
    if (bitsOffset > size)
        throw DibError("the colour table of " + std::to_string(count) +
                       " entries runs past the end of the image");
    layout.bitsOffset = std::size_t(bitsOffset);

    const std::uint64_t stride = (std::uint64_t(width) * layout.bitsPerPixel + 31) / 32 * 4;
    const std::uint64_t needed = stride * std::uint64_t(rows);
    if (needed > size - bitsOffset)
        throw DibError("the image holds " + std::to_string(size - bitsOffset) +
                       " bytes of pixels where its header needs " + std::to_string(needed));
    layout.stride = std::size_t(stride);
    return layout;
}

void PaintDib(const std::uint8_t* block, const DibLayout& layout, platform::Bitmap24& target, int x,
              int y, int width, int height, int sourceX, int sourceY) {
    // Clip the rectangle to the target and to the image, keeping the two in step.
    std::int64_t tx = x, ty = y, sx = sourceX, sy = sourceY, w = width, h = height;
    auto clipStart = [](std::int64_t& a, std::int64_t& b, std::int64_t& len) {
        const std::int64_t cut = std::max<std::int64_t>({0, -a, -b});
        a += cut;
        b += cut;
        len -= cut;
    };
    clipStart(tx, sx, w);
    clipStart(ty, sy, h);
    w = std::min({w, std::int64_t(target.Width()) - tx, std::int64_t(layout.width) - sx});
    h = std::min({h, std::int64_t(target.Height()) - ty, std::int64_t(layout.height) - sy});
    if (w <= 0 || h <= 0) return;

    const ColourTable table = ReadColourTable(block, layout);
    target.EndPainting();
    for (std::int64_t row = 0; row < h; ++row) {
        const std::uint8_t* src = block + layout.RowOffset(int(sy + row));
        std::uint8_t* dst = target.ScanLine(int(ty + row)) + 3 * tx;
        ConvertRow(src, int(sx), int(w), layout.bitsPerPixel, table, dst);
    }
}

platform::Bitmap24 DibToBitmap(const std::uint8_t* block, std::size_t size) {
    const DibLayout layout = ReadDibLayout(block, size);
    platform::Bitmap24 bitmap(layout.width, layout.height);
    if (bitmap.IsEmpty()) throw std::bad_alloc();
    PaintDib(block, layout, bitmap, 0, 0, layout.width, layout.height, 0, 0);
    return bitmap;
}

} // namespace scan
