#pragma once

#include "cli/DeviceCommand.h"
#include "config/ConverterConfig.h"

#include <optional>
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
// code; with `verify`, the configuration is read back and compared. With a backup folder, the
// configuration the converter holds is read and saved there first, and nothing is written
// unless that backup is on disk.
class WriteCommand final : public DeviceCommand {
public:
    WriteCommand(const ConverterConfig& record, bool verify,
                 std::optional<std::string> backupFolder = std::nullopt)
        : record_(record), verify_(verify), backupFolder_(std::move(backupFolder)) {}
    void begin(CliDevice& device) override;
    bool onEnded(CliDevice& device, const OperationResult& result) override;

private:
    // Saves the configuration read; false (and the command finished) when it could not be.
    bool saveBackup(CliDevice& device, const OperationResult& result);

    ConverterConfig record_;
    bool verify_;
    std::optional<std::string> backupFolder_;
    bool backedUp_ = false;
};

} // namespace vandrel
