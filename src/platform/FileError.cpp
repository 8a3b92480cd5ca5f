// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileError.h"

namespace platform {

FileError::FileError(const std::string& fileName, const std::string& problem)
    : std::runtime_error("\"" + fileName + "\": " + problem), fileName_(fileName) {}

} // namespace platform
