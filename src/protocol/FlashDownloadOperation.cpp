#include "protocol/FlashDownloadOperation.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"
#include "protocol/RequestFrames.h"

#include <algorithm>
#include <array>

namespace vandrel {

bool FlashDownloadOperation::prepare() {
    file_ = StagedFile::create(path_);
    if (!file_) {
        fileRefused_ = true;
        return false;
    }
    if (!ctx_.ensureLink()) {
        file_.reset();
        return false;
    }
    return true;
}

void FlashDownloadOperation::begin() {
    sendStep(false);
}

int FlashDownloadOperation::timeoutMs() const {
    return readingBlocks_ ? kResponseTimeoutMs : kFlashReadStartTimeoutMs;
}

void FlashDownloadOperation::emitRequest(bool repeat) {
    if (!readingBlocks_) {
        offset_ = 0;
        ctx_.sendRequest(flashReadStartRequest(ctx_), "Start FLASH downloading");
        ctx_.post(SessionProgress::FlashReadStartSent, 0);
        return;
    }
    ctx_.sendRequest(flashReadRequest(ctx_, static_cast<std::uint32_t>(offset_)), {});
    if (!repeat) {
        ctx_.post(SessionProgress::FlashBlockRequested, transferPercent(offset_, total_));
    }
}

bool FlashDownloadOperation::handleAnswer(const ProtocolFrame& frame) {
    if (frame.type() != kFrameTypePositive) {
        return false;
    }
    const std::uint8_t deciding = readyAnswerField(frame);
    if (!readingBlocks_) {
        // A size that comes while no download is starting (a late answer to a repeated start)
        // would restart the image behind the blocks already written; one too short to read
        // tells nothing: the start is asked again when its time is up.
        const auto size = frameFindField(frame, tag::FlashReadStart);
        if (deciding != tag::FlashReadStart || !size || size->value.size() < 3) {
            return false;
        }
        if (takeAnswer()) {
            onImageSize(*size);
        }
        return true;
    }
    const auto data = frameFindField(frame, tag::Read);
    if (!data || (deciding != tag::Read && deciding != tag::FlashReadStart)) {
        return false;
    }
    onImageBlock(frame, *data);
    return true;
}

void FlashDownloadOperation::onImageSize(const FrameField& size) {
    total_ = static_cast<std::int32_t>(fieldAddress24(size) + kBlockSize);
    offset_ = 0;
    readingBlocks_ = true;
    ctx_.post(SessionProgress::FlashReadStartSent, 0);
    // The blocks that follow cannot be taken for a size answer: no wait.
    nextStep();
}

void FlashDownloadOperation::onImageBlock(const ProtocolFrame& frame, const FrameField& data) {
    const std::uint32_t outstanding = static_cast<std::uint32_t>(offset_);
    const auto addressField = frameFindField(frame, tag::Address);
    const bool named = addressField && addressField->value.size() >= 3;
    const std::uint32_t address = named ? fieldAddress24(*addressField) : outstanding;
    if (address != outstanding) {
        ctx_.traceStale(address);
        return;
    }
    if (data.value.empty()) {
        // A block without data would leave a hole in the image: the time-out asks again.
        ctx_.traceLine("Empty image block ignored");
        return;
    }
    if (!takeAnswer()) {
        return;
    }
    // Exactly one block per address, so the file stays in step with the image: a single byte
    // stands for 128 copies, a short block is padded as erased FLASH, a long one cut.
    std::array<std::uint8_t, kBlockSize> block;
    block.fill(data.value.size() == 1 ? data.value[0] : 0xFF);
    if (data.value.size() > 1) {
        std::copy_n(data.value.begin(), std::min(data.value.size(), kBlockSize), block.begin());
    }
    if (!file_ || !file_->append(block)) {
        fileFailed();
        return;
    }
    offset_ += static_cast<std::int32_t>(kBlockSize);
    if (offset_ < total_) {
        answered(named);
        return;
    }
    if (!file_->commit()) {
        fileFailed();
        return;
    }
    file_.reset();
    ctx_.post(SessionProgress::FlashReadEnded, result::Success);
    finish(Outcome::Done);
}

void FlashDownloadOperation::fileFailed() {
    ctx_.traceLine("Image file write failed!");
    ctx_.setResultHex(std::string()); // a failure of ours: no status from the converter
    ctx_.post(SessionProgress::FlashReadEnded, result::Failed);
    finish(Outcome::FileError);
}

void FlashDownloadOperation::cancel() {
    finish(Outcome::Cancelled);
}

int FlashDownloadOperation::percent() const {
    if (total_ <= 0) {
        return 0;
    }
    return static_cast<int>(std::min<std::int64_t>(100, std::int64_t{offset_} * 100 / total_));
}

void FlashDownloadOperation::describe(OperationResult& result) const {
    result.file = path_;
    result.percent = percent();
}

} // namespace vandrel
