// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/Tinfoform.h"

#include "dialogs/DialogLook.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <tuple>

namespace dialogs {

namespace {

constexpr int PanelWidth = 118;

// A panel with a yellow heading over rows of caption and named value label.
QFrame* CountPanel(QWidget* parent, const char* name, const char* heading,
                   std::initializer_list<std::tuple<const char*, const char*, QLabel**>> rows,
                   QRect where) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PaintPanel(panel);
    panel->setGeometry(where);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 3, 6, 3);
    grid->setVerticalSpacing(1);
    auto* title = new QLabel(QString::fromLatin1(heading), panel);
    title->setFont(SansFont(8, true));
    title->setStyleSheet(QStringLiteral("color: yellow"));
    grid->addWidget(title, 0, 0, 1, 2);
    int row = 1;
    for (const auto& [caption, valueName, value] : rows) {
        auto* label = new QLabel(QString::fromLatin1(caption), panel);
        label->setFont(SansFont(8));
        *value = new QLabel(QStringLiteral("0"), panel);
        (*value)->setObjectName(QString::fromLatin1(valueName));
        (*value)->setFont(SansFont(8));
        (*value)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(label, row, 0);
        grid->addWidget(*value, row, 1);
        ++row;
    }
    return panel;
}

} // namespace

InfoCounts CountDrawing(const drawing::DXF_Object* drawing,
                        const drawing::selection_lists* selection) {
    InfoCounts c;
    if (selection != nullptr) {
        for (const drawing::Entity_List* list : selection->Lists) {
            if (list == nullptr) continue;
            ++c.SelectedLists;
            c.SelectedEntities += list->Count();
            c.Vertices += list->VertexCount();
            c.Lines += list->LineCount();
            c.OpenPolys += list->OpenPolyCount();
            c.ClosedPolys += list->ClosedPolyCount();
        }
    }
    if (drawing != nullptr) {
        c.Layers = drawing->LayerCount();
        for (const auto& layer : drawing->Layers) {
            c.Lists += int(layer->Lists.size());
            for (const auto& list : layer->Lists) {
                c.Entities += list->Count();
                c.EntitiesPerClass[list->Name] += list->Count();
            }
        }
    }
    return c;
}

Tinfoform::Tinfoform(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("infoform"));
    setWindowTitle(QStringLiteral("Information"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);
    setFixedSize(253, 206);
    PaintPanel(this);

    CountPanel(this, "Panel9", "Selected:",
               {{"Vertices", "vert_lab", &vert_lab},
                {"Lines", "line_lab", &line_lab},
                {"Polys(open)", "polyo_lab", &polyo_lab},
                {"Polys(closed)", "polyc_lab", &polyc_lab}},
               QRect(4, 4, PanelWidth, 96));
    CountPanel(this, "Panel7", "Memory:",
               {{"Entities", "T_entities", &T_entities},
                {"E_Lists", "T_Lists", &T_Lists},
                {"Layers", "T_Layers", &T_Layers},
                {"File_objs", "T_Objs", &T_Objs}},
               QRect(131, 4, PanelWidth, 96));
    T_Objs->setToolTip(
        QStringLiteral("Entities a drawing save writes: those of the selected lists"));
    CountPanel(this, "RasterPanel", "Raster:",
               {{"Size", "raster_lab", &raster_lab}, {"Outlines", "outline_lab", &outline_lab}},
               QRect(4, 104, 245, 60));
    raster_lab->setText(QStringLiteral("0 x 0"));

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(89, 172, 75, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    CentreOnScreen(this);
}

void Tinfoform::ShowCounts(const InfoCounts& c) {
    vert_lab->setText(QString::number(c.Vertices));
    line_lab->setText(QString::number(c.Lines));
    polyo_lab->setText(QString::number(c.OpenPolys));
    polyc_lab->setText(QString::number(c.ClosedPolys));
    T_entities->setText(QString::number(c.Entities));
    T_Lists->setText(QString::number(c.Lists));
    T_Layers->setText(QString::number(c.Layers));
    T_Objs->setText(QString::number(c.SelectedEntities));
    raster_lab->setText(QStringLiteral("%1 x %2").arg(c.RasterWidth).arg(c.RasterHeight));
    outline_lab->setText(QString::number(c.RecordedOutlines));

    QStringList perClass;
    for (const auto& [name, count] : c.EntitiesPerClass)
        perClass << QStringLiteral("%1 %2").arg(QString::fromStdString(name)).arg(count);
    T_entities->setToolTip(perClass.join(QLatin1Char('\n')));
    vert_lab->parentWidget()->setToolTip(QStringLiteral("%1 selected lists").arg(c.SelectedLists));
}

} // namespace dialogs
