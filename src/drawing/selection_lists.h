// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/DXF_Object.h"

#include <string>
#include <vector>

namespace drawing {

// The entity lists the user has selected. The lists stay owned by their layers: whoever
// removes lists or layers from the drawing refills this before it is used again.
class selection_lists {
public:
    std::vector<Entity_List*> Lists;

    // The entity nearest to p over all lists (earlier lists win ties), the list holding it
    // and its vertex nearest to p. With no lists nothing is touched; when no list has a
    // candidate, entity and vertex keep their values and list becomes the first list.
    void FindNearest(const Point3& p, DXF_Entity*& entity, Entity_List*& list,
                     Point3& vertex) const;
    void ExtendBounds(Point3& max, Point3& min) const;
    bool MoveBy(double dx, double dy);
    bool ScaleAbout(const Point3& centre, double sx, double sy);
    // angle in radians, counter-clockwise.
    bool RotateAbout(const Point3& centre, double angle);

    // The RTV drawing file; see RtvWriter.cpp and RtvReader.cpp. Both throw
    // platform::FileError naming the file.
    void SaveRTV(const std::string& fileName) const;
    void LoadRTV(const std::string& fileName, DXF_Object& drawing) const;
};

} // namespace drawing
