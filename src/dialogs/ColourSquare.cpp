// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ColourSquare.h"

#include <QMouseEvent>
#include <QPainter>

namespace dialogs {

ColourSquare::ColourSquare(QWidget* parent, const char* name, const QString& hint,
                           platform::Colour colour, int side)
    : QWidget(parent), colour_(colour) {
    setObjectName(name);
    setToolTip(hint);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(side, side);
}

void ColourSquare::SetColour(platform::Colour c) {
    colour_ = c;
    update();
}

void ColourSquare::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), platform::ToQColor(colour_));
    p.setPen(QColor(0, 0, 128));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ColourSquare::mouseReleaseEvent(QMouseEvent* e) {
    if (rect().contains(e->position().toPoint())) emit Released();
}

} // namespace dialogs
