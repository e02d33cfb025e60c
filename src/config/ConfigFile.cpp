#include "config/ConfigFile.h"

#include "config/CodeField.h"
#include "config/FileHelpers.h"
#include "config/FileReplace.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vandrel {
namespace {

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
    DeviceInfo stored;
    SetVersionText(stored.firmwareVersion, VersionTextString(info.firmwareVersion));
    SetVersionText(stored.loaderVersion, VersionTextString(info.loaderVersion));
    stored.systemInfoNumber = info.systemInfoNumber;

    std::vector<std::uint8_t> bytes(kConfigFileTag.begin(), kConfigFileTag.end());
    bytes.resize(kConfigFileSize);
    bytes[kConfigFileVersionOffset] = kConfigFileVersion & 0xFF;
    std::copy(record.bytes.begin(), record.bytes.end(), bytes.begin() + kConfigFileRecordOffset);
    std::memcpy(bytes.data() + kConfigFileDeviceInfoOffset, &stored, kDeviceInfoSize);
    return ReplaceFileContents(path, bytes) ? kConfigWritten : kConfigWriteFailed;
}

} // namespace vandrel
