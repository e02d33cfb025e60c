#include "protocol/ProtocolFrame.h"

#include <algorithm>
#include <new>

namespace vandrel {

FramePtr frameCreate(std::uint8_t type) {
    FramePtr frame(new (std::nothrow) ProtocolFrame());
    if (frame) {
        frame->bytes[0] = type;
    }
    return frame;
}

bool frameAddField(ProtocolFrame& frame, std::uint8_t tag, std::uint8_t n,
                   const std::uint8_t* value) {
    const std::size_t length = frame.payloadLength();
    if (length + n + 2 > kMaxPayload || (n > 0 && value == nullptr)) {
        return false;
    }
    std::uint8_t* payload = frame.bytes.data() + 2;
    std::size_t at = 0;
    while (at < length && payload[at] <= tag) {
        at += 2 + std::size_t{payload[at + 1]};
    }
    // A received payload may claim a field longer than itself; never move beyond its end.
    at = std::min(at, length);
    std::copy_backward(payload + at, payload + length, payload + length + n + 2);
    payload[at] = tag;
    payload[at + 1] = n;
    std::copy_n(value, n, payload + at + 2);
    frame.bytes[1] = static_cast<std::uint8_t>(length + n + 2);
    return true;
}

bool frameAddBytes(ProtocolFrame& frame, std::uint8_t tag,
                   std::initializer_list<std::uint8_t> value) {
    if (value.size() > kMaxPayload) {
        return false;
    }
    return frameAddField(frame, tag, static_cast<std::uint8_t>(value.size()), value.begin());
}

namespace {
std::uint8_t headerAndPayloadSum(const ProtocolFrame& frame) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < std::size_t{frame.payloadLength()} + 2; ++i) {
        sum = static_cast<std::uint8_t>(sum + frame.bytes[i]);
    }
    return sum;
}
} // namespace

void frameSeal(ProtocolFrame& frame) {
    frame.bytes[2 + frame.payloadLength()] =
        static_cast<std::uint8_t>(0u - headerAndPayloadSum(frame));
}

bool frameVerify(const ProtocolFrame& frame) {
    return static_cast<std::uint8_t>(headerAndPayloadSum(frame) +
                                     frame.bytes[2 + frame.payloadLength()]) == 0;
}

bool frameHasKnownType(const ProtocolFrame& frame) {
    return frame.type() >= kFrameTypeFirst && frame.type() <= kFrameTypeLast;
}

std::optional<FrameField> frameFindField(const ProtocolFrame& frame, std::uint8_t tag) {
    const std::size_t length = frame.payloadLength();
    std::size_t at = 0;
    while (at < length) {
        const std::size_t offset = 2 + at;
        const std::size_t n = frame.bytes[offset + 1];
        if (frame.bytes[offset] == tag) {
            if (at + 2 + n > length) {
                return std::nullopt;
            }
            return FrameField{offset, tag, {frame.bytes.data() + offset + 2, n}};
        }
        at += 2 + n;
    }
    return std::nullopt;
}

} // namespace vandrel
