#pragma once

#include "shell/ui/ShellDialog.h"

#include <memory>
#include <optional>

namespace Ui {
class LanguageDialogForm;
}

namespace vandrel {

// Chooses the interface language among those of LANG.INI that have a name and an existing
// language file; the current one is preselected.
class LanguageDialog : public ShellDialog {
    Q_OBJECT
public:
    LanguageDialog(int currentId, const LanguageManager& languages, QWidget* parent = nullptr);
    ~LanguageDialog() override;

    // The id of the chosen language; read it after the dialog ended with Accepted.
    std::optional<int> languageId() const { return chosen_; }

private:
    void confirm();

    std::unique_ptr<Ui::LanguageDialogForm> ui_;
    std::optional<int> chosen_;
};

} // namespace vandrel
