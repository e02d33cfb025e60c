#pragma once

#include "cli/DeviceCommand.h"
#include "config/ConverterConfig.h"

#include <string>

namespace vandrel {

// read: the converter's configuration and the system information that follows it, saved as a
// configuration file. The file is written only when the command succeeds; a configuration whose
// system information did not come is saved without it, with a warning.
class ReadCommand final : public DeviceCommand {
public:
    explicit ReadCommand(std::string path) : path_(std::move(path)) {}
    void begin(CliDevice& device) override;
    bool onEnded(CliDevice& device, const OperationResult& result) override;

private:
    std::string path_;
};

// write: a configuration file to the converter, then a reset and the wait for the application
// code; with `verify`, the configuration is read back and compared.
class WriteCommand final : public DeviceCommand {
public:
    WriteCommand(const ConverterConfig& record, bool verify) : record_(record), verify_(verify) {}
    void begin(CliDevice& device) override;
    bool onEnded(CliDevice& device, const OperationResult& result) override;

private:
    ConverterConfig record_;
    bool verify_;
};

} // namespace vandrel
