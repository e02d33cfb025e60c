#pragma once

#include "protocol/SessionInterfaces.h"
#include "shell/ui/ShellDialog.h"

#include <QString>

#include <memory>

namespace Ui {
class ChangePasswordDialogForm;
}

namespace vandrel {

class DeviceSession;

// Changes the converter's access password: OK sends the new and the current password and waits
// (controls disabled, wait cursor) until the main window reports the converter's answer through
// passwordAccepted or passwordRefused. Cancel is possible only while no request is out.
class ChangePasswordDialog : public ShellDialog {
    Q_OBJECT
public:
    static constexpr int kMaxPassword = 32;
    // Refusal codes: the current password is wrong; the converter did not answer.
    static constexpr int kWrongPassword = 6;
    static constexpr int kNoAnswer = 3;

    ChangePasswordDialog(DeviceSession& session, const LanguageManager& languages,
                         QWidget* parent = nullptr);
    ~ChangePasswordDialog() override;

    // The dialog while one is open (the session's re-sends and the progress handling need it);
    // null otherwise.
    static ChangePasswordDialog* current();

    // The passwords of the change last sent, for re-sends.
    PasswordChangeTexts texts() const { return {newPassword_, currentPassword_}; }
    // The new password; the caller makes it the session's access password after OK.
    const std::string& newPassword() const { return newPassword_; }
    bool isWaiting() const { return waiting_; }
    bool isDone() const { return done_; }

    // The converter accepted: the dialog ends with OK (posted, so it ends after the caller).
    void passwordAccepted();
    // The converter refused with `code` (kWrongPassword, kNoAnswer or another result); the
    // dialog tells the user and is ready for another try. `resultHex` is the converter's status
    // bytes as hexadecimal text.
    void passwordRefused(int code, const QString& resultHex);
    // The converter restarted: the request is dropped and the dialog ends as cancelled.
    void cancelRequest();

    // Ignored while a request is out.
    void reject() override;

private:
    void okPressed();
    void setWaiting(bool waiting);

    DeviceSession& session_;
    std::unique_ptr<Ui::ChangePasswordDialogForm> ui_;
    std::string newPassword_;
    std::string currentPassword_;
    bool waiting_ = false;
    bool done_ = false;
};

} // namespace vandrel
