// SPDX-License-Identifier: GPL-3.0-or-later
//
// A whole DXF file around the entity records: the smallest file other programs accept
// (R12: a HEADER naming the version, the ENTITIES section and EOF). Layers are named by
// the entities' layer groups; readers create them as they meet them.

#include "drawing/DxfFile.h"

#include "drawing/DxfFormat.h"
#include "platform/AtomicFile.h"

#include <sstream>

namespace drawing {

void SaveDXF(const std::string& fileName, const selection_lists& selection) {
    platform::AtomicFile file(fileName);
    std::ostringstream out(std::ios::binary);
    const auto flush = [&] {
        const std::string bytes = out.str();
        file.Write(bytes.data(), bytes.size());
        out.str({});
    };
    WriteDxfGroup(out, 0, "SECTION");
    WriteDxfGroup(out, 2, "HEADER");
    WriteDxfGroup(out, 9, "$ACADVER");
    WriteDxfGroup(out, 1, "AC1009");
    WriteDxfGroup(out, 0, "ENDSEC");
    WriteDxfGroup(out, 0, "SECTION");
    WriteDxfGroup(out, 2, "ENTITIES");
    for (const Entity_List* list : selection.Lists) {
        const std::string layer =
            list->Layer && !list->Layer->Name.empty() ? list->Layer->Name : "0";
        for (const auto& entity : list->Entities) entity->WriteDXF(out, layer);
        flush();
    }
    WriteDxfGroup(out, 0, "ENDSEC");
    WriteDxfGroup(out, 0, "EOF");
    flush();
    file.Commit();
}

} // namespace drawing
