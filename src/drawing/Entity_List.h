// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/DXF_Entity.h"

#include <memory>
#include <string>
#include <vector>

namespace drawing {

class DXF_Layer;

// The entities of one class within a layer, in order of addition; owns them. The unit
// that selection, picking, group edits, painting and the RTV file work on.
class Entity_List {
public:
    explicit Entity_List(std::string name) : Name(std::move(name)) {}
    Entity_List(const Entity_List&) = delete;
    Entity_List& operator=(const Entity_List&) = delete;

    std::string Name;           // the class name of its entities, e.g. "Line_"
    DXF_Layer* Layer = nullptr; // the layer that created it; not owned
    std::vector<std::unique_ptr<DXF_Entity>> Entities;

    void Add(std::unique_ptr<DXF_Entity> entity) { Entities.push_back(std::move(entity)); }
    // Removes and frees the entity when it is in this list (by identity).
    bool Delete(const DXF_Entity* entity);
    std::int32_t Count() const { return std::int32_t(Entities.size()); }

    std::int32_t VertexCount() const;
    std::int32_t LineCount() const;
    std::int32_t OpenPolyCount() const;
    std::int32_t ClosedPolyCount() const;
    void ExtendBounds(Point3& max, Point3& min) const;

    // The entity with the smallest positive PickDistance to p, earlier ones winning ties.
    // Returns that distance, or 1e10 with entity untouched when none qualifies.
    double FindNearest(const Point3& p, DXF_Entity*& entity) const;

    bool MoveBy(double dx, double dy);
    bool ScaleAbout(const Point3& centre, double sx, double sy);
    bool RotateAbout(const Point3& centre, double angle);

    // Draws every entity in order, with the attributes StyleOverride selects.
    void Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj);
    // Vertex markers in DisplayStyle's pen colour; only while StyleOverride > 0.
    void DrawMarkers(platform::Canvas& canvas, const Matrix4* view, const Projection& proj);
};

} // namespace drawing
