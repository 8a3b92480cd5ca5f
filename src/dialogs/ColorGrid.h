// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A one-row colour picker of the sixteen basic colours. A left click chooses the
// foreground colour, a click with another button the background colour; both choices
// are marked in their cells ("FG", "BG", or "FB" when they share one) and every change
// is reported.

#include "platform/Colour.h"

#include <QWidget>
#include <array>

namespace dialogs {

class ColorGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int CellCount = 16;
    // Black, maroon, green, olive, navy, purple, teal, silver, grey, red, lime, yellow,
    // blue, fuchsia, aqua, white, as 0x00BBGGRR.
    static const std::array<platform::Colour, CellCount> Colours;

    explicit ColorGrid(QWidget* parent = nullptr);

    int ForegroundIndex() const { return foreground_; }
    int BackgroundIndex() const { return background_; }
    platform::Colour ForegroundColor() const { return Colours[std::size_t(foreground_)]; }
    platform::Colour BackgroundColor() const { return Colours[std::size_t(background_)]; }
    // The cell of a colour index, in widget pixels.
    QRect CellRect(int index) const;

signals:
    void Change();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int foreground_ = 0;  // black
    int background_ = 15; // white
};

} // namespace dialogs
