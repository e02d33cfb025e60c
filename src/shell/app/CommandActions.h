#pragma once

#include "shell/app/CommandStates.h"

#include <QString>

#include <map>

class QAction;
class QWidget;

namespace vandrel {

class LanguageManager;

// One QAction per command of the main window, shared by the menus, the toolbar, the log's
// context menu and the keyboard: its text comes from its menu label, its shortcuts work
// anywhere in the window, and its enabled state follows the command-state table and the busy
// state.
class CommandActions {
public:
    // Creates the actions as children of `window` and adds them to it, so that their shortcuts
    // act wherever the focus is in the window.
    explicit CommandActions(QWidget* window);

    // The action of a command id; null for an id that has none.
    QAction* action(int commandId) const;

    // Every action with a menu label shows the label's number again, as a menu that is being
    // translated expects it.
    void showLabelNumbers();
    // Translates the actions that still show a number (those in no menu of the menu bar).
    void translateRemaining(const LanguageManager& language);

    // Enabled states from the table; while busy every command is off.
    void apply(const CommandStates& states, bool busy);

private:
    std::map<int, QAction*> actions_;
    std::map<int, int> labels_; // command id -> menu label number
};

} // namespace vandrel
