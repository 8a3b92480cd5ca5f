// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ColourSquare.h"
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "platform/RasterFiles.h"
#include "support/ModalWatcher.h"
#include "support/Mouse.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using app::Tmainform;
using testing_support::ModalWatcher;

namespace {

struct Window {
    Tmainform form;
    Window() {
        form.resize(1000, 600);
        form.show();
    }
    QToolButton* Button(const char* name) {
        auto* b = form.findChild<QToolButton*>(name);
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    template <class T = QWidget> T* Find(const char* name) {
        auto* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool InToolBar(const char* panel) { return Find(panel)->parent() == form.Panel13; }
};

} // namespace

TEST(MainWindow, StartsWithTheFileGroupOnAnEmptyRaster) {
    Window w;
    EXPECT_EQ(w.form.windowTitle(), "Penwright");
    EXPECT_EQ(w.form.ExtentMin.x, 0);
    EXPECT_EQ(w.form.ExtentMax.x, 800);
    EXPECT_EQ(w.form.ExtentMax.y, 600);
    EXPECT_EQ(w.form.GISPanel1->Raster().Width(), 800);
    EXPECT_EQ(w.form.GISPanel1->Raster().Height(), 600);
    EXPECT_TRUE(w.InToolBar("Panel1"));
    EXPECT_EQ(w.form.Labelinfo->text(), "File");
    EXPECT_EQ(w.form.Panel12->width(), 160);
    EXPECT_TRUE(w.form.Panel12->isVisible());
    EXPECT_FALSE(w.form.Panel3->isVisible());
    EXPECT_EQ(w.form.LayerName, "Penwright");
    EXPECT_EQ(w.form.BackColor, 0xFEFEFEu);
    EXPECT_EQ(w.Find<QLabel>("Label1")->text(), "Scale 1 : 1"); // set by the first vector paint
    EXPECT_TRUE(w.Button("SB2of5")->toolTip().startsWith("Circle")); // the program's hints
    EXPECT_EQ(w.Find<QAction>("Line1")->text(), "&Line");
}

TEST(MainWindow, ChoosingAGroupRestacksTheOthers) {
    Window w;
    w.Button("SpeedButton1")->click();
    EXPECT_TRUE(w.form.Panel3->isVisible());
    w.Button("SpeedButton7")->click(); // the raster group's row
    EXPECT_TRUE(w.InToolBar("Panel4"));
    EXPECT_EQ(w.Find("Panel4")->pos(), QPoint(3, 3));
    EXPECT_FALSE(w.InToolBar("Panel1"));
    EXPECT_EQ(w.Find("Panel1")->pos(), QPoint(0, 0)); // back in its fixed row
    EXPECT_FALSE(w.Button("SpeedButton7")->isVisibleTo(w.form.Panel3));
    EXPECT_TRUE(w.Button("SpeedButton2")->isVisibleTo(w.form.Panel3));
    EXPECT_FALSE(w.form.Panel3->isVisible());
    EXPECT_EQ(w.form.Labelinfo->text(), "Raster");
    EXPECT_EQ(w.form.WorkMode, Tmainform::wmRaster);
    EXPECT_TRUE(w.form.Panel11->isVisible());

    w.Button("SpeedButton10")->click(); // vector group, as "Select"
    EXPECT_EQ(w.form.Labelinfo->text(), "Vector");
    EXPECT_FALSE(w.form.SpinEdit3->isEnabled());
    EXPECT_FALSE(w.form.ComboBox3->isEnabled());
    EXPECT_TRUE(w.Button("SBs9")->isChecked());
    EXPECT_TRUE(w.form.RB1->isChecked());
    EXPECT_EQ(w.form.WorkMode, Tmainform::wmSelected);
    EXPECT_TRUE(w.form.Panel7->isVisible());
    EXPECT_FALSE(w.form.Panel11->isVisible());

    w.Button("SpeedButton9")->click(); // draw group
    EXPECT_TRUE(w.form.SpinEdit3->isEnabled());
    EXPECT_EQ(w.form.WorkMode, Tmainform::wmDraw);
    EXPECT_TRUE(w.form.Panel9->isVisible());
    EXPECT_EQ(w.form.Panel9->x(), 300);
}

TEST(MainWindow, VectorizationWidensPanel12UntilTheFileGroup) {
    Window w;
    w.Button("SpeedButton8")->click(); // convert group through "Detect edge"
    EXPECT_EQ(w.form.GISPanel1->MouseMode, canvas::TGISPanel::mmDetectEdge);
    EXPECT_TRUE(w.Button("SBs5")->isChecked());
    w.Button("SB1of4")->click();
    EXPECT_EQ(w.form.Panel12->width(), 291);
    EXPECT_EQ(w.form.Panel9->x(), 429);
    w.Button("SpeedButton9")->click();
    EXPECT_EQ(w.form.Panel12->width(), 291);
    w.Button("SpeedButton2")->click();
    EXPECT_EQ(w.form.Panel12->width(), 160);
}

// Tools whose work is not built yet say so and do nothing; nothing is silently dead.
TEST(MainWindow, CommandsNotBuiltYetAreDisabledWithAHint) {
    Window w;
    for (const char* name :
         {"SB2of3", "SB5of3", "SB2of5", "SB5of5", "SB2of6", "SB5of6", "SB1of8", "SB5of8"}) {
        QToolButton* b = w.Button(name);
        EXPECT_FALSE(b->isEnabled()) << name;
        EXPECT_TRUE(b->toolTip().endsWith("(not available in this version)")) << name;
    }
    for (const char* name : {"Pencil1", "Circle1", "N1", "Setlinks1"}) {
        QAction* a = w.Find<QAction>(name);
        EXPECT_FALSE(a->isEnabled()) << name;
        EXPECT_TRUE(a->statusTip().endsWith("(not available in this version)")) << name;
    }
    w.form.ToolMode = 0;
    w.Button("SB2of5")->click();
    w.Find<QAction>("N1")->trigger();
    EXPECT_EQ(w.form.ToolMode, 0);
    // What is built stays available.
    for (const char* name :
         {"SB1of1", "SB2of1", "SB3of1", "SB4of1", "SB5of1", "SB1of4", "SB2of4", "SBs5", "SBs9"})
        EXPECT_TRUE(w.Button(name)->isEnabled()) << name;
    EXPECT_TRUE(w.Find<QAction>("Scan1")->isEnabled());
    w.Find<QRadioButton>("RB2")->click();
    EXPECT_EQ(w.form.WorkMode, Tmainform::wmVisible);
}

TEST(MainWindow, AttributeControls) {
    Window w;
    // A colour picked as pure white is stored without the mark bits.
    ModalWatcher watcher([](QWidget* modal) {
        auto* dialog = qobject_cast<QColorDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(Qt::white);
        dialog->accept();
    });
    testing_support::SendMouse(w.form.Shape1, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton,
                               Qt::NoButton);
    EXPECT_EQ(w.form.ForeColor, 0xFEFEFEu);
    EXPECT_EQ(w.form.Shape1->Colour(), 0xFEFEFEu);
    EXPECT_EQ(w.form.GISPanel1->PaintBox()->Canvas().GetPen().Color, 0xFEFEFEu);

    // Bold on and off again.
    const auto style = w.form.FontStyle;
    w.Button("SpeedButton4")->click();
    EXPECT_EQ(w.form.FontStyle, style | 1);
    EXPECT_TRUE(w.Button("SpeedButton4")->isChecked());
    w.Button("SpeedButton4")->click();
    EXPECT_EQ(w.form.FontStyle, style);
    EXPECT_FALSE(w.Button("SpeedButton4")->isChecked());

    // Line style and brush style come from the entry chosen.
    w.form.ComboBox2->setCurrentIndex(1);
    emit w.form.ComboBox2->activated(1);
    EXPECT_EQ(w.form.BrushStyle, 0);
    EXPECT_EQ(w.form.ClosePolylines, 1);
    emit w.form.ComboBox2->activated(3);
    EXPECT_EQ(w.form.BrushStyle, 3);
    EXPECT_EQ(w.form.ClosePolylines, 0);
    emit w.form.ComboBox1->activated(4);
    EXPECT_EQ(w.form.LineStyle, 4);

    // Box size and font angle share one value.
    w.form.SpinEdit2->setValue(40);
    EXPECT_EQ(w.form.BoxSize, 40);
    EXPECT_EQ(w.form.SpinEdit4->value(), 40);
    w.form.SpinEdit4->setValue(70); // bounded to 60
    EXPECT_EQ(w.form.BoxSize, 60);

    w.form.SpinEdit5->setValue(20);
    EXPECT_EQ(w.form.GISPanel1->Workbench().ColorRange, 20);
    w.form.vectbox->click();
    EXPECT_FALSE(w.form.GISPanel1->Workbench().UseColorRange);
}

TEST(MainWindow, InfoBarViewCommandsAndStatusCoordinates) {
    Window w;
    canvas::TGISPanel* map = w.form.GISPanel1;
    const auto home = map->Transform().View();
    w.Button("SBs1")->click();
    EXPECT_EQ(map->ScaleText(), "Scale 1.43 : 1");
    const auto zoomed = map->Transform().View();
    w.Button("SBs3")->click();
    EXPECT_EQ(map->Transform().View().ScaleX, home.ScaleX);
    w.Button("SBs4")->click();
    EXPECT_EQ(map->Transform().View(), zoomed);
    w.Button("SBs2")->click();

    w.Button("SBs6")->click();
    EXPECT_EQ(map->MouseMode, canvas::TGISPanel::mmPan);
    EXPECT_TRUE(w.Button("SBs6")->isChecked());
    w.Button("SBs7")->click();
    EXPECT_EQ(map->MouseMode, canvas::TGISPanel::mmNone);
    EXPECT_FALSE(w.Button("SBs6")->isChecked());

    map->ResetView();
    const QPoint centre(map->PaintBox()->width() / 2, map->PaintBox()->height() / 2);
    testing_support::SendMouse(map->PaintBox(), QEvent::MouseMove, centre, Qt::NoButton,
                               Qt::NoButton);
    EXPECT_TRUE(w.form.Label2->text().startsWith("X= 400.")) << w.form.Label2->text().toStdString();
    EXPECT_TRUE(w.form.Label2->text().contains("   Y= 300."))
        << w.form.Label2->text().toStdString();

    w.Find<QAction>("ChangeMouse1")->trigger();
    EXPECT_EQ(map->PaintBox()->cursor().shape(), Qt::BlankCursor);
    w.Find<QAction>("Background1")->trigger();
    EXPECT_FALSE(map->Image.Visible);
    w.Find<QAction>("Background1")->trigger();
    EXPECT_TRUE(map->Image.Visible);
}

TEST(FileCommands, ExtensionsAreMendedOnSave) {
    struct Case {
        const char* name;
        int index;
        const char* result;
    };
    for (const Case c : {Case{"a.BmP", 1, "a.BmP"},
                         {"a", 1, "a.bmp"},
                         {"a.jpg", 1, "a.jpg.bmp"},
                         {"a.txt", 1, "a.txt.bmp"},
                         {"b.JPG", 2, "b.JPG"},
                         {"c", 3, "c.rtv"},
                         {"d.wmf", 4, "d.wmf"},
                         {"e", 5, "e.dxf"},
                         {"f.DXF", 5, "f.DXF"},
                         {"dir.x/f", 2, "dir.x/f.jpg"}})
        EXPECT_EQ(Tmainform::MendExtension(c.name, c.index).toStdString(), c.result) << c.name;
}

TEST(FileCommands, OpenAndSaveRasterFiles) {
    Window w;
    testing_support::TempDir dir;
    platform::Bitmap24 scan(1000, 700);
    scan.Fill(0x336699);
    scan.SetPixel(10, 10, 0x010101);
    platform::SaveBmp(dir.Path("scan.bmp"), scan);

    w.form.OpenFile(QString::fromStdString(dir.Path("scan.bmp")), 1);
    canvas::TGISPanel* map = w.form.GISPanel1;
    EXPECT_EQ(map->Raster().Width(), 1000);
    EXPECT_EQ(w.form.ExtentMax.x, 1000);
    EXPECT_EQ(w.form.ExtentMax.y, 700);
    EXPECT_DOUBLE_EQ(map->Transform().HomeView().CenterX, 500);
    EXPECT_EQ(map->Raster().Pixel(10, 10), 0u);

    // Saved as JPEG under a mended name, opened again: every channel even.
    const QString used = w.form.SaveFile(QString::fromStdString(dir.Path("copy")), 2);
    EXPECT_TRUE(used.endsWith("copy.jpg"));
    w.form.OpenFile(used, 2);
    bool even = true;
    for (int y = 0; y < 700; y += 7)
        for (int x = 0; x < 1000; x += 3) even &= (map->Raster().Pixel(x, y) & 0x010101) == 0;
    EXPECT_TRUE(even);

    // Missing and broken files change nothing and say why.
    ModalWatcher watcher;
    w.form.OpenFile(QString::fromStdString(dir.Path("missing.bmp")), 1);
    testing_support::WriteAll(dir.Path("broken.jpg"), "not a jpeg");
    w.form.OpenFile(QString::fromStdString(dir.Path("broken.jpg")), 2);
    ASSERT_EQ(watcher.messages.size(), 2);
    EXPECT_EQ(watcher.messages[0], "File not found");
    EXPECT_TRUE(watcher.messages[1].contains("broken.jpg"));
    EXPECT_EQ(map->Raster().Width(), 1000);
}

TEST(FileCommands, TheDialogsOfferTheFiveTypesThenPngAndTiff) {
    Window w;
    // The five types keep their entries and indices; the scans read beyond them come after.
    EXPECT_STREQ(Tmainform::OpenFilter,
                 "BMP file (*.bmp)|*.bmp|JPEG file  (*.jpg)|*.jpg|RTV file (*.rtv)|*.rtv|"
                 "WMF file  (*.wmf)|*.wmf|DXF file (*.dxf)|*.dxf|PNG file (*.png)|*.png|"
                 "TIFF file (*.tif *.tiff)|*.tif");
    // The dialog shows the types in order (it folds the double spaces when it shows them).
    const QStringList shown = w.form.OpenDialog1->nameFilters();
    ASSERT_EQ(shown.size(), 7);
    EXPECT_TRUE(shown[1].startsWith("JPEG file"));
    EXPECT_TRUE(shown[4].endsWith("(*.dxf)"));
    EXPECT_TRUE(shown[6].endsWith("(*.tif *.tiff)"));
    EXPECT_EQ(w.form.SaveDialog1->nameFilters().size(), 5); // PNG and TIFF are not saved
    // A cancelled dialog changes nothing.
    ModalWatcher watcher;
    w.Button("SB1of1")->click();
    EXPECT_EQ(w.form.GISPanel1->Raster().Width(), 800);
}
