#include "shell/ui/PasswordText.h"

#include <algorithm>

namespace vandrel {

bool isLatin1Text(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

std::string latin1Bytes(const QString& text, int maxChars) {
    return text.left(maxChars).toLatin1().toStdString();
}

} // namespace vandrel
