// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The information window: counters of the selection, of the drawing in memory and of
// the raster, shown without making the window modal. The main window hands it the
// counts whenever the drawing or the selection changes; CountDrawing() gathers the
// drawing's part.

#include "drawing/selection_lists.h"

#include <QDialog>
#include <map>
#include <string>

class QLabel;
class QPushButton;

namespace dialogs {

struct InfoCounts {
    // Over the selected entity lists.
    int SelectedLists = 0;
    int SelectedEntities = 0; // what a drawing save writes
    int Vertices = 0;
    int Lines = 0;
    int OpenPolys = 0;
    int ClosedPolys = 0;
    // Over the whole drawing.
    int Entities = 0;
    int Lists = 0;
    int Layers = 0;
    std::map<std::string, int> EntitiesPerClass; // by list name, e.g. "Line_"
    // The raster and the outlines recorded on it, filled in by the caller.
    int RasterWidth = 0;
    int RasterHeight = 0;
    int RecordedOutlines = 0;
};

// The drawing's and the selection's counters; either may be null.
InfoCounts CountDrawing(const drawing::DXF_Object* drawing,
                        const drawing::selection_lists* selection);

class Tinfoform : public QDialog {
    Q_OBJECT
public:
    explicit Tinfoform(QWidget* parent = nullptr);

    void ShowCounts(const InfoCounts& counts);

private:
    QLabel* vert_lab;
    QLabel* line_lab;
    QLabel* polyo_lab;
    QLabel* polyc_lab;
    QLabel* T_entities;
    QLabel* T_Lists;
    QLabel* T_Layers;
    QLabel* T_Objs;
    QLabel* raster_lab;
    QLabel* outline_lab;
    QPushButton* BitBtn1;
};

} // namespace dialogs
