// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/TDisplayOptions.h"

#include "dialogs/ColorGrid.h"
#include "dialogs/DialogLook.h"
#include "drawing/EntityStyle.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>

namespace dialogs {

namespace {

constexpr std::uint8_t PenSolid = 0, PenDot = 2;
constexpr std::uint8_t BrushSolid = 0, BrushClear = 1, BrushDiagCross = 7;
constexpr std::int32_t TrueColours = 0, DisplayLook = 2;

QGroupBox* Group(QWidget* parent, const char* name, const char* title, QRect where) {
    auto* group = new QGroupBox(QString::fromLatin1(title), parent);
    group->setObjectName(QString::fromLatin1(name));
    group->setGeometry(where);
    group->setStyleSheet(QStringLiteral("QGroupBox::title { color: yellow; }"));
    new QVBoxLayout(group);
    return group;
}

template <typename Box> Box* AddTo(QGroupBox* group, const char* name, const char* caption) {
    auto* box = new Box(QString::fromLatin1(caption), group);
    box->setObjectName(QString::fromLatin1(name));
    group->layout()->addWidget(box);
    return box;
}

// Runs action whenever the radio button becomes checked, by a click or from code.
void OnChecked(QRadioButton* button, std::function<void()> action) {
    QObject::connect(button, &QRadioButton::toggled, button, [action](bool checked) {
        if (checked) action();
    });
}

} // namespace

TDisplayOptions::TDisplayOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DisplayOptions"));
    setWindowTitle(QStringLiteral("Display Options"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);
    PaintPanel(this);

    QGroupBox* show = Group(this, "GroupBox2", "Display Options", QRect(8, 4, 280, 86));
    CheckBox4 = AddTo<QCheckBox>(show, "CheckBox4", "Draw vertices");
    CheckBox4->setToolTip(QStringLiteral("Show graphic charts"));
    CheckBox1 = AddTo<QCheckBox>(show, "CheckBox1", "Show all entities");
    CheckBox6 = AddTo<QCheckBox>(show, "CheckBox6", "Show text");
    CheckBox6->setChecked(true);

    QGroupBox* pen = Group(this, "GroupBox1", "Pen style", QRect(8, 94, 136, 86));
    RadioButton1 = AddTo<QRadioButton>(pen, "RadioButton1", "Solid lines");
    RadioButton2 = AddTo<QRadioButton>(pen, "RadioButton2", "Thick lines");
    RadioButton4 = AddTo<QRadioButton>(pen, "RadioButton4", "Dot lines");
    QGroupBox* brush = Group(this, "GroupBox3", "Brush Style", QRect(152, 94, 136, 86));
    RadioButton5 = AddTo<QRadioButton>(brush, "RadioButton5", "Outline Shapes");
    RadioButton3 = AddTo<QRadioButton>(brush, "RadioButton3", "Solid Shapes");
    RadioButton6 = AddTo<QRadioButton>(brush, "RadioButton6", "DiagCross Shapes");
    // The brush group is as wide as its longest caption needs in the font in use.
    const int brushWidth = std::max(136, RadioButton6->sizeHint().width() + 24);
    brush->resize(brushWidth, brush->height());
    setFixedSize(152 + brushWidth + 8, 302);
    show->resize(width() - 16, show->height());
    // Shown checked before any handler is connected: the look keeps its own start values
    // until the user picks something.
    RadioButton1->setChecked(true);
    RadioButton5->setChecked(true);

    auto* label = new QLabel(QStringLiteral("Color:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setStyleSheet(QStringLiteral("color: yellow"));
    label->setGeometry(12, 184, 100, 16);
    ColorGrid1 = new ColorGrid(this);
    ColorGrid1->setObjectName(QStringLiteral("ColorGrid1"));
    ColorGrid1->move(12, 202);

    CheckBox5 = new QCheckBox(QStringLiteral("Show true color map"), this);
    CheckBox5->setObjectName(QStringLiteral("CheckBox5"));
    QFont big = SansFont(10);
    CheckBox5->setFont(big);
    CheckBox5->setStyleSheet(QStringLiteral("color: red"));
    CheckBox5->setChecked(true);
    CheckBox5->setGeometry(12, 232, 272, 22);

    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("OK"));
    SpeedButton1->setGeometry((width() - 75) / 2, 264, 75, 28);

    auto penStyle = [](std::uint8_t style, std::int16_t width) {
        drawing::DisplayStyle.PenStyle = style;
        drawing::DisplayStyle.PenWidth = width;
    };
    OnChecked(RadioButton1, [penStyle] { penStyle(PenSolid, 1); });
    OnChecked(RadioButton2, [penStyle] { penStyle(PenSolid, 2); });
    OnChecked(RadioButton4, [penStyle] { penStyle(PenDot, 1); });
    OnChecked(RadioButton5, [] { drawing::DisplayStyle.BrushStyle = BrushClear; });
    OnChecked(RadioButton3, [] { drawing::DisplayStyle.BrushStyle = BrushSolid; });
    OnChecked(RadioButton6, [] { drawing::DisplayStyle.BrushStyle = BrushDiagCross; });
    connect(ColorGrid1, &ColorGrid::Change, this, [this] { ColorGrid1Change(); });
    connect(CheckBox5, &QCheckBox::toggled, this,
            [](bool checked) { drawing::StyleOverride = checked ? TrueColours : DisplayLook; });
    connect(SpeedButton1, &QToolButton::clicked, this, &QDialog::accept);
    CentreOnScreen(this);
}

void TDisplayOptions::ColorGrid1Change() {
    drawing::DisplayStyle.PenColor = ColorGrid1->ForegroundColor();
    drawing::DisplayStyle.BrushColor = ColorGrid1->BackgroundColor();
}

bool TDisplayOptions::DrawVertices() const {
    return CheckBox4->isChecked();
}
bool TDisplayOptions::ShowAllEntities() const {
    return CheckBox1->isChecked();
}
bool TDisplayOptions::ShowText() const {
    return CheckBox6->isChecked();
}
bool TDisplayOptions::ShowTrueColors() const {
    return CheckBox5->isChecked();
}

} // namespace dialogs
