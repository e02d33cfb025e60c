#pragma once

#include "protocol/SessionTypes.h"

namespace vandrel {

class CliDevice;

// One command that talks to the converter, driven by the session's progress reports.
class DeviceCommand {
public:
    virtual ~DeviceCommand() = default;

    // Sends the command's first request. Called again when the converter restarted under the
    // command, so it starts over once the application code runs.
    virtual void begin(CliDevice& device) = 0;
    // A progress report; false leaves it to the reactions every command shares.
    virtual bool onProgress(CliDevice& device, SessionProgress code, int value) = 0;
    // SIGINT or SIGTERM arrived.
    virtual void interrupt(CliDevice& device);
    // While true the converter's restart events belong to the command (a reset it waits for).
    virtual bool expectsRestart() const { return false; }
};

} // namespace vandrel
