// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: LoadBmp on arbitrary bytes. A clean FileError is the expected outcome
// for bad input; anything else that escapes, and every sanitizer report, is a finding. A
// picture that loads is read through, as showing it would.
#include "MemoryFile.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzing::LoadAndReadThrough([](const std::string& f) { return platform::LoadBmp(f); },
                                       fuzzing::AsFile(data, size));
}
