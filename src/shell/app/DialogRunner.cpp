#include "shell/app/DialogRunner.h"

#include "shell/ui/Prompter.h"

namespace vandrel {

// LOCAL PLACEHOLDER until the ui dialogs land.
SourceChoice DialogRunner::chooseSource(SourceMode) const {
    return SourceChoice::Cancel;
}
std::optional<QString> DialogRunner::askPassword() const {
    return std::nullopt;
}
std::optional<QString> DialogRunner::choosePort(const QString&) const {
    return std::nullopt;
}
std::optional<int> DialogRunner::chooseLanguage(int) const {
    return std::nullopt;
}
void DialogRunner::showAbout() const {}

} // namespace vandrel
