#pragma once

#include "protocol/ConfigPacketSteps.h"
#include "protocol/DeviceOperation.h"

// Reads the converter's configuration in five packets, then its system information.
namespace vandrel {

class ConfigReadOperation : public DeviceOperation {
public:
    explicit ConfigReadOperation(OperationContext& context)
        : DeviceOperation(context, OperationKind::ConfigRead) {}

    SessionState state() const override;
    void begin() override;
    RestartReply onRestart(RestartKind kind) override;
    void linkLost() override;
    int packet() const { return reader_.packet(); }

private:
    void emitRequest(bool repeat) override;
    int timeoutMs() const override { return kResponseTimeoutMs; }
    bool handleAnswer(const ProtocolFrame& frame) override;
    void advance() override;
    bool asksPassword() const override { return !reader_.complete(); }
    SessionProgress endCode() const override;
    void refusedPastLimit() override;
    void giveUp() override;
    void describe(OperationResult& result) const override;

    // The configuration is complete: the rest is the system information that follows it.
    void systemInfoEnded(Outcome outcome);

    ConfigPacketReader reader_;
    bool systemInfoTaken_ = false;
};

} // namespace vandrel
