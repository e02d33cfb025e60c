// FLASH loading (firmware file to the converter, in chunks) and FLASH downloading (the
// converter's image into a file, block by block).
#include "protocol/DeviceSession.h"

#include "config/FileHelpers.h"
#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"

#include <algorithm>
#include <limits>

namespace vandrel {

void DeviceSession::useFirmwareFile(const std::string& path) {
    // From here the path names the firmware, so an unfinished download can no longer delete its
    // image by this path.
    pendingFlags &= ~(pending::FlashReadStart | pending::FlashReadData);
    flashFilePath = path;
    flashTotal = static_cast<std::int32_t>(
        std::min<std::uint32_t>(FileSize(path), std::numeric_limits<std::int32_t>::max()));
}

bool DeviceSession::useImageFile(const std::string& path) {
    if (!FileTruncate(path)) {
        return false;
    }
    flashFilePath = path;
    flashTotal = 0;
    return true;
}

bool DeviceSession::startFlashLoading(const std::string& path) {
    useFirmwareFile(path);
    return requestFlashStart();
}

bool DeviceSession::awaitingFirmware() const {
    return state == SessionState::FlashStart || state == SessionState::FlashLoading;
}

bool DeviceSession::supplyFirmware(const std::string& path) {
    useFirmwareFile(path);
    return requestFlashChunk(false);
}

void DeviceSession::declineFirmware() {
    requestFlashCancel(false);
}

DeviceSession::DownloadStart DeviceSession::startFlashDownloading(const std::string& path) {
    if (!useImageFile(path)) {
        return DownloadStart::FileError;
    }
    return requestFlashReadStart() ? DownloadStart::Started : DownloadStart::NoLink;
}

void DeviceSession::cancelFlashLoading() {
    requestFlashCancel(false);
}

void DeviceSession::deleteFlashFile() const {
    if (!flashFilePath.empty()) {
        FileDelete(flashFilePath);
    }
}

void DeviceSession::stopFlashDownloading() {
    if ((pendingFlags & (pending::FlashReadStart | pending::FlashReadData)) == 0) {
        return;
    }
    stopTimer();
    pendingFlags &= ~(pending::FlashReadStart | pending::FlashReadData);
    deleteFlashFile();
}

void DeviceSession::onFlashStart(const ProtocolFrame& frame) {
    if (frame.type() == kFrameTypePositive && frameFindField(frame, tag::FlashStart)) {
        stopTimer();
        // Without a file (the converter asked for firmware) the host sends the first chunk once
        // the user has chosen one.
        if (!flashFilePath.empty()) {
            flashOffset = 0;
            requestFlashChunk(false);
            post(SessionProgress::FlashStartSent, 0);
        }
        state = SessionState::FlashLoading;
        return;
    }
    if (frame.type() != kFrameTypeNegative) {
        return;
    }
    stopTimer();
    if (frameStatus(frame) == kStatusAccessDenied &&
        !askPassword(SessionProgress::FlashLoadEnded)) {
        state = SessionState::Ready;
        return;
    }
    if (retryCount < kRetryLimit) {
        requestFlashStart();
        return;
    }
    formatResultHex(frameFindField(frame, tag::Status));
    post(SessionProgress::FlashLoadEnded, result::Failed);
    state = SessionState::Ready;
}

void DeviceSession::endFlashLoading(int outcome) {
    post(SessionProgress::FlashLoadEnded, outcome);
    pendingFlags &= ~pending::FlashCancel;
    state = SessionState::Ready;
    flashFilePath.clear();
    flashTotal = 0;
}

void DeviceSession::repeatFlashLoadingStep() {
    if (pendingFlags & pending::FlashCancel) {
        requestFlashCancel(true);
    } else if (flashOffset < flashTotal) {
        requestFlashChunk(true);
    } else {
        requestFlashStop(true);
    }
}

void DeviceSession::onFlashLoading(const ProtocolFrame& frame) {
    if (frame.type() == kFrameTypePositive) {
        const auto ack = frameFindField(frame, tag::FlashOffset);
        if (ack && (pendingFlags & pending::FlashCancel) == 0) {
            stopTimer();
            // The converter says which chunk it took; the next one follows that chunk.
            flashOffset = static_cast<std::int32_t>(fieldAddress24(*ack) + kBlockSize);
            if (flashOffset >= flashTotal) {
                requestFlashStop(false);
                post(SessionProgress::FlashChunkSent, 100);
            } else {
                requestFlashChunk(false);
            }
        } else if (frameFindField(frame, tag::FlashStop)) {
            stopTimer();
            endFlashLoading(result::Success);
        } else if (frameFindField(frame, tag::FlashCancel)) {
            stopTimer();
            endFlashLoading(result::Cancelled);
        }
        return;
    }
    if (frame.type() != kFrameTypeNegative) {
        return;
    }
    stopTimer();
    if (retryCount >= kRetryLimit) {
        formatResultHex(frameFindField(frame, tag::Status));
        endFlashLoading(result::Failed);
        return;
    }
    repeatFlashLoadingStep();
}

void DeviceSession::onFlashImageSize(const FrameField& size) {
    // A size that comes while no download is starting (a late answer to a repeated start) would
    // restart the image at offset 0 behind the blocks already written.
    if ((pendingFlags & pending::FlashReadStart) == 0) {
        return;
    }
    stopTimer();
    if (size.value.size() < 3) {
        return;
    }
    flashTotal = static_cast<std::int32_t>(fieldAddress24(size) + kBlockSize);
    flashOffset = 0;
    post(SessionProgress::FlashReadStartSent, 0);
    requestFlashRead(false);
    pendingFlags &= ~pending::FlashReadStart;
}

void DeviceSession::onFlashImageBlock(const ProtocolFrame& frame, const FrameField& data) {
    stopTimer();
    const auto addressField = frameFindField(frame, tag::Address);
    const std::uint32_t address = addressField && addressField->value.size() >= 3
                                      ? fieldAddress24(*addressField)
                                      : static_cast<std::uint32_t>(flashOffset);
    const bool inPlace = address == static_cast<std::uint32_t>(flashOffset);
    if (inPlace && !data.value.empty() && !flashFilePath.empty()) {
        // Exactly one block per address, so the file stays in step with the image: a single
        // byte stands for 128 copies, a short block is padded as erased FLASH, a long one cut.
        std::array<std::uint8_t, kBlockSize> block;
        block.fill(data.value.size() == 1 ? data.value[0] : 0xFF);
        if (data.value.size() > 1) {
            std::copy_n(data.value.begin(), std::min(data.value.size(), kBlockSize), block.begin());
        }
        FileAppend(flashFilePath, block.data(), static_cast<std::uint32_t>(block.size()));
    }
    if (inPlace) {
        flashOffset += static_cast<std::int32_t>(kBlockSize);
    }
    if (flashOffset < flashTotal) {
        requestFlashRead(false);
    } else {
        post(SessionProgress::FlashReadEnded, result::Success);
        pendingFlags &= ~pending::FlashReadData;
    }
}

void DeviceSession::onFlashReadRefused(const ProtocolFrame& frame) {
    if (pendingFlags & pending::FlashReadStart) {
        if (frameStatus(frame) == kStatusAccessDenied &&
            !askPassword(SessionProgress::FlashReadEnded)) {
            pendingFlags &= ~pending::FlashReadStart; // the empty file stays
            return;
        }
        if (retryCount < kRetryLimit) {
            requestFlashReadStart();
            return;
        }
        post(SessionProgress::FlashReadEnded, result::Failed);
        pendingFlags &= ~pending::FlashReadStart;
        deleteFlashFile();
        return;
    }
    if (retryCount < kRetryLimit) {
        requestFlashRead(true);
        return;
    }
    post(SessionProgress::FlashReadEnded, result::Failed);
    pendingFlags &= ~pending::FlashReadData;
    deleteFlashFile();
}

} // namespace vandrel
