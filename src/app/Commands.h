// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's commands as one table: each row is a tool button, a menu item, or both
// (which then run the same command), with its texts, glyph and what it does. The window
// builds its tool groups, info bar and menus from the table and connects them through it.
// A command first chooses its tool and shows its option panel, then runs its handler; a
// row with none of the three is not available in this version and shows so.

#include <QKeySequence>

class QAction;
class QMenu;
class QToolButton;

namespace app {

class Tmainform;

// Where a command's button sits: one of the tool groups (1, 3, 4, 5, 6, 8) or the info bar.
inline constexpr int InfoBar = 0;
inline constexpr int NoButton = -1;
inline constexpr int NoTool = -1;

struct Command {
    const char* button = nullptr; // the tool button's object name
    int bar = NoButton;
    const char* hint = "";
    const char* menu = nullptr; // the menu's object name
    const char* item = nullptr; // the menu item's object name
    const char* caption = "";
    const char* glyph = nullptr; // see GlyphFor
    int toolMode = NoTool;       // mousetools::ToolMode chosen
    int optionGroup = 0;         // option panels shown (0: unchanged)
    void (*run)(Tmainform&) = nullptr;
    QKeySequence::StandardKey standardKey = QKeySequence::UnknownKey;
    const char* keys = nullptr; // more shortcuts, ";" between them
    bool checkable = false;     // shown down while its mode is on
    bool separatorBefore = false;
    // Where the window keeps the built button, item or submenu, when it needs them later.
    QToolButton* Tmainform::*keepButton = nullptr;
    QAction* Tmainform::*keepItem = nullptr;
    QMenu* Tmainform::*submenu = nullptr; // the row is a submenu, not an item

    bool Available() const { return run != nullptr || toolMode != NoTool || optionGroup != 0; }
};

// A tool group: its panel, the overlay button over its row in the drop-down, and what
// showing it sets.
struct ToolGroup {
    int number;
    const char* panel;
    const char* overlay;
    const char* status;
    int workMode; // -1: unchanged
    int optionGroup;
    void (*overlayClick)(Tmainform&);
};

struct MenuTitle {
    const char* name;
    const char* title;
};

} // namespace app
