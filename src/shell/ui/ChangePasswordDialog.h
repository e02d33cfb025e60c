#pragma once

#include "shell/ui/ShellDialog.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>

namespace Ui {
class ChangePasswordDialogForm;
}

namespace vandrel {

class Prompter;

// Changes the converter's access password: OK asks for the change (changeRequested, with the
// new and the current password as Latin-1 bytes); once the change went out the owner calls
// waitForConverter, and the dialog waits (controls disabled, wait cursor) until the owner
// reports the converter's answer through passwordAccepted or passwordRefused. Cancel is
// possible only while no request is out. Messages open without a loop of their own, over the
// dialog, and go away with it.
class ChangePasswordDialog : public ShellDialog {
    Q_OBJECT
public:
    static constexpr int kMaxPassword = 32;
    // Refusal codes: the current password is wrong; the converter did not answer.
    static constexpr int kWrongPassword = 6;
    static constexpr int kNoAnswer = 3;

    ChangePasswordDialog(const LanguageManager& languages, Prompter& prompter,
                         QWidget* parent = nullptr);
    ~ChangePasswordDialog() override;

    // The new password of the change last asked for.
    const std::string& newPassword() const { return newPassword_; }
    bool isWaiting() const { return waiting_; }
    bool isDone() const { return done_; }

    // The change went out: wait for the converter's answer.
    void waitForConverter();

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

signals:
    void changeRequested(const QByteArray& newPassword, const QByteArray& currentPassword);

private:
    void okPressed();
    void setWaiting(bool waiting);
    void tell(int textId, const QString& argument, QWidget* focusAfter);

    Prompter& prompter_;
    std::unique_ptr<Ui::ChangePasswordDialogForm> ui_;
    std::string newPassword_;
    std::string currentPassword_;
    bool waiting_ = false;
    bool done_ = false;
};

} // namespace vandrel
