// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse tools at 1600 × 1000, one mouse move a repetition, sent as the window system
// sends it (the canvas converts it and hands it to the tools):
// - rubber bands of the draw tools and the text box, with 100 000 mixed entities shown;
// - dragging the whole selection of those 100 000 entities (move, scale, rotate), each
//   move an edit and a repaint of every vector;
// - pencil and eraser on an A0 line-art scan (10 000 × 14 000), zoomed to 1:1, and the
//   undo copy a raster tool takes when chosen.

#include "BenchDrawings.h"
#include "SyntheticScan.h"
#include "canvas/TGISPanel.h"
#include "drawing/Entity_List.h"
#include "mousetools/MapInteraction.h"
#include "mousetools/PanelView.h"

#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

namespace {

using namespace mousetools;

// A map canvas with the mouse tools wired as the main window wires them.
struct ToolBench {
    canvas::TGISPanel panel;
    PanelView view{panel};
    DrawingAttributes attributes;
    std::unique_ptr<drawing::DXF_Object> drawing;
    drawing::selection_lists selection;
    PickState picks;
    ToolEvents events;
    ToolContext context{view, attributes, selection, picks, events, nullptr};
    MapInteraction mouse{context};

    explicit ToolBench(std::unique_ptr<drawing::DXF_Object> entities)
        : drawing(std::move(entities)) {
        context.Drawing = drawing.get();
        panel.resize(1600, 1000);
        panel.show();
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
        attributes.BrushStyle = 1;
        attributes.BoxSize = 12;
        attributes.TextString = "Bridge";
    }
    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QWidget* box = panel.PaintBox();
        QMouseEvent e(type, QPointF(at), box->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(box, &e);
    }
    void Press(QPoint at) { Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void Move(QPoint at) { Send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void Release(QPoint at) { Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
};

// 100 000 entities over the A0 map extent, all selected and shown.
ToolBench& Vectors() {
    static ToolBench* bench = [] {
        auto* b = new ToolBench(bench::MakeMixedDrawing(100000));
        b->selection = bench::SelectAll(*b->drawing);
        b->panel.Raster().SetSize(2000, 2800, 0xFEFEFE); // the map extent is what matters
        b->panel.RasterChanged();
        b->panel.SetExtent(20, 20, 0, 10000, 0, 14000);
        return b;
    }();
    return *bench;
}

// An A0 line-art scan at 1:1, in the middle of the sheet.
ToolBench& Scan() {
    static ToolBench* bench = [] {
        auto* b = new ToolBench(std::make_unique<drawing::DXF_Object>("scan"));
        b->panel.AdoptRaster(synthetic::MakeLineArtScan(10000, 14000, 42));
        b->panel.SetExtent(20, 20, 0, 10000, 0, 14000);
        b->panel.ZoomToRect(4200, 5800, 6500, 7500);
        return b;
    }();
    return *bench;
}

// The mouse wanders over the surface in steps of a few pixels, as a hand moves it.
QPoint Wander(std::int64_t i) {
    const int x = int(i * 7 % 1200), y = int(i * 5 % 800);
    return {200 + (i / 171 % 2 ? 1200 - x : x), 100 + (i / 161 % 2 ? 800 - y : y)};
}

void Band(benchmark::State& state, ToolMode tool) {
    ToolBench& b = Vectors();
    b.panel.Redraw();
    b.mouse.SetWork(wmDraw);
    b.mouse.SetTool(tool);
    b.Press({800, 500});
    std::int64_t i = 0;
    for (auto _ : state) b.Move(Wander(i++));
    b.mouse.Cancel(); // no entity is made
    state.SetLabel("100 000 entities shown");
}

void BM_RubberBand_Line(benchmark::State& state) {
    Band(state, tmLine);
}
void BM_RubberBand_Rectangle(benchmark::State& state) {
    Band(state, tmRectangle);
}
void BM_RubberBand_Circle(benchmark::State& state) {
    Band(state, tmCircle);
}
void BM_TextBox(benchmark::State& state) {
    Band(state, tmText);
}

void DragSelection(benchmark::State& state, ToolMode tool) {
    ToolBench& b = Vectors();
    b.mouse.SetWork(wmVisible);
    b.mouse.SetTool(tool);
    b.Press({800, 500});
    std::int64_t i = 0;
    for (auto _ : state) {
        // Right and left in turn: the selection goes back and forth.
        b.Move({800 + (i % 2 ? 0 : 3), 500 + (i % 2 ? 0 : 2)});
        ++i;
    }
    b.Release({800, 500});
    state.SetLabel("100 000 entities");
}

void BM_DragSelection_Move(benchmark::State& state) {
    DragSelection(state, tmMove);
}
void BM_DragSelection_Scale(benchmark::State& state) {
    DragSelection(state, tmScale);
}
void BM_DragSelection_Rotate(benchmark::State& state) {
    DragSelection(state, tmRotate);
}
// The same without the 10 000 texts: how much of a rotation step is drawing rotated text.
void BM_DragSelection_Rotate_WithoutTexts(benchmark::State& state) {
    ToolBench& b = Vectors();
    auto saved = b.selection.Lists;
    std::erase_if(b.selection.Lists, [](auto* l) { return l->Name == "Text_"; });
    DragSelection(state, tmRotate);
    b.selection.Lists = saved;
}

void Paint(benchmark::State& state, ToolMode tool, int width) {
    ToolBench& b = Scan();
    b.mouse.SetWork(wmRaster);
    b.mouse.SetTool(tool);
    b.attributes.LineWidth = width;
    b.attributes.ForeColor = 0x0000FE;
    b.Press({200, 100});
    std::int64_t i = 0;
    for (auto _ : state) b.Move(Wander(i++));
    b.mouse.Cancel();
    state.SetLabel("A0 scan at 1:1");
}

void BM_Pencil_A0(benchmark::State& state) {
    Paint(state, tmPencil, int(state.range(0)));
}
void BM_Eraser_A0(benchmark::State& state) {
    Paint(state, tmEraser, 1);
}

// What choosing a raster tool costs: the undo copy of the 1600 × 1000 view.
void BM_ChooseRasterTool_A0(benchmark::State& state) {
    ToolBench& b = Scan();
    for (auto _ : state) b.panel.SaveRasterUndo();
}

} // namespace

BENCHMARK(BM_RubberBand_Line)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RubberBand_Rectangle)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RubberBand_Circle)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_TextBox)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_DragSelection_Move)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DragSelection_Scale)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DragSelection_Rotate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DragSelection_Rotate_WithoutTexts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pencil_A0)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Eraser_A0)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ChooseRasterTool_A0)->Unit(benchmark::kMillisecond)->UseRealTime();
