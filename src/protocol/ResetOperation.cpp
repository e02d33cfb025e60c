#include "protocol/ResetOperation.h"

namespace vandrel {

void ResetOperation::begin() {
    sendStep(false);
}

void ResetOperation::emitRequest(bool) {
    steps_.emit(ctx_);
}

bool ResetOperation::handleAnswer(const ProtocolFrame& frame) {
    if (steps_.stage() == ResetSteps::Stage::LoaderRunning) {
        ctx_.onLoaderFrame(frame);
        return true;
    }
    if (!steps_.isAcceptance(frame) || !takeAnswer()) {
        return false;
    }
    // The converter restarts now and announces itself; bound the wait for that.
    steps_.accepted();
    waitFor(kRestartWaitMs);
    return true;
}

bool ResetOperation::takesRefusalItself(const ProtocolFrame& frame) {
    return steps_.takesRefusal(ctx_, frame);
}

RestartReply ResetOperation::onRestart(RestartKind kind) {
    switch (kind) {
    case RestartKind::Code:
        finish(Outcome::Done);
        return RestartReply::EndedHandled;
    case RestartKind::Loader:
        steps_.loaderRunning();
        waitFor(kLoaderStartupTimeoutMs);
        return RestartReply::GoesOn;
    default:
        // The loader waits for firmware: the reset is over, the loading it asks for follows.
        return DeviceOperation::onRestart(kind);
    }
}

void ResetOperation::giveUp() {
    if (steps_.stage() != ResetSteps::Stage::LoaderRunning) {
        DeviceOperation::giveUp();
        return;
    }
    ctx_.post(SessionProgress::LoaderTimedOut, 0);
    finish(Outcome::GaveUp, SessionState::Failed);
}

} // namespace vandrel
