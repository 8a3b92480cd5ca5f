// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The mouse on the map: one state machine over the tool (ToolMode) and the tool group or
// edit scope (WorkMode) that turns presses, moves and releases into rubber bands, new
// entities, raster painting and edits. It decides what an event means and hands the work
// to the three tool groups: DrawTools (entities), RasterPaintTools (raster) and
// SelectionEdits (edits of what is drawn).
//
// A left press starts an operation (InProgress) at the anchor; every move while it is
// under way takes the band off and draws it again at the mouse, with an inverting pen;
// the release ends it. A polyline gets a vertex at every left press and release and ends
// with a press of another button. Shift+left and ctrl+left take the pen and fill colours
// from the raster instead. While the canvas's own mouse mode is on (pan, zoom box, detect
// edge) the tools leave the mouse to it.

#include "canvas/MapMouseEvent.h"
#include "mousetools/DrawTools.h"
#include "mousetools/RasterPaintTools.h"
#include "mousetools/SelectionEdits.h"
#include "mousetools/Stroke.h"
#include "mousetools/ToolContext.h"
#include "mousetools/ToolModes.h"

#include <array>

namespace mousetools {

class MapInteraction {
public:
    explicit MapInteraction(ToolContext& context);

    void Press(const canvas::MapMouseEvent& e);
    void Move(const canvas::MapMouseEvent& e);
    void Release(const canvas::MapMouseEvent& e);
    // Escape: the band comes off and the operation or stroke under way is dropped.
    void Cancel();

    // Set by the tool buttons and the group and scope controls.
    ToolMode Tool() const { return tool_; }
    void SetTool(ToolMode tool) { tool_ = tool; }
    WorkMode Work() const { return work_; }
    void SetWork(WorkMode work) { work_ = work; }
    // The select button is down: a right release opens the entities property dialog.
    void SetSelectTool(bool down) { selectTool_ = down; }

    bool InProgress() const { return inProgress_; }
    const drawing::Point3& Anchor() const { return anchor_; }
    const drawing::Point3& Current() const { return current_; }
    const Stroke& CurrentStroke() const { return stroke_; }
    // The screen corners of the last text box drawn, the first repeated last.
    const std::array<QPoint, 5>& TextBox() const { return textBox_; }

    DrawTools& Draw() { return draw_; }
    RasterPaintTools& Paint() { return paint_; }
    SelectionEdits& Edits() { return edits_; }

private:
    void BeginLeftPress(const canvas::MapMouseEvent& e);
    void EndStroke();
    void ResetStroke();
    void ReleaseTool(const canvas::MapMouseEvent& e);
    void ReleaseText();
    // The band of the tool between anchor and current on the surface, inverting: drawn
    // again in the same place, it is gone. The pencil and the eraser paint the raster as
    // well, but not when only taking their band off.
    void DrawBand(bool takingOff);
    QPoint RasterOf(const drawing::Point3& p) const;
    // Lines, circles and polylines paint the raster while the raster or convert group is at
    // work; otherwise they are entities. (Painting the raster with no raster tool chosen
    // would change it without an undo copy.)
    bool IntoRaster() const { return work_ == wmRaster || work_ == wmConvert; }

    ToolContext& c_;
    DrawTools draw_;
    RasterPaintTools paint_;
    SelectionEdits edits_;

    ToolMode tool_ = tmNone;
    WorkMode work_ = wmNone;
    bool selectTool_ = false;
    bool inProgress_ = false;
    drawing::Point3 anchor_{}, current_{}; // map points of the operation under way
    Stroke stroke_;
    std::array<QPoint, 5> textBox_{};
};

} // namespace mousetools
