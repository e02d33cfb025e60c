#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The converter's stored configuration: 640 bytes in five 128-byte packets at fixed addresses.
// It is kept as it travels on the line, so the 16-bit tag at its start reads most significant
// byte first here. The access password lives inside it, in the field the utility stamps before a
// write, so a written configuration brings its password along.
namespace vandrel::sim {

inline constexpr std::size_t kConfigSize = 640;
inline constexpr std::size_t kConfigPacketSize = 128;
inline constexpr std::uint32_t kConfigBaseAddress = 0x700 * 128; // packet 0
inline constexpr std::size_t kPasswordOffset = 558;
inline constexpr std::size_t kPasswordSize = 32;

using ConfigImage = std::array<std::uint8_t, kConfigSize>;

class ConfigStore {
public:
    ConfigStore() : image_(factoryImage()) {}
    explicit ConfigStore(const ConfigImage& image) : image_(image) {}

    // Factory settings, in line order.
    static ConfigImage factoryImage();

    const ConfigImage& image() const { return image_; }

    // The packet at a device address; none for an address that is not a packet's.
    std::optional<std::span<const std::uint8_t>> readPacket(std::uint32_t address) const;
    // False, with nothing stored, for a bad address or a packet that is not 128 bytes.
    bool writePacket(std::uint32_t address, std::span<const std::uint8_t> data);

    // Puts one byte, as a worn cell that holds its value does.
    void setByte(std::size_t offset, std::uint8_t value) {
        if (offset < image_.size()) {
            image_[offset] = value;
        }
    }

    // The characters up to the first zero or erased (0xFF) byte; empty means no protection.
    std::string password() const;
    // Clears the field to zero and puts the (at most 32) characters in.
    void setPassword(std::string_view password);

private:
    static std::optional<std::size_t> packetOffset(std::uint32_t address);

    ConfigImage image_;
};

} // namespace vandrel::sim
