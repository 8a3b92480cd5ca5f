// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Colour.h"

#include <QWidget>

namespace dialogs {

// A small square (16 × 16 pixels unless said otherwise) showing a drawing colour, with a
// navy border and a hand cursor; a mouse release over it asks for a new colour.
class ColourSquare : public QWidget {
    Q_OBJECT
public:
    ColourSquare(QWidget* parent, const char* name, const QString& hint, platform::Colour colour,
                 int side = 16);
    void SetColour(platform::Colour c);
    platform::Colour Colour() const { return colour_; }

signals:
    void Released();

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    platform::Colour colour_;
};

} // namespace dialogs
