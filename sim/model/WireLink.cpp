#include "sim/model/WireLink.h"

#include "protocol/FrameWire.h"

#include <algorithm>
#include <array>
#include <memory>

namespace vandrel::sim {
namespace {

constexpr std::int64_t kBitsPerByte = 11; // start bit, 8 data bits, 2 stop bits

// Noise between frames: never a flag, so it cannot start or end a frame, but it holds the escape
// and the values that follow an escape, which a receiver must ignore outside a frame.
constexpr std::array<std::uint8_t, 8> kGarbage = {0x00, 0xFF, 0xCD, 0x01, 0x10, 0x55, 0xCD, 0xAA};

} // namespace

WireLink::WireLink(ModelScheduler& scheduler, FrameHandler onFrame)
    : scheduler_(scheduler), onFrame_(std::move(onFrame)),
      assembler_([this](ReceivedFrame received) { onAssembled(std::move(received)); }) {}

void WireLink::setFaults(const LineFaults& faults) {
    faults_ = faults;
}

SimTime WireLink::byteTime(std::size_t bytes) const {
    if (faults_.baudRate == 0) {
        return SimTime{0};
    }
    return SimTime{static_cast<std::int64_t>(bytes) * kBitsPerByte * 1'000'000'000 /
                   faults_.baudRate};
}

void WireLink::startBurstIfIdle(Direction& direction) const {
    const SimTime now = scheduler_.now();
    if (crossed(direction, 0) <= now) {
        direction.burstStart = now;
        direction.burstBytes = 0;
    }
}

void WireLink::receiveBytes(std::span<const std::uint8_t> bytes) {
    // The line carries one byte per byte time, however fast the bytes were handed over.
    startBurstIfIdle(rx_);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        byteArrival_ = crossed(rx_, i + 1);
        assembler_.feed(bytes[i]);
    }
    rx_.burstBytes += bytes.size();
}

void WireLink::onAssembled(ReceivedFrame received) {
    ++framesAssembled_;
    if (faults_.dropInEvery != 0 && framesAssembled_ % faults_.dropInEvery == 0) {
        ++framesLostIn_;
        return;
    }
    ++framesDelivered_;
    auto frame = std::shared_ptr<ProtocolFrame>(std::move(received.frame));
    scheduler_.at(byteArrival_ + faults_.answerDelay, [this, frame] { onFrame_(*frame); });
}

void WireLink::sendFrame(const ProtocolFrame& frame) {
    ++framesOffered_;
    if (faults_.dropOutEvery != 0 && framesOffered_ % faults_.dropOutEvery == 0) {
        ++framesLostOut_;
        return;
    }
    ProtocolFrame sent = frame;
    if (faults_.corruptOutEvery != 0 && framesOffered_ % faults_.corruptOutEvery == 0) {
        const std::size_t at = sent.length() - 1;
        sent.bytes[at] = static_cast<std::uint8_t>(sent.bytes[at] + 1);
        ++framesCorrupted_;
    }
    ++framesSent_;

    auto wire = std::make_shared<std::vector<std::uint8_t>>();
    for (std::size_t i = 0; i < faults_.garbageBytes; ++i) {
        wire->push_back(kGarbage[garbagePhase_++ % kGarbage.size()]);
    }
    frameStuff(sent.frameBytes(), *wire);

    startBurstIfIdle(tx_);
    tx_.burstBytes += wire->size();
    scheduler_.at(crossed(tx_, 0), [this, wire] {
        if (output_) {
            output_(*wire);
        }
    });
}

} // namespace vandrel::sim
