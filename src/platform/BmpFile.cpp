// SPDX-License-Identifier: GPL-3.0-or-later
//
// Windows bitmap files. Layout: a 14-byte file header ("BM", file size, reserved, offset
// of the pixel data), an info header (12, 40, 52, 56, 108 or 124 bytes), an optional
// palette, then rows padded to four bytes, bottom-up when the height is positive.
// A 24-bit row has exactly the layout of a Bitmap24 row, so uncompressed 24-bit files
// are read with one gathered read straight into the raster (reversing the row order on
// the way): the cost is the read itself. Everything else goes through Qt's decoder after
// the header has been checked here.

#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"

#include <QImageReader>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
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

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& name) : name_(name) {
        fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) throw FileError(name, std::string("cannot open: ") + std::strerror(errno));
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd_);
            throw FileError(name, "not a regular file");
        }
        size_ = std::uint64_t(st.st_size);
    }
    ~ReadOnlyFile() { ::close(fd_); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    std::uint64_t Size() const { return size_; }

    // Reads exactly the gathered pieces from offset on; throws when the file ends early.
    void ReadAt(std::uint64_t offset, std::vector<iovec>& pieces) {
        std::size_t first = 0;
        while (first < pieces.size()) {
            const int n = int(std::min<std::size_t>(pieces.size() - first, IOV_MAX));
            const ssize_t got = ::preadv(fd_, pieces.data() + first, n, off_t(offset));
            if (got < 0) {
                if (errno == EINTR) continue;
                throw FileError(name_, std::string("cannot read: ") + std::strerror(errno));
            }
            if (got == 0) throw FileError(name_, "the file is truncated");
            offset += std::uint64_t(got);
            auto left = std::size_t(got);
            while (first < pieces.size() && left >= pieces[first].iov_len)
                left -= pieces[first++].iov_len;
            if (first < pieces.size()) {
                pieces[first].iov_base = static_cast<char*>(pieces[first].iov_base) + left;
                pieces[first].iov_len -= left;
            }
        }
    }
    void ReadAt(std::uint64_t offset, void* data, std::size_t size) {
        std::vector<iovec> one{{data, size}};
        ReadAt(offset, one);
    }

private:
    std::string name_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

struct BmpHeader {
    std::uint32_t dataOffset = 0;
    std::uint32_t infoSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows stored top-down
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
};

BmpHeader ReadHeader(ReadOnlyFile& file, const std::string& name) {
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

Bitmap24 Load24(ReadOnlyFile& file, const BmpHeader& h, const std::string& name) {
    const int width = int(h.width);
    const int height = int(std::abs(h.height));
    const std::uint64_t rowBytes = (std::uint64_t(width) * 3 + 3) & ~std::uint64_t(3);
    const std::uint64_t need = std::uint64_t(h.dataOffset) + rowBytes * std::uint64_t(height);
    if (h.dataOffset < FileHeaderSize + h.infoSize || need > file.Size())
        throw FileError(name, "the file is truncated");

    Bitmap24 bitmap(width, height);
    if (bitmap.BytesPerLine() != rowBytes) throw FileError(name, "unexpected row layout");
    std::vector<iovec> rows;
    if (h.height < 0) {
        rows.push_back({bitmap.ScanLine(0), std::size_t(rowBytes) * std::size_t(height)});
    } else {
        rows.reserve(std::size_t(height));
        for (int y = height - 1; y >= 0; --y)
            rows.push_back({bitmap.ScanLine(y), std::size_t(rowBytes)});
    }
    file.ReadAt(h.dataOffset, rows);
    return bitmap;
}

Bitmap24 LoadOther(const std::string& name, const BmpHeader& h) {
    QImageReader reader(QString::fromStdString(name), "bmp");
    // Qt refuses big images by default; our own header check above bounds the size.
    reader.setAllocationLimit(int(
        std::min<std::int64_t>(INT_MAX, h.width * std::abs(h.height) * 4 / (1024 * 1024) + 16)));
    QImage image = reader.read();
    if (image.isNull())
        throw FileError(name, "cannot read the bitmap: " + reader.errorString().toStdString());
    image = image.convertToFormat(QImage::Format_BGR888);
    if (image.isNull()) throw FileError(name, "not enough memory for the bitmap");
    Bitmap24 bitmap(image.width(), image.height());
    const std::size_t bytes = 3 * std::size_t(image.width());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(bitmap.ScanLine(y), image.constScanLine(y), bytes);
    return bitmap;
}

} // namespace

Bitmap24 LoadBmp(const std::string& fileName) {
    ReadOnlyFile file(fileName);
    const BmpHeader header = ReadHeader(file, fileName);
    if (header.bitCount == 24 && header.compression == 0) return Load24(file, header, fileName);
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
    return LoadOther(fileName, header);
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
