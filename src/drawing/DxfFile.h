// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/selection_lists.h"

#include <string>

namespace drawing {

// Writes the entities of the selected lists as a DXF R12 file (HEADER with $ACADVER,
// ENTITIES, EOF), each on its list's layer; entities of a layer with the empty name go
// to layer "0". Replaces the file only when complete; throws platform::FileError.
void SaveDXF(const std::string& fileName, const selection_lists& selection);

} // namespace drawing
