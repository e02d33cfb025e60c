#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// Saving a whole file over an older one without losing it on the way.
namespace vandrel {

// Gives the file `path` exactly `bytes` as its contents; true when they are on disk.
//
// - A new file, or one that only this name points to, is written to a temporary file beside it
//   that then replaces it, with the old file's mode, owner and group: a failure at any point
//   leaves the old file as it was.
// - An existing file that may not be written is refused and left alone. For the superuser, who
//   may write anything the file system allows, a file without any write permission bit counts as
//   write-protected.
// - When the folder takes no new file (or, for the superuser, has no write permission bit) but
//   the file may be written, the file is written in place; so is a file with more than one name
//   or whose owner could not be kept, so that the other names and the owner keep seeing it.
// - A symbolic link stays a link: the file it points to gets the contents.
// - Anything but a regular file (a folder, a device, a pipe) is refused.
bool ReplaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes);

// A file written in pieces that replaces `path` only once it is complete. The pieces go to a
// temporary file beside it, which commit() renames into place with the old file's mode, owner
// and group; where that is not possible (a folder that takes no new file, a file with another
// name) they are kept in memory and commit() writes them as ReplaceFileContents does. Until
// commit(), and when the staged file is dropped without it, `path` is as it was and no
// temporary file stays behind.
class StagedFile {
public:
    // None when `path` cannot be replaced at all (write-protected, not a regular file, a folder
    // that takes no new file for a file that does not exist yet).
    static std::unique_ptr<StagedFile> create(const std::string& path);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // True when every byte was taken.
    bool append(std::span<const std::uint8_t> bytes);
    // Puts the contents in place; true when they are on disk. The staged file is spent either
    // way.
    bool commit();
    const std::string& path() const { return path_; }

private:
    StagedFile(std::string path, std::string target) : path_(std::move(path)), target_(target) {}
    void discard();

    std::string path_;   // as the caller named it
    std::string target_; // the file it names, links followed
    std::string tempPath_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    bool inMemory_ = false;
    std::vector<std::uint8_t> memory_;
    bool failed_ = false;
};

} // namespace vandrel
