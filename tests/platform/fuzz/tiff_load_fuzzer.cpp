// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: LoadTiff on arbitrary bytes (the first page of classic and big TIFF,
// every compression libtiff decodes). A clean FileError is the expected outcome for bad
// input; anything else that escapes, and every sanitizer report, is a finding. A picture
// that loads is read through, as showing it would.
#include "MemoryFile.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const platform::Bitmap24 b = platform::LoadTiff(fuzzing::AsFile(data, size));
        unsigned sum = 0;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < 3 * b.Width(); ++x) sum += b.ScanLine(y)[x];
        if (sum == 0xFFFFFFFFu) return 1; // keeps the sum alive
    } catch (const platform::FileError&) {
    }
    return 0;
}
