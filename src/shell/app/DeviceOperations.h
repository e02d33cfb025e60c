#pragma once

#include "protocol/SessionInterfaces.h"
#include "protocol/SessionTypes.h"
#include "shell/app/ProgressTable.h"

#include <QObject>
#include <QPointer>

#include <optional>
#include <string>

class QWidget;

namespace vandrel {

struct AppCore;
class ChangePasswordDialog;
class DialogRunner;
class FlashProgressDialog;
class Prompter;
class WaitDialog;

// What the operations need from the window around them.
class OperationHost {
public:
    virtual ~OperationHost() = default;
    // Menus, toolbar, tabs, shortcuts, drops and closing follow the busy state.
    virtual void setInputEnabled(bool enabled) = 0;
    // The configuration read from the converter becomes the document.
    virtual void takeConfiguration() = 0;
    // The converter's versions and partition go into the document's device information.
    virtual void takeSystemInfo() = 0;
    virtual void clearMonitorCommand() = 0;
    // The converter stopped answering: monitoring is shown as off.
    virtual void showMonitoringOff() = 0;
    // The converter's loader waits for firmware: the user chooses, the file is checked and the
    // user confirms; then supplyFirmware or declineFirmware.
    virtual void chooseFirmwareForConverter() = 0;
    // Command states and status texts.
    virtual void refresh() = 0;
};

// The one owner of the device operations in the window: the busy state, the wait dialog shown
// while the converter restarts, the FLASH transfer with its progress dialog, the change-password
// dialog and the access password question. It is the only code that enters or leaves busy and
// opens, hides, shows or closes those dialogs. Progress reports are handled by the reaction
// table; the dialogs are opened without an event loop of their own, so hiding one for a
// question never ends its operation: it comes back with the next progress report.
class DeviceOperations : public QObject {
    Q_OBJECT
public:
    enum class Transfer { None, Loading, Downloading };

    DeviceOperations(AppCore& core, Prompter& prompter, DialogRunner& dialogs, OperationHost& host,
                     QWidget* window);
    ~DeviceOperations() override;
    DeviceOperations(const DeviceOperations&) = delete;
    DeviceOperations& operator=(const DeviceOperations&) = delete;

    // A device operation runs: the window takes no commands.
    bool busy() const { return busy_ || transfer_ != Transfer::None; }
    Transfer transfer() const { return transfer_; }

    // A progress report of the protocol engine.
    void onProgress(SessionProgress code, int value);

    // FLASH loading of a firmware file that the user chose, that passed the header check and
    // that the user confirmed. False when nothing was sent (no link).
    bool startFlashLoading(const std::string& firmwarePath);
    // The converter's loader asked for firmware: the file the user confirmed for it, or none.
    void supplyFirmware(const std::string& firmwarePath);
    void declineFirmware();
    // FLASH downloading into `imagePath`. False when nothing was sent: the file cannot be
    // written (the user has been told) or there is no link.
    bool startFlashDownloading(const std::string& imagePath);

    // The protocol engine's question for the access password: 1 when the user entered one
    // (it is then the session's access password), 0 on Cancel.
    int askPassword();
    bool questionOpen() const { return questionOpen_; }

    // The change-password command: the dialog runs until the user or the converter ends it.
    void openChangePassword();
    // The passwords of the change in progress, for the engine's re-sends.
    std::optional<PasswordChangeTexts> passwordChangeTexts() const;

    // The operation dialogs while they exist (null otherwise).
    WaitDialog* waitDialog() const;
    FlashProgressDialog* progressDialog() const;
    ChangePasswordDialog* changePasswordDialog() const;

    // Texts again after a language switch.
    void retranslate();

private:
    void apply(const ProgressReaction& reaction, int value);
    void applyDialog(DialogAction action, int value);
    void applyBusy(BusyChange change);
    void follow(const ProgressReaction& reaction, int value);
    void tell(const ProgressReaction& reaction);
    void tellTransferFailed(bool loading);
    void updateInput();

    void showWait();
    void closeWait();
    void openProgress(Transfer transfer);
    // Shows the transfer dialog again after a question hid it.
    void resumeProgress();
    void endTransfer();
    void onCancelRequested();
    void cancelConfirmed();
    // The transfer ended while the converter had not finished it (a restart in between).
    void checkTransferAfterRestart();

    AppCore& core_;
    Prompter& prompter_;
    DialogRunner& dialogs_;
    OperationHost& host_;
    QWidget* window_;

    bool busy_ = false;
    bool inputEnabled_ = true;
    Transfer transfer_ = Transfer::None;
    bool questionOpen_ = false;
    bool cancelQuestionOpen_ = false;
    QPointer<WaitDialog> wait_;
    QPointer<FlashProgressDialog> progress_;
    QPointer<ChangePasswordDialog> changePassword_;
};

} // namespace vandrel
