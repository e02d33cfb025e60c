#pragma once

#include "protocol/OperationContext.h"
#include "protocol/ProtocolFrame.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// The fields of each request to the converter. Every request is a frame of type 0xA1; the
// builders fill an unsealed frame made by the context.
namespace vandrel {

void addAddress(ProtocolFrame& frame, std::uint8_t fieldTag, std::uint32_t address);
// Characters followed by one zero byte, cut to the 32 characters a password may have.
void addPasswordField(ProtocolFrame& frame, std::uint8_t fieldTag, std::string_view text);

FramePtr resetRequest(OperationContext& ctx);
FramePtr systemInfoRequest(OperationContext& ctx);
FramePtr configReadRequest(OperationContext& ctx, int packet);
FramePtr configWriteRequest(OperationContext& ctx, std::span<const std::uint8_t> packetBytes,
                            int packet);
FramePtr flashStartRequest(OperationContext& ctx);
// A chunk of 128 bytes at `offset`; all bytes equal travel as one.
FramePtr flashChunkRequest(OperationContext& ctx, const std::array<std::uint8_t, kBlockSize>& chunk,
                           std::uint32_t offset);
FramePtr flashStopRequest(OperationContext& ctx);
FramePtr flashCancelRequest(OperationContext& ctx);
FramePtr flashReadStartRequest(OperationContext& ctx);
FramePtr flashReadRequest(OperationContext& ctx, std::uint32_t offset);
FramePtr monitorRequest(OperationContext& ctx, bool on);
FramePtr monitorTextRequest(OperationContext& ctx, std::string_view text);
FramePtr passwordChangeRequest(OperationContext& ctx, std::string_view newPassword,
                               std::string_view currentPassword);

// Progress of a FLASH transfer whose block at `offset` goes out: (offset + 128) * 100 / total.
int transferPercent(std::int64_t offset, std::int64_t total);

} // namespace vandrel
