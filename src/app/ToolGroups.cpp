// SPDX-License-Identifier: GPL-3.0-or-later
// Tool groups, option panels, tool buttons with their menu items, and the info bar.

#include "app/ColourSquare.h"
#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "drawing/EntityStyle.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <cmath>
#include <functional>

namespace app {

namespace {

struct GroupInfo {
    const char* status;
    int workMode; // -1: unchanged
    int optionGroup;
};

GroupInfo InfoOf(int group) {
    switch (group) {
    case 1:
        return {"File", -1, 1};
    case 3:
        return {"Raster", Tmainform::wmRaster, 3};
    case 4:
        return {"Convert", Tmainform::wmConvert, 4};
    case 5:
        return {"Draw", Tmainform::wmDraw, 5};
    case 6:
        return {"Vector", Tmainform::wmVector, 6};
    case 8:
        return {"Management", -1, 8};
    default:
        return {"", -1, 8};
    }
}

constexpr int OptionLeft = 300; // option panels sit right of Panel12's narrow form

} // namespace

void Tmainform::ShowGroup(int group) {
    if (group < 0 || group >= int(GroupPanels.size()) || !GroupPanels[std::size_t(group)]) return;
    // Restack every group into the drop-down at its fixed row.
    int top = 0;
    for (int g : {1, 3, 4, 5, 6, 8}) {
        QWidget* panel = GroupPanels[std::size_t(g)];
        panel->setParent(Panel3);
        panel->move(0, top);
        panel->show();
        Overlays[std::size_t(g)]->show();
        Overlays[std::size_t(g)]->raise();
        top += 25;
    }
    SpinEdit3->setEnabled(true);
    ComboBox3->setEnabled(true);

    QWidget* panel = GroupPanels[std::size_t(group)];
    panel->setParent(Panel13);
    panel->move(3, 3);
    panel->show();
    Overlays[std::size_t(group)]->hide();
    const GroupInfo info = InfoOf(group);
    ShowOptionPanel(info.optionGroup);
    if (info.workMode >= 0) WorkMode = info.workMode;

    Labelinfo->setText(info.status);
    if (group == 6) {
        SpinEdit3->setEnabled(false);
        ComboBox3->setEnabled(false);
    }
    Panel3->hide();
}

void Tmainform::ShowOptionPanel(int optionGroup) {
    for (QWidget* p : {Panel7, Panel8, Panel9, Panel10, Panel11, DarkPanel}) p->hide();
    auto place = [](QWidget* p, int left, int top) {
        p->move(left, top);
        p->show();
        p->raise();
    };
    switch (optionGroup) {
    case 1:
        Panel12->resize(160, Panel12->height());
        place(Panel12, Panel12->x(), 2);
        break;
    case 3:
        place(Panel11, OptionLeft, 2);
        break;
    case 4:
        place(Panel8, OptionLeft, 4);
        place(DarkPanel, OptionLeft + Panel8->width() + 2, 4);
        break;
    case 5:
        place(Panel9, OptionLeft, 4);
        break;
    case 6:
        place(Panel7, OptionLeft, 4);
        break;
    case 9:
        place(Panel10, OptionLeft, 2);
        break;
    case 10:
        Panel12->resize(291, Panel12->height());
        place(Panel12, Panel12->x(), 2);
        place(Panel9, 429, 4);
        break;
    default:
        break;
    }
}

void Tmainform::ResetViewButtons() {
    for (const char* name : {"SBs5", "SBs6", "SBs7", "SBs8", "SBs9"})
        findChild<QToolButton*>(name)->setChecked(false);
    UncheckRB1();
}

// Radio buttons of one panel exclude each other; unchecking the checked one from code
// leaves neither checked.
void Tmainform::UncheckRB1() {
    RB1->setAutoExclusive(false);
    RB1->setChecked(false);
    RB1->setAutoExclusive(true);
}

// Checking RB1 from code acts as a click when it changes the state.
void Tmainform::CheckRB1() {
    if (RB1->isChecked()) return;
    RB1->setChecked(true);
    WorkMode = wmSelected;
}

void Tmainform::SetPaintBoxCursorArrowUnlessSpecial() {
    QWidget* box = GISPanel1->PaintBox();
    const Qt::CursorShape shape = box->cursor().shape();
    if (shape != Qt::CrossCursor && shape != Qt::BlankCursor) box->setCursor(Qt::ArrowCursor);
}

void Tmainform::SB4of7Click() {
    canvas::ImageLayer& image = GISPanel1->Image;
    if (image.Visible) {
        image.Visible = false;
    } else {
        image.Visible = true;
        const platform::Bitmap24& r = GISPanel1->Raster();
        GISPanel1->SetExtent(20, 20, 0, r.Width(), 0, r.Height());
    }
    GISPanel1->Redraw();
}

void Tmainform::ChangeMouse1Click() {
    QWidget* box = GISPanel1->PaintBox();
    box->setCursor(box->cursor().shape() == Qt::BlankCursor ? Qt::CrossCursor : Qt::BlankCursor);
}

// A tool button and its menu item run one handler; either may be absent.
void Tmainform::Command(const char* button, const char* menuItem, std::function<void()> handler) {
    if (button) connect(findChild<QToolButton*>(button), &QToolButton::clicked, this, handler);
    if (menuItem) connect(findChild<QAction*>(menuItem), &QAction::triggered, this, handler);
}

void Tmainform::ConnectCommands() {
    auto command = [this](const char* button, const char* menuItem, std::function<void()> handler) {
        Command(button, menuItem, std::move(handler));
    };
    auto tool = [this](int optionGroup, int toolMode) {
        return [this, optionGroup, toolMode] {
            if (optionGroup) ShowOptionPanel(optionGroup);
            ToolMode = std::uint8_t(toolMode);
        };
    };
    // The convert tools reshape every recorded outline.
    auto convert = [this](std::function<void()> work) {
        return [this, work] {
            ShowOptionPanel(4);
            GISPanel1->MouseMode = canvas::TGISPanel::mmDetectEdge;
            work();
        };
    };
    // Raster tools take the undo copy of the visible raster when chosen.
    auto rasterTool = [this, tool](int toolMode) {
        return [this, set = tool(3, toolMode)] {
            set();
            GISPanel1->SaveRasterUndo();
        };
    };

    // File group.
    command("SB1of1", "Raster1", [this] { SB1of1Click(); });
    command("SB2of1", "Save1", [this] { SB2of1Click(); });
    command("SB3of1", "Scan1", [this] { SB3of1Click(); });
    command(nullptr, "Exit2", [this] { Exit2Click(); });
    // Raster group.
    command("SB1of3", "Text1", [this] {
        ShowOptionPanel(9);
        ToolMode = tmText;
        WorkMode = wmConvert;
        GISPanel1->SaveRasterUndo();
    });
    command("SB2of3", "Eraser1", rasterTool(tmEraser));
    command("SB3of3", "FillBox1", rasterTool(tmFillBox));
    command("SB4of3", "Polyline1", rasterTool(tmPolyline));
    command("SB5of3", "Pencil1", rasterTool(tmPencil));
    // Convert group.
    command("SB1of4", "Vectorization1", [this] { ShowOptionPanel(10); });
    command("SB2of4", "Thine1", convert([this] {
                GISPanel1->Workbench().StrictDiagonals = 0;
                GISPanel1->ThinObjects();
                GISPanel1->ShowRaster();
            }));
    command("SB3of4", "contract1", convert([this] {
                GISPanel1->ShiftOutlines(false);
                GISPanel1->ShowRaster();
            }));
    command("SB4of4", "Enlarge1", convert([this] {
                GISPanel1->ShiftOutlines(true);
                GISPanel1->ShowRaster();
            }));
    command("SB5of4", "Layers1", convert([this] {
                GISPanel1->UndoObject();
                GISPanel1->Redraw(); // the outline's dashes go with it
            }));
    // Draw group.
    command("SB1of5", "Text2", [this] {
        ShowOptionPanel(9);
        WorkMode = wmNone;
        ToolMode = tmText;
    });
    command("SB2of5", "Line1", tool(5, tmCircle));
    command("SB3of5", "Polyline2", tool(5, tmRectangle));
    command("SB4of5", "Rectangle1", tool(5, tmPolyline));
    command("SB5of5", "Circle1", tool(5, tmLine));
    // Vector group.
    command("SB1of6", "BringtoFrant1", [this] {
        ToolMode = tmPick;
        CheckRB1();
    });
    command("SB2of6", "Editor1", [this] {
        ToolMode = tmEditPoints;
        draw_vertices->setChecked(true);
        CheckRB1();
    });
    command("SB3of6", "Scale1", tool(0, tmScale));
    command("SB4of6", "N2", tool(0, tmRotate));
    command("SB5of6", "N1", tool(0, tmMove));
    // View commands of the info bar and menu.
    command("SB4of7", "Background1", [this] { SB4of7Click(); });
    command(nullptr, "ChangeMouse1", [this] { ChangeMouse1Click(); });
    command(nullptr, "ShowInformation1", [this] { Panelinfo->show(); });

    // Group overlays and the drop-down toggle.
    connect(SpeedButton1, &QToolButton::clicked, this, [this] {
        Panel3->setVisible(!Panel3->isVisible());
        Panel3->raise();
    });
    for (int g : {1, 3, 5})
        connect(Overlays[std::size_t(g)], &QToolButton::clicked, this, [this, g] { ShowGroup(g); });
    connect(Overlays[8], &QToolButton::clicked, this, [this] { ShowGroup(8); });
    auto click = [this](const char* name) { findChild<QToolButton*>(name)->click(); };
    connect(Overlays[4], &QToolButton::clicked, this, [click] { click("SBs5"); });
    connect(Overlays[6], &QToolButton::clicked, this, [click] { click("SBs9"); });

    // Info bar: view commands and mouse modes.
    canvas::TGISPanel* map = GISPanel1;
    command("SBs1", nullptr, [map] { map->Zoom(0.7); });
    command("SBs2", nullptr, [map] { map->Zoom(1.25); });
    command("SBs3", nullptr, [map] { map->ResetView(); });
    command("SBs4", nullptr, [this, map] {
        if (map->Workbench().UndoSaved()) {
            map->RestoreRasterUndo();
            MarkRasterChanged();
            map->Zoom(1);
        } else {
            map->UndoView();
        }
    });
    auto mode = [this, command](const char* button, int mouseMode, Qt::CursorShape cursor,
                                std::function<void()> more) {
        command(button, nullptr, [this, button, mouseMode, cursor, more] {
            GISPanel1->MouseMode = mouseMode;
            if (cursor == Qt::ArrowCursor)
                SetPaintBoxCursorArrowUnlessSpecial();
            else
                GISPanel1->PaintBox()->setCursor(cursor);
            if (more) more();
            ResetViewButtons();
            findChild<QToolButton*>(button)->setChecked(true);
        });
    };
    mode("SBs7", canvas::TGISPanel::mmNone, Qt::ArrowCursor, nullptr);
    mode("SBs6", canvas::TGISPanel::mmPan, Qt::OpenHandCursor, nullptr);
    mode("SBs8", canvas::TGISPanel::mmZoomBox, Qt::SizeFDiagCursor, nullptr);
    mode("SBs5", canvas::TGISPanel::mmDetectEdge, Qt::PointingHandCursor, [this] { ShowGroup(4); });
    command("SBs9", nullptr, [this] {
        GISPanel1->MouseMode = canvas::TGISPanel::mmNone;
        SetPaintBoxCursorArrowUnlessSpecial();
        ShowGroup(6);
        ResetViewButtons();
        WorkMode = wmVector;
        findChild<QToolButton*>("SBs9")->setChecked(true);
        CheckRB1();
    });

    // Edit scope.
    connect(RB1, &QRadioButton::clicked, this, [this] { WorkMode = wmSelected; });
    connect(RB2, &QRadioButton::clicked, this, [this] { WorkMode = wmVisible; });
    connect(draw_vertices, &QCheckBox::clicked, this, [this] { GISPanel1->Redraw(); });
}

void Tmainform::FormShow() {
    WorkMode = wmNone;
    NewDrawing("Penwright");
    SetUpMap({0, 0, 0}, {800, 600, 0});
    // New vectors must show over the scan they are traced from: a pen colour that line work
    // rarely has, and outlines not filled (a filled closed polyline would hide its line).
    ForeColor = StartPenColour;
    Shape1->SetColour(ForeColor);
    LineWidth = 1;
    LineStyle = 0;
    BackColor = 0xFEFEFE;
    FontName = "Times New Roman";
    FontSize = 12;
    FontColor = 0;
    FontStyle = 0;
    FontAngle = 0;
    TextString.clear();
    BoxSize = 6;
    ClosePolylines = 0;
    BrushStyle = std::uint8_t(platform::BrushStyle::Clear);
    drawing::StyleOverride = 0;
    ApplyAttributes();
    ShowGroup(1);
    {
        // Choosing entries from code stores no attribute.
        const QSignalBlocker quiet1(ComboBox1), quiet2(ComboBox2);
        ComboBox1->setCurrentIndex(0);
        ComboBox2->setCurrentIndex(0); // "Clear"
    }
    LoadSettings();
    GISPanel1->PaintBox()->setFocus(); // keys go to the map, not to the layer box
}

void Tmainform::SetUpMap(Point3D min, Point3D max) {
    if (!shown_) {
        ExtentMax = {max.x, max.y, 0};
        ExtentMin = {min.x, min.y, 0};
    }
    platform::Bitmap24& raster = GISPanel1->Raster();
    raster.SetSize(int(std::nearbyint(max.x)), int(std::nearbyint(max.y)), 0xFEFEFE);
    GISPanel1->RasterChanged();
    GISPanel1->Image.Visible = true;
    GISPanel1->SetExtent(0, 0, ExtentMin.x, max.x, ExtentMin.y, max.y);
}

} // namespace app
