#include "sim/model/FlashStore.h"

#include <algorithm>
#include <cstring>

namespace vandrel::sim {
namespace {

constexpr std::size_t kHeaderOffset = 256;
constexpr std::string_view kMakerText = "Quarnweil Convertor";
constexpr std::size_t kVersionOffset = 277;
constexpr std::size_t kVersionSize = 16;
constexpr std::size_t kHeaderEnd = 294;

} // namespace

FlashStore::FlashStore(std::vector<std::uint8_t> image, std::size_t capacity)
    : image_(std::move(image)), capacity_(std::min<std::size_t>(capacity, 1u << 24)) {}

void FlashStore::beginLoading() {
    staged_.clear();
    loading_ = true;
}

bool FlashStore::writeChunk(std::uint32_t address, std::span<const std::uint8_t> data) {
    const std::size_t end = std::size_t{address} + data.size();
    if (!loading_ || end > capacity_) {
        return false;
    }
    if (staged_.size() < end) {
        staged_.resize(end, kErased);
    }
    std::copy(data.begin(), data.end(), staged_.begin() + address);
    return true;
}

void FlashStore::completeLoading() {
    if (loading_) {
        image_ = std::move(staged_);
        staged_.clear();
        loading_ = false;
    }
}

void FlashStore::cancelLoading() {
    staged_.clear();
    loading_ = false;
}

std::optional<std::uint32_t> FlashStore::lastBlockAddress() const {
    if (image_.empty()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>((image_.size() - 1) / kFlashBlockSize * kFlashBlockSize);
}

FlashBlock FlashStore::block(std::uint32_t address) const {
    FlashBlock out;
    out.fill(kErased);
    if (address < image_.size()) {
        const std::size_t n = std::min(kFlashBlockSize, image_.size() - address);
        std::copy_n(image_.begin() + address, n, out.begin());
    }
    return out;
}

std::vector<std::uint8_t> FlashStore::makeFirmwareImage(std::size_t size,
                                                        std::string_view version) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t block = i / kFlashBlockSize;
        if (block % 7 == 3) {
            image[i] = kErased;
        } else if (block % 11 == 5) {
            image[i] = 0x00;
        } else {
            // Walks through every byte value, the flags and the escape included.
            image[i] = static_cast<std::uint8_t>(i * 31 + block * 7);
        }
    }
    if (size >= kHeaderEnd) {
        std::fill(image.begin() + kHeaderOffset, image.begin() + kHeaderEnd, 0x00);
        std::copy(kMakerText.begin(), kMakerText.end(), image.begin() + kHeaderOffset);
        const std::size_t n = std::min(version.size(), kVersionSize - 1);
        std::copy_n(version.begin(), n, image.begin() + kVersionOffset);
    }
    return image;
}

std::optional<std::string> FlashStore::firmwareVersionOf(std::span<const std::uint8_t> image) {
    if (image.size() < kHeaderEnd ||
        !std::equal(kMakerText.begin(), kMakerText.end(), image.begin() + kHeaderOffset) ||
        image[275] != 0 || image[276] != 0 || image[293] != 0) {
        return std::nullopt;
    }
    const auto* text = reinterpret_cast<const char*>(image.data() + kVersionOffset);
    return std::string(text, strnlen(text, kVersionSize));
}

} // namespace vandrel::sim
