#pragma once

#include "protocol/DeviceOperation.h"

#include <string>

// Sends one command line to the converter's system monitor.
namespace vandrel {

class MonitorCommandOperation : public DeviceOperation {
public:
    MonitorCommandOperation(OperationContext& context, std::string text)
        : DeviceOperation(context, OperationKind::MonitorCommand), text_(std::move(text)) {}

    SessionState state() const override { return SessionState::Ready; }
    void begin() override { sendStep(false); }
    const std::string& text() const { return text_; }

private:
    void emitRequest(bool repeat) override;
    int timeoutMs() const override { return kResponseTimeoutMs; }
    bool handleAnswer(const ProtocolFrame& frame) override;
    void advance() override {}
    bool asksPassword() const override { return true; }
    SessionProgress endCode() const override { return SessionProgress::MonitorEnded; }

    std::string text_; // at most 127 characters go out
};

} // namespace vandrel
