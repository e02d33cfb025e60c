#pragma once

namespace vandrel {

// What the enabled and checked commands depend on.
struct CommandInputs {
    bool documentEmpty = true;
    int activeView = 0; // 0 configuration tab in front, 1 monitor tab, -1 another
    bool logHasSelection = false;
    bool monitorTabShown = false;
};

// The states the idle update gives the commands of the state table.
struct CommandStates {
    bool save = false; // also Save As and Close
    bool close = false;
    bool compare = false; // a document to compare
    bool copy = false;
    bool find = false; // also Find next
    bool findNext = false;
    bool monitorTabChecked = false;

    bool operator==(const CommandStates&) const = default;
};

CommandStates computeCommandStates(const CommandInputs& inputs);

} // namespace vandrel
