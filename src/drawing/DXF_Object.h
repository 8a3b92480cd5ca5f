// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/DXF_Layer.h"

#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace drawing {

// One line of a listing with the object it stands for: nothing, a layer or an entity list.
struct ListingLine {
    std::string Text;
    std::variant<std::monostate, DXF_Layer*, Entity_List*> Object;
};

// The whole drawing: a name and its layers in order of creation. Names are compared
// byte for byte (case and trailing blanks count).
class DXF_Object {
public:
    explicit DXF_Object(const std::string& name) : Name(name.empty() ? "Untitled" : name) {}
    DXF_Object(const DXF_Object&) = delete;
    DXF_Object& operator=(const DXF_Object&) = delete;

    std::string Name;
    std::vector<std::unique_ptr<DXF_Layer>> Layers;
    Point3 ExtMin, ExtMax; // carried, never computed here

    std::int32_t LayerCount() const { return std::int32_t(Layers.size()); }
    // The layer of that name when reuse is set, else throws DXF_exception "Attempted to
    // create layer with existing name"; a new layer is appended.
    DXF_Layer* CreateLayer(const std::string& name, bool reuse);
    DXF_Layer* FindLayer(const std::string& name) const;
    // Throws DXF_exception "Attempted to add to unnamed layer" when no layer has that
    // name; the entity then stays in the caller's pointer (when that is a
    // std::unique_ptr<DXF_Entity>, so that no converted temporary takes it).
    bool AddEntityToLayer(std::unique_ptr<DXF_Entity>&& entity, const std::string& layerName);
    // Moves every entity of other into the layer of the same name here (created when
    // missing), appending to the list of its class; other is left without layers. Cost:
    // in proportion to the lists, and to the entities of lists that both drawings have.
    void TakeAll(DXF_Object& other);
    // Drops empty entity lists, then layers without lists. A layer whose list names and
    // lists are out of step is reported through report (the internal-error text).
    void RemoveEmpty(const std::function<void(const std::string&)>& report = {});

    // The drawing's name; then per layer "  " + name, and per list "    " + name.
    void FillTree(std::vector<ListingLine>& lines) const;
    // "  " + name per layer.
    void FillLayerNames(std::vector<ListingLine>& lines) const;
};

inline constexpr const char* LayerListsMismatchMessage =
    "Internal error : Layer lists and names mismatch";

} // namespace drawing
