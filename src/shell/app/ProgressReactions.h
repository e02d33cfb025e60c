#pragma once

#include "protocol/SessionTypes.h"

namespace vandrel {

class FlashCommands;
struct FrameContext;

// What the main window does with each progress report of the protocol engine: the busy state,
// the wait dialog while the converter restarts, the FLASH progress dialog, the result messages
// and taking a configuration read from the converter into the document.
class ProgressReactions {
public:
    ProgressReactions(FrameContext& frame, FlashCommands& flash) : frame_(frame), flash_(flash) {}

    void onProgress(SessionProgress code, int value);

    // Shows the wait dialog with the restart note, or updates the open one; returns when it has
    // been closed.
    void showRestartWait();
    void closeWaitDialog();

private:
    void takeConfiguration();
    void takeSystemInfo();
    void deviceRefused();
    void gaveUp();
    void tellChangePassword(int result);
    void cancelChangePassword();

    FrameContext& frame_;
    FlashCommands& flash_;
    bool waitOnScreen_ = false;
    // A restart began while the dialog on screen was closing: show it again once it has gone.
    bool reopenWait_ = false;
};

} // namespace vandrel
