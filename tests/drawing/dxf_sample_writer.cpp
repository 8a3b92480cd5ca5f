// SPDX-License-Identifier: GPL-3.0-or-later
// Writes one entity of every class to the DXF file named by argv[1], for a check by an
// independent reader (check_dxf.py).
#include "drawing/DxfFile.h"
#include "drawing/Entities.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    using namespace drawing;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s out.dxf\n", argv[0]);
        return 2;
    }
    try {
        DXF_Object dxf("Sample");
        DXF_Layer* shapes = dxf.CreateLayer("Shapes", false);
        DXF_Layer* notes = dxf.CreateLayer("Notes", false);
        shapes->AddEntity(std::make_unique<Point_>(WorldZAxis, Point3{1, 2, 0}, 1, 0, 1));
        shapes->AddEntity(std::make_unique<Line_>(Point3{0, 0, 0}, Point3{10, 5, 0}, 1, 0, 3));
        shapes->AddEntity(
            std::make_unique<Circle_>(Point3{0, 0.6, 0.8}, Point3{5, 5, 0}, 2.5, 1, 0, 1, 0, 4));
        shapes->AddEntity(
            std::make_unique<Arc_>(WorldZAxis, Point3{-3, 4, 0}, 1.5, 30, 270, 1, 0, 1, 0, 5));
        shapes->AddEntity(std::make_unique<Polyline_>(
            WorldZAxis, std::vector<Point3>{{0, 0, 0}, {4, 0, 0}, {4, 3, 0}}, 1, 0, 1, 0, 6, true));
        notes->AddEntity(std::make_unique<Text_>(WorldZAxis, Point3{7, 8, 0}, "Penwright", "Arial",
                                                 12.5, 450, 0, 2, 1));
        selection_lists all;
        for (auto& layer : dxf.Layers)
            for (auto& list : layer->Lists) all.Lists.push_back(list.get());
        SaveDXF(argv[1], all);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
