// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/InputFile.h"

#include "platform/FileError.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int OpenRegularFile(const std::string& name) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer for ever.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw FileError(name, std::string("cannot open: ") + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        throw FileError(name, std::string("cannot open: ") + std::strerror(error));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(name, S_ISDIR(st.st_mode)
                                  ? "is a folder, not a file"
                                  : "is not a regular file (a pipe, device or socket)");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::FILE* OpenRegularStream(const std::string& name) {
    const int fd = OpenRegularFile(name);
    std::FILE* stream = ::fdopen(fd, "rb");
    if (stream == nullptr) {
        const int error = errno;
        ::close(fd);
        throw FileError(name, std::string("cannot open: ") + std::strerror(error));
    }
    return stream;
}

InputFile::InputFile(const std::string& name) : name_(name), fd_(OpenRegularFile(name)) {
    struct stat st {};
    ::fstat(fd_, &st);
    size_ = std::uint64_t(st.st_size);
}

InputFile::~InputFile() {
    ::close(fd_);
}

void InputFile::ReadAt(std::uint64_t offset, std::vector<iovec>& pieces) {
    std::size_t first = 0;
    while (first < pieces.size()) {
        const int n = int(std::min<std::size_t>(pieces.size() - first, IOV_MAX));
        const ssize_t got = ::preadv(fd_, pieces.data() + first, n, off_t(offset));
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError(name_, std::string("cannot read: ") + std::strerror(errno));
        }
        if (got == 0) throw FileError(name_, "the file is truncated");
        offset += std::uint64_t(got);
        auto left = std::size_t(got);
        while (first < pieces.size() && left >= pieces[first].iov_len)
            left -= pieces[first++].iov_len;
        if (first < pieces.size()) {
            pieces[first].iov_base = static_cast<char*>(pieces[first].iov_base) + left;
            pieces[first].iov_len -= left;
        }
    }
}

void InputFile::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
    std::vector<iovec> one{{data, size}};
    ReadAt(offset, one);
}

} // namespace platform
