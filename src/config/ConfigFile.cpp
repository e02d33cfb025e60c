#include "config/ConfigFile.h"

#include "config/CodeField.h"
#include "config/FileHelpers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vandrel {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kConfigSize32 = static_cast<std::uint32_t>(kConfigSize);
constexpr std::uint32_t kDeviceInfoSize32 = static_cast<std::uint32_t>(kDeviceInfoSize);

std::uint32_t littleEndian32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// Files of versions 1 and 2 predate these fields; their stored bytes mean nothing to us.
void upgradeOldRecord(ConverterConfig& record) {
    auto& b = record.bytes;
    b[ConfigOffset::p12Checks] = 0x1A;
    b[ConfigOffset::p12Code] = 0;
    b[ConfigOffset::p12Code + kCodeFieldChars] = 0;
    b[ConfigOffset::p12Digits] = 0;
    b[ConfigOffset::p12Digits + kCodeFieldChars] = 0;
    std::fill(b.begin() + ConfigOffset::p12Value1, b.begin() + ConfigOffset::reserved, 0);
    b[ConfigOffset::p12Value1] = 4;
    b[ConfigOffset::p12Value2] = 20;
    b[ConfigOffset::p12Value3] = 3;
    b[ConfigOffset::p12Value4] = 4;
}

void setOutputs(const DeviceInfo& info, VersionText* firmwareVersion, VersionText* loaderVersion,
                std::uint8_t* systemInfoNumber) {
    if (firmwareVersion != nullptr) {
        SetVersionText(*firmwareVersion, VersionTextString(info.firmwareVersion));
    }
    if (loaderVersion != nullptr) {
        SetVersionText(*loaderVersion, VersionTextString(info.loaderVersion));
    }
    if (systemInfoNumber != nullptr) {
        *systemInfoNumber = info.systemInfoNumber;
    }
}

// Removes the temporary file unless it was renamed into place.
class TempFile {
public:
    explicit TempFile(std::string path) : path_(std::move(path)) {}
    ~TempFile() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }
    void release() { path_.clear(); }

private:
    std::string path_;
};

// Creates a new, empty file next to `target` (mode 0666 narrowed by the umask) and gives its name,
// or "" when the folder does not take one.
std::string createSibling(const fs::path& target) {
    std::random_device seed;
    std::mt19937 random(seed());
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // Room for the prefix and suffix within the 255 bytes a name may have.
    const std::string base = target.filename().string().substr(0, 200);
    for (int attempt = 0; attempt < 32; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        const std::string name = (folder / ("." + base + suffix + ".tmp")).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST && errno != EINTR) {
            break;
        }
    }
    return {};
}

bool flushToDisk(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

int ReadConfigFile(const std::string& path, ConverterConfig& record, VersionText* firmwareVersion,
                   VersionText* loaderVersion, std::uint8_t* systemInfoNumber) {
    if (!FileExists(path)) {
        return kConfigMissing;
    }
    std::array<std::uint8_t, kConfigFileTag.size()> tag{};
    if (FileReadAt(path, 0, tag.data(), tag.size()) < tag.size() || tag != kConfigFileTag) {
        return kConfigBadTag;
    }
    std::array<std::uint8_t, 4> versionBytes{};
    if (FileReadAt(path, kConfigFileVersionOffset, versionBytes.data(), 4) < 4) {
        return kConfigShortBlock;
    }
    const std::uint32_t version = littleEndian32(versionBytes.data());
    if (version < 1 || version > 3) {
        return kConfigBadVersion;
    }

    const std::size_t expectedSize = version == 1 ? kConfigFileSizeV1 : kConfigFileSize;
    if (FileSize(path) != expectedSize) {
        return kConfigBadFileSize;
    }
    if (FileReadAt(path, kConfigFileRecordOffset, record.bytes.data(), kConfigSize32) <
        kConfigSize32) {
        return kConfigShortBlock;
    }

    if (version == 1) {
        setOutputs(DeviceInfo{}, firmwareVersion, loaderVersion, systemInfoNumber);
        upgradeOldRecord(record);
        return kConfigLoaded;
    }

    DeviceInfo info;
    if (FileReadAt(path, kConfigFileDeviceInfoOffset, &info, kDeviceInfoSize32) <
        kDeviceInfoSize32) {
        return kConfigShortBlock;
    }
    setOutputs(info, firmwareVersion, loaderVersion, systemInfoNumber);

    if (version == 2) {
        upgradeOldRecord(record);
    } else if (record.bytes[ConfigOffset::p12Value4] == 0) {
        record.bytes[ConfigOffset::p12Value4] = 4;
    }
    return kConfigLoaded;
}

int WriteConfigFile(const std::string& path, const ConverterConfig& record,
                    const DeviceInfo& info) {
    if (path.empty()) {
        return kConfigWriteFailed;
    }
    // A link is followed, so the file it points to gets the new contents and the link stays.
    fs::path target(path);
    std::error_code error;
    if (fs::is_symlink(target, error)) {
        const fs::path resolved = fs::canonical(target, error);
        if (error) {
            return kConfigWriteFailed;
        }
        target = resolved;
    }

    TempFile temp(createSibling(target));
    if (temp.path().empty()) {
        return kConfigWriteFailed;
    }

    DeviceInfo stored;
    SetVersionText(stored.firmwareVersion, VersionTextString(info.firmwareVersion));
    SetVersionText(stored.loaderVersion, VersionTextString(info.loaderVersion));
    stored.systemInfoNumber = info.systemInfoNumber;
    const std::array<std::uint8_t, 4> version{kConfigFileVersion & 0xFF, 0, 0, 0};

    if (!FileAppend(temp.path(), kConfigFileTag.data(), kConfigFileTag.size()) ||
        !FileAppend(temp.path(), version.data(), version.size()) ||
        !FileAppend(temp.path(), record.bytes.data(), kConfigSize32) ||
        !FileAppend(temp.path(), &stored, kDeviceInfoSize32) ||
        !flushToDisk(temp.path(), O_RDONLY)) {
        return kConfigWriteFailed;
    }

    // Keep the permissions of the file being replaced.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::chmod(temp.path().c_str(), existing.st_mode & 07777);
    }
    if (::rename(temp.path().c_str(), target.c_str()) != 0) {
        return kConfigWriteFailed;
    }
    temp.release();
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    flushToDisk(folder.string(), O_RDONLY | O_DIRECTORY); // best effort: the rename is done
    return kConfigWritten;
}

} // namespace vandrel
