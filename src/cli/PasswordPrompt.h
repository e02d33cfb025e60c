#pragma once

#include <optional>
#include <string>

namespace vandrel {

// Asks for the access password on the terminal without echo. None when stdin is not a terminal
// (a script cannot answer) or the input ended.
std::optional<std::string> promptPassword(const char* prompt);

} // namespace vandrel
