// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing files opened by their content, DXF and metafiles opened into layers, the poster
// and the raster printed to PDF, and the map size.
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/TSetform.h"
#include "drawing/DxfFile.h"
#include "drawing/Line_.h"
#include "print/PrinterChoice.h"
#include "print/TFPrintMap.h"
#include "print/TPosterPrint.h"
#include "support/ModalWatcher.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <gtest/gtest.h>

using app::Tmainform;
using testing_support::ModalWatcher;

namespace {

struct Window {
    Tmainform form;
    Window() {
        form.resize(1000, 700);
        form.show();
    }
    void AddLine(const char* layer, drawing::Point3 a, drawing::Point3 b) {
        form.Drawing->CreateLayer(layer, true);
        std::unique_ptr<drawing::DXF_Entity> line = std::make_unique<drawing::Line_>(a, b, 1, 0, 0);
        form.Drawing->AddEntityToLayer(std::move(line), layer);
        form.RefreshLayerLists(true);
    }
    std::size_t Entities(const char* layer) {
        const drawing::DXF_Layer* l = form.Drawing->FindLayer(layer);
        std::size_t n = 0;
        if (l)
            for (const auto& list : l->Lists) n += list->Entities.size();
        return n;
    }
};

// The text of each page of a PDF, through pdftotext.
QStringList PdfPages(const QString& pdf) {
    QProcess process;
    process.start("pdftotext", {"-layout", pdf, "-"});
    process.waitForFinished(30000);
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split('\f');
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.pop_back();
    return pages;
}

} // namespace

TEST(FileTypes, ADrawingOpensByItsContentWhateverTypeWasChosen) {
    testing_support::TempDir dir;
    Window w;
    w.AddLine("Walls", {0, 0, 0}, {100, 50, 0});
    const std::string dxf = dir.Path("drawing.dxf");
    drawing::SaveDXF(dxf, *w.form.Selection);
    // A DXF chosen under the RTV and the bitmap types, and a metafile under the DXF type.
    ModalWatcher watcher;
    w.form.OpenFile(QString::fromStdString(dxf), 3);
    w.form.OpenFile(QString::fromStdString(dxf), 1);
    EXPECT_TRUE(watcher.messages.isEmpty()) << watcher.messages.join("; ").toStdString();
    EXPECT_EQ(w.Entities("Walls"), 3u);
    w.form.SaveVectorsAsMetafile(dir.Path("picture.dat"));
    w.form.OpenFile(QString::fromStdString(dir.Path("picture.dat")), 5);
    EXPECT_TRUE(watcher.messages.isEmpty());
    EXPECT_EQ(w.Entities("picture"), 3u); // a layer named after the file
    EXPECT_EQ(w.form.GISPanel1->Raster().Width(), 800);
}

TEST(FileTypes, ADrawingFarFromTheMapIsBroughtIntoView) {
    testing_support::TempDir dir;
    const std::string dxf = dir.Path("survey.dxf");
    testing_support::WriteAll(dxf, "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nA\n10\n512000\n20\n"
                                   "5410000\n11\n512100\n21\n5410050\n0\nENDSEC\n0\nEOF\n");
    Window w;
    w.form.OpenFile(QString::fromStdString(dxf), 5);
    const QRect surface(QPoint(0, 0), w.form.GISPanel1->PaintBox()->size());
    EXPECT_TRUE(surface.contains(w.form.GISPanel1->WorldToScreen(512000, 5410000)));
    EXPECT_TRUE(surface.contains(w.form.GISPanel1->WorldToScreen(512100, 5410050)));
}

TEST(FileTypes, ABrokenDrawingFileChangesNothingAndSaysWhy) {
    testing_support::TempDir dir;
    Window w;
    w.AddLine("Walls", {0, 0, 0}, {100, 50, 0});
    const int layers = w.form.Drawing->LayerCount();
    std::string bytes = drawing::DxfFileBytes(*w.form.Selection);
    testing_support::WriteAll(dir.Path("cut.dxf"), bytes.substr(0, bytes.size() / 2 + 40));
    testing_support::WriteAll(dir.Path("bad.wmf"), std::string("\x01\x00\x09\x00\x00\x03", 6));
    ModalWatcher watcher;
    w.form.OpenFile(QString::fromStdString(dir.Path("cut.dxf")), 5);
    w.form.OpenFile(QString::fromStdString(dir.Path("bad.wmf")), 4);
    ASSERT_EQ(watcher.messages.size(), 2);
    EXPECT_TRUE(watcher.messages[0].contains("cut.dxf")) << watcher.messages[0].toStdString();
    EXPECT_TRUE(watcher.messages[1].contains("bad.wmf"));
    EXPECT_EQ(w.form.Drawing->LayerCount(), layers);
    EXPECT_EQ(w.Entities("Walls"), 1u);
}

TEST(FileTypes, WhatADxfFileHoldsBeyondTheDrawingIsReported) {
    testing_support::TempDir dir;
    const std::string dxf = dir.Path("hatch.dxf");
    testing_support::WriteAll(dxf, "0\nSECTION\n2\nENTITIES\n0\nHATCH\n8\n0\n0\nLINE\n8\nA\n10\n0\n"
                                   "20\n0\n11\n1\n21\n1\n0\nENDSEC\n0\nEOF\n");
    Window w;
    ModalWatcher watcher;
    w.form.OpenFile(QString::fromStdString(dxf), 5);
    ASSERT_EQ(watcher.messages.size(), 1);
    EXPECT_TRUE(watcher.messages[0].contains("1 HATCH")) << watcher.messages[0].toStdString();
    EXPECT_EQ(w.Entities("A"), 1u);
}

TEST(Print, APosterOfTwoByTwoPagesHasFourLabelledPages) {
    testing_support::TempDir dir;
    const QString pdf = QString::fromStdString(dir.Path("poster.pdf"));
    const QString before = QDir::currentPath();
    const QStringList filesBefore = QDir().entryList(QDir::Files);
    Window w;
    w.AddLine("Walls", {0, 0, 0}, {800, 600, 0});
    w.form.Printer().PrintToPdf(pdf);
    w.form.PrintVectorPoster(2, 2);
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 4) << pages.join("|").toStdString();
    // Column by column: (1,1), (1,2), (2,1), (2,2).
    const char* labels[] = {"H1  V1", "H1  V2", "H2  V1", "H2  V2"};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(pages[i].simplified().contains(QString(labels[i]).simplified()))
            << i << ": " << pages[i].toStdString();
    // The poster's metafile was not left in the current folder.
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_EQ(QDir().entryList(QDir::Files), filesBefore);
    EXPECT_FALSE(QFile::exists("temp.wmf"));
}

TEST(Print, PageCountsOutsideTheirRangePrintNothingOrKeepTheDefault) {
    testing_support::TempDir dir;
    Window w;
    w.AddLine("Walls", {0, 0, 0}, {800, 600, 0});
    const QString pdf = QString::fromStdString(dir.Path("none.pdf"));
    w.form.Printer().PrintToPdf(pdf);
    w.form.PrintVectorPoster(0, 1);
    w.form.PrintVectorPoster(11, 1);
    EXPECT_FALSE(QFile::exists(pdf));
    // 10 passes the command's check, but the poster keeps its 2 columns.
    w.form.PrintVectorPoster(10, 1);
    EXPECT_EQ(PdfPages(pdf).size(), 2);

    QPrinter printer;
    print::TPosterPrint poster(nullptr, printer);
    for (int bad : {0, -3, 10}) {
        poster.SetHorzPages(bad);
        poster.SetVertPages(bad);
    }
    poster.SetHorzMarge(0);
    poster.SetVertMarge(-1);
    EXPECT_EQ(poster.HorzPages(), 2);
    EXPECT_EQ(poster.VertPages(), 2);
    EXPECT_EQ(poster.HorzMarge(), 100);
    EXPECT_EQ(poster.VertMarge(), 100);
    poster.Image = QString::fromStdString(dir.Path("missing.wmf"));
    poster.PrintPoster(); // a missing picture prints nothing, and says nothing
}

TEST(Print, TheDialogPrintsTheRasterAndStaysOpen) {
    testing_support::TempDir dir;
    Window w;
    const QString pdf = QString::fromStdString(dir.Path("raster.pdf"));
    w.form.Printer().PrintToPdf(pdf);
    bool printedWhileOpen = false;
    ModalWatcher watcher([&](QWidget* modal) -> void {
        auto* dialog = qobject_cast<print::TFPrintMap*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        EXPECT_EQ(dialog->windowTitle(), "Print Map");
        dialog->findChild<QPushButton*>("BitBtn3")->click(); // Print Raster
        printedWhileOpen = QFile::exists(pdf) && dialog->isVisible();
        dialog->findChild<QPushButton*>("BitBtn2")->click(); // cancel
    });
    w.form.findChild<QToolButton*>("SB4of1")->click();
    EXPECT_TRUE(printedWhileOpen);
    EXPECT_EQ(PdfPages(pdf).size(), 1);
}

TEST(MapSize, ConfirmingResizesTheRasterAndFitsTheSelection) {
    Window w;
    w.AddLine("Walls", {0, 0, 0}, {100, 50, 0});
    auto* line = static_cast<drawing::Line_*>(
        w.form.Drawing->FindLayer("Walls")->Lists[0]->Entities[0].get());
    ModalWatcher watcher([](QWidget* modal) -> void {
        auto* dialog = qobject_cast<dialogs::TSetform*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        EXPECT_EQ(dialog->Edit1->text(), "800");
        EXPECT_EQ(dialog->Edit3->text(), "100.000");
        EXPECT_EQ(dialog->Edit4->text(), "50.000");
        EXPECT_EQ(dialog->Label6->text(), "Max Vector height:50.000");
        dialog->Edit1->setText("1000");
        dialog->Edit2->setText("1000");
        dialog->SpeedButton1->click();
    });
    w.form.findChild<QAction*>("Reset1")->trigger();
    EXPECT_EQ(w.form.GISPanel1->Raster().Width(), 1000);
    EXPECT_EQ(w.form.GISPanel1->Raster().Height(), 1000);
    // f = min(1000 / 100, 1000 / 50) = 10, about the origin.
    EXPECT_DOUBLE_EQ(line->EndPos.x, 1000);
    EXPECT_DOUBLE_EQ(line->EndPos.y, 500);
}

TEST(MapSize, AnEmptySelectionShowsTheStartingBoxAndScalesNothing) {
    Window w;
    ModalWatcher watcher([](QWidget* modal) -> void {
        auto* dialog = qobject_cast<dialogs::TSetform*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        EXPECT_EQ(dialog->Edit3->text(), "2000000.000");
        EXPECT_EQ(dialog->Edit4->text(), "2000000.000");
        dialog->Edit1->setText("640");
        dialog->SpeedButton1->click();
    });
    w.form.findChild<QToolButton*>("SB5of1")->click();
    EXPECT_EQ(w.form.GISPanel1->Raster().Width(), 640);
    EXPECT_EQ(w.form.GISPanel1->Raster().Height(), 600);
}

TEST(MapSize, ABadSizeChangesNothing) {
    Window w;
    w.AddLine("Walls", {10, 0, 0}, {20, 50, 0});
    QStringList messages;
    ModalWatcher watcher([&](QWidget* modal) -> void {
        auto* dialog = qobject_cast<dialogs::TSetform*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        dialog->Edit1->setText("900");
        dialog->Edit2->setText("12.5");
        {
            ModalWatcher inner; // answers the message while this one is busy
            dialog->SpeedButton1->click();
            messages = inner.messages;
        }
        EXPECT_TRUE(dialog->isVisible());
        dialog->SpeedButton2->click();
    });
    w.form.findChild<QToolButton*>("SB5of1")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "'12.5' is not a valid integer value.");
    EXPECT_EQ(w.form.GISPanel1->Raster().Width(), 800);
}
