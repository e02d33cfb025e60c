#include "protocol/FirmwareFile.h"

#include "config/FileHelpers.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace vandrel {
namespace {
constexpr std::size_t kMakerEnd = 19;   // 275 - 256
constexpr std::size_t kSecondZero = 20; // 276 - 256
constexpr std::size_t kVersionAt = 21;  // 277 - 256
constexpr std::size_t kVersionSize = 16;
constexpr std::size_t kLastZero = 37; // 293 - 256

// The zero-terminated text at `at`, never reading beyond `size` bytes of the header.
std::string textAt(const std::array<char, kFirmwareHeaderSize>& header, std::size_t at,
                   std::size_t size) {
    const char* begin = header.data() + at;
    return std::string(begin, strnlen(begin, size));
}
} // namespace

bool checkFirmwareHeader(const std::string& path, std::string& version) {
    // Reading would leave an empty file behind a mistyped name.
    if (!FileExists(path)) {
        return false;
    }
    std::array<char, kFirmwareHeaderSize> header{};
    if (FileReadAt(path, kFirmwareHeaderOffset, header.data(), header.size()) != header.size()) {
        return false;
    }
    version = textAt(header, kVersionAt, kVersionSize);
    return textAt(header, 0, kFirmwareHeaderSize) == kFirmwareMaker && header[kMakerEnd] == 0 &&
           header[kSecondZero] == 0 && header[kLastZero] == 0;
}

} // namespace vandrel
