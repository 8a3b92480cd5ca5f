// SPDX-License-Identifier: GPL-3.0-or-later
// Keys, wheel and middle button, the close prompt, settings and recent files, tool
// window placement.
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/TTrackingForm.h"
#include "platform/RasterFiles.h"
#include "support/ModalWatcher.h"
#include "support/Mouse.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>

using app::Tmainform;
using testing_support::ModalWatcher;
using testing_support::SendMouse;

namespace {

struct Window {
    Tmainform form;
    explicit Window(bool clearSettings = true) {
        if (clearSettings) QSettings().clear();
        form.resize(1000, 600);
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    canvas::TGISPanel& Map() { return *form.GISPanel1; }
    QWidget* Box() { return Map().PaintBox(); }
    QPointF World(QPoint at) {
        double x = 0, y = 0;
        Map().ScreenToWorld(at, x, y);
        return {x, y};
    }
};

void Wheel(QWidget* w, QPoint at, int delta) {
    QWheelEvent e(QPointF(at), w->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(DesktopHabits, ViewKeysReachTheMapButNotATextBoxThatHasTheKeyboard) {
    Window w;
    EXPECT_TRUE(w.Box()->hasFocus()); // the map has the keyboard from the start
    const double home = w.Map().Transform().View().ScaleX;
    QTest::keyClick(w.Box(), Qt::Key_Plus);
    EXPECT_DOUBLE_EQ(w.Map().Transform().View().ScaleX, home / 0.7);
    QTest::keyClick(w.Box(), Qt::Key_Minus);
    EXPECT_DOUBLE_EQ(w.Map().Transform().View().ScaleX, home / 0.7 / 1.25);
    QTest::keyClick(w.Box(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(w.Map().Transform().View().ScaleX, home);

    // In the layer box the keys type, and only there.
    QLineEdit* layer = w.form.ComboBox3->lineEdit();
    layer->setFocus();
    layer->clear();
    QTest::keyClicks(layer, "+roads-");
    EXPECT_EQ(w.form.LayerName, "+roads-");
    EXPECT_DOUBLE_EQ(w.Map().Transform().View().ScaleX, home);
    QTest::keyClick(layer, Qt::Key_Return); // hands the keyboard back to the map
    EXPECT_TRUE(w.Box()->hasFocus());
    // A click on the map takes the keyboard too.
    layer->setFocus();
    QTest::mouseClick(w.Box(), Qt::LeftButton, {}, {50, 50});
    EXPECT_TRUE(w.Box()->hasFocus());
}

TEST(DesktopHabits, MenuCommandsHaveTheUsualShortcuts) {
    Window w;
    const std::pair<const char*, QKeySequence> expected[] = {
        {"Raster1", QKeySequence::Open},           {"Save1", QKeySequence::Save},
        {"SaveAs1", QKeySequence::SaveAs},         {"Exit2", QKeySequence::Quit},
        {"Overview1", QKeySequence::HelpContents},
    };
    for (const auto& [name, keys] : expected) {
        auto* a = w.form.findChild<QAction*>(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->shortcut(), QKeySequence(keys)) << name;
    }
    // F1 opens the help window.
    QTest::keyClick(w.Box(), Qt::Key_F1);
    EXPECT_TRUE(w.form.findChild<QWidget*>("HelpForm")->isVisible());
}

TEST(DesktopHabits, WheelZoomsAboutThePointUnderTheMouse) {
    Window w;
    const QPoint at(200, 150);
    const QPointF before = w.World(at);
    const double scale = w.Map().Transform().View().ScaleX;
    Wheel(w.Box(), at, 120);
    EXPECT_DOUBLE_EQ(w.Map().Transform().View().ScaleX, scale * 1.25);
    EXPECT_NEAR(w.World(at).x(), before.x(), 1e-9);
    EXPECT_NEAR(w.World(at).y(), before.y(), 1e-9);
    EXPECT_EQ(w.Map().ScaleText(), "Scale 1.25 : 1");
    // Touch pads send parts of a notch: a quarter notch does nothing on its own.
    Wheel(w.Box(), at, 20);
    EXPECT_DOUBLE_EQ(w.Map().Transform().View().ScaleX, scale * 1.25);
    Wheel(w.Box(), at, -280); // back by two notches in all
    EXPECT_NEAR(w.Map().Transform().View().ScaleX, scale / 1.25, 1e-12);
}

TEST(DesktopHabits, MiddleButtonDragsTheMapInAnyMode) {
    Window w;
    w.Map().MouseMode = canvas::TGISPanel::mmDetectEdge;
    const QPointF grabbed = w.World({300, 200});
    SendMouse(w.Box(), QEvent::MouseButtonPress, {300, 200}, Qt::MiddleButton, Qt::MiddleButton);
    SendMouse(w.Box(), QEvent::MouseMove, {340, 230}, Qt::NoButton, Qt::MiddleButton);
    SendMouse(w.Box(), QEvent::MouseMove, {380, 170}, Qt::NoButton, Qt::MiddleButton);
    SendMouse(w.Box(), QEvent::MouseButtonRelease, {380, 170}, Qt::MiddleButton, Qt::NoButton);
    EXPECT_NEAR(w.World({380, 170}).x(), grabbed.x(), 1e-9);
    EXPECT_NEAR(w.World({380, 170}).y(), grabbed.y(), 1e-9);
    EXPECT_EQ(w.Map().ObjectCount(), 0); // no outline recorded by the middle button
}

TEST(DesktopHabits, EscapeEndsAZoomBand) {
    Window w;
    w.form.findChild<QToolButton*>("SBs8")->click();
    const auto view = w.Map().Transform().View();
    SendMouse(w.Box(), QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w.Box(), QEvent::MouseMove, {300, 250}, Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(w.Map().BandActive());
    QTest::keyClick(w.Box(), Qt::Key_Escape);
    EXPECT_FALSE(w.Map().BandActive());
    EXPECT_EQ(w.Map().PaintBox()->Surface().pixel(200, 100), w.Map().Image.Picture.pixel(200, 100));
    SendMouse(w.Box(), QEvent::MouseButtonRelease, {300, 250}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.Map().Transform().View(), view); // the release zooms nowhere
}

TEST(DesktopHabits, UndoViewShowsTheScaleOfTheViewOnScreen) {
    Window w;
    w.form.findChild<QToolButton*>("SBs1")->click();
    EXPECT_EQ(w.form.Label1->text(), "Scale 1.43 : 1");
    w.form.findChild<QToolButton*>("SBs4")->click(); // back to the whole raster
    EXPECT_EQ(w.form.Label1->text(), "Scale 1 : 1");
}

TEST(DesktopHabits, DoubleClickOnTheMapEndsTracking) {
    Window w;
    w.form.findChild<QToolButton*>("SB3of2")->click();
    EXPECT_TRUE(w.form.TrackingForm->isVisible());
    QTest::mouseDClick(w.Box(), Qt::LeftButton, {}, {100, 100});
    EXPECT_FALSE(w.form.TrackingForm->isVisible());
    EXPECT_FALSE(w.form.Track_timer->isActive());
    EXPECT_FALSE(w.form.findChild<QToolButton*>("SB3of2")->isChecked());
}

TEST(DesktopHabits, ClosingWithUnsavedWorkAsks) {
    testing_support::TempDir dir;
    {
        Window w;
        w.form.close(); // nothing to lose: no question
        EXPECT_FALSE(w.form.isVisible());
    }
    Window w;
    w.form.MarkDrawingChanged();
    {
        ModalWatcher cancel;
        cancel.answer = QMessageBox::Cancel;
        w.form.close();
        EXPECT_EQ(cancel.messages, QStringList{"Save your work before closing?"});
        EXPECT_TRUE(w.form.isVisible());
    }
    // Save writes the drawing to its file, then closes.
    const QString rtv = w.form.SaveFile(QString::fromStdString(dir.Path("work.rtv")), 3);
    ASSERT_FALSE(rtv.isEmpty());
    EXPECT_FALSE(w.form.UnsavedDrawing());
    w.form.MarkDrawingChanged();
    QFile::remove(rtv);
    {
        ModalWatcher save;
        save.answer = QMessageBox::Save;
        w.form.close();
        EXPECT_FALSE(w.form.isVisible());
    }
    EXPECT_TRUE(QFileInfo::exists(rtv));
    // Discard closes with the raster's changes lost.
    Window again;
    again.form.MarkRasterChanged();
    ModalWatcher discard;
    discard.answer = QMessageBox::Discard;
    again.form.close();
    EXPECT_FALSE(again.form.isVisible());
}

TEST(DesktopHabits, OptionsFoldersAndRecentFilesAreKeptBetweenRuns) {
    testing_support::TempDir dir;
    platform::Bitmap24 scan(40, 30);
    scan.Fill(0xFEFEFE);
    platform::SaveBmp(dir.Path("scan.bmp"), scan);
    {
        Window w;
        w.form.SpinEdit3->setValue(5);
        w.form.SpinEdit5->setValue(120);
        w.form.vectbox->click();
        w.form.ComboBox2->setCurrentIndex(1); // the solid brush, as chosen by the user
        emit w.form.ComboBox2->activated(1);
        w.form.OpenFile(QString::fromStdString(dir.Path("scan.bmp")), 1);
        ASSERT_EQ(w.form.RecentMenu->actions().size(), 1);
        EXPECT_EQ(w.form.RecentMenu->actions().first()->text(), "&1 scan.bmp");
        w.form.close();
    }
    Window w(false);
    EXPECT_EQ(w.form.SpinEdit3->value(), 5);
    EXPECT_EQ(w.Map().Workbench().VectorTolerance, 5);
    EXPECT_EQ(w.Map().Workbench().ColorRange, 120);
    EXPECT_TRUE(w.form.vectbox->isChecked());
    EXPECT_FALSE(w.Map().Workbench().UseColorRange);
    EXPECT_EQ(w.form.BrushStyle, std::uint8_t(platform::BrushStyle::Solid));
    // The recent entry opens the file again, by its type.
    w.form.RecentMenu->actions().first()->trigger();
    EXPECT_EQ(w.Map().Raster().Width(), 40);
}

TEST(DesktopHabits, ToolWindowsOpenBesideTheMapAndRememberTheirPlace) {
    Window w;
    w.form.findChild<QToolButton*>("SB3of2")->click();
    QWidget* tracking = w.form.TrackingForm;
    const QRect map(w.Box()->mapToGlobal(QPoint(0, 0)), w.Box()->size());
    EXPECT_TRUE(map.contains(tracking->frameGeometry().topRight() + QPoint(-1, 1)))
        << tracking->frameGeometry().x() << "," << tracking->frameGeometry().y();
    EXPECT_GT(tracking->frameGeometry().top(),
              w.form.menuBar()->mapToGlobal(QPoint()).y() + w.form.menuBar()->height());
    tracking->move(tracking->pos() - QPoint(100, 0));
    const QPoint put = tracking->pos();
    w.form.findChild<QToolButton*>("SB3of2")->click(); // closed
    w.form.findChild<QToolButton*>("SB3of2")->click(); // and open again where it was put
    EXPECT_EQ(tracking->pos(), put);
    EXPECT_EQ(QSettings().value("windows/TrackingForm").toPoint(), put);
}
