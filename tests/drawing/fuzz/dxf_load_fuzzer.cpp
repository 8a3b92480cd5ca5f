// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the DXF reader on arbitrary bytes, text and binary. A clean FileError
// is the expected outcome for bad input; anything else that escapes, and every sanitizer
// report, is a finding. A failed read must leave the drawing as it was.
#include "drawing/DxfReader.h"
#include "platform/FileError.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    drawing::DXF_Object dxf("fuzz");
    dxf.CreateLayer("Kept", false);
    try {
        drawing::ReadDXF(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.dxf",
                         dxf);
    } catch (const platform::FileError&) {
        if (dxf.Layers.size() != 1 || !dxf.Layers[0]->Lists.empty()) std::abort();
    }
    return 0;
}
