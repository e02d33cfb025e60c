#include "shell/app/FlashCommands.h"

#include "language/TextIds.h"
#include "protocol/FirmwareFile.h"
#include "shell/app/AppCore.h"
#include "shell/app/DeviceOperations.h"
#include "shell/app/FileDialogMemory.h"
#include "shell/ui/Prompter.h"

namespace vandrel {

std::optional<std::string> FlashCommands::chooseFirmware() {
    const LanguageManager& language = core_.language;
    FileDialogRequest request;
    request.title = language.Text(text::FirmwareOpenTitle);
    request.filter = language.Text(text::FirmwareFilter);
    const std::optional<FileChoice> chosen =
        askForFile(prompter_, FileDialogKind::Open, request, filterIndex_,
                   core_.windowSettings.browsePathCode);
    if (!chosen) {
        return std::nullopt;
    }
    return chosen->path.toStdString();
}

bool FlashCommands::confirmFirmware(const std::string& path) {
    const LanguageManager& language = core_.language;
    std::string version;
    if (!checkFirmwareHeader(path, version)) {
        language.MessageBox(text::FirmwareFileInvalid, text::CaptionError,
                            MessageStyle{MessageButtons::Ok, MessageIcon::Warning});
        return false;
    }
    const int answer =
        language.FormatMessageBox(text::FlashLoadConfirmFormat, text::FlashLoadTitle,
                                  MessageStyle{MessageButtons::YesNo, MessageIcon::Warning},
                                  {FormatArg(QString::fromStdString(version))});
    return answer == ResultYes;
}

void FlashCommands::onFlashLoad() {
    const std::optional<std::string> path = chooseFirmware();
    if (!path || !confirmFirmware(*path)) {
        return;
    }
    operations_.startFlashLoading(*path);
}

void FlashCommands::onFlashDownload() {
    const LanguageManager& language = core_.language;
    FileDialogRequest request;
    request.title = language.Text(text::ImageSaveTitle);
    request.filter = language.Text(text::FirmwareFilter);
    request.defaultSuffix = QStringLiteral("BIN");
    request.confirmOverwrite = true;
    const std::optional<FileChoice> chosen =
        askForFile(prompter_, FileDialogKind::Save, request, filterIndex_,
                   core_.windowSettings.browsePathCode);
    if (chosen) {
        operations_.startFlashDownloading(chosen->path.toStdString());
    }
}

void FlashCommands::chooseFirmwareForConverter() {
    core_.language.MessageBox(text::ConverterWantsFirmware, text::CaptionError,
                              MessageStyle{MessageButtons::Ok, MessageIcon::Warning});
    const std::optional<std::string> path = chooseFirmware();
    if (!path || !confirmFirmware(*path)) {
        operations_.declineFirmware();
        return;
    }
    operations_.supplyFirmware(*path);
}

} // namespace vandrel
