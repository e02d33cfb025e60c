#include "protocol/SystemInfoOperation.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"
#include "protocol/RequestFrames.h"

namespace vandrel {

void SystemInfoOperation::emitRequest(bool) {
    ctx_.clearSystemInfo();
    ctx_.sendRequest(systemInfoRequest(ctx_), "Get system info");
    ctx_.post(SessionProgress::SystemInfoSent, 0);
}

bool SystemInfoOperation::handleAnswer(const ProtocolFrame& frame) {
    if (frame.type() != kFrameTypePositive || readyAnswerField(frame) != tag::SystemInfo ||
        !takeAnswer()) {
        return false;
    }
    ctx_.takeSystemInfo(frame);
    taken_ = true;
    ctx_.post(SessionProgress::SystemInfoEnded, result::Success);
    finish(Outcome::Done);
    return true;
}

void SystemInfoOperation::describe(OperationResult& result) const {
    if (taken_) {
        result.systemInfo = ctx_.systemInfo();
    }
}

} // namespace vandrel
