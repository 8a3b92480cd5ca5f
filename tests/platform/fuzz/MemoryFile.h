// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fuzzers' input as a real, regular file of a known size (kept in memory), for readers
// that take a file name.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// The name of a file that holds exactly data[0 .. size) until the next call.
const std::string& AsFile(const std::uint8_t* data, std::size_t size);

} // namespace fuzzing
