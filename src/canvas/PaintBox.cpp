// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace canvas {

TPaintBox::TPaintBox(QWidget* parent)
    : QWidget(parent), surface_(1, 1, QImage::Format_RGB32), canvas_(&surface_) {
    setObjectName("PaintBox");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    // The map takes the keyboard when clicked, so that view keys reach it rather than the
    // last text box used.
    setFocusPolicy(Qt::StrongFocus);
    surface_.fill(Qt::black);
}

void TPaintBox::Show() {
    canvas_.End();
    update();
}

void TPaintBox::paintEvent(QPaintEvent* e) {
    canvas_.End();
    QPainter p(this);
    p.drawImage(e->rect(), surface_, e->rect());
}

void TPaintBox::resizeEvent(QResizeEvent*) {
    canvas_.End();
    surface_ = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    surface_.fill(Qt::black);
    canvas_.Retarget(&surface_);
    if (onResized) onResized();
}

void TPaintBox::mousePressEvent(QMouseEvent* e) {
    if (onPress) onPress(e);
}
void TPaintBox::mouseMoveEvent(QMouseEvent* e) {
    if (onMove) onMove(e);
}
void TPaintBox::mouseReleaseEvent(QMouseEvent* e) {
    if (onRelease) onRelease(e);
}
void TPaintBox::mouseDoubleClickEvent(QMouseEvent* e) {
    if (onDoubleClick) onDoubleClick(e);
}
void TPaintBox::wheelEvent(QWheelEvent* e) {
    if (onWheel) onWheel(e);
}

} // namespace canvas
