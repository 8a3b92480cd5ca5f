// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The printer the print commands use, for the whole run: the system's default printer
// (CUPS) when there is one, otherwise a PDF file. Setup shows the printer setup dialog;
// Ready asks for the PDF file's name when it is to print into a file not yet named.

#include <QString>
#include <memory>

class QPrinter;
class QWidget;

namespace print {

class PrinterChoice {
public:
    static constexpr int DotsPerInch = 300;

    PrinterChoice();
    ~PrinterChoice();
    PrinterChoice(const PrinterChoice&) = delete;
    PrinterChoice& operator=(const PrinterChoice&) = delete;

    QPrinter& Printer() { return *printer_; }
    bool PrintsToFile() const;
    // Prints into this PDF file from now on (tests, and the name the user chose).
    void PrintToPdf(const QString& fileName);

    // The printer setup dialog (PrinterSetupDialog1); false when cancelled.
    bool Setup(QWidget* parent);
    // True when printing can start: a printer, or a PDF file with a name (asked for now,
    // in a dialog named "PdfFileDialog"; false when the user cancels).
    bool Ready(QWidget* parent);

private:
    std::unique_ptr<QPrinter> printer_;
};

} // namespace print
