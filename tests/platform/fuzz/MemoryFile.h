// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fuzzers' input as a real, regular file of a known size (kept in memory), for readers
// that take a file name.

#include "platform/Bitmap24.h"
#include "platform/FileError.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// The name of a file that holds exactly data[0 .. size) until the next call.
const std::string& AsFile(const std::uint8_t* data, std::size_t size);

// Loads file with load. A clean FileError is the expected outcome for bad input; anything
// else that escapes is a finding. A picture that loads is read through, as showing it would.
template <class Load> int LoadAndReadThrough(Load load, const std::string& file) {
    try {
        const platform::Bitmap24 b = load(file);
        unsigned sum = 0;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < 3 * b.Width(); ++x) sum += b.ScanLine(y)[x];
        if (sum == 0xFFFFFFFFu) return 1; // keeps the sum alive
    } catch (const platform::FileError&) {
    }
    return 0;
}

} // namespace fuzzing
