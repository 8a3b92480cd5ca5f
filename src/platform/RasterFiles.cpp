// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RasterFiles.h"

#include "platform/FileError.h"
#include "platform/FileFormats.h"
#include "platform/InputFile.h"

#include <unistd.h>

namespace platform {

Bitmap24 LoadRasterFile(const std::string& fileName) {
    ::close(OpenRegularFile(fileName)); // a missing file, a folder or a pipe says so
    switch (FormatOfFile(fileName)) {
    case FileFormat::Bitmap:
        return LoadBmp(fileName);
    case FileFormat::Jpeg:
        return LoadJpeg(fileName);
    case FileFormat::Png:
        return LoadPng(fileName);
    case FileFormat::Tiff:
        return LoadTiff(fileName);
    default:
        throw FileError(fileName, "not a raster file that can be read (BMP, JPEG, PNG or TIFF)");
    }
}

} // namespace platform
