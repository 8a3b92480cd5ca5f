// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The tracking window: the map point that hover tracking found, the vertex count of the
// entity found and, in the extended view, that entity's description. The main window's
// tracking writes into it; closing it only hides it.

#include "drawing/Geometry.h"

#include <QWidget>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QToolButton;

namespace dialogs {

class TTrackingForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int CompactWidth = 153, CompactHeight = 122, ExtendedHeight = 217;

    explicit TTrackingForm(QWidget* parent = nullptr);

    // Tr_X, Tr_Y, Tr_Z in the general number format; Tr_P the vertex count.
    void ShowVertex(const drawing::Point3& vertex, int vertexCount);
    // Replaces the lines of ListBox1.
    void ShowDescription(const std::vector<std::string>& lines);
    // The extended view is open (T_extended is down): the description is wanted.
    bool Extended() const;
    // R_Nearest is up, which it always is: tracking searches the nearest entity.
    bool SearchNearest() const;

    // Switches between the compact and the extended size.
    void T_extendedClick();

    // General notation with 7 significant digits; the exponent has at least two digits
    // and a sign only when negative ("1.234568E07").
    static QString FormatGeneral(double value);

    QLabel* Tr_X;
    QLabel* Tr_Y;
    QLabel* Tr_Z;
    QLabel* Tr_P;
    QToolButton* T_extended;
    QToolButton* R_Nearest;
    QToolButton* SpeedButton2;
    QListWidget* ListBox1;
};

} // namespace dialogs
