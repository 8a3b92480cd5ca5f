// SPDX-License-Identifier: GPL-3.0-or-later
// Building the main window's components: tool bar, group drop-down, option panels,
// information bar and menu. Geometry is in pixels within each panel.

#include "app/ColourSquare.h"
#include "app/Glyphs.h"
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"

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

#include "app/StyleSamples.h"

namespace app {

namespace {

const QColor PanelColour(45, 47, 70);

struct ButtonSpec {
    const char* name;
    const char* hint;
};

// Groups in drop-down order with their panels, overlay buttons and tool buttons.
struct GroupSpec {
    int number;
    const char* panel;
    const char* overlay;
    ButtonSpec buttons[5];
};

const GroupSpec Groups[] = {
    {1,
     "Panel1",
     "SpeedButton2",
     {{"SB1of1", "Open file"},
      {"SB2of1", "Save file"},
      {"SB3of1", "Scan"},
      {"SB4of1", "Print"},
      {"SB5of1", "Set map size"}}},
    {3,
     "Panel4",
     "SpeedButton7",
     {{"SB1of3", "Pick up text"},
      {"SB2of3", "Eraser"},
      {"SB3of3", "Fill box"},
      {"SB4of3", "Polyline"},
      {"SB5of3", "Pencil"}}},
    {4,
     "Panel5",
     "SpeedButton8",
     {{"SB1of4", "Vectorization"},
      {"SB2of4", "thin"},
      {"SB3of4", "contract"},
      {"SB4of4", "Enlarge"},
      {"SB5of4", "Undo"}}},
    {5,
     "Panel14",
     "SpeedButton9",
     {{"SB1of5", "Text"},
      {"SB2of5", "Circle"},
      {"SB3of5", "Retangle"},
      {"SB4of5", "Polyline"},
      {"SB5of5", "Line"}}},
    {6,
     "Panel15",
     "SpeedButton10",
     {{"SB1of6", "Bring to front"},
      {"SB2of6", "Points"},
      {"SB3of6", "Zoom"},
      {"SB4of6", "Rotate"},
      {"SB5of6", "Move"}}},
    {8,
     "Panel17",
     "SpeedButton12",
     {{"SB1of8", "Layer management"},
      {"SB2of8", "Entities management"},
      {"SB3of8", "Data management"},
      {"SB4of8", "Selection management"},
      {"SB5of8", "Set links"}}},
};

struct MenuSpec {
    const char* title;
    std::initializer_list<std::pair<const char*, const char*>>
        items; // name, caption; "-" separator
};

const MenuSpec Menus[] = {
    {"&File",
     {{"Raster1", "&Open"},
      {"Save1", "&Save"},
      {"Scan1", "S&can"},
      {"Print1", "&Print"},
      {"Reset1", "&Resize"},
      {"-", ""},
      {"CopytoClipboard1", "&Copy to Clipboard"},
      {"-", ""},
      {"Exit2", "&Exit"}}},
    {"&Raster",
     {{"Text1", "&Text"},
      {"Eraser1", "&Eraser"},
      {"FillBox1", "&Fill Box"},
      {"Polyline1", "&Polyline"},
      {"Pencil1", "&Pencil"}}},
    {"&Convert",
     {{"Vectorization1", "&Vectorization"},
      {"Thine1", "&Thin"},
      {"contract1", "&Contract"},
      {"Enlarge1", "&Enlarge"},
      {"Layers1", "&Undo"},
      {"-", ""},
      {"WholeSheet1", "&Whole Sheet..."},
      {"UndoSheet1", "Undo Whole S&heet"},
      {"CentreLines1", "Centre &Lines after Thin"}}},
    {"&Draw",
     {{"Text2", "&Text"},
      {"Line1", "&Line"},
      {"Polyline2", "&Polyline"},
      {"Rectangle1", "&Rectangle"},
      {"Circle1", "&Circle"}}},
    {"&Vector",
     {{"BringtoFrant1", "&Bring to Frant"},
      {"Editor1", "&Edit Pointer"},
      {"Scale1", "&Scale"},
      {"N2", "&Rotate"},
      {"N1", "&Move"}}},
    {"&Management",
     {{"Layermanagement1", "&Layer management"},
      {"Entitiesmanagement1", "&Entities management"},
      {"Datamanagement1", "&Data management"},
      {"Selectionmanagement1", "&Selection management"},
      {"Setlinks1", "Set &links"}}},
    {"Vie&w",
     {{"Undo1", "&Layers"},
      {"ViewDialog1", "&View Dialog"},
      {"TrackingMouse1", "&Tracking Mouse"},
      {"Background1", "&Background"},
      {"Information1", "&Information"},
      {"-", ""},
      {"DeleteLayers1", "&Delete Layers"},
      {"VectortoRaster1", "&Vector to Raster"},
      {"-", ""},
      {"ChangeMouse1", "&Change Mouse"},
      {"ShowInformation1", "&Show Info bar"}}},
    {"&Help",
     {{"Overview1", "&Overview"},
      {"Operate1", "&Operation"},
      {"File2", "&File"},
      {"Edit3", "&Edit"},
      {"Raster3", "&Raster"},
      {"Convertion1", "&Convert"},
      {"Vector2", "&Vector"},
      {"View2", "Vie&w"},
      {"Management1", "&Management"},
      {"About1", "&About"}}},
};

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
                                    QRect geometry) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setGeometry(geometry);
    b->setIcon(GlyphFor(name));
    b->setIconSize(geometry.size() - QSize(2, 2));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void Tmainform::BuildToolBar() {
    Panel13 = Panel(centralWidget(), "Panel13", {});
    Panel13->setFixedHeight(31);
    SpeedButton1 = SpeedButton(Panel13, "SpeedButton1", "Tool groups", {120, 4, 14, 22});
    SpeedButton1->setArrowType(Qt::DownArrow);

    Panel18 = Panel(Panel13, "Panel18", {0, 0, 62, 31});
    Shape1 = new ColourSquare(Panel18, "Shape1", "Forgound color", 0x000000);
    Shape2 = new ColourSquare(Panel18, "Shape2", "Backgound color", 0xFFFFFF);
    Shape3 = new ColourSquare(Panel18, "Shape3", "Font color", 0x000000);
    Shape1->move(4, 7);
    Shape2->move(23, 7);
    Shape3->move(42, 7);
}

void Tmainform::BuildGroups() {
    Panel3 = Panel(centralWidget(), "Panel3", {2, 32, 120, 154});
    int top = 0;
    for (const GroupSpec& g : Groups) {
        QWidget* panel = Panel(Panel3, g.panel, {0, top, 113, 26});
        for (int i = 0; i < 5; ++i)
            SpeedButton(panel, g.buttons[i].name, g.buttons[i].hint, {1 + 22 * i, 2, 22, 22});
        GroupPanels[std::size_t(g.number)] = panel;
        top += 25;
    }
    // Overlay buttons lie over each waiting group; they are created after the groups so
    // that they are on top of them.
    top = 0;
    for (const GroupSpec& g : Groups) {
        QToolButton* overlay = SpeedButton(Panel3, g.overlay, "", {1, top + 1, 111, 24});
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
    SpeedButton13 = SpeedButton(Panel12, "SpeedButton13", "V", {267, 2, 22, 22});
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
    FillStyleSamples(ComboBox1, StyleSampleKind::Pen);
    ComboBox2 = new QComboBox(Panel9);
    ComboBox2->setObjectName("ComboBox2");
    ComboBox2->setToolTip("Brush style");
    ComboBox2->setGeometry(176, 1, 110, 22);
    FillStyleSamples(ComboBox2, StyleSampleKind::Brush);

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
    SpeedButton4 = SpeedButton(Panel10, "SpeedButton4", "B", {342, 2, 22, 22});
    SpeedButton3 = SpeedButton(Panel10, "SpeedButton3", "I", {364, 2, 22, 22});
    SpeedButton5 = SpeedButton(Panel10, "SpeedButton5", "U", {386, 2, 22, 22});
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
    const ButtonSpec buttons[] = {
        {"SBs1", "Zoom in"},       {"SBs2", "Zoom out"},      {"SBs3", "Reset"},
        {"SBs4", "Undo"},          {"SBs5", "Detect edge"},   {"SBs6", "Pan"},
        {"SBs7", "Draw"},          {"SBs8", "Zoom Box"},      {"SBs9", "Select"},
        {"SB1of2", "Show layers"}, {"SB1of7", "View Dialog"}, {"SB3of2", "Tracking mouse"},
        {"SB4of7", "Background"},  {"SB5of7", "Information"},
    };
    int left = 4;
    for (const ButtonSpec& b : buttons) {
        QToolButton* button = SpeedButton(Panelinfo, b.name, b.hint, {left, 2, 16, 17});
        // The mouse-mode buttons show down while their mode is on.
        if (QStringList{"SBs5", "SBs6", "SBs7", "SBs8", "SBs9"}.contains(b.name))
            button->setCheckable(true);
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
    for (const MenuSpec& m : Menus) {
        QMenu* menu = menuBar()->addMenu(m.title);
        menu->setObjectName(QString(m.title).remove('&') + "Menu"); // "FileMenu", "ViewMenu"…
        for (auto [name, caption] : m.items) {
            if (QString(name) == "-") {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(caption);
            action->setObjectName(name);
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
