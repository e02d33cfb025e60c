#include "protocol/ResetSteps.h"

#include "protocol/FieldTags.h"
#include "protocol/RequestFrames.h"

namespace vandrel {

void ResetSteps::emit(OperationContext& ctx) const {
    ctx.sendRequest(resetRequest(ctx), "Device RESET");
    ctx.post(SessionProgress::ResetSent, 0);
}

bool ResetSteps::isAcceptance(const ProtocolFrame& frame) const {
    return stage_ == Stage::Requested && frame.type() == kFrameTypePositive &&
           frameFindField(frame, tag::Reset).has_value();
}

bool ResetSteps::takesRefusal(OperationContext& ctx, const ProtocolFrame& frame) const {
    switch (stage_) {
    case Stage::Requested:
        return false;
    case Stage::Accepted:
        return true; // a late answer to an earlier copy: the converter restarts anyway
    case Stage::LoaderRunning:
        ctx.onLoaderFrame(frame);
        return true;
    }
    return true;
}

} // namespace vandrel
