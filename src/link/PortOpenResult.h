#pragma once

#include <cstdint>

namespace vandrel {

// The result of opening and configuring the port. The values are those the user-facing texts are
// numbered after (text 100 + value), so they must not change.
enum class PortOpenResult : std::uint8_t {
    Opened = 0,
    NotFound = 1,        // the path does not exist or names no serial device
    AccessDenied = 2,    // another program holds the port, or the user lacks permission
    SettingsRefused = 3, // the device refused the line settings
    OtherError = 4,
};

// What start() reports: the open result, or that the I/O thread could not be started.
struct ChannelStartResult {
    PortOpenResult open = PortOpenResult::Opened;
    bool threadFailed = false;

    bool started() const { return open == PortOpenResult::Opened && !threadFailed; }
};

} // namespace vandrel
