// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writes a file so that a failure never destroys the previous good one: the bytes go
// to a temporary file in the target's folder, which replaces the target by rename only
// when Commit() succeeds, and the folder is synced after it. Without Commit() the
// destructor removes the temporary file; temporary files that killed saves left behind
// are removed by the next save into the folder. A target that is a symbolic link is
// saved through: the file it points to is replaced, the link stays. The new file keeps
// the mode of the one it replaces. All failures throw platform::FileError naming the
// target.

#include <cstddef>
#include <string>
#include <sys/uio.h>

namespace platform {

class AtomicFile {
public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(const void* data, std::size_t size);
    // Gathers several pieces in one call (at most IOV_MAX at a time is handled inside).
    void WriteVector(const iovec* pieces, int count);
    void Commit();

    const std::string& Target() const { return target_; }

private:
    [[noreturn]] void Fail(const std::string& what);
    void StartWriteBack(std::size_t written);

    std::string target_;
    std::string final_; // target_ with symbolic links followed
    std::string temp_;
    int fd_ = -1;
    std::size_t written_ = 0, startedUpTo_ = 0;
};

} // namespace platform
