#pragma once

#include "cli/DeviceCommand.h"
#include "cli/TransferProgress.h"

#include <string>

namespace vandrel {

// flash: loads a checked firmware file into the converter's FLASH.
class FlashCommand final : public DeviceCommand {
public:
    FlashCommand(std::string path, Console& console) : path_(std::move(path)), progress_(console) {}
    void begin(CliDevice& device) override;
    bool onProgress(CliDevice& device, SessionProgress code, int value) override;
    void interrupt(CliDevice& device) override;
    // The converter restarts into its loader while the loading is announced; the session then
    // asks again.
    bool expectsRestart() const override { return true; }

private:
    std::string path_;
    TransferProgress progress_;
    std::int64_t total_ = 0;
    bool cancelling_ = false;
};

// dump: the converter's FLASH image into a file.
class DumpCommand final : public DeviceCommand {
public:
    DumpCommand(std::string path, Console& console) : path_(std::move(path)), progress_(console) {}
    void begin(CliDevice& device) override;
    bool onProgress(CliDevice& device, SessionProgress code, int value) override;
    void interrupt(CliDevice& device) override;

private:
    std::string path_;
    TransferProgress progress_;
    std::int64_t total_ = 0;
};

} // namespace vandrel
