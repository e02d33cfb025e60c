#include "cli/ResetWait.h"

#include "cli/CliDevice.h"
#include "cli/ExitStatus.h"

namespace vandrel {

void ResetWait::start(CliDevice& device) {
    active_ = true;
    announced_ = false;
    device.session().requestReset();
}

bool ResetWait::onProgress(CliDevice& device, SessionProgress code, int value, bool& done) {
    if (!active_) {
        return false;
    }
    switch (code) {
    case SessionProgress::ResetSent:
        if (value != result::Sent) {
            return false; // refused for good, or the password question was cancelled
        }
        if (!announced_) {
            announced_ = true;
            device.console().note(QStringLiteral("Resetting the converter; waiting for it to "
                                                 "restart."));
        }
        return true;
    case SessionProgress::RestartLoader:
        device.console().note(QStringLiteral("The converter restarted: its loader runs."));
        return true;
    case SessionProgress::RestartCode:
        device.console().note(QStringLiteral("The converter's application code runs again."));
        active_ = false;
        done = true;
        return true;
    default:
        return false;
    }
}

} // namespace vandrel
