// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing attributes: the controls that edit them and ApplyAttributes.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/ColourSquare.h"
#include "platform/QtCanvas.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

namespace app {

void Tmainform::ShowPickedColours() {
    Shape1->SetColour(attributes_.ForeColor);
    Shape2->SetColour(attributes_.BackColor);
    ApplyAttributes();
}

void Tmainform::ApplyAttributes() {
    // The map's drawing surface: rubber bands and new entities.
    platform::Canvas& screen = GISPanel1->PaintBox()->Canvas();
    screen.SetPen({attributes_.ForeColor, attributes_.LineWidth,
                   platform::PenStyle(attributes_.LineStyle), platform::PenMode::NotXor});
    screen.SetBrush({attributes_.BackColor, platform::BrushStyle(attributes_.BrushStyle)});
    platform::Font& font = screen.FontRef();
    font.Size = attributes_.FontSize;
    font.Color = attributes_.FontColor;
    font.Style = attributes_.FontStyle;
    // The raster: what the raster tools paint with.
    platform::Canvas& raster = GISPanel1->Raster().GetCanvas();
    raster.SetPen({attributes_.ForeColor, attributes_.LineWidth,
                   platform::PenStyle(attributes_.LineStyle), platform::PenMode::Copy});
    raster.SetBrush({attributes_.BackColor, platform::BrushStyle::Solid});
}

void Tmainform::PickColour(dialogs::ColourSquare* square, platform::Colour& attribute) {
    QColorDialog dialog(platform::ToQColor(attribute), this);
    dialog.setObjectName("ColorDialog");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return;
    // The low bit of each byte belongs to the raster's marks.
    attribute = platform::WithoutMarkBits(platform::FromQColor(dialog.selectedColor()));
    square->SetColour(attribute);
    ApplyAttributes();
}

void Tmainform::ToggleFontStyle(QToolButton* button, std::uint8_t bit) {
    attributes_.FontStyle ^= bit;
    button->setChecked(attributes_.FontStyle & bit);
    ApplyAttributes();
}

void Tmainform::ConnectAttributeControls() {
    connect(Shape1, &dialogs::ColourSquare::Released, this,
            [this] { PickColour(Shape1, attributes_.ForeColor); });
    connect(Shape2, &dialogs::ColourSquare::Released, this,
            [this] { PickColour(Shape2, attributes_.BackColor); });
    connect(Shape3, &dialogs::ColourSquare::Released, this,
            [this] { PickColour(Shape3, attributes_.FontColor); });

    for (QSpinBox* width : {SpinEdit7, SpinEdit6})
        connect(width, &QSpinBox::valueChanged, this, [this](int v) {
            attributes_.LineWidth = v;
            ApplyAttributes();
        });
    // Box size and font angle share one value: whichever changes, the other follows.
    for (QSpinBox* box : {SpinEdit4, SpinEdit2})
        connect(box, &QSpinBox::valueChanged, this, [this, box](int v) {
            QSpinBox* other = box == SpinEdit4 ? SpinEdit2 : SpinEdit4;
            const QSignalBlocker quiet(other);
            other->setValue(v);
            attributes_.BoxSize = v;
        });
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) {
        attributes_.LineStyle = std::uint8_t(index);
        ApplyAttributes();
    });
    connect(ComboBox2, &QComboBox::activated, this, [this](int index) {
        attributes_.ClosePolylines = index == 1 ? 1 : 0; // solid
        if (index >= 0 && index < 8) attributes_.BrushStyle = BrushEntries[index];
        ApplyAttributes();
    });
    connect(Edit2, &QLineEdit::textChanged, this,
            [this](const QString& t) { attributes_.TextString = t.toStdString(); });
    connect(ComboBox4, &QComboBox::currentTextChanged, this,
            [this](const QString& t) { attributes_.FontName = t.toStdString(); });
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this](int v) {
        attributes_.FontSize = v;
        ApplyAttributes();
    });
    connect(SpeedButton4, &QToolButton::clicked, this,
            [this] { ToggleFontStyle(SpeedButton4, 1); });
    connect(SpeedButton3, &QToolButton::clicked, this,
            [this] { ToggleFontStyle(SpeedButton3, 2); });
    connect(SpeedButton5, &QToolButton::clicked, this,
            [this] { ToggleFontStyle(SpeedButton5, 4); });
    connect(ComboBox3, &QComboBox::currentTextChanged, this,
            [this](const QString& t) { attributes_.LayerName = t.toStdString(); });

    // Tracing and vectorization settings live in the map canvas.
    connect(SpinEdit3, &QSpinBox::valueChanged, this,
            [this](int v) { GISPanel1->Workbench().VectorTolerance = v; });
    connect(SpinEdit5, &QSpinBox::valueChanged, this,
            [this](int v) { GISPanel1->Workbench().ColorRange = v; });
    connect(vectbox, &QCheckBox::clicked, this,
            [this](bool pure) { GISPanel1->Workbench().UseColorRange = !pure; });
    connect(RadioButton2, &QRadioButton::clicked, this,
            [this] { GISPanel1->Workbench().StrictDiagonals = 0; });
    connect(RadioButton1, &QRadioButton::clicked, this,
            [this] { GISPanel1->Workbench().StrictDiagonals = 1; });
}

} // namespace app
