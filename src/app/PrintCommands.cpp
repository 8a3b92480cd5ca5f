// SPDX-License-Identifier: GPL-3.0-or-later
// Print and the map size: the print map dialog and the poster of the visible vectors,
// printed through a metafile in a private temporary folder; the setup dialog.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/TSetform.h"
#include "platform/FileError.h"
#include "platform/ui/MessageBox.h"
#include "print/PrinterChoice.h"
#include "print/TFPrintMap.h"
#include "print/TPosterPrint.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

namespace app {

print::PrinterChoice& Tmainform::Printer() {
    if (!printer_) printer_ = std::make_unique<print::PrinterChoice>();
    return *printer_;
}

void Tmainform::ConnectPrintCommands() {
    Setform = new dialogs::TSetform(this);
    Command("SB4of1", "Print1", [this] { SB4of1Click(); });
    Command("SB5of1", "Reset1", [this] { SB5of1Click(); });
}

void Tmainform::SB4of1Click() {
    if (printing_) return; // one print at a time
    bool confirmed = false;
    int across = 0, down = 0;
    {
        print::TFPrintMap dialog(this, Printer(), GISPanel1->Raster());
        confirmed = dialog.ShowPrintDialog();
        across = dialog.SpinEdit1->value();
        down = dialog.SpinEdit2->value();
    }
    if (confirmed) PrintVectorPoster(across, down);
}

void Tmainform::PrintVectorPoster(int across, int down) {
    if (!Drawing || across < 1 || across > 10 || down < 1 || down > 10 || printing_) return;
    if (!Printer().Ready(this)) return;
    // The metafile goes to a folder of our own, removed afterwards, never the current one.
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        platform::ShowMessage("No temporary folder for the poster: " + folder.errorString(), this);
        return;
    }
    printing_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    print::TPosterPrint poster(this, Printer().Printer());
    poster.SetHorzPages(across);
    poster.SetVertPages(down);
    poster.SetHorzMarge(100);
    poster.SetVertMarge(100);
    poster.Image = folder.filePath("poster.wmf");
    poster.LabelPages = true;
    QProgressDialog progress("Printing the poster…", "Cancel", 0,
                             poster.HorzPages() * poster.VertPages(), this);
    progress.setObjectName("PosterProgress");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    int pages = 0;
    poster.OnPagePrinted = [&](print::TPosterPrint*, int, int) {
        progress.setValue(++pages);
        if (progress.wasCanceled()) Printer().Printer().abort();
    };
    QString failure;
    try {
        SaveVectorsAsMetafile(QFile::encodeName(poster.Image).toStdString());
        poster.PrintPoster();
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    QApplication::restoreOverrideCursor();
    printing_ = false;
    if (!failure.isEmpty()) {
        platform::ShowMessage(failure, this);
        return;
    }
    if (Printer().Printer().printerState() != QPrinter::Aborted)
        ShowStatus(Printer().PrintsToFile()
                       ? "Printed the poster to " + Printer().Printer().outputFileName()
                       : "Printed the poster");
}

void Tmainform::SB5of1Click() {
    Setform->Attach(GISPanel1, Selection.get());
    Setform->exec();
    if (Setform->Changed()) {
        MarkRasterChanged();
        MarkDrawingChanged();
    }
    GISPanel1->Redraw();
}

} // namespace app
