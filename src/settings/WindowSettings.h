#pragma once

#include <QString>
#include <QtGlobal>
#include <limits>

namespace vandrel {

// The main window's normal rectangle, edges as signed 32-bit numbers.
struct WindowRect {
    qint32 left;
    qint32 top;
    qint32 right;
    qint32 bottom;

    bool operator==(const WindowRect&) const = default;
};

// The file dialogs' folders, the main window's placement, the splitter position and how many
// lines the monitor log window keeps. Loaded at start-up and saved once when the program ends.
class WindowSettings {
public:
    static constexpr int kPathBuffer = 260; // characters including the terminator
    // Left and top of a rectangle whose position the window system chooses.
    static constexpr qint32 kUseDefault = std::numeric_limits<qint32>::min();
    static constexpr WindowRect kDefaultRect{kUseDefault, kUseDefault, 0, 0};
    static constexpr qint32 kDefaultSplitterPos = 240;
    // Lines the monitor log window keeps; older lines wait in a file until the log is saved.
    static constexpr quint32 kDefaultLogLines = 100000;
    static constexpr quint32 kMinLogLines = 100;
    static constexpr quint32 kMaxLogLines = 1000000;

    WindowSettings();
    virtual ~WindowSettings() = default;

    // Reads the three folders (an empty one becomes the working folder), the rectangle from "x",
    // "y", "cx", "cy" (any negative or overflowing value gives kDefaultRect), "init maximized",
    // "splitter pos", "log lines" (kept within kMinLogLines..kMaxLogLines), "read back after
    // write", "review before write", "backup before write" (each on unless 0) and "backup
    // folder" (empty: the user's data folder). Always true.
    bool load();
    // Writes the same values in the same order; the store is created by the first save. Always
    // true.
    bool save() const;

    bool isDefaultPlacement() const { return rect == kDefaultRect; }

    QString browsePathData;
    QString browsePathCode;
    QString browsePathLog;
    WindowRect rect = kDefaultRect;
    bool maximized = false;
    bool toolbarVisible = true;   // never stored
    bool statusBarVisible = true; // never stored
    qint32 splitterPos = kDefaultSplitterPos;
    quint32 logLines = kDefaultLogLines;
    // A write to the converter reads the configuration back and compares.
    bool readBackAfterWrite = true;
    // A write from the window first shows what it changes on the converter.
    bool reviewBeforeWrite = true;
    // A write from the window first saves the converter's configuration as a backup.
    bool backupBeforeWrite = true;
    // Where the backups go; empty for the user's data folder.
    QString backupFolder;
};

} // namespace vandrel
