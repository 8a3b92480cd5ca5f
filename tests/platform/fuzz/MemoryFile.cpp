// SPDX-License-Identifier: GPL-3.0-or-later
#include "MemoryFile.h"

#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace fuzzing {

const std::string& AsFile(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("fuzz-input", 0);
    if (fd < 0) std::abort();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    return path;
}

} // namespace fuzzing
