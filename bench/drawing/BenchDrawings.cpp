// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchDrawings.h"

#include "drawing/Entities.h"

#include <cstdio>
#include <malloc.h>
#include <random>
#include <string>

namespace bench {

using namespace drawing;

std::unique_ptr<DXF_Object> MakeMixedDrawing(std::size_t entities) {
    auto dxf = std::make_unique<DXF_Object>("bench");
    DXF_Layer* layers[4];
    for (int i = 0; i < 4; ++i) layers[i] = dxf->CreateLayer("Layer " + std::to_string(i), false);
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> x(0, 10000), y(0, 14000), step(-20, 20);
    std::vector<Point3> vertices(8);
    for (std::size_t i = 0; i < entities; ++i) {
        DXF_Layer& layer = *layers[i % 4];
        const Point3 p{x(random), y(random), 0};
        const std::int32_t colour = std::int32_t(i / 64 % 47); // runs of equal attributes
        if (i % 2 == 0) {
            vertices[0] = p;
            for (std::size_t k = 1; k < 8; ++k)
                vertices[k] = {vertices[k - 1].x + step(random), vertices[k - 1].y + step(random),
                               0};
            layer.AddEntity(
                std::make_unique<Polyline_>(WorldZAxis, vertices, 1, 0, 1, 0, colour, false));
            continue;
        }
        switch (i / 2 % 5) {
        case 0:
            layer.AddEntity(std::make_unique<Point_>(WorldZAxis, p, 1, 0, colour));
            break;
        case 1:
            layer.AddEntity(std::make_unique<Line_>(p, Point3{p.x + 10, p.y + 5, 0}, 1, 0, colour));
            break;
        case 2:
            layer.AddEntity(std::make_unique<Circle_>(WorldZAxis, p, 7, 1, 0, 1, 0, colour));
            break;
        case 3:
            layer.AddEntity(std::make_unique<Arc_>(WorldZAxis, p, 7, 10, 200, 1, 0, 1, 0, colour));
            break;
        default:
            layer.AddEntity(std::make_unique<Text_>(WorldZAxis, p, "Parcel " + std::to_string(i),
                                                    "Arial", 12, 0, 0, colour, 0));
        }
    }
    return dxf;
}

std::unique_ptr<DXF_Object> MakeCadDrawing(std::size_t entities) {
    auto dxf = std::make_unique<DXF_Object>("cad");
    DXF_Layer* layers[4];
    for (const char* name : {"L0", "L1", "L2", "L3"})
        layers[name[1] - '0'] = dxf->CreateLayer(name, false);
    std::mt19937_64 random(11);
    std::uniform_int_distribution<int> x(0, 1000000), y(0, 1400000), step(-2000, 2000);
    const auto at = [&](int cx, int cy) { return Point3{cx / 100.0, cy / 100.0, 0}; };
    for (std::size_t i = 0; i < entities; ++i) {
        DXF_Layer& layer = *layers[i % 4];
        const int px = x(random), py = y(random);
        const std::int32_t colour = std::int32_t(i / 64 % 47);
        switch (i % 10) {
        case 0: {
            std::vector<Point3> vertices{at(px, py), at(px + step(random), py + step(random)),
                                         at(px + step(random), py + step(random))};
            layer.AddEntity(
                std::make_unique<Polyline_>(WorldZAxis, vertices, 1, 0, 1, 0, colour, false));
            break;
        }
        case 1:
        case 2:
        case 3:
        case 4: {
            char label[24];
            std::snprintf(label, sizeof label, "P%zu", i);
            layer.AddEntity(std::make_unique<Text_>(WorldZAxis, at(px, py), label, "Arial", 2.5, 0,
                                                    0, colour, 0));
            break;
        }
        default:
            layer.AddEntity(std::make_unique<Line_>(
                at(px, py), at(px + step(random), py + step(random)), 1, 0, colour));
        }
    }
    return dxf;
}

std::unique_ptr<DXF_Object> MakeLineDrawing(std::size_t count) {
    auto dxf = std::make_unique<DXF_Object>("lines");
    DXF_Layer* layer = dxf->CreateLayer("Lines", false);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> x(0, 10000), y(0, 14000), step(1, 50);
    for (std::size_t i = 0; i < count; ++i) {
        const Point3 a{x(random), y(random), 0};
        layer->AddEntity(
            std::make_unique<Line_>(a, Point3{a.x + step(random), a.y + step(random), 0}, 1, 0, 0));
    }
    return dxf;
}

selection_lists SelectAll(DXF_Object& drawing) {
    selection_lists selection;
    for (auto& layer : drawing.Layers)
        for (auto& list : layer->Lists) selection.Lists.push_back(list.get());
    return selection;
}

namespace {

std::size_t HeapString(const std::string& s) {
    return s.capacity() > 15 ? s.capacity() + 1 : 0; // beyond the small-string buffer
}

} // namespace

std::size_t EntityBytes(const DXF_Object& drawing) {
    std::size_t bytes = 0;
    for (const auto& layer : drawing.Layers)
        for (const auto& list : layer->Lists)
            for (const auto& e : list->Entities) {
                switch (e->Kind()) {
                case EntityKind::Point:
                    bytes += sizeof(Point_);
                    break;
                case EntityKind::Line:
                    bytes += sizeof(Line_);
                    break;
                case EntityKind::Circle:
                    bytes += sizeof(Circle_);
                    break;
                case EntityKind::Arc:
                    bytes += sizeof(Arc_);
                    break;
                case EntityKind::Text: {
                    const auto& t = static_cast<const Text_&>(*e);
                    bytes += sizeof(Text_) + HeapString(t.TextString) + HeapString(t.FontName);
                    break;
                }
                case EntityKind::Polyline:
                    bytes += sizeof(Polyline_) +
                             static_cast<const Polyline_&>(*e).Vertices.capacity() * sizeof(Point3);
                    break;
                }
                if (e->OCSMatrix) bytes += sizeof(Matrix4);
            }
    return bytes;
}

std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace bench
