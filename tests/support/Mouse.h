// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace testing_support {

// Sends one mouse event with an explicit button state, as the window system would.
inline void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, keys);
    QApplication::sendEvent(w, &e);
}

inline void Drag(QWidget* w, QPoint from, QPoint to) {
    SendMouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

} // namespace testing_support
