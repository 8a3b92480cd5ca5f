// SPDX-License-Identifier: GPL-3.0-or-later
// Prints the entities of an RTV drawing file, one a line, for the end-to-end scripts:
//   Line_ x1 y1 x2 y2 | Polyline_ closed|open n x y ... | Circle_ x y r | Text_ x y angle text
// usage: rtv_dump FILE
#include "drawing/Entities.h"
#include "drawing/selection_lists.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: rtv_dump FILE\n");
        return 2;
    }
    try {
        drawing::DXF_Object drawing("dump");
        drawing::selection_lists().LoadRTV(argv[1], drawing);
        for (const auto& layer : drawing.Layers)
            for (const auto& list : layer->Lists)
                for (const auto& e : list->Entities) {
                    std::printf("%s", e->ClassName());
                    if (auto* line = dynamic_cast<const drawing::Line_*>(e.get())) {
                        std::printf(" %.3f %.3f %.3f %.3f", line->Pos.x, line->Pos.y,
                                    line->EndPos.x, line->EndPos.y);
                    } else if (auto* p = dynamic_cast<const drawing::Polyline_*>(e.get())) {
                        std::printf(" %s %d", p->Closed ? "closed" : "open", p->Count());
                        for (const auto& v : p->Vertices) std::printf(" %.3f %.3f", v.x, v.y);
                    } else if (auto* c = dynamic_cast<const drawing::Circle_*>(e.get())) {
                        std::printf(" %.3f %.3f %.3f", c->Pos.x, c->Pos.y, c->Radius);
                    } else if (auto* t = dynamic_cast<const drawing::Text_*>(e.get())) {
                        std::printf(" %.3f %.3f %.1f %s", t->Pos.x, t->Pos.y, t->Angle,
                                    t->TextString.c_str());
                    }
                    std::printf("\n");
                }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
