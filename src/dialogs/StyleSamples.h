// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>

class QComboBox;

namespace dialogs {

enum class StyleSampleKind { Pen, Brush };

// Fills a style list with one entry for each style given (pen or brush ordinals of the
// platform), captioned "1", "2"... and shown as a sample of its style: a white line, or a
// rectangle filled with a white brush.
void FillStyleSamples(QComboBox* list, StyleSampleKind kind, std::span<const std::uint8_t> styles);

} // namespace dialogs
