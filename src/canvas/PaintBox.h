// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The map's drawing surface. It keeps one off-screen image the size of the widget:
// refreshing it copies the image layer (the scaled raster) in and lets the owner draw
// the vectors on top; cross-hairs and rubber bands are drawn into it with exclusive-or
// pens and vanish at the next refresh or when drawn again. Painting the widget only
// shows that image.

#include "platform/QtCanvas.h"

#include <QImage>
#include <QWidget>
#include <functional>

namespace canvas {

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget* parent);

    platform::QtCanvas& Canvas() { return canvas_; }
    QImage& Surface() { return surface_; }
    // Ends drawing on the surface and schedules it to be shown.
    void Show();

    std::function<void(QMouseEvent*)> onPress, onMove, onRelease, onDoubleClick;
    std::function<void(QWheelEvent*)> onWheel;
    std::function<void()> onResized;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    QImage surface_;
    platform::QtCanvas canvas_;
};

} // namespace canvas
