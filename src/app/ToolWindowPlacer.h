// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Places the small tool windows (tracking, information, help): beside the map, inside
// its top-right corner and below the tool bar, the first time one is shown, then where the
// user last put it, in this run and the next (kept in QSettings under "windows/<name>").

#include <QObject>
#include <QPoint>

class QWidget;

namespace app {

class ToolWindowPlacer : public QObject {
    Q_OBJECT
public:
    // map: the widget whose top-right corner a window is first placed in.
    ToolWindowPlacer(QWidget* map, QObject* parent);
    void Manage(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Place(QWidget* window);
    QWidget* map_;
};

} // namespace app
