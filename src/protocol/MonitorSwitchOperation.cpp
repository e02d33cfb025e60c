#include "protocol/MonitorSwitchOperation.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"
#include "protocol/RequestFrames.h"

namespace vandrel {

void MonitorSwitchOperation::emitRequest(bool) {
    ctx_.sendRequest(monitorRequest(ctx_, on_), {});
    ctx_.post(SessionProgress::MonitorSent, 0);
}

bool MonitorSwitchOperation::handleAnswer(const ProtocolFrame& frame) {
    // Monitor output comes in the same field as the answer to switching it on; the session shows
    // it either way.
    if (frame.type() != kFrameTypePositive ||
        readyAnswerField(frame) != (on_ ? tag::MonitorOn : tag::MonitorOff) || !takeAnswer()) {
        return false;
    }
    ctx_.post(SessionProgress::MonitorEnded, result::Success);
    if (on_) {
        ctx_.setMonitoring(true);
    }
    finish(Outcome::Done);
    return true;
}

} // namespace vandrel
