#pragma once

#include <QString>

#include <span>

namespace vandrel {

inline constexpr int kAnyNumber = -1;

struct CommandOption {
    const char* name;      // long name, without dashes
    const char* valueName; // nullptr: a flag
    const char* description;
};

// One command of the tool: how it is called and what its help says.
struct CommandSpec {
    const char* name;      // "read", "config show"
    const char* arguments; // "FILE [--verify]"
    const char* summary;   // one line for the command list
    const char* description;
    int minPositional;
    int maxPositional; // kAnyNumber: no upper bound
    std::span<const CommandOption> options;
};

std::span<const CommandSpec> commandTable();
const CommandSpec* findCommand(const QString& name);

} // namespace vandrel
