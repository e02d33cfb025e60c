#pragma once

#include "protocol/OperationResult.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The configuration image travels in five packets of 128 bytes. The record keeps its 16-bit tag
// little-endian, the converter expects it most significant byte first, so packet 0 swaps it.
namespace vandrel {

inline constexpr std::size_t kConfigPacketSize = 128;
using ConfigPacket = std::array<std::uint8_t, kConfigPacketSize>;

// Where packet `packet` lies on the converter: (packet + 0x700) * 128.
std::uint32_t configPacketAddress(std::int32_t packet);

// Packet `packet` (0..4) of `image` as it goes on the line.
ConfigPacket cutConfigPacket(const ConfigImage& image, std::int32_t packet);

// Stores a received packet at its place in `image`; a short one is stored with zeros for the
// bytes the converter did not send.
void storeConfigPacket(ConfigImage& image, std::int32_t packet,
                       std::span<const std::uint8_t> value);

} // namespace vandrel
