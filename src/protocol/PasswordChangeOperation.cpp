#include "protocol/PasswordChangeOperation.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"
#include "protocol/RequestFrames.h"

namespace vandrel {

void PasswordChangeOperation::emitRequest(bool) {
    ctx_.sendRequest(passwordChangeRequest(ctx_, newPassword_, currentPassword_), {});
    ctx_.post(SessionProgress::PasswordChangeSent, 0);
}

bool PasswordChangeOperation::handleAnswer(const ProtocolFrame& frame) {
    if (frame.type() != kFrameTypePositive || readyAnswerField(frame) != tag::NewPassword ||
        !takeAnswer()) {
        return false;
    }
    ctx_.accessPassword = newPassword_;
    ctx_.post(SessionProgress::PasswordChangeEnded, result::Success);
    finish(Outcome::Done);
    return true;
}

bool PasswordChangeOperation::onRefusal(const ProtocolFrame& frame) {
    if (frameStatus(frame) != kStatusAccessDenied) {
        return false;
    }
    ctx_.post(SessionProgress::PasswordChangeEnded, result::PasswordRefused);
    finish(Outcome::PasswordRefused);
    return true;
}

} // namespace vandrel
