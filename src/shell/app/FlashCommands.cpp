#include "shell/app/FlashCommands.h"

#include "language/TextIds.h"
#include "protocol/FirmwareFile.h"
#include "shell/app/AppCore.h"
#include "shell/app/BusyState.h"
#include "shell/app/FileDialogMemory.h"
#include "shell/app/FlashProgressDialog.h"
#include "shell/app/FrameContext.h"
#include "shell/app/WaitDialog.h"
#include "shell/ui/Prompter.h"

namespace vandrel {

std::optional<std::string> FlashCommands::chooseFirmware() {
    const LanguageManager& language = frame_.core.language;
    FileDialogRequest request;
    request.title = language.Text(text::FirmwareOpenTitle);
    request.filter = language.Text(text::FirmwareFilter);
    const std::optional<FileChoice> chosen =
        askForFile(frame_.prompter, FileDialogKind::Open, request, filterIndex_,
                   frame_.core.windowSettings.browsePathCode);
    if (!chosen) {
        return std::nullopt;
    }
    return chosen->path.toStdString();
}

bool FlashCommands::confirmFirmware(const std::string& path) {
    const LanguageManager& language = frame_.core.language;
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

void FlashCommands::runProgress(int mode) {
    auto* dialog =
        new FlashProgressDialog(static_cast<FlashProgressDialog::Mode>(mode), frame_.core.language,
                                frame_.core.session, frame_.window);
    frame_.dialogs.progress = dialog;
    frame_.busy->enter();
    frame_.prompter.runDialog(*dialog);
    frame_.busy->leave();
    frame_.dialogs.progress = nullptr;
    delete dialog;
    frame_.refresh();
}

void FlashCommands::onFlashLoad() {
    const std::optional<std::string> firmware = chooseFirmware();
    if (!firmware || !confirmFirmware(*firmware)) {
        return;
    }
    if (!frame_.core.session.startFlashLoading(*firmware)) {
        return;
    }
    runProgress(static_cast<int>(FlashProgressDialog::Mode::Loading));
}

void FlashCommands::onFlashDownload() {
    const LanguageManager& language = frame_.core.language;
    FileDialogRequest request;
    request.title = language.Text(text::ImageSaveTitle);
    request.filter = language.Text(text::FirmwareFilter);
    request.defaultSuffix = QStringLiteral("BIN");
    request.confirmOverwrite = true;
    const std::optional<FileChoice> chosen =
        askForFile(frame_.prompter, FileDialogKind::Save, request, filterIndex_,
                   frame_.core.windowSettings.browsePathCode);
    if (!chosen) {
        return;
    }
    switch (frame_.core.session.startFlashDownloading(chosen->path.toStdString())) {
    case DeviceSession::DownloadStart::FileError:
        language.MessageBox(text::FlashDownloadFailed, text::CaptionError,
                            MessageStyle{MessageButtons::Ok, MessageIcon::Warning});
        return;
    case DeviceSession::DownloadStart::NoLink:
        return;
    case DeviceSession::DownloadStart::Started:
        break;
    }
    runProgress(static_cast<int>(FlashProgressDialog::Mode::Downloading));
}

void FlashCommands::onConverterWantsFirmware() {
    DeviceSession& session = frame_.core.session;
    frame_.busy->leave();
    if (frame_.dialogs.wait) {
        frame_.dialogs.wait->finish();
    }
    frame_.core.language.MessageBox(text::ConverterWantsFirmware, text::CaptionError,
                                    MessageStyle{MessageButtons::Ok, MessageIcon::Warning});
    const std::optional<std::string> firmware = chooseFirmware();
    if (!firmware || !confirmFirmware(*firmware)) {
        session.declineFirmware();
        return;
    }
    // The loading may have ended meanwhile (a restart, no answer); then there is nothing to send.
    if (!session.supplyFirmware(*firmware)) {
        return;
    }
    frame_.busy->enter();
    runProgress(static_cast<int>(FlashProgressDialog::Mode::Loading));
}

} // namespace vandrel
