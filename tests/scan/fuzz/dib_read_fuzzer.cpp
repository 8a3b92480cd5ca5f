// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: a scanned image (packed DIB) from arbitrary bytes, read into a raster
// whole and in a clipped part. A clean DibError is the expected outcome for bad input;
// anything else that escapes, and every sanitizer report, is a finding.
#include "scan/Dib.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that the sanitizers see any read past the block's end.
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[size ? size : 1]);
    if (size) std::memcpy(block.get(), data, size);
    try {
        platform::Bitmap24 whole = scan::DibToBitmap(block.get(), size);
        const scan::DibLayout layout = scan::ReadDibLayout(block.get(), size);
        platform::Bitmap24 part(7, 5);
        scan::PaintDib(block.get(), layout, part, -3, 2, layout.width, layout.height,
                       layout.width / 2, 1);
    } catch (const scan::DibError&) {
    }
    return 0;
}
