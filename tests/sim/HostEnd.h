#pragma once

#include "protocol/FrameAssembler.h"
#include "protocol/FrameWire.h"
#include "protocol/ProtocolFrame.h"
#include "sim/model/ConverterModel.h"

#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <string_view>
#include <utility>
#include <vector>

// The utility's end of the line to an in-process stand-in converter: builds request frames with
// the codec, sends their wire form and collects the frames that come back.
namespace vandrel::sim::testing {

using Bytes = std::vector<std::uint8_t>;

struct TestField {
    std::uint8_t tag;
    Bytes value;
};

using Fields = std::vector<TestField>;

inline Bytes buildFrame(std::uint8_t type, const Fields& fields) {
    FramePtr frame = frameCreate(type);
    for (const TestField& field : fields) {
        frameAddField(*frame, field.tag, static_cast<std::uint8_t>(field.value.size()),
                      field.value.data());
    }
    frameSeal(*frame);
    return Bytes(frame->frameBytes().begin(), frame->frameBytes().end());
}

// Type, length and payload as written out by hand, with the checksum appended.
inline Bytes withChecksum(Bytes bytes) {
    const auto sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
    bytes.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
    return bytes;
}

inline Bytes text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes address(std::uint32_t a) {
    return {static_cast<std::uint8_t>(a >> 16), static_cast<std::uint8_t>(a >> 8),
            static_cast<std::uint8_t>(a)};
}

// Password field value: the characters and a zero byte.
inline Bytes pw(std::string_view s) {
    Bytes b = text(s);
    b.push_back(0);
    return b;
}

// The converter's restart events, as it sends them: the restart code, its version text and, from
// a loader that waits for firmware, status 0x9F.
inline Bytes loaderEvent(std::uint8_t code, bool waitsForFirmware = false,
                         std::string_view version = "L1") {
    Bytes b{0xA1, 0, 0x11, 0x01, code, 0x15, static_cast<std::uint8_t>(version.size())};
    b.insert(b.end(), version.begin(), version.end());
    if (waitsForFirmware) {
        b.insert(b.end(), {0x71, 0x01, 0x9F});
    }
    b[1] = static_cast<std::uint8_t>(b.size() - 2);
    return withChecksum(b);
}

inline Bytes codeEvent(std::uint8_t code, std::string_view version) {
    Bytes b{0xA1, static_cast<std::uint8_t>(5 + version.size()), 0x13, 0x01, code,
            0x15, static_cast<std::uint8_t>(version.size())};
    b.insert(b.end(), version.begin(), version.end());
    return withChecksum(b);
}

// What the loader reports before it starts the application code.
inline Bytes partitionReport(std::uint8_t partition) {
    return withChecksum({0xA2, 0x03, 0x51, 0x01, partition});
}

class HostEnd {
public:
    explicit HostEnd(ConverterModel& model)
        : model_(model), assembler_([this](ReceivedFrame r) {
              frames_.emplace_back(r.frame->bytes.begin(),
                                   r.frame->bytes.begin() + static_cast<std::ptrdiff_t>(r.count));
          }) {
        model_.setOutputHandler([this](std::span<const std::uint8_t> bytes) {
            wire_.insert(wire_.end(), bytes.begin(), bytes.end());
            assembler_.feed(bytes);
        });
    }

    void sendRaw(const Bytes& frameBytes) { model_.receiveBytes(frameStuff(frameBytes)); }
    void send(const Fields& fields, std::uint8_t type = 0xA1) { sendRaw(buildFrame(type, fields)); }

    // Every frame received so far; the list starts afresh.
    std::vector<Bytes> take() { return std::exchange(frames_, {}); }
    // Sends a request, lets the converter handle it and returns what came back.
    std::vector<Bytes> exchange(const Fields& fields, std::uint8_t type = 0xA1) {
        send(fields, type);
        model_.advance(SimTime{0});
        return take();
    }
    Bytes& wire() { return wire_; }

private:
    ConverterModel& model_;
    FrameAssembler assembler_;
    std::vector<Bytes> frames_;
    Bytes wire_;
};

} // namespace vandrel::sim::testing
