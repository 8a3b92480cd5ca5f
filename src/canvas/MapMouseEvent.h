// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One mouse event over the map as the map canvas hands it on: the point in all three
// coordinate systems, converted once, with the buttons and keys of the event and the
// canvas's own mouse mode at the time. Handlers read these instead of converting again.

#include "canvas/ShiftState.h"

#include <QPoint>
#include <Qt>

namespace canvas {

struct MapMouseEvent {
    Qt::MouseButton Button = Qt::NoButton; // pressed or released; none for a move
    ShiftState Shift = 0;                  // keys and buttons held during the event
    QPoint Screen;                         // paint-surface pixel
    double X = 0, Y = 0;                   // map units, y up
    QPoint Raster;                         // the raster pixel shown under Screen
    int MouseMode = 0;                     // the canvas's mouse mode: 0 leaves it to the owner

    // The shift state compared as a whole ("exactly shift and left").
    bool Is(ShiftState exactly) const { return Shift == exactly; }
    bool Holds(ShiftFlag key) const { return (Shift & key) != 0; }
};

} // namespace canvas
