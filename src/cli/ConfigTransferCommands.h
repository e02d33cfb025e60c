#pragma once

#include "cli/DeviceCommand.h"
#include "cli/ResetWait.h"
#include "config/ConverterConfig.h"

#include <QString>

#include <optional>
#include <string>

namespace vandrel {

// read: the converter's configuration and the system information that follows it, saved as a
// configuration file.
class ReadCommand final : public DeviceCommand {
public:
    explicit ReadCommand(std::string path) : path_(std::move(path)) {}
    void begin(CliDevice& device) override;
    bool onProgress(CliDevice& device, SessionProgress code, int value) override;

private:
    // Saves the record with the device information (when the converter gave it) and ends with
    // `status` unless the file cannot be written.
    void save(CliDevice& device, bool withDeviceInfo, int status, const QString& message);

    std::string path_;
    std::optional<ConverterConfig> record_;
};

// write: a configuration file to the converter, then a reset and the wait for the application
// code; with `verify`, the configuration is read back and compared.
class WriteCommand final : public DeviceCommand {
public:
    WriteCommand(const ConverterConfig& record, bool verify) : record_(record), verify_(verify) {}
    void begin(CliDevice& device) override;
    bool onProgress(CliDevice& device, SessionProgress code, int value) override;
    bool expectsRestart() const override { return reset_.active(); }

private:
    enum class Phase { Writing, Resetting, Verifying };

    void verify(CliDevice& device);

    ConverterConfig record_;
    bool verify_;
    Phase phase_ = Phase::Writing;
    ResetWait reset_;
};

} // namespace vandrel
