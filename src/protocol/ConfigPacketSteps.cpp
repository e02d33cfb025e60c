#include "protocol/ConfigPacketSteps.h"

#include "protocol/ConfigPackets.h"
#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"
#include "protocol/RequestFrames.h"

#include <string>

namespace vandrel {
namespace {

PacketAnswer classifyPacketAnswer(const OperationContext& ctx, const ProtocolFrame& frame,
                                  std::uint8_t dataTag, int packet) {
    if (frame.type() != kFrameTypePositive || !frameFindField(frame, dataTag)) {
        return PacketAnswer::NotAnswer;
    }
    // An answer that names its packet must name the one outstanding: the answer to an earlier
    // copy of a repeated request arrives after the next packet has been asked for.
    const auto address = frameFindField(frame, tag::Address);
    if (!address || address->value.size() < 3) {
        return PacketAnswer::Unnamed;
    }
    if (fieldAddress24(*address) != configPacketAddress(packet)) {
        ctx.traceStale(fieldAddress24(*address));
        return PacketAnswer::Stale;
    }
    return PacketAnswer::Named;
}

} // namespace

void ConfigPacketReader::emit(OperationContext& ctx) const {
    ctx.sendRequest(configReadRequest(ctx, packet_),
                    "Read configuration data (packet:" + std::to_string(packet_) + ")");
    ctx.post(SessionProgress::ConfigReadSent, 0);
}

PacketAnswer ConfigPacketReader::classify(const OperationContext& ctx,
                                          const ProtocolFrame& frame) const {
    if (complete()) {
        return PacketAnswer::NotAnswer;
    }
    return classifyPacketAnswer(ctx, frame, tag::Read, packet_);
}

void ConfigPacketReader::store(const ProtocolFrame& frame) {
    if (complete()) {
        return;
    }
    if (const auto data = frameFindField(frame, tag::Read)) {
        storeConfigPacket(image_, packet_, data->value);
    }
    ++packet_;
}

void ConfigPacketWriter::emit(OperationContext& ctx) const {
    const ConfigPacket bytes = cutConfigPacket(image_, packet_);
    ctx.sendRequest(configWriteRequest(ctx, bytes, packet_),
                    "Write configuration data (packet:" + std::to_string(packet_) + ")");
    ctx.post(SessionProgress::ConfigWriteSent, 0);
}

PacketAnswer ConfigPacketWriter::classify(const OperationContext& ctx,
                                          const ProtocolFrame& frame) const {
    if (complete()) {
        return PacketAnswer::NotAnswer;
    }
    return classifyPacketAnswer(ctx, frame, tag::ConfigWrite, packet_);
}

} // namespace vandrel
