#pragma once

#include "protocol/OperationContext.h"
#include "protocol/OperationResult.h"
#include "protocol/ProtocolFrame.h"

// The packet steps of a configuration transfer: five numbered packets of 128 bytes, one request
// and one answer each. A reader fills an image, a writer sends one.
namespace vandrel {

// What an answer is to the packet outstanding.
enum class PacketAnswer {
    NotAnswer, // not this step's kind of answer
    Stale,     // names another packet: an earlier copy's answer; traced, changes nothing
    Unnamed,   // the step's answer, without an address
    Named,     // the step's answer, naming its packet
};

class ConfigPacketReader {
public:
    int packet() const { return packet_; }
    bool complete() const { return packet_ >= kConfigPacketCount; }
    const ConfigImage& image() const { return image_; }

    void restart() { packet_ = 0; }
    // Sends the read request for the packet outstanding.
    void emit(OperationContext& ctx) const;
    PacketAnswer classify(const OperationContext& ctx, const ProtocolFrame& frame) const;
    // Stores the answer's packet and moves on to the next.
    void store(const ProtocolFrame& frame);

private:
    ConfigImage image_{};
    int packet_ = 0;
};

class ConfigPacketWriter {
public:
    explicit ConfigPacketWriter(const ConfigImage& image) : image_(image) {}

    int packet() const { return packet_; }
    bool complete() const { return packet_ >= kConfigPacketCount; }
    const ConfigImage& image() const { return image_; }

    void emit(OperationContext& ctx) const;
    PacketAnswer classify(const OperationContext& ctx, const ProtocolFrame& frame) const;
    void acknowledged() { ++packet_; }

private:
    ConfigImage image_;
    int packet_ = 0;
};

} // namespace vandrel
