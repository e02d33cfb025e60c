#include "protocol/MonitorCommandOperation.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"
#include "protocol/RequestFrames.h"

namespace vandrel {

void MonitorCommandOperation::emitRequest(bool) {
    ctx_.sendRequest(monitorTextRequest(ctx_, text_), {});
    ctx_.post(SessionProgress::MonitorSent, 0);
}

bool MonitorCommandOperation::handleAnswer(const ProtocolFrame& frame) {
    if (frame.type() != kFrameTypePositive || readyAnswerField(frame) != tag::MonitorText ||
        !takeAnswer()) {
        return false;
    }
    ctx_.post(SessionProgress::MonitorEnded, result::Success);
    finish(Outcome::Done);
    return true;
}

} // namespace vandrel
