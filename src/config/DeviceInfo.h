#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vandrel {

inline constexpr std::size_t kDeviceInfoSize = 129;
inline constexpr std::size_t kVersionTextSize = 64;
inline constexpr std::uint8_t kUnknownPartition = 255;

using VersionText = std::array<char, kVersionTextSize>;

// What the converter reported about itself, kept beside the record by the document and stored in
// configuration files. A new one is "unknown": both texts empty, partition 255.
struct DeviceInfo {
    VersionText firmwareVersion{}; // NUL-terminated
    VersionText loaderVersion{};   // NUL-terminated
    std::uint8_t systemInfoNumber = kUnknownPartition;
};

static_assert(sizeof(DeviceInfo) == kDeviceInfoSize);
static_assert(offsetof(DeviceInfo, loaderVersion) == 64);
static_assert(offsetof(DeviceInfo, systemInfoNumber) == 128);

// The text up to its terminator, at most 63 characters even when the terminator is missing.
std::string VersionTextString(const VersionText& text);

// Stores at most 63 characters of `text`, terminated, with zeros behind.
void SetVersionText(VersionText& target, std::string_view text);

} // namespace vandrel
