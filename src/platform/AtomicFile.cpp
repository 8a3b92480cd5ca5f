// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "platform/FileError.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

} // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    std::string pattern = FolderOf(target_) + "/.penwright-save-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) Fail(std::string("cannot create a file in its folder: ") + std::strerror(errno));
    temp_ = name.data();
    // mkstemp creates 0600; give the file the permissions an ordinary new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat existing {};
    const mode_t mode =
        ::stat(target_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : (0666 & ~mask);
    ::fchmod(fd_, mode);
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

void AtomicFile::Fail(const std::string& what) {
    throw FileError(target_, what);
}

void AtomicFile::Write(const void* data, std::size_t size) {
    iovec piece{const_cast<void*>(data), size};
    WriteVector(&piece, 1);
}

void AtomicFile::WriteVector(const iovec* pieces, int count) {
    std::vector<iovec> rest(pieces, pieces + count);
    std::size_t first = 0;
    while (first < rest.size()) {
        const int n = int(std::min<std::size_t>(rest.size() - first, IOV_MAX));
        const ssize_t written = ::writev(fd_, rest.data() + first, n);
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail(std::string("cannot write: ") + std::strerror(errno));
        }
        StartWriteBack(std::size_t(written));
        // Skip what was written, possibly part of a piece.
        auto left = std::size_t(written);
        while (first < rest.size() && left >= rest[first].iov_len) left -= rest[first++].iov_len;
        if (first < rest.size()) {
            rest[first].iov_base = static_cast<char*>(rest[first].iov_base) + left;
            rest[first].iov_len -= left;
        }
    }
}

void AtomicFile::StartWriteBack(std::size_t written) {
    // Large files go to the disk while the rest is still being made, so that the final
    // fsync does not wait for all of it. Failures here show at the fsync.
    constexpr std::size_t Step = std::size_t(8) << 20;
    written_ += written;
    if (written_ - startedUpTo_ < Step) return;
    ::sync_file_range(fd_, off64_t(startedUpTo_), off64_t(written_ - startedUpTo_),
                      SYNC_FILE_RANGE_WRITE);
    startedUpTo_ = written_;
}

void AtomicFile::Commit() {
    if (::fsync(fd_) != 0) Fail(std::string("cannot write: ") + std::strerror(errno));
    if (::close(fd_) != 0) {
        fd_ = -1;
        Fail(std::string("cannot write: ") + std::strerror(errno));
    }
    fd_ = -1;
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        Fail(std::string("cannot replace the file: ") + std::strerror(errno));
    temp_.clear();
}

} // namespace platform
