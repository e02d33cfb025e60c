#include "shell/app/FlashCommands.h"

#include "language/LanguageManager.h"
#include "language/TextFormat.h"
#include "language/TextIds.h"
#include "protocol/FirmwareFile.h"
#include "settings/WindowSettings.h"
#include "shell/app/DeviceGateway.h"
#include "shell/app/FileDialogMemory.h"
#include "shell/ui/Prompter.h"

#include <QWidget>

namespace vandrel {
namespace {

FileDialogRequest firmwareRequest(const LanguageManager& language) {
    FileDialogRequest request;
    request.title = language.Text(text::FirmwareOpenTitle);
    request.filter = language.Text(text::FirmwareFilter);
    return request;
}

} // namespace

FlashCommands::FlashCommands(const LanguageManager& language, WindowSettings& windowSettings,
                             Prompter& prompter, DeviceGateway& gateway, QWidget* window)
    : QObject(window), language_(language), windowSettings_(windowSettings), prompter_(prompter),
      gateway_(gateway), window_(window) {}

std::optional<std::string> FlashCommands::chooseFirmware() {
    const std::optional<FileChoice> chosen =
        askForFile(prompter_, FileDialogKind::Open, firmwareRequest(language_), filterIndex_,
                   windowSettings_.browsePathCode);
    if (!chosen) {
        return std::nullopt;
    }
    return chosen->path.toStdString();
}

bool FlashCommands::confirmFirmware(const std::string& path) {
    std::string version;
    if (!checkFirmwareHeader(path, version)) {
        language_.MessageBox(text::FirmwareFileInvalid, text::CaptionError,
                             MessageStyle{MessageButtons::Ok, MessageIcon::Warning});
        return false;
    }
    const int answer =
        language_.FormatMessageBox(text::FlashLoadConfirmFormat, text::FlashLoadTitle,
                                   MessageStyle{MessageButtons::YesNo, MessageIcon::Warning},
                                   {FormatArg(QString::fromStdString(version))});
    return answer == ResultYes;
}

void FlashCommands::onFlashLoad() {
    const std::optional<std::string> path = chooseFirmware();
    if (!path || !confirmFirmware(*path)) {
        return;
    }
    gateway_.startFlashLoading(*path);
}

void FlashCommands::onFlashDownload() {
    FileDialogRequest request;
    request.title = language_.Text(text::ImageSaveTitle);
    request.filter = language_.Text(text::FirmwareFilter);
    request.defaultSuffix = QStringLiteral("BIN");
    request.confirmOverwrite = true;
    const std::optional<FileChoice> chosen = askForFile(
        prompter_, FileDialogKind::Save, request, filterIndex_, windowSettings_.browsePathCode);
    if (chosen) {
        gateway_.startFlashDownloading(chosen->path.toStdString());
    }
}

void FlashCommands::chooseFirmwareForConverter() {
    const std::optional<MessageRequest> note =
        language_.Message(text::ConverterWantsFirmware, text::CaptionError,
                          MessageStyle{MessageButtons::Ok, MessageIcon::Warning});
    QPointer<FlashCommands> self(this);
    const auto chooseFile = [self] {
        if (!self) {
            return;
        }
        askForFileLater(self->prompter_, self->window_, firmwareRequest(self->language_),
                        self->filterIndex_, self->windowSettings_.browsePathCode,
                        [self](std::optional<FileChoice> chosen) {
                            if (!self) {
                                return;
                            }
                            if (!chosen) {
                                self->gateway_.declineFirmware();
                                return;
                            }
                            self->checkFirmwareForConverter(chosen->path.toStdString());
                        });
    };
    if (!note) {
        chooseFile();
        return;
    }
    prompter_.show(*note, window_, [chooseFile](int) { chooseFile(); });
}

void FlashCommands::checkFirmwareForConverter(const std::string& path) {
    QPointer<FlashCommands> self(this);
    std::string version;
    if (!checkFirmwareHeader(path, version)) {
        const std::optional<MessageRequest> refused =
            language_.Message(text::FirmwareFileInvalid, text::CaptionError,
                              MessageStyle{MessageButtons::Ok, MessageIcon::Warning});
        if (!refused) {
            gateway_.declineFirmware();
            return;
        }
        prompter_.show(*refused, window_, [self](int) {
            if (self) {
                self->gateway_.declineFirmware();
            }
        });
        return;
    }
    const FormatArg shown(QString::fromStdString(version));
    const std::optional<MessageRequest> question = language_.Message(
        text::FlashLoadConfirmFormat, text::FlashLoadTitle,
        MessageStyle{MessageButtons::YesNo, MessageIcon::Warning}, std::span(&shown, 1));
    if (!question) {
        gateway_.declineFirmware();
        return;
    }
    prompter_.show(*question, window_, [self, path](int answer) {
        if (!self) {
            return;
        }
        if (answer == ResultYes) {
            self->gateway_.supplyFirmware(path);
        } else {
            self->gateway_.declineFirmware();
        }
    });
}

} // namespace vandrel
