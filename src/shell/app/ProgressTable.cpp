#include "shell/app/ProgressTable.h"

#include <algorithm>

namespace vandrel {

namespace {

using P = SessionProgress;
using D = DialogAction;
using F = Follow;
constexpr int Any = kAnyValue;

// clang-format off
constexpr ProgressReaction kReactions[] = {
    // A reset and the converter's restart: the wait dialog until the converter is back.
    {P::ResetSent, result::Sent, D::ShowWait, F::None},
    {P::ResetSent, Any, D::CloseWait, F::None},
    {P::RestartLoader, Any, D::ShowWait, F::CancelPasswordChange},
    {P::RestartCode, Any, D::CloseWait, F::CancelPasswordChange},
    {P::LoaderTimedOut, Any, D::CloseAll, F::None},

    // A read, packet by packet.
    {P::ConfigReadSent, Any, D::None, F::ReadProgress},
    {P::ConfigReadEnded, Any, D::CloseWait, F::None},

    // FLASH loading and downloading: the progress dialog follows the chunks and blocks.
    {P::FlashStartSent, Any, D::ResumeTransfer, F::None},
    {P::FlashChunkSent, Any, D::ShowProgress, F::None},
    {P::LoaderWaitsForFirmware, Any, D::CloseWait, F::ChooseFirmware},
    {P::FlashReadStartSent, Any, D::ResumeTransfer, F::None},
    {P::FlashBlockRequested, Any, D::ShowProgress, F::None},
    {P::FlashReadEnded, result::Success, D::FinishProgress, F::None},

    // The converter stopped answering: whatever was shown is over.
    {P::GaveUp, Any, D::CloseAll, F::None},
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
