// The program's commands as the menus, the toolbar and the accelerators show them: labels with
// their mnemonics, shortcuts, and the prompts the status bar and the tooltips give.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <vector>

#include "model/gif_commands.h"

namespace korvanta {

// One menu entry: a command and its label ("&" before the mnemonic); id 0 is a separator.
struct MenuItem {
    unsigned id;
    const char* label;
};

struct MenuDefinition {
    const char* title;
    std::vector<MenuItem> items;
};

// The main menu, popup by popup, in order.
const std::vector<MenuDefinition>& MainMenu();
// The toolbar's commands in order, 0 for a separator.
const std::vector<unsigned>& ToolbarCommands();
// The key combinations of a command's accelerators; empty when it has none.
QList<QKeySequence> AcceleratorsOf(unsigned id);
// A command's prompt: what the status bar shows while it is pointed at, and its tooltip.
QString StatusTipOf(unsigned id);
QString ToolTipOf(unsigned id);
// The icon of a toolbar command, from the program's resources.
QString ToolbarIconOf(unsigned id);

// The label of the recent-file entry while the list is empty.
inline constexpr char kRecentFilePlaceholder[] = "最新のﾌｧｲﾙ";
// The idle text of the status bar's message pane.
inline constexpr char kIdleStatus[] = "ﾚﾃﾞｨ";
// The status bar's indicators after the message pane, in order.
inline constexpr const char* kIndicators[] = {"ｶﾅ", "CAP", "NUM", "SCRL"};

}  // namespace korvanta
