// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a sample drawing to the DXF file named by argv[1], for a check by an independent
// reader (check_dxf.py): one entity of every class in colours that are exact ACI colours,
// every pen style, a text that tries to break out of its value, texts beyond ASCII, a
// layer name DXF does not allow, and an entity whose coordinate is not a number.
#include "drawing/DxfFile.h"
#include "drawing/Entities.h"

#include <cstdio>
#include <exception>
#include <limits>

int main(int argc, char** argv) {
    using namespace drawing;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s out.dxf\n", argv[0]);
        return 2;
    }
    try {
        DXF_Object dxf("Sample");
        DXF_Layer* shapes = dxf.CreateLayer("Shapes", false);
        DXF_Layer* notes = dxf.CreateLayer("Notes: \"a/b\"", false);
        const auto add = [](DXF_Layer* layer, std::unique_ptr<DXF_Entity> e, platform::Colour c,
                            int penStyle = 0) {
            e->SetColor(c);
            e->PenStyle = std::uint8_t(penStyle);
            layer->AddEntity(std::move(e));
        };
        const platform::Colour red = 0x0000FF, yellow = 0x00FFFF, green = 0x00FF00, cyan = 0xFFFF00,
                               blue = 0xFF0000, magenta = 0xFF00FF, black = 0;
        add(shapes, std::make_unique<Point_>(WorldZAxis, Point3{1, 2, 0}, 1, 0, 0), red);
        add(shapes, std::make_unique<Line_>(Point3{0, 0, 0}, Point3{10, 5, 0}, 1, 0, 0), green, 1);
        add(shapes,
            std::make_unique<Circle_>(Point3{0, 0.6, 0.8}, Point3{5, 5, 0}, 2.5, 1, 0, 1, 0, 0),
            blue, 2);
        add(shapes,
            std::make_unique<Arc_>(WorldZAxis, Point3{-3, 4, 0}, 1.5, 30, 270, 1, 0, 1, 0, 0), cyan,
            3);
        add(shapes,
            std::make_unique<Polyline_>(WorldZAxis,
                                        std::vector<Point3>{{0, 0, 0}, {4, 0, 0}, {4, 3, 0}}, 1, 0,
                                        1, 0, 0, true),
            magenta, 4);
        add(shapes,
            std::make_unique<Line_>(Point3{123456.789012, -9876543.21, 0}, Point3{0.1, 0.2, 0}, 1,
                                    0, 0),
            yellow);
        add(shapes,
            std::make_unique<Line_>(Point3{std::numeric_limits<double>::quiet_NaN(), 0, 0},
                                    Point3{std::numeric_limits<double>::infinity(), 1, 0}, 1, 0, 0),
            red);
        add(notes,
            std::make_unique<Text_>(WorldZAxis, Point3{7, 8, 0}, "Penwright", "Arial", 12.5, 450, 0,
                                    0, 1),
            black);
        add(notes,
            std::make_unique<Text_>(WorldZAxis, Point3{0, 0, 0},
                                    "evil\r\n0\r\nLINE\r\n8\r\n0\r\n10\r\n1^2", "Arial", 10, 0, 0,
                                    0, 0),
            black);
        add(notes,
            std::make_unique<Text_>(WorldZAxis, Point3{0, 20, 0},
                                    "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xCE\xA9", "Arial", 10, 0,
                                    0, 0, 0),
            black);
        add(notes,
            std::make_unique<Text_>(WorldZAxis, Point3{0, 40, 0}, "Latin-1 \xE9t\xE9", "Arial", 10,
                                    0, 0, 0, 0),
            black);
        selection_lists all;
        for (auto& layer : dxf.Layers)
            for (auto& list : layer->Lists) all.Lists.push_back(list.get());
        const DxfWriteReport report = SaveDXF(argv[1], all);
        std::printf("%zu written, %zu not finite\n", report.Written, report.NotFinite);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
