#pragma once

#include "protocol/SessionTypes.h"

#include <span>

namespace vandrel {

// What a progress report does to the operation dialogs.
enum class DialogAction {
    None,
    ShowWait,       // the wait dialog with the restart note (opened, or its note updated)
    CloseWait,      // the wait dialog closes if it is open
    ResumeTransfer, // a wait dialog closes; the transfer dialog comes back if it was hidden
    ShowProgress,   // the transfer dialog comes back if hidden and its bar takes the percentage
    FinishProgress, // the bar goes to its maximum; the dialog closes itself
    CloseAll,       // the wait dialog and the transfer dialog close
};

// What else a report sets off.
enum class Follow {
    None,
    ReadProgress,         // the status bar shows which packet of a read goes out
    CancelPasswordChange, // the converter restarted under an open change-password dialog
    ChooseFirmware,       // the converter's loader waits for firmware
};

// Any value: percentages, and codes that carry no result.
inline constexpr int kAnyValue = -1;

// One row of the window's reactions to the progress reports. How an operation ended is told by
// its result, not here; the reports only move the dialogs that show an operation under way.
struct ProgressReaction {
    SessionProgress code;
    int value; // a result, or kAnyValue
    DialogAction dialog;
    Follow follow;
};

std::span<const ProgressReaction> progressReactions();
// The reaction to a report; null for codes and results the window ignores.
const ProgressReaction* findProgressReaction(SessionProgress code, int value);

} // namespace vandrel
