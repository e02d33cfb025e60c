#include "config/FieldRules.h"

namespace vandrel {
namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char inCaseOf(char c, char model) {
    const bool upper = model >= 'A' && model <= 'Z';
    if (upper && c >= 'a' && c <= 'z') {
        return static_cast<char>(c - 'a' + 'A');
    }
    if (!upper && c >= 'A' && c <= 'Z') {
        return static_cast<char>(c - 'A' + 'a');
    }
    return c;
}

} // namespace

char FilterCharacter(std::string_view characters, char c) {
    for (const char allowed : characters) {
        const char candidate = isLetter(allowed) && isLetter(c) ? inCaseOf(c, allowed) : c;
        if (candidate == allowed) {
            return candidate;
        }
    }
    return '\0';
}

} // namespace vandrel
