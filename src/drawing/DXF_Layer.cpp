// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/DXF_Layer.h"

#include "drawing/DXF_exception.h"

#include <strings.h>

namespace drawing {

DXF_Layer::~DXF_Layer() {
    while (!Lists.empty()) Lists.pop_back();
}

namespace {

int IndexOfIgnoringCase(const std::vector<std::string>& names, const char* name) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (::strcasecmp(names[i].c_str(), name) == 0) return int(i);
    return -1;
}

} // namespace

Entity_List* DXF_Layer::FindList(const std::string& className) const {
    const int k = IndexOfIgnoringCase(ListNames, className.c_str());
    return k >= 0 && std::size_t(k) < Lists.size() ? Lists[std::size_t(k)].get() : nullptr;
}

bool DXF_Layer::AddEntity(std::unique_ptr<DXF_Entity>&& entity) {
    const char* className = entity->ClassName();
    int k = IndexOfIgnoringCase(ListNames, className);
    if (k < 0) {
        auto list = std::make_unique<Entity_List>(className);
        list->Layer = this;
        Lists.push_back(std::move(list));
        ListNames.emplace_back(className);
        k = int(ListNames.size()) - 1;
        if (std::size_t(k) != Lists.size() - 1) throw DXF_exception("Entity list ID mismatch");
    }
    if (std::size_t(k) >= Lists.size()) throw DXF_exception("Entity list ID mismatch");
    DXF_Entity& added = *entity;
    Lists[std::size_t(k)]->Add(std::move(entity));
    if (added.Color == 0 || added.Color == 256) added.SetColorIndex(LayerColor);
    return true;
}

std::vector<std::unique_ptr<Entity_List>> DXF_Layer::DeleteList(const std::string& listName,
                                                                bool freeIt) {
    std::vector<std::unique_ptr<Entity_List>> detached;
    for (std::size_t k = Lists.size(); k-- > 0;) {
        if (Lists[k]->Name != listName) continue;
        auto list = std::move(Lists[k]);
        Lists.erase(Lists.begin() + std::ptrdiff_t(k));
        if (k < ListNames.size()) ListNames.erase(ListNames.begin() + std::ptrdiff_t(k));
        if (!freeIt) detached.push_back(std::move(list));
    }
    return detached;
}

} // namespace drawing
