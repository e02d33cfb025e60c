// The router: operations in, frames and timer ticks to the operation that runs, restart events
// acknowledged and handed on.
#include "protocol/DeviceSession.h"

#include "protocol/ConfigReadOperation.h"
#include "protocol/ConfigWriteOperation.h"
#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"
#include "protocol/FlashDownloadOperation.h"
#include "protocol/FlashLoadOperation.h"
#include "protocol/FrameSecrets.h"
#include "protocol/LoaderWaitOperation.h"
#include "protocol/MonitorCommandOperation.h"
#include "protocol/MonitorSwitchOperation.h"
#include "protocol/PasswordChangeOperation.h"
#include "protocol/ResetOperation.h"
#include "protocol/SystemInfoOperation.h"

#include <algorithm>

namespace vandrel {

DeviceSession::DeviceSession()
    : ctx_([this](TimerId id) { onTimer(id); },
           [this](OperationResult result) { onEnd(std::move(result)); }) {}

DeviceSession::DeviceSession(const SessionLinks& links) : DeviceSession() {
    connect(links);
}

DeviceSession::~DeviceSession() {
    ctx_.stopTimer();
    // No host hears of an operation dropped with the session; its files are left as they were.
    ctx_.links = SessionLinks{};
    operation_.reset();
    retired_.reset();
}

void DeviceSession::connect(const SessionLinks& links) {
    ctx_.stopTimer();
    ctx_.links = links;
}

DeviceOperation* DeviceSession::running() const {
    return operation_ && !operation_->ended() ? operation_.get() : nullptr;
}

bool DeviceSession::startOperation(std::unique_ptr<DeviceOperation> operation) {
    if (!operation->prepare()) {
        return false;
    }
    install(std::move(operation));
    return true;
}

void DeviceSession::install(std::unique_ptr<DeviceOperation> operation) {
    if (operation_) {
        operation_->replace();
        retired_ = std::move(operation_);
    }
    operation_ = std::move(operation);
    operation_->begin();
    reap();
}

void DeviceSession::reap() {
    if (operation_ && operation_->ended()) {
        retired_ = std::move(operation_);
    }
    retired_.reset();
}

void DeviceSession::onEnd(OperationResult result) {
    if (ctx_.links.host) {
        ctx_.links.host->operationEnded(result);
    }
}

// --- Operations.

bool DeviceSession::requestReset() {
    return startOperation(std::make_unique<ResetOperation>(ctx_));
}

bool DeviceSession::requestSystemInfo() {
    return startOperation(std::make_unique<SystemInfoOperation>(ctx_));
}

bool DeviceSession::requestConfigRead() {
    return startOperation(std::make_unique<ConfigReadOperation>(ctx_));
}

bool DeviceSession::requestConfigWrite(const ConfigImage& image, bool readBack) {
    return startOperation(std::make_unique<ConfigWriteOperation>(ctx_, image, readBack));
}

bool DeviceSession::requestMonitor(bool on) {
    if (auto* pending = dynamic_cast<MonitorSwitchOperation*>(running());
        pending && pending->on() == on && !pending->waitingForPassword()) {
        if (!ctx_.ensureLink()) {
            return false;
        }
        pending->again();
        reap();
        return true;
    }
    return startOperation(std::make_unique<MonitorSwitchOperation>(ctx_, on));
}

bool DeviceSession::requestMonitorText(std::string text) {
    return startOperation(std::make_unique<MonitorCommandOperation>(ctx_, std::move(text)));
}

bool DeviceSession::requestPasswordChange(std::string newPassword, std::string currentPassword) {
    return startOperation(std::make_unique<PasswordChangeOperation>(ctx_, std::move(newPassword),
                                                                    std::move(currentPassword)));
}

bool DeviceSession::startFlashLoading(const std::string& confirmedFirmwarePath) {
    if (confirmedFirmwarePath.empty()) {
        return false;
    }
    return startOperation(std::make_unique<FlashLoadOperation>(ctx_, confirmedFirmwarePath));
}

DeviceSession::DownloadStart DeviceSession::startFlashDownloading(const std::string& imagePath) {
    auto download = std::make_unique<FlashDownloadOperation>(ctx_, imagePath);
    if (!download->prepare()) {
        return download->fileRefused() ? DownloadStart::FileError : DownloadStart::NoLink;
    }
    install(std::move(download));
    return DownloadStart::Started;
}

// --- The host's part.

void DeviceSession::answerPassword(std::optional<std::string> password) {
    DeviceOperation* operation = running();
    if (!operation || !operation->waitingForPassword()) {
        return;
    }
    if (password) {
        setAccessPassword(*password);
    }
    operation->answerPassword(password.has_value());
    reap();
}

bool DeviceSession::awaitingFirmware() const {
    const auto* load = dynamic_cast<const FlashLoadOperation*>(running());
    return load && load->awaitingFile();
}

bool DeviceSession::supplyFirmware(const std::string& confirmedFirmwarePath) {
    auto* load = dynamic_cast<FlashLoadOperation*>(running());
    const bool taken = load && load->supplyFile(confirmedFirmwarePath);
    reap();
    return taken;
}

void DeviceSession::declineFirmware() {
    if (awaitingFirmware()) {
        running()->cancel();
        reap();
    }
}

void DeviceSession::cancel() {
    if (DeviceOperation* operation = running()) {
        operation->cancel();
        reap();
    }
}

void DeviceSession::onLinkLost() {
    if (DeviceOperation* operation = running()) {
        operation->linkLost();
        reap();
    }
}

void DeviceSession::setAccessPassword(const std::string& password) {
    ctx_.accessPassword = password.substr(0, std::min(password.size(), kMaxAccessPassword));
}

// --- Timing.

void DeviceSession::onTimer(TimerId id) {
    if (id == 0 || id != ctx_.timerId()) {
        return;
    }
    ctx_.timerExpired();
    if (DeviceOperation* operation = running()) {
        operation->onTimeout();
    }
    reap();
}

// --- Frames.

void DeviceSession::onFrameReceived(ReceivedFrame received) {
    // The frame is released on every path when `received` goes out of scope.
    if (!received.frame) {
        return;
    }
    const ProtocolFrame& frame = *received.frame;
    if (ctx_.links.trace) {
        const std::span<const std::uint8_t> bytes{frame.bytes.data(),
                                                  std::min(received.count, kFrameCapacity)};
        ctx_.links.trace->dumpFrame(bytes, FrameDirection::In, passwordBytes(bytes));
    }
    if (!frameHasKnownType(frame)) {
        ctx_.traceLine("Incorrect message structure!!!");
        return;
    }
    if (!frameVerify(frame)) {
        ctx_.traceLine("Incorrect message checksum!!!");
        return;
    }
    if (frame.type() == kFrameTypeEvent && frameFindField(frame, tag::RestartLoader)) {
        onRestartEvent(frame, true);
    } else if (frame.type() == kFrameTypeEvent && frameFindField(frame, tag::RestartCode)) {
        onRestartEvent(frame, false);
    } else {
        dispatch(frame);
    }
    reap();
}

void DeviceSession::onRestartEvent(const ProtocolFrame& frame, bool loader) {
    ctx_.stopTimer();
    ctx_.traceLine(loader ? "Restart loader" : "Restart code");
    ctx_.post(loader ? SessionProgress::RestartLoader : SessionProgress::RestartCode, 0);
    ctx_.setMonitoring(false);
    ctx_.restartCode =
        fieldFirstByte(frameFindField(frame, loader ? tag::RestartLoader : tag::RestartCode))
            .value_or(0);
    ctx_.takeRestartVersion(frame, loader);
    ctx_.sendAcknowledgement(loader ? tag::RestartLoaderAck : tag::RestartCodeAck);

    RestartKind kind = RestartKind::Code;
    if (loader) {
        kind = frameStatus(frame) == kStatusLoaderWaitsForFirmware
                   ? RestartKind::LoaderWaitsForFirmware
                   : RestartKind::Loader;
    }
    if (DeviceOperation* operation = running()) {
        // An operation waiting for the password goes no further: the question is moot.
        const RestartReply reply = operation->waitingForPassword()
                                       ? operation->DeviceOperation::onRestart(kind)
                                       : operation->onRestart(kind);
        if (reply != RestartReply::Ended) {
            return;
        }
    }
    if (kind == RestartKind::Code) {
        ctx_.idleState = SessionState::Ready;
        return;
    }
    ctx_.idleState = SessionState::LoaderRunning;
    if (kind == RestartKind::LoaderWaitsForFirmware) {
        ctx_.post(SessionProgress::LoaderWaitsForFirmware, 0);
        // No file yet: the host hands one over once the user has chosen and confirmed it.
        startOperation(std::make_unique<FlashLoadOperation>(ctx_, std::string()));
        return;
    }
    startOperation(std::make_unique<LoaderWaitOperation>(ctx_));
}

void DeviceSession::dispatch(const ProtocolFrame& frame) {
    DeviceOperation* operation = running();
    if (state() == SessionState::Ready) {
        onReadyFrame(frame, operation);
    } else if (operation) {
        operation->onFrame(frame);
    }
}

void DeviceSession::onReadyFrame(const ProtocolFrame& frame, DeviceOperation* operation) {
    if (frame.type() == kFrameTypeNegative) {
        ctx_.setResultHex(frameFindField(frame, tag::Status));
        if (operation) {
            operation->onFrame(frame);
        }
        return;
    }
    if (frame.type() != kFrameTypePositive) {
        return;
    }
    const bool taken = operation && operation->onFrame(frame);
    // What the converter reports in state Ready counts whether or not it was asked for.
    switch (readyAnswerField(frame)) {
    case tag::MonitorOn:
        if (const auto text = frameFindField(frame, tag::MonitorOn);
            text && !text->value.empty() && ctx_.links.monitor) {
            ctx_.links.monitor->appendMonitorText(text->value);
        }
        break;
    case tag::MonitorOff:
        ctx_.setMonitoring(false);
        break;
    case tag::SystemInfo:
        if (!taken) {
            ctx_.takeSystemInfo(frame);
        }
        break;
    default:
        break;
    }
}

// --- What the hosts read.

SessionState DeviceSession::state() const {
    const DeviceOperation* operation = running();
    return operation ? operation->state() : ctx_.idleState;
}

OperationKind DeviceSession::operation() const {
    const DeviceOperation* operation = running();
    return operation ? operation->kind() : OperationKind::None;
}

bool DeviceSession::waitingForPassword() const {
    const DeviceOperation* operation = running();
    return operation && operation->waitingForPassword();
}

bool DeviceSession::isResponding() const {
    return ctx_.linkUp() && state() != SessionState::Failed;
}

int DeviceSession::retryCount() const {
    const DeviceOperation* operation = running();
    return operation ? operation->retries() : 0;
}

int DeviceSession::packetNumber() const {
    const DeviceOperation* operation = running();
    if (const auto* read = dynamic_cast<const ConfigReadOperation*>(operation)) {
        return read->packet();
    }
    if (const auto* write = dynamic_cast<const ConfigWriteOperation*>(operation)) {
        return write->packet();
    }
    return 0;
}

std::int32_t DeviceSession::flashTotal() const {
    const DeviceOperation* operation = running();
    if (const auto* load = dynamic_cast<const FlashLoadOperation*>(operation)) {
        return load->total();
    }
    if (const auto* download = dynamic_cast<const FlashDownloadOperation*>(operation)) {
        return download->total();
    }
    return 0;
}

std::int32_t DeviceSession::flashOffset() const {
    const DeviceOperation* operation = running();
    if (const auto* load = dynamic_cast<const FlashLoadOperation*>(operation)) {
        return load->offset();
    }
    if (const auto* download = dynamic_cast<const FlashDownloadOperation*>(operation)) {
        return download->offset();
    }
    return 0;
}

int DeviceSession::flashPercent() const {
    const DeviceOperation* operation = running();
    if (const auto* load = dynamic_cast<const FlashLoadOperation*>(operation)) {
        return load->percent();
    }
    if (const auto* download = dynamic_cast<const FlashDownloadOperation*>(operation)) {
        return download->percent();
    }
    return 0;
}

} // namespace vandrel
