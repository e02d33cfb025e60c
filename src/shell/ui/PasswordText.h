#pragma once

#include <QString>

#include <string>

namespace vandrel {

// Passwords travel as single bytes, one per character (Latin-1), in both the access password
// question and the password change, so that a password set in one can be typed in the other.

// Whether every character of `text` has a Latin-1 byte.
bool isLatin1Text(const QString& text);
// The Latin-1 bytes of `text`, at most `maxChars`; only for text that isLatin1Text accepts.
std::string latin1Bytes(const QString& text, int maxChars);

} // namespace vandrel
