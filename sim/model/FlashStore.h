#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The converter's FLASH: the application image it runs, a new image being loaded into it chunk
// by chunk, and the 128-byte blocks it hands out when its image is downloaded.
namespace vandrel::sim {

inline constexpr std::size_t kFlashBlockSize = 128;
inline constexpr std::uint8_t kErased = 0xFF;

using FlashBlock = std::array<std::uint8_t, kFlashBlockSize>;

class FlashStore {
public:
    // `capacity` bounds a loaded image; addresses travel as 24 bits, so it is at most 16 MiB.
    explicit FlashStore(std::vector<std::uint8_t> image = {}, std::size_t capacity = 4 << 20);

    const std::vector<std::uint8_t>& image() const { return image_; }
    void setImage(std::vector<std::uint8_t> image) { image_ = std::move(image); }

    // Loading: a new image builds up in erased memory and replaces the old one only when the
    // loading is completed; a cancelled loading leaves the old image as it was.
    void beginLoading();
    bool loading() const { return loading_; }
    // Writes 128 bytes at `address`; the same chunk written twice lands in the same place. False
    // when no loading runs or the chunk would pass the capacity.
    bool writeChunk(std::uint32_t address, std::span<const std::uint8_t> data);
    void completeLoading();
    void cancelLoading();

    // Address of the last block of the image; none when the image is empty.
    std::optional<std::uint32_t> lastBlockAddress() const;
    // The block at `address`; erased bytes beyond the image's end.
    FlashBlock block(std::uint32_t address) const;

    // A firmware image of `size` bytes with a valid header carrying `version`, and a body that
    // mixes varied data, erased and zero blocks, and the framing byte values.
    static std::vector<std::uint8_t> makeFirmwareImage(std::size_t size, std::string_view version);
    // The version text of an image with a valid header.
    static std::optional<std::string> firmwareVersionOf(std::span<const std::uint8_t> image);

private:
    std::vector<std::uint8_t> image_;
    std::vector<std::uint8_t> staged_;
    std::size_t capacity_;
    bool loading_ = false;
};

} // namespace vandrel::sim
