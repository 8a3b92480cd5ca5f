// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/TFPrintMap.h"

#include "dialogs/DialogLook.h"
#include "platform/Bitmap24.h"
#include "platform/ui/MessageBox.h"
#include "print/PrinterChoice.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <stdexcept>

namespace print {

namespace {

QSpinBox* PageCount(QWidget* parent, const char* name, QRect where) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(1, 8);
    spin->setValue(1);
    spin->setGeometry(where);
    return spin;
}

QLabel* Caption(QWidget* parent, const char* name, const char* text, QRect where) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setStyleSheet("color: white");
    label->setGeometry(where);
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, QRect where) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(where);
    return button;
}

} // namespace

TFPrintMap::TFPrintMap(QWidget* owner, PrinterChoice& printer, const platform::Bitmap24& raster)
    : QDialog(owner), printer_(printer), raster_(raster) {
    setObjectName("FPrintMap");
    setWindowTitle("Print Map");
    setFixedSize(240, 252);
    setFont(dialogs::SansFont(8));
    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(4, 4, 232, 244);
    dialogs::PaintPanel(panel);

    auto* memo = new QPlainTextEdit(panel);
    memo->setObjectName("Memo1");
    memo->setPlainText("About to print Map\n\nMap can be printed across several \npages. Please "
                       "specify the number of \npages used horizontally and vertically.");
    memo->setReadOnly(true);
    memo->setEnabled(false);
    memo->setFrameStyle(QFrame::NoFrame);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap); // the lines are broken as written
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setFont(dialogs::SansFont(7));
    memo->setStyleSheet("QPlainTextEdit { color: white; background: transparent; }");
    memo->setGeometry(4, 4, 224, 82);

    Caption(panel, "Label1", "Number of horizontal pages:", QRect(8, 92, 164, 20));
    SpinEdit1 = PageCount(panel, "SpinEdit1", QRect(174, 90, 46, 22));
    Caption(panel, "Label2", "Number of vertical pages:", QRect(8, 122, 164, 20));
    SpinEdit2 = PageCount(panel, "SpinEdit2", QRect(174, 120, 46, 22));

    QPushButton* printRaster = Button(panel, "BitBtn3", "Print Raster", QRect(8, 156, 104, 26));
    QToolButton* setup = dialogs::GlyphButton(panel, "SpeedButton1", "Printer setup",
                                              QStyle::SP_FileDialogDetailedView, "Setup");
    setup->setText("Setup");
    setup->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setup->setGeometry(120, 156, 104, 26);
    QPushButton* printMap = Button(panel, "BitBtn1", "Print Map", QRect(8, 196, 104, 26));
    printMap->setDefault(true);
    QPushButton* cancel =
        Button(panel, "BitBtn2",
               QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(),
               QRect(120, 196, 104, 26));

    connect(printMap, &QPushButton::clicked, this, [this] {
        printRequest_ = true;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        printRequest_ = false;
        reject();
    });
    connect(setup, &QToolButton::clicked, this, [this] { printer_.Setup(this); });
    connect(printRaster, &QPushButton::clicked, this, [this] { PrintRasterClick(); });
}

bool TFPrintMap::ShowPrintDialog() {
    printRequest_ = false;
    exec();
    return printRequest_;
}

void TFPrintMap::PrintRasterClick() {
    if (raster_.Width() == 0 || raster_.Height() == 0) {
        platform::ShowMessage("There is no raster to print.", this);
        return;
    }
    if (!printer_.Ready(this)) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        PrintRaster(printer_.Printer(), raster_);
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        platform::ShowMessage(QString::fromStdString(e.what()), this);
        return;
    }
    QApplication::restoreOverrideCursor();
}

void PrintRaster(QPrinter& printer, const platform::Bitmap24& raster) {
    const long long rw = raster.Width(), rh = raster.Height();
    if (rw <= 0 || rh <= 0) return;
    const long long pageWidth = printer.width(), pageHeight = printer.height();
    const long long dpiX = std::max(1, printer.logicalDpiX()),
                    dpiY = std::max(1, printer.logicalDpiY());
    // The area as the classic formula gives it (integer arithmetic, truncating).
    const long long areaWidth = 8 * (pageWidth / 10);
    const long long areaHeight = (rh * pageWidth / rw) * dpiY / dpiX + pageHeight / 10;
    // The raster scaled into it, its proportions kept (in dots of each axis).
    const double scale = std::min(double(areaWidth) / double(rw),
                                  double(areaHeight) / (double(rh) * double(dpiY) / double(dpiX)));
    const QRectF target(double(pageWidth / 10), double(pageHeight / 10), rw * scale,
                        rh * scale * double(dpiY) / double(dpiX));
    QPainter painter;
    if (!painter.begin(&printer)) throw std::runtime_error("The printer cannot start a document.");
    painter.drawImage(target, raster.Image());
    painter.end();
}

} // namespace print
