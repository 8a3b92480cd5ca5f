// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ColorGrid.h"

#include <QMouseEvent>
#include <QPainter>

namespace dialogs {

const std::array<platform::Colour, ColorGrid::CellCount> ColorGrid::Colours = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

ColorGrid::ColorGrid(QWidget* parent) : QWidget(parent) {
    setFixedSize(272, 23);
    setCursor(Qt::PointingHandCursor);
}

QRect ColorGrid::CellRect(int index) const {
    const int left = index * width() / CellCount;
    const int right = (index + 1) * width() / CellCount;
    return QRect(left, 0, right - left, height());
}

void ColorGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QFont font = p.font();
    font.setPixelSize(9);
    p.setFont(font);
    for (int i = 0; i < CellCount; ++i) {
        const QRect cell = CellRect(i);
        const QColor colour = platform::ToQColor(Colours[std::size_t(i)]);
        p.fillRect(cell, colour);
        p.setPen(Qt::black);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        QString mark;
        if (i == foreground_ && i == background_)
            mark = QStringLiteral("FB");
        else if (i == foreground_)
            mark = QStringLiteral("FG");
        else if (i == background_)
            mark = QStringLiteral("BG");
        if (mark.isEmpty()) continue;
        // The mark in the colour that stands out against the cell.
        p.setPen(colour.lightness() > 128 ? Qt::black : Qt::white);
        p.drawText(cell, Qt::AlignCenter, mark);
    }
}

void ColorGrid::mousePressEvent(QMouseEvent* event) {
    const int x = int(event->position().x());
    if (x < 0 || x >= width()) return;
    const int index = x * CellCount / width();
    if (event->button() == Qt::LeftButton)
        foreground_ = index;
    else
        background_ = index;
    update();
    emit Change();
}

} // namespace dialogs
