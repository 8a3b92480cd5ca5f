// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QComboBox;

namespace app {

enum class StyleSampleKind { Pen, Brush };

// Fills a style list with its entries "1".."5" (pen) or "1".."8" (brush), each shown as a
// sample of the style that choosing it stores: a white line, or a rectangle filled with a
// white brush.
void FillStyleSamples(QComboBox* list, StyleSampleKind kind);

} // namespace app
