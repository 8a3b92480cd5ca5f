// SPDX-License-Identifier: GPL-3.0-or-later
//
// PNG files through libpng. Every kind of PNG (grey, palette, colour, with or without
// alpha, 1 to 16 bits a sample, interlaced or not) is turned by the library into 8-bit
// blue, green, red and alpha, and composed here over white paper: line work saved on a
// transparent background is dark on white, as on a sheet.
//
// Files are untrusted. The library refuses sides over our largest; before the raster is
// allocated, the image's size is checked against the bytes the file has (deflate turns a
// byte into at most 1032), every chunk must fit in the file before libpng sizes a buffer
// for it, and ancillary chunks may take only a few megabytes. Library
// errors unwind through setjmp/longjmp inside small C-style functions that own no C++
// objects; the caller turns them into FileError. Warnings are ignored; a damaged or
// truncated picture is an error.

#include "platform/FileError.h"
#include "platform/InputFile.h"
#include "platform/RasterFiles.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <png.h>
#include <sys/stat.h>
#include <vector>

namespace platform {

namespace {

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    char message[256] = {};
};

extern "C" void OnPngError(png_structp png, png_const_charp text) {
    auto* reader = static_cast<PngReader*>(png_get_error_ptr(png));
    std::snprintf(reader->message, sizeof reader->message, "%s", text ? text : "");
    png_longjmp(png, 1);
}

extern "C" void OnPngWarning(png_structp, png_const_charp) {}

// Reads the header and sets the transformations to 8-bit BGRA; false (with the reader's
// message) on a library error.
bool ReadPngHeader(PngReader& r, std::FILE* file, png_uint_32& width, png_uint_32& height,
                   int& bitDepth, int& colourType, int& interlace, int& passes) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_init_io(r.png, file);
    png_set_user_limits(r.png, png_uint_32(Bitmap24::MaxSide), png_uint_32(Bitmap24::MaxSide));
    png_set_chunk_malloc_max(r.png, 8u << 20);
    png_read_info(r.png, r.info);
    png_get_IHDR(r.png, r.info, &width, &height, &bitDepth, &colourType, &interlace, nullptr,
                 nullptr);
    png_set_expand(r.png); // palette to colour, grey below 8 bits to 8, transparency to alpha
    png_set_strip_16(r.png);
    png_set_gray_to_rgb(r.png);
    png_set_add_alpha(r.png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(r.png);
    passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    return true;
}

// Reads the picture into rows (BGRA), all passes; false on a library error.
bool ReadPngRows(PngReader& r, png_bytepp rows) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_read_image(r.png, rows);
    return true;
}

// Reads one row (of a picture without interlacing); false on a library error.
bool ReadPngRow(PngReader& r, png_bytep row) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_read_row(r.png, row, nullptr);
    return true;
}

// BGRA over white into BGR.
void OverWhite(const std::uint8_t* bgra, std::uint8_t* bgr, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i, bgra += 4, bgr += 3) {
        const unsigned a = bgra[3];
        for (int c = 0; c < 3; ++c)
            bgr[c] = std::uint8_t((bgra[c] * a + 255 * (255 - a) + 127) / 255);
    }
}

std::uint32_t BigEndian32(const unsigned char* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// libpng takes a buffer of the size a chunk's header claims before it reads the chunk, so a
// file of a hundred bytes could ask for gigabytes. Every chunk up to IEND must fit in what
// is left of the file (length, type, data, checksum); the stream is left at its start.
void CheckChunkLengths(std::FILE* file, std::uint64_t fileSize, const std::string& fileName) {
    std::uint64_t at = 8;
    unsigned char header[8];
    while (at + 8 <= fileSize && std::fseek(file, long(at), SEEK_SET) == 0 &&
           std::fread(header, 1, 8, file) == 8) {
        const std::uint64_t length = BigEndian32(header);
        if (length > 0x7FFFFFFFu || at + 12 + length > fileSize)
            throw FileError(fileName, "the PNG file is truncated or damaged: a chunk claims " +
                                          std::to_string(length) +
                                          " bytes that the file does not have");
        if (std::memcmp(header + 4, "IEND", 4) == 0) break;
        at += 12 + length;
    }
    std::rewind(file);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

Bitmap24 LoadPng(const std::string& fileName) {
    std::unique_ptr<std::FILE, FileCloser> file(OpenRegularStream(fileName));
    struct stat st {};
    ::fstat(::fileno(file.get()), &st);
    const auto fileSize = std::uint64_t(st.st_size);
    unsigned char signature[8] = {};
    if (std::fread(signature, 1, 8, file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0)
        throw FileError(fileName, "not a PNG file");
    CheckChunkLengths(file.get(), fileSize, fileName);

    PngReader r;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, OnPngError, OnPngWarning);
    if (!r.png) throw std::bad_alloc();
    r.info = png_create_info_struct(r.png);
    struct Destroy {
        PngReader* r;
        ~Destroy() { png_destroy_read_struct(&r->png, r->info ? &r->info : nullptr, nullptr); }
    } destroy{&r};
    if (!r.info) throw std::bad_alloc();

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0, passes = 1;
    if (!ReadPngHeader(r, file.get(), width, height, bitDepth, colourType, interlace, passes))
        throw FileError(fileName, std::string("not a readable PNG file: ") + r.message);
    if (!Bitmap24::SizeAcceptable(width, height) || width == 0 || height == 0)
        throw FileError(fileName, "the image's size of " + std::to_string(width) + " × " +
                                      std::to_string(height) + " pixels is not acceptable");
    // Filtered rows as the file holds them: a byte in front of each, the samples packed.
    // (The library has checked the colour type and depth.)
    static constexpr int samples[7] = {1, 0, 3, 1, 2, 0, 4}; // by colour type
    const std::uint64_t bitsPerPixel =
        std::uint64_t(bitDepth) *
        std::uint64_t(samples[colourType >= 0 && colourType < 7 ? colourType : 6]);
    const std::uint64_t raw = std::uint64_t(height) * ((width * bitsPerPixel + 7) / 8 + 1);
    if (raw > 1032 * fileSize + 4096)
        throw FileError(fileName, "the file is too short for the image's size of " +
                                      std::to_string(width) + " × " + std::to_string(height) +
                                      " pixels: it is damaged or truncated");

    Bitmap24 bitmap{int(width), int(height)};
    const char* failure = nullptr;
    if (interlace == PNG_INTERLACE_NONE) {
        std::vector<std::uint8_t> row(4 * std::size_t(width));
        for (png_uint_32 y = 0; y < height && !failure; ++y) {
            if (!ReadPngRow(r, row.data())) {
                failure = r.message;
                break;
            }
            OverWhite(row.data(), bitmap.ScanLine(int(y)), width);
        }
    } else {
        // Every pass writes into every row: the whole picture at four bytes a pixel.
        std::vector<std::uint8_t> image(4 * std::size_t(width) * height);
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y)
            rows[y] = image.data() + 4 * std::size_t(width) * y;
        if (!ReadPngRows(r, rows.data()))
            failure = r.message;
        else
            for (png_uint_32 y = 0; y < height; ++y)
                OverWhite(rows[y], bitmap.ScanLine(int(y)), width);
    }
    if (failure) {
        if (std::strstr(failure, "Read Error") || std::strstr(failure, "Not enough"))
            throw FileError(fileName, "the PNG file is truncated");
        throw FileError(fileName, std::string("cannot decode the PNG file: ") + failure);
    }
    return bitmap;
}

} // namespace platform
