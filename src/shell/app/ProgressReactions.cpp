#include "shell/app/ProgressReactions.h"

#include "config/DeviceInfo.h"
#include "configview/ConfigView.h"
#include "language/TextIds.h"
#include "shell/app/AppCore.h"
#include "shell/app/BusyState.h"
#include "shell/app/FlashCommands.h"
#include "shell/app/FlashProgressDialog.h"
#include "shell/app/FrameContext.h"
#include "shell/app/WaitDialog.h"
#include "shell/ui/ChangePasswordDialog.h"
#include "shell/ui/Prompter.h"
#include "shell/ui/SystemMonitorPane.h"

#include <algorithm>

namespace vandrel {

namespace {
const MessageStyle kStopBox{MessageButtons::Ok, MessageIcon::Error};
const MessageStyle kExclamationBox{MessageButtons::Ok, MessageIcon::Warning};
const MessageStyle kInformationBox{MessageButtons::Ok, MessageIcon::Information};
} // namespace

void ProgressReactions::showRestartWait() {
    frame_.busy->leave();
    cancelChangePassword();
    if (frame_.dialogs.wait && !frame_.dialogs.wait->finishing()) {
        frame_.dialogs.wait->setNote(text::WaitRestarting);
    } else if (waitOnScreen_) {
        reopenWait_ = true;
    }
    frame_.busy->enter();
    if (waitOnScreen_) {
        return;
    }
    // Runs until a restart event, a give-up or the end of the bounded wait closes it.
    waitOnScreen_ = true;
    do {
        reopenWait_ = false;
        auto* dialog = new WaitDialog(frame_.core.language, frame_.window);
        dialog->setNote(text::WaitRestarting);
        frame_.dialogs.wait = dialog;
        frame_.refresh();
        frame_.prompter.runDialog(*dialog);
        frame_.dialogs.wait = nullptr;
        delete dialog;
    } while (reopenWait_ && frame_.busy->busy());
    reopenWait_ = false;
    waitOnScreen_ = false;
}

void ProgressReactions::closeWaitDialog() {
    if (frame_.dialogs.wait) {
        frame_.dialogs.wait->finish();
    }
}

void ProgressReactions::cancelChangePassword() {
    if (frame_.dialogs.changePassword) {
        frame_.dialogs.changePassword->cancelRequest();
    }
}

void ProgressReactions::tellChangePassword(int result) {
    if (frame_.dialogs.changePassword) {
        frame_.dialogs.changePassword->passwordRefused(
            result, QString::fromStdString(frame_.core.session.resultHex()));
    }
}

void ProgressReactions::takeConfiguration() {
    const ConfigImage& image = frame_.core.session.configImage();
    std::copy(image.begin(), image.end(), frame_.core.config.bytes.begin());
    frame_.view->ShowDeviceConfiguration();
    if (frame_.view->filePath().isEmpty()) {
        frame_.setDocumentName(frame_.core.language.Text(text::UntitledDocument));
    }
}

void ProgressReactions::takeSystemInfo() {
    const DeviceSession& session = frame_.core.session;
    DeviceInfo info = frame_.view->deviceInfo();
    SetVersionText(info.firmwareVersion, session.firmwareVersion());
    SetVersionText(info.loaderVersion, session.loaderVersion());
    info.systemInfoNumber = session.activePartition();
    frame_.view->setDeviceInfo(info);
}

void ProgressReactions::deviceRefused() {
    frame_.core.language.FormatMessageBox(text::DeviceRefusedFormat, text::CaptionError,
                                          kExclamationBox,
                                          {FormatArg(frame_.core.session.resultHex())});
}

void ProgressReactions::gaveUp() {
    const bool restartAwaited = waitOnScreen_;
    frame_.busy->leave();
    closeWaitDialog();
    if (frame_.dialogs.progress) {
        frame_.dialogs.progress->closeDialog();
    }
    if (frame_.monitor != nullptr && frame_.monitor->monitoringOn()) {
        frame_.monitor->setMonitoring(false);
    }
    if (frame_.dialogs.changePassword) {
        tellChangePassword(ChangePasswordDialog::kNoAnswer);
        return;
    }
    // A converter that accepted the reset but never announced itself again: say so.
    frame_.core.language.MessageBox(restartAwaited ? text::RestartTimedOut : text::NoAnswer,
                                    text::CaptionError, kStopBox);
}

void ProgressReactions::onProgress(SessionProgress code, int value) {
    LanguageManager& language = frame_.core.language;
    BusyState& busy = *frame_.busy;
    switch (code) {
    case SessionProgress::ResetSent:
        if (value == result::PasswordCancelled) {
            busy.leave();
            closeWaitDialog();
        } else if (value == result::Sent) {
            showRestartWait();
        }
        break;
    case SessionProgress::RestartLoader:
        showRestartWait();
        break;
    case SessionProgress::RestartCode:
        busy.leave();
        closeWaitDialog();
        cancelChangePassword();
        break;
    case SessionProgress::LoaderTimedOut:
        busy.leave();
        closeWaitDialog();
        language.MessageBox(text::LoaderNoAnswer, text::CaptionError, kStopBox);
        break;
    case SessionProgress::ConfigReadSent:
    case SessionProgress::ConfigWriteSent:
    case SessionProgress::MonitorSent:
    case SessionProgress::SystemInfoSent:
    case SessionProgress::PasswordChangeSent:
        busy.enter();
        break;
    case SessionProgress::ConfigReadEnded:
        busy.leave();
        closeWaitDialog();
        if (value == result::Success) {
            takeConfiguration();
        } else if (value == result::Failed) {
            deviceRefused();
        }
        break;
    case SessionProgress::ConfigWriteEnded:
        busy.leave();
        if (value == result::Success) {
            frame_.core.session.requestReset();
        } else if (value == result::Failed) {
            deviceRefused();
        }
        break;
    case SessionProgress::MonitorEnded:
        busy.leave();
        if (value == result::Success) {
            if (frame_.monitor != nullptr) {
                frame_.monitor->clearCommandField();
            }
        } else if (value == result::Failed) {
            deviceRefused();
        }
        break;
    case SessionProgress::FlashChunkSent:
    case SessionProgress::FlashBlockRequested:
        if (frame_.dialogs.progress) {
            frame_.dialogs.progress->show();
            frame_.dialogs.progress->setPosition(value);
        }
        break;
    case SessionProgress::FlashStartSent:
    case SessionProgress::FlashReadStartSent:
        if (frame_.dialogs.wait) {
            closeWaitDialog();
            busy.leave();
        }
        break;
    case SessionProgress::FlashLoadEnded:
        busy.leave();
        if (value == result::Success) {
            language.MessageBox(text::FlashLoadDone, text::CaptionDone, kInformationBox);
            break;
        }
        if (frame_.dialogs.progress) {
            frame_.dialogs.progress->closeDialog();
        }
        if (value != result::PasswordCancelled) {
            language.MessageBox(text::FlashLoadFailed, text::CaptionError, kExclamationBox);
        }
        break;
    case SessionProgress::FlashReadEnded:
        busy.leave();
        if (value == result::Success) {
            if (frame_.dialogs.progress) {
                frame_.dialogs.progress->setPosition(FlashProgressDialog::kMaximum);
            }
            language.MessageBox(text::FlashDownloadDone, text::CaptionDone, kInformationBox);
            break;
        }
        if (frame_.dialogs.progress) {
            frame_.dialogs.progress->closeDialog();
        }
        if (value != result::PasswordCancelled) {
            language.MessageBox(text::FlashDownloadFailed, text::CaptionError, kExclamationBox);
        }
        break;
    case SessionProgress::SystemInfoEnded:
        busy.leave();
        if (value == result::Success) {
            takeSystemInfo();
        }
        break;
    case SessionProgress::PasswordChangeEnded:
        busy.leave();
        if (frame_.dialogs.changePassword) {
            if (value == result::Success) {
                frame_.dialogs.changePassword->passwordAccepted();
            } else if (value == result::Failed || value == result::PasswordRefused) {
                tellChangePassword(value);
            }
        }
        break;
    case SessionProgress::GaveUp:
        gaveUp();
        break;
    case SessionProgress::LoaderWaitsForFirmware:
        flash_.onConverterWantsFirmware();
        break;
    default:
        break;
    }
    frame_.refresh();
}

} // namespace vandrel
