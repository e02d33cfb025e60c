#include "config/FileHelpers.h"

#include "TempDir.h"
#include "Unprivileged.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace vandrel;
namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(FileHelpers, AppendTruncateReadAndSize) {
    TempDir dir;
    const std::string path = dir.file("a.bin");

    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(FileSize(path), 0u);
    ASSERT_TRUE(FileAppend(path, "hello", 5));
    ASSERT_TRUE(FileAppend(path, " world", 6));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(FileSize(path), 11u);
    EXPECT_EQ(readAll(path), "hello world");

    std::array<char, 16> buf{};
    EXPECT_EQ(FileReadAt(path, 6, buf.data(), 16), 5u);
    EXPECT_EQ(std::string(buf.data(), 5), "world");
    EXPECT_EQ(FileReadAt(path, 0, buf.data(), 3), 3u);
    EXPECT_EQ(std::string(buf.data(), 3), "hel");
    // Past the end the position is still reached; there is just nothing to read.
    EXPECT_EQ(FileReadAt(path, 100, buf.data(), 4), 0u);

    ASSERT_TRUE(FileTruncate(path));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(FileSize(path), 0u);
}

TEST(FileHelpers, MissingFiles) {
    TempDir dir;
    const std::string readPath = dir.file("read-creates");
    std::array<char, 4> buf{};
    EXPECT_EQ(FileReadAt(readPath, 0, buf.data(), 4), 0u);
    EXPECT_TRUE(fs::exists(readPath)) << "a read of a missing file leaves it behind, empty";
    EXPECT_EQ(fs::file_size(readPath), 0u);

    const std::string appendPath = dir.file("append-empty");
    EXPECT_TRUE(FileAppend(appendPath, nullptr, 0));
    EXPECT_TRUE(fs::exists(appendPath));
    EXPECT_EQ(fs::file_size(appendPath), 0u);

    const std::string truncPath = dir.file("trunc-creates");
    EXPECT_TRUE(FileTruncate(truncPath));
    EXPECT_TRUE(fs::exists(truncPath));
}

TEST(FileHelpers, BadPathsFailQuietly) {
    TempDir dir;
    const std::string inMissingFolder = dir.file("no/such/folder/file");
    const std::string folder = dir.path().string();
    std::array<char, 4> buf{};

    for (const std::string& path : {inMissingFolder, folder, std::string()}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(FileExists(path));
        EXPECT_FALSE(FileTruncate(path));
        EXPECT_FALSE(FileAppend(path, "x", 1));
        EXPECT_TRUE(FileAppend(path, "x", 0));
        EXPECT_EQ(FileReadAt(path, 0, buf.data(), 4), 0u);
        EXPECT_EQ(FileSize(path), 0u);
    }
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST(FileHelpers, UnreadableFile) {
    TempDir dir;
    const std::string path = dir.file("secret");
    ASSERT_TRUE(FileAppend(path, "abc", 3));
    fs::permissions(path, fs::perms::none);
    // Each failed expectation sets one bit of the result.
    auto check = [&path] {
        std::array<char, 4> buf{};
        return (FileExists(path) ? 1 : 0) | (FileReadAt(path, 0, buf.data(), 3) != 0 ? 2 : 0) |
               (FileSize(path) != 0 ? 4 : 0);
    };
    if (::geteuid() != 0) {
        EXPECT_EQ(check(), 0);
        return;
    }
    // The superuser reads every file; an ordinary user may not.
    const auto nobody = test::UnprivilegedAccount();
    ASSERT_TRUE(nobody.has_value());
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
    EXPECT_EQ(test::RunAs(*nobody, check), 0);
    std::array<char, 4> buf{};
    EXPECT_TRUE(FileExists(path)) << "the file is still there for its owner";
    EXPECT_EQ(FileReadAt(path, 0, buf.data(), 3), 3u);
}

TEST(FileHelpers, DeleteRemovesFilesButNotFolders) {
    TempDir dir;
    const std::string path = dir.file("image.bin");
    ASSERT_TRUE(FileAppend(path, "abc", 3));
    EXPECT_TRUE(FileDelete(path));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(FileDelete(path)) << "a file that is already gone counts as deleted";

    const std::string folder = dir.file("folder");
    fs::create_directory(folder);
    EXPECT_FALSE(FileDelete(folder));
    EXPECT_TRUE(fs::exists(folder));
}
