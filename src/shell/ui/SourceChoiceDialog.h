#pragma once

#include "shell/ui/ShellDialog.h"

#include <memory>

namespace Ui {
class SourceChoiceDialogForm;
}

namespace vandrel {

// Asks whether a configuration comes from (or goes to) the converter or a file.
class SourceChoiceDialog : public ShellDialog {
    Q_OBJECT
public:
    enum class Mode { Open, Save, Compare };
    // Results of the dialog.
    static constexpr int Converter = 10;
    static constexpr int File = 11;
    static constexpr int Cancel = 2;

    SourceChoiceDialog(Mode mode, const LanguageManager& languages, QWidget* parent = nullptr);
    ~SourceChoiceDialog() override;

    // The close box and Escape count as Cancel.
    void reject() override;

private:
    std::unique_ptr<Ui::SourceChoiceDialogForm> ui_;
};

} // namespace vandrel
