// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/selection_lists.h"

namespace drawing {

void selection_lists::FindNearest(const Point3& p, DXF_Entity*& entity, Entity_List*& list,
                                  Point3& vertex) const {
    if (Lists.empty()) return;
    double best = 1e10;
    std::size_t bestIndex = 0;
    for (std::size_t i = 0; i < Lists.size(); ++i) {
        DXF_Entity* candidate = nullptr;
        const double d = Lists[i]->FindNearest(p, candidate);
        if (d < best && candidate) {
            candidate->NearestVertex(p, vertex);
            entity = candidate;
            best = d;
            bestIndex = i;
        }
    }
    list = Lists[bestIndex];
}

void selection_lists::ExtendBounds(Point3& max, Point3& min) const {
    for (const auto* list : Lists) list->ExtendBounds(max, min);
}

bool selection_lists::MoveBy(double dx, double dy) {
    for (auto* list : Lists) list->MoveBy(dx, dy);
    return true;
}

bool selection_lists::ScaleAbout(const Point3& centre, double sx, double sy) {
    for (auto* list : Lists) list->ScaleAbout(centre, sx, sy);
    return true;
}

bool selection_lists::RotateAbout(const Point3& centre, double angle) {
    for (auto* list : Lists) list->RotateAbout(centre, angle);
    return true;
}

} // namespace drawing
