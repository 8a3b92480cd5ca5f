// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The command line of penwright-trace: which scans, where their drawings go, and how the
// line work is found and traced (the settings of the program's whole-sheet command).

#include "platform/FileFormats.h"
#include "raster/SheetTracer.h"

#include <string>
#include <vector>

namespace trace {

struct TraceOptions {
    std::vector<std::string> inputs;
    std::string output;    // -o: one input only
    std::string outputDir; // --out-dir: one drawing a scan, named after it
    platform::FileFormat format = platform::FileFormat::Dxf; // with --out-dir
    std::string layer = "Penwright";
    raster::SheetTraceSettings settings;
    bool quiet = false;
    bool help = false;
};

// Parses the arguments after the program's name. Throws std::invalid_argument with a
// message for the user when they make no sense.
TraceOptions ParseTraceOptions(const std::vector<std::string>& arguments);

// The drawing file that input goes to.
std::string OutputFor(const TraceOptions& options, const std::string& input);

extern const char* const TraceUsage;

} // namespace trace
