// SPDX-License-Identifier: GPL-3.0-or-later
// The map canvas's mouse events as the main window interprets them.

#include "app/Tmainform.h"
#include "canvas/TGISPanel.h"
#include "platform/NumberFormat.h"

#include <QLabel>
#include <QRadioButton>
#include <QTimer>

namespace app {

void Tmainform::GISPanel1MouseMove(QObject*, canvas::ShiftState shift, int x, int y) {
    double wx = 0, wy = 0;
    GISPanel1->ScreenToWorld({x, y}, wx, wy);
    Label2->setText(QString::fromStdString("X= " + platform::FormatFixed(wx, 3, 8) +
                                           "   Y= " + platform::FormatFixed(wy, 3, 8)));
    MouseX = x;
    MouseY = y;
    if (shift != canvas::ssLeft && RB1->isChecked()) Track_timer->start();
}

} // namespace app
