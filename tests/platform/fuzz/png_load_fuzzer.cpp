// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: LoadPng on arbitrary bytes. A clean FileError is the expected outcome
// for bad input; anything else that escapes, and every sanitizer report, is a finding. A
// picture that loads is read through, as showing it would. Inputs whose header claims more
// than a million pixels are left out, so that the time goes to the parsing.
#include "MemoryFile.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"

#include <cstdint>

namespace {

std::uint64_t BigEndian(const std::uint8_t* p) {
    return std::uint64_t(p[0]) << 24 | std::uint64_t(p[1]) << 16 | std::uint64_t(p[2]) << 8 | p[3];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The signature (8 bytes), then the IHDR chunk: length, type, width, height.
    if (size >= 24 && BigEndian(data + 16) * BigEndian(data + 20) > (1u << 20)) return 0;
    return fuzzing::LoadAndReadThrough([](const std::string& f) { return platform::LoadPng(f); },
                                       fuzzing::AsFile(data, size));
}
