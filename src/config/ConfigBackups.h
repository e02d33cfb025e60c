#pragma once

#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Backups of the configuration a converter held, kept as configuration files in one folder so
// that a bad write can be undone. A backup is known by its name alone:
//   2026-12-11_09-45-03_2.14.0612.dat      local date and time, firmware version
//   2026-12-11_09-45-03_2.14.0612_2.dat    the second backup of that second
// Nothing else in the folder is ever listed, counted or removed.
namespace vandrel {

inline constexpr std::size_t kDefaultBackupsKept = 100;

// What a save came to.
struct BackupSaveResult {
    enum class Failure {
        None,
        FolderNotCreated, // the folder is missing and could not be made, or is no folder
        FileNotCreated,   // the folder takes no new file
        FileNotWritten,   // the file was begun but could not be written whole
        DateOutOfRange,   // the time has no four-digit local year
    };

    std::filesystem::path path; // the backup written; empty when none was
    Failure failure = Failure::None;
    std::string reason; // the system's reason, e.g. "Permission denied"
    std::string error;  // one English sentence: what failed, where, and the reason

    bool ok() const { return failure == Failure::None; }
};

// One backup in the folder.
struct BackupEntry {
    std::filesystem::path path;
    // The local date and time its name carries.
    std::chrono::system_clock::time_point when;
    // From the file's device information; from the name when the file does not read (empty when
    // the name says the version was unknown).
    std::string firmwareVersion;
    // Whether the file reads as a configuration file.
    bool readable = false;
};

class BackupFolder {
public:
    // `keep` below 1 counts as 1: the backup just written always stays.
    explicit BackupFolder(std::filesystem::path folder, std::size_t keep = kDefaultBackupsKept);

    // Writes `record` with `info` as a new backup named after `when` (local time) and the
    // firmware version, making the folder and its parents when needed; an existing file is never
    // overwritten. After a successful save only the newest `keep` backups stay (the one just
    // written always among them, whatever the dates of the others); a failed save removes
    // nothing and leaves no partial file.
    BackupSaveResult save(const ConverterConfig& record, const DeviceInfo& info,
                          std::chrono::system_clock::time_point when) const;

    // The backups, newest first; an empty list when the folder is missing or unreadable.
    std::vector<BackupEntry> list() const;

    const std::filesystem::path& folder() const { return folder_; }
    std::size_t keep() const { return keep_; }

    // The name a backup gets for `firmwareVersion` at the local `when`, before any number that
    // tells it from an earlier backup of the same second; empty when the year has not four
    // digits.
    static std::string backupName(std::string_view firmwareVersion,
                                  std::chrono::system_clock::time_point when);

private:
    std::filesystem::path folder_;
    std::size_t keep_;
};

} // namespace vandrel
