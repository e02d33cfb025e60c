#include "sim/model/RequestKind.h"

#include <array>

namespace vandrel::sim {
namespace {

bool has(const ProtocolFrame& frame, std::uint8_t tag) {
    return frameFindField(frame, tag).has_value();
}

constexpr std::array<std::string_view, kRequestKindCount> kNames = {
    "reset",       "sysinfo",     "config-read",     "config-write",     "flash-start",
    "flash-chunk", "flash-stop",  "flash-cancel",    "flash-read-start", "flash-read",
    "monitor-on",  "monitor-off", "monitor-command", "password-change",  "loader-ack",
    "code-ack",    "unknown",
};

} // namespace

RequestKind classifyRequest(const ProtocolFrame& frame) {
    if (frame.type() == kFrameTypeReply) {
        if (has(frame, 0x12)) {
            return RequestKind::LoaderAck;
        }
        if (has(frame, 0x14)) {
            return RequestKind::CodeAck;
        }
        return RequestKind::Unknown;
    }
    if (frame.type() != kFrameTypeRequest) {
        return RequestKind::Unknown;
    }
    struct Rule {
        std::uint8_t tag;
        RequestKind kind;
    };
    static constexpr Rule kRules[] = {
        {0x81, RequestKind::Reset},          {0x15, RequestKind::SystemInfo},
        {0x21, RequestKind::FlashStart},     {0x22, RequestKind::FlashChunk},
        {0x29, RequestKind::FlashStop},      {0x27, RequestKind::FlashCancel},
        {0x24, RequestKind::FlashReadStart}, {0x41, RequestKind::ConfigWrite},
        {0x31, RequestKind::MonitorOn},      {0x32, RequestKind::MonitorOff},
        {0x33, RequestKind::MonitorCommand}, {0x28, RequestKind::PasswordChange},
    };
    for (const Rule& rule : kRules) {
        if (has(frame, rule.tag)) {
            return rule.kind;
        }
    }
    if (has(frame, 0x42)) {
        // Both reads name an address; only the configuration read carries the password, and
        // FLASH addresses may well overlap the configuration's.
        return has(frame, 0x88) ? RequestKind::ConfigRead : RequestKind::FlashRead;
    }
    return RequestKind::Unknown;
}

std::string_view requestKindName(RequestKind kind) {
    return kNames[static_cast<std::size_t>(kind)];
}

std::optional<RequestKind> requestKindFromName(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name) {
            return static_cast<RequestKind>(i);
        }
    }
    return std::nullopt;
}

} // namespace vandrel::sim
