// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Editing what is drawn with the mouse: dragging the picked entity ("Selected") or the
// whole selection ("Visible") to move, scale or rotate it, dragging a vertex of the
// picked entity, inserting and deleting polyline vertices, moving an armed vertex to
// where the mouse is released, deleting the picked entity, and its entities property
// dialog. Points are map units. Edits that need a picked entity do nothing without one.

#include "drawing/Polyline_.h"
#include "mousetools/ToolContext.h"
#include "mousetools/ToolModes.h"

namespace mousetools {

class SelectionEdits {
public:
    explicit SelectionEdits(ToolContext& context) : c_(context) {}

    // One mouse move of a drag with the left button, from old to now. Moving follows the
    // mouse; scaling and rotating take one fixed step a move, whatever the distance
    // (right: larger, and clockwise). Only the edit tools act.
    void DragStep(ToolMode tool, WorkMode scope, const drawing::Point3& old,
                  const drawing::Point3& now);

    // The segment of the polyline nearest to p: the index of its second end, or -1 when
    // no segment is nearer than 1000 map units. A point exactly on a segment's line does
    // not count as near it.
    static int NearestSegment(const drawing::Polyline_& polyline, const drawing::Point3& p);
    // On the picked polyline: a new vertex at p in its nearest segment, or that
    // segment's first end removed. False (nothing changed) otherwise.
    bool InsertVertex(const drawing::Point3& p);
    bool DeleteVertex(const drawing::Point3& p);

    // Removes and frees the picked entity.
    void DeletePicked();

    // A press with shift held arms a move of the picked vertex (or disarms); the
    // release moves it to where the mouse is, rounded to thousandths. A vertex the
    // entity no longer has is reported.
    void ArmVertexMove(bool armed);
    void FinishVertexMove(double x, double y);

    // The entities property dialog for the picked entity; confirmed, its look goes to
    // that entity (wmSelected) or to every entity of the selected lists.
    void EditProperties(WorkMode scope);

private:
    bool Target(WorkMode scope) const;
    drawing::Point3 TargetCentre(WorkMode scope) const;
    void DrawPicked();
    drawing::Polyline_* PickedPolyline() const;

    ToolContext& c_;
};

} // namespace mousetools
