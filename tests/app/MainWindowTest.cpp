// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/ColourSquare.h"
#include "mousetools/MapInteraction.h"
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
    bool InToolBar(const char* panel) { return Find(panel)->parent() == Find("Panel13"); }
};

} // namespace

TEST(MainWindow, StartsWithTheFileGroupOnAnEmptyRaster) {
    Window w;
    EXPECT_EQ(w.form.windowTitle(), "Penwright");
    EXPECT_EQ(w.form.MapExtentMin().x, 0);
    EXPECT_EQ(w.form.MapExtentMax().x, 800);
    EXPECT_EQ(w.form.MapExtentMax().y, 600);
    EXPECT_EQ(w.form.Map().Raster().Width(), 800);
    EXPECT_EQ(w.form.Map().Raster().Height(), 600);
    EXPECT_TRUE(w.InToolBar("Panel1"));
    EXPECT_EQ(w.form.findChild<QLabel*>("Labelinfo")->text(), "File");
    EXPECT_EQ(w.form.findChild<QWidget*>("Panel12")->width(), 160);
    EXPECT_TRUE(w.form.findChild<QWidget*>("Panel12")->isVisible());
    EXPECT_FALSE(w.form.findChild<QWidget*>("Panel3")->isVisible());
    EXPECT_EQ(w.form.Attributes().LayerName, "Penwright");
    EXPECT_EQ(w.form.Attributes().BackColor, 0xFEFEFEu);
    EXPECT_EQ(w.Find<QLabel>("Label1")->text(), "Scale 1 : 1"); // set by the first vector paint
    EXPECT_TRUE(w.Button("SB2of5")->toolTip().startsWith("Circle")); // the program's hints
    EXPECT_EQ(w.Find<QAction>("Line1")->text(), "&Line");
}

TEST(MainWindow, ChoosingAGroupRestacksTheOthers) {
    Window w;
    w.Button("SpeedButton1")->click();
    EXPECT_TRUE(w.form.findChild<QWidget*>("Panel3")->isVisible());
    w.Button("SpeedButton7")->click(); // the raster group's row
    EXPECT_TRUE(w.InToolBar("Panel4"));
    EXPECT_EQ(w.Find("Panel4")->pos(), QPoint(3, 3));
    EXPECT_FALSE(w.InToolBar("Panel1"));
    EXPECT_EQ(w.Find("Panel1")->pos(), QPoint(0, 0)); // back in its fixed row
    EXPECT_FALSE(w.Button("SpeedButton7")->isVisibleTo(w.form.findChild<QWidget*>("Panel3")));
    EXPECT_TRUE(w.Button("SpeedButton2")->isVisibleTo(w.form.findChild<QWidget*>("Panel3")));
    EXPECT_FALSE(w.form.findChild<QWidget*>("Panel3")->isVisible());
    EXPECT_EQ(w.form.findChild<QLabel*>("Labelinfo")->text(), "Raster");
    EXPECT_EQ(w.form.Interaction().Work(), mousetools::wmRaster);
    EXPECT_TRUE(w.form.findChild<QWidget*>("Panel11")->isVisible());

    w.Button("SpeedButton10")->click(); // vector group, as "Select"
    EXPECT_EQ(w.form.findChild<QLabel*>("Labelinfo")->text(), "Vector");
    EXPECT_FALSE(w.form.findChild<QSpinBox*>("SpinEdit3")->isEnabled());
    EXPECT_FALSE(w.form.findChild<QComboBox*>("ComboBox3")->isEnabled());
    EXPECT_TRUE(w.Button("SBs9")->isChecked());
    EXPECT_TRUE(w.form.findChild<QRadioButton*>("RB1")->isChecked());
    EXPECT_EQ(w.form.Interaction().Work(), mousetools::wmSelected);
    EXPECT_TRUE(w.form.findChild<QWidget*>("Panel7")->isVisible());
    EXPECT_FALSE(w.form.findChild<QWidget*>("Panel11")->isVisible());

    w.Button("SpeedButton9")->click(); // draw group
    EXPECT_TRUE(w.form.findChild<QSpinBox*>("SpinEdit3")->isEnabled());
    EXPECT_EQ(w.form.Interaction().Work(), mousetools::wmDraw);
    EXPECT_TRUE(w.form.findChild<QWidget*>("Panel9")->isVisible());
    EXPECT_EQ(w.form.findChild<QWidget*>("Panel9")->x(), 300);
}

TEST(MainWindow, VectorizationWidensPanel12UntilTheFileGroup) {
    Window w;
    w.Button("SpeedButton8")->click(); // convert group through "Detect edge"
    EXPECT_EQ(w.form.Map().MouseMode, canvas::TGISPanel::mmDetectEdge);
    EXPECT_TRUE(w.Button("SBs5")->isChecked());
    w.Button("SB1of4")->click();
    EXPECT_EQ(w.form.findChild<QWidget*>("Panel12")->width(), 291);
    EXPECT_EQ(w.form.findChild<QWidget*>("Panel9")->x(), 429);
    w.Button("SpeedButton9")->click();
    EXPECT_EQ(w.form.findChild<QWidget*>("Panel12")->width(), 291);
    w.Button("SpeedButton2")->click();
    EXPECT_EQ(w.form.findChild<QWidget*>("Panel12")->width(), 160);
}

// Commands whose work is not built yet say so and do nothing; nothing is silently dead.
TEST(MainWindow, CommandsNotBuiltYetAreDisabledWithAHint) {
    Window w;
    for (const char* name : {"SB1of8", "SB5of8"}) {
        QToolButton* b = w.Button(name);
        EXPECT_FALSE(b->isEnabled()) << name;
        EXPECT_TRUE(b->toolTip().endsWith("(not available in this version)")) << name;
    }
    for (const char* name : {"Layermanagement1", "Setlinks1"}) {
        QAction* a = w.Find<QAction>(name);
        EXPECT_FALSE(a->isEnabled()) << name;
        EXPECT_TRUE(a->statusTip().endsWith("(not available in this version)")) << name;
    }
    // What is built is available.
    for (const char* name :
         {"SB1of1", "SB2of1", "SB3of1", "SB4of1", "SB5of1", "SB1of4", "SB2of4", "SBs5", "SBs9",
          "SB2of3", "SB5of3", "SB2of5", "SB5of5", "SB2of6", "SB5of6"})
        EXPECT_TRUE(w.Button(name)->isEnabled()) << name;
    EXPECT_TRUE(w.Find<QAction>("Scan1")->isEnabled());
    w.Find<QRadioButton>("RB2")->click();
    EXPECT_EQ(w.form.Interaction().Work(), mousetools::wmVisible);
}

// A tool button and its menu item choose the same tool and option panel, also where the
// button's hint and the item's caption name different tools.
TEST(MainWindow, ToolButtonsAndMenuItemsChooseTheirTools) {
    using namespace mousetools;
    struct Case {
        const char* button;
        const char* item;
        ToolMode tool;
        const char* panel; // option panel shown, if any
    };
    const Case cases[] = {
        {"SB1of3", "Text1", tmText, "Panel10"},
        {"SB2of3", "Eraser1", tmEraser, "Panel11"},
        {"SB3of3", "FillBox1", tmFillBox, "Panel11"},
        {"SB4of3", "Polyline1", tmPolyline, "Panel11"},
        {"SB5of3", "Pencil1", tmPencil, "Panel11"},
        {"SB1of5", "Text2", tmText, "Panel10"},
        {"SB2of5", "Line1", tmCircle, "Panel9"},
        {"SB3of5", "Polyline2", tmRectangle, "Panel9"},
        {"SB4of5", "Rectangle1", tmPolyline, "Panel9"},
        {"SB5of5", "Circle1", tmLine, "Panel9"},
        {"SB1of6", "BringtoFrant1", tmPick, nullptr},
        {"SB2of6", "Editor1", tmEditPoints, nullptr},
        {"SB3of6", "Scale1", tmScale, nullptr},
        {"SB4of6", "N2", tmRotate, nullptr},
        {"SB5of6", "N1", tmMove, nullptr},
    };
    Window w;
    for (const Case& c : cases) {
        const char* other = c.tool == tmScale ? "N1" : "Scale1";
        w.Find<QAction>(other)->trigger();
        w.Button(c.button)->click();
        EXPECT_EQ(w.form.Interaction().Tool(), c.tool) << c.button;
        if (c.panel) {
            EXPECT_TRUE(w.Find(c.panel)->isVisible()) << c.button;
        }
        w.Find<QAction>(other)->trigger();
        w.Find<QAction>(c.item)->trigger();
        EXPECT_EQ(w.form.Interaction().Tool(), c.tool) << c.item;
    }
    // "Pick up text" works on the raster, the draw group's "Text" makes entities.
    w.Button("SB1of3")->click();
    EXPECT_EQ(w.form.Interaction().Work(), wmConvert);
    EXPECT_TRUE(w.form.Map().Workbench().UndoSaved());
    w.Button("SB1of5")->click();
    EXPECT_EQ(w.form.Interaction().Work(), wmNone);
    // "Points" marks the vertices and works on the picked entity.
    w.Find<QRadioButton>("RB2")->click();
    w.Button("SB2of6")->click();
    EXPECT_TRUE(w.Find<QCheckBox>("draw_vertices")->isChecked());
    EXPECT_EQ(w.form.Interaction().Work(), wmSelected);
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
    testing_support::SendMouse(w.form.findChild<dialogs::ColourSquare*>("Shape1"),
                               QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.form.Attributes().ForeColor, 0xFEFEFEu);
    EXPECT_EQ(w.form.findChild<dialogs::ColourSquare*>("Shape1")->Colour(), 0xFEFEFEu);
    EXPECT_EQ(w.form.Map().PaintBox()->Canvas().GetPen().Color, 0xFEFEFEu);

    // Bold on and off again.
    const auto style = w.form.Attributes().FontStyle;
    w.Button("SpeedButton4")->click();
    EXPECT_EQ(w.form.Attributes().FontStyle, style | 1);
    EXPECT_TRUE(w.Button("SpeedButton4")->isChecked());
    w.Button("SpeedButton4")->click();
    EXPECT_EQ(w.form.Attributes().FontStyle, style);
    EXPECT_FALSE(w.Button("SpeedButton4")->isChecked());

    // Line style and brush style come from the entry chosen.
    w.form.findChild<QComboBox*>("ComboBox2")->setCurrentIndex(1);
    emit w.form.findChild<QComboBox*>("ComboBox2")->activated(1);
    EXPECT_EQ(w.form.Attributes().BrushStyle, 0);
    EXPECT_EQ(w.form.Attributes().ClosePolylines, 1);
    emit w.form.findChild<QComboBox*>("ComboBox2")->activated(3);
    EXPECT_EQ(w.form.Attributes().BrushStyle, 3);
    EXPECT_EQ(w.form.Attributes().ClosePolylines, 0);
    emit w.form.findChild<QComboBox*>("ComboBox1")->activated(4);
    EXPECT_EQ(w.form.Attributes().LineStyle, 4);

    // Box size and font angle share one value.
    w.form.findChild<QSpinBox*>("SpinEdit2")->setValue(40);
    EXPECT_EQ(w.form.Attributes().BoxSize, 40);
    EXPECT_EQ(w.form.findChild<QSpinBox*>("SpinEdit4")->value(), 40);
    w.form.findChild<QSpinBox*>("SpinEdit4")->setValue(70); // bounded to 60
    EXPECT_EQ(w.form.Attributes().BoxSize, 60);

    w.form.findChild<QSpinBox*>("SpinEdit5")->setValue(20);
    EXPECT_EQ(w.form.Map().Workbench().ColorRange, 20);
    w.form.findChild<QCheckBox*>("vectbox")->click();
    EXPECT_FALSE(w.form.Map().Workbench().UseColorRange);
}

TEST(MainWindow, InfoBarViewCommandsAndStatusCoordinates) {
    Window w;
    canvas::TGISPanel* map = &w.form.Map();
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
    EXPECT_TRUE(w.form.findChild<QLabel*>("Label2")->text().startsWith("X= 400."))
        << w.form.findChild<QLabel*>("Label2")->text().toStdString();
    EXPECT_TRUE(w.form.findChild<QLabel*>("Label2")->text().contains("   Y= 300."))
        << w.form.findChild<QLabel*>("Label2")->text().toStdString();

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
    canvas::TGISPanel* map = &w.form.Map();
    EXPECT_EQ(map->Raster().Width(), 1000);
    EXPECT_EQ(w.form.MapExtentMax().x, 1000);
    EXPECT_EQ(w.form.MapExtentMax().y, 700);
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
    const QStringList shown = w.form.findChild<QFileDialog*>("OpenDialog1")->nameFilters();
    ASSERT_EQ(shown.size(), 7);
    EXPECT_TRUE(shown[1].startsWith("JPEG file"));
    EXPECT_TRUE(shown[4].endsWith("(*.dxf)"));
    EXPECT_TRUE(shown[6].endsWith("(*.tif *.tiff)"));
    EXPECT_EQ(w.form.findChild<QFileDialog*>("SaveDialog1")->nameFilters().size(),
              5); // PNG and TIFF are not saved
    // A cancelled dialog changes nothing.
    ModalWatcher watcher;
    w.Button("SB1of1")->click();
    EXPECT_EQ(w.form.Map().Raster().Width(), 800);
}
