#pragma once

#include "protocol/DeviceSession.h"

namespace vandrel {

class CliDevice;

// Sends of one request before the session gives up: the first and three repetitions.
inline constexpr int kRetryLimitSends = kRetryLimit + 1;

// A reset and the wait for its end: the converter restarts, its loader and then its application
// code announce themselves. A refused reset is asked again at once, without end; the wait gives up
// after as many sends as any other request gets.
class ResetWait {
public:
    void start(CliDevice& device);
    bool active() const { return active_; }
    // True when the report belonged to the reset; `done` is set once the application code runs.
    bool onProgress(CliDevice& device, SessionProgress code, int value, bool& done);

private:
    bool active_ = false;
    int sends_ = 0;
};

} // namespace vandrel
