#pragma once

#include "protocol/FrameAssembler.h"
#include "protocol/ProtocolFrame.h"
#include "sim/model/FaultSettings.h"
#include "sim/model/ModelScheduler.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// The converter's end of the serial line: it assembles the frames the utility sends, puts the
// converter's frames on the wire, paces both directions at the emulated line rate and applies the
// line faults.
namespace vandrel::sim {

class WireLink {
public:
    using OutputHandler = std::function<void(std::span<const std::uint8_t>)>;
    using FrameHandler = std::function<void(const ProtocolFrame&)>;

    WireLink(ModelScheduler& scheduler, FrameHandler onFrame);

    void setOutputHandler(OutputHandler handler) { output_ = std::move(handler); }
    void setFaults(const LineFaults& faults);
    const LineFaults& faults() const { return faults_; }

    // Wire bytes from the utility, arriving now. Each complete frame is handed on once its end
    // flag has crossed the line (plus the answer delay); nothing is handled within this call.
    void receiveBytes(std::span<const std::uint8_t> bytes);

    // Seals nothing: `frame` must be sealed. The wire bytes reach the output handler once the
    // line has carried them.
    void sendFrame(const ProtocolFrame& frame);

    // Time one byte takes on the line; zero without emulation.
    SimTime byteTime(std::size_t bytes = 1) const;

    unsigned framesDelivered() const { return framesDelivered_; }
    unsigned framesLostIn() const { return framesLostIn_; }
    unsigned framesSent() const { return framesSent_; }
    unsigned framesLostOut() const { return framesLostOut_; }
    unsigned framesCorrupted() const { return framesCorrupted_; }

private:
    // One direction of the line: bytes back to back since it last fell idle, so that times are
    // computed from the start of a burst and do not drift by rounding.
    struct Direction {
        SimTime burstStart{0};
        std::size_t burstBytes = 0;
    };
    // A new burst starts when the line has carried everything handed to it so far.
    void startBurstIfIdle(Direction& direction) const;
    // When the burst plus `more` bytes has crossed the line.
    SimTime crossed(const Direction& direction, std::size_t more) const {
        return direction.burstStart + byteTime(direction.burstBytes + more);
    }

    void onAssembled(ReceivedFrame received);

    ModelScheduler& scheduler_;
    FrameHandler onFrame_;
    OutputHandler output_;
    LineFaults faults_;
    FrameAssembler assembler_;

    Direction rx_;
    Direction tx_;
    SimTime byteArrival_{0}; // arrival of the byte being fed to the assembler
    unsigned framesAssembled_ = 0;
    unsigned framesDelivered_ = 0;
    unsigned framesLostIn_ = 0;
    unsigned framesOffered_ = 0;
    unsigned framesSent_ = 0;
    unsigned framesLostOut_ = 0;
    unsigned framesCorrupted_ = 0;
    std::size_t garbagePhase_ = 0;
};

} // namespace vandrel::sim
