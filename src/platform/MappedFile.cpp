// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MappedFile.h"

#include "platform/FileError.h"
#include "platform/InputFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

MappedFile::MappedFile(const std::string& fileName) {
    const int fd = OpenRegularFile(fileName); // a pipe or folder is refused, not waited on
    struct stat info {};
    ::fstat(fd, &info);
    size_ = std::size_t(info.st_size);
    if (size_ > 0) {
        data_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (data_ == MAP_FAILED) {
            const int error = errno;
            ::close(fd);
            data_ = nullptr;
            throw FileError(fileName, std::string("cannot read the file: ") + std::strerror(error));
        }
        ::madvise(data_, size_, MADV_SEQUENTIAL);
    }
    ::close(fd);
}

MappedFile::~MappedFile() {
    if (data_) ::munmap(data_, size_);
}

} // namespace platform
