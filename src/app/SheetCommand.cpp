// SPDX-License-Identifier: GPL-3.0-or-later
// Whole sheets in one go: the "Whole sheet" dialog, the trace with its progress dialog,
// its undo, and the dark-line test of the convert panels.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "raster/LineTest.h"
#include "raster/SheetTracer.h"
#include "raster/TracedDrawing.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace app {

void Tmainform::ConnectSheetCommand() {
    CentreLines1->setCheckable(true);
    CentreLines1->setChecked(true);
    // The dark-line test decides instead of the colour range and pure colour while on.
    connect(DarkLinesBox, &QCheckBox::toggled, this, [this](bool on) {
        GISPanel1->Workbench().DarkLines = on;
        if (on) GISPanel1->Workbench().DarkThreshold = DarkLineThreshold();
    });
    connect(DarkThresholdEdit, &QSpinBox::valueChanged, this,
            [this] { GISPanel1->Workbench().DarkThreshold = DarkLineThreshold(); });
}

void Tmainform::WholeSheetClick() {
    SheetOptions options;
    options.centreLines = CentreLinesAfterThin();
    if (AskSheetOptions(options)) TraceSheet(options);
}

void Tmainform::UndoSheetClick() {
    if (!lastSheet_)
        ShowStatus("Nothing to undo: no whole sheet was traced");
    else if (!UndoSheetTrace())
        ShowStatus("Nothing to undo: the layer has changed since");
}

bool Tmainform::CentreLinesAfterThin() const {
    return CentreLines1 && CentreLines1->isChecked();
}

int Tmainform::DarkLineThreshold() {
    if (DarkThresholdEdit->value() > 0) return DarkThresholdEdit->value();
    const platform::Bitmap24& scan = GISPanel1->Raster();
    return raster::DarkThreshold(scan, QRect(0, 0, scan.Width(), scan.Height()));
}

bool Tmainform::AskSheetOptions(SheetOptions& options) {
    QDialog dialog(this);
    dialog.setObjectName("SheetDialog");
    dialog.setWindowTitle("Whole sheet");
    auto* centre = new QRadioButton("Centre lines", &dialog);
    centre->setObjectName("SheetCentreLines");
    auto* outlines = new QRadioButton("Outlines", &dialog);
    outlines->setObjectName("SheetOutlines");
    (options.centreLines ? centre : outlines)->setChecked(true);
    auto* visible = new QCheckBox("Visible part only", &dialog);
    visible->setObjectName("SheetVisiblePart");
    visible->setChecked(options.visiblePartOnly);
    auto* speck = new QSpinBox(&dialog);
    speck->setObjectName("SheetSpeck");
    speck->setRange(0, 1000);
    speck->setValue(options.speck);
    speck->setSuffix(" pixels");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout;
    form->addRow("Polylines:", centre);
    form->addRow("", outlines);
    form->addRow("Area:", visible);
    form->addRow("Drop specks below:", speck);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    options.centreLines = centre->isChecked();
    options.visiblePartOnly = visible->isChecked();
    options.speck = speck->value();
    return true;
}

std::size_t Tmainform::TraceSheet(const SheetOptions& options) {
    const platform::Bitmap24& scan = GISPanel1->Raster();
    if (scan.IsEmpty()) {
        ShowStatus("Nothing traced: no raster is open");
        return 0;
    }
    const raster::RasterWorkbench& bench = GISPanel1->Workbench();
    raster::SheetTraceSettings settings;
    settings.centreLines = options.centreLines;
    settings.speck = options.speck;
    settings.tolerance = bench.VectorTolerance;
    if (options.visiblePartOnly) settings.area = GISPanel1->SourceRect();
    if (DarkLinesBox->isChecked()) {
        settings.test.kind = raster::LineTest::Kind::DarkLines;
        settings.autoThreshold = DarkThresholdEdit->value() == 0;
        settings.test.threshold = DarkThresholdEdit->value();
    } else {
        settings.test.kind = bench.UseColorRange ? raster::LineTest::Kind::ColourRange
                                                 : raster::LineTest::Kind::PureColour;
        settings.test.target = attributes_.ForeColor;
        settings.test.colourRange = bench.ColorRange;
    }

    QProgressDialog progress("Tracing the sheet...", "Cancel", 0, 1000, this);
    progress.setObjectName("SheetProgress");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    const raster::SheetTrace trace = raster::TraceSheet(scan, settings, [&progress](double done) {
        progress.setValue(int(done * 1000));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.reset();
    if (trace.cancelled) {
        ShowStatus("Whole sheet cancelled: nothing changed");
        return 0;
    }

    if (!Drawing) NewDrawing("Penwright");
    raster::PolylineLook look;
    look.colour = attributes_.ForeColor;
    look.width = std::int16_t(attributes_.LineWidth);
    look.penStyle = attributes_.LineStyle;
    look.brushStyle = attributes_.BrushStyle;
    look.fill = attributes_.BackColor;
    // Raster rows to map y: the raster/world flip is its own inverse.
    const double flipY = GISPanel1->WorldToRaster(0, 0).y();
    auto addition = std::make_unique<raster::TracedAddition>(
        raster::AddTracedPolylines(*Drawing, attributes_.LayerName, trace.polylines, flipY, look));
    const std::size_t added = addition->added.size();
    lastSheet_ = std::move(addition);
    if (added > 0) MarkDrawingChanged();
    QString status = QString("%1 polylines on layer \"%2\" from %3 regions, %4 specks dropped")
                         .arg(added)
                         .arg(QString::fromStdString(attributes_.LayerName))
                         .arg(trace.regions)
                         .arg(trace.specks);
    if (settings.test.kind == raster::LineTest::Kind::DarkLines)
        status += QString(", threshold %1").arg(trace.threshold);
    ShowStatus(status);
    RefreshLayerLists(true);
    GISPanel1->Redraw();
    UpdateInformation();
    return added;
}

bool Tmainform::UndoSheetTrace() {
    if (!lastSheet_ || !Drawing) return false;
    // The selection and picks may refer to what goes: forget them first.
    for (const drawing::DXF_Entity* e : lastSheet_->added)
        if (picks_.Entity == e || picks_.MoveEntity == e)
            picks_.Entity = picks_.MoveEntity = nullptr;
    Selection->Lists.clear();
    picks_.List = nullptr;
    const bool removed = raster::RemoveTracedPolylines(*Drawing, *lastSheet_);
    if (removed) {
        ShowStatus(QString("%1 polylines taken out again").arg(lastSheet_->added.size()));
        lastSheet_.reset();
        MarkDrawingChanged();
    }
    RefreshLayerLists(true);
    GISPanel1->Redraw();
    UpdateInformation();
    return removed;
}

} // namespace app
