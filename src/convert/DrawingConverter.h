// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Drawing files converted without a window: RTV, DXF and metafiles read into a drawing,
// the drawing written as RTV, DXF, a metafile or SVG. The same readers and writers as the
// program's open and save commands; what a file format cannot hold is lost as it is
// there (see the readers and writers).

#include "drawing/DXF_Object.h"
#include "platform/FileFormats.h"

#include <string>
#include <vector>

namespace convert {

struct ConversionReport {
    std::size_t Entities = 0;   // entities read
    std::size_t Layers = 0;     // layers read
    std::string Skipped;        // what the reader left out, "3 HATCH, 1 image"; empty: nothing
    std::size_t NotWritten = 0; // entities the writer left out (not finite numbers)
};

// The format of an input file: by its content, else by its extension.
platform::FileFormat InputFormat(const std::string& fileName);

// Reads a drawing file into the drawing. Throws platform::FileError for a bad file and
// std::invalid_argument for a format that holds no drawing.
void ReadDrawing(const std::string& fileName, platform::FileFormat format,
                 drawing::DXF_Object& drawing, ConversionReport& report);

// Writes every entity of the drawing. Pictures (metafile, SVG) show the drawing one map
// unit to a picture unit, y upwards, with a margin of 10 units; a metafile larger than
// its 16-bit coordinates allow is scaled down to fit. Throws platform::FileError.
void WriteDrawing(const std::string& fileName, platform::FileFormat format,
                  const drawing::DXF_Object& drawing, ConversionReport& report);

} // namespace convert
