#include "protocol/RequestFrames.h"

#include "protocol/ConfigPackets.h"
#include "protocol/FieldTags.h"

#include <algorithm>

namespace vandrel {

void addAddress(ProtocolFrame& frame, std::uint8_t fieldTag, std::uint32_t address) {
    frameAddBytes(frame, fieldTag,
                  {static_cast<std::uint8_t>(address >> 16),
                   static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)});
}

void addPasswordField(ProtocolFrame& frame, std::uint8_t fieldTag, std::string_view text) {
    std::array<std::uint8_t, kMaxAccessPassword + 1> value{};
    const std::size_t n = std::min(text.size(), kMaxAccessPassword);
    std::copy_n(text.begin(), n, value.begin());
    frameAddField(frame, fieldTag, static_cast<std::uint8_t>(n + 1), value.data());
}

namespace {

FramePtr request(OperationContext& ctx) {
    return ctx.newFrame(kFrameTypeRequest);
}

} // namespace

FramePtr resetRequest(OperationContext& ctx) {
    FramePtr frame = request(ctx);
    frameAddBytes(*frame, tag::Reset, {});
    addPasswordField(*frame, tag::Password, ctx.accessPassword);
    return frame;
}

FramePtr systemInfoRequest(OperationContext& ctx) {
    FramePtr frame = request(ctx);
    frameAddBytes(*frame, tag::SystemInfo, {});
    return frame;
}

FramePtr configReadRequest(OperationContext& ctx, int packet) {
    FramePtr frame = request(ctx);
    frameAddBytes(*frame, tag::Read, {});
    addAddress(*frame, tag::Address, configPacketAddress(packet));
    addPasswordField(*frame, tag::Password, ctx.accessPassword);
    return frame;
}

FramePtr configWriteRequest(OperationContext& ctx, std::span<const std::uint8_t> packetBytes,
                            int packet) {
    FramePtr frame = request(ctx);
    frameAddField(*frame, tag::ConfigWrite, static_cast<std::uint8_t>(packetBytes.size()),
                  packetBytes.data());
    addAddress(*frame, tag::Address, configPacketAddress(packet));
    addPasswordField(*frame, tag::Password, ctx.accessPassword);
    return frame;
}

FramePtr flashStartRequest(OperationContext& ctx) {
    FramePtr frame = request(ctx);
    frameAddBytes(*frame, tag::FlashStart, {0x01});
    addPasswordField(*frame, tag::Password, ctx.accessPassword);
    return frame;
}

FramePtr flashChunkRequest(OperationContext& ctx, const std::array<std::uint8_t, kBlockSize>& chunk,
                           std::uint32_t offset) {
    const bool uniform =
        std::all_of(chunk.begin(), chunk.end(), [&](std::uint8_t b) { return b == chunk[0]; });
    FramePtr frame = request(ctx);
    frameAddField(*frame, tag::FlashData, uniform ? 1 : static_cast<std::uint8_t>(chunk.size()),
                  chunk.data());
    addAddress(*frame, tag::FlashOffset, offset);
    return frame;
}

FramePtr flashStopRequest(OperationContext& ctx) {
    FramePtr frame = request(ctx);
    frameAddBytes(*frame, tag::FlashStop, {});
    return frame;
}

FramePtr flashCancelRequest(OperationContext& ctx) {
    FramePtr frame = request(ctx);
    frameAddBytes(*frame, tag::FlashCancel, {});
    return frame;
}

FramePtr flashReadStartRequest(OperationContext& ctx) {
    FramePtr frame = request(ctx);
    frameAddBytes(*frame, tag::FlashReadStart, {});
    addPasswordField(*frame, tag::Password, ctx.accessPassword);
    return frame;
}

FramePtr flashReadRequest(OperationContext& ctx, std::uint32_t offset) {
    FramePtr frame = request(ctx);
    frameAddBytes(*frame, tag::Read, {});
    addAddress(*frame, tag::Address, offset);
    return frame;
}

FramePtr monitorRequest(OperationContext& ctx, bool on) {
    FramePtr frame = request(ctx);
    frameAddBytes(*frame, on ? tag::MonitorOn : tag::MonitorOff, {});
    return frame;
}

FramePtr monitorTextRequest(OperationContext& ctx, std::string_view text) {
    text = text.substr(0, std::min(text.size(), kMaxMonitorText));
    FramePtr frame = request(ctx);
    frameAddField(*frame, tag::MonitorText, static_cast<std::uint8_t>(text.size()),
                  reinterpret_cast<const std::uint8_t*>(text.data()));
    addPasswordField(*frame, tag::Password, ctx.accessPassword);
    return frame;
}

FramePtr passwordChangeRequest(OperationContext& ctx, std::string_view newPassword,
                               std::string_view currentPassword) {
    FramePtr frame = request(ctx);
    addPasswordField(*frame, tag::NewPassword, newPassword);
    addPasswordField(*frame, tag::Password, currentPassword);
    return frame;
}

int transferPercent(std::int64_t offset, std::int64_t total) {
    if (total <= 0) {
        return 100; // nothing to transfer: whatever is sent completes it
    }
    return static_cast<int>((offset + static_cast<std::int64_t>(kBlockSize)) * 100 / total);
}

} // namespace vandrel
