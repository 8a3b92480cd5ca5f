// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The display options dialog: whether vertices are marked, whether lists outside the
// selection are drawn, whether texts are shown, and the uniform display look. Its pen,
// brush and colour controls write drawing::DisplayStyle, and "Show true color map"
// writes drawing::StyleOverride, at once; the vector display reads the check boxes
// each time it paints.

#include <QDialog>

class QCheckBox;
class QRadioButton;
class QToolButton;

namespace dialogs {

class ColorGrid;

class TDisplayOptions : public QDialog {
    Q_OBJECT
public:
    explicit TDisplayOptions(QWidget* parent = nullptr);

    bool DrawVertices() const;    // CheckBox4
    bool ShowAllEntities() const; // CheckBox1
    bool ShowText() const;        // CheckBox6
    bool ShowTrueColors() const;  // CheckBox5

private:
    void ColorGrid1Change();

    QCheckBox* CheckBox4;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox6;
    QCheckBox* CheckBox5;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton4;
    QRadioButton* RadioButton5;
    QRadioButton* RadioButton3;
    QRadioButton* RadioButton6;
    ColorGrid* ColorGrid1;
    QToolButton* SpeedButton1;
};

} // namespace dialogs
