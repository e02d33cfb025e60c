#include "protocol/FrameAssembler.h"

#include "protocol/FrameWire.h"

#include <new>

namespace vandrel {

FrameAssembler::FrameAssembler(FrameHandler onFrame) : onFrame_(std::move(onFrame)) {}

void FrameAssembler::feed(std::uint8_t byte) {
    switch (byte) {
    case kStartFlag:
        collecting_ = true;
        idleTicks_ = 0;
        count_ = 0;
        escapePending_ = 0;
        if (!buffer_) {
            // Left uncleared when reused: only L decides which bytes of a frame count.
            buffer_.reset(new (std::nothrow) ProtocolFrame());
            if (!buffer_) {
                collecting_ = false;
            }
        }
        return;
    case kEndFlag:
        if (collecting_) {
            collecting_ = false;
            ReceivedFrame received{std::move(buffer_), static_cast<std::size_t>(count_)};
            if (onFrame_) {
                onFrame_(std::move(received));
            }
        }
        return;
    case kEscape:
        if (!collecting_) {
            return;
        }
        if (escapePending_ == 0) {
            escapePending_ = kEscape;
        } else {
            buffer_->bytes[static_cast<std::size_t>(count_)] = kEscape;
            ++count_;
            escapePending_ = 0;
        }
        idleTicks_ = 0;
        applyOverflowRule();
        return;
    case 0x01:
        if (collecting_) {
            store(escapePending_ != 0 ? kStartFlag : byte);
        }
        return;
    case 0x10:
        if (collecting_) {
            store(escapePending_ != 0 ? kEndFlag : byte);
        }
        return;
    default:
        if (collecting_) {
            store(byte);
        }
        return;
    }
}

void FrameAssembler::store(std::uint8_t b) {
    buffer_->bytes[static_cast<std::size_t>(count_)] = b;
    ++count_;
    escapePending_ = 0;
    idleTicks_ = 0;
    applyOverflowRule();
}

void FrameAssembler::applyOverflowRule() {
    // The buffer is kept for the next frame; 257 bytes is the longest frame delivered.
    if (collecting_ && count_ >= static_cast<int>(kFrameCapacity)) {
        collecting_ = false;
    }
}

void FrameAssembler::idleTick() {
    if (!collecting_) {
        return;
    }
    idleTicks_ = static_cast<std::uint8_t>(idleTicks_ + 1);
    if (idleTicks_ == kIdleTicksToAbandon) {
        collecting_ = false;
    }
}

void FrameAssembler::reset() {
    collecting_ = false;
    escapePending_ = 0;
    count_ = 0;
    idleTicks_ = 0;
    buffer_.reset();
}

} // namespace vandrel
