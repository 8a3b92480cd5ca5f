// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>

namespace canvas {

// The keys and buttons held during a mouse event, compared as a whole by the handlers
// ("exactly shift and left") or key by key.
enum ShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32
};
using ShiftState = unsigned;

inline ShiftState MakeShiftState(Qt::KeyboardModifiers keys, Qt::MouseButtons buttons) {
    ShiftState s = 0;
    if (keys & Qt::ShiftModifier) s |= ssShift;
    if (keys & Qt::AltModifier) s |= ssAlt;
    if (keys & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

} // namespace canvas
