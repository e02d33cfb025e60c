#pragma once

#include "protocol/OperationResult.h"
#include "protocol/SessionTypes.h"

namespace vandrel {

class CliDevice;

// One command that talks to the converter: it starts its operation and ends on the operation's
// result; progress reports only show how far it got.
class DeviceCommand {
public:
    virtual ~DeviceCommand() = default;

    // Starts the command's operation. Called again when the converter restarted under the
    // command, so it starts over once the application code runs.
    virtual void begin(CliDevice& device) = 0;
    // A progress report; false leaves it to the reactions every command shares.
    virtual bool onProgress(CliDevice&, SessionProgress, int) { return false; }
    // The result of an operation the session ran; false leaves it to the reactions every
    // command shares (which end the command on a failure).
    virtual bool onEnded(CliDevice& device, const OperationResult& result) = 0;
    // SIGINT or SIGTERM arrived.
    virtual void interrupt(CliDevice& device);
    // Whether a restart of the converter that cut the command's operation short starts the
    // command over (else it ends the command).
    virtual bool startsOverAfterRestart() const { return true; }
};

} // namespace vandrel
