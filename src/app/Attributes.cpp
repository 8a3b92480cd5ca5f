// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing attributes: the controls that edit them and ApplyAttributes.

#include "app/ColourSquare.h"
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "platform/QtCanvas.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

namespace app {

void Tmainform::ApplyAttributes() {
    // The map's drawing surface: rubber bands and new entities.
    platform::Canvas& screen = GISPanel1->PaintBox()->Canvas();
    screen.SetPen({ForeColor, LineWidth, platform::PenStyle(LineStyle), platform::PenMode::NotXor});
    screen.SetBrush({BackColor, platform::BrushStyle(BrushStyle)});
    platform::Font& font = screen.FontRef();
    font.Size = FontSize;
    font.Color = FontColor;
    font.Style = FontStyle;
    // The raster: what the raster tools paint with.
    platform::Canvas& raster = GISPanel1->Raster().GetCanvas();
    raster.SetPen({ForeColor, LineWidth, platform::PenStyle(LineStyle), platform::PenMode::Copy});
    raster.SetBrush({BackColor, platform::BrushStyle::Solid});
}

void Tmainform::PickColour(ColourSquare* square, platform::Colour& attribute) {
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
    FontStyle ^= bit;
    button->setChecked(FontStyle & bit);
    ApplyAttributes();
}

void Tmainform::ConnectAttributeControls() {
    connect(Shape1, &ColourSquare::Released, this, [this] { PickColour(Shape1, ForeColor); });
    connect(Shape2, &ColourSquare::Released, this, [this] { PickColour(Shape2, BackColor); });
    connect(Shape3, &ColourSquare::Released, this, [this] { PickColour(Shape3, FontColor); });

    for (QSpinBox* width : {SpinEdit7, SpinEdit6})
        connect(width, &QSpinBox::valueChanged, this, [this](int v) {
            LineWidth = v;
            ApplyAttributes();
        });
    // Box size and font angle share one value: whichever changes, the other follows.
    for (QSpinBox* box : {SpinEdit4, SpinEdit2})
        connect(box, &QSpinBox::valueChanged, this, [this, box](int v) {
            QSpinBox* other = box == SpinEdit4 ? SpinEdit2 : SpinEdit4;
            const QSignalBlocker quiet(other);
            other->setValue(v);
            BoxSize = v;
        });
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) {
        LineStyle = std::uint8_t(index);
        ApplyAttributes();
    });
    connect(ComboBox2, &QComboBox::activated, this, [this](int index) {
        static const std::uint8_t stored[8] = {1, 0, 2, 3, 4, 5, 6, 7}; // clear, solid, hatches
        ClosePolylines = index == 1 ? 1 : 0;
        if (index >= 0 && index < 8) BrushStyle = stored[index];
        ApplyAttributes();
    });
    connect(Edit2, &QLineEdit::textChanged, this,
            [this](const QString& t) { TextString = t.toStdString(); });
    connect(ComboBox4, &QComboBox::currentTextChanged, this,
            [this](const QString& t) { FontName = t.toStdString(); });
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this](int v) {
        FontSize = v;
        ApplyAttributes();
    });
    connect(SpeedButton4, &QToolButton::clicked, this,
            [this] { ToggleFontStyle(SpeedButton4, 1); });
    connect(SpeedButton3, &QToolButton::clicked, this,
            [this] { ToggleFontStyle(SpeedButton3, 2); });
    connect(SpeedButton5, &QToolButton::clicked, this,
            [this] { ToggleFontStyle(SpeedButton5, 4); });
    connect(ComboBox3, &QComboBox::currentTextChanged, this,
            [this](const QString& t) { LayerName = t.toStdString(); });

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
