#pragma once

// The main window's command ids. Menu entries, toolbar buttons, shortcuts and the command-state
// table all refer to commands by these numbers; the recent files take one id each from
// FileRecentFirst up.
namespace vandrel::cmd {

inline constexpr int FileNew = 0xE100;
inline constexpr int FileOpen = 0xE101;
inline constexpr int FileClose = 0xE102;
inline constexpr int FileSave = 0xE103;
inline constexpr int FileSaveAs = 0xE104;
inline constexpr int FileRecentFirst = 0xE110;
inline constexpr int FileRecentLast = 0xE11F;
inline constexpr int EditClear = 0xE121;
inline constexpr int EditCopy = 0xE122;
inline constexpr int EditFind = 0xE124;
inline constexpr int EditSelectAll = 0xE12A;
inline constexpr int AppAbout = 0xE140;
inline constexpr int AppExit = 0xE141;
inline constexpr int HelpIndex = 0xE142;
inline constexpr int NextPane = 0xE150;
inline constexpr int PreviousPane = 0xE151;
inline constexpr int DeviceReset = 0x8007;
inline constexpr int NextTab = 0x8015;
inline constexpr int PreviousTab = 0x8016;
inline constexpr int ConfigTabToFront = 0x8017;
inline constexpr int FindNext = 0x8018;
inline constexpr int SaveLog = 0x801E;
inline constexpr int SaveToFile = 0x8003;
inline constexpr int MonitorTab = 0x802A;
inline constexpr int Port = 0x802D;
inline constexpr int AccessPassword = 0x802E;
inline constexpr int Language = 0x802F;
inline constexpr int FlashDownload = 0x8030;
inline constexpr int FlashLoad = 0x8031;
inline constexpr int ReadBackAfterWrite = 0x8040;
inline constexpr int FileCompare = 0x8041;
inline constexpr int RestoreBackup = 0x8042;
inline constexpr int ReviewBeforeWrite = 0x8043;
inline constexpr int BackupBeforeWrite = 0x8044;

} // namespace vandrel::cmd
