// The answer policy every operation follows.
#include "protocol/DeviceOperation.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"

namespace vandrel {

bool DeviceOperation::onFrame(const ProtocolFrame& frame) {
    if (ended_) {
        return false;
    }
    if (frame.type() == kFrameTypeNegative) {
        if (!takesRefusalItself(frame)) {
            refusal(frame);
        }
        return true;
    }
    return handleAnswer(frame);
}

void DeviceOperation::onTimeout() {
    if (ended_) {
        return;
    }
    ctx_.traceLine("Timer timeout!");
    if (settling_) {
        settling_ = false;
        advance();
        return;
    }
    if (paused_) {
        return; // no timer runs while the password is asked
    }
    if (retries_ >= kRetryLimit) {
        giveUp();
        return;
    }
    resend();
}

RestartReply DeviceOperation::onRestart(RestartKind kind) {
    OperationResult result;
    result.outcome = Outcome::CutShortByRestart;
    result.restart = kind;
    finish(std::move(result),
           kind == RestartKind::Code ? SessionState::Ready : SessionState::LoaderRunning);
    return RestartReply::Ended;
}

void DeviceOperation::answerPassword(bool entered) {
    if (ended_ || !paused_) {
        return;
    }
    paused_ = false;
    if (!entered) {
        passwordCancelled();
        return;
    }
    repeatOrRefuse();
}

void DeviceOperation::passwordCancelled() {
    ctx_.post(endCode(), result::PasswordCancelled);
    finish(Outcome::PasswordCancelled);
}

void DeviceOperation::cancel() {
    finish(Outcome::Cancelled);
}

void DeviceOperation::linkLost() {
    if (ended_) {
        return;
    }
    ctx_.traceLine("Operation failed!");
    finish(Outcome::LinkLost, SessionState::Failed);
}

void DeviceOperation::replace() {
    if (!ended_) {
        finish(Outcome::Replaced);
    }
}

void DeviceOperation::sendStep(bool repeat) {
    if (repeat) {
        ++retries_;
    } else {
        retries_ = 0;
        copies_ = 0;
        answers_ = 0;
    }
    settling_ = false;
    emitRequest(repeat);
    ++copies_;
    ctx_.startTimer(timeoutMs());
}

void DeviceOperation::nextStep() {
    if (!ctx_.linkUp()) {
        linkLost();
        return;
    }
    sendStep(false);
}

void DeviceOperation::resend() {
    if (!ctx_.linkUp()) {
        linkLost();
        return;
    }
    sendStep(true);
}

void DeviceOperation::waitFor(int milliseconds) {
    retries_ = kRetryLimit;
    settling_ = false;
    ctx_.startTimer(milliseconds);
}

bool DeviceOperation::takeAnswer() {
    if (ended_ || paused_) {
        return false;
    }
    if (settling_) {
        dropDuplicate();
        return false;
    }
    ctx_.stopTimer();
    ++answers_;
    return true;
}

void DeviceOperation::answered(bool namedItsStep) {
    if (ended_) {
        return;
    }
    if (!namedItsStep && answers_ < copies_) {
        settling_ = true;
        ctx_.startTimer(timeoutMs());
        return;
    }
    advance();
}

void DeviceOperation::dropDuplicate() {
    ++answers_;
    ctx_.traceLine("Duplicate answer dropped");
    if (answers_ >= copies_) {
        ctx_.stopTimer();
        settling_ = false;
        advance();
    }
}

bool DeviceOperation::takesRefusalItself(const ProtocolFrame&) {
    return false;
}

bool DeviceOperation::onRefusal(const ProtocolFrame&) {
    return false;
}

void DeviceOperation::refusal(const ProtocolFrame& frame) {
    if (paused_) {
        return; // an earlier copy's answer: the step goes again once the password is known
    }
    if (settling_) {
        dropDuplicate();
        return;
    }
    ctx_.stopTimer();
    ++answers_;
    refusalStatus_ = hexText(frameFindField(frame, tag::Status), kMaxResultBytes);
    if (onRefusal(frame)) {
        return;
    }
    if (frameStatus(frame) == kStatusAccessDenied && asksPassword()) {
        if (retries_ == kRetryLimit) {
            retries_ = kRetryLimit - 1; // one more attempt with the new password
        }
        paused_ = true;
        if (!ctx_.askPassword()) {
            answerPassword(false);
        }
        return;
    }
    repeatOrRefuse();
}

void DeviceOperation::repeatOrRefuse() {
    if (retries_ < kRetryLimit) {
        resend();
        return;
    }
    ctx_.setResultHex(refusalStatus_);
    refusedPastLimit();
}

void DeviceOperation::refusedPastLimit() {
    ctx_.post(endCode(), result::Failed);
    finish(Outcome::Refused);
}

void DeviceOperation::giveUp() {
    ctx_.traceLine("Operation failed!");
    ctx_.post(SessionProgress::GaveUp, 0);
    finish(Outcome::GaveUp, SessionState::Failed);
}

void DeviceOperation::describe(OperationResult&) const {}

void DeviceOperation::finish(Outcome outcome, SessionState idle) {
    OperationResult result;
    result.outcome = outcome;
    finish(std::move(result), idle);
}

void DeviceOperation::finish(OperationResult result, SessionState idle) {
    if (ended_) {
        return;
    }
    ended_ = true;
    paused_ = false;
    settling_ = false;
    ctx_.stopTimer();
    release();
    result.kind = kind_;
    if ((result.outcome == Outcome::Refused || result.outcome == Outcome::PasswordRefused) &&
        result.status.empty()) {
        result.status = ctx_.resultHex();
    }
    describe(result);
    ctx_.idleState = idle;
    ctx_.end(std::move(result));
}

} // namespace vandrel
