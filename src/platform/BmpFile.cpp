// SPDX-License-Identifier: GPL-3.0-or-later
//
// Windows bitmap files. Layout: a 14-byte file header ("BM", file size, reserved, offset
// of the pixel data), an info header (12, 40, 52, 56, 108 or 124 bytes), an optional
// palette, then rows padded to four bytes, bottom-up when the height is positive.
// A 24-bit row has exactly the layout of a Bitmap24 row, so uncompressed 24-bit files
// are read with gathered reads straight into the raster (reversing the row order on the
// way), a band of rows from the top at a time so that a listener can follow: the cost is
// the read itself. Other depths are decoded by BmpPixels.cpp.

#include "platform/AtomicFile.h"
#include "platform/BmpPixels.h"
#include "platform/FileError.h"
#include "platform/InputFile.h"
#include "platform/RasterFiles.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr std::size_t FileHeaderSize = 14;

std::uint32_t U32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t U16(const unsigned char* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}
void Put32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void Put16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

struct BmpHeader {
    std::uint32_t dataOffset = 0;
    std::uint32_t infoSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows stored top-down
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
};

BmpHeader ReadHeader(InputFile& file, const std::string& name) {
    unsigned char head[FileHeaderSize + 16] = {};
    if (file.Size() < FileHeaderSize + 12) throw FileError(name, "not a bitmap file (too short)");
    file.ReadAt(0, head, sizeof head > file.Size() ? std::size_t(file.Size()) : sizeof head);
    if (head[0] != 'B' || head[1] != 'M') throw FileError(name, "not a bitmap file");
    BmpHeader h;
    h.dataOffset = U32(head + 10);
    h.infoSize = U32(head + 14);
    const unsigned char* info = head + FileHeaderSize;
    if (h.infoSize == 12) {
        h.width = U16(info + 4);
        h.height = U16(info + 6);
        h.planes = U16(info + 8);
        h.bitCount = U16(info + 10);
    } else if (h.infoSize >= 40 && h.infoSize <= 124) {
        if (file.Size() < FileHeaderSize + 40) throw FileError(name, "the file is truncated");
        unsigned char more[40];
        file.ReadAt(FileHeaderSize, more, sizeof more);
        h.width = std::int32_t(U32(more + 4));
        h.height = std::int32_t(U32(more + 8));
        h.planes = U16(more + 12);
        h.bitCount = U16(more + 14);
        h.compression = U32(more + 16);
        h.colorsUsed = U32(more + 32);
    } else {
        throw FileError(name, "unknown bitmap header");
    }
    if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN)
        throw FileError(name, "the bitmap has no pixels");
    if (!Bitmap24::SizeAcceptable(h.width, std::abs(h.height)))
        throw FileError(name, "the bitmap's size of " + std::to_string(h.width) + " × " +
                                  std::to_string(std::abs(h.height)) + " pixels is too large");
    if (h.planes != 1) throw FileError(name, "the bitmap header is damaged");
    return h;
}

// Stops a listener when it goes out of scope. Declared after the bitmap the listener
// follows, so that the listener stops before that bitmap can go.
struct ListenerStop {
    RowListener* listener;
    ~ListenerStop() {
        if (listener) listener->Stop();
    }
};

Bitmap24 Load24(InputFile& file, const BmpHeader& h, const std::string& name,
                RowListener* listener) {
    const int width = int(h.width);
    const int height = int(std::abs(h.height));
    const std::uint64_t rowBytes = (std::uint64_t(width) * 3 + 3) & ~std::uint64_t(3);
    const std::uint64_t need = std::uint64_t(h.dataOffset) + rowBytes * std::uint64_t(height);
    if (h.dataOffset < FileHeaderSize + h.infoSize || need > file.Size())
        throw FileError(name, "the file is truncated");

    Bitmap24 bitmap(width, height);
    if (bitmap.BytesPerLine() != rowBytes) throw FileError(name, "unexpected row layout");
    const ListenerStop stop{listener};
    if (listener) listener->Rows(bitmap, 0);
    // A bottom-up file keeps the top band at its end.
    constexpr int Band = 256;
    std::vector<iovec> rows;
    for (int top = 0; top < height; top += Band) {
        const int end = std::min(height, top + Band);
        rows.clear();
        std::uint64_t offset = h.dataOffset;
        if (h.height < 0) {
            rows.push_back({bitmap.ScanLine(top), std::size_t(rowBytes) * std::size_t(end - top)});
            offset += rowBytes * std::uint64_t(top);
        } else {
            for (int y = end - 1; y >= top; --y)
                rows.push_back({bitmap.ScanLine(y), std::size_t(rowBytes)});
            offset += rowBytes * std::uint64_t(height - end);
        }
        file.ReadAt(offset, rows);
        if (listener) listener->Rows(bitmap, end);
    }
    if (listener) listener->Stop(); // before the bitmap can move
    return bitmap;
}

// The palette and bit masks that follow the info header, then the pixel data through the
// decoder of the other depths.
Bitmap24 LoadOther(InputFile& file, const BmpHeader& h, const std::string& name) {
    BmpLayout layout;
    layout.width = int(h.width);
    layout.height = int(std::abs(h.height));
    layout.topDown = h.height < 0;
    layout.bitCount = h.bitCount;
    layout.compression = h.compression;
    const bool masked = h.compression == 3;
    if ((masked && h.bitCount != 16 && h.bitCount != 32) ||
        (h.compression == 1 && h.bitCount != 8) || (h.compression == 2 && h.bitCount != 4) ||
        h.compression > 3)
        throw FileError(name, "unsupported bitmap compression " + std::to_string(h.compression) +
                                  " at " + std::to_string(h.bitCount) + " bits");
    std::uint64_t after = FileHeaderSize + h.infoSize; // palette or masks start here
    if (masked) {
        // Headers of 52 bytes and more hold the masks; the 40-byte one has them after it.
        unsigned char m[12];
        const std::uint64_t at = FileHeaderSize + 40;
        if (at + sizeof m > file.Size()) throw FileError(name, "the file is truncated");
        file.ReadAt(at, m, sizeof m);
        layout.masks = {U32(m), U32(m + 4), U32(m + 8)};
        if (h.infoSize == 40) after += 12;
    }
    if (h.bitCount <= 8) {
        const std::size_t entry = h.infoSize == 12 ? 3 : 4;
        std::size_t count = std::size_t(1) << h.bitCount;
        if (h.colorsUsed > 0 && h.colorsUsed < count) count = h.colorsUsed;
        // The palette lies between the headers and the pixels; a short one is cut there.
        if (h.dataOffset < after) throw FileError(name, "the bitmap header is damaged");
        count = std::min<std::uint64_t>(count, (h.dataOffset - after) / entry);
        std::vector<unsigned char> raw(count * entry);
        if (after + raw.size() > file.Size()) throw FileError(name, "the file is truncated");
        file.ReadAt(after, raw.data(), raw.size());
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* p = raw.data() + i * entry;
            layout.palette.push_back(MakeColour(p[2], p[1], p[0]));
        }
    }
    if (h.dataOffset < after || h.dataOffset >= file.Size())
        throw FileError(name, "the bitmap's pixel data lies outside the file");
    const std::uint64_t available = file.Size() - h.dataOffset;
    const std::uint64_t need = UncompressedBytes(layout);
    if (need > available) throw FileError(name, "the file is truncated");
    std::vector<std::uint8_t> data(std::size_t(need > 0 ? need : available));
    file.ReadAt(h.dataOffset, data.data(), data.size());
    return DecodeBmpPixels(layout, data.data(), data.size(), name);
}

} // namespace

Bitmap24 LoadBmp(const std::string& fileName, RowListener* listener) {
    const ListenerStop stop{listener}; // whichever way this returns
    InputFile file(fileName);
    const BmpHeader header = ReadHeader(file, fileName);
    if (header.bitCount == 24 && header.compression == 0)
        return Load24(file, header, fileName, listener);
    switch (header.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        throw FileError(fileName,
                        "unsupported bitmap depth of " + std::to_string(header.bitCount) + " bits");
    }
    Bitmap24 bitmap = LoadOther(file, header, fileName);
    if (listener) { // decoded as a whole
        const ListenerStop stopBeforeTheMove{listener};
        listener->Rows(bitmap, bitmap.Height());
    }
    return bitmap;
}

void SaveBmp(const std::string& fileName, const Bitmap24& bitmap) {
    if (bitmap.IsEmpty()) throw FileError(fileName, "the raster is empty");
    const std::uint64_t width = std::uint64_t(bitmap.Width());
    const std::uint64_t height = std::uint64_t(bitmap.Height());
    const std::uint64_t rowData = 3 * width;
    const std::uint64_t rowBytes = (rowData + 3) & ~std::uint64_t(3);
    const std::uint64_t imageBytes = rowBytes * height;
    const std::uint64_t fileBytes = FileHeaderSize + 40 + imageBytes;
    if (fileBytes > UINT32_MAX)
        throw FileError(fileName, "the raster is too large for a bitmap file");

    unsigned char header[FileHeaderSize + 40] = {};
    header[0] = 'B';
    header[1] = 'M';
    Put32(header + 2, std::uint32_t(fileBytes));
    Put32(header + 10, FileHeaderSize + 40);
    unsigned char* info = header + FileHeaderSize;
    Put32(info, 40);
    Put32(info + 4, std::uint32_t(width));
    Put32(info + 8, std::uint32_t(height));
    Put16(info + 12, 1);
    Put16(info + 14, 24);
    Put32(info + 20, std::uint32_t(imageBytes));

    // Pixel bytes straight from the rows; the padding is written as zeros so that no
    // stray memory ends up in the file.
    static const unsigned char zeros[4] = {};
    const std::size_t pad = std::size_t(rowBytes - rowData);
    std::vector<iovec> pieces;
    pieces.reserve(1 + std::size_t(height) * (pad ? 2 : 1));
    pieces.push_back({header, sizeof header});
    for (int y = int(height) - 1; y >= 0; --y) {
        pieces.push_back({const_cast<std::uint8_t*>(bitmap.ScanLine(y)), std::size_t(rowData)});
        if (pad) pieces.push_back({const_cast<unsigned char*>(zeros), pad});
    }
    AtomicFile out(fileName);
    out.WriteVector(pieces.data(), int(pieces.size()));
    out.Commit();
}

} // namespace platform
