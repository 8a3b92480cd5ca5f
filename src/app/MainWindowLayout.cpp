// SPDX-License-Identifier: GPL-3.0-or-later
// Building the main window's components: tool bar, group drop-down, option panels,
// information bar and menu, the buttons and menu items from the command table.
// Geometry is in pixels within each panel.

#include "app/Commands.h"
#include "app/Glyphs.h"
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "dialogs/ColourSquare.h"
#include "dialogs/StyleSamples.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>

namespace app {

namespace {

const QColor PanelColour(45, 47, 70);
constexpr const char* NotYet = " (not available in this version)";

} // namespace

// The brush style each entry of the brush list stores.
const std::uint8_t Tmainform::BrushEntries[8] = {1, 0, 2, 3, 4, 5, 6, 7};

namespace {

void Colour(QWidget* w, const QColor& background, const QColor& text) {
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::ButtonText, text);
    w->setPalette(pal);
}

QSpinBox* SpinEdit(QWidget* parent, const char* name, const QString& hint, QRect geometry,
                   int value, int low = 0, int high = 0) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setToolTip(hint);
    s->setGeometry(geometry);
    // Bounds of 0 and 0 mean none.
    if (low == 0 && high == 0)
        s->setRange(INT_MIN, INT_MAX);
    else
        s->setRange(low, high);
    s->setValue(value);
    return s;
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text, QPoint at) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(name);
    l->move(at);
    l->adjustSize();
    return l;
}

} // namespace

QWidget* Tmainform::Panel(QWidget* parent, const char* name, QRect geometry) {
    auto* p = new QWidget(parent);
    p->setObjectName(name);
    p->setGeometry(geometry);
    Colour(p, PanelColour, Qt::white);
    return p;
}

QToolButton* Tmainform::SpeedButton(QWidget* parent, const char* name, const QString& hint,
                                    const char* glyph, QRect geometry) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setGeometry(geometry);
    if (glyph) b->setIcon(GlyphFor(glyph));
    b->setIconSize(geometry.size() - QSize(2, 2));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QToolButton* Tmainform::CommandButton(const Command& command, QWidget* parent, QRect geometry) {
    QToolButton* b = SpeedButton(parent, command.button, command.hint, command.glyph, geometry);
    b->setCheckable(command.checkable);
    if (command.keepButton) this->*command.keepButton = b;
    if (command.Available())
        connect(b, &QToolButton::clicked, this, [this, &command] { RunCommand(command); });
    else {
        b->setEnabled(false);
        b->setToolTip(b->toolTip() + NotYet);
    }
    return b;
}

void Tmainform::BuildToolBar() {
    Panel13 = Panel(centralWidget(), "Panel13", {});
    Panel13->setFixedHeight(31);
    SpeedButton1 = SpeedButton(Panel13, "SpeedButton1", "Tool groups", nullptr, {120, 4, 14, 22});
    SpeedButton1->setArrowType(Qt::DownArrow);

    Panel18 = Panel(Panel13, "Panel18", {0, 0, 62, 31});
    Shape1 = new dialogs::ColourSquare(Panel18, "Shape1", "Forgound color", 0x000000);
    Shape2 = new dialogs::ColourSquare(Panel18, "Shape2", "Backgound color", 0xFFFFFF);
    Shape3 = new dialogs::ColourSquare(Panel18, "Shape3", "Font color", 0x000000);
    Shape1->move(4, 7);
    Shape2->move(23, 7);
    Shape3->move(42, 7);
}

void Tmainform::BuildGroups() {
    Panel3 = Panel(centralWidget(), "Panel3", {2, 32, 120, 154});
    int top = 0;
    for (const ToolGroup& g : Groups()) {
        QWidget* panel = Panel(Panel3, g.panel, {0, top, 113, 26});
        int left = 1;
        for (const Command& c : Commands())
            if (c.bar == g.number) {
                CommandButton(c, panel, {left, 2, 22, 22});
                left += 22;
            }
        GroupPanels[std::size_t(g.number)] = panel;
        top += 25;
    }
    // Overlay buttons lie over each waiting group; they are created after the groups so
    // that they are on top of them.
    top = 0;
    for (const ToolGroup& g : Groups()) {
        QToolButton* overlay = SpeedButton(Panel3, g.overlay, "", nullptr, {1, top + 1, 111, 24});
        connect(overlay, &QToolButton::clicked, this, [this, &g] { g.overlayClick(*this); });
        Overlays[std::size_t(g.number)] = overlay;
        top += 25;
    }
    Panel3->hide();
}

void Tmainform::BuildOptionPanels() {
    Panel12 = Panel(Panel13, "Panel12", {138, 2, 160, 26});
    Caption(Panel12, "Label3", "Layer:", {4, 5});
    ComboBox3 = new QComboBox(Panel12);
    ComboBox3->setObjectName("ComboBox3");
    ComboBox3->setToolTip("Input layer name");
    ComboBox3->setEditable(true);
    ComboBox3->setGeometry(40, 2, 116, 22);
    ComboBox3->setEnabled(false);
    Caption(Panel12, "Label4", "Tolerance:", {164, 5});
    SpinEdit3 = SpinEdit(Panel12, "SpinEdit3", "Line width", {226, 2, 38, 22}, 3, 1, 5);
    SpinEdit3->setEnabled(false);
    SpeedButton13 = SpeedButton(Panel12, "SpeedButton13", "V", nullptr, {267, 2, 22, 22});
    SpeedButton13->setText("V");
    SpeedButton13->setToolButtonStyle(Qt::ToolButtonTextOnly);
    SpeedButton13->setStyleSheet("QToolButton { color: yellow; font-weight: bold; }");

    Panel11 = Panel(Panel13, "Panel11", {300, 2, 110, 26});
    SpinEdit7 = SpinEdit(Panel11, "SpinEdit7", "Line width", {2, 2, 50, 22}, 1);
    SpinEdit4 = SpinEdit(Panel11, "SpinEdit4", "Box size", {56, 2, 50, 22}, 6, 0, 60);

    Panel8 = Panel(Panel13, "Panel8", {300, 4, 292, 24});
    vectbox = new QCheckBox("Pure color", Panel8);
    vectbox->setObjectName("vectbox");
    vectbox->setToolTip("Pure color");
    vectbox->setGeometry(4, 2, 88, 20);
    SpinEdit5 = SpinEdit(Panel8, "SpinEdit5", "Color range", {94, 1, 52, 22}, 60);
    RadioButton2 = new QRadioButton("Polyline", Panel8);
    RadioButton2->setObjectName("RadioButton2");
    RadioButton2->setGeometry(152, 2, 64, 20);
    RadioButton2->setChecked(true);
    RadioButton1 = new QRadioButton("Polygon", Panel8);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton1->setGeometry(218, 2, 72, 20);
    // Beside them, the test that takes thin dark lines whatever their colour.
    DarkPanel = Panel(Panel13, "DarkPanel", {594, 4, 136, 24});
    DarkLinesBox = new QCheckBox("Dark lines", DarkPanel);
    DarkLinesBox->setObjectName("DarkLinesBox");
    DarkLinesBox->setToolTip("Dark lines: pixels darker than the threshold");
    DarkLinesBox->setGeometry(2, 2, 82, 20);
    DarkThresholdEdit =
        SpinEdit(DarkPanel, "DarkThresholdEdit", "Dark-line threshold", {84, 1, 50, 22}, 0, 0, 255);
    DarkThresholdEdit->setSpecialValueText("auto"); // 0: found from the sheet

    Panel9 = Panel(Panel13, "Panel9", {300, 4, 290, 24});
    SpinEdit6 = SpinEdit(Panel9, "SpinEdit6", "Line width", {2, 1, 46, 22}, 1);
    ComboBox1 = new QComboBox(Panel9);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setToolTip("Line style");
    ComboBox1->setGeometry(52, 1, 120, 22);
    static constexpr std::uint8_t PenEntries[] = {0, 1, 2, 3, 4}; // the style each entry stores
    dialogs::FillStyleSamples(ComboBox1, dialogs::StyleSampleKind::Pen, PenEntries);
    ComboBox2 = new QComboBox(Panel9);
    ComboBox2->setObjectName("ComboBox2");
    ComboBox2->setToolTip("Brush style");
    ComboBox2->setGeometry(176, 1, 110, 22);
    dialogs::FillStyleSamples(ComboBox2, dialogs::StyleSampleKind::Brush, BrushEntries);

    Panel7 = Panel(Panel13, "Panel7", {300, 4, 260, 24});
    draw_vertices = new QCheckBox("Draw vertices", Panel7);
    draw_vertices->setObjectName("draw_vertices");
    draw_vertices->setGeometry(4, 2, 104, 20);
    RB1 = new QRadioButton("Selected", Panel7);
    RB1->setObjectName("RB1");
    RB1->setGeometry(112, 2, 76, 20);
    RB2 = new QRadioButton("Visible", Panel7);
    RB2->setObjectName("RB2");
    RB2->setGeometry(190, 2, 66, 20);
    RB2->setChecked(true);

    Panel10 = Panel(Panel13, "Panel10", {300, 2, 412, 26});
    Edit2 = new QLineEdit(Panel10);
    Edit2->setObjectName("Edit2");
    Edit2->setToolTip("Text");
    Edit2->setGeometry(2, 2, 100, 22);
    ComboBox4 = new QComboBox(Panel10);
    ComboBox4->setObjectName("ComboBox4");
    ComboBox4->setToolTip("Font name");
    ComboBox4->setEditable(true);
    ComboBox4->setGeometry(106, 2, 132, 22);
    ComboBox4->addItems(QFontDatabase::families());
    ComboBox4->setCurrentText("Times New Roman");
    SpinEdit1 = SpinEdit(Panel10, "SpinEdit1", "Font size", {242, 2, 46, 22}, 12);
    SpinEdit2 = SpinEdit(Panel10, "SpinEdit2", "Font angle", {292, 2, 46, 22}, 6, 0, 60);
    SpeedButton4 = SpeedButton(Panel10, "SpeedButton4", "B", nullptr, {342, 2, 22, 22});
    SpeedButton3 = SpeedButton(Panel10, "SpeedButton3", "I", nullptr, {364, 2, 22, 22});
    SpeedButton5 = SpeedButton(Panel10, "SpeedButton5", "U", nullptr, {386, 2, 22, 22});
    for (auto [button, text] :
         {std::pair{SpeedButton4, "B"}, {SpeedButton3, "I"}, {SpeedButton5, "U"}}) {
        button->setText(text);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setCheckable(true);
        button->setStyleSheet(
            "QToolButton { color: white; } QToolButton:checked { color: yellow; }");
        QFont f = button->font();
        f.setBold(button == SpeedButton4);
        f.setItalic(button == SpeedButton3);
        f.setUnderline(button == SpeedButton5);
        button->setFont(f);
    }
    for (QWidget* p : {Panel7, Panel8, Panel9, Panel10, Panel11, DarkPanel}) p->hide();
}

void Tmainform::BuildInfoBar() {
    Panelinfo = Panel(centralWidget(), "Panelinfo", {});
    Panelinfo->setFixedHeight(21);
    int left = 4;
    for (const Command& c : Commands())
        if (c.bar == InfoBar) {
            CommandButton(c, Panelinfo, {left, 2, 16, 17});
            left += 17;
        }
    Labelinfo = Caption(Panelinfo, "Labelinfo", "", {256, 3});
    Labelinfo->setFixedWidth(200);
    QFont italic = Labelinfo->font();
    italic.setItalic(true);
    Labelinfo->setFont(italic);
    Labelinfo->setStyleSheet("color: yellow");

    // Wide enough for the scale caption and coordinates of an A0 scan.
    Panel19 = Panel(Panelinfo, "Panel19", {0, 0, 300, 21});
    Label1 = Caption(Panel19, "Label1", "Scale 1:1", {2, 3});
    Label1->setFixedWidth(100);
    Label1->setStyleSheet("color: yellow");
    Label2 = Caption(Panel19, "Label2", "X:1000  Y:1000", {104, 4});
    Label2->setFixedWidth(194);
    QFont small = Label2->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    Label2->setFont(small);
    Label2->setStyleSheet("color: white");
}

void Tmainform::BuildMenu() {
    for (const MenuTitle& m : Menus()) {
        QMenu* menu = menuBar()->addMenu(m.title);
        menu->setObjectName(m.name);
        for (const Command& c : Commands()) {
            if (c.menu == nullptr || QLatin1String(c.menu) != QLatin1String(m.name)) continue;
            if (c.separatorBefore) menu->addSeparator();
            if (c.submenu) {
                QMenu* sub = menu->addMenu(c.caption);
                sub->setObjectName(c.item);
                this->*c.submenu = sub;
                continue;
            }
            QAction* action = menu->addAction(c.caption);
            action->setObjectName(c.item);
            if (c.keepItem) this->*c.keepItem = action;
            QList<QKeySequence> keys;
            if (c.keys)
                for (const QString& k : QString(c.keys).split(';'))
                    keys << QKeySequence(k, QKeySequence::PortableText);
            if (c.standardKey != QKeySequence::UnknownKey)
                keys << QKeySequence::keyBindings(c.standardKey);
            if (!keys.isEmpty()) {
                action->setShortcuts(keys);
                addAction(action); // the keys work while the menu bar is closed
            }
            if (c.Available()) {
                connect(action, &QAction::triggered, this, [this, &c] { RunCommand(c); });
            } else {
                action->setEnabled(false);
                action->setStatusTip(action->text().remove('&') + NotYet);
                action->setToolTip(action->statusTip());
            }
        }
    }
    OpenDialog1 = new QFileDialog(this, "Open");
    OpenDialog1->setObjectName("OpenDialog1");
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    SaveDialog1 = new QFileDialog(this, "Save");
    SaveDialog1->setObjectName("SaveDialog1");
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    // Our own dialogs rather than the desktop's, so that the filter index is ours to read
    // and the dialogs behave the same everywhere.
    for (QFileDialog* d : {OpenDialog1, SaveDialog1}) {
        d->setOption(QFileDialog::DontUseNativeDialog);
        d->setOption(QFileDialog::DontConfirmOverwrite, false);
    }
    OpenDialog1->setNameFilters(QString(OpenFilter).split('|').filter("file"));
    SaveDialog1->setNameFilters(QString(SaveFilter).split('|').filter("file"));
}

} // namespace app
