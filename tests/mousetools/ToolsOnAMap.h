// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The mouse tools on a real map canvas, wired as the main window wires them, without the
// window: the canvas hands its mouse events to a MapInteraction, and its paint event draws
// the selected lists. The canvas is 300 × 300 surface pixels showing a white 150 × 150
// raster at 2 pixels a map unit: surface (sx, sy) is map (sx / 2, 150 − sy / 2) and raster
// pixel (sx / 2, sy / 2).

#include "canvas/TGISPanel.h"
#include "drawing/DXF_Object.h"
#include "drawing/selection_lists.h"
#include "mousetools/MapInteraction.h"
#include "mousetools/PanelView.h"
#include "support/Mouse.h"

#include <QObject>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace drawing {
inline void PrintTo(const Point3& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}
} // namespace drawing

namespace tools_test {

// The real canvas, remembering every raster area the tools announced before painting.
class RecordingView final : public mousetools::MapView {
public:
    explicit RecordingView(canvas::TGISPanel& panel) : view_(panel) {}
    std::vector<QRect> areas;

    QPoint WorldToScreen(double x, double y) const override { return view_.WorldToScreen(x, y); }
    QPoint WorldToRaster(double x, double y) const override { return view_.WorldToRaster(x, y); }
    double ViewScale() const override { return view_.ViewScale(); }
    platform::Canvas& Surface() override { return view_.Surface(); }
    const drawing::Projection& ScreenProjection() const override {
        return view_.ScreenProjection();
    }
    void ShowSurface() override { view_.ShowSurface(); }
    void Redraw() override { view_.Redraw(); }
    void Refresh() override { view_.Refresh(); }
    void PaintRaster(QRect area, const std::function<void(platform::Canvas&)>& paint) override {
        areas.push_back(area);
        view_.PaintRaster(area, paint);
    }
    platform::Colour PickColor(QPoint rasterPixel) const override {
        return view_.PickColor(rasterPixel);
    }

private:
    mousetools::PanelView view_;
};

struct ToolsOnAMap {
    canvas::TGISPanel panel;
    RecordingView view{panel};
    mousetools::DrawingAttributes attributes;
    drawing::DXF_Object drawing{"Test"};
    drawing::selection_lists selection;
    mousetools::PickState picks;
    mousetools::ToolEvents events;
    mousetools::ToolContext context{view, attributes, selection, picks, events, &drawing};
    mousetools::MapInteraction mouse{context};
    int added = 0, edited = 0, painted = 0;
    std::vector<std::string> messages;

    ToolsOnAMap(mousetools::WorkMode work, mousetools::ToolMode tool) {
        panel.resize(300, 300);
        panel.show();
        panel.Raster().SetSize(150, 150, 0xFEFEFE);
        panel.RasterChanged();
        panel.SetExtent(0, 0, 0, 150, 0, 150);
        mouse.SetWork(work);
        mouse.SetTool(tool);
        attributes.ForeColor = 0x0000FE; // red
        attributes.BrushStyle = 1;       // clear, as the main window starts
        QObject::connect(&panel, &canvas::TGISPanel::MouseDownEvent,
                         [this](const canvas::MapMouseEvent& e) { mouse.Press(e); });
        QObject::connect(&panel, &canvas::TGISPanel::MouseMoveEvent,
                         [this](const canvas::MapMouseEvent& e) { mouse.Move(e); });
        QObject::connect(&panel, &canvas::TGISPanel::MouseUpEvent,
                         [this](const canvas::MapMouseEvent& e) { mouse.Release(e); });
        QObject::connect(&panel, &canvas::TGISPanel::Paint, [this] {
            for (drawing::Entity_List* list : selection.Lists)
                list->Draw(panel.PaintBox()->Canvas(), nullptr, panel.ScreenProjection());
        });
        events.EntityAdded = [this] {
            ++added;
            SelectAll();
        };
        events.DrawingEdited = [this] { ++edited; };
        events.RasterPainted = [this] { ++painted; };
        events.ShowMessage = [this](const std::string& text) { messages.push_back(text); };
    }

    // Every entity list of the drawing, as the layers dialog selects them after a change.
    void SelectAll() {
        selection.Lists.clear();
        for (const auto& layer : drawing.Layers)
            for (const auto& list : layer->Lists) selection.Lists.push_back(list.get());
    }
    drawing::Entity_List* List(const char* layer, const char* name) {
        drawing::DXF_Layer* l = drawing.FindLayer(layer);
        return l ? l->FindList(name) : nullptr;
    }
    template <class Entity> Entity* Only(const char* name) {
        drawing::Entity_List* list = List(attributes.LayerName.c_str(), name);
        if (list == nullptr || list->Count() != 1) return nullptr;
        return dynamic_cast<Entity*>(list->Entities.front().get());
    }

    QWidget* Box() { return panel.PaintBox(); }
    static QPoint At(double x, double y) { return {int(2 * x), int(300 - 2 * y)}; }
    QRgb Surface(QPoint p) { return panel.PaintBox()->Surface().pixel(p); }
    platform::Colour Pixel(int x, int y) { return panel.Raster().Pixel(x, y); }

    void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers keys = Qt::NoModifier) {
        testing_support::SendMouse(Box(), QEvent::MouseButtonPress, at, button, button, keys);
    }
    void MoveTo(QPoint at, Qt::MouseButtons held = Qt::LeftButton,
                Qt::KeyboardModifiers keys = Qt::NoModifier) {
        testing_support::SendMouse(Box(), QEvent::MouseMove, at, Qt::NoButton, held, keys);
    }
    void Release(QPoint at, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers keys = Qt::NoModifier) {
        testing_support::SendMouse(Box(), QEvent::MouseButtonRelease, at, button, Qt::NoButton,
                                   keys);
    }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers keys = Qt::NoModifier) {
        Press(at, button, keys);
        Release(at, button, keys);
    }
    // Press at the first point, a move to each of the others, release at the last.
    void Drag(std::initializer_list<QPoint> path) {
        Press(*path.begin());
        for (auto it = path.begin() + 1; it != path.end(); ++it) MoveTo(*it);
        Release(*(path.end() - 1));
    }
};

} // namespace tools_test
