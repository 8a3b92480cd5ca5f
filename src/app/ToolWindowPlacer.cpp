// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ToolWindowPlacer.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace app {

namespace {

constexpr int Margin = 8;
constexpr const char* Placed = "penwrightPlaced"; // a window's property: placed in this run

QString KeyOf(const QWidget* window) {
    return "windows/" + window->objectName();
}

} // namespace

ToolWindowPlacer::ToolWindowPlacer(QWidget* map, QObject* parent) : QObject(parent), map_(map) {}

void ToolWindowPlacer::Manage(QWidget* window) {
    window->installEventFilter(this);
}

void ToolWindowPlacer::Place(QWidget* window) {
    const QVariant saved = QSettings().value(KeyOf(window));
    // A place on a screen that is no longer there is forgotten.
    if (saved.isValid() &&
        QGuiApplication::screenAt(saved.toPoint() + QPoint(Margin, Margin)) != nullptr) {
        window->move(saved.toPoint());
        return;
    }
    const QPoint corner = map_->mapToGlobal(QPoint(map_->width(), 0));
    window->move(corner.x() - window->frameGeometry().width() - Margin, corner.y() + Margin);
}

bool ToolWindowPlacer::eventFilter(QObject* watched, QEvent* e) {
    auto* window = qobject_cast<QWidget*>(watched);
    if (!window) return false;
    if (e->type() == QEvent::Show && !window->property(Placed).toBool()) {
        window->setProperty(Placed, true);
        Place(window);
    } else if (e->type() == QEvent::Move && window->property(Placed).toBool() &&
               window->isVisible()) {
        QSettings().setValue(KeyOf(window), window->pos());
    }
    return false;
}

} // namespace app
