// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

namespace app {

// The small pictures of the tool buttons, drawn at start-up in light strokes for the dark
// panels, by the names the command table gives them ("open", "zoom box"). Unknown names
// give an empty icon.
QIcon GlyphFor(const QString& glyph);

} // namespace app
