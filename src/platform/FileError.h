// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// The one exception for file input and output. Its message names the file and what
// went wrong; the top-level handler shows it to the user.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& fileName, const std::string& problem);
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

} // namespace platform
