// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/TLayerForm.h"

#include "dialogs/DialogLook.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QToolButton>
#include <algorithm>
#include <string>
#include <utility>

namespace dialogs {

namespace {

// A list box that reports its mouse and key events to the dialog, after it has applied
// them to its own selection (key presses before, as the dialog may delete on them).
class ReportingListBox final : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void()> MouseUp;
    std::function<void(int)> KeyDown;
    std::function<void()> KeyUp;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        QListWidget::mouseReleaseEvent(e);
        if (MouseUp) MouseUp();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (KeyDown) KeyDown(e->key());
        QListWidget::keyPressEvent(e);
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        QListWidget::keyReleaseEvent(e);
        if (KeyUp) KeyUp();
    }
};

constexpr int ItemHeight = 16;
const std::string UnselectableList = "Block_";

} // namespace

TLayerForm::TLayerForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LayerForm"));
    setWindowTitle(QStringLiteral("Layers Dialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);
    setFixedSize(257, 247);
    PaintPanel(this);

    auto* list = new ReportingListBox(this);
    Files_listbox = list;
    Files_listbox->setObjectName(QStringLiteral("Files_listbox"));
    Files_listbox->setToolTip(QStringLiteral("Groups"));
    Files_listbox->setGeometry(8, 8, 206, 208);
    Files_listbox->setSelectionMode(QAbstractItemView::MultiSelection);
    Files_listbox->setUniformItemSizes(true);
    Files_listbox->setFont(SansFont(9));
    Files_listbox->setCursor(Qt::PointingHandCursor);
    PaintPanel(Files_listbox);
    list->MouseUp = [this] { Files_listboxMouseUp(); };
    list->KeyDown = [this](int key) { Files_listboxKeyDown(key); };
    list->KeyUp = [this] { Files_listboxKeyUp(); };

    SpeedButton4 = GlyphButton(this, QStringLiteral("SpeedButton4"), QStringLiteral("Select All"),
                               QStyle::SP_DialogYesButton, QStringLiteral("All"));
    DeleteButton = GlyphButton(this, QStringLiteral("delete"), QStringLiteral("Delete Delected"),
                               QStyle::SP_TrashIcon, QStringLiteral("Del"));
    SpeedButton1 = GlyphButton(this, QStringLiteral("SpeedButton1"), QStringLiteral("Repaint"),
                               QStyle::SP_BrowserReload, QStringLiteral("Paint"));
    SpeedButton2 =
        GlyphButton(this, QStringLiteral("SpeedButton2"), QStringLiteral("Close layers dialog"),
                    QStyle::SP_DialogCloseButton, QStringLiteral("Close"));
    int top = 8;
    for (QToolButton* b : {SpeedButton4, DeleteButton, SpeedButton1, SpeedButton2}) {
        b->setGeometry(220, top, 32, 28);
        top += 34;
    }
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
    connect(DeleteButton, &QToolButton::clicked, this, [this] { deleteClick(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });

    C_remove_layers = new QCheckBox(QStringLiteral("Bin empty layers"), this);
    C_remove_layers->setObjectName(QStringLiteral("C_remove_layers"));
    C_remove_layers->setChecked(true);
    C_remove_layers->setGeometry(8, 222, 206, 20);
    CentreOnScreen(this);
}

void TLayerForm::Attach(drawing::DXF_Object* drawing, drawing::selection_lists* selection) {
    drawing_ = drawing;
    selection_ = selection;
}

void TLayerForm::RefreshLayerLists(bool selectAll) {
    Files_listbox->clear();
    rows_.clear();
    std::vector<drawing::ListingLine> layerNames;
    if (drawing_ != nullptr) {
        if (C_remove_layers->isChecked())
            drawing_->RemoveEmpty([this](const std::string& text) {
                platform::ShowMessage(QString::fromStdString(text), this);
            });
        if (drawing_->LayerCount() >= 1) {
            drawing_->FillTree(rows_);
            drawing_->FillLayerNames(layerNames);
        }
    }
    for (const drawing::ListingLine& row : rows_) {
        auto* item = new QListWidgetItem(QString::fromStdString(row.Text), Files_listbox);
        item->setSizeHint(QSize(0, ItemHeight));
    }
    if (OnLayerNames) OnLayerNames(layerNames);
    if (selectAll) Files_listbox->selectAll();
    RebuildSelection();
}

void TLayerForm::RebuildSelection() {
    if (selection_ != nullptr) selection_->Lists.clear();
    for (int i = Files_listbox->count(); i-- > 0;) {
        QListWidgetItem* item = Files_listbox->item(i);
        if (!item->isSelected()) continue;
        auto* const* list = std::get_if<drawing::Entity_List*>(&rows_[std::size_t(i)].Object);
        if (list != nullptr && *list != nullptr && (*list)->Name != UnselectableList) {
            if (selection_ != nullptr) selection_->Lists.push_back(*list);
        } else {
            item->setSelected(false);
        }
    }
    if (OnSelectionRebuilt) OnSelectionRebuilt();
}

std::vector<TLayerForm::ListRow> TLayerForm::EntityListRows() const {
    std::vector<ListRow> out;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (auto* const* list = std::get_if<drawing::Entity_List*>(&rows_[i].Object))
            out.push_back({*list, Files_listbox->item(int(i))->isSelected()});
    return out;
}

bool TLayerForm::LayerInDrawing(const drawing::DXF_Layer* layer) const {
    if (drawing_ == nullptr || layer == nullptr) return false;
    return std::any_of(drawing_->Layers.begin(), drawing_->Layers.end(),
                       [layer](const auto& l) { return l.get() == layer; });
}

void TLayerForm::deleteClick() {
    if (selection_ != nullptr) {
        // Take layer and name first: each delete frees lists the selection points to.
        std::vector<std::pair<drawing::DXF_Layer*, std::string>> doomed;
        for (const drawing::Entity_List* list : selection_->Lists)
            if (list != nullptr) doomed.emplace_back(list->Layer, list->Name);
        selection_->Lists.clear();
        for (const auto& [layer, name] : doomed)
            if (LayerInDrawing(layer)) layer->DeleteList(name, true);
        if (!doomed.empty() && OnDrawingChanged) OnDrawingChanged();
    }
    RefreshLayerLists(false);
    Repaint();
}

void TLayerForm::SpeedButton4Click() {
    RefreshLayerLists(true);
    Repaint();
}

void TLayerForm::SpeedButton1Click() {
    Repaint();
}

void TLayerForm::SpeedButton2Click() {
    accept();
}

void TLayerForm::Repaint() {
    if (OnRepaint) OnRepaint();
}

void TLayerForm::Files_listboxMouseUp() {
    RebuildSelection();
    Repaint();
}

void TLayerForm::Files_listboxKeyDown(int key) {
    if (key == Qt::Key_Delete) deleteClick();
    Repaint();
}

void TLayerForm::Files_listboxKeyUp() {
    RebuildSelection();
    Repaint();
}

} // namespace dialogs
