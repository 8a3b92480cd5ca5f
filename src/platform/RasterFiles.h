// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Raster file readers and writers. Readers treat the file as untrusted: sizes are checked
// against the bytes really present and against Bitmap24's limits before anything is
// allocated; any problem throws platform::FileError naming the file, and the bitmap passed
// in is left untouched (the result is returned, not written in place).

#include "platform/Bitmap24.h"

#include <string>

namespace platform {

// Follows a decoder as it fills a bitmap: Rows(bitmap, done) each time the first `done`
// rows are final (on the decoding thread; the bitmap's pixels stay where they are), and
// Stop() before the decoder returns or throws, after which the bitmap must not be touched.
class RowListener {
public:
    virtual ~RowListener() = default;
    virtual void Rows(Bitmap24& bitmap, int done) = 0;
    virtual void Stop() = 0;
};

// Windows bitmap: 24-bit uncompressed files take a fast path straight into the rows, a
// listener hearing of every band of them; other depths (1, 4, 8, 16, 32 bits, RLE) are
// decoded and converted to 24 bits, and a listener hears of all rows at once.
Bitmap24 LoadBmp(const std::string& fileName, RowListener* listener = nullptr);
// Writes an uncompressed 24-bit bottom-up bitmap, the bytes as they are.
void SaveBmp(const std::string& fileName, const Bitmap24& bitmap);

// JPEG through libjpeg-turbo, decoded straight into the 24-bit rows; a listener hears of
// every band of rows as it is done.
Bitmap24 LoadJpeg(const std::string& fileName, RowListener* listener = nullptr);
void SaveJpeg(const std::string& fileName, const Bitmap24& bitmap, int quality = 90);

// PNG through libpng, any colour type and depth; alpha is composed over white.
Bitmap24 LoadPng(const std::string& fileName);
// TIFF through libtiff, the first page: bilevel (CCITT G3/G4, PackBits), grey, palette and
// colour, uncompressed, LZW or Deflate, and whatever else libtiff turns into RGBA.
Bitmap24 LoadTiff(const std::string& fileName);

// Any raster file the program reads, by its content (BMP, JPEG, PNG or TIFF); a file of
// another or no raster format throws.
Bitmap24 LoadRasterFile(const std::string& fileName);

} // namespace platform
