// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/Tpropform.h"

#include "dialogs/ColourSquare.h"
#include "dialogs/DialogLook.h"
#include "dialogs/StyleSamples.h"
#include "drawing/EntityStyle.h"
#include "platform/QtCanvas.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>
#include <climits>

namespace dialogs {

namespace {

constexpr int DialogWidth = 229, DialogHeight = 160, PageTop = 5, RowHeight = 21;

// The style each list entry shows and sets.
constexpr std::uint8_t PenEntries[] = {0, 2, 1, 3, 4};
constexpr std::uint8_t BrushEntries[] = {1, 0, 5, 4, 6, 7, 2, 3};

QLabel* Caption(QWidget* page, const char* text, int row) {
    auto* label = new QLabel(QString::fromLatin1(text), page);
    label->setFont(SansFont(8));
    label->setGeometry(4, row * RowHeight + 3, 72, 16);
    return label;
}

QSpinBox* Spin(QWidget* page, const char* name, const char* hint, int row) {
    auto* box = new QSpinBox(page);
    box->setObjectName(QString::fromLatin1(name));
    if (hint) box->setToolTip(QString::fromLatin1(hint));
    box->setRange(INT_MIN, INT_MAX); // no bounds
    box->setGeometry(80, row * RowHeight, 64, 20);
    return box;
}

QComboBox* StyleList(QWidget* page, const char* name, const char* hint, int row,
                     StyleSampleKind kind, std::span<const std::uint8_t> entries) {
    auto* list = new QComboBox(page);
    list->setObjectName(QString::fromLatin1(name));
    list->setToolTip(QString::fromLatin1(hint));
    list->setGeometry(80, row * RowHeight, 140, 20);
    FillStyleSamples(list, kind, entries);
    return list;
}

// The entry of a list that shows style; -1 when none does.
int EntryOf(std::span<const std::uint8_t> entries, std::uint8_t style) {
    const auto it = std::find(entries.begin(), entries.end(), style);
    return it == entries.end() ? -1 : int(it - entries.begin());
}

} // namespace

Tpropform::Tpropform(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("propform"));
    setWindowTitle(QStringLiteral("Entities property"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setFont(SansFont(8));
    PaintPanel(this);
    setFixedSize(DialogWidth, DialogHeight);
    BuildLinePage();
    BuildTextPage();

    SpeedButton1 = GlyphButton(this, QStringLiteral("SpeedButton1"), QStringLiteral("Apply"),
                               QStyle::SP_DialogApplyButton, QStringLiteral("OK"));
    SpeedButton2 = GlyphButton(this, QStringLiteral("SpeedButton2"), QStringLiteral("Close"),
                               QStyle::SP_DialogCloseButton, QStringLiteral("Close"));
    SpeedButton1->setGeometry(DialogWidth - 60, DialogHeight - 28, 26, 24);
    SpeedButton2->setGeometry(DialogWidth - 30, DialogHeight - 28, 26, 24);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] {
        Accepted = true;
        accept();
    });
    connect(SpeedButton2, &QToolButton::clicked, this, &QDialog::reject);
}

void Tpropform::BuildLinePage() {
    Panel9 = new QWidget(this);
    Panel9->setObjectName(QStringLiteral("Panel9"));
    Panel9->setGeometry(0, PageTop, DialogWidth, 5 * RowHeight);
    Caption(Panel9, "Pen Style:", 0);
    ComboBox1 = StyleList(Panel9, "ComboBox1", "Line style", 0, StyleSampleKind::Pen, PenEntries);
    Caption(Panel9, "Brush Style:", 1);
    ComboBox2 =
        StyleList(Panel9, "ComboBox2", "Brush style", 1, StyleSampleKind::Brush, BrushEntries);
    Caption(Panel9, "Pen Width:", 2);
    SpinEdit6 = Spin(Panel9, "SpinEdit6", "Line width", 2);
    SpinEdit6->setValue(1);
    Caption(Panel9, "Pen Color:", 3);
    Shape6 = new ColourSquare(Panel9, "Shape6", QString(), 0, 18);
    Shape6->move(80, 3 * RowHeight);
    Caption(Panel9, "Brush Color:", 4);
    Shape7 = new ColourSquare(Panel9, "Shape7", QString(), 0, 18);
    Shape7->move(80, 4 * RowHeight);

    connect(ComboBox1, &QComboBox::activated, this,
            [](int i) { drawing::EditStyle.PenStyle = PenEntries[std::size_t(i)]; });
    connect(ComboBox2, &QComboBox::activated, this,
            [](int i) { drawing::EditStyle.BrushStyle = BrushEntries[std::size_t(i)]; });
    connect(SpinEdit6, &QSpinBox::valueChanged, this,
            [](int v) { drawing::EditStyle.PenWidth = std::int16_t(v); }); // the low 16 bits
    connect(Shape6, &ColourSquare::Released, this,
            [this] { PickColour(Shape6, drawing::EditStyle.PenColor); });
    connect(Shape7, &ColourSquare::Released, this,
            [this] { PickColour(Shape7, drawing::EditStyle.BrushColor); });
}

void Tpropform::BuildTextPage() {
    Panel10 = new QWidget(this);
    Panel10->setObjectName(QStringLiteral("Panel10"));
    Panel10->setGeometry(0, PageTop, DialogWidth, 6 * RowHeight);
    Caption(Panel10, "Text:", 0);
    Edit2 = new QLineEdit(Panel10);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(80, 0, 140, 20);
    Edit2->setStyleSheet(QStringLiteral("QLineEdit { color: black; background: white; }"));
    Caption(Panel10, "Font Name:", 1);
    ComboBox4 = new QComboBox(Panel10);
    ComboBox4->setObjectName(QStringLiteral("ComboBox4"));
    ComboBox4->setToolTip(QStringLiteral("Font name"));
    ComboBox4->setEditable(true);
    ComboBox4->setGeometry(80, RowHeight, 140, 20);
    ComboBox4->addItems(QFontDatabase::families()); // as in the main window's font box
    ComboBox4->setEditText(QStringLiteral("Times New Roman"));
    Caption(Panel10, "Font Style:", 2);
    const struct {
        QToolButton*& button;
        const char* name;
        const char* caption;
        const char* hint;
        std::uint8_t bit;
    } styles[] = {{SpeedButton3, "SpeedButton3", "I", "Italic", platform::FontItalic},
                  {SpeedButton4, "SpeedButton4", "B", "Bount", platform::FontBold},
                  {SpeedButton5, "SpeedButton5", "U", "Under line", platform::FontUnderline}};
    int left = 80;
    for (const auto& s : styles) {
        s.button = new QToolButton(Panel10);
        s.button->setObjectName(QString::fromLatin1(s.name));
        s.button->setText(QString::fromLatin1(s.caption));
        s.button->setToolTip(QString::fromLatin1(s.hint));
        s.button->setAutoRaise(true);
        s.button->setCheckable(true);
        QFont font(QStringLiteral("Times New Roman"));
        font.setBold(true);
        s.button->setFont(font);
        s.button->setGeometry(left, 2 * RowHeight, 22, 20);
        left += 24;
        QToolButton* button = s.button;
        const std::uint8_t bit = s.bit;
        connect(button, &QToolButton::clicked, this,
                [this, button, bit] { ToggleFontStyle(button, bit); });
    }
    Caption(Panel10, "Size", 3);
    SpinEdit1 = Spin(Panel10, "SpinEdit1", "Font size", 3);
    SpinEdit1->setValue(12);
    Caption(Panel10, "Angle:", 4);
    SpinEdit2 = Spin(Panel10, "SpinEdit2", "Font angle", 4);
    Caption(Panel10, "Color:", 5);
    Shape12 = new ColourSquare(Panel10, "Shape12", QStringLiteral("Forgound color"), 0, 18);
    Shape12->move(80, 5 * RowHeight);

    connect(Edit2, &QLineEdit::textChanged, this,
            [](const QString& t) { drawing::EditStyle.Text = t.toStdString(); });
    connect(ComboBox4, &QComboBox::currentTextChanged, this,
            [](const QString& t) { drawing::EditStyle.FontName = t.toStdString(); });
    connect(SpinEdit1, &QSpinBox::valueChanged, this,
            [](int v) { drawing::EditStyle.FontSize = v; });
    connect(SpinEdit2, &QSpinBox::valueChanged, this, [](int v) { drawing::EditStyle.Angle = v; });
    connect(Shape12, &ColourSquare::Released, this,
            [this] { PickColour(Shape12, drawing::EditStyle.FontColor); });
}

bool Tpropform::ShowPropertyDialog() {
    Accepted = false;
    exec();
    return Accepted;
}

void Tpropform::showEvent(QShowEvent* e) {
    const drawing::EntityStyle& style = drawing::EditStyle;
    {
        // Showing the style writes nothing back into it.
        const QSignalBlocker quiet[] = {QSignalBlocker(ComboBox1), QSignalBlocker(ComboBox2),
                                        QSignalBlocker(SpinEdit6), QSignalBlocker(ComboBox4),
                                        QSignalBlocker(SpinEdit1), QSignalBlocker(SpinEdit2),
                                        QSignalBlocker(Edit2)};
        if (const int i = EntryOf(PenEntries, style.PenStyle); i >= 0)
            ComboBox1->setCurrentIndex(i);
        if (const int i = EntryOf(BrushEntries, style.BrushStyle); i >= 0)
            ComboBox2->setCurrentIndex(i);
        Shape6->SetColour(style.PenColor);
        Shape7->SetColour(style.BrushColor);
        SpinEdit6->setValue(style.PenWidth);
        ComboBox4->setEditText(QString::fromStdString(style.FontName));
        SpinEdit1->setValue(style.FontSize);
        SpinEdit2->setValue(style.Angle);
        Shape12->SetColour(style.FontColor);
        Edit2->setText(QString::fromStdString(style.Text));
    }
    ShowFontStyle(SpeedButton4, platform::FontBold);
    ShowFontStyle(SpeedButton3, platform::FontItalic);
    ShowFontStyle(SpeedButton5, platform::FontUnderline);
    Panel10->setVisible(TextMode);
    Panel9->setVisible(!TextMode);
    (TextMode ? Panel10 : Panel9)->move(0, PageTop);
    setFixedSize(DialogWidth, DialogHeight);
    Accepted = false;
    QDialog::showEvent(e);
    CentreOnScreen(this);
}

// A style that is on shows its button pressed, one that is off flat.
void Tpropform::ShowFontStyle(QToolButton* button, std::uint8_t bit) {
    const bool on = (drawing::EditStyle.FontStyle & bit) != 0;
    button->setChecked(on);
    button->setAutoRaise(!on);
}

void Tpropform::ToggleFontStyle(QToolButton* button, std::uint8_t bit) {
    drawing::EditStyle.FontStyle ^= bit;
    ShowFontStyle(button, bit);
}

void Tpropform::PickColour(ColourSquare* square, std::uint32_t& field) {
    QColorDialog dialog(platform::ToQColor(field), this);
    dialog.setObjectName(QStringLiteral("ColorDialog1"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return;
    // The low bit of each byte belongs to the raster's marks.
    field = platform::WithoutMarkBits(platform::FromQColor(dialog.selectedColor()));
    square->SetColour(field);
}

} // namespace dialogs
