// SPDX-License-Identifier: GPL-3.0-or-later
//
// Poster printing: the picture is stretched to HorzPages × W by VertPages × H printer
// dots, where W and H are the page's printable width and height less two margins each,
// and every page shows its tile (i, j) from (HorzMarge, VertMarge) on. The picture is not
// clipped to the tile, so the margins show the edges of the neighbouring tiles; elements
// that fall wholly off the paper are not sent to the printer at all. Each page gets the
// outline of its frame and, when LabelPages, the label "H<column>  V<row>" above it.
// Pages go column by column: (1,1), (1,2) … (2,1) …, with the application's pending
// events processed after each, so the window stays alive and a cancel can abort the job.
//
// Units are printer dots (the printer's resolution), as the printer reports its page.
// Cost: the picture is played once per page.

#include "print/TPosterPrint.h"

#include "platform/MappedFile.h"
#include "platform/QtCanvas.h"
#include "platform/WmfPlayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QPrinter>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace print {

TPosterPrint::TPosterPrint(QObject* owner, QPrinter& printer) : QObject(owner), printer_(printer) {}

void TPosterPrint::SetHorzPages(int pages) {
    if (pages >= 1 && pages <= 9) horzPages_ = pages;
}

void TPosterPrint::SetVertPages(int pages) {
    if (pages >= 1 && pages <= 9) vertPages_ = pages;
}

void TPosterPrint::SetHorzMarge(int dots) {
    if (dots > 0) horzMarge_ = dots;
}

void TPosterPrint::SetVertMarge(int dots) {
    if (dots > 0) vertMarge_ = dots;
}

void TPosterPrint::PrintPoster() {
    if (Image.isEmpty() || !QFile::exists(Image)) return;
    const std::string path = QFile::encodeName(Image).toStdString();
    const platform::MappedFile file(path);
    const platform::WmfPlayer picture(file.Bytes(), path);

    const int pageWidth = printer_.width(), pageHeight = printer_.height();
    const int tileWidth = pageWidth - 2 * horzMarge_, tileHeight = pageHeight - 2 * vertMarge_;
    const QRect frame(QPoint(horzMarge_, vertMarge_),
                      QPoint(pageWidth - 2 * horzMarge_, pageHeight - 2 * vertMarge_));
    const QRectF paper(0, 0, pageWidth, pageHeight);

    platform::QtCanvas canvas(static_cast<QPaintDevice*>(&printer_));
    if (!canvas.Begin()) throw std::runtime_error("The printer cannot start a document.");
    const int labelHeight = int(std::lround(platform::Font{}.Size * printer_.resolution() / 72.0));
    for (int i = 1; i <= horzPages_; ++i) {
        for (int j = 1; j <= vertPages_; ++j) {
            if (printer_.printerState() == QPrinter::Aborted) break;
            platform::Pen& pen = canvas.PenRef();
            pen = platform::Pen{};
            pen.Width = std::max(1, printer_.resolution() / 150);
            canvas.BrushRef().Style = platform::BrushStyle::Clear;
            canvas.Rectangle(frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1);
            if (LabelPages) {
                // The printer's own font, whatever the picture of the last page chose, its
                // points counted in printer dots.
                platform::Font font;
                font.Height = -labelHeight;
                canvas.SetFont(font);
                canvas.SetTextAlign(platform::AlignLeft | platform::AlignTop);
                char label[32];
                std::snprintf(label, sizeof label, "H%d  V%d", i, j);
                canvas.TextOut(horzMarge_, vertMarge_ - 2 * labelHeight, label);
            }
            const QRectF target(QPointF(horzMarge_ - double(i - 1) * tileWidth,
                                        vertMarge_ - double(j - 1) * tileHeight),
                                QPointF(horzMarge_ + double(horzPages_ - i + 1) * tileWidth,
                                        vertMarge_ + double(vertPages_ - j + 1) * tileHeight));
            platform::CanvasWmfSink sink(canvas, picture.FrameSize(), target, paper);
            picture.Play(sink);
            QCoreApplication::processEvents();
            if (OnPagePrinted) OnPagePrinted(this, i, j);
            if (printer_.printerState() == QPrinter::Aborted) break;
            if (i < horzPages_ || j < vertPages_) printer_.newPage();
        }
    }
    if (printer_.printerState() != QPrinter::Aborted) canvas.End();
}

} // namespace print
