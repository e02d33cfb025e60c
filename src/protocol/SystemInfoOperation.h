#pragma once

#include "protocol/DeviceOperation.h"

// Asks the converter for its firmware and loader versions and its active FLASH partition.
namespace vandrel {

class SystemInfoOperation : public DeviceOperation {
public:
    explicit SystemInfoOperation(OperationContext& context)
        : DeviceOperation(context, OperationKind::SystemInfo) {}

    SessionState state() const override { return SessionState::Ready; }
    // The request goes out without a link check of its own.
    bool prepare() override { return true; }
    void begin() override { sendStep(false); }

private:
    void emitRequest(bool repeat) override;
    int timeoutMs() const override { return kResponseTimeoutMs; }
    bool handleAnswer(const ProtocolFrame& frame) override;
    void advance() override {}
    SessionProgress endCode() const override { return SessionProgress::SystemInfoEnded; }
    void describe(OperationResult& result) const override;

    bool taken_ = false;
};

} // namespace vandrel
