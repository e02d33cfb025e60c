#pragma once

#include "protocol/ProtocolFrame.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

// Turns received wire bytes back into frames. Not thread-safe by itself: its owner feeds and
// ticks it under one lock.
namespace vandrel {

// A delivered frame with the number of bytes that arrived for it (which need not be L + 3).
struct ReceivedFrame {
    FramePtr frame;
    std::size_t count = 0;
};

class FrameAssembler {
public:
    using FrameHandler = std::function<void(ReceivedFrame)>;

    // A frame stalled for this many idle ticks is abandoned.
    static constexpr std::uint8_t kIdleTicksToAbandon = 3;

    explicit FrameAssembler(FrameHandler onFrame = {});

    void setFrameHandler(FrameHandler onFrame) { onFrame_ = std::move(onFrame); }

    void feed(std::uint8_t byte);
    void feed(std::span<const std::uint8_t> bytes) {
        for (std::uint8_t b : bytes) {
            feed(b);
        }
    }
    // Called once a second by the owner.
    void idleTick();
    // Back to idle, dropping any buffer held (when a port is opened).
    void reset();

    bool collecting() const { return collecting_; }
    bool escapePending() const { return escapePending_ != 0; }
    int count() const { return count_; }
    std::uint8_t idleTicks() const { return idleTicks_; }
    bool holdsBuffer() const { return buffer_ != nullptr; }

private:
    void store(std::uint8_t b);
    void applyOverflowRule();

    FrameHandler onFrame_;
    bool collecting_ = false;
    std::uint8_t escapePending_ = 0;
    int count_ = 0;
    FramePtr buffer_;
    std::uint8_t idleTicks_ = 0;
};

} // namespace vandrel
