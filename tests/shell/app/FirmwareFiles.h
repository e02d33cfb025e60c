#pragma once

#include "TempDir.h"

#include "sim/model/FlashStore.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A firmware file with a valid header and `size` bytes in all, in the test's folder.
inline std::string writeFirmware(const TempDir& dir, std::size_t size, const std::string& version) {
    const std::string path = dir.file("firmware.bin");
    const std::vector<std::uint8_t> image =
        vandrel::sim::FlashStore::makeFirmwareImage(size, version);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    return path;
}

inline std::vector<std::uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
