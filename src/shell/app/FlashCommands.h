#pragma once

#include <QString>

#include <optional>
#include <string>

namespace vandrel {

struct FrameContext;

// FLASH loading (user or converter started) and FLASH downloading: the file dialogs, the header
// check and question, and the modal progress dialog.
class FlashCommands {
public:
    explicit FlashCommands(FrameContext& frame) : frame_(frame) {}

    void onFlashLoad();
    void onFlashDownload();
    // The converter's loader waits for firmware; the session has already asked to start.
    void onConverterWantsFirmware();

    int filterIndex() const { return filterIndex_; }

private:
    // The firmware file dialog; none on Cancel.
    std::optional<std::string> chooseFirmware();
    // Header check and the question; false when the file is refused or the user says no.
    bool confirmFirmware(const std::string& path);
    // Runs the progress dialog modally between entering and leaving busy.
    void runProgress(int mode);

    FrameContext& frame_;
    int filterIndex_ = 1;
};

} // namespace vandrel
