#pragma once

#include "cli/DeviceCommand.h"

#include <string>

namespace vandrel {

// info: the system information as three lines.
class InfoCommand final : public DeviceCommand {
public:
    void begin(CliDevice& device) override;
    bool onEnded(CliDevice& device, const OperationResult& result) override;
};

// reset: resets the converter and waits until its application code runs again.
class ResetCommand final : public DeviceCommand {
public:
    void begin(CliDevice& device) override;
    bool onEnded(CliDevice& device, const OperationResult& result) override;
};

// passwd: changes the access password.
class PasswdCommand final : public DeviceCommand {
public:
    explicit PasswdCommand(std::string newPassword) : newPassword_(std::move(newPassword)) {}
    void begin(CliDevice& device) override;
    bool onEnded(CliDevice& device, const OperationResult& result) override;

private:
    std::string newPassword_;
};

} // namespace vandrel
