#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The wire form of a frame: start flag, the frame bytes with three values escaped, end flag.
namespace vandrel {

inline constexpr std::uint8_t kStartFlag = 0x7E;
inline constexpr std::uint8_t kEndFlag = 0x7A;
inline constexpr std::uint8_t kEscape = 0xCD;

// The writer sends a frame in pieces: a piece is cut once 60 wire bytes are staged, so a piece
// holds 60 or 61 bytes and the last one the rest and the end flag.
inline constexpr std::size_t kWirePieceThreshold = 60;

struct WirePiece {
    std::array<std::uint8_t, 64> bytes{};
    std::size_t size = 0;

    std::span<const std::uint8_t> view() const { return {bytes.data(), size}; }
};

// Appends the complete wire form of `frame` (its L + 3 bytes) to `out`.
void frameStuff(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& out);
std::vector<std::uint8_t> frameStuff(std::span<const std::uint8_t> frame);

// The wire form cut into the pieces the writer sends, with a pause after each.
std::vector<WirePiece> frameWirePieces(std::span<const std::uint8_t> frame);

} // namespace vandrel
