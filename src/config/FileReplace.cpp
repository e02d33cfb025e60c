#include "config/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// The kernel gives up on longer chains of links too.
constexpr int kMaxLinkHops = 40;
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// Removes the temporary file unless it was renamed into place.
class TempFile {
public:
    TempFile() = default;
    ~TempFile() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    void adopt(std::string path) { path_ = std::move(path); }
    const std::string& path() const { return path_; }
    void release() { path_.clear(); }

private:
    std::string path_;
};

// The file a chain of symbolic links ends at (which need not exist), or nothing for a loop.
std::optional<fs::path> followLinks(fs::path path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::error_code error;
        const fs::path target = fs::read_symlink(path, error);
        if (error) {
            return std::nullopt;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return std::nullopt;
}

bool isSuperuser() {
    return ::geteuid() == 0;
}

// Whether this process may change `path`: what the file system allows, narrowed for the superuser
// to files and folders that carry a write permission bit at all.
bool mayWrite(const fs::path& path, const struct stat& st) {
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return false;
    }
    return !isSuperuser() || (st.st_mode & kAnyWriteBit) != 0;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes, off_t offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A new, empty file in `folder` named after `base`; its descriptor, or -1 when the folder takes
// none.
int createSibling(const fs::path& folder, const std::string& base, TempFile& temp) {
    std::random_device seed;
    std::mt19937 random(seed());
    // Room for the prefix and suffix within the 255 bytes a name may have.
    const std::string stem = base.substr(0, 200);
    for (int attempt = 0; attempt < 32; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        const std::string name = (folder / ("." + stem + suffix + ".tmp")).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temp.adopt(name);
            return fd;
        }
        if (errno != EEXIST && errno != EINTR) {
            break;
        }
    }
    return -1;
}

void syncFolder(const fs::path& folder) {
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) {
        ::fsync(fd.get()); // best effort: the rename is done either way
    }
}

enum class Replaced { Done, Failed, NotPossible };

// Writes a temporary file and renames it over `target`. NotPossible when the folder takes no new
// file or the old file's owner could not be kept; nothing has changed then.
Replaced replaceByRename(const fs::path& target, const struct stat* existing,
                         std::span<const std::uint8_t> bytes) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    struct stat folderStat {};
    if (::stat(folder.c_str(), &folderStat) != 0 || !mayWrite(folder, folderStat)) {
        return Replaced::NotPossible;
    }
    TempFile temp;
    Descriptor fd(createSibling(folder, target.filename().string(), temp));
    if (!fd.valid()) {
        return Replaced::NotPossible;
    }
    if (existing != nullptr) {
        const bool sameOwner = existing->st_uid == ::geteuid() && existing->st_gid == ::getegid();
        if (!sameOwner && ::fchown(fd.get(), existing->st_uid, existing->st_gid) != 0) {
            return Replaced::NotPossible;
        }
        // After the owner: a change of owner clears the set-id bits.
        if (::fchmod(fd.get(), existing->st_mode & 07777) != 0) {
            return Replaced::Failed;
        }
    }
    if (!writeAll(fd.get(), bytes, 0) || ::fsync(fd.get()) != 0) {
        return Replaced::Failed;
    }
    if (::rename(temp.path().c_str(), target.c_str()) != 0) {
        return Replaced::Failed;
    }
    temp.release();
    syncFolder(folder);
    return Replaced::Done;
}

// Overwrites the file itself: what it held beyond the new contents is cut off afterwards.
bool writeInPlace(const fs::path& target, std::span<const std::uint8_t> bytes) {
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    return writeAll(fd.get(), bytes, 0) &&
           ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd.get()) == 0;
}

} // namespace

bool ReplaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty()) {
        return false;
    }
    const std::optional<fs::path> target = followLinks(path);
    if (!target) {
        return false;
    }
    struct stat st {};
    const bool exists = ::stat(target->c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        return false;
    }
    if (exists && (!S_ISREG(st.st_mode) || !mayWrite(*target, st))) {
        return false;
    }
    // Other names of the file would keep the old contents after a rename.
    if (!exists || st.st_nlink == 1) {
        switch (replaceByRename(*target, exists ? &st : nullptr, bytes)) {
        case Replaced::Done:
            return true;
        case Replaced::Failed:
            return false;
        case Replaced::NotPossible:
            break;
        }
    }
    return exists && writeInPlace(*target, bytes);
}

namespace {

// What a staged file may keep in memory: more than any FLASH image of the converter.
constexpr std::size_t kMaxStagedInMemory = 64u * 1024 * 1024;

} // namespace

std::unique_ptr<StagedFile> StagedFile::create(const std::string& path) {
    if (path.empty()) {
        return nullptr;
    }
    const std::optional<fs::path> target = followLinks(path);
    if (!target) {
        return nullptr;
    }
    struct stat st {};
    const bool exists = ::stat(target->c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        return nullptr;
    }
    if (exists && (!S_ISREG(st.st_mode) || !mayWrite(*target, st))) {
        return nullptr;
    }
    std::unique_ptr<StagedFile> staged(new StagedFile(path, target->string()));
    const fs::path folder = target->has_parent_path() ? target->parent_path() : fs::path(".");
    struct stat folderStat {};
    const bool folderTakesFiles =
        ::stat(folder.c_str(), &folderStat) == 0 && mayWrite(folder, folderStat);
    if (folderTakesFiles && (!exists || st.st_nlink == 1)) {
        TempFile temp;
        const int fd = createSibling(folder, target->filename().string(), temp);
        bool kept = fd >= 0;
        if (kept && exists) {
            const bool sameOwner = st.st_uid == ::geteuid() && st.st_gid == ::getegid();
            kept = (sameOwner || ::fchown(fd, st.st_uid, st.st_gid) == 0) &&
                   ::fchmod(fd, st.st_mode & 07777) == 0;
        }
        if (kept) {
            staged->fd_ = fd;
            staged->tempPath_ = temp.path();
            temp.release();
            return staged;
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }
    if (!exists) {
        return nullptr; // nowhere to put a new file
    }
    staged->inMemory_ = true;
    return staged;
}

StagedFile::~StagedFile() {
    discard();
}

void StagedFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
    memory_.clear();
    memory_.shrink_to_fit();
}

bool StagedFile::append(std::span<const std::uint8_t> bytes) {
    if (failed_) {
        return false;
    }
    if (inMemory_) {
        if (memory_.size() + bytes.size() > kMaxStagedInMemory) {
            failed_ = true;
            return false;
        }
        memory_.insert(memory_.end(), bytes.begin(), bytes.end());
        return true;
    }
    if (fd_ < 0 || !writeAll(fd_, bytes, static_cast<off_t>(size_))) {
        failed_ = true;
        return false;
    }
    size_ += bytes.size();
    return true;
}

bool StagedFile::commit() {
    bool done = false;
    if (!failed_) {
        if (inMemory_) {
            done = ReplaceFileContents(path_, memory_);
        } else if (fd_ >= 0 && ::fsync(fd_) == 0 &&
                   ::rename(tempPath_.c_str(), target_.c_str()) == 0) {
            tempPath_.clear();
            const fs::path target(target_);
            syncFolder(target.has_parent_path() ? target.parent_path() : fs::path("."));
            done = true;
        }
    }
    failed_ = true; // spent
    discard();
    return done;
}

} // namespace vandrel
