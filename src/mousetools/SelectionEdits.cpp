// SPDX-License-Identifier: GPL-3.0-or-later
#include "mousetools/SelectionEdits.h"

#include "drawing/EntityStyle.h"
#include "drawing/Text_.h"
#include "mousetools/ToolGeometry.h"

#include <stdexcept>

namespace mousetools {

using drawing::Point3;

namespace {

// The box whose middle is the centre of a scale or rotation starts this far out.
constexpr double BoundsStart = 1e6;

} // namespace

bool SelectionEdits::Target(WorkMode scope) const {
    if (scope == wmSelected) return c_.Picks.Entity != nullptr;
    return scope == wmVisible;
}

Point3 SelectionEdits::TargetCentre(WorkMode scope) const {
    Point3 max{-BoundsStart, -BoundsStart, 0}, min{BoundsStart, BoundsStart, 0};
    if (scope == wmSelected)
        c_.Picks.Entity->ExtendBounds(max, min);
    else
        c_.Selection.ExtendBounds(max, min);
    return {min.x + (max.x - min.x) * 0.5, min.y + (max.y - min.y) * 0.5, 0};
}

// The picked entity in an inverting pen: drawn twice, it is gone again.
void SelectionEdits::DrawPicked() {
    platform::Canvas& surface = c_.View.Surface();
    const platform::PenMode mode = surface.GetPen().Mode;
    surface.PenRef().Mode = platform::PenMode::NotXor;
    c_.Picks.Entity->Draw(surface, nullptr, c_.View.ScreenProjection());
    surface.PenRef().Mode = mode;
}

void SelectionEdits::DragStep(ToolMode tool, WorkMode scope, const Point3& old, const Point3& now) {
    if (tool != tmEditPoints && tool != tmScale && tool != tmMove && tool != tmRotate) return;
    if (!Target(scope) || (tool == tmEditPoints && scope != wmSelected)) return;
    c_.Events.DragStep();
    const bool one = scope == wmSelected;
    drawing::DXF_Entity* entity = c_.Picks.Entity;
    if (one) DrawPicked(); // takes its old image away
    switch (tool) {
    case tmEditPoints: {
        // The vertex nearest to where the mouse was follows it.
        Point3 vertex = c_.Picks.Vertex;
        entity->NearestVertex({old.x, old.y, 0}, vertex);
        c_.Picks.Vertex = vertex;
        entity->MoveVertex(vertex, {now.x, now.y, 0});
        break;
    }
    case tmScale: {
        const double sx = now.x - old.x > 0 ? ScaleUpStep : ScaleDownStep;
        const double sy = now.y - old.y > 0 ? ScaleUpStep : ScaleDownStep;
        const Point3 centre = TargetCentre(scope);
        if (one)
            entity->ScaleAbout(centre, sx, sy);
        else
            c_.Selection.ScaleAbout(centre, sx, sy);
        break;
    }
    case tmMove:
        if (one)
            entity->MoveBy(now.x - old.x, now.y - old.y);
        else
            c_.Selection.MoveBy(now.x - old.x, now.y - old.y);
        break;
    case tmRotate: {
        const double step = now.x - old.x > 0 ? -RotateStep : RotateStep;
        const Point3 centre = TargetCentre(scope);
        if (one)
            entity->RotateAbout(centre, step);
        else
            c_.Selection.RotateAbout(centre, step);
        break;
    }
    default:
        break;
    }
    if (one) {
        DrawPicked();
        c_.View.ShowSurface();
    } else {
        c_.View.Redraw();
    }
    c_.Events.DrawingEdited();
}

int SelectionEdits::NearestSegment(const drawing::Polyline_& polyline, const Point3& p) {
    double best = 1e6;
    int nearest = -1;
    const std::vector<Point3>& v = polyline.Vertices;
    for (std::size_t i = 1; i < v.size(); ++i) {
        const double d = drawing::SegmentDistanceSquared(p, v[i - 1], v[i]);
        if (d < best && d > 0) {
            best = d;
            nearest = int(i);
        }
    }
    return nearest;
}

drawing::Polyline_* SelectionEdits::PickedPolyline() const {
    if (c_.Picks.List == nullptr || c_.Picks.List->Name != "Polyline_") return nullptr;
    return dynamic_cast<drawing::Polyline_*>(c_.Picks.Entity);
}

bool SelectionEdits::InsertVertex(const Point3& p) {
    drawing::Polyline_* polyline = PickedPolyline();
    if (polyline == nullptr) return false;
    const int i = NearestSegment(*polyline, p);
    if (i < 0) return false;
    polyline->Vertices.insert(polyline->Vertices.begin() + i, Point3{p.x, p.y, 0});
    c_.Events.DrawingEdited();
    return true;
}

bool SelectionEdits::DeleteVertex(const Point3& p) {
    drawing::Polyline_* polyline = PickedPolyline();
    if (polyline == nullptr) return false;
    const int i = NearestSegment(*polyline, p);
    if (i < 0) return false;
    polyline->Vertices.erase(polyline->Vertices.begin() + (i - 1));
    c_.Events.DrawingEdited();
    return true;
}

void SelectionEdits::DeletePicked() {
    drawing::DXF_Entity* entity = c_.Picks.Entity;
    if (entity == nullptr) return;
    c_.Picks.Entity = nullptr;
    if (c_.Picks.MoveEntity == entity) c_.Picks.MoveEntity = nullptr;
    if (c_.Picks.List != nullptr && c_.Picks.List->Delete(entity)) c_.Events.DrawingEdited();
    c_.View.Redraw();
}

void SelectionEdits::ArmVertexMove(bool armed) {
    c_.Picks.MoveEntity = armed ? c_.Picks.Entity : nullptr;
    c_.Picks.MoveFrom = armed ? c_.Picks.Vertex : Point3{};
}

void SelectionEdits::FinishVertexMove(double x, double y) {
    drawing::DXF_Entity* entity = c_.Picks.MoveEntity;
    if (entity == nullptr) return;
    const Point3 from = c_.Picks.MoveFrom;
    ArmVertexMove(false);
    bool moved = false;
    try {
        moved = entity->MoveVertex(from, drawing::RoundPoint({x, y, from.z}, 1000));
    } catch (const std::exception&) {
        moved = false; // a point too far out to be kept to thousandths
    }
    if (!moved) {
        c_.Events.ShowMessage("An error occurred moving point");
        return;
    }
    c_.Events.DrawingEdited();
    c_.View.Redraw();
}

void SelectionEdits::EditProperties(WorkMode scope) {
    drawing::DXF_Entity* entity = c_.Picks.Entity;
    if (entity == nullptr) return;
    drawing::EntityStyle& style = drawing::EditStyle;
    auto* text = c_.Picks.List != nullptr && c_.Picks.List->Name == "Text_"
                     ? dynamic_cast<drawing::Text_*>(entity)
                     : nullptr;
    if (text != nullptr) {
        style.Text = text->TextString;
        style.FontSize = platform::RoundClamped(text->Height);
        style.FontColor = text->Color;
        style.FontStyle = text->FontStyle;
        style.Angle = platform::RoundClamped(text->Angle);
        style.FontName = text->FontName;
    } else {
        style.PenColor = entity->Color;
        style.PenWidth = entity->PenWidth;
        style.PenStyle = entity->PenStyle;
        style.BrushColor = entity->FillColor;
        style.BrushStyle = entity->BrushStyle;
    }
    if (!c_.Events.EditProperties(text != nullptr)) return;

    if (scope != wmSelected) {
        // Painting in the edit style's mode gives every entity drawn its look, for good.
        const std::int32_t saved = drawing::StyleOverride;
        drawing::StyleOverride = 1;
        c_.View.Redraw();
        drawing::StyleOverride = saved;
    } else {
        if (text != nullptr) {
            text->TextString = style.Text.substr(0, drawing::MaxShortText);
            text->Height = style.FontSize;
            text->Color = style.FontColor;
            text->FontStyle = style.FontStyle;
            text->Angle = style.Angle;
            text->FontName = style.FontName.substr(0, drawing::MaxShortText);
        } else {
            entity->Color = style.PenColor;
            entity->PenWidth = style.PenWidth;
            entity->PenStyle = style.PenStyle;
            entity->FillColor = style.BrushColor;
            entity->BrushStyle = style.BrushStyle;
        }
        c_.View.Redraw();
    }
    c_.Events.DrawingEdited();
}

} // namespace mousetools
