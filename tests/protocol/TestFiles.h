#pragma once

#include "SessionRig.h"

#include "config/FileHelpers.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

// Firmware and image files for transfer tests.
namespace testfiles {

// A firmware file of `size` bytes (at least 294) with a valid header and varied content.
inline rig::Bytes firmware(std::size_t size, const std::string& version = "V2.10") {
    rig::Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 31 + 7) % 256);
    }
    std::fill(bytes.begin() + 256, bytes.begin() + 294, 0);
    std::memcpy(bytes.data() + 256, "Quarnweil Convertor", 19);
    std::memcpy(bytes.data() + 277, version.data(), std::min<std::size_t>(version.size(), 16));
    return bytes;
}

inline void write(const std::string& path, const rig::Bytes& bytes) {
    vandrel::FileTruncate(path);
    vandrel::FileAppend(path, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

inline rig::Bytes read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace testfiles
