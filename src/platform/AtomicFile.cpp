// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "platform/FileError.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr const char* TempPrefix = ".penwright-save-";

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file a path finally names: a symbolic link is followed (also one whose target does
// not exist yet), so that a save replaces the target and the link stays a link.
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> target(std::size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size() - 1);
        if (n < 0) return path;
        const std::string next(target.data(), std::size_t(n));
        path = next.starts_with('/') ? next : FolderOf(path) + "/" + next;
    }
    return path; // a loop of links: the rename will report it
}

// Temporary files of saves that were killed: ours carry the saving process's number, and
// one whose process is gone is removed. Files of the old form without a number are
// removed a day after they were written.
void RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    const std::string prefix = TempPrefix;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!name.starts_with(prefix)) continue;
        const std::string path = folder + "/" + name;
        const std::string rest = name.substr(prefix.size());
        const auto dash = rest.find('-');
        bool stale = false;
        if (dash != std::string::npos && dash > 0 && rest.find_first_not_of("0123456789") == dash) {
            const long pid = std::strtol(rest.c_str(), nullptr, 10);
            stale =
                pid > 0 && pid != long(::getpid()) && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
        } else {
            struct stat st {};
            stale = ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                    std::time(nullptr) - st.st_mtime > 24 * 3600;
        }
        if (stale) ::unlink(path.c_str());
    }
    ::closedir(dir);
}

} // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    final_ = FollowLinks(target_);
    const std::string folder = FolderOf(final_);
    RemoveStaleTemporaries(folder);
    std::string pattern = folder + "/" + TempPrefix + std::to_string(::getpid()) + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) Fail(std::string("cannot create a file in its folder: ") + std::strerror(errno));
    temp_ = name.data();
    // mkstemp creates 0600; the new file gets the mode (and, where allowed, the owner) of
    // the one it replaces, or what an ordinary new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat existing {};
    const bool replaces = ::stat(final_.c_str(), &existing) == 0;
    const mode_t mode = replaces ? (existing.st_mode & 07777) : (0666 & ~mask);
    if (::fchmod(fd_, mode) != 0)
        Fail(std::string("cannot set the file's permissions: ") + std::strerror(errno));
    if (replaces && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()))
        [[maybe_unused]]
        const int ignored = ::fchown(fd_, existing.st_uid, existing.st_gid);
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
    if (::rename(temp_.c_str(), final_.c_str()) != 0)
        Fail(std::string("cannot replace the file: ") + std::strerror(errno));
    temp_.clear();
    // The rename itself is only durable once the folder is written.
    const int folder = ::open(FolderOf(final_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        const int synced = ::fsync(folder);
        const int error = errno;
        ::close(folder);
        if (synced != 0 && error != EINVAL)
            Fail(std::string("cannot write the folder: ") + std::strerror(error));
    }
}

} // namespace platform
