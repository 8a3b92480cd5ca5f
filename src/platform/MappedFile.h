// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A regular file's bytes, read-only, mapped into memory for the readers that parse a
// whole file (DXF, WMF). Throws FileError naming the file when it cannot be opened, is
// not a regular file, or cannot be mapped. An empty file gives an empty view.

#include <string>
#include <string_view>

namespace platform {

class MappedFile {
public:
    explicit MappedFile(const std::string& fileName);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::string_view Bytes() const { return {static_cast<const char*>(data_), size_}; }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace platform
