#pragma once

#include <string_view>

// Every text the user sees is a number looked up in the language file. This is the one list
// of those numbers: named constants grouped by use, and AllTextIds, which the tests hold
// against every shipped language file. A format text records the argument kinds its call site
// passes, one letter per conversion in order: 's' a text, 'd' an integer.
//
// The language file has three sections with separate numbering: "strings" (namespace text),
// "menus" (text::menu, the labels of the menu descriptions) and "tooltips" (text::tip).
namespace vandrel::text {

// Program title, message captions, standard buttons
constexpr int AppTitle = 1; // also the caption of the save question
constexpr int CaptionError = 10;
constexpr int CaptionFatal = 11;
constexpr int CaptionDone = 12;
constexpr int CaptionConfirm = 13;
constexpr int CaptionIncomplete = 15; // a page refuses its values
constexpr int OutOfMemory = 20;
constexpr int NoAnswer = 21;
constexpr int FatalErrorFormat = 23; // s: text OutOfMemory
constexpr int LoaderNoAnswer = 24;
constexpr int DeviceRefusedFormat = 25; // s: the converter's status bytes in hex
constexpr int ButtonOk = 30;
constexpr int ButtonCancel = 31;
constexpr int ButtonYes = 32;
constexpr int ButtonNo = 33;

// Access password question and its cancellation
constexpr int PasswordTitle = 40;
constexpr int PasswordPrompt = 41;
constexpr int CaptionPassword = 60;
constexpr int PasswordMissing = 63;
constexpr int PasswordNotLatin1 = 64; // a password with a character the converter cannot take

// Serial port
constexpr int PortOpenFailedFormat = 100; // s: port name, s: one of the reasons below
constexpr int PortNotFound = 101;         // reason for open result 1
constexpr int PortAccessDenied = 102;     // reason for open result 2
constexpr int PortSettingsRefused = 103;  // reason for open result 3
constexpr int PortOtherError = 104;       // reason for open result 4
constexpr int PortThreadsFailed = 105;

// Status bar
constexpr int StatusLinkReady = 110;
constexpr int StatusLinkNoAnswer = 111;
constexpr int StatusLinkClosed = 112;
constexpr int StatusMonitorOn = 420;
constexpr int StatusMonitorOff = 421;

// Wait dialog while the converter restarts
constexpr int WaitNote = 120;
constexpr int WaitRestarting = 122;
constexpr int RestartTimedOut = 123; // the converter did not come back after a reset

// Firmware FLASH loading and downloading
constexpr int FirmwareOpenTitle = 200;
constexpr int ImageSaveTitle = 201;
constexpr int FirmwareFilter = 202;
constexpr int FlashLoadFailed = 203;
constexpr int FlashLoadCancelQuestion = 204;
constexpr int FlashLoadDone = 205;
constexpr int FlashDownloadFailed = 206;
constexpr int FlashDownloadCancelQuestion = 207;
constexpr int FlashDownloadDone = 208;
constexpr int FirmwareFileInvalid = 209;
constexpr int FlashLoadConfirmFormat = 210; // s: version text of the firmware file
constexpr int FlashLoadTitle = 220;         // progress dialog title and confirmation caption
constexpr int FlashDownloadTitle = 221;
constexpr int ConverterWantsFirmware = 250;

// System monitor and its log
constexpr int LogFilter = 303;
constexpr int SearchCaption = 304;
constexpr int SearchNotFoundFormat = 305; // s: the search text
constexpr int FindMatchCase = 306;
constexpr int FindWholeWord = 307;
constexpr int MonitorTab = 400; // tab text and caption of the save-log question
constexpr int SaveLogTitle = 401;
constexpr int SaveLogQuestion = 402;
constexpr int SaveLogFailed = 403;
constexpr int MonitorStart = 410;
constexpr int MonitorStop = 411;
constexpr int MonitorSend = 412;
constexpr int MonitorMask01 = 430;
constexpr int MonitorMask02 = 431;
constexpr int MonitorMask04 = 432;
constexpr int MonitorMask20 = 433;
constexpr int MonitorMask40 = 434;
constexpr int MonitorMask10 = 435;

// Configuration view and its page tree
constexpr int ConfigTab = 600;
constexpr int ConfigPaneTitle = 602;
constexpr int TreeRoot = 610;
constexpr int TreeRootBody = 611;
constexpr int TreeGroup1 = 612;
constexpr int TreeGroup1Body = 613;
constexpr int TreePage11 = 614;
constexpr int TreePage12 = 615;
constexpr int TreeGroup2 = 620;
constexpr int TreeGroup2Body = 621;
constexpr int TreePage21 = 622;
constexpr int TreePage22 = 623;
constexpr int TreePage23 = 624;
constexpr int TreePage24 = 625;
constexpr int TreeGroup4 = 640;
constexpr int TreeGroup4Body = 641;
constexpr int TreePage41 = 642;

// Configuration files and the document
constexpr int ConfigOpenTitle = 700;
constexpr int ConfigSaveTitle = 701;
constexpr int ConfigFilter = 702;
constexpr int UntitledDocument = 703;
constexpr int ConfigWriteFailed = 705;
constexpr int ConfigReadFailedFormat = 710; // s: ConfigFileMissing or ConfigFileDamaged
constexpr int ConfigFileMissing = 711;
constexpr int ConfigFileDamaged = 712;
constexpr int SaveChangesFormat = 720; // s: file path or UntitledDocument
// s: the file name; the document name of a configuration read from the converter into a file's
// document, which saving would replace
constexpr int ReadOverFileNameFormat = 721;
constexpr int SaveReadOverFileFormat = 722; // s: file path; the save question for that document

// Choice between the converter and a file
constexpr int SourceOpenTitle = 750;
constexpr int SourceOpenText = 751;
constexpr int SourceSaveTitle = 752;
constexpr int SourceSaveText = 753;
constexpr int SourceConverter = 755;
constexpr int SourceFile = 756;

// Page 11
constexpr int P11SelectLabel = 800;
constexpr int P11NumberLabel = 801;
constexpr int P11SelectFirst = 805;
constexpr int P11SelectSecond = 806;
constexpr int P11OptionsGroup = 810;
constexpr int P11OptionsFirst = 811;
constexpr int P11OptionsSecond = 812;
constexpr int P11ChoiceGroup = 820;
constexpr int P11Choice1 = 821;
constexpr int P11Choice2 = 822;
constexpr int P11Choice3 = 823;
constexpr int P11CountLabel = 830;
constexpr int P11Options2Group = 840;
constexpr int P11Options2First = 841;
constexpr int P11Options2Second = 842;

// Page 12
constexpr int P12Number1Label = 900;
constexpr int P12Number2Label = 901;
constexpr int P12NumberOptionA = 902;
constexpr int P12NumberOptionB = 905;
constexpr int P12FlagGroup = 910;
constexpr int P12FlagFirst = 911;
constexpr int P12FlagSecond = 912;
constexpr int P12Group920 = 920;
constexpr int P12Check921 = 921;
constexpr int P12Value1Label = 922;
constexpr int P12CodeSwitch = 923;
constexpr int P12CodeLabel = 924;
constexpr int P12Check925 = 925;
constexpr int P12DigitsSwitch = 926;
constexpr int P12DigitsLabel = 927;
constexpr int P12Value4Label = 928;
constexpr int P12Group930 = 930;
constexpr int P12Radio931 = 931;
constexpr int P12Radio932 = 932;
constexpr int P12Check939 = 939;
constexpr int P12ScaledLabel = 940;
constexpr int P12Refusal = 949;
constexpr int P12ListLabel = 950;
constexpr int P12ListFirst = 951; // entry i of the list has text P12ListFirst + i
constexpr int P12ListLast = 959;
constexpr int P12Group970 = 970;
constexpr int P12Check971 = 971;
constexpr int P12Check972 = 972;
constexpr int P12Value2Label = 973;
constexpr int P12Group980 = 980;
constexpr int P12Check981 = 981;
constexpr int P12Check982 = 982;
constexpr int P12Value3Label = 983;
constexpr int P12Check985 = 985;

// Page 21 (the column heading 1010 is shared with page 22)
constexpr int P21Switch1 = 1000;
constexpr int P21Code1OnLabel = 1001;
constexpr int P21Code1OffLabel = 1002;
constexpr int P21Switch2 = 1003;
constexpr int P21Code2OnLabel = 1004;
constexpr int P21Code2OffLabel = 1005;
constexpr int P21Switch3 = 1006;
constexpr int P21Code3OnLabel = 1007;
constexpr int P21Code3OffLabel = 1008;
constexpr int CodeColumnHeading = 1010;
constexpr int P21Note = 1011;
constexpr int P21Refusal = 1020;

// Page 22
constexpr int P22Switch = 1100;
constexpr int P22Code1Label = 1101;
constexpr int P22Code2Label = 1102;
constexpr int P22MoreSwitch = 1103;
constexpr int P22Code3Label = 1104;
constexpr int P22OptionalNote = 1105;
constexpr int P22Code4Label = 1106;
constexpr int P22Code5Label = 1107;
constexpr int P22Code6Label = 1108;
constexpr int P22Code7Label = 1109;
constexpr int P22Note = 1110;
constexpr int P22Refusal = 1120;

// Pages 23 and 24
constexpr int P23Switch = 1200;
constexpr int P23CodeLabel = 1201;
constexpr int P23Note = 1202;
constexpr int P23P24Refusal = 1210;
constexpr int P24Switch = 1250;
constexpr int P24CodeLabel = 1251;
constexpr int P24Note = 1252;

// Page 41: what the converter reported about itself
constexpr int FirmwareVersionLabel = 1300;
constexpr int LoaderVersionLabel = 1301;
constexpr int PartitionLabel = 1302;
constexpr int ValueUnknown = 1303;

// Shell dialogs
constexpr int PortDialogTitle = 5000;
constexpr int PortDialogLabel = 5001;
constexpr int ChangePasswordTitle = 5010;
constexpr int CurrentPasswordLabel = 5011;
constexpr int NewPasswordLabel = 5012;
constexpr int RepeatPasswordLabel = 5013;
constexpr int CurrentPasswordWrong = 5014;
constexpr int NewPasswordsDiffer = 5015;
constexpr int LanguageDialogTitle = 5020;
constexpr int LanguageDialogLabel = 5021;
constexpr int AboutTitle = 6000;
constexpr int AboutText = 6001;

// Texts of this program's own additions
constexpr int MonitorProtocolTrace = 7000; // check box: show every frame in the monitor log
constexpr int AboutNote = 7001;            // the further line of the About dialog
constexpr int HelpWindowTitle = 7002;      // the program's own help viewer
// Names read by assistive technology for controls that have no label of their own
constexpr int MonitorOutputName = 7003;
constexpr int MonitorCommandName = 7004;
constexpr int FindTextName = 7005;
constexpr int PageTreeName = 7006;

// How device operations ended, as the window tells it
constexpr int ReadProgressFormat = 7100;        // s: the packet being read, 1 to 5
constexpr int WriteDone = 7101;                 // written, not read back
constexpr int WriteVerified = 7102;             // written and read back identical
constexpr int WriteDiffersFormat = 7103;        // s: the first differing field, as a page names it
constexpr int WriteUncheckedFormat = 7104;      // s: why the read-back did not complete
constexpr int OperationStoppedFormat = 7105;    // s: why
constexpr int LinkLost = 7106;                  // the port went away under an operation
constexpr int CommandNotSent = 7107;            // a command line while the link is down
constexpr int LoadingStoppedFormat = 7110;      // s: percent, s: why; the loader may wait
constexpr int LoadingStoppedWaitsFormat = 7111; // s: percent, s: why; the loader waits
constexpr int DownloadStoppedFormat = 7112;     // s: percent, s: why; the file is as it was
constexpr int ReasonNoAnswer = 7120;
constexpr int ReasonRestart = 7121;
constexpr int ReasonPortGone = 7122;
constexpr int ReasonRefusedFormat = 7123; // s: the converter's status bytes in hex
constexpr int ReasonFileNotWritten = 7124;
constexpr int ReasonPasswordCancelled = 7125;
constexpr int ReadStoppedFormat = 7130;  // s: why
constexpr int WriteStoppedFormat = 7131; // s: why

// Review before writing, comparison and backups
constexpr int SideConverter = 7450;      // the converter's present configuration
constexpr int SideToWrite = 7451;        // what a write would put on the converter
constexpr int SideDocument = 7452;       // the configuration in the window
constexpr int SideBackupFormat = 7453;   // s: when the backup was saved
constexpr int BackupFailedFormat = 7454; // s: folder, s: why
constexpr int NoBackupsFormat = 7455;    // s: folder
constexpr int RestoreTitle = 7456;
constexpr int RestoreText = 7457;
constexpr int RestoreColumnSaved = 7458;
constexpr int RestoreColumnFirmware = 7459;
constexpr int RestoreColumnDiffering = 7460;
constexpr int RestoreButton = 7461;
constexpr int FirmwareUnknown = 7462;
constexpr int BackupDamaged = 7463;
constexpr int BackupSavedFormat = 7464; // s: the backup file
constexpr int NothingWritten = 7465;
constexpr int SourceCompareTitle = 7466;
constexpr int SourceCompareText = 7467;
constexpr int BackupUnreadableFormat = 7468; // s: file, s: why
constexpr int RestoreListName = 7469;
// Comparing two configurations, and the marks of changed values on the pages
constexpr int CompareTitle = 7400;             // the comparison's window title
constexpr int ReviewTitle = 7401;              // the same before a write
constexpr int CompareIdentical = 7402;         // nothing differs
constexpr int CompareDifferencesFormat = 7403; // s: the number of differences
constexpr int ReviewDifferencesFormat = 7404;  // s: the number of differences
constexpr int ReviewIdentical = 7405;          // before a write: the records are equal
constexpr int ReviewWrite = 7406;              // button
constexpr int ReviewWriteAnyway = 7407;        // button, when nothing differs
constexpr int CompareClose = 7408;             // button
constexpr int CompareSettingColumn = 7409;     // heading of the column of labels
constexpr int CompareNotOnAPage = 7410;        // group of the values no page shows
constexpr int ValueOn = 7411;                  // a check box that is checked
constexpr int ValueOff = 7412;                 // a check box that is not
constexpr int ValueEmpty = 7413;               // an empty text or code
constexpr int ValueNone = 7414;                // a list or radio group with nothing chosen
constexpr int ValueHidden = 7415;              // the access password
constexpr int CompareRowsName = 7416;          // name of the list of differences
constexpr int ChangedMarkFormat = 7417;        // s: the value as opened, read or last saved
constexpr int PageChangedMark = 7418;          // a page of the tree that holds changes

// Labels of the menu descriptions, keys of the "menus" section.
namespace menu {
constexpr int File = 1;
constexpr int Settings = 2;
constexpr int Device = 3;
constexpr int Help = 4;
constexpr int FileNew = 100;
constexpr int FileOpen = 101;
constexpr int FileSave = 102;
constexpr int FileClose = 104;
constexpr int FileCompare = 105;
constexpr int RestoreBackup = 106;
constexpr int RecentFiles = 109; // the empty recent-file list
constexpr int FileExit = 110;
constexpr int Port = 200;
constexpr int AccessPassword = 201;
constexpr int Language = 202;
constexpr int ReadBackAfterWrite = 203;
constexpr int ReviewBeforeWrite = 204;
constexpr int BackupBeforeWrite = 205;
constexpr int DeviceReset = 300;
constexpr int FlashLoad = 301;
constexpr int FlashDownload = 302;
constexpr int MonitorTab = 303;
constexpr int HelpContents = 401;
constexpr int About = 402;
constexpr int LogCopy = 500;
constexpr int LogClear = 501;
constexpr int LogFind = 502;
constexpr int LogFindNext = 503;
constexpr int LogSelectAll = 504;
constexpr int LogSave = 505;
} // namespace menu

// Keys of the "tooltips" section, for the toolbar commands New, Open, Save and Help.
namespace tip {
constexpr int New = 100;
constexpr int Open = 101;
constexpr int Save = 102;
constexpr int Help = 103;
constexpr int Compare = 104;
} // namespace tip

enum class Section { Strings, Menus, Tooltips };

struct TextIdInfo {
    Section section;
    int id;
    std::string_view args; // argument kinds of a format text; empty for a plain text
};

inline constexpr TextIdInfo AllTextIds[] = {
    {Section::Strings, AppTitle, ""},
    {Section::Strings, CaptionError, ""},
    {Section::Strings, CaptionFatal, ""},
    {Section::Strings, CaptionDone, ""},
    {Section::Strings, CaptionConfirm, ""},
    {Section::Strings, CaptionIncomplete, ""},
    {Section::Strings, OutOfMemory, ""},
    {Section::Strings, NoAnswer, ""},
    {Section::Strings, FatalErrorFormat, "s"},
    {Section::Strings, LoaderNoAnswer, ""},
    {Section::Strings, DeviceRefusedFormat, "s"},
    {Section::Strings, ButtonOk, ""},
    {Section::Strings, ButtonCancel, ""},
    {Section::Strings, ButtonYes, ""},
    {Section::Strings, ButtonNo, ""},
    {Section::Strings, PasswordTitle, ""},
    {Section::Strings, PasswordPrompt, ""},
    {Section::Strings, CaptionPassword, ""},
    {Section::Strings, PasswordMissing, ""},
    {Section::Strings, PortOpenFailedFormat, "ss"},
    {Section::Strings, PortNotFound, ""},
    {Section::Strings, PortAccessDenied, ""},
    {Section::Strings, PortSettingsRefused, ""},
    {Section::Strings, PortOtherError, ""},
    {Section::Strings, PortThreadsFailed, ""},
    {Section::Strings, StatusLinkReady, ""},
    {Section::Strings, StatusLinkNoAnswer, ""},
    {Section::Strings, StatusLinkClosed, ""},
    {Section::Strings, StatusMonitorOn, ""},
    {Section::Strings, StatusMonitorOff, ""},
    {Section::Strings, WaitNote, ""},
    {Section::Strings, WaitRestarting, ""},
    {Section::Strings, RestartTimedOut, ""},
    {Section::Strings, FirmwareOpenTitle, ""},
    {Section::Strings, ImageSaveTitle, ""},
    {Section::Strings, FirmwareFilter, ""},
    {Section::Strings, FlashLoadFailed, ""},
    {Section::Strings, FlashLoadCancelQuestion, ""},
    {Section::Strings, FlashLoadDone, ""},
    {Section::Strings, FlashDownloadFailed, ""},
    {Section::Strings, FlashDownloadCancelQuestion, ""},
    {Section::Strings, FlashDownloadDone, ""},
    {Section::Strings, ReadProgressFormat, "s"},
    {Section::Strings, WriteDone, ""},
    {Section::Strings, WriteVerified, ""},
    {Section::Strings, WriteDiffersFormat, "s"},
    {Section::Strings, WriteUncheckedFormat, "s"},
    {Section::Strings, OperationStoppedFormat, "s"},
    {Section::Strings, LinkLost, ""},
    {Section::Strings, CommandNotSent, ""},
    {Section::Strings, LoadingStoppedFormat, "ss"},
    {Section::Strings, LoadingStoppedWaitsFormat, "ss"},
    {Section::Strings, DownloadStoppedFormat, "ss"},
    {Section::Strings, ReasonNoAnswer, ""},
    {Section::Strings, ReasonRestart, ""},
    {Section::Strings, ReasonPortGone, ""},
    {Section::Strings, ReasonRefusedFormat, "s"},
    {Section::Strings, ReasonFileNotWritten, ""},
    {Section::Strings, ReasonPasswordCancelled, ""},
    {Section::Strings, ReadStoppedFormat, "s"},
    {Section::Strings, WriteStoppedFormat, "s"},
    {Section::Strings, SideConverter, ""},
    {Section::Strings, SideToWrite, ""},
    {Section::Strings, SideDocument, ""},
    {Section::Strings, SideBackupFormat, "s"},
    {Section::Strings, BackupFailedFormat, "ss"},
    {Section::Strings, NoBackupsFormat, "s"},
    {Section::Strings, RestoreTitle, ""},
    {Section::Strings, RestoreText, ""},
    {Section::Strings, RestoreColumnSaved, ""},
    {Section::Strings, RestoreColumnFirmware, ""},
    {Section::Strings, RestoreColumnDiffering, ""},
    {Section::Strings, RestoreButton, ""},
    {Section::Strings, FirmwareUnknown, ""},
    {Section::Strings, BackupDamaged, ""},
    {Section::Strings, BackupSavedFormat, "s"},
    {Section::Strings, NothingWritten, ""},
    {Section::Strings, SourceCompareTitle, ""},
    {Section::Strings, SourceCompareText, ""},
    {Section::Strings, BackupUnreadableFormat, "ss"},
    {Section::Strings, RestoreListName, ""},
    {Section::Strings, CompareTitle, ""},
    {Section::Strings, ReviewTitle, ""},
    {Section::Strings, CompareIdentical, ""},
    {Section::Strings, CompareDifferencesFormat, "s"},
    {Section::Strings, ReviewDifferencesFormat, "s"},
    {Section::Strings, ReviewIdentical, ""},
    {Section::Strings, ReviewWrite, ""},
    {Section::Strings, ReviewWriteAnyway, ""},
    {Section::Strings, CompareClose, ""},
    {Section::Strings, CompareSettingColumn, ""},
    {Section::Strings, CompareNotOnAPage, ""},
    {Section::Strings, ValueOn, ""},
    {Section::Strings, ValueOff, ""},
    {Section::Strings, ValueEmpty, ""},
    {Section::Strings, ValueNone, ""},
    {Section::Strings, ValueHidden, ""},
    {Section::Strings, CompareRowsName, ""},
    {Section::Strings, ChangedMarkFormat, "s"},
    {Section::Strings, PageChangedMark, ""},
    {Section::Strings, FirmwareFileInvalid, ""},
    {Section::Strings, FlashLoadConfirmFormat, "s"},
    {Section::Strings, FlashLoadTitle, ""},
    {Section::Strings, FlashDownloadTitle, ""},
    {Section::Strings, ConverterWantsFirmware, ""},
    {Section::Strings, LogFilter, ""},
    {Section::Strings, SearchCaption, ""},
    {Section::Strings, SearchNotFoundFormat, "s"},
    {Section::Strings, FindMatchCase, ""},
    {Section::Strings, FindWholeWord, ""},
    {Section::Strings, MonitorTab, ""},
    {Section::Strings, SaveLogTitle, ""},
    {Section::Strings, SaveLogQuestion, ""},
    {Section::Strings, SaveLogFailed, ""},
    {Section::Strings, MonitorStart, ""},
    {Section::Strings, MonitorStop, ""},
    {Section::Strings, MonitorSend, ""},
    {Section::Strings, MonitorMask01, ""},
    {Section::Strings, MonitorMask02, ""},
    {Section::Strings, MonitorMask04, ""},
    {Section::Strings, MonitorMask20, ""},
    {Section::Strings, MonitorMask40, ""},
    {Section::Strings, MonitorMask10, ""},
    {Section::Strings, ConfigTab, ""},
    {Section::Strings, ConfigPaneTitle, ""},
    {Section::Strings, TreeRoot, ""},
    {Section::Strings, TreeRootBody, ""},
    {Section::Strings, TreeGroup1, ""},
    {Section::Strings, TreeGroup1Body, ""},
    {Section::Strings, TreePage11, ""},
    {Section::Strings, TreePage12, ""},
    {Section::Strings, TreeGroup2, ""},
    {Section::Strings, TreeGroup2Body, ""},
    {Section::Strings, TreePage21, ""},
    {Section::Strings, TreePage22, ""},
    {Section::Strings, TreePage23, ""},
    {Section::Strings, TreePage24, ""},
    {Section::Strings, TreeGroup4, ""},
    {Section::Strings, TreeGroup4Body, ""},
    {Section::Strings, TreePage41, ""},
    {Section::Strings, ConfigOpenTitle, ""},
    {Section::Strings, ConfigSaveTitle, ""},
    {Section::Strings, ConfigFilter, ""},
    {Section::Strings, UntitledDocument, ""},
    {Section::Strings, ConfigWriteFailed, ""},
    {Section::Strings, ConfigReadFailedFormat, "s"},
    {Section::Strings, ConfigFileMissing, ""},
    {Section::Strings, ConfigFileDamaged, ""},
    {Section::Strings, SaveChangesFormat, "s"},
    {Section::Strings, SourceOpenTitle, ""},
    {Section::Strings, SourceOpenText, ""},
    {Section::Strings, SourceSaveTitle, ""},
    {Section::Strings, SourceSaveText, ""},
    {Section::Strings, SourceConverter, ""},
    {Section::Strings, SourceFile, ""},
    {Section::Strings, P11SelectLabel, ""},
    {Section::Strings, P11NumberLabel, ""},
    {Section::Strings, P11SelectFirst, ""},
    {Section::Strings, P11SelectSecond, ""},
    {Section::Strings, P11OptionsGroup, ""},
    {Section::Strings, P11OptionsFirst, ""},
    {Section::Strings, P11OptionsSecond, ""},
    {Section::Strings, P11ChoiceGroup, ""},
    {Section::Strings, P11Choice1, ""},
    {Section::Strings, P11Choice2, ""},
    {Section::Strings, P11Choice3, ""},
    {Section::Strings, P11CountLabel, ""},
    {Section::Strings, P11Options2Group, ""},
    {Section::Strings, P11Options2First, ""},
    {Section::Strings, P11Options2Second, ""},
    {Section::Strings, P12Number1Label, ""},
    {Section::Strings, P12Number2Label, ""},
    {Section::Strings, P12NumberOptionA, ""},
    {Section::Strings, P12NumberOptionB, ""},
    {Section::Strings, P12FlagGroup, ""},
    {Section::Strings, P12FlagFirst, ""},
    {Section::Strings, P12FlagSecond, ""},
    {Section::Strings, P12Group920, ""},
    {Section::Strings, P12Check921, ""},
    {Section::Strings, P12Value1Label, ""},
    {Section::Strings, P12CodeSwitch, ""},
    {Section::Strings, P12CodeLabel, ""},
    {Section::Strings, P12Check925, ""},
    {Section::Strings, P12DigitsSwitch, ""},
    {Section::Strings, P12DigitsLabel, ""},
    {Section::Strings, P12Value4Label, ""},
    {Section::Strings, P12Group930, ""},
    {Section::Strings, P12Radio931, ""},
    {Section::Strings, P12Radio932, ""},
    {Section::Strings, P12Check939, ""},
    {Section::Strings, P12ScaledLabel, ""},
    {Section::Strings, P12Refusal, ""},
    {Section::Strings, P12ListLabel, ""},
    {Section::Strings, 951, ""},
    {Section::Strings, 952, ""},
    {Section::Strings, 953, ""},
    {Section::Strings, 954, ""},
    {Section::Strings, 955, ""},
    {Section::Strings, 956, ""},
    {Section::Strings, 957, ""},
    {Section::Strings, 958, ""},
    {Section::Strings, 959, ""},
    {Section::Strings, P12Group970, ""},
    {Section::Strings, P12Check971, ""},
    {Section::Strings, P12Check972, ""},
    {Section::Strings, P12Value2Label, ""},
    {Section::Strings, P12Group980, ""},
    {Section::Strings, P12Check981, ""},
    {Section::Strings, P12Check982, ""},
    {Section::Strings, P12Value3Label, ""},
    {Section::Strings, P12Check985, ""},
    {Section::Strings, P21Switch1, ""},
    {Section::Strings, P21Code1OnLabel, ""},
    {Section::Strings, P21Code1OffLabel, ""},
    {Section::Strings, P21Switch2, ""},
    {Section::Strings, P21Code2OnLabel, ""},
    {Section::Strings, P21Code2OffLabel, ""},
    {Section::Strings, P21Switch3, ""},
    {Section::Strings, P21Code3OnLabel, ""},
    {Section::Strings, P21Code3OffLabel, ""},
    {Section::Strings, CodeColumnHeading, ""},
    {Section::Strings, P21Note, ""},
    {Section::Strings, P21Refusal, ""},
    {Section::Strings, P22Switch, ""},
    {Section::Strings, P22Code1Label, ""},
    {Section::Strings, P22Code2Label, ""},
    {Section::Strings, P22MoreSwitch, ""},
    {Section::Strings, P22Code3Label, ""},
    {Section::Strings, P22OptionalNote, ""},
    {Section::Strings, P22Code4Label, ""},
    {Section::Strings, P22Code5Label, ""},
    {Section::Strings, P22Code6Label, ""},
    {Section::Strings, P22Code7Label, ""},
    {Section::Strings, P22Note, ""},
    {Section::Strings, P22Refusal, ""},
    {Section::Strings, P23Switch, ""},
    {Section::Strings, P23CodeLabel, ""},
    {Section::Strings, P23Note, ""},
    {Section::Strings, P23P24Refusal, ""},
    {Section::Strings, P24Switch, ""},
    {Section::Strings, P24CodeLabel, ""},
    {Section::Strings, P24Note, ""},
    {Section::Strings, FirmwareVersionLabel, ""},
    {Section::Strings, LoaderVersionLabel, ""},
    {Section::Strings, PartitionLabel, ""},
    {Section::Strings, ValueUnknown, ""},
    {Section::Strings, PortDialogTitle, ""},
    {Section::Strings, PortDialogLabel, ""},
    {Section::Strings, ChangePasswordTitle, ""},
    {Section::Strings, CurrentPasswordLabel, ""},
    {Section::Strings, NewPasswordLabel, ""},
    {Section::Strings, RepeatPasswordLabel, ""},
    {Section::Strings, CurrentPasswordWrong, ""},
    {Section::Strings, NewPasswordsDiffer, ""},
    {Section::Strings, LanguageDialogTitle, ""},
    {Section::Strings, LanguageDialogLabel, ""},
    {Section::Strings, AboutTitle, ""},
    {Section::Strings, AboutText, ""},
    {Section::Strings, MonitorProtocolTrace, ""},
    {Section::Strings, AboutNote, ""},
    {Section::Strings, HelpWindowTitle, ""},
    {Section::Strings, MonitorOutputName, ""},
    {Section::Strings, MonitorCommandName, ""},
    {Section::Strings, FindTextName, ""},
    {Section::Strings, PageTreeName, ""},

    {Section::Menus, menu::File, ""},
    {Section::Menus, menu::Settings, ""},
    {Section::Menus, menu::Device, ""},
    {Section::Menus, menu::Help, ""},
    {Section::Menus, menu::FileNew, ""},
    {Section::Menus, menu::FileOpen, ""},
    {Section::Menus, menu::FileSave, ""},
    {Section::Menus, menu::FileClose, ""},
    {Section::Menus, menu::FileCompare, ""},
    {Section::Menus, menu::RestoreBackup, ""},
    {Section::Menus, menu::RecentFiles, ""},
    {Section::Menus, menu::FileExit, ""},
    {Section::Menus, menu::Port, ""},
    {Section::Menus, menu::AccessPassword, ""},
    {Section::Menus, menu::Language, ""},
    {Section::Menus, menu::ReadBackAfterWrite, ""},
    {Section::Menus, menu::ReviewBeforeWrite, ""},
    {Section::Menus, menu::BackupBeforeWrite, ""},
    {Section::Menus, menu::DeviceReset, ""},
    {Section::Menus, menu::FlashLoad, ""},
    {Section::Menus, menu::FlashDownload, ""},
    {Section::Menus, menu::MonitorTab, ""},
    {Section::Menus, menu::HelpContents, ""},
    {Section::Menus, menu::About, ""},
    {Section::Menus, menu::LogCopy, ""},
    {Section::Menus, menu::LogClear, ""},
    {Section::Menus, menu::LogFind, ""},
    {Section::Menus, menu::LogFindNext, ""},
    {Section::Menus, menu::LogSelectAll, ""},
    {Section::Menus, menu::LogSave, ""},

    {Section::Tooltips, tip::New, ""},
    {Section::Tooltips, tip::Open, ""},
    {Section::Tooltips, tip::Save, ""},
    {Section::Tooltips, tip::Help, ""},
    {Section::Tooltips, tip::Compare, ""},
};

} // namespace vandrel::text
