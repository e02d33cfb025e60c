#include "shell/app/DocumentCommands.h"

#include "config/ConverterConfig.h"
#include "configview/ConfigDocument.h"
#include "configview/ConfigView.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "protocol/DeviceSession.h"
#include "settings/RecentFileList.h"
#include "settings/RegistryStore.h"
#include "settings/WindowSettings.h"
#include "shell/app/DeviceGateway.h"
#include "shell/app/DialogRunner.h"
#include "shell/app/FileDialogMemory.h"
#include "shell/app/WriteFlow.h"
#include "shell/ui/Prompter.h"

#include <QApplication>
#include <QFileInfo>

#include <algorithm>

namespace vandrel {

namespace {
constexpr int kMaxDroppedPath = 259;
}

void DocumentCommands::onFileNew() {
    if (!view_.QuerySave()) {
        return;
    }
    view_.OpenDocument();
}

void DocumentCommands::onFileOpen() {
    if (!view_.QuerySave()) {
        return;
    }
    switch (dialogs_.chooseSource(SourceMode::Open)) {
    case SourceChoice::Converter:
        gateway_.readConfiguration();
        return;
    case SourceChoice::File:
        break;
    default:
        return;
    }
    const LanguageManager& language = language_;
    FileDialogRequest request;
    request.title = language.Text(text::ConfigOpenTitle);
    request.filter = language.Text(text::ConfigFilter);
    const std::optional<FileChoice> chosen = askForFile(
        prompter_, FileDialogKind::Open, request, filterIndex_, windowSettings_.browsePathData);
    if (chosen && view_.OpenDocument(chosen->path)) {
        remember(chosen->path);
    }
}

void DocumentCommands::stampPassword() {
    document_.stampAccessPassword(gateway_.accessPassword());
}

void DocumentCommands::onFileSave() {
    if (!saveEnabled_()) {
        QApplication::beep();
        return;
    }
    if (!view_.CollectPage()) {
        return;
    }
    stampPassword();
    switch (dialogs_.chooseSource(SourceMode::Save)) {
    case SourceChoice::Converter: {
        // The document stays as it is: writing to the converter is no save.
        writes_.write(document_.record());
        return;
    }
    case SourceChoice::File:
        saveThroughDialog();
        return;
    default:
        return;
    }
}

void DocumentCommands::onSaveToFile() {
    if (!view_.CollectPage()) {
        return;
    }
    stampPassword();
    if (!document_.filePath().isEmpty()) {
        view_.SaveDocument();
        return;
    }
    saveThroughDialog();
}

void DocumentCommands::saveThroughDialog() {
    const LanguageManager& language = language_;
    FileDialogRequest request;
    request.title = language.Text(text::ConfigSaveTitle);
    request.filter = language.Text(text::ConfigFilter);
    request.defaultSuffix = QStringLiteral("DAT");
    request.fileName = document_.filePath();
    request.confirmOverwrite = true;
    const std::optional<FileChoice> chosen = askForFile(
        prompter_, FileDialogKind::Save, request, filterIndex_, windowSettings_.browsePathData);
    if (chosen && view_.SaveDocument(chosen->path)) {
        remember(chosen->path);
    }
}

void DocumentCommands::remember(const QString& path) {
    recent_.add(path);
    recent_.writeToRegistry(kSettingsKeyPath);
}

void DocumentCommands::onFileClose() {
    if (!view_.QuerySave()) {
        return;
    }
    view_.CloseDocument();
}

void DocumentCommands::onRecentFile(int commandId) {
    RecentFileList& recent = recent_;
    // The entry is taken before the save question: saving under a new name adds that name to
    // the list and moves every entry's command id.
    const QString path = recent.pathForCommand(commandId);
    if (path.isEmpty() || !view_.QuerySave()) {
        return;
    }
    const qsizetype index = recent.entries().indexOf(path);
    if (view_.OpenDocument(path)) {
        if (index >= 0) {
            recent.moveToNewest(static_cast<int>(index)); // rebuilds the menu
        } else {
            recent.add(path);
        }
        recent.writeToRegistry(kSettingsKeyPath);
        return;
    }
    if (index >= 0) {
        recent.removeAt(static_cast<int>(index)); // rebuilds the menu
        recent.writeToRegistry(kSettingsKeyPath);
    }
}

void DocumentCommands::onDropFiles(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    openFile(paths.first().left(kMaxDroppedPath));
}

void DocumentCommands::onCommandLineFile(const QString& path) {
    if (!path.isEmpty()) {
        // The recent files and the title want the whole path, whatever the working folder.
        openFile(QFileInfo(path).absoluteFilePath());
    }
}

void DocumentCommands::openFile(const QString& path) {
    // Cancel at the save question keeps the document: the new file must not discard its changes.
    if (!view_.QuerySave()) {
        return;
    }
    if (view_.OpenDocument(path)) {
        remember(path);
    }
}

} // namespace vandrel
