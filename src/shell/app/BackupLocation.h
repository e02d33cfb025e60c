#pragma once

#include <QString>

namespace vandrel {

class WindowSettings;

// The folder the window's backups go to: the one the settings name, else "backups" in the
// user's data folder.
QString backupFolderPath(const WindowSettings& settings);

} // namespace vandrel
