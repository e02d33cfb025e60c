#pragma once

#include "shell/ui/ShellDialog.h"

#include <QString>

#include <memory>
#include <string>

namespace Ui {
class PasswordDialogForm;
}

namespace vandrel {

// Asks for the converter's access password (characters hidden, at most 32). OK refuses a
// password with a character that has no Latin-1 byte, and says why.
class PasswordDialog : public ShellDialog {
    Q_OBJECT
public:
    static constexpr int kMaxPassword = 32;

    PasswordDialog(const LanguageManager& languages, QWidget* parent = nullptr);
    ~PasswordDialog() override;

    // What was typed, at most 32 characters; read it after the dialog ended with Accepted.
    QString password() const;
    // The same as the converter receives it: one Latin-1 byte per character.
    std::string passwordBytes() const;

    void accept() override;

private:
    std::unique_ptr<Ui::PasswordDialogForm> ui_;
};

} // namespace vandrel
