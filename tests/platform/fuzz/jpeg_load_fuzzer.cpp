// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: LoadJpeg on arbitrary bytes. A clean FileError is the expected outcome
// for bad input; anything else that escapes, and every sanitizer report, is a finding. A
// picture that loads is read through, as showing it would.
//
// A few kilobytes of sound coded data can describe millions of pixels, each decoded at
// sanitizer speed; inputs whose frame headers claim more than a million pixels are left
// out so that the fuzzer spends its time on the parsing. (That such claims are refused
// when the data cannot hold them is tested on its own.)
#include "MemoryFile.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"

#include <cstdint>

namespace {

// The largest width × height of any frame header (SOF0 … SOF15 but DHT, JPG, DAC).
std::uint64_t LargestFrame(const std::uint8_t* data, std::size_t size) {
    std::uint64_t largest = 0;
    for (std::size_t i = 0; i + 9 <= size; ++i) {
        const std::uint8_t m = data[i + 1];
        if (data[i] != 0xFF || m < 0xC0 || m > 0xCF || m == 0xC4 || m == 0xC8 || m == 0xCC)
            continue;
        const std::uint64_t height = std::uint64_t(data[i + 5]) << 8 | data[i + 6];
        const std::uint64_t width = std::uint64_t(data[i + 7]) << 8 | data[i + 8];
        if (width * height > largest) largest = width * height;
    }
    return largest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (LargestFrame(data, size) > (1u << 20)) return 0;
    return fuzzing::LoadAndReadThrough([](const std::string& f) { return platform::LoadJpeg(f); },
                                       fuzzing::AsFile(data, size));
}
