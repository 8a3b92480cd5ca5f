// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The entities property dialog: the look of one entity, or of the selected lists, as the
// edit style (drawing::EditStyle). The caller fills the edit style, chooses the page with
// TextMode and calls ShowPropertyDialog; every control writes its field of the edit
// style as soon as it changes, and the answer says whether the user confirmed. The line
// page edits pen and brush, the text page the text and its font.

#include <QDialog>
#include <cstdint>

class QComboBox;
class QLineEdit;
class QSpinBox;
class QToolButton;
class QWidget;

namespace dialogs {

class ColourSquare;

class Tpropform : public QDialog {
    Q_OBJECT
public:
    explicit Tpropform(QWidget* parent = nullptr);

    bool EditSelection = false; // the controls edit the edit style
    bool TextMode = false;      // the text page instead of the line page
    bool Accepted = false;      // confirmed with SpeedButton1

    // Shows the dialog modally; true when the user confirmed. Edits made before a cancel
    // stay in the edit style all the same: the caller decides what to apply.
    bool ShowPropertyDialog();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void BuildLinePage();
    void BuildTextPage();
    void PickColour(ColourSquare* square, std::uint32_t& field);
    void ToggleFontStyle(QToolButton* button, std::uint8_t bit);
    void ShowFontStyle(QToolButton* button, std::uint8_t bit);

    QWidget* Panel9 = nullptr;  // line page
    QWidget* Panel10 = nullptr; // text page
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QSpinBox* SpinEdit6 = nullptr;
    ColourSquare* Shape6 = nullptr;
    ColourSquare* Shape7 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QToolButton *SpeedButton3 = nullptr, *SpeedButton4 = nullptr, *SpeedButton5 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QSpinBox* SpinEdit2 = nullptr;
    ColourSquare* Shape12 = nullptr;
    QToolButton* SpeedButton1 = nullptr; // confirm
    QToolButton* SpeedButton2 = nullptr; // close
};

} // namespace dialogs
