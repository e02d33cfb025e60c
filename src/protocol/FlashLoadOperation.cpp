#include "protocol/FlashLoadOperation.h"

#include "config/FileHelpers.h"
#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"
#include "protocol/RequestFrames.h"

#include <algorithm>
#include <limits>

namespace vandrel {
namespace {

std::int32_t fileSize(const std::string& path) {
    return static_cast<std::int32_t>(
        std::min<std::uint32_t>(FileSize(path), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

FlashLoadOperation::FlashLoadOperation(OperationContext& context, std::string confirmedPath)
    : DeviceOperation(context, OperationKind::FlashLoading),
      converterStarted_(confirmedPath.empty()) {
    useFile(confirmedPath);
}

void FlashLoadOperation::useFile(const std::string& path) {
    path_ = path;
    total_ = path.empty() ? 0 : fileSize(path);
}

SessionState FlashLoadOperation::state() const {
    if (step_ == Step::Start || (step_ == Step::AwaitingFile && !accepted_)) {
        return SessionState::FlashStart;
    }
    return SessionState::FlashLoading;
}

bool FlashLoadOperation::prepare() {
    // The converter asked for this one on the line that just brought its event.
    return converterStarted_ ? ctx_.linkUp() : ctx_.ensureLink();
}

void FlashLoadOperation::begin() {
    step_ = Step::Start;
    sendStep(false);
}

int FlashLoadOperation::timeoutMs() const {
    return step_ == Step::Start ? kFlashStartTimeoutMs : kResponseTimeoutMs;
}

void FlashLoadOperation::emitRequest(bool repeat) {
    switch (step_) {
    case Step::Start:
        offset_ = 0;
        ctx_.sendRequest(flashStartRequest(ctx_), "Start FLASH loading");
        ctx_.post(SessionProgress::FlashStartSent, 0);
        break;
    case Step::Chunk: {
        // Bytes the file does not fill (its end, a failed read) go out as erased FLASH.
        std::array<std::uint8_t, kBlockSize> chunk;
        chunk.fill(0xFF);
        FileReadAt(path_, static_cast<std::uint32_t>(offset_), chunk.data(),
                   static_cast<std::uint32_t>(chunk.size()));
        ctx_.sendRequest(flashChunkRequest(ctx_, chunk, static_cast<std::uint32_t>(offset_)), {});
        if (!repeat) {
            ctx_.post(SessionProgress::FlashChunkSent, transferPercent(offset_, total_));
        }
        break;
    }
    case Step::Stop:
        offset_ = total_;
        ctx_.sendRequest(flashStopRequest(ctx_), "Stop FLASH loading");
        break;
    case Step::Cancel:
        ctx_.sendRequest(flashCancelRequest(ctx_), "Cancel FLASH loading");
        break;
    case Step::AwaitingFile:
        break;
    }
}

bool FlashLoadOperation::handleAnswer(const ProtocolFrame& frame) {
    if (frame.type() != kFrameTypePositive) {
        return false;
    }
    if (step_ == Step::Start) {
        if (!frameFindField(frame, tag::FlashStart) || !takeAnswer()) {
            return false;
        }
        onAccepted();
        return true;
    }
    if (step_ == Step::AwaitingFile) {
        return false; // nothing is outstanding while the host's file is awaited
    }
    if (const auto ack = frameFindField(frame, tag::FlashOffset); ack && step_ != Step::Cancel) {
        onChunkAcknowledged(fieldAddress24(*ack));
        return true;
    }
    if (frameFindField(frame, tag::FlashStop)) {
        if (takeAnswer()) {
            ctx_.post(SessionProgress::FlashLoadEnded, result::Success);
            finish(Outcome::Done);
        }
        return true;
    }
    if (frameFindField(frame, tag::FlashCancel)) {
        if (takeAnswer()) {
            ctx_.post(SessionProgress::FlashLoadEnded, result::Cancelled);
            finish(Outcome::Cancelled);
        }
        return true;
    }
    return false;
}

void FlashLoadOperation::onAccepted() {
    accepted_ = true;
    // Without a file (the loader asked for firmware) the first chunk goes once the host hands
    // over the file the user chose and confirmed.
    if (!hasFile()) {
        step_ = Step::AwaitingFile;
        return;
    }
    step_ = Step::Chunk;
    offset_ = 0;
    nextStep();
    ctx_.post(SessionProgress::FlashStartSent, 0);
}

void FlashLoadOperation::onChunkAcknowledged(std::uint32_t address) {
    // Only the chunk outstanding may be acknowledged: an acknowledgement of an earlier copy of a
    // repeated chunk, or of the last chunk once the stop is out, changes nothing.
    if (step_ != Step::Chunk || address != static_cast<std::uint32_t>(offset_)) {
        ctx_.traceStale(address);
        return;
    }
    if (!takeAnswer()) {
        return;
    }
    offset_ += static_cast<std::int32_t>(kBlockSize);
    if (offset_ >= total_) {
        step_ = Step::Stop;
        nextStep();
        ctx_.post(SessionProgress::FlashChunkSent, 100);
        return;
    }
    nextStep();
}

bool FlashLoadOperation::takesRefusalItself(const ProtocolFrame&) {
    return step_ == Step::AwaitingFile; // nothing is outstanding
}

bool FlashLoadOperation::supplyFile(const std::string& confirmedPath) {
    if (!converterStarted_ || !awaitingFile() || confirmedPath.empty() || ended()) {
        return false;
    }
    useFile(confirmedPath);
    // Not yet accepted: the chunk follows the converter's acceptance.
    if (accepted_) {
        step_ = Step::Chunk;
        offset_ = 0;
        nextStep();
    }
    return true;
}

void FlashLoadOperation::cancel() {
    if (ended()) {
        return;
    }
    if (waitingForPassword()) {
        ctx_.post(SessionProgress::FlashLoadEnded, result::Cancelled);
        finish(Outcome::Cancelled);
        return;
    }
    step_ = Step::Cancel;
    nextStep();
}

RestartReply FlashLoadOperation::onRestart(RestartKind kind) {
    switch (step_) {
    case Step::Start:
        if (hasFile() && total_ != 0) {
            // Whichever program of the converter now runs is asked again.
            nextStep();
            return ended() ? RestartReply::Ended : RestartReply::GoesOn;
        }
        return DeviceOperation::onRestart(kind);
    case Step::AwaitingFile:
        return DeviceOperation::onRestart(kind);
    case Step::Cancel:
        ctx_.post(SessionProgress::FlashLoadEnded, result::Cancelled);
        finish(Outcome::Cancelled, SessionState::LoaderRunning);
        return RestartReply::Ended;
    case Step::Chunk:
    case Step::Stop:
        break;
    }
    if (kind == RestartKind::LoaderWaitsForFirmware && hasFile() && reloads_ < kMaxReloads) {
        ++reloads_;
        ctx_.traceLine("FLASH loading starts again");
        accepted_ = false;
        step_ = Step::Start;
        nextStep();
        return ended() ? RestartReply::Ended : RestartReply::GoesOn;
    }
    OperationResult result;
    result.outcome = Outcome::CutShortByRestart;
    result.restart = kind;
    finish(std::move(result),
           kind == RestartKind::Code ? SessionState::Ready : SessionState::LoaderRunning);
    // A loader that keeps asking for the firmware it was just given is not asked again.
    return kind == RestartKind::LoaderWaitsForFirmware ? RestartReply::EndedHandled
                                                       : RestartReply::Ended;
}

int FlashLoadOperation::percent() const {
    if (total_ <= 0) {
        return 0;
    }
    return static_cast<int>(std::min<std::int64_t>(100, std::int64_t{offset_} * 100 / total_));
}

void FlashLoadOperation::describe(OperationResult& result) const {
    result.file = path_;
    result.percent = percent();
}

} // namespace vandrel
