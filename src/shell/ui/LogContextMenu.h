#pragma once

class QMenu;
class QWidget;

namespace vandrel {

class LanguageManager;

// Commands of the log's context menu; each entry's action carries its command as data.
namespace logcmd {
constexpr int Copy = 0xE122;
constexpr int Clear = 0xE121;
constexpr int Find = 0xE124;
constexpr int FindNext = 0x8018;
constexpr int SelectAll = 0xE12A;
constexpr int SaveLog = 0x801E;
} // namespace logcmd

// A new context menu for the monitor log, translated: Copy (enabled when `canCopy`), Clear,
// Find, Find next, Select all, Save log. The caller owns it and runs the chosen command.
QMenu* createLogContextMenu(const LanguageManager& languages, bool canCopy,
                            QWidget* parent = nullptr);

} // namespace vandrel
