// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Entity_List.h"

#include "drawing/EntityStyle.h"
#include "drawing/Text_.h"

#include <algorithm>

namespace drawing {

bool Entity_List::Delete(const DXF_Entity* entity) {
    const auto it = std::find_if(Entities.begin(), Entities.end(),
                                 [entity](const auto& e) { return e.get() == entity; });
    if (it == Entities.end()) return false;
    Entities.erase(it);
    return true;
}

std::int32_t Entity_List::VertexCount() const {
    std::int32_t n = 0;
    for (const auto& e : Entities) n += e->VertexCount();
    return n;
}

std::int32_t Entity_List::LineCount() const {
    std::int32_t n = 0;
    for (const auto& e : Entities) n += e->LineCount();
    return n;
}

std::int32_t Entity_List::OpenPolyCount() const {
    std::int32_t n = 0;
    for (const auto& e : Entities) n += e->OpenPolyCount();
    return n;
}

std::int32_t Entity_List::ClosedPolyCount() const {
    std::int32_t n = 0;
    for (const auto& e : Entities) n += e->ClosedPolyCount();
    return n;
}

void Entity_List::ExtendBounds(Point3& max, Point3& min) const {
    for (const auto& e : Entities) e->ExtendBounds(max, min);
}

double Entity_List::FindNearest(const Point3& p, DXF_Entity*& entity) const {
    double best = 1e10;
    for (const auto& e : Entities) {
        const double d = e->PickDistance(p);
        if (d > 0 && d < best) {
            entity = e.get();
            best = d;
        }
    }
    return best;
}

bool Entity_List::MoveBy(double dx, double dy) {
    for (const auto& e : Entities) e->MoveBy(dx, dy);
    return true;
}

bool Entity_List::ScaleAbout(const Point3& centre, double sx, double sy) {
    for (const auto& e : Entities) e->ScaleAbout(centre, sx, sy);
    return true;
}

bool Entity_List::RotateAbout(const Point3& centre, double angle) {
    for (const auto& e : Entities) e->RotateAbout(centre, angle);
    return true;
}

namespace {

struct PenAndBrush {
    platform::Colour color, fillColor;
    std::int16_t penWidth;
    std::uint8_t penStyle, brushStyle;
};

PenAndBrush PenAndBrushOf(const DXF_Entity& e) {
    return {e.Color, e.FillColor, e.PenWidth, e.PenStyle, e.BrushStyle};
}

void GivePenAndBrush(DXF_Entity& e, const PenAndBrush& a) {
    e.Color = a.color;
    e.FillColor = a.fillColor;
    e.PenWidth = a.penWidth;
    e.PenStyle = a.penStyle;
    e.BrushStyle = a.brushStyle;
}

void GiveStylePenAndBrush(DXF_Entity& e, const EntityStyle& s) {
    GivePenAndBrush(e, {s.PenColor, s.BrushColor, s.PenWidth, s.PenStyle, s.BrushStyle});
}

} // namespace

void Entity_List::Draw(platform::Canvas& canvas, const Matrix4* view, const Projection& proj) {
    const std::int32_t mode = StyleOverride;
    const bool texts = Name == "Text_";
    for (const auto& e : Entities) {
        auto* text = texts ? dynamic_cast<Text_*>(e.get()) : nullptr;
        const PenAndBrush own = PenAndBrushOf(*e);
        std::string ownText;
        if (mode == 1) {
            if (text) {
                text->FontName = EditStyle.FontName.substr(0, MaxShortText);
                text->Height = EditStyle.FontSize;
                text->Color = EditStyle.FontColor;
                text->FontStyle = EditStyle.FontStyle;
                text->Angle = EditStyle.Angle;
                if (!EditStyle.Text.empty())
                    text->TextString = EditStyle.Text.substr(0, MaxShortText);
            } else if (!texts) {
                GiveStylePenAndBrush(*e, EditStyle);
            }
        } else if (mode >= 2) {
            if (text) {
                text->Color = DisplayStyle.FontColor;
                if (!DisplayStyle.Text.empty()) {
                    ownText = text->TextString;
                    text->TextString = DisplayStyle.Text.substr(0, MaxShortText);
                }
            } else if (!texts) {
                GiveStylePenAndBrush(*e, DisplayStyle);
            }
        }
        e->Draw(canvas, view, proj);
        if (mode >= 2) {
            GivePenAndBrush(*e, own);
            // The display look is for this pass only: the text is given back as well.
            if (text && !DisplayStyle.Text.empty()) text->TextString = std::move(ownText);
        }
    }
}

void Entity_List::DrawMarkers(platform::Canvas& canvas, const Matrix4* view,
                              const Projection& proj) {
    if (StyleOverride <= 0) return;
    for (const auto& e : Entities) {
        const platform::Colour own = e->Color;
        e->Color = DisplayStyle.PenColor;
        e->DrawMarkers(canvas, view, proj);
        e->Color = own;
    }
}

} // namespace drawing
