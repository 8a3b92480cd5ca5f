// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/selection_lists.h"

#include <cstddef>
#include <string>

namespace drawing {

struct DxfWriteReport {
    std::size_t Written = 0;   // entities written
    std::size_t NotFinite = 0; // entities left out: a coordinate was not a finite number
};

// Writes the entities of the selected lists as a whole DXF file (see DxfFile.cpp).
// Replaces the file only when complete; throws platform::FileError naming the file.
DxfWriteReport SaveDXF(const std::string& fileName, const selection_lists& selection);

// The same file as bytes, for callers that keep it in memory.
std::string DxfFileBytes(const selection_lists& selection, DxfWriteReport* report = nullptr);

// A layer name as DXF allows it: the empty name becomes "0", and the characters
// < > / \ " : ; ? * | = ` and control characters become "_".
std::string DxfLayerName(const std::string& name);

} // namespace drawing
