// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The print map dialog: how many pages across and down the poster takes, printing the
// raster on one page, and the printer setup.

#include <QDialog>

class QSpinBox;
class QPrinter;

namespace platform {
class Bitmap24;
}

namespace print {

class PrinterChoice;

class TFPrintMap : public QDialog {
    Q_OBJECT
public:
    // raster: what Print Raster prints (may be empty).
    TFPrintMap(QWidget* owner, PrinterChoice& printer, const platform::Bitmap24& raster);

    // Shows the dialog; true when the user pressed Print Map.
    bool ShowPrintDialog();

    QSpinBox* SpinEdit1 = nullptr; // pages across
    QSpinBox* SpinEdit2 = nullptr; // pages down

private:
    void PrintRasterClick();

    PrinterChoice& printer_;
    const platform::Bitmap24& raster_;
    bool printRequest_ = false;
};

// Prints the raster on one page: its top-left corner at a tenth of the page's width and
// height, scaled to fit eight tenths of the page's width and the height that width gives
// (corrected for printers whose dots are not square), keeping its proportions. Nothing
// for an empty raster. Throws std::runtime_error when the printer cannot start.
void PrintRaster(QPrinter& printer, const platform::Bitmap24& raster);

} // namespace print
