#pragma once

#include <span>

class QMenuBar;
class QWidget;

namespace vandrel {

// One entry of a menu description: a drop-down (commandId 0, with its entries following at
// depth 1), a command, or a separator (label 0). Labels are the numbers the language file's
// "menus" section translates.
struct MenuEntry {
    int depth; // 0: drop-down of the bar, 1: entry of the last drop-down
    int label;
    int commandId;
};

// The menu bar: File, Settings, Converter, Help.
std::span<const MenuEntry> mainMenuDescription();

class CommandActions;

// Builds the untranslated menu bar from a description with the commands' shared actions. The
// recent files' entry is a placeholder of the menu's own (RecentFileList fills in the files).
QMenuBar* buildMenuBar(std::span<const MenuEntry> description, const CommandActions& actions,
                       QWidget* parent);

} // namespace vandrel
