#include "config/ConfigBackups.h"

#include "config/ConfigFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <system_error>
#include <unistd.h>

namespace vandrel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExtension = ".dat"; // as the program's configuration files
constexpr std::string_view kUnknownFirmware = "unknown";
// "2026-12-11_09-45-03"
constexpr std::size_t kStampLength = 19;
// More backups in one second than anyone makes by hand.
constexpr int kMaxSequence = 100000;

// What a backup's name says.
struct BackupName {
    std::string stamp; // "2026-12-11_09-45-03": sorts as the time does
    std::tm local{};
    std::string firmware; // as in the name
    int sequence = 1;     // 1 for the first backup of its second
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Letters, digits and the few marks version texts use; everything else could mean something to
// a file system or a shell.
bool isSafeVersionChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isDigit(c) || c == '.' || c == '-' ||
           c == '+';
}

std::string safeVersion(std::string_view version) {
    if (version.empty()) {
        return std::string(kUnknownFirmware);
    }
    std::string safe(version);
    std::replace_if(
        safe.begin(), safe.end(), [](char c) { return !isSafeVersionChar(c); }, '-');
    return safe;
}

// The number made of `count` digits at `at`, or -1.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i])) {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::optional<BackupName> parseBackupName(std::string_view name) {
    if (name.size() <= kStampLength + 1 + kExtension.size() ||
        name.substr(name.size() - kExtension.size()) != kExtension) {
        return std::nullopt;
    }
    const std::string_view stamp = name.substr(0, kStampLength);
    for (const std::size_t at : {4u, 7u}) {
        if (stamp[at] != '-') {
            return std::nullopt;
        }
    }
    if (stamp[10] != '_' || stamp[13] != '-' || stamp[16] != '-' || name[kStampLength] != '_') {
        return std::nullopt;
    }
    BackupName parsed;
    const int year = digitsAt(stamp, 0, 4);
    const int month = digitsAt(stamp, 5, 2);
    const int day = digitsAt(stamp, 8, 2);
    const int hour = digitsAt(stamp, 11, 2);
    const int minute = digitsAt(stamp, 14, 2);
    const int second = digitsAt(stamp, 17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 60) {
        return std::nullopt;
    }
    parsed.stamp = std::string(stamp);
    parsed.local.tm_year = year - 1900;
    parsed.local.tm_mon = month - 1;
    parsed.local.tm_mday = day;
    parsed.local.tm_hour = hour;
    parsed.local.tm_min = minute;
    parsed.local.tm_sec = second;
    parsed.local.tm_isdst = -1;

    std::string_view rest =
        name.substr(kStampLength + 1, name.size() - kStampLength - 1 - kExtension.size());
    // "_N" at the end numbers a later backup of the same second; versions never hold '_'.
    if (const std::size_t underscore = rest.rfind('_'); underscore != std::string_view::npos) {
        const std::string_view number = rest.substr(underscore + 1);
        if (number.empty() || number.size() > 6 || number[0] == '0' ||
            digitsAt(number, 0, number.size()) < 2) {
            return std::nullopt;
        }
        parsed.sequence = digitsAt(number, 0, number.size());
        rest = rest.substr(0, underscore);
    }
    if (rest.empty() || !std::all_of(rest.begin(), rest.end(), isSafeVersionChar)) {
        return std::nullopt;
    }
    parsed.firmware = std::string(rest);
    return parsed;
}

// Newest first: by the time in the name, then by the number within that second; the name
// decides between equals so that the order never depends on the folder's.
bool newerFirst(const BackupName& a, const fs::path& pathA, const BackupName& b,
                const fs::path& pathB) {
    if (a.stamp != b.stamp) {
        return a.stamp > b.stamp;
    }
    if (a.sequence != b.sequence) {
        return a.sequence > b.sequence;
    }
    return pathA.filename() < pathB.filename();
}

struct FoundBackup {
    fs::path path;
    BackupName name;
};

// The regular files of `folder` whose names make them backups, newest first.
std::vector<FoundBackup> findBackups(const fs::path& folder) {
    std::vector<FoundBackup> found;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::optional<BackupName> name = parseBackupName(it->path().filename().string());
        std::error_code statusError;
        if (name && it->symlink_status(statusError).type() == fs::file_type::regular) {
            found.push_back({it->path(), std::move(*name)});
        }
    }
    std::sort(found.begin(), found.end(), [](const FoundBackup& a, const FoundBackup& b) {
        return newerFirst(a.name, a.path, b.name, b.path);
    });
    return found;
}

std::string numbered(const std::string& base, int sequence) {
    if (sequence <= 1) {
        return base + std::string(kExtension);
    }
    return base + "_" + std::to_string(sequence) + std::string(kExtension);
}

BackupSaveResult failed(BackupSaveResult::Failure failure, const std::string& what,
                        const std::string& reason) {
    BackupSaveResult result;
    result.failure = failure;
    result.reason = reason;
    result.error = what + ": " + reason + ".";
    return result;
}

} // namespace

BackupFolder::BackupFolder(std::filesystem::path folder, std::size_t keep)
    : folder_(std::move(folder)), keep_(std::max<std::size_t>(keep, 1)) {}

std::string BackupFolder::backupName(std::string_view firmwareVersion,
                                     std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr || local.tm_year + 1900 < 0 ||
        local.tm_year + 1900 > 9999) {
        return {};
    }
    char stamp[80]; // wide enough for any int, which the compiler cannot rule out
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d_%02d-%02d-%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return std::string(stamp) + "_" + safeVersion(firmwareVersion);
}

BackupSaveResult BackupFolder::save(const ConverterConfig& record, const DeviceInfo& info,
                                    std::chrono::system_clock::time_point when) const {
    using Failure = BackupSaveResult::Failure;
    const std::string base = backupName(VersionTextString(info.firmwareVersion), when);
    if (base.empty()) {
        return failed(Failure::DateOutOfRange, "No backup name for this date",
                      "the year is out of range");
    }

    std::error_code error;
    fs::create_directories(folder_, error);
    if (!error) {
        const bool isFolder = fs::is_directory(folder_, error);
        if (!error && !isFolder) {
            error = std::make_error_code(std::errc::not_a_directory);
        }
    }
    if (error) {
        return failed(Failure::FolderNotCreated,
                      "The backup folder " + folder_.string() + " could not be created",
                      error.message());
    }

    // Past every backup of the same second, so that the names keep their order.
    int sequence = 1;
    for (const FoundBackup& found : findBackups(folder_)) {
        if (found.name.stamp == base.substr(0, kStampLength)) {
            sequence = std::max(sequence, found.name.sequence + 1);
        }
    }
    // The name is claimed with an empty file that no one else can claim too.
    fs::path path;
    int fd = -1;
    for (; sequence <= kMaxSequence; ++sequence) {
        path = folder_ / numbered(base, sequence);
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || (errno != EEXIST && errno != EINTR)) {
            break;
        }
    }
    if (fd < 0) {
        const int reason = sequence > kMaxSequence ? EEXIST : errno;
        return failed(Failure::FileNotCreated,
                      "No backup file could be created in " + folder_.string(),
                      std::generic_category().message(reason));
    }
    ::close(fd);

    errno = 0;
    if (WriteConfigFile(path.string(), record, info) != kConfigWritten) {
        const int reason = errno;
        ::unlink(path.c_str());
        return failed(Failure::FileNotWritten,
                      "The backup " + path.string() + " could not be written",
                      reason != 0 ? std::generic_category().message(reason)
                                  : std::string("the file system refused it"));
    }

    // Only now that the new backup is safe may old ones go.
    std::size_t kept = 1;
    for (const FoundBackup& found : findBackups(folder_)) {
        if (found.path == path) {
            continue;
        }
        if (kept < keep_) {
            ++kept;
            continue;
        }
        std::error_code ignored; // one that will not go is tried again after the next save
        fs::remove(found.path, ignored);
    }

    BackupSaveResult result;
    result.path = path;
    return result;
}

std::vector<BackupEntry> BackupFolder::list() const {
    std::vector<BackupEntry> entries;
    for (FoundBackup& found : findBackups(folder_)) {
        BackupEntry entry;
        entry.path = found.path;
        entry.when = std::chrono::system_clock::from_time_t(std::mktime(&found.name.local));
        ConverterConfig record;
        VersionText firmware{};
        entry.readable = ReadConfigFile(found.path.string(), record, &firmware) == kConfigLoaded;
        if (entry.readable) {
            entry.firmwareVersion = VersionTextString(firmware);
        } else if (found.name.firmware != kUnknownFirmware) {
            entry.firmwareVersion = found.name.firmware;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace vandrel
