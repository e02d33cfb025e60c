// Frame intake, the converter's restart events and the dispatch by session state.
#include "protocol/DeviceSession.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"

#include <algorithm>

namespace vandrel {

void DeviceSession::onFrameReceived(ReceivedFrame received) {
    // The frame is released on every path when `received` goes out of scope.
    if (!received.frame) {
        return;
    }
    const ProtocolFrame& frame = *received.frame;
    if (trace) {
        trace->dumpFrame({frame.bytes.data(), std::min(received.count, kFrameCapacity)},
                         FrameDirection::In);
    }
    if (!frameHasKnownType(frame)) {
        traceLine("Incorrect message structure!!!");
        return;
    }
    if (!frameVerify(frame)) {
        traceLine("Incorrect message checksum!!!");
        return;
    }
    if (frame.type() == kFrameTypeEvent && frameFindField(frame, tag::RestartLoader)) {
        onRestartEvent(frame, true);
        return;
    }
    if (frame.type() == kFrameTypeEvent && frameFindField(frame, tag::RestartCode)) {
        onRestartEvent(frame, false);
        return;
    }
    dispatchByState(frame);
}

void DeviceSession::onRestartEvent(const ProtocolFrame& frame, bool loader) {
    stopTimer();
    traceLine(loader ? "Restart loader" : "Restart code");
    post(loader ? SessionProgress::RestartLoader : SessionProgress::RestartCode, 0);
    retryCount = 0;
    if (monitorPane) {
        monitorPane->setMonitoring(false);
    }
    restartCode =
        fieldFirstByte(frameFindField(frame, loader ? tag::RestartLoader : tag::RestartCode))
            .value_or(0);
    if (const auto version = frameFindField(frame, tag::SystemInfo)) {
        std::string& target = loader ? loaderVersion_ : firmwareVersion_;
        target = fieldText(*version, kMaxVersionText);
        traceFormat(loader ? "Loader version: %s" : "Firmware version: %s", target.c_str());
    }
    sendAcknowledgement(loader ? tag::RestartLoaderAck : tag::RestartCodeAck);

    // FLASH loading of a confirmed file was asked for: ask whichever program of the converter
    // now runs.
    const FlashLoad* load = flashLoad();
    if (state == SessionState::FlashStart && load && load->hasFile() && load->total != 0) {
        pendingFlags = 0;
        giveUpUnlessSent(requestFlashStart());
        return;
    }
    // Whatever else ran has ended with the converter's restart; an image being downloaded is
    // incomplete.
    endFlashDownloading(std::nullopt, true);
    pendingFlags = 0;
    transfer_ = std::monostate{};
    if (!loader) {
        state = SessionState::Ready;
        return;
    }
    state = SessionState::LoaderRunning;
    if (frameStatus(frame) == kStatusLoaderWaitsForFirmware) {
        post(SessionProgress::LoaderWaitsForFirmware, 0);
        // No file yet: the host hands one over once the user has chosen and confirmed it.
        FlashLoad load;
        load.converterStarted = true;
        giveUpUnlessSent(beginFlashLoading(std::move(load)));
        return;
    }
    // Already at the limit, so the timer repeats nothing: it only ends the wait for the
    // application code.
    retryCount = kRetryLimit;
    startTimer(kLoaderStartupTimeoutMs);
}

void DeviceSession::dispatchByState(const ProtocolFrame& frame) {
    switch (state) {
    case SessionState::Resetting:
        onResetting(frame);
        break;
    case SessionState::LoaderRunning:
        onLoaderRunning(frame);
        break;
    case SessionState::Ready:
        if (frame.type() == kFrameTypePositive) {
            onReadyPositive(frame);
        } else if (frame.type() == kFrameTypeNegative) {
            onReadyNegative(frame);
        }
        break;
    case SessionState::FlashStart:
        onFlashStart(frame);
        break;
    case SessionState::FlashLoading:
        onFlashLoading(frame);
        break;
    case SessionState::ConfigReading:
        onConfigTransfer(frame, false);
        break;
    case SessionState::ConfigWriting:
        onConfigTransfer(frame, true);
        break;
    default: // Initial, Failed: only restart events and new requests count
        break;
    }
}

void DeviceSession::onResetting(const ProtocolFrame& frame) {
    if (frame.type() == kFrameTypePositive && frameFindField(frame, tag::Reset)) {
        stopTimer();
        // The converter restarts now and announces itself; bound the wait for that.
        retryCount = kRetryLimit;
        startTimer(kRestartWaitMs);
        return;
    }
    if (frame.type() != kFrameTypeNegative) {
        return;
    }
    stopTimer();
    if (frameStatus(frame) == kStatusAccessDenied) {
        if (!askPassword(SessionProgress::ResetSent)) {
            enterState(SessionState::Ready);
            return;
        }
        if (state != SessionState::Resetting) {
            return; // something else happened while the question was open
        }
    }
    if (retryCount < kRetryLimit) {
        giveUpUnlessSent(requestReset());
        return;
    }
    formatResultHex(frameFindField(frame, tag::Status));
    post(SessionProgress::ResetSent, result::Failed);
    enterState(SessionState::Ready);
}

void DeviceSession::onLoaderRunning(const ProtocolFrame& frame) {
    if (frame.type() == kFrameTypeNegative) {
        sendAcknowledgement(tag::RestartLoaderAck);
        return;
    }
    if (const auto partition = frameFindField(frame, tag::Partition)) {
        activePartition_ = fieldFirstByte(partition).value_or(activePartition_);
        traceFormat("Code is starting up from FLASH partition %d", int{activePartition_});
    }
}

bool DeviceSession::askPassword(SessionProgress code) {
    if (retryCount == kRetryLimit) {
        retryCount = kRetryLimit - 1; // one more attempt with the new password
    }
    if (query(SessionQuery::AskPassword) == 0) {
        post(code, result::PasswordCancelled);
        return false;
    }
    return true;
}

} // namespace vandrel
