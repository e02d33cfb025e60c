#include "protocol/ConfigWriteOperation.h"

#include <algorithm>

namespace vandrel {

SessionState ConfigWriteOperation::state() const {
    switch (phase_) {
    case Phase::Writing:
        return SessionState::ConfigWriting;
    case Phase::Resetting:
        return reset_.state();
    case Phase::ReadingBack:
        return SessionState::ConfigReading;
    }
    return SessionState::ConfigWriting;
}

int ConfigWriteOperation::packet() const {
    return phase_ == Phase::ReadingBack ? reader_.packet() : writer_.packet();
}

void ConfigWriteOperation::begin() {
    sendStep(false);
}

void ConfigWriteOperation::emitRequest(bool) {
    switch (phase_) {
    case Phase::Writing:
        writer_.emit(ctx_);
        break;
    case Phase::Resetting:
        reset_.emit(ctx_);
        break;
    case Phase::ReadingBack:
        reader_.emit(ctx_);
        break;
    }
}

int ConfigWriteOperation::timeoutMs() const {
    return phase_ == Phase::Resetting ? kResetTimeoutMs : kResponseTimeoutMs;
}

SessionProgress ConfigWriteOperation::endCode() const {
    switch (phase_) {
    case Phase::Writing:
        return SessionProgress::ConfigWriteEnded;
    case Phase::Resetting:
        return SessionProgress::ResetSent;
    case Phase::ReadingBack:
        break;
    }
    return SessionProgress::ConfigReadEnded;
}

bool ConfigWriteOperation::handleAnswer(const ProtocolFrame& frame) {
    switch (phase_) {
    case Phase::Writing:
        return handlePacketAnswer(frame);
    case Phase::Resetting:
        return handleResetAnswer(frame);
    case Phase::ReadingBack:
        return handleReadBackAnswer(frame);
    }
    return false;
}

bool ConfigWriteOperation::handlePacketAnswer(const ProtocolFrame& frame) {
    const PacketAnswer answer = writer_.classify(ctx_, frame);
    if (answer == PacketAnswer::NotAnswer) {
        return false;
    }
    if (answer == PacketAnswer::Stale || !takeAnswer()) {
        return true;
    }
    writer_.acknowledged();
    if (writer_.complete()) {
        // The reset that follows cannot be taken for a packet: no wait.
        ctx_.post(SessionProgress::ConfigWriteEnded, result::Success);
        phase_ = Phase::Resetting;
        nextStep();
        return true;
    }
    answered(answer == PacketAnswer::Named);
    return true;
}

bool ConfigWriteOperation::handleResetAnswer(const ProtocolFrame& frame) {
    if (reset_.stage() == ResetSteps::Stage::LoaderRunning) {
        ctx_.onLoaderFrame(frame);
        return true;
    }
    if (!reset_.isAcceptance(frame) || !takeAnswer()) {
        return false;
    }
    reset_.accepted();
    waitFor(kRestartWaitMs);
    return true;
}

bool ConfigWriteOperation::handleReadBackAnswer(const ProtocolFrame& frame) {
    const PacketAnswer answer = reader_.classify(ctx_, frame);
    if (answer == PacketAnswer::NotAnswer) {
        return false;
    }
    if (answer == PacketAnswer::Stale || !takeAnswer()) {
        return true;
    }
    reader_.store(frame);
    if (!reader_.complete()) {
        answered(answer == PacketAnswer::Named);
        return true;
    }
    const ConfigImage& written = writer_.image();
    const ConfigImage& back = reader_.image();
    const auto [ours, theirs] = std::mismatch(written.begin(), written.end(), back.begin());
    found_ = ours == written.end() ? ReadBack::Identical : ReadBack::Differs;
    firstDifference_ = static_cast<std::size_t>(ours - written.begin());
    finish(Outcome::Done);
    return true;
}

bool ConfigWriteOperation::takesRefusalItself(const ProtocolFrame& frame) {
    return phase_ == Phase::Resetting && reset_.takesRefusal(ctx_, frame);
}

RestartReply ConfigWriteOperation::onRestart(RestartKind kind) {
    switch (phase_) {
    case Phase::Writing:
        // Part of the configuration may be written: the result says the write did not finish.
        return DeviceOperation::onRestart(kind);
    case Phase::Resetting:
        if (kind == RestartKind::Code) {
            return restarted();
        }
        if (kind == RestartKind::Loader) {
            reset_.loaderRunning();
            waitFor(kLoaderStartupTimeoutMs);
            return RestartReply::GoesOn;
        }
        return DeviceOperation::onRestart(kind);
    case Phase::ReadingBack:
        // A restart keeps the configuration written: it is read back again from its start once
        // the application code runs (a converter whose acknowledgement got lost repeats its
        // restart event, too).
        if (kind == RestartKind::LoaderWaitsForFirmware ||
            ++readBackRestarts_ > kMaxReadBackRestarts) {
            readBackEnded(Outcome::CutShortByRestart, kind == RestartKind::Code
                                                          ? SessionState::Ready
                                                          : SessionState::LoaderRunning);
            return RestartReply::Ended;
        }
        if (kind == RestartKind::Loader) {
            phase_ = Phase::Resetting;
            reset_.loaderRunning();
            waitFor(kLoaderStartupTimeoutMs);
            return RestartReply::GoesOn;
        }
        return restarted();
    }
    return RestartReply::Ended;
}

RestartReply ConfigWriteOperation::restarted() {
    if (!readBack_) {
        finish(Outcome::Done);
        return RestartReply::EndedHandled;
    }
    phase_ = Phase::ReadingBack;
    reader_.restart();
    nextStep();
    return ended() ? RestartReply::EndedHandled : RestartReply::GoesOn;
}

void ConfigWriteOperation::passwordCancelled() {
    if (phase_ != Phase::ReadingBack) {
        DeviceOperation::passwordCancelled();
        return;
    }
    readBackEnded(Outcome::PasswordCancelled, SessionState::Ready);
}

void ConfigWriteOperation::refusedPastLimit() {
    if (phase_ != Phase::ReadingBack) {
        DeviceOperation::refusedPastLimit();
        return;
    }
    readBackEnded(Outcome::Refused, SessionState::Ready);
}

void ConfigWriteOperation::giveUp() {
    if (phase_ == Phase::ReadingBack) {
        ctx_.traceLine("Operation failed!");
        readBackEnded(Outcome::GaveUp, SessionState::Failed);
        return;
    }
    if (phase_ == Phase::Resetting && reset_.stage() == ResetSteps::Stage::LoaderRunning) {
        ctx_.post(SessionProgress::LoaderTimedOut, 0);
        finish(Outcome::GaveUp, SessionState::Failed);
        return;
    }
    DeviceOperation::giveUp();
}

void ConfigWriteOperation::linkLost() {
    if (phase_ != Phase::ReadingBack || ended()) {
        DeviceOperation::linkLost();
        return;
    }
    ctx_.traceLine("Operation failed!");
    readBackEnded(Outcome::LinkLost, SessionState::Failed);
}

void ConfigWriteOperation::readBackEnded(Outcome outcome, SessionState idle) {
    // The configuration is written and in effect; only its check did not complete.
    found_ = ReadBack::Failed;
    readBackOutcome_ = outcome;
    finish(Outcome::Done, idle);
}

void ConfigWriteOperation::describe(OperationResult& result) const {
    result.written = writer_.complete();
    result.readBack = found_;
    result.firstDifference = firstDifference_;
    result.readBackOutcome = readBackOutcome_;
    if (found_ == ReadBack::Identical || found_ == ReadBack::Differs) {
        result.config = reader_.image();
    }
}

} // namespace vandrel
