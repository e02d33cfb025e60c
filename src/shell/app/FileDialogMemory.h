#pragma once

#include "shell/ui/Prompter.h"

#include <QString>

#include <functional>
#include <optional>

namespace vandrel {

// The folder part of a path, with its trailing slash; empty for a bare name.
QString folderOf(const QString& path);

enum class FileDialogKind { Open, Save };

// Asks for a file of one kind (configurations, firmware, logs) starting in the folder and with the
// filter chosen last time for that kind, and remembers both when the user picks a file.
std::optional<FileChoice> askForFile(Prompter& prompter, FileDialogKind kind,
                                     FileDialogRequest request, int& filterIndex, QString& folder);

// The same for an existing file, without waiting: `chosen` gets the answer. `filterIndex` and
// `folder` must outlive the dialog.
void askForFileLater(Prompter& prompter, QWidget* parent, FileDialogRequest request,
                     int& filterIndex, QString& folder,
                     std::function<void(std::optional<FileChoice>)> chosen);

} // namespace vandrel
