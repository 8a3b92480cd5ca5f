// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace platform {

// A modal message with one OK button, titled with the program's name.
void ShowMessage(const QString& text, QWidget* parent = nullptr);

} // namespace platform
