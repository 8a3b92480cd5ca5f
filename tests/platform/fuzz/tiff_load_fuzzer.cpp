// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: LoadTiff on arbitrary bytes (the first page of classic and big TIFF,
// every compression libtiff decodes). A clean FileError is the expected outcome for bad
// input; anything else that escapes, and every sanitizer report, is a finding. A picture
// that loads is read through, as showing it would. Inputs whose first page claims more than
// 65536 pixels are left out (a few bytes of G4 or Deflate can make a page of any size),
// so that the time goes to the parsing.
#include "MemoryFile.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"

#include <cstdint>
#include <tiffio.h>

namespace {

// The first page's size as libtiff reads its directory; 0 when it cannot.
std::uint64_t ClaimedPixels(const std::string& path) {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return 0;
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFClose(tif);
    return std::uint64_t(width) * height;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& file = fuzzing::AsFile(data, size);
    if (ClaimedPixels(file) > (1u << 16)) return 0;
    return fuzzing::LoadAndReadThrough([](const std::string& f) { return platform::LoadTiff(f); },
                                       file);
}
