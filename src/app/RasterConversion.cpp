// SPDX-License-Identifier: GPL-3.0-or-later
// Raster conversion from the main window: colour pick-up and outline recording with the
// mouse, the outline animation, and "V", which turns every recorded outline into a
// polyline on the current layer.

#include "app/ColourSquare.h"
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "drawing/Polyline_.h"
#include "raster/LinePlane.h"

#include <QCheckBox>
#include <QTimer>
#include <QToolButton>

namespace app {

void Tmainform::ConnectConversion() {
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { GISPanel1->AnimateOutlines(); });
    Timer1->start();
    connect(GISPanel1, &canvas::TGISPanel::MouseDownEvent, this, &Tmainform::GISPanel1MouseDown);
    connect(GISPanel1, &canvas::TGISPanel::MouseUpEvent, this, &Tmainform::GISPanel1MouseUp);
    connect(SpeedButton13, &QToolButton::clicked, this, [this] { VectorizeAll(); });
}

void Tmainform::GISPanel1MouseDown(QObject*, Qt::MouseButton button, canvas::ShiftState shift,
                                   int x, int y) {
    if (shift == (canvas::ssShift | canvas::ssLeft)) {
        ForeColor = GISPanel1->PickColor(x, y);
        Shape1->SetColour(ForeColor);
        ApplyAttributes();
        return;
    }
    if (shift == (canvas::ssCtrl | canvas::ssLeft)) {
        BackColor = GISPanel1->PickColor(x, y);
        Shape2->SetColour(BackColor);
        ApplyAttributes();
        return;
    }
    if (button == Qt::LeftButton) {
        GISPanel1->ScreenToWorld({x, y}, AnchorPoint.x, AnchorPoint.y);
        CurrentPoint = AnchorPoint;
        ApplyAttributes();
    }
}

void Tmainform::GISPanel1MouseUp(QObject*, Qt::MouseButton button, canvas::ShiftState, int, int) {
    if (button == Qt::LeftButton && GISPanel1->MouseMode == canvas::TGISPanel::mmDetectEdge) {
        GISPanel1->ClearContour();
        const QPoint p = GISPanel1->WorldToRaster(CurrentPoint.x, CurrentPoint.y);
        // The clicked colour is the one to follow. The pen keeps its own colour, so that
        // the polylines made from the outline show over the line work they came from.
        GISPanel1->Workbench().TargetColor = GISPanel1->Raster().Pixel(p.x(), p.y());
        if (DarkLinesBox->isChecked()) GISPanel1->Workbench().DarkThreshold = DarkLineThreshold();
        GISPanel1->DetectEdge(p.x(), p.y());
        ShowStatus(QString::fromStdString(GISPanel1->Workbench().DetectOutcomeText()));
        GISPanel1->Redraw();
        UpdateInformation();
    }
    if (button == Qt::RightButton && GISPanel1->MouseMode == canvas::TGISPanel::mmDetectEdge) {
        GISPanel1->UndoObject();
        GISPanel1->Redraw(); // the last outline's dashes go with it
        UpdateInformation();
    }
}

void Tmainform::VectorizeAll() {
    GISPanel1->MouseMode = canvas::TGISPanel::mmDetectEdge;
    raster::RasterWorkbench& workbench = GISPanel1->Workbench();
    if (Drawing) {
        Drawing->CreateLayer(LayerName, true);
        int added = 0;
        std::vector<raster::TracedPolyline> lines;
        for (int i = 0; i < workbench.ObjectCount(); ++i) {
            // A thinned object's outline runs out along each stroke and back: its centre
            // lines are what the user drew.
            if (CentreLinesAfterThin() && workbench.ObjectThinned(i)) {
                if (!workbench.VectorizeCentreLines(i, lines)) continue;
                for (const raster::TracedPolyline& line : lines)
                    if (line.points.size() >= 2) {
                        AddVectorizedPolyline(line.points, line.closed);
                        ++added;
                    }
            } else if (workbench.VectorizeObject(i)) {
                AddVectorizedObject();
                ++added;
            }
        }
        if (added > 0) MarkDrawingChanged();
        ShowStatus(QString("%1 polylines on layer \"%2\"")
                       .arg(added)
                       .arg(QString::fromStdString(LayerName)));
    }
    workbench.Forget();
    GISPanel1->ClearContour();
    GISPanel1->UndoObject(); // with nothing recorded, this clears every outline mark
    RefreshLayerLists(true);
    GISPanel1->Redraw();
}

void Tmainform::AddVectorizedObject() {
    AddVectorizedPolyline(GISPanel1->Workbench().VectorPoints(), ClosePolylines != 0);
}

void Tmainform::AddVectorizedPolyline(const std::vector<QPoint>& points, bool closed) {
    std::vector<drawing::Point3> vertices;
    vertices.reserve(points.size());
    // Raster pixels to map points: the raster/world flip is its own inverse.
    for (const QPoint& p : points) {
        const QPoint w = GISPanel1->WorldToRaster(p.x(), p.y());
        vertices.push_back({double(w.x()), double(w.y()), 0});
    }
    auto polyline = std::make_unique<drawing::Polyline_>(drawing::WorldZAxis, std::move(vertices),
                                                         std::int16_t(LineWidth), LineStyle,
                                                         BrushStyle, BackColor, 0, closed);
    polyline->SetColor(ForeColor);
    drawing::Polyline_* added = polyline.get();
    std::unique_ptr<drawing::DXF_Entity> entity = std::move(polyline);
    Drawing->AddEntityToLayer(std::move(entity), LayerName);
    platform::Canvas& canvas = GISPanel1->PaintBox()->Canvas();
    const platform::PenMode mode = canvas.GetPen().Mode;
    canvas.PenRef().Mode = platform::PenMode::Copy;
    added->Draw(canvas, nullptr, GISPanel1->ScreenProjection());
    canvas.PenRef().Mode = mode;
}

} // namespace app
