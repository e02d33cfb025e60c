#pragma once

#include "shell/ui/ShellDialog.h"

#include <QString>

#include <memory>

namespace Ui {
class PasswordDialogForm;
}

namespace vandrel {

// Asks for the converter's access password (characters hidden, at most 32).
class PasswordDialog : public ShellDialog {
    Q_OBJECT
public:
    static constexpr int kMaxPassword = 32;

    PasswordDialog(const LanguageManager& languages, QWidget* parent = nullptr);
    ~PasswordDialog() override;

    // What was typed, at most 32 characters; read it after the dialog ended with Accepted.
    QString password() const;

private:
    std::unique_ptr<Ui::PasswordDialogForm> ui_;
};

} // namespace vandrel
