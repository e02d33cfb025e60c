#include "shell/app/ProgressTable.h"

#include "language/TextIds.h"

#include <algorithm>

namespace vandrel {

namespace {

using P = SessionProgress;
using B = BusyChange;
using D = DialogAction;
using F = Follow;
constexpr int Any = kAnyValue;
constexpr MessageIcon Stop = MessageIcon::Error;
constexpr MessageIcon Exclamation = MessageIcon::Warning;
constexpr MessageIcon Information = MessageIcon::Information;

// clang-format off
constexpr ProgressReaction kReactions[] = {
    // A reset and the converter's restart: the wait dialog until the converter is back.
    {P::ResetSent, result::Sent, B::Enter, D::ShowWait, F::None},
    {P::ResetSent, result::PasswordCancelled, B::Leave, D::CloseWait, F::None},
    // A converter that refuses the reset again and again: its status is shown.
    {P::ResetSent, result::Failed, B::Leave, D::CloseWait, F::None,
     text::DeviceRefusedFormat, text::CaptionError, Exclamation, true},
    {P::RestartLoader, Any, B::Enter, D::ShowWait, F::CancelPasswordChange},
    {P::RestartCode, Any, B::Leave, D::CloseWait, F::CancelPasswordChange},
    {P::LoaderTimedOut, Any, B::LeaveAll, D::CloseAll, F::None,
     text::LoaderNoAnswer, text::CaptionError, Stop},

    // Requests sent.
    {P::ConfigReadSent, Any, B::Enter, D::None, F::None},
    {P::ConfigWriteSent, Any, B::Enter, D::None, F::None},
    {P::MonitorSent, Any, B::Enter, D::None, F::None},
    {P::SystemInfoSent, Any, B::Enter, D::None, F::None},
    {P::PasswordChangeSent, Any, B::Enter, D::None, F::None},

    // Configuration transfers and monitor requests ended.
    {P::ConfigReadEnded, result::Success, B::Leave, D::CloseWait, F::TakeConfiguration},
    {P::ConfigReadEnded, result::Failed, B::Leave, D::CloseWait, F::None,
     text::DeviceRefusedFormat, text::CaptionError, Exclamation, true},
    {P::ConfigReadEnded, result::PasswordCancelled, B::Leave, D::CloseWait, F::None},
    {P::ConfigWriteEnded, result::Success, B::Leave, D::None, F::SendReset},
    {P::ConfigWriteEnded, result::Failed, B::Leave, D::None, F::None,
     text::DeviceRefusedFormat, text::CaptionError, Exclamation, true},
    {P::ConfigWriteEnded, result::PasswordCancelled, B::Leave, D::None, F::None},
    {P::MonitorEnded, result::Success, B::Leave, D::None, F::ClearMonitorCommand},
    {P::MonitorEnded, result::Failed, B::Leave, D::None, F::None,
     text::DeviceRefusedFormat, text::CaptionError, Exclamation, true},
    {P::MonitorEnded, result::PasswordCancelled, B::Leave, D::None, F::None},
    {P::SystemInfoEnded, result::Success, B::Leave, D::None, F::TakeSystemInfo},
    {P::SystemInfoEnded, result::Failed, B::Leave, D::None, F::None},
    {P::PasswordChangeEnded, result::Success, B::Leave, D::None, F::PasswordChangeEnded},
    {P::PasswordChangeEnded, result::Failed, B::Leave, D::None, F::PasswordChangeEnded},
    {P::PasswordChangeEnded, result::PasswordRefused, B::Leave, D::None, F::PasswordChangeEnded},

    // FLASH loading: the transfer keeps the window busy from its start to its end.
    {P::FlashStartSent, Any, B::Keep, D::ResumeTransfer, F::None},
    {P::FlashChunkSent, Any, B::Keep, D::ShowProgress, F::None},
    {P::FlashLoadEnded, result::Success, B::LeaveAll, D::CloseProgress, F::None,
     text::FlashLoadDone, text::CaptionDone, Information},
    {P::FlashLoadEnded, result::Failed, B::LeaveAll, D::CloseProgress, F::None,
     text::FlashLoadFailed, text::CaptionError, Exclamation},
    {P::FlashLoadEnded, result::Cancelled, B::LeaveAll, D::CloseProgress, F::None,
     text::FlashLoadFailed, text::CaptionError, Exclamation},
    {P::FlashLoadEnded, result::PasswordCancelled, B::LeaveAll, D::CloseProgress, F::None},
    {P::LoaderWaitsForFirmware, Any, B::Enter, D::CloseWait, F::ChooseFirmware},

    // FLASH downloading.
    {P::FlashReadStartSent, Any, B::Keep, D::ResumeTransfer, F::None},
    {P::FlashBlockRequested, Any, B::Keep, D::ShowProgress, F::None},
    {P::FlashReadEnded, result::Success, B::LeaveAll, D::FinishProgress, F::None,
     text::FlashDownloadDone, text::CaptionDone, Information},
    {P::FlashReadEnded, result::Failed, B::LeaveAll, D::CloseProgress, F::None,
     text::FlashDownloadFailed, text::CaptionError, Exclamation},
    {P::FlashReadEnded, result::PasswordCancelled, B::LeaveAll, D::CloseProgress, F::None},

    // The converter stopped answering: whatever ran is over.
    {P::GaveUp, Any, B::LeaveAll, D::CloseAll, F::GaveUp,
     text::NoAnswer, text::CaptionError, Stop},
};
// clang-format on

} // namespace

std::span<const ProgressReaction> progressReactions() {
    return kReactions;
}

const ProgressReaction* findProgressReaction(SessionProgress code, int value) {
    const auto it =
        std::find_if(std::begin(kReactions), std::end(kReactions), [&](const ProgressReaction& r) {
            return r.code == code && (r.value == kAnyValue || r.value == value);
        });
    return it == std::end(kReactions) ? nullptr : &*it;
}

} // namespace vandrel
