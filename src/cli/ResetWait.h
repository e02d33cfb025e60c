#pragma once

#include "protocol/DeviceSession.h"

namespace vandrel {

class CliDevice;

// A reset and the wait for its end: the converter restarts, its loader and then its application
// code announce themselves. A converter that keeps refusing the reset ends it through the
// session, with the refusal's status.
class ResetWait {
public:
    void start(CliDevice& device);
    bool active() const { return active_; }
    // True when the report belonged to the reset; `done` is set once the application code runs.
    bool onProgress(CliDevice& device, SessionProgress code, int value, bool& done);

private:
    bool active_ = false;
    bool announced_ = false;
};

} // namespace vandrel
