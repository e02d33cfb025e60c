#pragma once

#include "language/MessageStyle.h"
#include "protocol/SessionTypes.h"

#include <span>

namespace vandrel {

// What a progress report does to the window's busy state.
enum class BusyChange {
    Keep,
    Enter,    // a device operation runs
    Leave,    // the operation the report ends is over; a running FLASH transfer goes on
    LeaveAll, // every operation is over, a FLASH transfer included
};

// What a progress report does to the operation dialogs.
enum class DialogAction {
    None,
    ShowWait,       // the wait dialog with the restart note (opened, or its note updated)
    CloseWait,      // the wait dialog closes if it is open
    ResumeTransfer, // a wait dialog closes; the transfer dialog comes back if it was hidden
    ShowProgress,   // the transfer dialog comes back if hidden and its bar takes the percentage
    FinishProgress, // the bar goes to its maximum; the dialog closes itself
    CloseProgress,  // the transfer dialog closes
    CloseAll,       // the wait dialog and the transfer dialog close
};

// What else a report sets off.
enum class Follow {
    None,
    TakeConfiguration,    // the configuration read goes into the document
    SendReset,            // a written configuration takes effect with a reset
    ClearMonitorCommand,  // the command line was taken
    TakeSystemInfo,       // versions and partition go into the document's device information
    PasswordChangeEnded,  // the change-password dialog learns the converter's answer
    CancelPasswordChange, // the converter restarted under an open change-password request
    GaveUp,               // monitoring is shown as off; the change-password dialog learns it
    ChooseFirmware,       // the converter's loader waits for firmware
};

// Any value: percentages, and codes that carry no result.
inline constexpr int kAnyValue = -1;

// One row of the reactions to the protocol engine's progress reports: code and result, and
// what the window does.
struct ProgressReaction {
    SessionProgress code;
    int value; // a result, or kAnyValue
    BusyChange busy;
    DialogAction dialog;
    Follow follow;
    // A message box: its text, caption and icon; text 0 shows none.
    int text = 0;
    int caption = 0;
    MessageIcon icon = MessageIcon::None;
    // The text is a format for the converter's status bytes.
    bool withResultHex = false;
};

std::span<const ProgressReaction> progressReactions();
// The reaction to a report; null for codes and results the window ignores.
const ProgressReaction* findProgressReaction(SessionProgress code, int value);

} // namespace vandrel
