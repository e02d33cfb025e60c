#pragma once

#include "protocol/DeviceOperation.h"

#include <string>

// Changes the converter's access password. The converter refusing the current password (status
// 0x9E) ends it at once: the password it refused is the one the user typed for this change.
namespace vandrel {

class PasswordChangeOperation : public DeviceOperation {
public:
    PasswordChangeOperation(OperationContext& context, std::string newPassword,
                            std::string currentPassword)
        : DeviceOperation(context, OperationKind::PasswordChange),
          newPassword_(std::move(newPassword)), currentPassword_(std::move(currentPassword)) {}

    SessionState state() const override { return SessionState::Ready; }
    void begin() override { sendStep(false); }

private:
    void emitRequest(bool repeat) override;
    int timeoutMs() const override { return kResponseTimeoutMs; }
    bool handleAnswer(const ProtocolFrame& frame) override;
    void advance() override {}
    SessionProgress endCode() const override { return SessionProgress::PasswordChangeEnded; }
    bool onRefusal(const ProtocolFrame& frame) override;

    std::string newPassword_;
    std::string currentPassword_;
};

} // namespace vandrel
