#pragma once

#include <cstddef>
#include <string>

// The header every firmware file carries at offset 256: the maker text, two zero bytes, a version
// text of at most 16 characters and a zero byte.
namespace vandrel {

inline constexpr std::size_t kFirmwareHeaderOffset = 256;
inline constexpr std::size_t kFirmwareHeaderSize = 38;
inline constexpr const char* kFirmwareMaker = "Quarnweil Convertor";

// True when `path` holds a firmware header. Whenever the header could be read, `version`
// receives its version text, also when the check fails.
bool checkFirmwareHeader(const std::string& path, std::string& version);

} // namespace vandrel
