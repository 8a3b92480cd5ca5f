// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawing/selection_lists.h"

#include <cstddef>
#include <memory>

namespace bench {

// Half polylines of 8 vertices, the other half points, lines, circles, arcs and texts in
// equal shares, spread over a 10 000 x 14 000 map on 4 layers; deterministic.
std::unique_ptr<drawing::DXF_Object> MakeMixedDrawing(std::size_t entities);
// A CAD-like drawing for file benchmarks: lines, short polylines and texts (5 : 1 : 4),
// coordinates in hundredths, over a 10 000 x 14 000 map on 4 layers; deterministic.
std::unique_ptr<drawing::DXF_Object> MakeCadDrawing(std::size_t entities);
// count random oblique line segments of up to 50 units in one list.
std::unique_ptr<drawing::DXF_Object> MakeLineDrawing(std::size_t count);
drawing::selection_lists SelectAll(drawing::DXF_Object& drawing);
// Bytes the entities themselves take: objects, vertex arrays and long strings.
std::size_t EntityBytes(const drawing::DXF_Object& drawing);
// Bytes of heap in use now.
std::size_t HeapInUse();

} // namespace bench
