// SPDX-License-Identifier: GPL-3.0-or-later
//
// TIFF files through libtiff: the first page (directory) of the file. Scans come as 1-bit
// bilevel pages (CCITT group 3 or 4, PackBits), grey or palette pages of 2 to 16 bits, or
// colour of 8 or 16 bits a sample, without compression or with LZW or Deflate; these are
// read a row at a time, straight into the raster's rows. Anything else libtiff can turn
// into RGBA (tiles, separate planes, YCbCr and JPEG, CMYK, other orientations) goes
// through its RGBA interface, a band of rows at a time. Alpha is composed over white.
//
// Files are untrusted. Before the raster is allocated the image's size is checked against
// our limits and against the coded bytes the file has, by what the compression can do at
// best: a byte of PackBits holds at most 64 bytes of pixels, of LZW 2731, of Deflate 1032,
// a row of CCITT coding takes at least a bit, a JPEG block at least a bit. libtiff itself
// may allocate at most 256 MB at once. Its errors and warnings go to our handlers (the
// first error becomes the message); every failure throws FileError naming the file.

#include "platform/FileError.h"
#include "platform/InputFile.h"
#include "platform/RasterFiles.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

struct TiffMessages {
    char first[256] = {};
    bool any = false;
};

extern "C" int OnTiffError(TIFF*, void* user, const char* module, const char* format,
                           va_list args) {
    auto* messages = static_cast<TiffMessages*>(user);
    if (!messages->any) {
        char text[200];
        std::vsnprintf(text, sizeof text, format, args);
        std::snprintf(messages->first, sizeof messages->first, "%s", text);
        (void)module;
        messages->any = true;
    }
    return 1;
}

extern "C" int OnTiffWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

template <class T> T Field(TIFF* tif, ttag_t tag, T fallback) {
    T value = fallback;
    if (TIFFGetFieldDefaulted(tif, tag, &value) != 1) return fallback;
    return value;
}

// The fewest coded bytes that can hold raw bytes of pixels (rows rows of width pixels)
// under the compression; 0 when we do not read that compression.
std::uint64_t LeastCodedBytes(std::uint16_t compression, std::uint64_t raw, std::uint32_t width,
                              std::uint32_t rows) {
    switch (compression) {
    case COMPRESSION_NONE:
        return raw;
    case COMPRESSION_PACKBITS:
        return raw / 64;
    case COMPRESSION_LZW:
        return raw / 2731;
    case COMPRESSION_DEFLATE:
    case COMPRESSION_ADOBE_DEFLATE:
        return raw / 1032;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        return rows / 8;
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG:
        return (std::uint64_t(width) / 8) * (rows / 8) / 8;
    default:
        return 0;
    }
}

bool Supported(std::uint16_t compression) {
    return LeastCodedBytes(compression, 1u << 20, 64, 64) > 0;
}

// Blue, green, red from r, g, b and alpha over white.
inline void Put(std::uint8_t* out, unsigned r, unsigned g, unsigned b, unsigned a = 255) {
    if (a != 255) {
        r = (r * a + 255 * (255 - a) + 127) / 255;
        g = (g * a + 255 * (255 - a) + 127) / 255;
        b = (b * a + 255 * (255 - a) + 127) / 255;
    }
    out[0] = std::uint8_t(b);
    out[1] = std::uint8_t(g);
    out[2] = std::uint8_t(r);
}

struct Layout {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 1, samples = 1, photometric = 0, planar = PLANARCONFIG_CONTIG;
    std::uint16_t compression = COMPRESSION_NONE, orientation = ORIENTATION_TOPLEFT;
    bool tiled = false;
};

// Whether the page can be read a row at a time into the raster.
bool RowByRow(const Layout& l) {
    if (l.tiled || l.planar != PLANARCONFIG_CONTIG || l.orientation != ORIENTATION_TOPLEFT)
        return false;
    if (l.compression == COMPRESSION_JPEG || l.compression == COMPRESSION_OJPEG) return false;
    switch (l.photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_PALETTE:
        return (l.bits == 1 || l.bits == 2 || l.bits == 4 || l.bits == 8 || l.bits == 16) &&
               l.samples >= 1 && (l.photometric != PHOTOMETRIC_PALETTE || l.bits <= 8);
    case PHOTOMETRIC_RGB:
        return (l.bits == 8 || l.bits == 16) && l.samples >= 3;
    default:
        return false;
    }
}

// Sample s of pixel x of a row of packed samples of the given bits (1 to 16), as read.
inline unsigned Sample(const std::uint8_t* row, std::uint32_t x, unsigned samples, unsigned s,
                       unsigned bits) {
    const std::uint64_t index = std::uint64_t(x) * samples + s;
    if (bits == 8) return row[index];
    if (bits == 16) {
        std::uint16_t v;
        std::memcpy(&v, row + 2 * index, 2); // libtiff has put it in our byte order
        return v;
    }
    const std::uint64_t bit = index * bits;
    return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

void ReadRows(TIFF* tif, const Layout& l, Bitmap24& bitmap, const std::string& fileName,
              const TiffMessages& messages) {
    std::vector<std::uint8_t> line(std::size_t(TIFFScanlineSize64(tif)) + 8);
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (l.photometric == PHOTOMETRIC_PALETTE &&
        TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) != 1)
        throw FileError(fileName, "the TIFF file's palette is missing");
    const unsigned top = (1u << l.bits) - 1;
    for (std::uint32_t y = 0; y < l.height; ++y) {
        if (TIFFReadScanline(tif, line.data(), y, 0) < 0)
            throw FileError(fileName, std::string("cannot decode the TIFF file: ") +
                                          (messages.any ? messages.first : "a row is damaged"));
        std::uint8_t* out = bitmap.ScanLine(int(y));
        for (std::uint32_t x = 0; x < l.width; ++x, out += 3) {
            if (l.photometric == PHOTOMETRIC_RGB) {
                const unsigned shift = l.bits == 16 ? 8 : 0;
                Put(out, Sample(line.data(), x, l.samples, 0, l.bits) >> shift,
                    Sample(line.data(), x, l.samples, 1, l.bits) >> shift,
                    Sample(line.data(), x, l.samples, 2, l.bits) >> shift);
            } else if (l.photometric == PHOTOMETRIC_PALETTE) {
                const unsigned v = Sample(line.data(), x, l.samples, 0, l.bits);
                Put(out, red[v] >> 8, green[v] >> 8, blue[v] >> 8);
            } else {
                unsigned v = Sample(line.data(), x, l.samples, 0, l.bits) * 255 / top;
                if (l.photometric == PHOTOMETRIC_MINISWHITE) v = 255 - v;
                Put(out, v, v, v);
            }
        }
    }
}

void ReadThroughRgba(TIFF* tif, const Layout& l, Bitmap24& bitmap, const std::string& fileName,
                     const TiffMessages& messages) {
    char problem[1024] = {};
    if (!TIFFRGBAImageOK(tif, problem))
        throw FileError(fileName,
                        std::string("this kind of TIFF file is not supported: ") + problem);
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageBegin(&image, tif, 0, problem))
        throw FileError(fileName, std::string("cannot read the TIFF file: ") + problem);
    struct End {
        TIFFRGBAImage* image;
        ~End() { TIFFRGBAImageEnd(image); }
    } end{&image};
    image.req_orientation = ORIENTATION_TOPLEFT;
    // Bands of whole strips or tiles where that fits in 256 MB.
    std::uint32_t unit = 0;
    if (l.tiled)
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    else
        unit = Field<std::uint32_t>(tif, TIFFTAG_ROWSPERSTRIP, l.height);
    const std::uint32_t fits =
        std::max<std::uint32_t>(1, std::uint32_t((256u << 20) / (4 * std::uint64_t(l.width))));
    std::uint32_t band = std::clamp<std::uint32_t>(std::max<std::uint32_t>(unit, 64), 1, l.height);
    if (band > fits) band = fits;
    std::vector<std::uint32_t> pixels(std::size_t(l.width) * band);
    for (std::uint32_t y = 0; y < l.height; y += band) {
        const std::uint32_t rows = std::min(band, l.height - y);
        image.row_offset = int(y);
        image.col_offset = 0;
        if (!TIFFRGBAImageGet(&image, pixels.data(), l.width, rows))
            throw FileError(fileName, std::string("cannot decode the TIFF file: ") +
                                          (messages.any ? messages.first : "the data is damaged"));
        for (std::uint32_t r = 0; r < rows; ++r) {
            std::uint8_t* out = bitmap.ScanLine(int(y + r));
            const std::uint32_t* in = pixels.data() + std::size_t(r) * l.width;
            for (std::uint32_t x = 0; x < l.width; ++x, out += 3)
                Put(out, TIFFGetR(in[x]), TIFFGetG(in[x]), TIFFGetB(in[x]), TIFFGetA(in[x]));
        }
    }
}

} // namespace

Bitmap24 LoadTiff(const std::string& fileName) {
    const int fd = OpenRegularFile(fileName);
    struct stat st {};
    ::fstat(fd, &st);
    const auto fileSize = std::uint64_t(st.st_size);
    TiffMessages messages;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) {
        ::close(fd);
        throw std::bad_alloc();
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(256) << 20);
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnTiffError, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnTiffWarning, nullptr);
    // "m": read, not map, so that a file that shrinks under us is an error, not a fault.
    TiffHandle tif(TIFFFdOpenExt(fd, fileName.c_str(), "rm", options));
    TIFFOpenOptionsFree(options);
    if (!tif) {
        ::close(fd);
        throw FileError(fileName, std::string("not a readable TIFF file") +
                                      (messages.any ? std::string(": ") + messages.first : ""));
    }
    Layout l;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &l.width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &l.height);
    l.bits = Field<std::uint16_t>(tif.get(), TIFFTAG_BITSPERSAMPLE, 1);
    l.samples = Field<std::uint16_t>(tif.get(), TIFFTAG_SAMPLESPERPIXEL, 1);
    l.planar = Field<std::uint16_t>(tif.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    l.compression = Field<std::uint16_t>(tif.get(), TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    l.orientation = Field<std::uint16_t>(tif.get(), TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    l.tiled = TIFFIsTiled(tif.get()) != 0;
    if (TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &l.photometric) != 1)
        l.photometric = l.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;

    if (!Bitmap24::SizeAcceptable(l.width, l.height) || l.width == 0 || l.height == 0)
        throw FileError(fileName, "the image's size of " + std::to_string(l.width) + " × " +
                                      std::to_string(l.height) + " pixels is not acceptable");
    if (!Supported(l.compression) || !TIFFIsCODECConfigured(l.compression))
        throw FileError(fileName, "the TIFF file's compression (" + std::to_string(l.compression) +
                                      ") is not supported");
    if (l.bits == 0 || l.bits > 16 || l.samples == 0)
        throw FileError(fileName, std::to_string(l.bits) + " bits a sample and " +
                                      std::to_string(l.samples) +
                                      " samples a pixel are not supported");
    // The coded bytes the file really has, against the least the picture needs.
    std::uint64_t coded = 0;
    std::uint64_t* counts = nullptr;
    if (TIFFGetField(tif.get(), l.tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS,
                     &counts) == 1 &&
        counts) {
        const std::uint32_t pieces =
            l.tiled ? TIFFNumberOfTiles(tif.get()) : TIFFNumberOfStrips(tif.get());
        for (std::uint32_t i = 0; i < pieces; ++i) coded += std::min(counts[i], fileSize);
    }
    coded = std::min(coded, fileSize);
    const std::uint64_t raw =
        std::uint64_t(l.height) * ((std::uint64_t(l.width) * l.samples * l.bits + 7) / 8);
    if (LeastCodedBytes(l.compression, raw, l.width, l.height) > coded)
        throw FileError(fileName, "the file is too short for the image's size of " +
                                      std::to_string(l.width) + " × " + std::to_string(l.height) +
                                      " pixels: it is damaged or truncated");

    Bitmap24 bitmap{int(l.width), int(l.height)};
    if (RowByRow(l))
        ReadRows(tif.get(), l, bitmap, fileName, messages);
    else
        ReadThroughRgba(tif.get(), l, bitmap, fileName, messages);
    return bitmap;
}

} // namespace platform
