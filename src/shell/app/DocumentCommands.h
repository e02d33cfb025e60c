#pragma once

#include <QString>
#include <QStringList>

namespace vandrel {

struct FrameContext;

// The File commands around the configuration document: New, Open (converter or file), Save
// (converter or file), save to the current file, Close, the recent files and dropped files.
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

    // Shared by the open and save dialogs of configuration files for the rest of the run.
    int filterIndex() const { return filterIndex_; }

    // The document name of a file path: its name and extension.
    static QString documentName(const QString& path);

private:
    // Copies the session's access password into the record's password field.
    void stampPassword();
    void saveThroughDialog();
    void remember(const QString& path);

    FrameContext& frame_;
    int filterIndex_ = 1;
};

} // namespace vandrel
