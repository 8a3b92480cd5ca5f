// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the mouse tools work on: the drawing and its selection, the entity that hover
// tracking picked, the drawing attributes, the map, and the owner's answers to what they
// do. The owner keeps all of it; the tools hold references.

#include "drawing/DXF_Object.h"
#include "drawing/selection_lists.h"
#include "mousetools/DrawingAttributes.h"
#include "mousetools/MapView.h"

#include <functional>
#include <string>

namespace mousetools {

// The entity nearest to the resting mouse (hover tracking) and the vertex a shift-press
// has armed for moving. References into the drawing; they own nothing.
struct PickState {
    drawing::Entity_List* List = nullptr;
    drawing::DXF_Entity* Entity = nullptr;
    drawing::Point3 Vertex{};
    drawing::DXF_Entity* MoveEntity = nullptr;
    drawing::Point3 MoveFrom{};
};

// The owner's part. Every one may be left as it is (does nothing, or declines).
struct ToolEvents {
    std::function<void()> EntityAdded = [] {};   // a new entity is in the drawing
    std::function<void()> DrawingEdited = [] {}; // entities changed or went
    std::function<void()> RasterPainted = [] {}; // raster pixels changed
    std::function<void()> ColoursPicked = [] {}; // pen or fill colour taken from the raster
    std::function<void()> DragStep = [] {};      // an edit drag moved (hover tracking pauses)
    // Shows the entities property dialog on drawing::EditStyle; true when confirmed.
    std::function<bool(bool textMode)> EditProperties = [](bool) { return false; };
    std::function<void(const std::string&)> ShowMessage = [](const std::string&) {};
};

struct ToolContext {
    MapView& View;
    DrawingAttributes& Attributes;
    drawing::selection_lists& Selection;
    PickState& Picks;
    ToolEvents& Events;
    drawing::DXF_Object* Drawing = nullptr; // none until the owner creates it
};

} // namespace mousetools
