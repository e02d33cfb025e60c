#pragma once

#include <QString>
#include <QStringList>

namespace vandrel {

struct FrameContext;

// The File commands around the configuration document: New, Open (converter or file), Save
// (converter or file), save to the current file, Close, the recent files, dropped files and a
// file named on the command line. The window title follows the document by itself.
class DocumentCommands {
public:
    explicit DocumentCommands(FrameContext& frame) : frame_(frame) {}

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

    FrameContext& frame_;
    int filterIndex_ = 1;
};

} // namespace vandrel
