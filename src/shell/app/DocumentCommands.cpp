#include "shell/app/DocumentCommands.h"

#include "config/ConverterConfig.h"
#include "configview/ConfigDocument.h"
#include "configview/ConfigView.h"
#include "language/TextIds.h"
#include "settings/RecentFileList.h"
#include "settings/RegistryStore.h"
#include "shell/app/AppCore.h"
#include "shell/app/DialogRunner.h"
#include "shell/app/FileDialogMemory.h"
#include "shell/app/FrameContext.h"
#include "shell/ui/Prompter.h"

#include <QApplication>
#include <QFileInfo>

#include <algorithm>

namespace vandrel {

namespace {
constexpr int kMaxDroppedPath = 259;
}

void DocumentCommands::onFileNew() {
    if (!frame_.view->QuerySave()) {
        return;
    }
    frame_.view->OpenDocument();
}

void DocumentCommands::onFileOpen() {
    if (!frame_.view->QuerySave()) {
        return;
    }
    switch (frame_.dialogRunner->chooseSource(SourceMode::Open)) {
    case SourceChoice::Converter:
        frame_.core.session.requestConfigRead(false);
        return;
    case SourceChoice::File:
        break;
    default:
        return;
    }
    const LanguageManager& language = frame_.core.language;
    FileDialogRequest request;
    request.title = language.Text(text::ConfigOpenTitle);
    request.filter = language.Text(text::ConfigFilter);
    const std::optional<FileChoice> chosen =
        askForFile(frame_.prompter, FileDialogKind::Open, request, filterIndex_,
                   frame_.core.windowSettings.browsePathData);
    if (chosen && frame_.view->OpenDocument(chosen->path)) {
        remember(chosen->path);
    }
}

void DocumentCommands::stampPassword() {
    frame_.document->stampAccessPassword(frame_.core.session.accessPassword);
}

void DocumentCommands::onFileSave() {
    if (!frame_.saveEnabled()) {
        QApplication::beep();
        return;
    }
    if (!frame_.view->CollectPage()) {
        return;
    }
    stampPassword();
    switch (frame_.dialogRunner->chooseSource(SourceMode::Save)) {
    case SourceChoice::Converter: {
        // The document stays as it is: writing to the converter is no save.
        const ConverterConfig& record = frame_.document->record();
        ConfigImage image;
        std::copy(record.bytes.begin(), record.bytes.end(), image.begin());
        frame_.core.session.requestConfigWrite(&image, false);
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
    if (!frame_.view->CollectPage()) {
        return;
    }
    stampPassword();
    if (!frame_.document->filePath().isEmpty()) {
        frame_.view->SaveDocument();
        return;
    }
    saveThroughDialog();
}

void DocumentCommands::saveThroughDialog() {
    const LanguageManager& language = frame_.core.language;
    FileDialogRequest request;
    request.title = language.Text(text::ConfigSaveTitle);
    request.filter = language.Text(text::ConfigFilter);
    request.defaultSuffix = QStringLiteral("DAT");
    request.fileName = frame_.document->filePath();
    request.confirmOverwrite = true;
    const std::optional<FileChoice> chosen =
        askForFile(frame_.prompter, FileDialogKind::Save, request, filterIndex_,
                   frame_.core.windowSettings.browsePathData);
    if (chosen && frame_.view->SaveDocument(chosen->path)) {
        remember(chosen->path);
    }
}

void DocumentCommands::remember(const QString& path) {
    frame_.recent->add(path);
    frame_.recent->writeToRegistry(kSettingsKeyPath);
}

void DocumentCommands::onFileClose() {
    if (!frame_.view->QuerySave()) {
        return;
    }
    frame_.view->CloseDocument();
}

void DocumentCommands::onRecentFile(int commandId) {
    RecentFileList& recent = *frame_.recent;
    // The entry is taken before the save question: saving under a new name adds that name to
    // the list and moves every entry's command id.
    const QString path = recent.pathForCommand(commandId);
    if (path.isEmpty() || !frame_.view->QuerySave()) {
        return;
    }
    const qsizetype index = recent.entries().indexOf(path);
    if (frame_.view->OpenDocument(path)) {
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
    if (!frame_.view->QuerySave()) {
        return;
    }
    if (frame_.view->OpenDocument(path)) {
        remember(path);
    }
}

} // namespace vandrel
