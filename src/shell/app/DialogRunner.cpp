#include "shell/app/DialogRunner.h"

#include "shell/ui/AboutDialog.h"
#include "shell/ui/LanguageDialog.h"
#include "shell/ui/PasswordDialog.h"
#include "shell/ui/PortDialog.h"
#include "shell/ui/Prompter.h"
#include "shell/ui/SourceChoiceDialog.h"

namespace vandrel {

SourceChoice DialogRunner::chooseSource(SourceMode mode) const {
    const SourceChoiceDialog::Mode shown = mode == SourceMode::Open ? SourceChoiceDialog::Mode::Open
                                           : mode == SourceMode::Save
                                               ? SourceChoiceDialog::Mode::Save
                                               : SourceChoiceDialog::Mode::Compare;
    SourceChoiceDialog dialog(shown, language_, owner_);
    switch (prompter_.runDialog(dialog)) {
    case SourceChoiceDialog::Converter:
        return SourceChoice::Converter;
    case SourceChoiceDialog::File:
        return SourceChoice::File;
    default:
        return SourceChoice::Cancel;
    }
}

std::optional<std::string> DialogRunner::askPassword() const {
    PasswordDialog dialog(language_, owner_);
    if (prompter_.runDialog(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.passwordBytes();
}

std::optional<QString> DialogRunner::choosePort(const QString& currentName) const {
    PortDialog dialog(currentName, language_, owner_);
    if (prompter_.runDialog(dialog) != QDialog::Accepted || dialog.portName().isEmpty()) {
        return std::nullopt;
    }
    return dialog.portName();
}

std::optional<int> DialogRunner::chooseLanguage(int currentId) const {
    LanguageDialog dialog(currentId, language_, owner_);
    if (prompter_.runDialog(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.languageId();
}

void DialogRunner::showAbout() const {
    AboutDialog dialog(language_, owner_);
    prompter_.runDialog(dialog);
}

} // namespace vandrel
