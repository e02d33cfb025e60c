#include "sim/model/ConfigStore.h"

#include <algorithm>

namespace vandrel::sim {
namespace {

void putText(ConfigImage& image, std::size_t offset, std::string_view text) {
    std::copy(text.begin(), text.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

// A 20-character text with its length byte behind it.
void putCode(ConfigImage& image, std::size_t offset, std::string_view text) {
    putText(image, offset, text);
    image[offset + 20] = static_cast<std::uint8_t>(text.size());
}

} // namespace

ConfigImage ConfigStore::factoryImage() {
    ConfigImage image{};
    image[0] = 0x18; // tag 0x1862, most significant byte first as on the line
    image[1] = 0x62;
    putText(image, 2, "English");
    image[37] = 1;
    image[38] = 3;
    putText(image, 42, "200");
    image[62] = 3;
    putText(image, 63, "201");
    image[83] = 3;
    image[84] = 0x02;
    image[85] = 20;
    image[86] = 5;
    image[91] = 0x1A;
    struct Code {
        std::size_t offset;
        std::string_view text;
    };
    static constexpr Code kCodes[] = {
        {94, "*21*n#,,,"},  {115, "#21#,,,"},      {136, "*67*n#,,,"}, {157, "#67#,,,"},
        {178, "*61*n#,,,"}, {199, "#61#,,,"},      {220, "R"},         {241, "R2"},
        {262, "R3"},        {367, "R,,,,*37#,,,"}, {388, "*31#"},
    };
    for (const Code& code : kCodes) {
        putCode(image, code.offset, code.text);
    }
    std::fill_n(image.begin() + kPasswordOffset, kPasswordSize, 0xFF);
    image[590] = 4;
    image[591] = 20;
    image[592] = 3;
    image[593] = 4;
    return image;
}

std::optional<std::size_t> ConfigStore::packetOffset(std::uint32_t address) {
    if (address < kConfigBaseAddress || (address - kConfigBaseAddress) % kConfigPacketSize != 0) {
        return std::nullopt;
    }
    const std::size_t offset = address - kConfigBaseAddress;
    if (offset >= kConfigSize) {
        return std::nullopt;
    }
    return offset;
}

std::optional<std::span<const std::uint8_t>> ConfigStore::readPacket(std::uint32_t address) const {
    const auto offset = packetOffset(address);
    if (!offset) {
        return std::nullopt;
    }
    return std::span<const std::uint8_t>(image_.data() + *offset, kConfigPacketSize);
}

bool ConfigStore::writePacket(std::uint32_t address, std::span<const std::uint8_t> data) {
    const auto offset = packetOffset(address);
    if (!offset || data.size() != kConfigPacketSize) {
        return false;
    }
    std::copy(data.begin(), data.end(), image_.begin() + static_cast<std::ptrdiff_t>(*offset));
    return true;
}

std::string ConfigStore::password() const {
    std::string text;
    for (std::size_t i = 0; i < kPasswordSize; ++i) {
        const std::uint8_t c = image_[kPasswordOffset + i];
        if (c == 0x00 || c == 0xFF) {
            break;
        }
        text.push_back(static_cast<char>(c));
    }
    return text;
}

void ConfigStore::setPassword(std::string_view password) {
    std::fill_n(image_.begin() + kPasswordOffset, kPasswordSize, 0x00);
    putText(image_, kPasswordOffset, password.substr(0, kPasswordSize));
}

} // namespace vandrel::sim
