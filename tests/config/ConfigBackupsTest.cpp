// The folder of configuration backups: the names backups get, which old ones go after a save,
// what a failed save leaves, and how the folder is listed with damaged and foreign files in it.
#include "config/ConfigBackups.h"
#include "config/ConfigFile.h"

#include "FileSizeLimit.h"
#include "TempDir.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace vandrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

namespace {

// Central European time, so that local time visibly differs from UTC (one hour in winter, two
// in summer).
constexpr const char* kZone = "CET-1CEST,M3.5.0,M10.5.0/3";

Clock::time_point utc(std::chrono::year_month_day day, std::chrono::seconds sinceMidnight) {
    return std::chrono::sys_days(day) + sinceMidnight;
}

const Clock::time_point kWinterNoon = utc(2026y / 12 / 11, 11h); // 12:00 local

ConverterConfig recordNumbered(int n) {
    ConverterConfig record;
    for (std::size_t i = 0; i < record.bytes.size(); ++i) {
        record.bytes[i] = static_cast<std::uint8_t>(i * 31 + n);
    }
    return record;
}

DeviceInfo infoWith(const std::string& firmware) {
    DeviceInfo info;
    SetVersionText(info.firmwareVersion, firmware);
    SetVersionText(info.loaderVersion, "1.05");
    info.systemInfoNumber = 1;
    return info;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Every name in the folder with its contents ("<folder>" for a folder).
std::map<std::string, std::string> contents(const fs::path& folder) {
    std::map<std::string, std::string> all;
    for (const auto& entry : fs::directory_iterator(folder)) {
        all[entry.path().filename().string()] =
            entry.is_directory() ? std::string("<folder>") : readAll(entry.path());
    }
    return all;
}

// The record a file holds; nothing when it does not read.
std::optional<ConverterConfig> recordIn(const fs::path& path) {
    ConverterConfig record;
    if (ReadConfigFile(path.string(), record) != kConfigLoaded) {
        return std::nullopt;
    }
    return record;
}

class ConfigBackups : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* zone = std::getenv("TZ")) {
            savedZone_ = zone;
        }
        ::setenv("TZ", kZone, 1);
        ::tzset();
    }
    void TearDown() override {
        if (savedZone_) {
            ::setenv("TZ", savedZone_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

    TempDir dir;
    const fs::path folder = dir.path() / "backups";

private:
    std::optional<std::string> savedZone_;
};

struct NameCase {
    const char* firmware;
    Clock::time_point when;
    const char* name;
};

// Local date and time, then the firmware version made safe for a file name; the folder and its
// parents are made on the way, and the file reads back as what was saved.
TEST_F(ConfigBackups, NameCarriesLocalTimeAndASafeFirmwareVersion) {
    const NameCase cases[] = {
        {"V2.14", kWinterNoon - 2h - 14min - 57s, "2026-12-11_09-45-03_V2.14.dat"},
        {"2.14.0612", utc(2026y / 7 / 1, 22h + 30min), "2026-07-02_00-30-00_2.14.0612.dat"},
        {"", kWinterNoon, "2026-12-11_12-00-00_unknown.dat"},
        {"2.14 beta/3", kWinterNoon + 1s, "2026-12-11_12-00-01_2.14-beta-3.dat"},
        {"../../etc/passwd", kWinterNoon + 2s, "2026-12-11_12-00-02_..-..-etc-passwd.dat"},
        {"a_b\t\xE9*?:\\", kWinterNoon + 3s, "2026-12-11_12-00-03_a-b------.dat"},
        {"1.0+rc1~x", kWinterNoon + 4s, "2026-12-11_12-00-04_1.0+rc1-x.dat"},
    };
    const BackupFolder backups(folder / "deeper" / "still");
    int n = 0;
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        const BackupSaveResult result =
            backups.save(recordNumbered(n), infoWith(c.firmware), c.when);
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_EQ(result.path, backups.folder() / c.name);
        EXPECT_EQ(BackupFolder::backupName(c.firmware, c.when) + ".dat", c.name);
        ConverterConfig record;
        VersionText firmware{};
        ASSERT_EQ(ReadConfigFile(result.path.string(), record, &firmware), kConfigLoaded);
        EXPECT_EQ(record.bytes, recordNumbered(n).bytes);
        EXPECT_EQ(VersionTextString(firmware),
                  VersionTextString(infoWith(c.firmware).firmwareVersion));
        ++n;
    }
    EXPECT_EQ(contents(backups.folder()).size(), std::size(cases));
}

// Backups of one second get numbers in the order they were made, whatever their firmware, and
// none replaces another or a file that merely has the name the next one would get.
TEST_F(ConfigBackups, SavesInTheSameSecondNeverOverwrite) {
    const BackupFolder backups(folder);
    fs::create_directories(folder / "2026-12-11_12-00-00_2.0_4.dat"); // not a backup: a folder
    const Clock::time_point when = kWinterNoon + 250ms;
    const char* firmware[] = {"2.0", "2.0", "3.1", "2.0", "2.0"};
    const char* expected[] = {"2026-12-11_12-00-00_2.0.dat", "2026-12-11_12-00-00_2.0_2.dat",
                              "2026-12-11_12-00-00_3.1_3.dat", "2026-12-11_12-00-00_2.0_5.dat",
                              "2026-12-11_12-00-00_2.0_6.dat"};
    for (int i = 0; i < 5; ++i) {
        const BackupSaveResult result =
            backups.save(recordNumbered(i), infoWith(firmware[i]), when);
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_EQ(result.path.filename(), expected[i]);
    }
    const std::vector<BackupEntry> listed = backups.list();
    ASSERT_EQ(listed.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(expected[4 - i]);
        EXPECT_EQ(listed[i].path.filename(), expected[4 - i]) << "newest first";
        EXPECT_EQ(recordIn(listed[i].path)->bytes, recordNumbered(4 - i).bytes);
        EXPECT_EQ(listed[i].when, std::chrono::floor<std::chrono::seconds>(when));
    }
}

// The 101st backup removes the oldest one and nothing that is not a backup by its name.
TEST_F(ConfigBackups, KeepsTheNewestHundredAndOnlyRemovesBackups) {
    const BackupFolder backups(folder);
    fs::create_directories(folder / "2020-01-01_00-00-00_1.0.dat"); // a folder of that name
    const std::map<std::string, std::string> foreign{
        {"notes.txt", "keep me"},
        {"2020-01-01_notes.dat", "keep me"},
        {"2020-01-01_00-00-00_1.0.dat.orig", "keep me"},
        {"2020-01-01_00-00-00_1.0.DAT", "keep me"},
        {"2020-13-01_00-00-00_1.0.dat", "keep me"},
        {"2020-01-01_00-00-00_1.0_01.dat", "keep me"},
        {"2020-01-01_00-00-00_.dat", "keep me"},
        {"2020-01-01_00-00-00_a b.dat", "keep me"},
        {"x2020-01-01_00-00-00_1.0.dat", "keep me"},
    };
    for (const auto& [name, bytes] : foreign) {
        writeAll(folder / name, bytes);
    }
    // Saved in an order unlike the order of their times: the time in the name decides.
    std::vector<fs::path> saved(101);
    for (int i = 0; i < 100; ++i) {
        const int minute = (i * 37) % 100;
        const BackupSaveResult result =
            backups.save(recordNumbered(minute), infoWith("2.14"), kWinterNoon + minute * 1min);
        ASSERT_TRUE(result.ok()) << result.error;
        saved[minute] = result.path;
    }
    EXPECT_EQ(backups.list().size(), 100u);
    const BackupSaveResult result =
        backups.save(recordNumbered(100), infoWith("2.14"), kWinterNoon + 100min);
    ASSERT_TRUE(result.ok()) << result.error;
    saved[100] = result.path;

    EXPECT_FALSE(fs::exists(saved[0])) << "the oldest backup goes";
    for (int i = 1; i <= 100; ++i) {
        EXPECT_TRUE(fs::exists(saved[i])) << saved[i];
    }
    for (const auto& [name, bytes] : foreign) {
        EXPECT_EQ(readAll(folder / name), bytes) << name;
    }
    EXPECT_TRUE(fs::is_directory(folder / "2020-01-01_00-00-00_1.0.dat"));
    const std::vector<BackupEntry> listed = backups.list();
    ASSERT_EQ(listed.size(), 100u);
    EXPECT_EQ(listed.front().path, saved[100]);
    EXPECT_EQ(listed.back().path, saved[1]);
}

// A clock set back must not cost the backup just made: it stays, and the oldest of the others
// goes in its place.
TEST_F(ConfigBackups, TheBackupJustMadeStaysWhenOthersCarryLaterDates) {
    const BackupFolder backups(folder, 3);
    std::vector<fs::path> later;
    for (int i = 0; i < 3; ++i) {
        later.push_back(
            backups.save(recordNumbered(i), infoWith("2.14"), kWinterNoon + 24h * (i + 1)).path);
    }
    const BackupSaveResult result = backups.save(recordNumbered(9), infoWith("2.14"), kWinterNoon);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(recordIn(result.path)->bytes, recordNumbered(9).bytes);
    EXPECT_FALSE(fs::exists(later[0]));
    EXPECT_TRUE(fs::exists(later[1]));
    EXPECT_TRUE(fs::exists(later[2]));
    EXPECT_EQ(backups.list().size(), 3u);

    // A keep of 0 still keeps the one just made.
    const BackupFolder none(dir.path() / "none", 0);
    const BackupSaveResult only = none.save(recordNumbered(1), infoWith("2.14"), kWinterNoon);
    ASSERT_TRUE(only.ok()) << only.error;
    const BackupSaveResult next = none.save(recordNumbered(2), infoWith("2.14"), kWinterNoon + 1s);
    ASSERT_TRUE(next.ok()) << next.error;
    EXPECT_FALSE(fs::exists(only.path));
    EXPECT_TRUE(fs::exists(next.path));
}

enum class Obstacle { FolderUnderAFile, ReadOnlyFolder, FileTooLarge };

struct FailureCase {
    const char* name;
    Obstacle obstacle;
    BackupSaveResult::Failure failure;
    std::errc reason;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class ConfigBackupsFailing : public ConfigBackups,
                             public ::testing::WithParamInterface<FailureCase> {};

// A save that cannot be made says why, leaves every file where and as it was (no partial file,
// no old backup removed, though the folder is full) and creates nothing.
TEST_P(ConfigBackupsFailing, ReportsTheReasonAndRemovesNothing) {
    const FailureCase& c = GetParam();
    const BackupFolder setup(folder, 3);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(setup.save(recordNumbered(i), infoWith("1.0"), kWinterNoon + i * 1h).ok());
    }
    writeAll(folder / "blocker", "a file, not a folder");
    const std::map<std::string, std::string> before = contents(folder);

    const fs::path target =
        c.obstacle == Obstacle::FolderUnderAFile ? folder / "blocker" / "sub" : folder;
    const BackupFolder backups(target, 3);
    auto save = [&] { return backups.save(recordNumbered(7), infoWith("2.0"), kWinterNoon + 5h); };

    if (c.obstacle == Obstacle::ReadOnlyFolder) {
        ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
        // The superuser writes into any folder; an ordinary user meets the permission bits.
        if (::geteuid() == 0) {
            const std::optional<vandrel::test::Account> nobody =
                vandrel::test::UnprivilegedAccount();
            if (!nobody) {
                ::chmod(folder.c_str(), 0755);
                GTEST_SKIP() << "no unprivileged account to try a read-only folder with";
            }
            ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
            const std::optional<int> outcome = vandrel::test::RunAs(*nobody, [&] {
                const BackupSaveResult r = save();
                const bool asExpected = r.failure == c.failure && r.path.empty() &&
                                        r.reason == std::make_error_code(c.reason).message();
                return asExpected ? 0 : 1;
            });
            ::chmod(folder.c_str(), 0755);
            EXPECT_EQ(outcome, std::optional<int>(0));
            EXPECT_EQ(contents(folder), before);
            return;
        }
    }
    BackupSaveResult result;
    {
        std::optional<FileSizeLimit> limit;
        if (c.obstacle == Obstacle::FileTooLarge) {
            limit.emplace(300);
            ASSERT_TRUE(limit->active());
        }
        result = save();
    }
    ::chmod(folder.c_str(), 0755);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_TRUE(result.path.empty());
    EXPECT_EQ(result.reason, std::make_error_code(c.reason).message());
    EXPECT_NE(result.error.find(folder.string()), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(result.reason), std::string::npos) << result.error;
    EXPECT_EQ(contents(folder), before);
}

INSTANTIATE_TEST_SUITE_P(
    Obstacles, ConfigBackupsFailing,
    ::testing::Values(
        FailureCase{"folderUnderAFile", Obstacle::FolderUnderAFile,
                    BackupSaveResult::Failure::FolderNotCreated, std::errc::not_a_directory},
        FailureCase{"readOnlyFolder", Obstacle::ReadOnlyFolder,
                    BackupSaveResult::Failure::FileNotCreated, std::errc::permission_denied},
        FailureCase{"fileTooLarge", Obstacle::FileTooLarge,
                    BackupSaveResult::Failure::FileNotWritten, std::errc::file_too_large}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// The folder itself being a file is no folder to save in.
TEST_F(ConfigBackups, AFileWhereTheFolderShouldBeIsRefused) {
    writeAll(folder, "a file");
    const BackupSaveResult result =
        BackupFolder(folder).save(recordNumbered(1), infoWith("2.0"), kWinterNoon);
    EXPECT_EQ(result.failure, BackupSaveResult::Failure::FolderNotCreated);
    EXPECT_EQ(readAll(folder), "a file");
}

// Newest first across days and numbers; damaged backups are listed as such with the version from
// their name, foreign files not at all, and a missing folder lists nothing.
TEST_F(ConfigBackups, ListsNewestFirstWithDamagedFilesMarked) {
    const BackupFolder backups(folder);
    EXPECT_TRUE(backups.list().empty());
    ASSERT_TRUE(backups.save(recordNumbered(1), infoWith("2.14"), kWinterNoon).ok());
    ASSERT_TRUE(backups.save(recordNumbered(2), infoWith("2.14"), kWinterNoon).ok());
    ASSERT_TRUE(backups.save(recordNumbered(3), infoWith(""), kWinterNoon - 24h).ok());
    // A good file whose name tells another version: the file's own information counts.
    ASSERT_EQ(WriteConfigFile((folder / "2026-12-11_11-00-00_9.9.dat").string(), recordNumbered(4),
                              infoWith("3.0")),
              kConfigWritten);
    writeAll(folder / "2026-12-12_08-00-00_2.20.dat", "");                       // empty
    writeAll(folder / "2026-12-12_07-00-00_unknown.dat", std::string(787, 'x')); // foreign bytes
    ASSERT_EQ(WriteConfigFile((folder / "2026-12-12_06-00-00_2.15.dat").string(), recordNumbered(5),
                              infoWith("2.15")),
              kConfigWritten);
    fs::resize_file(folder / "2026-12-12_06-00-00_2.15.dat", 700); // cut short
    writeAll(folder / "readme.txt", "not listed");
    const std::map<std::string, std::string> before = contents(folder);

    struct Expected {
        const char* name;
        const char* firmware;
        bool readable;
        Clock::time_point when;
    };
    const Expected expected[] = {
        {"2026-12-12_08-00-00_2.20.dat", "2.20", false, kWinterNoon + 20h},
        {"2026-12-12_07-00-00_unknown.dat", "", false, kWinterNoon + 19h},
        {"2026-12-12_06-00-00_2.15.dat", "2.15", false, kWinterNoon + 18h},
        {"2026-12-11_12-00-00_2.14_2.dat", "2.14", true, kWinterNoon},
        {"2026-12-11_12-00-00_2.14.dat", "2.14", true, kWinterNoon},
        {"2026-12-11_11-00-00_9.9.dat", "3.0", true, kWinterNoon - 1h},
        {"2026-12-10_12-00-00_unknown.dat", "", true, kWinterNoon - 24h},
    };
    const std::vector<BackupEntry> listed = backups.list();
    ASSERT_EQ(listed.size(), std::size(expected));
    for (std::size_t i = 0; i < listed.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(listed[i].path, folder / expected[i].name);
        EXPECT_EQ(listed[i].firmwareVersion, expected[i].firmware);
        EXPECT_EQ(listed[i].readable, expected[i].readable);
        EXPECT_EQ(listed[i].when, expected[i].when);
    }
    EXPECT_EQ(contents(folder), before) << "listing changes nothing";
    EXPECT_TRUE(BackupFolder(dir.path() / "missing").list().empty());
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));
}

} // namespace
