#include "shell/app/DeviceOperations.h"

#include "language/TextIds.h"
#include "shell/app/AppCore.h"
#include "shell/app/DialogRunner.h"
#include "shell/app/FlashProgressDialog.h"
#include "shell/app/WaitDialog.h"
#include "shell/ui/ChangePasswordDialog.h"
#include "shell/ui/Prompter.h"

#include <QApplication>
#include <QTimer>

namespace vandrel {

DeviceOperations::DeviceOperations(AppCore& core, Prompter& prompter, DialogRunner& dialogs,
                                   OperationHost& host, QWidget* window)
    : QObject(window), core_(core), prompter_(prompter), dialogs_(dialogs), host_(host),
      window_(window) {}

DeviceOperations::~DeviceOperations() {
    if (!inputEnabled_) {
        QApplication::restoreOverrideCursor();
    }
    delete wait_;
    delete progress_;
    delete changePassword_;
}

void DeviceOperations::onProgress(SessionProgress code, int value) {
    if (const ProgressReaction* reaction = findProgressReaction(code, value)) {
        apply(*reaction, value);
    }
    host_.refresh();
}

void DeviceOperations::apply(const ProgressReaction& reaction, int value) {
    // Restart and give-up messages depend on what was on screen before the dialogs change.
    const bool restartAwaited = wait_ != nullptr;
    applyDialog(reaction.dialog, value);
    applyBusy(reaction.busy);
    if (reaction.code == SessionProgress::RestartLoader ||
        reaction.code == SessionProgress::RestartCode) {
        checkTransferAfterRestart();
    }
    updateInput();
    follow(reaction, value);
    if (reaction.follow == Follow::GaveUp && changePassword_) {
        return; // the change-password dialog tells the user itself
    }
    if (reaction.code == SessionProgress::GaveUp && restartAwaited) {
        ProgressReaction restart = reaction;
        restart.text = text::RestartTimedOut; // accepted the reset, never came back
        tell(restart);
        return;
    }
    tell(reaction);
}

void DeviceOperations::applyDialog(DialogAction action, int value) {
    switch (action) {
    case DialogAction::None:
        break;
    case DialogAction::ShowWait:
        showWait();
        break;
    case DialogAction::CloseWait:
        closeWait();
        break;
    case DialogAction::ResumeTransfer:
        closeWait();
        resumeProgress();
        break;
    case DialogAction::ShowProgress:
        resumeProgress();
        if (progress_) {
            progress_->setPosition(value);
        }
        break;
    case DialogAction::FinishProgress:
        if (progress_) {
            progress_->setPosition(FlashProgressDialog::kMaximum);
        }
        break;
    case DialogAction::CloseProgress:
        if (progress_) {
            progress_->closeDialog();
        }
        break;
    case DialogAction::CloseAll:
        closeWait();
        if (progress_) {
            progress_->closeDialog();
        }
        break;
    }
}

void DeviceOperations::applyBusy(BusyChange change) {
    switch (change) {
    case BusyChange::Keep:
        break;
    case BusyChange::Enter:
        busy_ = true;
        break;
    case BusyChange::Leave:
        busy_ = false;
        break;
    case BusyChange::LeaveAll:
        busy_ = false;
        endTransfer();
        break;
    }
}

void DeviceOperations::follow(const ProgressReaction& reaction, int value) {
    switch (reaction.follow) {
    case Follow::None:
        break;
    case Follow::TakeConfiguration:
        host_.takeConfiguration();
        break;
    case Follow::SendReset:
        core_.session.requestReset();
        break;
    case Follow::ClearMonitorCommand:
        host_.clearMonitorCommand();
        break;
    case Follow::TakeSystemInfo:
        host_.takeSystemInfo();
        break;
    case Follow::PasswordChangeEnded:
        if (changePassword_) {
            if (value == result::Success) {
                changePassword_->passwordAccepted();
            } else {
                changePassword_->passwordRefused(value,
                                                 QString::fromStdString(core_.session.resultHex()));
            }
        }
        break;
    case Follow::CancelPasswordChange:
        if (changePassword_) {
            changePassword_->cancelRequest();
        }
        break;
    case Follow::GaveUp:
        host_.showMonitoringOff();
        if (changePassword_) {
            changePassword_->passwordRefused(ChangePasswordDialog::kNoAnswer, QString());
        }
        break;
    case Follow::ChooseFirmware:
        transfer_ = Transfer::Loading;
        updateInput();
        // Outside this report's handling: the choice runs its own dialogs.
        QTimer::singleShot(0, this, [this] {
            if (transfer_ == Transfer::Loading && !progress_) {
                host_.chooseFirmwareForConverter();
            }
        });
        break;
    }
}

void DeviceOperations::tell(const ProgressReaction& reaction) {
    if (reaction.text == 0) {
        return;
    }
    const MessageStyle style{MessageButtons::Ok, reaction.icon};
    std::optional<MessageRequest> message;
    if (reaction.withResultHex) {
        const FormatArg status(QString::fromStdString(core_.session.resultHex()));
        message =
            core_.language.Message(reaction.text, reaction.caption, style, std::span(&status, 1));
    } else {
        message = core_.language.Message(reaction.text, reaction.caption, style);
    }
    if (message) {
        prompter_.show(*message);
    }
}

void DeviceOperations::tellTransferFailed(bool loading) {
    ProgressReaction failed{};
    failed.text = loading ? text::FlashLoadFailed : text::FlashDownloadFailed;
    failed.caption = text::CaptionError;
    failed.icon = MessageIcon::Warning;
    tell(failed);
}

void DeviceOperations::updateInput() {
    const bool enabled = !busy();
    if (enabled == inputEnabled_) {
        return;
    }
    inputEnabled_ = enabled;
    if (enabled) {
        QApplication::restoreOverrideCursor();
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    host_.setInputEnabled(enabled);
}

void DeviceOperations::showWait() {
    if (!wait_) {
        wait_ = new WaitDialog(core_.language, window_);
    }
    wait_->setNote(text::WaitRestarting);
    // During the password question the dialog waits for the next report to come back.
    if (!questionOpen_ && !wait_->isVisible()) {
        wait_->open();
    }
}

void DeviceOperations::closeWait() {
    if (!wait_) {
        return;
    }
    WaitDialog* dialog = wait_;
    wait_ = nullptr;
    dialog->finish();
    dialog->deleteLater();
}

void DeviceOperations::openProgress(Transfer transfer) {
    transfer_ = transfer;
    delete progress_;
    progress_ = new FlashProgressDialog(transfer == Transfer::Loading
                                            ? FlashProgressDialog::Mode::Loading
                                            : FlashProgressDialog::Mode::Downloading,
                                        core_.language, window_);
    connect(progress_, &FlashProgressDialog::cancelRequested, this,
            &DeviceOperations::onCancelRequested);
    if (!questionOpen_) {
        progress_->open();
    }
    updateInput();
}

void DeviceOperations::resumeProgress() {
    if (progress_ && !questionOpen_ && !progress_->ended() && !progress_->isVisible()) {
        progress_->open();
    }
}

void DeviceOperations::endTransfer() {
    transfer_ = Transfer::None;
    cancelQuestionOpen_ = false;
    if (progress_) {
        FlashProgressDialog* dialog = progress_;
        progress_ = nullptr;
        dialog->closeDialog();
        dialog->deleteLater();
    }
}

void DeviceOperations::checkTransferAfterRestart() {
    // A restart ends a transfer the converter had not finished; only a loading that still waits
    // for the converter to accept it goes on.
    const OperationKind running = core_.session.operation();
    if ((transfer_ == Transfer::Loading &&
         running != OperationKind::FlashLoading) ||
        (transfer_ == Transfer::Downloading &&
         running != OperationKind::FlashDownloading)) {
        const bool wasLoading = transfer_ == Transfer::Loading;
        endTransfer();
        updateInput();
        tellTransferFailed(wasLoading);
    }
}

bool DeviceOperations::startFlashLoading(const std::string& firmwarePath) {
    if (!core_.session.startFlashLoading(firmwarePath)) {
        return false;
    }
    openProgress(Transfer::Loading);
    return true;
}

void DeviceOperations::supplyFirmware(const std::string& firmwarePath) {
    if (transfer_ != Transfer::Loading || progress_) {
        return; // the converter gave up meanwhile
    }
    if (!core_.session.supplyFirmware(firmwarePath)) {
        endTransfer();
        updateInput();
        host_.refresh();
        return;
    }
    openProgress(Transfer::Loading);
}

void DeviceOperations::declineFirmware() {
    if (transfer_ != Transfer::Loading || progress_) {
        return;
    }
    // The converter's answer to the cancel ends the loading.
    core_.session.declineFirmware();
}

bool DeviceOperations::startFlashDownloading(const std::string& imagePath) {
    switch (core_.session.startFlashDownloading(imagePath)) {
    case DeviceSession::DownloadStart::Started:
        openProgress(Transfer::Downloading);
        return true;
    case DeviceSession::DownloadStart::FileError:
        tellTransferFailed(false);
        return false;
    case DeviceSession::DownloadStart::NoLink:
        break;
    }
    return false;
}

void DeviceOperations::onCancelRequested() {
    if (!progress_ || progress_->ended() || cancelQuestionOpen_) {
        return;
    }
    const bool loading = progress_->mode() == FlashProgressDialog::Mode::Loading;
    const std::optional<MessageRequest> question = core_.language.Message(
        loading ? text::FlashLoadCancelQuestion : text::FlashDownloadCancelQuestion,
        text::CaptionConfirm, MessageStyle{MessageButtons::YesNo, MessageIcon::Warning, ResultNo});
    if (!question) {
        return; // no texts: nothing can be asked, so nothing is stopped
    }
    cancelQuestionOpen_ = true;
    QPointer<DeviceOperations> self(this);
    prompter_.show(*question, [self](int answer) {
        if (!self) {
            return;
        }
        self->cancelQuestionOpen_ = false;
        if (answer == ResultYes) {
            self->cancelConfirmed();
        }
    });
}

void DeviceOperations::cancelConfirmed() {
    // The transfer may have ended while the question was open.
    if (!progress_ || progress_->ended()) {
        return;
    }
    progress_->cancelConfirmed();
    if (transfer_ == Transfer::Loading) {
        // The converter's answer to the cancel ends the loading.
        core_.session.cancelFlashLoading();
    } else {
        // Nothing goes to the converter: the download just stops, without a message.
        core_.session.stopFlashDownloading();
        endTransfer();
        updateInput();
    }
    host_.refresh();
}

int DeviceOperations::askPassword() {
    // The operation stays busy; its dialogs step aside until the next report.
    questionOpen_ = true;
    closeWait();
    if (progress_) {
        progress_->hide();
    }
    host_.refresh();
    const std::optional<std::string> password = dialogs_.askPassword();
    questionOpen_ = false;
    if (!password) {
        const std::optional<MessageRequest> message =
            core_.language.Message(text::PasswordMissing, text::CaptionPassword,
                                   MessageStyle{MessageButtons::Ok, MessageIcon::Error});
        if (message) {
            prompter_.show(*message);
        }
        return 0;
    }
    core_.session.accessPassword = *password;
    host_.refresh();
    return 1;
}

void DeviceOperations::openChangePassword() {
    if (changePassword_) {
        changePassword_->activateWindow();
        return;
    }
    changePassword_ = new ChangePasswordDialog(core_.session, core_.language, window_);
    connect(changePassword_, &QDialog::finished, this, [this](int result) {
        ChangePasswordDialog* dialog = changePassword_;
        if (dialog == nullptr) {
            return;
        }
        changePassword_ = nullptr;
        if (result == QDialog::Accepted) {
            core_.session.accessPassword = dialog->newPassword();
        }
        dialog->deleteLater();
        host_.refresh();
    });
    changePassword_->open();
}

std::optional<PasswordChangeTexts> DeviceOperations::passwordChangeTexts() const {
    if (!changePassword_) {
        return std::nullopt;
    }
    return changePassword_->texts();
}

WaitDialog* DeviceOperations::waitDialog() const {
    return wait_;
}

FlashProgressDialog* DeviceOperations::progressDialog() const {
    return progress_;
}

ChangePasswordDialog* DeviceOperations::changePasswordDialog() const {
    return changePassword_;
}

void DeviceOperations::retranslate() {
    if (wait_) {
        wait_->retranslate();
    }
    if (progress_) {
        progress_->retranslate();
    }
}

} // namespace vandrel
