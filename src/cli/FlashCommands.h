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
    bool onEnded(CliDevice& device, const OperationResult& result) override;
    void interrupt(CliDevice& device) override;
    // A loading cut short is reported, not started over: the converter may hold half of it.
    bool startsOverAfterRestart() const override { return false; }

private:
    std::string path_;
    TransferProgress progress_;
    std::int64_t total_ = 0;
    bool cancelling_ = false;
};

// dump: the converter's FLASH image into a file, which is replaced only by a complete image.
class DumpCommand final : public DeviceCommand {
public:
    DumpCommand(std::string path, Console& console) : path_(std::move(path)), progress_(console) {}
    void begin(CliDevice& device) override;
    bool onProgress(CliDevice& device, SessionProgress code, int value) override;
    bool onEnded(CliDevice& device, const OperationResult& result) override;
    void interrupt(CliDevice& device) override;

private:
    std::string path_;
    TransferProgress progress_;
    std::int64_t total_ = 0;
    bool cancelled_ = false;
};

} // namespace vandrel
