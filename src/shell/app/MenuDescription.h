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
    bool checkable = false;
};

// The menu bar: File, Settings, Converter, Help.
std::span<const MenuEntry> mainMenuDescription();

// Builds the untranslated menu bar from a description; every command entry carries its command
// id as its action's data.
QMenuBar* buildMenuBar(std::span<const MenuEntry> description, QWidget* parent);

} // namespace vandrel
