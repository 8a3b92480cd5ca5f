// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/TLayerForm.h"

#include "drawing/Entities.h"
#include "drawing/Geometry.h"

#include <QCheckBox>
#include <QListWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace drawing;
using dialogs::TLayerForm;

namespace {

// A drawing of layers "A" (Point_, Line_, Polyline_) and "B" (Point_, Line_, Polyline_,
// and a "Block_" list), wired to a layers dialog that counts its calls.
class LayerFormTest : public ::testing::Test {
protected:
    LayerFormTest() {
        for (const char* name : {"A", "B"}) {
            drawing.CreateLayer(name, false);
            Add(std::make_unique<Point_>(WorldZAxis, Point3{1, 1, 0}, 1, 0, 0), name);
            Add(std::make_unique<Line_>(Point3{0, 0, 0}, Point3{5, 5, 0}, 1, 0, 0), name);
            const std::vector<Point3> pts = {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}};
            Add(std::make_unique<Polyline_>(WorldZAxis, std::span<const Point3>(pts), 1, 0, 1, 0, 0,
                                            false),
                name);
        }
        DXF_Layer* b = drawing.FindLayer("B");
        auto block = std::make_unique<Entity_List>("Block_");
        block->Layer = b;
        block->Add(std::make_unique<Point_>(WorldZAxis, Point3{2, 2, 0}, 1, 0, 0));
        b->ListNames.push_back("Block_");
        b->Lists.push_back(std::move(block));

        form.Attach(&drawing, &selection);
        form.OnRepaint = [this] { ++repaints; };
        form.OnLayerNames = [this](const std::vector<ListingLine>& lines) {
            layerNames.clear();
            for (const auto& l : lines) layerNames.push_back(l.Text);
        };
        form.OnSelectionRebuilt = [this] { ++rebuilds; };
        list = form.findChild<QListWidget*>("Files_listbox");
    }

    void Add(std::unique_ptr<DXF_Entity> e, const std::string& layer) {
        ASSERT_TRUE(drawing.AddEntityToLayer(std::move(e), layer));
    }
    void Click(const char* button) {
        auto* b = form.findChild<QToolButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void ClickRow(int row) {
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    std::vector<int> SelectedRows() const {
        std::vector<int> rows;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected()) rows.push_back(i);
        return rows;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (int i = 0; i < list->count(); ++i) t.push_back(list->item(i)->text().toStdString());
        return t;
    }
    Entity_List* ListOf(const char* layer, int k) {
        return drawing.FindLayer(layer)->Lists[k].get();
    }

    DXF_Object drawing{"Penwright"};
    selection_lists selection;
    TLayerForm form;
    QListWidget* list = nullptr;
    int repaints = 0, rebuilds = 0;
    std::vector<std::string> layerNames;
};

} // namespace

TEST_F(LayerFormTest, SelectAllSelectsEveryListButBlocksAndFillsTheSelectionLastFirst) {
    ASSERT_NE(list, nullptr);
    Click("SpeedButton4");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Penwright", "  A", "    Point_", "    Line_",
                                                 "    Polyline_", "  B", "    Point_", "    Line_",
                                                 "    Polyline_", "    Block_"}));
    EXPECT_EQ(layerNames, (std::vector<std::string>{"  A", "  B"}));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{2, 3, 4, 6, 7, 8}));
    EXPECT_EQ(selection.Lists,
              (std::vector<Entity_List*>{ListOf("B", 2), ListOf("B", 1), ListOf("B", 0),
                                         ListOf("A", 2), ListOf("A", 1), ListOf("A", 0)}));
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(rebuilds, 1);

    const auto rows = form.EntityListRows();
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[6].List->Name, "Block_");
    EXPECT_FALSE(rows[6].Selected);
    EXPECT_TRUE(rows[0].Selected);
}

TEST_F(LayerFormTest, ClickingATitleOrLayerRowLeavesNothingOfItSelected) {
    form.RefreshLayerLists(false);
    ClickRow(0);
    ClickRow(5);
    ClickRow(9); // the Block_ list
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_TRUE(selection.Lists.empty());
    ClickRow(3);
    EXPECT_EQ(SelectedRows(), std::vector<int>{3});
    EXPECT_EQ(selection.Lists, std::vector<Entity_List*>{ListOf("A", 1)});
    ClickRow(3); // a second click takes it out again
    EXPECT_TRUE(selection.Lists.empty());
    EXPECT_EQ(repaints, 5);
}

TEST_F(LayerFormTest, DeletingNothingOnlyRefreshes) {
    form.RefreshLayerLists(false);
    Click("delete");
    EXPECT_EQ(list->count(), 10);
    EXPECT_EQ(drawing.FindLayer("A")->ListCount(), 3);
    EXPECT_EQ(repaints, 1);
}

TEST_F(LayerFormTest, DeletingEveryListOfALayerBinsTheLayerWhenAsked) {
    for (bool bin : {true, false}) {
        SCOPED_TRACE(bin);
        DXF_Object fresh("Penwright");
        fresh.CreateLayer("A", false);
        fresh.CreateLayer("B", false);
        ASSERT_TRUE(fresh.AddEntityToLayer(
            std::make_unique<Line_>(Point3{0, 0, 0}, Point3{1, 1, 0}, 1, 0, 0), "A"));
        ASSERT_TRUE(fresh.AddEntityToLayer(
            std::make_unique<Line_>(Point3{0, 0, 0}, Point3{1, 1, 0}, 1, 0, 0), "B"));
        form.Attach(&fresh, &selection);
        form.findChild<QCheckBox*>("C_remove_layers")->setChecked(bin);
        form.RefreshLayerLists(false);
        ClickRow(4); // B's Line_
        ASSERT_EQ(selection.Lists.size(), 1u);
        // The Delete key in the list deletes too.
        QTest::keyClick(list, Qt::Key_Delete);
        EXPECT_EQ(fresh.FindLayer("B") != nullptr, !bin);
        if (bin) {
            EXPECT_EQ(Texts(), (std::vector<std::string>{"Penwright", "  A", "    Line_"}));
            EXPECT_EQ(layerNames, std::vector<std::string>{"  A"});
        } else {
            EXPECT_EQ(Texts(), (std::vector<std::string>{"Penwright", "  A", "    Line_", "  B"}));
            EXPECT_EQ(layerNames, (std::vector<std::string>{"  A", "  B"}));
        }
        EXPECT_EQ(fresh.FindLayer("A")->ListCount(), 1);
        EXPECT_TRUE(selection.Lists.empty());
        form.Attach(&drawing, &selection);
    }
}

TEST_F(LayerFormTest, WithoutADrawingEverythingIsEmpty) {
    form.RefreshLayerLists(true);
    form.Attach(nullptr, &selection);
    layerNames = {"stale"};
    form.RefreshLayerLists(true);
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(layerNames.empty());
    EXPECT_TRUE(selection.Lists.empty());
    Click("delete"); // nothing to delete, nothing breaks
    EXPECT_EQ(list->count(), 0);
}
