#include "protocol/OperationContext.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"
#include "protocol/FrameSecrets.h"

#include <cstdlib>

namespace vandrel {

FramePtr OperationContext::newFrame(std::uint8_t type) {
    FramePtr frame = frameCreate(type);
    if (!frame) {
        fatalOutOfMemory();
    }
    return frame;
}

void OperationContext::fatalOutOfMemory() const {
    if (links.host) {
        links.host->fatalOutOfMemory();
    }
    std::exit(1);
}

void OperationContext::sendFrame(FramePtr frame) {
    if (links.trace) {
        const auto bytes = frame->frameBytes();
        links.trace->dumpFrame(bytes, FrameDirection::Out, passwordBytes(bytes));
    }
    if (links.channel) {
        links.channel->postFrame(std::move(frame));
    }
}

void OperationContext::sendRequest(FramePtr frame, std::string_view statusLine) {
    frameSeal(*frame);
    if (!statusLine.empty()) {
        traceLine(statusLine);
    }
    sendFrame(std::move(frame));
}

void OperationContext::sendAcknowledgement(std::uint8_t ackTag) {
    FramePtr frame = newFrame(kFrameTypeReply);
    frameAddBytes(*frame, ackTag, {restartCode});
    frameSeal(*frame);
    sendFrame(std::move(frame));
}

void OperationContext::startTimer(int milliseconds) {
    // Only the newest timer counts; an older one still running would only tick in vain.
    stopTimer();
    if (links.timers) {
        timerId_ = links.timers->startTimer(milliseconds, onTimer_);
    }
}

void OperationContext::stopTimer() {
    if (timerId_ != 0 && links.timers) {
        links.timers->killTimer(timerId_);
    }
    timerId_ = 0;
}

void OperationContext::post(SessionProgress code, int value) const {
    if (links.host) {
        links.host->postSessionProgress(code, value);
    }
}

void OperationContext::traceLine(std::string_view text) const {
    if (links.trace) {
        links.trace->addLine(text, kTraceStatusColour);
    }
}

void OperationContext::traceStale(std::uint32_t address) const {
    traceFormat("Stale answer ignored (address %06X)", static_cast<unsigned>(address));
}

void OperationContext::setMonitoring(bool on) const {
    if (links.monitor) {
        links.monitor->setMonitoring(on);
    }
}

void OperationContext::setResultHex(const std::optional<FrameField>& statusField) {
    resultHex_ = hexText(statusField, kMaxResultBytes);
}

void OperationContext::clearSystemInfo() {
    systemInfo_.loaderVersion.clear();
    systemInfo_.firmwareVersion.clear();
    systemInfo_.partition = 0xFF;
}

void OperationContext::takeSystemInfo(const ProtocolFrame& frame) {
    if (const auto firmware = frameFindField(frame, tag::SystemInfo)) {
        systemInfo_.firmwareVersion = fieldText(*firmware, kMaxVersionText);
        traceFormat("Firmware version: %s", systemInfo_.firmwareVersion.c_str());
    }
    if (const auto loader = frameFindField(frame, tag::LoaderVersion)) {
        systemInfo_.loaderVersion = fieldText(*loader, kMaxVersionText);
        traceFormat("Loader version: %s", systemInfo_.loaderVersion.c_str());
    }
    if (const auto partition = frameFindField(frame, tag::Partition)) {
        systemInfo_.partition = fieldFirstByte(partition).value_or(systemInfo_.partition);
        traceFormat("Active FLASH partition: %d", int{systemInfo_.partition});
    }
}

void OperationContext::takeRestartVersion(const ProtocolFrame& frame, bool loader) {
    if (const auto version = frameFindField(frame, tag::SystemInfo)) {
        std::string& target = loader ? systemInfo_.loaderVersion : systemInfo_.firmwareVersion;
        target = fieldText(*version, kMaxVersionText);
        traceFormat(loader ? "Loader version: %s" : "Firmware version: %s", target.c_str());
    }
}

void OperationContext::onLoaderFrame(const ProtocolFrame& frame) {
    if (frame.type() == kFrameTypeNegative) {
        sendAcknowledgement(tag::RestartLoaderAck);
        return;
    }
    if (const auto partition = frameFindField(frame, tag::Partition)) {
        systemInfo_.partition = fieldFirstByte(partition).value_or(systemInfo_.partition);
        traceFormat("Code is starting up from FLASH partition %d", int{systemInfo_.partition});
    }
}

bool OperationContext::askPassword() const {
    if (!links.host) {
        return false;
    }
    links.host->passwordWanted();
    return true;
}

} // namespace vandrel
