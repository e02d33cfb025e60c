#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace vandrel {

class ConfigDocument;
class ConfigView;
class DeviceGateway;
class DialogRunner;
class LanguageManager;
class Prompter;
class RecentFileList;
class WindowSettings;
class WriteFlow;

// The File commands around the configuration document: New, Open (converter or file), Save
// (converter, reviewed and backed up as the settings say, or file), save to the current file,
// Close, the recent files, dropped files and a file named on the command line. The window title
// follows the document by itself.
class DocumentCommands {
public:
    // `saveEnabled` says whether Save is enabled in the command-state table.
    DocumentCommands(ConfigDocument& document, ConfigView& view, DeviceGateway& gateway,
                     WriteFlow& writes, DialogRunner& dialogs, Prompter& prompter,
                     const LanguageManager& language, WindowSettings& windowSettings,
                     RecentFileList& recent, std::function<bool()> saveEnabled)
        : document_(document), view_(view), gateway_(gateway), writes_(writes), dialogs_(dialogs),
          prompter_(prompter), language_(language), windowSettings_(windowSettings),
          recent_(recent), saveEnabled_(std::move(saveEnabled)) {}

    void onFileNew();
    void onFileOpen();
    void onFileSave();
    void onSaveToFile();
    void onFileClose();
    void onRecentFile(int commandId);
    void onDropFiles(const QStringList& paths);
    // A file named on the command line at start-up: opened as File > Open opens it, with the
    // same checks and messages, and added to the recent files.
    void onCommandLineFile(const QString& path);

    // Shared by the open and save dialogs of configuration files for the rest of the run.
    int filterIndex() const { return filterIndex_; }

private:
    // Copies the session's access password into the record's password field.
    void stampPassword();
    void saveThroughDialog();
    // Opens `path` after the save question; on success it goes into the recent files.
    void openFile(const QString& path);
    void remember(const QString& path);

    ConfigDocument& document_;
    ConfigView& view_;
    DeviceGateway& gateway_;
    WriteFlow& writes_;
    DialogRunner& dialogs_;
    Prompter& prompter_;
    const LanguageManager& language_;
    WindowSettings& windowSettings_;
    RecentFileList& recent_;
    std::function<bool()> saveEnabled_;
    int filterIndex_ = 1;
};

} // namespace vandrel
