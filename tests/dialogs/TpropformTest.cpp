// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/Tpropform.h"
#include "dialogs/ColourSquare.h"
#include "drawing/EntityStyle.h"
#include "platform/Canvas.h"
#include "support/ModalWatcher.h"
#include "support/Mouse.h"

#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <gtest/gtest.h>

using dialogs::Tpropform;
using drawing::EditStyle;

namespace {

// The dialog edits the process-wide edit style; each test starts from and leaves it zero.
class PropformTest : public ::testing::Test {
protected:
    PropformTest() { EditStyle = {}; }
    ~PropformTest() override { EditStyle = {}; }
    template <class T = QWidget> T* Find(const char* name) {
        auto* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    Tpropform form;
};

} // namespace

// A text opens the text page with its fields; the line page is hidden and keeps its values.
TEST_F(PropformTest, ATextOpensTheTextPageOnly) {
    EditStyle.PenWidth = 3;
    form.TextMode = false;
    form.show();
    EXPECT_TRUE(Find("Panel9")->isVisible());
    EXPECT_EQ(Find<QSpinBox>("SpinEdit6")->value(), 3);
    form.hide();

    // The property command fills only the text fields for a text.
    EditStyle.Text = "Bridge";
    EditStyle.FontName = "Liberation Sans";
    EditStyle.FontSize = 17;
    EditStyle.Angle = 450;
    EditStyle.FontStyle = platform::FontBold;
    form.TextMode = true;
    form.show();
    EXPECT_EQ(form.windowTitle(), "Entities property");
    EXPECT_EQ(form.height(), 160);
    EXPECT_EQ(form.width(), 229);
    EXPECT_TRUE(Find("Panel10")->isVisible());
    EXPECT_FALSE(Find("Panel9")->isVisible());
    EXPECT_EQ(Find("Panel10")->y(), 5);
    EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), "Bridge");
    EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentText(), "Liberation Sans");
    EXPECT_EQ(Find<QSpinBox>("SpinEdit1")->value(), 17);
    EXPECT_EQ(Find<QSpinBox>("SpinEdit2")->value(), 450);
    EXPECT_FALSE(Find<QToolButton>("SpeedButton4")->autoRaise()); // bold shows pressed
    EXPECT_TRUE(Find<QToolButton>("SpeedButton3")->autoRaise());
    EXPECT_EQ(Find<QSpinBox>("SpinEdit6")->value(), 3); // the line page keeps its values
    EXPECT_EQ(EditStyle.Text, "Bridge") << "showing writes nothing back";
}

// Each list entry stands for the style it shows; a style outside the lists leaves them.
TEST_F(PropformTest, StyleListsSelectTheEntryOfTheStyle) {
    auto* pens = Find<QComboBox>("ComboBox1");
    auto* brushes = Find<QComboBox>("ComboBox2");
    EditStyle.BrushStyle = 0; // solid
    EditStyle.PenStyle = 2;   // dot
    form.show();
    EXPECT_EQ(brushes->currentIndex(), 1);
    EXPECT_EQ(pens->currentIndex(), 1);
    form.hide();
    EditStyle.BrushStyle = 1; // clear
    EditStyle.PenStyle = 5;   // clear: not in the list
    form.show();
    EXPECT_EQ(brushes->currentIndex(), 0);
    EXPECT_EQ(pens->currentIndex(), 1);
    // Choosing sets the style the entry shows.
    emit brushes->activated(2);
    EXPECT_EQ(EditStyle.BrushStyle, 5); // backward diagonal
    emit pens->activated(2);
    EXPECT_EQ(EditStyle.PenStyle, 1); // dash
    Find<QSpinBox>("SpinEdit6")->setValue(70000);
    EXPECT_EQ(EditStyle.PenWidth, std::int16_t(70000 - 65536)); // the low 16 bits
}

TEST_F(PropformTest, AColourIsStoredWithoutTheMarkBits) {
    form.show();
    testing_support::ModalWatcher watcher([](QWidget* modal) {
        auto* dialog = qobject_cast<QColorDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(Qt::white);
        dialog->accept();
    });
    auto* square = Find<dialogs::ColourSquare>("Shape7");
    testing_support::SendMouse(square, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton,
                               Qt::NoButton);
    EXPECT_EQ(EditStyle.BrushColor, 16711422u);
    EXPECT_EQ(square->Colour(), 16711422u);
}

TEST_F(PropformTest, BoldTwiceLeavesTheStyleAndAFlatButton) {
    EditStyle.FontStyle = platform::FontItalic;
    form.TextMode = true;
    form.show();
    auto* bold = Find<QToolButton>("SpeedButton4");
    bold->click();
    EXPECT_EQ(EditStyle.FontStyle, platform::FontItalic | platform::FontBold);
    EXPECT_FALSE(bold->autoRaise());
    bold->click();
    EXPECT_EQ(EditStyle.FontStyle, platform::FontItalic);
    EXPECT_TRUE(bold->autoRaise());
}

// Closing with SpeedButton2 answers false although the edit style has the edits; the
// confirm button answers true.
TEST_F(PropformTest, TheAnswerSaysWhetherTheUserConfirmed) {
    const auto answer = [this](const char* button) {
        testing_support::ModalWatcher watcher([this, button](QWidget* modal) {
            ASSERT_EQ(modal, &form);
            form.findChild<QSpinBox*>("SpinEdit6")->setValue(7);
            form.findChild<QToolButton*>(button)->click();
        });
        return form.ShowPropertyDialog();
    };
    EXPECT_FALSE(answer("SpeedButton2"));
    EXPECT_EQ(EditStyle.PenWidth, 7);
    EXPECT_TRUE(answer("SpeedButton1"));
}
