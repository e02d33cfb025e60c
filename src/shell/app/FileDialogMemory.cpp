#include "shell/app/FileDialogMemory.h"

namespace vandrel {

QString folderOf(const QString& path) {
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : path.left(cut + 1);
}

std::optional<FileChoice> askForFile(Prompter& prompter, FileDialogKind kind,
                                     FileDialogRequest request, int& filterIndex, QString& folder) {
    request.filterIndex = filterIndex;
    request.folder = folder;
    std::optional<FileChoice> chosen = kind == FileDialogKind::Open
                                           ? prompter.getOpenFileName(request)
                                           : prompter.getSaveFileName(request);
    if (chosen) {
        filterIndex = chosen->filterIndex;
        folder = folderOf(chosen->path);
    }
    return chosen;
}

void askForFileLater(Prompter& prompter, QWidget* parent, FileDialogRequest request,
                     int& filterIndex, QString& folder,
                     std::function<void(std::optional<FileChoice>)> chosen) {
    request.filterIndex = filterIndex;
    request.folder = folder;
    int* index = &filterIndex;
    QString* remembered = &folder;
    prompter.openFileName(request, parent,
                          [index, remembered, chosen](std::optional<FileChoice> choice) {
                              if (choice) {
                                  *index = choice->filterIndex;
                                  *remembered = folderOf(choice->path);
                              }
                              chosen(std::move(choice));
                          });
}

} // namespace vandrel
