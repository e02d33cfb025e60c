#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>

// A frame between the utility and the converter: type, payload length L, L payload bytes made of
// tag-length-value fields, and a checksum. It always lives in a buffer of the largest frame's
// size, so a frame can be built in place and handed on without copying.
namespace vandrel {

inline constexpr std::size_t kFrameCapacity = 258;
inline constexpr std::size_t kMaxPayload = 255;
inline constexpr std::uint8_t kFrameTypeRequest = 0xA1; // our requests
inline constexpr std::uint8_t kFrameTypeReply = 0xA2;   // our replies to converter messages
inline constexpr std::uint8_t kFrameTypeFirst = 0xA1;
inline constexpr std::uint8_t kFrameTypeLast = 0xA4;

struct ProtocolFrame {
    std::array<std::uint8_t, kFrameCapacity> bytes{};

    std::uint8_t type() const { return bytes[0]; }
    std::uint8_t payloadLength() const { return bytes[1]; }
    // Type, length, payload and checksum: L + 3 bytes.
    std::size_t length() const { return std::size_t{payloadLength()} + 3; }
    std::span<const std::uint8_t> frameBytes() const { return {bytes.data(), length()}; }
    std::span<const std::uint8_t> payload() const { return {bytes.data() + 2, payloadLength()}; }
};

// Frames travel between threads and owners as this handle; whoever holds it last releases it.
using FramePtr = std::unique_ptr<ProtocolFrame>;

// A field found in a frame's payload. `offset` is the position of its tag byte in the frame.
struct FrameField {
    std::size_t offset = 0;
    std::uint8_t tag = 0;
    std::span<const std::uint8_t> value;
};

// A new zero-filled frame of the given type with an empty payload; null when memory is exhausted.
FramePtr frameCreate(std::uint8_t type);

// Inserts a field in tag order (after fields with an equal tag). False, with the frame unchanged,
// when the payload would grow beyond 255 bytes.
bool frameAddField(ProtocolFrame& frame, std::uint8_t tag, std::uint8_t n,
                   const std::uint8_t* value);
bool frameAddBytes(ProtocolFrame& frame, std::uint8_t tag,
                   std::initializer_list<std::uint8_t> value);

// Writes the checksum: all L + 3 bytes then add up to 0 modulo 256.
void frameSeal(ProtocolFrame& frame);
bool frameVerify(const ProtocolFrame& frame);
bool frameHasKnownType(const ProtocolFrame& frame);

// The first field with `tag`. A field whose value would run past the payload counts as absent, so
// no caller can read beyond the frame.
std::optional<FrameField> frameFindField(const ProtocolFrame& frame, std::uint8_t tag);

} // namespace vandrel
