// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The layers dialog: the drawing's tree (its name, each layer, each layer's entity lists)
// as one multi-select list whose selected list rows are the program's working selection.
// It deletes entity lists and can bin empty layers. It holds no data of its own: the
// drawing and the selection belong to the main window, which attaches them and connects
// the hooks below.

#include "drawing/selection_lists.h"

#include <QDialog>
#include <functional>
#include <vector>

class QCheckBox;
class QListWidget;
class QToolButton;

namespace dialogs {

class TLayerForm : public QDialog {
    Q_OBJECT
public:
    explicit TLayerForm(QWidget* parent = nullptr);

    // Neither is owned; the drawing may be null (no drawing yet).
    void Attach(drawing::DXF_Object* drawing, drawing::selection_lists* selection);

    // Rebuilds the list from the drawing (binning empty lists and layers first when "Bin
    // empty layers" is checked), hands the layer names to OnLayerNames, selects every row
    // when selectAll, then RebuildSelection().
    void RefreshLayerLists(bool selectAll);
    // Makes the selection hold exactly the selected entity-list rows, last row first;
    // any other selected row is deselected. Ends with OnSelectionRebuilt.
    void RebuildSelection();

    // The entity-list rows in list order with their selection state: what the vector
    // display paints (selected ones in their own look, the others when showing all).
    struct ListRow {
        drawing::Entity_List* List;
        bool Selected;
    };
    std::vector<ListRow> EntityListRows() const;
    // Every row's text and object, in list order.
    const std::vector<drawing::ListingLine>& Rows() const { return rows_; }

    // Refresh the map canvas's paint box, then paint the vectors.
    std::function<void()> OnRepaint;
    // Refill the layer name box with these lines (empty when there is no layer).
    std::function<void(const std::vector<drawing::ListingLine>&)> OnLayerNames;
    // The selection was rebuilt: forget the picked entity and vertex, update counters.
    std::function<void()> OnSelectionRebuilt;
    // Lists were deleted from the drawing.
    std::function<void()> OnDrawingChanged;

    // Button actions, also reachable through the buttons.
    void deleteClick();       // delete the selected entity lists, then refresh and repaint
    void SpeedButton4Click(); // select every entity list
    void SpeedButton1Click(); // repaint
    void SpeedButton2Click(); // close

private:
    void Repaint();
    void Files_listboxMouseUp();
    void Files_listboxKeyDown(int key);
    void Files_listboxKeyUp();
    bool LayerInDrawing(const drawing::DXF_Layer* layer) const;

    drawing::DXF_Object* drawing_ = nullptr;
    drawing::selection_lists* selection_ = nullptr;
    std::vector<drawing::ListingLine> rows_; // one per item of Files_listbox

    QListWidget* Files_listbox;
    QToolButton* SpeedButton4;
    QToolButton* DeleteButton; // the component named "delete"
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QCheckBox* C_remove_layers;
};

} // namespace dialogs
