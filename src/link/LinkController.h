#pragma once

#include "link/PortOpenResult.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace vandrel {

class SerialChannel;

// What the link's uses need from the window and the settings around it.
class LinkHost {
public:
    virtual ~LinkHost() = default;
    // The port chooser, opened with `currentName`; none on Cancel.
    virtual std::optional<QString> choosePort(const QString& currentName) = 0;
    // Stores the chosen name as the configured port and saves the settings.
    virtual void storePortName(const QString& name) = 0;
    // Tells the user that the port could not be started.
    virtual void reportStartFailure(const QString& portName, const ChannelStartResult& result) = 0;
};

// Where the configured port name and line speed reach the channel: at start-up, after the port
// command, and whenever a request needs the link.
class LinkController {
public:
    LinkController(SerialChannel& channel, LinkHost& host);

    // Start-up: opens a configured port quietly (a missing or busy port is no news then).
    bool startUp(const QString& portName, std::uint32_t baudRate);
    // The port command: on a new name, stores it and restarts the link. True when restarted.
    bool choosePortCommand(const QString& currentName, std::uint32_t baudRate);
    // The link check before a request: true when the port is open afterwards.
    bool ensureLink(const QString& portName, std::uint32_t baudRate);

private:
    bool startReporting(const QString& portName, std::uint32_t baudRate);

    SerialChannel& channel_;
    LinkHost& host_;
};

} // namespace vandrel
