#pragma once

#include <optional>
#include <string>

namespace vandrel {

struct AppCore;
class DeviceOperations;
class Prompter;

// The user's side of the FLASH transfers: the file dialogs, the firmware header check and the
// question before loading. The transfers themselves belong to the device operations.
class FlashCommands {
public:
    FlashCommands(AppCore& core, Prompter& prompter, DeviceOperations& operations)
        : core_(core), prompter_(prompter), operations_(operations) {}

    void onFlashLoad();
    void onFlashDownload();
    // The converter's loader waits for firmware: the file for it is chosen, checked and
    // confirmed, or the loading is declined.
    void chooseFirmwareForConverter();

    int filterIndex() const { return filterIndex_; }

private:
    // The firmware file dialog; none on Cancel.
    std::optional<std::string> chooseFirmware();
    // Header check and the question; false when the file is refused or the user says no.
    bool confirmFirmware(const std::string& path);

    AppCore& core_;
    Prompter& prompter_;
    DeviceOperations& operations_;
    int filterIndex_ = 1;
};

} // namespace vandrel
