// Saving a configuration over what is already on disk: which files are refused, replaced or
// written in place, and the bytes and result code afterwards. Every case runs as the test's own
// user and, when that is the superuser (who may write almost anything), once more in a child
// process that has given up its privileges, so that an ordinary user's permission checks are met
// on the real file system too.
#include "config/ConfigFile.h"
#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"

#include "TempDir.h"
#include "Unprivileged.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace vandrel;
using vandrel::test::Account;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kOldBytes(1000, 0xEE);

Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

ConverterConfig savedRecord() {
    ConverterConfig record;
    ResetToDefaults(&record);
    record.bytes[ConfigOffset::p12Value4] = 6;
    return record;
}

DeviceInfo savedInfo() {
    DeviceInfo info;
    SetVersionText(info.firmwareVersion, "fw 4.1");
    info.systemInfoNumber = 1;
    return info;
}

std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct stat statOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

enum class Link { None, Symbolic, Dangling, Hard };
enum class Owner { Saver, Other };

struct SaveCase {
    const char* name;
    mode_t folderMode;
    std::optional<mode_t> fileMode; // none: no file yet
    Link link;
    Owner owner;
    int expectedCode;
    bool expectNewBytes;
    // The old file was overwritten in place rather than replaced by a new one.
    std::optional<bool> expectSameInode;
};

// clang-format off
const SaveCase kSaveCases[] = {
    {"writable file", 0755, 0640, Link::None, Owner::Saver, kConfigWritten, true, false},
    {"new file", 0755, std::nullopt, Link::None, Owner::Saver, kConfigWritten, true, std::nullopt},
    {"read-only file", 0755, 0444, Link::None, Owner::Saver, kConfigWriteFailed, false, true},
    {"read-only folder, writable file", 0555, 0644, Link::None, Owner::Saver, kConfigWritten, true, true},
    {"read-only folder, read-only file", 0555, 0444, Link::None, Owner::Saver, kConfigWriteFailed, false, true},
    {"read-only folder, no file", 0555, std::nullopt, Link::None, Owner::Saver, kConfigWriteFailed, false, std::nullopt},
    {"symbolic link to a file", 0755, 0600, Link::Symbolic, Owner::Saver, kConfigWritten, true, false},
    {"symbolic link to a read-only file", 0755, 0444, Link::Symbolic, Owner::Saver, kConfigWriteFailed, false, true},
    {"symbolic link to no file yet", 0755, std::nullopt, Link::Dangling, Owner::Saver, kConfigWritten, true, std::nullopt},
    {"file with a second name", 0755, 0644, Link::Hard, Owner::Saver, kConfigWritten, true, true},
    {"writable file of another user", 0777, 0666, Link::None, Owner::Other, kConfigWritten, true, std::nullopt},
};
// clang-format on

enum class Runner { ThisProcess, UnprivilegedChild };

void PrintTo(const SaveCase& c, std::ostream* out) {
    *out << c.name;
}

void PrintTo(Runner runner, std::ostream* out) {
    *out << (runner == Runner::ThisProcess ? "in this process" : "unprivileged");
}

class ConfigFileSave : public ::testing::TestWithParam<std::tuple<SaveCase, Runner>> {};

TEST_P(ConfigFileSave, BytesOnDiskAndResult) {
    const auto& [c, runner] = GetParam();
    const bool root = ::geteuid() == 0;
    const std::optional<Account> nobody = test::UnprivilegedAccount();
    if (runner == Runner::UnprivilegedChild && (!root || !nobody)) {
        GTEST_SKIP() << "the test already runs unprivileged";
    }
    if (c.owner == Owner::Other && !root) {
        GTEST_SKIP() << "only the superuser can give a file to another user";
    }

    // The user the save runs as, and the other one.
    const bool child = runner == Runner::UnprivilegedChild;
    const Account saver = child ? *nobody : Account{::geteuid(), ::getegid()};
    const Account other = child ? Account{0, 0} : nobody.value_or(Account{0, 0});

    // The expected bytes come from a save where nothing stands in the way.
    TempDir scratch;
    ASSERT_EQ(WriteConfigFile(scratch.file("plain.cfg"), savedRecord(), savedInfo()),
              kConfigWritten);
    const Bytes newBytes = readBytes(scratch.file("plain.cfg"));

    TempDir dir;
    const fs::path folder = dir.path() / "configs";
    fs::create_directory(folder);
    const fs::path file = folder / "real.cfg";
    std::vector<std::string> expectedEntries;
    if (c.fileMode) {
        writeBytes(file, kOldBytes);
        ASSERT_EQ(::chmod(file.c_str(), *c.fileMode), 0);
        const Account& owner = c.owner == Owner::Other ? other : saver;
        ASSERT_EQ(::chown(file.c_str(), owner.uid, owner.gid), 0);
    }
    if (c.fileMode || c.expectNewBytes) {
        expectedEntries.push_back("real.cfg");
    }
    fs::path target = file;
    if (c.link == Link::Symbolic || c.link == Link::Dangling) {
        target = folder / "link.cfg";
        fs::create_symlink("real.cfg", target);
        ASSERT_EQ(::lchown(target.c_str(), saver.uid, saver.gid), 0);
        expectedEntries.push_back("link.cfg");
    } else if (c.link == Link::Hard) {
        fs::create_hard_link(file, folder / "other.cfg");
        expectedEntries.push_back("other.cfg");
    }
    std::sort(expectedEntries.begin(), expectedEntries.end());
    ASSERT_EQ(::chown(dir.path().c_str(), saver.uid, saver.gid), 0);
    ASSERT_EQ(::chown(folder.c_str(), saver.uid, saver.gid), 0);
    ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
    const std::optional<struct stat> before =
        c.fileMode ? std::optional(statOf(file)) : std::nullopt;

    auto save = [&] { return WriteConfigFile(target.string(), savedRecord(), savedInfo()); };
    const int code = child ? test::RunAs(saver, save).value_or(-1) : save();

    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(code, c.expectedCode);
    EXPECT_EQ(entries(folder), expectedEntries) << "no temporary file stays behind";
    if (c.link == Link::Symbolic || c.link == Link::Dangling) {
        EXPECT_TRUE(fs::is_symlink(target)) << "the link stays a link";
    }
    if (c.expectNewBytes) {
        EXPECT_EQ(readBytes(file), newBytes);
    } else if (c.fileMode) {
        EXPECT_EQ(readBytes(file), kOldBytes);
    }
    if (c.link == Link::Hard) {
        EXPECT_EQ(readBytes(folder / "other.cfg"), newBytes) << "both names see the new contents";
    }
    if (before) {
        const struct stat after = statOf(file);
        EXPECT_EQ(after.st_mode, before->st_mode);
        EXPECT_EQ(after.st_uid, before->st_uid);
        EXPECT_EQ(after.st_gid, before->st_gid);
        if (c.expectSameInode) {
            EXPECT_EQ(after.st_ino == before->st_ino, *c.expectSameInode);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigFileSave,
    ::testing::Combine(::testing::ValuesIn(kSaveCases),
                       ::testing::Values(Runner::ThisProcess, Runner::UnprivilegedChild)),
    [](const auto& info) {
        std::string name = std::get<0>(info.param).name;
        std::replace_if(
            name.begin(), name.end(), [](char ch) { return !std::isalnum(ch); }, '_');
        return name + (std::get<1>(info.param) == Runner::ThisProcess ? "_here" : "_unprivileged");
    });

} // namespace
