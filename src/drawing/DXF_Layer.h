// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/Entity_List.h"

#include <memory>
#include <string>
#include <vector>

namespace drawing {

// A named layer: one entity list per entity class, in order of creation. ListNames[i] is
// always Lists[i]->Name.
class DXF_Layer {
public:
    explicit DXF_Layer(std::string name) : Name(std::move(name)) {}
    ~DXF_Layer();
    DXF_Layer(const DXF_Layer&) = delete;
    DXF_Layer& operator=(const DXF_Layer&) = delete;

    std::string Name;
    std::int32_t LayerColor = 0; // palette index given to black entities on AddEntity
    std::vector<std::string> ListNames;
    std::vector<std::unique_ptr<Entity_List>> Lists;

    std::int32_t ListCount() const { return std::int32_t(ListNames.size()); }

    // Puts the entity into the list of its class, creating that list on first use. A
    // black entity (Color 0, or 256) takes the layer's colour. Throws DXF_exception
    // "Entity list ID mismatch" when ListNames and Lists have got out of step; the entity
    // then stays in the caller's std::unique_ptr<DXF_Entity>.
    bool AddEntity(std::unique_ptr<DXF_Entity>&& entity);
    // The list of that class name (letter case ignored), or null.
    Entity_List* FindList(const std::string& className) const;

    // Removes every list named listName. Freed lists are destroyed; otherwise they are
    // handed back, detached (their Layer still names this layer).
    std::vector<std::unique_ptr<Entity_List>> DeleteList(const std::string& listName, bool freeIt);
};

} // namespace drawing
