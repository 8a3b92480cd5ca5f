// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading files that come from outside. Only regular files are read: a FIFO, a device or
// a socket is refused before anything could wait on it (opening a FIFO for reading
// blocks until a writer comes), and a folder is called one. All failures throw FileError
// naming the file.

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/uio.h>
#include <vector>

namespace platform {

// A descriptor open for reading on a regular file; the caller closes it.
int OpenRegularFile(const std::string& name);
// The same as a stdio stream ("rb"); the caller closes it.
std::FILE* OpenRegularStream(const std::string& name);

// A regular file read at offsets, with the size it had when opened.
class InputFile {
public:
    explicit InputFile(const std::string& name);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::uint64_t Size() const { return size_; }
    const std::string& Name() const { return name_; }

    // Reads exactly the gathered pieces from offset on; throws when the file ends early.
    void ReadAt(std::uint64_t offset, std::vector<iovec>& pieces);
    void ReadAt(std::uint64_t offset, void* data, std::size_t size);

private:
    std::string name_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

} // namespace platform
