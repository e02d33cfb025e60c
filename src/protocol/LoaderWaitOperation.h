#pragma once

#include "protocol/DeviceOperation.h"

// The converter's loader announced itself on its own: the session waits for the application
// code, at most 15 seconds.
namespace vandrel {

class LoaderWaitOperation : public DeviceOperation {
public:
    explicit LoaderWaitOperation(OperationContext& context)
        : DeviceOperation(context, OperationKind::LoaderWait) {}

    SessionState state() const override { return SessionState::LoaderRunning; }
    bool prepare() override { return true; }
    void begin() override { waitFor(kLoaderStartupTimeoutMs); }
    RestartReply onRestart(RestartKind kind) override;

private:
    void emitRequest(bool) override {}
    int timeoutMs() const override { return kLoaderStartupTimeoutMs; }
    bool handleAnswer(const ProtocolFrame& frame) override;
    void advance() override {}
    SessionProgress endCode() const override { return SessionProgress::LoaderTimedOut; }
    bool takesRefusalItself(const ProtocolFrame& frame) override;
    void giveUp() override;
};

} // namespace vandrel
