#include "protocol/ConfigReadOperation.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"
#include "protocol/RequestFrames.h"

namespace vandrel {

SessionState ConfigReadOperation::state() const {
    return reader_.complete() ? SessionState::Ready : SessionState::ConfigReading;
}

void ConfigReadOperation::begin() {
    sendStep(false);
}

void ConfigReadOperation::emitRequest(bool) {
    if (!reader_.complete()) {
        reader_.emit(ctx_);
        return;
    }
    ctx_.clearSystemInfo();
    ctx_.sendRequest(systemInfoRequest(ctx_), "Get system info");
    ctx_.post(SessionProgress::SystemInfoSent, 0);
}

bool ConfigReadOperation::handleAnswer(const ProtocolFrame& frame) {
    if (reader_.complete()) {
        if (frame.type() != kFrameTypePositive || readyAnswerField(frame) != tag::SystemInfo ||
            !takeAnswer()) {
            return false;
        }
        ctx_.takeSystemInfo(frame);
        systemInfoTaken_ = true;
        ctx_.post(SessionProgress::SystemInfoEnded, result::Success);
        finish(Outcome::Done);
        return true;
    }
    const PacketAnswer answer = reader_.classify(ctx_, frame);
    if (answer == PacketAnswer::NotAnswer) {
        return false;
    }
    if (answer == PacketAnswer::Stale || !takeAnswer()) {
        return true;
    }
    reader_.store(frame);
    if (reader_.complete()) {
        // The system information that follows cannot be taken for a packet: no wait.
        ctx_.post(SessionProgress::ConfigReadEnded, result::Success);
        nextStep();
        return true;
    }
    answered(answer == PacketAnswer::Named);
    return true;
}

void ConfigReadOperation::advance() {
    nextStep();
}

SessionProgress ConfigReadOperation::endCode() const {
    return reader_.complete() ? SessionProgress::SystemInfoEnded : SessionProgress::ConfigReadEnded;
}

void ConfigReadOperation::refusedPastLimit() {
    if (reader_.complete()) {
        ctx_.post(SessionProgress::SystemInfoEnded, result::Failed);
        systemInfoEnded(Outcome::Refused);
        return;
    }
    DeviceOperation::refusedPastLimit();
}

void ConfigReadOperation::giveUp() {
    if (reader_.complete()) {
        ctx_.traceLine("Operation failed!");
        ctx_.post(SessionProgress::GaveUp, 0);
        systemInfoEnded(Outcome::GaveUp);
        return;
    }
    DeviceOperation::giveUp();
}

RestartReply ConfigReadOperation::onRestart(RestartKind kind) {
    if (!reader_.complete() || ended()) {
        return DeviceOperation::onRestart(kind);
    }
    systemInfoEnded(Outcome::CutShortByRestart);
    return RestartReply::Ended;
}

void ConfigReadOperation::linkLost() {
    if (!reader_.complete() || ended()) {
        DeviceOperation::linkLost();
        return;
    }
    systemInfoEnded(Outcome::LinkLost);
}

void ConfigReadOperation::systemInfoEnded(Outcome outcome) {
    OperationResult result;
    result.outcome = Outcome::Done; // the configuration arrived; the step after it did not
    result.systemInfoOutcome = outcome;
    finish(std::move(result),
           outcome == Outcome::GaveUp ? SessionState::Failed : SessionState::Ready);
}

void ConfigReadOperation::describe(OperationResult& result) const {
    if (!reader_.complete()) {
        return;
    }
    result.config = reader_.image();
    if (systemInfoTaken_) {
        result.systemInfo = ctx_.systemInfo();
    }
}

} // namespace vandrel
