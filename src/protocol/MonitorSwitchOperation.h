#pragma once

#include "protocol/DeviceOperation.h"

// Switches the converter's system monitoring on or off.
namespace vandrel {

class MonitorSwitchOperation : public DeviceOperation {
public:
    MonitorSwitchOperation(OperationContext& context, bool on)
        : DeviceOperation(context, OperationKind::MonitorSwitch), on_(on) {}

    SessionState state() const override { return SessionState::Ready; }
    void begin() override { sendStep(false); }
    bool on() const { return on_; }
    // The same switch asked again before the converter answered: a re-send.
    void again() { resend(); }

private:
    void emitRequest(bool repeat) override;
    int timeoutMs() const override { return kResponseTimeoutMs; }
    bool handleAnswer(const ProtocolFrame& frame) override;
    void advance() override {}
    SessionProgress endCode() const override { return SessionProgress::MonitorEnded; }
    void describe(OperationResult& result) const override { result.monitoringOn = on_; }

    bool on_;
};

} // namespace vandrel
