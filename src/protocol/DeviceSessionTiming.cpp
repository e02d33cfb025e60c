// Transaction timing: sending, the response timer, re-sends after a time-out and the give-up.
#include "protocol/DeviceSession.h"

#include "protocol/FieldValues.h"

#include <cstdlib>

namespace vandrel {

DeviceSession::~DeviceSession() {
    stopTimer();
}

void DeviceSession::traceLine(std::string_view text) const {
    if (trace) {
        trace->addLine(text, kTraceStatusColour);
    }
}

void DeviceSession::sendFrame(FramePtr frame) {
    if (trace) {
        trace->dumpFrame(frame->frameBytes(), FrameDirection::Out);
    }
    if (channel) {
        channel->postFrame(std::move(frame));
    }
}

bool DeviceSession::startTimer(int milliseconds) {
    // Only the newest timer counts; an older one still running would only tick in vain.
    stopTimer();
    if (!timers) {
        return false;
    }
    timerId = timers->startTimer(milliseconds, [this](TimerId id) { onResponseTimeout(id); });
    return timerId != 0;
}

bool DeviceSession::stopTimer() {
    if (timerId == 0) {
        return false;
    }
    if (timers) {
        timers->killTimer(timerId);
    }
    timerId = 0;
    return true;
}

void DeviceSession::fatalOutOfMemory() {
    if (notifyWindow) {
        notifyWindow->fatalOutOfMemory();
    }
    std::exit(1);
}

void DeviceSession::formatResultHex(const std::optional<FrameField>& field) {
    resultHex = hexText(field, kMaxResultBytes);
}

bool DeviceSession::isResponding() const {
    return channel && channel->isOpen() && state != SessionState::Failed;
}

void DeviceSession::onResponseTimeout(TimerId id) {
    if (id == 0 || id != timerId) {
        return;
    }
    stopTimer();
    traceLine("Timer timeout!");
    if (retryCount >= kRetryLimit) {
        giveUp();
        return;
    }
    resendPending();
}

void DeviceSession::giveUp() {
    if (state == SessionState::LoaderRunning) {
        post(SessionProgress::LoaderTimedOut, 0);
    } else {
        traceLine("Operation failed!");
        post(SessionProgress::GaveUp, 0);
    }
    pendingFlags &= kGiveUpFlagMask;
    // A FLASH image file that was being written is incomplete: delete it.
    stopFlashDownloading();
    flashFilePath.clear();
    flashTotal = 0;
    state = SessionState::Failed;
}

void DeviceSession::resendPending() {
    switch (state) {
    case SessionState::Resetting:
        requestReset();
        break;
    case SessionState::Ready:
        resendReadyRequest();
        break;
    case SessionState::FlashStart:
        requestFlashStart();
        break;
    case SessionState::FlashLoading:
        repeatFlashLoadingStep();
        break;
    case SessionState::ConfigReading:
        requestConfigRead(true);
        break;
    case SessionState::ConfigWriting:
        requestConfigWrite(nullptr, true);
        break;
    default: // Initial, LoaderRunning, Failed: nothing to repeat
        break;
    }
}

void DeviceSession::resendReadyRequest() {
    if (pendingFlags & pending::MonitorOn) {
        requestMonitor(true);
    } else if (pendingFlags & pending::MonitorOff) {
        requestMonitor(false);
    } else if (pendingFlags & pending::MonitorCommand) {
        requestMonitorText(monitorPane ? monitorPane->commandText() : std::string());
    } else if (pendingFlags & pending::SystemInfo) {
        requestSystemInfo();
    } else if (pendingFlags & pending::FlashReadStart) {
        requestFlashReadStart();
    } else if (pendingFlags & pending::FlashReadData) {
        requestFlashRead(true);
    } else if (pendingFlags & pending::PasswordChange) {
        const auto texts = notifyWindow ? notifyWindow->passwordChangeTexts()
                                        : std::optional<PasswordChangeTexts>();
        if (texts) {
            requestPasswordChange(texts->newPassword, texts->currentPassword);
        }
    }
}

} // namespace vandrel
