#include "shell/app/CompareCommand.h"

#include "config/ConfigFile.h"
#include "configview/CompareView.h"
#include "configview/ConfigComparison.h"
#include "configview/ConfigDocument.h"
#include "configview/ConfigView.h"
#include "language/LanguageManager.h"
#include "language/TextFormat.h"
#include "language/TextIds.h"
#include "settings/WindowSettings.h"
#include "shell/app/DeviceGateway.h"
#include "shell/app/DialogRunner.h"
#include "shell/app/FileDialogMemory.h"
#include "shell/ui/Prompter.h"

#include <QFile>
#include <QFileInfo>

namespace vandrel {

CompareCommand::CompareCommand(ConfigDocument& document, ConfigView& view, DeviceGateway& gateway,
                               DialogRunner& dialogs, Prompter& prompter,
                               const LanguageManager& language, WindowSettings& settings,
                               QWidget* window)
    : QObject(window), document_(document), view_(view), gateway_(gateway), dialogs_(dialogs),
      prompter_(prompter), language_(language), settings_(settings), window_(window) {}

CompareCommand::~CompareCommand() {
    delete shown_;
}

ConfigSide CompareCommand::documentSide() const {
    ConfigSide side{document_.record(), std::nullopt};
    // Only a configuration read from a converter or a file carries device information.
    const DeviceInfo& info = document_.deviceInfo();
    if (!VersionTextString(info.firmwareVersion).empty() ||
        !VersionTextString(info.loaderVersion).empty() ||
        info.systemInfoNumber != kUnknownPartition) {
        side.deviceInfo = info;
    }
    return side;
}

void CompareCommand::run() {
    if (shown_ || document_.isEmpty()) {
        return;
    }
    // The page in front counts with what it shows now.
    if (!view_.CollectPage()) {
        return;
    }
    switch (dialogs_.chooseSource(SourceMode::Compare)) {
    case SourceChoice::Converter: {
        QPointer<CompareCommand> self(this);
        gateway_.readForComparison([self](std::optional<ConverterSnapshot> snapshot) {
            if (self && snapshot) {
                self->show(ConfigSide{snapshot->record, snapshot->info},
                           self->language_.Text(text::SideConverter));
            }
        });
        return;
    }
    case SourceChoice::File:
        compareWithFile();
        return;
    default:
        return;
    }
}

void CompareCommand::compareWithFile() {
    FileDialogRequest request;
    request.title = language_.Text(text::ConfigOpenTitle);
    request.filter = language_.Text(text::ConfigFilter);
    const std::optional<FileChoice> chosen = askForFile(prompter_, FileDialogKind::Open, request,
                                                        filterIndex_, settings_.browsePathData);
    if (!chosen) {
        return;
    }
    ConfigSide file;
    DeviceInfo info;
    const int code =
        ReadConfigFile(QFile::encodeName(chosen->path).toStdString(), file.record,
                       &info.firmwareVersion, &info.loaderVersion, &info.systemInfoNumber);
    if (code != kConfigLoaded) {
        const FormatArg why(language_.Text(code == kConfigMissing ? text::ConfigFileMissing
                                                                  : text::ConfigFileDamaged));
        const std::optional<MessageRequest> message = language_.Message(
            text::ConfigReadFailedFormat, text::CaptionError,
            MessageStyle{MessageButtons::Ok, MessageIcon::Warning}, std::span(&why, 1));
        if (message) {
            prompter_.show(*message, window_);
        }
        return;
    }
    file.deviceInfo = info;
    show(file, QFileInfo(chosen->path).fileName());
}

void CompareCommand::show(const ConfigSide& other, const QString& otherCaption) {
    if (shown_) {
        return;
    }
    shown_ = new CompareView(CompareConfigurations(documentSide(), other, language_),
                             language_.Text(text::SideDocument), otherCaption,
                             CompareView::Purpose::Compare, language_, window_);
    CompareView* view = shown_;
    connect(view, &CompareView::controlWanted, this, &CompareCommand::controlWanted);
    prompter_.openDialog(*view, [this, view](int) {
        view->deleteLater();
        shown_ = nullptr;
    });
}

} // namespace vandrel
