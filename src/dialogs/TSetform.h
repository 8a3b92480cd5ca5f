// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The setup dialog: the raster's size in pixels and the selection's size in map units.
// Confirming resizes the raster and scales the selection about the map origin so that it
// fits the new raster.

#include <QDialog>

class QLabel;
class QLineEdit;
class QToolButton;

namespace canvas {
class TGISPanel;
}
namespace drawing {
class selection_lists;
}

namespace dialogs {

class TSetform : public QDialog {
    Q_OBJECT
public:
    explicit TSetform(QWidget* parent = nullptr);

    // The map canvas and the selection the next showing works on.
    void Attach(canvas::TGISPanel* map, drawing::selection_lists* selection);
    // True after a confirm that changed the raster or the selection.
    bool Changed() const { return changed_; }

    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr;
    QLabel *Label5 = nullptr, *Label6 = nullptr;
    QToolButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Confirm();

    canvas::TGISPanel* map_ = nullptr;
    drawing::selection_lists* selection_ = nullptr;
    bool changed_ = false;
};

} // namespace dialogs
