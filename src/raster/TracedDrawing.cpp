// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster/TracedDrawing.h"

#include "drawing/Polyline_.h"

#include <algorithm>

namespace raster {

namespace {

constexpr const char* PolylineList = "Polyline_";

std::size_t PolylinesOf(const drawing::DXF_Layer* layer) {
    const drawing::Entity_List* list = layer ? layer->FindList(PolylineList) : nullptr;
    return list ? list->Entities.size() : 0;
}

} // namespace

TracedAddition AddTracedPolylines(drawing::DXF_Object& drawing, const std::string& layer,
                                  const std::vector<TracedPolyline>& polylines, double flipY,
                                  const PolylineLook& look) {
    TracedAddition addition;
    addition.layer = layer;
    addition.layerCreated = drawing.FindLayer(layer) == nullptr;
    drawing::DXF_Layer* target = drawing.CreateLayer(layer, true);
    addition.before = PolylinesOf(target);
    addition.added.reserve(polylines.size());
    for (const TracedPolyline& line : polylines) {
        if (line.points.size() < 2) continue;
        std::vector<drawing::Point3> vertices;
        vertices.reserve(line.points.size());
        for (const QPoint p : line.points) vertices.push_back({double(p.x()), flipY - p.y(), 0});
        auto polyline = std::make_unique<drawing::Polyline_>(
            drawing::WorldZAxis, std::move(vertices), look.width, look.penStyle, look.brushStyle,
            look.fill, 0, line.closed);
        polyline->SetColor(look.colour);
        addition.added.push_back(polyline.get());
        std::unique_ptr<drawing::DXF_Entity> entity = std::move(polyline);
        target->AddEntity(std::move(entity));
    }
    return addition;
}

bool RemoveTracedPolylines(drawing::DXF_Object& drawing, const TracedAddition& addition) {
    drawing::DXF_Layer* layer = drawing.FindLayer(addition.layer);
    drawing::Entity_List* list = layer ? layer->FindList(PolylineList) : nullptr;
    if (addition.added.empty()) return true;
    if (!list || list->Entities.size() != addition.before + addition.added.size()) return false;
    for (std::size_t i = 0; i < addition.added.size(); ++i)
        if (list->Entities[addition.before + i].get() != addition.added[i]) return false;
    list->Entities.resize(addition.before);
    if (addition.layerCreated && list->Entities.empty() && layer->ListCount() == 1) {
        auto& layers = drawing.Layers;
        layers.erase(std::find_if(layers.begin(), layers.end(),
                                  [layer](const auto& l) { return l.get() == layer; }));
    }
    return true;
}

} // namespace raster
