// SPDX-License-Identifier: GPL-3.0-or-later
// The vectors over the raster: painting the selected entity lists on every paint of the
// map canvas, onto the raster ("Vector to Raster") or into a picture for the clipboard,
// and hover tracking of the entity nearest to the resting mouse.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/TDisplayOptions.h"
#include "dialogs/TLayerForm.h"
#include "dialogs/TTrackingForm.h"
#include "dialogs/Tinfoform.h"
#include "drawing/EntityStyle.h"
#include "platform/QtCanvas.h"
#include "platform/WmfCanvas.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QRadioButton>
#include <QSvgGenerator>
#include <QTimer>
#include <QToolButton>

namespace app {

void Tmainform::PaintVectors(platform::Canvas& target, const drawing::Projection& projection,
                             bool drawUnselected) {
    target.PenRef().Mode = platform::PenMode::Copy;
    const bool markers = DisplayOptions->DrawVertices() || draw_vertices->isChecked();
    for (const dialogs::TLayerForm::ListRow& row : LayerForm->EntityListRows()) {
        if (row.Selected) {
            row.List->Draw(target, nullptr, projection);
            if (markers) row.List->DrawMarkers(target, nullptr, projection);
        } else if (drawUnselected && DisplayOptions->ShowAllEntities()) {
            const auto saved = drawing::StyleOverride;
            drawing::StyleOverride = 2;
            row.List->Draw(target, nullptr, projection);
            drawing::StyleOverride = saved;
        }
    }
}

void Tmainform::ZoomboxPaint(QObject* sender) {
    if (sender == VectortoRaster1) {
        // Unselected lists stay out of the raster: "Show all entities" is a way of looking,
        // and burning in is for good.
        PaintVectors(GISPanel1->Raster().GetCanvas(), GISPanel1->RasterProjection(), false);
        GISPanel1->Raster().EndPainting();
        GISPanel1->RasterChanged();
        MarkRasterChanged();
    } else if (sender == CopytoClipboard1) {
        QApplication::clipboard()->setMimeData(VectorPicture());
    } else {
        PaintVectors(GISPanel1->PaintBox()->Canvas(), GISPanel1->ScreenProjection(), true);
        GISPanel1->PaintBox()->Show();
    }
    Label1->setText(QString::fromStdString(GISPanel1->ScaleText()));
}

QMimeData* Tmainform::VectorPicture() {
    const QSize size = GISPanel1->PaintBox()->size();
    auto* mime = new QMimeData;

    platform::WmfCanvas metafile(size.width(), size.height());
    PaintVectors(metafile, GISPanel1->ScreenProjection(), true);
    const std::vector<std::uint8_t> wmf = metafile.Bytes();
    mime->setData("image/x-wmf",
                  QByteArray(reinterpret_cast<const char*>(wmf.data()), qsizetype(wmf.size())));

    // Linux programs paste SVG and PNG: the same picture drawn through the same canvas.
    QByteArray svg;
    {
        QBuffer buffer(&svg);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle("Penwright drawing");
        platform::QtCanvas canvas(static_cast<QPaintDevice*>(&generator));
        PaintVectors(canvas, GISPanel1->ScreenProjection(), true);
    }
    mime->setData("image/svg+xml", svg);

    QImage png(size, QImage::Format_ARGB32);
    png.fill(Qt::transparent);
    {
        platform::QtCanvas canvas(&png);
        PaintVectors(canvas, GISPanel1->ScreenProjection(), true);
    }
    mime->setImageData(png);
    return mime;
}

void Tmainform::RefreshLayerLists(bool selectAll) {
    LayerForm->RefreshLayerLists(selectAll);
}

void Tmainform::UpdateInformation() {
    if (InfoForm->isVisible()) ShowInformation();
}

void Tmainform::ShowInformation() {
    dialogs::InfoCounts counts = dialogs::CountDrawing(Drawing.get(), Selection.get());
    counts.RasterWidth = GISPanel1->Raster().Width();
    counts.RasterHeight = GISPanel1->Raster().Height();
    counts.RecordedOutlines = GISPanel1->ObjectCount();
    InfoForm->ShowCounts(counts);
}

void Tmainform::Track_timerTimer() {
    if (!RB1->isChecked() || !DrawingOpen) return;
    if (++TrackTicks != 2) return;
    TrackTicks = 0;
    drawing::DXF_Entity* const previousEntity = PickedEntity;
    const drawing::Point3 previousVertex = PickedVertex;
    double x = 0, y = 0;
    GISPanel1->ScreenToWorld({MouseX, MouseY}, x, y);
    if (TrackingForm->SearchNearest()) {
        drawing::Point3 vertex = PickedVertex;
        Selection->FindNearest({x, y, 0}, PickedEntity, PickedList, vertex);
        PickedVertex = vertex;
    }
    if (!PickedEntity) return;

    if (PickedEntity != previousEntity) {
        platform::Canvas& canvas = GISPanel1->PaintBox()->Canvas();
        const platform::PenMode mode = canvas.GetPen().Mode;
        const drawing::Projection& screen = GISPanel1->ScreenProjection();
        if (previousEntity) {
            canvas.PenRef().Mode = platform::PenMode::Copy;
            previousEntity->Draw(canvas, nullptr, screen);
        }
        canvas.PenRef().Mode = platform::PenMode::NotXor;
        const auto style = PickedEntity->PenStyle;
        const auto colour = PickedEntity->Color;
        PickedEntity->PenStyle = std::uint8_t(platform::PenStyle::Dot);
        PickedEntity->Color = 0xFF;
        PickedEntity->Draw(canvas, nullptr, screen);
        PickedEntity->PenStyle = style;
        PickedEntity->Color = colour;
        canvas.PenRef().Mode = mode;
        GISPanel1->PaintBox()->Show();
    }
    if (!drawing::PointsEqual(PickedVertex, previousVertex)) {
        TrackingForm->ShowVertex(PickedVertex, PickedEntity->VertexCount());
        if (TrackingForm->Extended()) {
            std::vector<std::string> lines;
            PickedEntity->Describe(lines);
            TrackingForm->ShowDescription(lines);
        }
    }
}

void Tmainform::SB3of2Click() {
    QToolButton* button = findChild<QToolButton*>("SB3of2");
    if (!trackingOn_) {
        TrackingForm->show();
        Track_timer->start();
        trackingOn_ = true;
        button->setChecked(true);
        CheckRB1();
    } else {
        TrackingForm->hide();
        Track_timer->stop();
        trackingOn_ = false;
        button->setChecked(false);
        UncheckRB1();
    }
}

} // namespace app
