// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Qt strings as text in test failure messages.

#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
