// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The look shared by the dialogs and small windows: dark slate blue panels with white
// and yellow captions, the classic sans serif face, flat glyph buttons.

#include "platform/Colour.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStyle>

class QToolButton;
class QWidget;

namespace dialogs {

inline constexpr platform::Colour PanelColour = 4599597; // RGB 45, 47, 70

// Fills the widget's background with the panel colour and gives its text the colour.
void PaintPanel(QWidget* widget, const QColor& text = Qt::white);
// The dialogs' face at a point size (resolved by fontconfig where it is not installed).
QFont SansFont(int points, bool bold = false);
// A flat glyph button with a hint; the text stands in where the style has no icon.
QToolButton* GlyphButton(QWidget* parent, const QString& name, const QString& hint,
                         QStyle::StandardPixmap glyph, const QString& text);
// Moves a top-level window to the middle of its screen.
void CentreOnScreen(QWidget* window);

} // namespace dialogs
