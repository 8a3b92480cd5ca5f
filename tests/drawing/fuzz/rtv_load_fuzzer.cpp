// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: LoadRTV on arbitrary bytes. A clean FileError is the expected outcome
// for bad input; anything else that escapes, and every sanitizer report, is a finding.
#include "drawing/selection_lists.h"
#include "platform/FileError.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An in-memory regular file, so that the reader sees a real file of a known size.
    static const int fd = ::memfd_create("fuzz.rtv", 0);
    if (fd < 0) std::abort();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);

    drawing::DXF_Object dxf("fuzz");
    try {
        drawing::selection_lists().LoadRTV(path, dxf);
    } catch (const platform::FileError&) {
    }
    return 0;
}
