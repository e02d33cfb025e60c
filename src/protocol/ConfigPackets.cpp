#include "protocol/ConfigPackets.h"

#include "protocol/OperationContext.h"

#include <algorithm>
#include <utility>

namespace vandrel {
namespace {

std::ptrdiff_t packetStart(std::int32_t packet) {
    return static_cast<std::ptrdiff_t>(packet) * static_cast<std::ptrdiff_t>(kConfigPacketSize);
}

} // namespace

std::uint32_t configPacketAddress(std::int32_t packet) {
    return (static_cast<std::uint32_t>(packet) + kConfigFirstBlock) * kConfigPacketSize;
}

ConfigPacket cutConfigPacket(const ConfigImage& image, std::int32_t packet) {
    ConfigPacket out;
    std::copy_n(image.begin() + packetStart(packet), kConfigPacketSize, out.begin());
    if (packet == 0) {
        std::swap(out[0], out[1]);
    }
    return out;
}

void storeConfigPacket(ConfigImage& image, std::int32_t packet,
                       std::span<const std::uint8_t> value) {
    ConfigPacket stored{};
    std::copy_n(value.begin(), std::min(value.size(), kConfigPacketSize), stored.begin());
    std::copy(stored.begin(), stored.end(), image.begin() + packetStart(packet));
    if (packet == 0) {
        std::swap(image[0], image[1]);
    }
}

} // namespace vandrel
