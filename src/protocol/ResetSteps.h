#pragma once

#include "protocol/OperationContext.h"
#include "protocol/ProtocolFrame.h"
#include "protocol/SessionTypes.h"

// A reset and the converter's way back: the request, its acceptance, the loader's announcement
// and then the application code's. Used by the reset and by the configuration write, which ends
// with one.
namespace vandrel {

class ResetSteps {
public:
    enum class Stage {
        Requested,     // the reset request is outstanding
        Accepted,      // the converter took it and restarts
        LoaderRunning, // its loader announced itself; the application code is awaited
    };

    Stage stage() const { return stage_; }
    SessionState state() const {
        return stage_ == Stage::LoaderRunning ? SessionState::LoaderRunning
                                              : SessionState::Resetting;
    }

    void emit(OperationContext& ctx) const;
    // The converter's acceptance of the reset request.
    bool isAcceptance(const ProtocolFrame& frame) const;
    // Whether a refusal is the reset's own business once the request was taken (a late answer to
    // an earlier copy, or a frame for the loader that runs now) rather than the answer policy's.
    bool takesRefusal(OperationContext& ctx, const ProtocolFrame& frame) const;
    void accepted() { stage_ = Stage::Accepted; }
    void loaderRunning() { stage_ = Stage::LoaderRunning; }

private:
    Stage stage_ = Stage::Requested;
};

} // namespace vandrel
