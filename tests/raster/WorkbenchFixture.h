// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small rasters of black shapes on white paper, and a workbench on them that is clicked
// the way the map canvas clicks it (the target colour is the clicked pixel).

#include "platform/Bitmap24.h"
#include "raster/RasterWorkbench.h"

#include <QPoint>
#include <ostream>
#include <vector>

namespace workbench_testing {

constexpr platform::Colour Paper = 0xFEFEFE;
constexpr platform::Colour Ink = 0x000000;

struct Sheet {
    platform::Bitmap24 raster;
    raster::RasterWorkbench bench;

    Sheet(int width, int height) : raster(width, height), bench(&raster) {
        raster.Fill(Paper);
        bench.UseColorRange = false; // most examples are in "Pure color"
    }
    void Box(int left, int top, int width, int height, platform::Colour c = Ink) {
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x) raster.SetPixel(x, y, c);
    }
    void Disc(int cx, int cy, int r) {
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) raster.SetPixel(x, y, Ink);
    }
    bool Click(int x, int y) {
        bench.ClearContour();
        bench.TargetColor = raster.Pixel(x, y);
        return bench.DetectEdge(x, y);
    }
    std::vector<QPoint> Contour() const {
        std::vector<QPoint> points;
        for (std::size_t i = 0; i < bench.ContourCount(); ++i)
            points.push_back(bench.GetContourPoint(i));
        return points;
    }
    // Pixels with the mark bit of a plane (0 blue, 1 green) set, row by row.
    std::vector<QPoint> Marked(int plane) const {
        std::vector<QPoint> points;
        for (int y = 0; y < raster.Height(); ++y)
            for (int x = 0; x < raster.Width(); ++x)
                if (raster.ScanLine(y)[3 * x + plane] & 1) points.emplace_back(x, y);
        return points;
    }
};

} // namespace workbench_testing

QT_BEGIN_NAMESPACE
inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << "(" << p.x() << ", " << p.y() << ")";
}
QT_END_NAMESPACE
