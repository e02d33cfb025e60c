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

void DeviceSession::traceStale(std::uint32_t address) const {
    traceFormat("Stale answer ignored (address %06X)", static_cast<unsigned>(address));
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
    resultHex_ = hexText(field, kMaxResultBytes);
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
    stopTimer();
    if (state == SessionState::LoaderRunning) {
        post(SessionProgress::LoaderTimedOut, 0);
    } else {
        traceLine("Operation failed!");
        post(SessionProgress::GaveUp, 0);
    }
    pendingFlags &= kGiveUpFlagMask;
    // A FLASH image file that was being written is incomplete: delete it.
    endFlashDownloading(std::nullopt, true);
    transfer_ = std::monostate{};
    state = SessionState::Failed;
}

void DeviceSession::resendPending() {
    switch (state) {
    case SessionState::Resetting:
        giveUpUnlessSent(requestReset());
        break;
    case SessionState::Ready:
        giveUpUnlessSent(resendReadyRequest());
        break;
    case SessionState::FlashStart:
        if (flashLoad()) {
            giveUpUnlessSent(requestFlashStart());
        }
        break;
    case SessionState::FlashLoading:
        repeatFlashLoadingStep();
        break;
    case SessionState::ConfigReading:
        giveUpUnlessSent(requestConfigRead(true));
        break;
    case SessionState::ConfigWriting:
        if (configTransfer()) {
            giveUpUnlessSent(requestConfigWrite(nullptr, true));
        }
        break;
    default: // Initial, LoaderRunning, Failed: nothing to repeat
        break;
    }
}

// False only when a request was due and the link check refused it.
bool DeviceSession::resendReadyRequest() {
    if (pendingFlags & pending::MonitorOn) {
        return requestMonitor(true);
    }
    if (pendingFlags & pending::MonitorOff) {
        return requestMonitor(false);
    }
    if (pendingFlags & pending::MonitorCommand) {
        return requestMonitorText(monitorPane ? monitorPane->commandText() : std::string());
    }
    if (pendingFlags & pending::SystemInfo) {
        return requestSystemInfo();
    }
    if ((pendingFlags & (pending::FlashReadStart | pending::FlashReadData)) && flashDownload()) {
        return (pendingFlags & pending::FlashReadStart) ? requestFlashReadStart()
                                                        : requestFlashRead(true);
    }
    if (pendingFlags & pending::PasswordChange) {
        const auto texts = notifyWindow ? notifyWindow->passwordChangeTexts()
                                        : std::optional<PasswordChangeTexts>();
        if (texts) {
            return requestPasswordChange(texts->newPassword, texts->currentPassword);
        }
    }
    return true;
}

} // namespace vandrel
