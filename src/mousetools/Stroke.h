// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/Geometry.h"

#include <QPoint>
#include <span>
#include <vector>

namespace mousetools {

// The polyline being drawn with the mouse: its vertices as map points and, in step, as
// raster pixels. It grows as long as the user clicks: a stroke has no fixed limit.
class Stroke {
public:
    void Start(const drawing::Point3& at, QPoint pixel) {
        Clear();
        Append(at, pixel);
    }
    void Append(const drawing::Point3& at, QPoint pixel) {
        vertices_.push_back(at);
        pixels_.push_back(pixel);
    }
    // Keeps the buffers' memory for the next stroke.
    void Clear() {
        vertices_.clear();
        pixels_.clear();
    }
    int Count() const { return int(vertices_.size()); }
    std::span<const drawing::Point3> Vertices() const { return vertices_; }
    std::span<const QPoint> Pixels() const { return pixels_; }

private:
    std::vector<drawing::Point3> vertices_;
    std::vector<QPoint> pixels_;
};

} // namespace mousetools
