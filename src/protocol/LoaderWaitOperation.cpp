#include "protocol/LoaderWaitOperation.h"

namespace vandrel {

bool LoaderWaitOperation::handleAnswer(const ProtocolFrame& frame) {
    ctx_.onLoaderFrame(frame);
    return true;
}

bool LoaderWaitOperation::takesRefusalItself(const ProtocolFrame& frame) {
    ctx_.onLoaderFrame(frame);
    return true;
}

RestartReply LoaderWaitOperation::onRestart(RestartKind kind) {
    if (kind == RestartKind::Code) {
        finish(Outcome::Done);
        return RestartReply::EndedHandled;
    }
    // The loader again: the session starts a new wait (or the loading it asks for).
    return DeviceOperation::onRestart(kind);
}

void LoaderWaitOperation::giveUp() {
    ctx_.post(SessionProgress::LoaderTimedOut, 0);
    finish(Outcome::GaveUp, SessionState::Failed);
}

} // namespace vandrel
