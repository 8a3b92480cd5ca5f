// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/PrinterChoice.h"

#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace print {

PrinterChoice::PrinterChoice() : printer_(std::make_unique<QPrinter>()) {
    // Poster margins and labels are counted in dots of this resolution: 100 dots are a
    // third of an inch, and the label's 12 points fill the margin above the frame.
    printer_->setResolution(DotsPerInch);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName({});
    }
}

PrinterChoice::~PrinterChoice() = default;

bool PrinterChoice::PrintsToFile() const {
    return printer_->outputFormat() == QPrinter::PdfFormat;
}

void PrinterChoice::PrintToPdf(const QString& fileName) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(fileName);
}

bool PrinterChoice::Setup(QWidget* parent) {
    QPrintDialog dialog(printer_.get(), parent);
    dialog.setObjectName("PrinterSetupDialog1");
    return dialog.exec() == QDialog::Accepted;
}

bool PrinterChoice::Ready(QWidget* parent) {
    if (!PrintsToFile() || !printer_->outputFileName().isEmpty()) return true;
    QFileDialog dialog(parent, "Print to PDF file", QDir::homePath(), "PDF file (*.pdf)");
    dialog.setObjectName("PdfFileDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("pdf");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    printer_->setOutputFileName(dialog.selectedFiles().first());
    return true;
}

} // namespace print
