// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/DXF_Object.h"

#include "drawing/DXF_exception.h"

namespace drawing {

DXF_Layer* DXF_Object::CreateLayer(const std::string& name, bool reuse) {
    if (DXF_Layer* existing = FindLayer(name)) {
        if (reuse) return existing;
        throw DXF_exception("Attempted to create layer with existing name");
    }
    Layers.push_back(std::make_unique<DXF_Layer>(name));
    return Layers.back().get();
}

DXF_Layer* DXF_Object::FindLayer(const std::string& name) const {
    for (const auto& layer : Layers)
        if (layer->Name == name) return layer.get();
    return nullptr;
}

bool DXF_Object::AddEntityToLayer(std::unique_ptr<DXF_Entity>&& entity,
                                  const std::string& layerName) {
    DXF_Layer* layer = FindLayer(layerName);
    if (!layer) throw DXF_exception("Attempted to add to unnamed layer");
    return layer->AddEntity(std::move(entity));
}

void DXF_Object::TakeAll(DXF_Object& other) {
    for (auto& source : other.Layers) {
        DXF_Layer* target = CreateLayer(source->Name, true);
        for (auto& list : source->Lists) {
            if (Entity_List* existing = target->FindList(list->Name)) {
                for (auto& entity : list->Entities) existing->Add(std::move(entity));
                continue;
            }
            list->Layer = target;
            target->ListNames.push_back(list->Name);
            target->Lists.push_back(std::move(list));
        }
    }
    other.Layers.clear();
}

void DXF_Object::RemoveEmpty(const std::function<void(const std::string&)>& report) {
    for (std::size_t i = Layers.size(); i-- > 0;) {
        DXF_Layer& layer = *Layers[i];
        for (std::size_t k = layer.Lists.size(); k-- > 0;) {
            if (layer.Lists[k]->Count() != 0) continue;
            layer.Lists.erase(layer.Lists.begin() + std::ptrdiff_t(k));
            if (k < layer.ListNames.size())
                layer.ListNames.erase(layer.ListNames.begin() + std::ptrdiff_t(k));
            if (layer.ListNames.size() != layer.Lists.size() && report)
                report(LayerListsMismatchMessage);
        }
        if (layer.Lists.empty()) Layers.erase(Layers.begin() + std::ptrdiff_t(i));
    }
}

void DXF_Object::FillTree(std::vector<ListingLine>& lines) const {
    lines.push_back({Name, {}});
    for (const auto& layer : Layers) {
        lines.push_back({"  " + layer->Name, layer.get()});
        for (const auto& list : layer->Lists) lines.push_back({"    " + list->Name, list.get()});
    }
}

void DXF_Object::FillLayerNames(std::vector<ListingLine>& lines) const {
    for (const auto& layer : Layers) lines.push_back({"  " + layer->Name, layer.get()});
}

} // namespace drawing
