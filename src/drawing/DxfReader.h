// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading DXF files into the drawing; see DxfReader.cpp for what is read and how.

#include "drawing/DXF_Object.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace drawing {

struct DxfReadReport {
    std::string Version;      // $ACADVER, e.g. "AC1009"; empty when the file has none
    bool Binary = false;      // the binary form of DXF
    std::size_t Entities = 0; // entities added to the drawing
    // What was not read, with how many of each, in the order first met: entity types
    // ("HATCH"), and "in paper space", "of a missing block", "mesh POLYLINE"…
    std::vector<std::pair<std::string, std::size_t>> Skipped;

    std::size_t SkippedCount() const;
    // "3 HATCH, 1 IMAGE"; empty when nothing was skipped.
    std::string SkippedText() const;
};

// Told now and then how far the reading is (0 to 1); answers false to stop it, which
// then ends as a bad file does, with the message "reading was cancelled".
using DxfProgress = std::function<bool(double done)>;

// Reads the file's entities into layers of the drawing named as in the file (created
// when missing). The drawing changes only when the whole file has been read: on a bad
// file the platform::FileError names the file and the place, and the drawing is as it
// was.
DxfReadReport LoadDXF(const std::string& fileName, DXF_Object& drawing,
                      const DxfProgress& progress = {});
// The same for bytes in memory; fileName only names them in messages.
DxfReadReport ReadDXF(std::string_view bytes, const std::string& fileName, DXF_Object& drawing,
                      const DxfProgress& progress = {});

} // namespace drawing
