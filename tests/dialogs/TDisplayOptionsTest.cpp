// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/TDisplayOptions.h"
#include "dialogs/ColorGrid.h"

#include "drawing/Entities.h"
#include "drawing/EntityStyle.h"
#include "drawing/Entity_List.h"
#include "drawing/Projection.h"
#include "platform/QtCanvas.h"

#include <QCheckBox>
#include <QImage>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace drawing;
using dialogs::ColorGrid;
using dialogs::TDisplayOptions;

namespace {

// Map units are canvas pixels.
struct Identity final : Projection {
    QPoint Project(const Point3& p, const Matrix4*) const override { return {int(p.x), int(p.y)}; }
};

// The dialog writes process-wide style state; each test starts from and leaves the
// start values.
class DisplayOptionsTest : public ::testing::Test {
protected:
    DisplayOptionsTest() : savedStyle(DisplayStyle), savedOverride(StyleOverride) {}
    ~DisplayOptionsTest() override {
        DisplayStyle = savedStyle;
        StyleOverride = savedOverride;
    }
    void Click(const char* name) {
        auto* b = form.findChild<QAbstractButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void ClickCell(int index, Qt::MouseButton button) {
        auto* grid = form.findChild<ColorGrid*>("ColorGrid1");
        ASSERT_NE(grid, nullptr);
        QTest::mouseClick(grid, button, {}, grid->CellRect(index).center());
    }

    EntityStyle savedStyle;
    std::int32_t savedOverride;
    TDisplayOptions form;
};

} // namespace

TEST_F(DisplayOptionsTest, StartsAsShownWithoutTouchingTheLook) {
    EXPECT_FALSE(form.DrawVertices());
    EXPECT_FALSE(form.ShowAllEntities());
    EXPECT_TRUE(form.ShowText());
    EXPECT_TRUE(form.ShowTrueColors());
    EXPECT_TRUE(form.findChild<QRadioButton*>("RadioButton5")->isChecked());
    // "Outline Shapes" is shown, but the look keeps its solid brush until a click.
    EXPECT_EQ(DisplayStyle, savedStyle);
    EXPECT_EQ(DisplayStyle.BrushStyle, 0);
    EXPECT_EQ(StyleOverride, 0);
}

TEST_F(DisplayOptionsTest, PenAndBrushButtonsSetTheLook) {
    Click("RadioButton4");
    EXPECT_EQ(DisplayStyle.PenStyle, 2);
    EXPECT_EQ(DisplayStyle.PenWidth, 1);
    Click("RadioButton2"); // thick after dotted: solid, two pixels
    EXPECT_EQ(DisplayStyle.PenStyle, 0);
    EXPECT_EQ(DisplayStyle.PenWidth, 2);
    Click("RadioButton6");
    EXPECT_EQ(DisplayStyle.BrushStyle, 7);
    Click("RadioButton5");
    EXPECT_EQ(DisplayStyle.BrushStyle, 1);
    Click("RadioButton3");
    EXPECT_EQ(DisplayStyle.BrushStyle, 0);
}

TEST_F(DisplayOptionsTest, LeftAndRightClicksInTheGridChoosePenAndBrushColours) {
    ClickCell(9, Qt::LeftButton);   // red
    ClickCell(11, Qt::RightButton); // yellow
    EXPECT_EQ(DisplayStyle.PenColor, 0x0000FFu);
    EXPECT_EQ(DisplayStyle.BrushColor, 0x00FFFFu);
    ClickCell(4, Qt::LeftButton); // navy; the brush colour is copied again, unchanged
    EXPECT_EQ(DisplayStyle.PenColor, 0x800000u);
    EXPECT_EQ(DisplayStyle.BrushColor, 0x00FFFFu);
}

TEST_F(DisplayOptionsTest, TrueColoursOffDrawsInTheLookAndLeavesTheEntitiesAlone) {
    Entity_List list("Line_");
    list.Add(std::make_unique<Line_>(Point3{2, 10, 0}, Point3{30, 10, 0}, 1, 0, 0));
    list.Entities[0]->Color = 0x00FF00;
    ClickCell(9, Qt::LeftButton); // red look
    auto paint = [&] {
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        platform::QtCanvas canvas(&image);
        list.Draw(canvas, nullptr, Identity());
        canvas.End();
        return platform::FromQColor(image.pixelColor(10, 10));
    };

    Click("CheckBox5");
    EXPECT_EQ(StyleOverride, 2);
    EXPECT_EQ(paint(), 0x0000FFu);
    EXPECT_EQ(list.Entities[0]->Color, 0x00FF00u);
    Click("CheckBox5");
    EXPECT_EQ(StyleOverride, 0);
    EXPECT_EQ(paint(), 0x00FF00u);
}
