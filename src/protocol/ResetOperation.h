#pragma once

#include "protocol/DeviceOperation.h"
#include "protocol/ResetSteps.h"

// Resets the converter and waits until its application code runs again.
namespace vandrel {

class ResetOperation : public DeviceOperation {
public:
    explicit ResetOperation(OperationContext& context)
        : DeviceOperation(context, OperationKind::Reset) {}

    SessionState state() const override { return steps_.state(); }
    void begin() override;
    RestartReply onRestart(RestartKind kind) override;

private:
    void emitRequest(bool repeat) override;
    int timeoutMs() const override { return kResetTimeoutMs; }
    bool handleAnswer(const ProtocolFrame& frame) override;
    void advance() override {}
    bool asksPassword() const override { return true; }
    SessionProgress endCode() const override { return SessionProgress::ResetSent; }
    bool takesRefusalItself(const ProtocolFrame& frame) override;
    void giveUp() override;

    ResetSteps steps_;
};

} // namespace vandrel
