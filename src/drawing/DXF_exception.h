// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>

namespace drawing {

// A failure of the drawing model; it carries only its message.
class DXF_exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace drawing
