#include "shell/app/BackupLocation.h"

#include "settings/WindowSettings.h"

#include <QDir>
#include <QStandardPaths>

namespace vandrel {

QString backupFolderPath(const WindowSettings& settings) {
    if (!settings.backupFolder.isEmpty()) {
        return settings.backupFolder;
    }
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("backups"));
}

} // namespace vandrel
