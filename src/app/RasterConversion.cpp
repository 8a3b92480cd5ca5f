// SPDX-License-Identifier: GPL-3.0-or-later
// Raster conversion from the main window: colour pick-up and outline recording with the
// mouse, the outline animation, and "V", which turns every recorded outline into a
// polyline on the current layer.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/ColourSquare.h"
#include "drawing/Polyline_.h"
#include "raster/LinePlane.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace app {

void Tmainform::ConnectConversion() {
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { GISPanel1->AnimateOutlines(); });
    Timer1->start();
    connect(SpeedButton13, &QToolButton::clicked, this, [this] { VectorizeAll(); });
}

// Thinning a large sheet's outlines takes seconds: the dialog shows how far it is and the
// window stays painted. Input to the windows is blocked meanwhile, and the outline
// animation holds still: its tick traces the marks that the work is changing.
void Tmainform::WithObjectProgress(
    const QString& text, const std::function<void(const std::function<bool(double)>&)>& work) {
    const bool animating = Timer1->isActive();
    Timer1->stop();
    QProgressDialog progress(text, QString(), 0, 1000, this);
    progress.setObjectName("MorphologyProgress");
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(400);
    progress.setValue(0);
    // The work reports often; past its first report, the dialog and the window are kept alive
    // ten times a second, a round of events costing a share of the work's time.
    QElapsedTimer sinceEvents;
    work([&progress, &sinceEvents](double done) {
        if (sinceEvents.isValid() && sinceEvents.elapsed() < 100) return true;
        progress.setValue(int(done * 1000));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        sinceEvents.start();
        return true;
    });
    progress.reset();
    if (animating) Timer1->start();
}

// A plain left press in detect-edge mode chooses the pixel whose outline its release
// records; shift and ctrl clicks only pick colours.
void Tmainform::ConversionPress(const canvas::MapMouseEvent& e) {
    if (e.Button != Qt::LeftButton) return;
    detectArmed_ =
        !e.Is(canvas::ssShift | canvas::ssLeft) && !e.Is(canvas::ssCtrl | canvas::ssLeft);
    detectAt_ = e.Raster;
}

void Tmainform::ConversionRelease(const canvas::MapMouseEvent& e) {
    if (e.MouseMode != canvas::TGISPanel::mmDetectEdge) return;
    if (e.Button == Qt::LeftButton && detectArmed_) {
        detectArmed_ = false;
        GISPanel1->ClearContour();
        // The clicked colour is the one to follow. The pen keeps its own colour, so that
        // the polylines made from the outline show over the line work they came from.
        GISPanel1->Workbench().TargetColor =
            GISPanel1->Raster().Pixel(detectAt_.x(), detectAt_.y());
        if (DarkLinesBox->isChecked()) GISPanel1->Workbench().DarkThreshold = DarkLineThreshold();
        GISPanel1->DetectEdge(detectAt_.x(), detectAt_.y());
        ShowStatus(QString::fromStdString(GISPanel1->Workbench().DetectOutcomeText()));
        GISPanel1->Redraw();
        UpdateInformation();
    }
    if (e.Button == Qt::RightButton) {
        GISPanel1->UndoObject();
        GISPanel1->Redraw(); // the last outline's dashes go with it
        UpdateInformation();
    }
}

void Tmainform::VectorizeAll() {
    GISPanel1->MouseMode = canvas::TGISPanel::mmDetectEdge;
    raster::RasterWorkbench& workbench = GISPanel1->Workbench();
    if (Drawing) {
        Drawing->CreateLayer(attributes_.LayerName, true);
        int added = 0;
        // A thinned object's outline runs out along each stroke and back: its centre lines
        // are what the user drew. The objects are vectorized on every core, a batch at a
        // time (their vertices wait in memory), and added in their order.
        constexpr int Batch = 4096;
        std::vector<raster::RasterWorkbench::ObjectVectors> batch;
        for (int first = 0; first < workbench.ObjectCount(); first += Batch) {
            const int last = std::min(workbench.ObjectCount(), first + Batch);
            workbench.VectorizeObjects(first, last, CentreLinesAfterThin(), batch);
            for (const raster::RasterWorkbench::ObjectVectors& object : batch) {
                if (!object.made) continue;
                if (!object.asCentreLines) {
                    AddVectorizedPolyline(object.vertices, attributes_.ClosePolylines != 0);
                    ++added;
                }
                for (const raster::TracedPolyline& line : object.lines)
                    if (line.points.size() >= 2) {
                        AddVectorizedPolyline(line.points, line.closed);
                        ++added;
                    }
            }
        }
        if (added > 0) MarkDrawingChanged();
        ShowStatus(QString("%1 polylines on layer \"%2\"")
                       .arg(added)
                       .arg(QString::fromStdString(attributes_.LayerName)));
    }
    workbench.Forget();
    GISPanel1->ClearContour();
    GISPanel1->UndoObject(); // with nothing recorded, this clears every outline mark
    RefreshLayerLists(true);
    GISPanel1->Redraw();
}

void Tmainform::AddVectorizedPolyline(const std::vector<QPoint>& points, bool closed) {
    std::vector<drawing::Point3> vertices;
    vertices.reserve(points.size());
    // Raster pixels to map points: the raster/world flip is its own inverse.
    for (const QPoint& p : points) {
        const QPoint w = GISPanel1->WorldToRaster(p.x(), p.y());
        vertices.push_back({double(w.x()), double(w.y()), 0});
    }
    const mousetools::DrawingAttributes& a = attributes_;
    auto polyline = std::make_unique<drawing::Polyline_>(drawing::WorldZAxis, std::move(vertices),
                                                         std::int16_t(a.LineWidth), a.LineStyle,
                                                         a.BrushStyle, a.BackColor, 0, closed);
    polyline->SetColor(a.ForeColor);
    std::unique_ptr<drawing::DXF_Entity> entity = std::move(polyline);
    Drawing->AddEntityToLayer(std::move(entity), a.LayerName);
}

} // namespace app
