#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

// The device operations that carry data of their own. Each is created when its operation starts
// and dropped at every end, so the next operation can never pick up a file, an offset or a packet
// number that was meant for another one.
namespace vandrel {

inline constexpr std::size_t kConfigImageSize = 640;
using ConfigImage = std::array<std::uint8_t, kConfigImageSize>;

// What the session is doing with the converter, as far as it owns data or a state for it. The
// service requests of state Ready (monitoring, system information, password change) own nothing
// but their pending bit and are not named here.
enum class OperationKind {
    None,
    Reset,
    ConfigRead,
    ConfigWrite,
    FlashLoading,
    FlashDownloading,
};

// A configuration read or write: the image in transfer and the packet outstanding.
struct ConfigTransfer {
    bool writing = false;
    ConfigImage image{};
    std::int32_t packetNumber = 0;
};

// Firmware on its way into the converter's FLASH.
struct FlashLoad {
    // The firmware file the host confirmed for this loading; empty while a loading that the
    // converter's loader asked for still waits for the host's file.
    std::string path;
    std::int32_t total = 0;  // the file's size
    std::int32_t offset = 0; // of the chunk outstanding; `total` once the stop is sent
    bool converterStarted = false;
    bool accepted = false; // the converter has taken the start

    bool hasFile() const { return !path.empty(); }
};

// The converter's FLASH image on its way into a file.
struct FlashDownload {
    std::string path;
    std::int32_t total = 0;  // known from the converter's size answer
    std::int32_t offset = 0; // of the block outstanding
};

using Transfer = std::variant<std::monostate, ConfigTransfer, FlashLoad, FlashDownload>;

} // namespace vandrel
