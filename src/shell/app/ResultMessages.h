#pragma once

#include "language/MessageStyle.h"
#include "protocol/OperationResult.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace vandrel {

class LanguageManager;

// A box that tells how an operation ended: its text, caption, icon and the format's arguments,
// already in the words of the language in use.
struct ResultMessage {
    int text = 0;
    int caption = 0;
    MessageIcon icon = MessageIcon::None;
    QStringList args;
};

// What the window knew when the operation ended, beyond the result itself.
struct ResultContext {
    bool loaderTimedOut = false; // the loader announced itself, the application code never did
    bool restartAwaited = false; // the converter took the reset and never came back
    // The first differing field of a write's read-back, named as a page names it.
    std::function<QString(std::size_t offset)> nameField;
};

// The message for `result`; none when there is nothing to say (a read that arrived, a cancel the
// user asked for, a password question the user cancelled, an operation replaced by another).
std::optional<ResultMessage> resultMessage(const OperationResult& result,
                                           const ResultContext& context,
                                           const LanguageManager& language);

} // namespace vandrel
