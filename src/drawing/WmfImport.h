// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A metafile's picture as entities of the drawing; see WmfImport.cpp.

#include "drawing/DXF_Object.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace drawing {

struct WmfImportReport {
    std::string Layer;        // the layer the entities went to
    std::size_t Entities = 0; // entities added
    // What was not converted, by name and count ("image", "record 0x0419"…).
    std::vector<std::pair<std::string, std::size_t>> Skipped;
    std::string SkippedText() const; // "2 image, 1 record 0x0419"
};

// Converts the metafile's records into entities on a layer named after the file (its
// name without folder and extension). The drawing changes only when the whole file has
// been read; a bad file throws platform::FileError and changes nothing.
WmfImportReport LoadWMF(const std::string& fileName, DXF_Object& drawing);
WmfImportReport ReadWMF(std::string_view bytes, const std::string& fileName, DXF_Object& drawing);

} // namespace drawing
