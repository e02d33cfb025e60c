// The service requests of state Ready: monitoring, system information, password change, and the
// entry to FLASH downloading.
#include "protocol/DeviceSession.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"

namespace vandrel {

void DeviceSession::onReadyPositive(const ProtocolFrame& frame) {
    if (const auto text = frameFindField(frame, tag::MonitorOn)) {
        if (pendingFlags & pending::MonitorOn) {
            stopTimer();
            post(SessionProgress::MonitorEnded, result::Success);
            pendingFlags &= ~pending::MonitorOn;
            if (monitorPane) {
                monitorPane->setMonitoring(true);
            }
        }
        // The same field carries the converter's monitor output.
        if (!text->value.empty() && monitorPane) {
            monitorPane->appendMonitorText(text->value);
        }
        return;
    }
    if (frameFindField(frame, tag::MonitorOff)) {
        if (pendingFlags & pending::MonitorOff) {
            stopTimer();
            post(SessionProgress::MonitorEnded, result::Success);
        }
        pendingFlags &= ~pending::MonitorOff;
        if (monitorPane) {
            monitorPane->setMonitoring(false);
        }
        return;
    }
    if (frameFindField(frame, tag::MonitorText)) {
        if (pendingFlags & pending::MonitorCommand) {
            stopTimer();
            post(SessionProgress::MonitorEnded, result::Success);
        }
        pendingFlags &= ~pending::MonitorCommand;
        return;
    }
    if (frameFindField(frame, tag::SystemInfo)) {
        onSystemInfo(frame);
        return;
    }
    if (const auto size = frameFindField(frame, tag::FlashReadStart)) {
        onFlashImageSize(*size);
        return;
    }
    if (pendingFlags & pending::FlashReadData) {
        if (const auto data = frameFindField(frame, tag::Read)) {
            onFlashImageBlock(frame, *data);
            return;
        }
    }
    if (frameFindField(frame, tag::NewPassword)) {
        if (pendingFlags & pending::PasswordChange) {
            stopTimer();
            post(SessionProgress::PasswordChangeEnded, result::Success);
        }
        pendingFlags &= ~pending::PasswordChange;
    }
}

void DeviceSession::onSystemInfo(const ProtocolFrame& frame) {
    const bool wasPending = (pendingFlags & pending::SystemInfo) != 0;
    if (wasPending) {
        stopTimer();
    }
    firmwareVersion_ = fieldText(*frameFindField(frame, tag::SystemInfo), kMaxVersionText);
    traceFormat("Firmware version: %s", firmwareVersion_.c_str());
    if (const auto loader = frameFindField(frame, tag::LoaderVersion)) {
        loaderVersion_ = fieldText(*loader, kMaxVersionText);
        traceFormat("Loader version: %s", loaderVersion_.c_str());
    }
    if (const auto partition = frameFindField(frame, tag::Partition)) {
        activePartition_ = fieldFirstByte(partition).value_or(activePartition_);
        traceFormat("Active FLASH partition: %d", int{activePartition_});
    }
    if (wasPending) {
        post(SessionProgress::SystemInfoEnded, result::Success);
    }
    pendingFlags &= ~pending::SystemInfo;
}

void DeviceSession::onReadyNegative(const ProtocolFrame& frame) {
    formatResultHex(frameFindField(frame, tag::Status));
    const bool accessDenied = frameStatus(frame) == kStatusAccessDenied;
    constexpr std::uint32_t kDecidingBits =
        pending::MonitorOn | pending::MonitorOff | pending::MonitorCommand | pending::SystemInfo |
        pending::FlashReadStart | pending::FlashReadData | pending::PasswordChange;
    if ((pendingFlags & kDecidingBits) == 0) {
        return;
    }
    stopTimer();
    if (pendingFlags & (pending::MonitorOn | pending::MonitorOff | pending::MonitorCommand)) {
        const std::uint32_t bit = (pendingFlags & pending::MonitorOn)    ? pending::MonitorOn
                                  : (pendingFlags & pending::MonitorOff) ? pending::MonitorOff
                                                                         : pending::MonitorCommand;
        onReadyMonitorRefused(bit, accessDenied);
    } else if (pendingFlags & pending::SystemInfo) {
        if (retryCount < kRetryLimit) {
            requestSystemInfo();
        } else {
            post(SessionProgress::SystemInfoEnded, result::Failed);
            pendingFlags &= ~pending::SystemInfo;
        }
    } else if (pendingFlags & (pending::FlashReadStart | pending::FlashReadData)) {
        onFlashReadRefused(frame);
    } else {
        onReadyPasswordChangeRefused(accessDenied);
    }
}

void DeviceSession::onReadyMonitorRefused(std::uint32_t bit, bool accessDenied) {
    if (bit == pending::MonitorCommand && accessDenied) {
        if (!askPassword(SessionProgress::MonitorEnded)) {
            pendingFlags &= ~bit;
            return;
        }
        if (state != SessionState::Ready || (pendingFlags & bit) == 0) {
            return; // ended while the question was open
        }
    }
    if (retryCount >= kRetryLimit) {
        post(SessionProgress::MonitorEnded, result::Failed);
        pendingFlags &= ~bit;
    } else if (bit == pending::MonitorCommand) {
        giveUpUnlessSent(
            requestMonitorText(monitorPane ? monitorPane->commandText() : std::string()));
    } else {
        giveUpUnlessSent(requestMonitor(bit == pending::MonitorOn));
    }
}

void DeviceSession::onReadyPasswordChangeRefused(bool accessDenied) {
    if (accessDenied) {
        // The refused password is the one being changed: no question.
        post(SessionProgress::PasswordChangeEnded, result::PasswordRefused);
        pendingFlags &= ~pending::PasswordChange;
        return;
    }
    const auto texts = notifyWindow && retryCount < kRetryLimit
                           ? notifyWindow->passwordChangeTexts()
                           : std::optional<PasswordChangeTexts>();
    if (texts) {
        giveUpUnlessSent(requestPasswordChange(texts->newPassword, texts->currentPassword));
        return;
    }
    post(SessionProgress::PasswordChangeEnded, result::Failed);
    pendingFlags &= ~pending::PasswordChange;
}

} // namespace vandrel
