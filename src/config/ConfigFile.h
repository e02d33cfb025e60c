#pragma once

#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Configuration files: a UTF-16 tag, a version, the 640-byte record and (from version 2 on) the
// DeviceInfo block. Versions 1 and 2 are still read; version 3 is written.
namespace vandrel {

inline constexpr std::array<std::uint8_t, 14> kConfigFileTag{'P', 0,   'C', 0,   '-', 0, 'C',
                                                             0,   'F', 0,   'G', 0,   0, 0};
inline constexpr std::uint32_t kConfigFileVersion = 3;
inline constexpr std::size_t kConfigFileVersionOffset = 14;
inline constexpr std::size_t kConfigFileRecordOffset = 18;
inline constexpr std::size_t kConfigFileDeviceInfoOffset = kConfigFileRecordOffset + kConfigSize;
inline constexpr std::size_t kConfigFileSizeV1 = kConfigFileDeviceInfoOffset;
inline constexpr std::size_t kConfigFileSize = kConfigFileDeviceInfoOffset + kDeviceInfoSize;
static_assert(kConfigFileSizeV1 == 658 && kConfigFileSize == 787);

// Result codes of ReadConfigFile.
enum ConfigReadResult : int {
    kConfigLoaded = 0,
    kConfigMissing = 1,     // not an existing, readable file
    kConfigBadTag = 2,      // shorter than the tag, or another tag
    kConfigBadVersion = 3,  // not 1, 2 or 3
    kConfigShortBlock = 4,  // version, record or DeviceInfo could not be read whole
    kConfigBadFileSize = 5, // not the exact size of its version
};

// Result codes of WriteConfigFile.
enum ConfigWriteResult : int {
    kConfigWritten = 0,
    kConfigWriteFailed = 10,
};

// Reads `path` into `record` and the optional DeviceInfo outputs and returns a ConfigReadResult.
// Older versions come back upgraded. The outputs are written only as far as reading got, so
// callers pass scratch copies and keep them only on kConfigLoaded.
int ReadConfigFile(const std::string& path, ConverterConfig& record,
                   VersionText* firmwareVersion = nullptr, VersionText* loaderVersion = nullptr,
                   std::uint8_t* systemInfoNumber = nullptr);

// Writes a version-3 file the way ReplaceFileContents saves (FileReplace.h): an existing file that
// may not be written is refused and kept, and a failed write leaves the old file as it was
// wherever the folder allows a new file beside it.
int WriteConfigFile(const std::string& path, const ConverterConfig& record, const DeviceInfo& info);

} // namespace vandrel
