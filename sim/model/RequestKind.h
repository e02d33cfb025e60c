#pragma once

#include "protocol/ProtocolFrame.h"

#include <cstddef>
#include <optional>
#include <string_view>

// What a frame from the utility asks the converter for, told by the fields it carries.
namespace vandrel::sim {

enum class RequestKind {
    Reset,
    SystemInfo,
    ConfigRead,
    ConfigWrite,
    FlashStart,
    FlashChunk,
    FlashStop,
    FlashCancel,
    FlashReadStart,
    FlashRead,
    MonitorOn,
    MonitorOff,
    MonitorCommand,
    PasswordChange,
    LoaderAck, // the utility's acknowledgement of "Restart loader"
    CodeAck,   // the utility's acknowledgement of "Restart code"
    Unknown,
};

inline constexpr std::size_t kRequestKindCount = static_cast<std::size_t>(RequestKind::Unknown) + 1;

// Classifies a frame that has passed the type and checksum tests.
RequestKind classifyRequest(const ProtocolFrame& frame);

// Short names for command lines and messages: "reset", "config-read", ...
std::string_view requestKindName(RequestKind kind);
std::optional<RequestKind> requestKindFromName(std::string_view name);

} // namespace vandrel::sim
