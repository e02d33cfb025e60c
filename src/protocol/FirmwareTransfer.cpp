// FLASH loading (firmware file to the converter, in chunks) and FLASH downloading (the
// converter's image into a file, block by block).
#include "protocol/DeviceSession.h"

#include "config/FileHelpers.h"
#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"

#include <algorithm>
#include <limits>

namespace vandrel {
namespace {

std::int32_t fileSize(const std::string& path) {
    return static_cast<std::int32_t>(
        std::min<std::uint32_t>(FileSize(path), std::numeric_limits<std::int32_t>::max()));
}

// The address field of an image block, when it carries a whole one.
std::optional<std::uint32_t> blockAddress(const ProtocolFrame& frame) {
    const auto field = frameFindField(frame, tag::Address);
    if (!field || field->value.size() < 3) {
        return std::nullopt;
    }
    return fieldAddress24(*field);
}

} // namespace

bool DeviceSession::startFlashLoading(const std::string& confirmedFirmwarePath) {
    if (confirmedFirmwarePath.empty()) {
        return false;
    }
    FlashLoad load;
    load.path = confirmedFirmwarePath;
    load.total = fileSize(confirmedFirmwarePath);
    return beginFlashLoading(std::move(load));
}

bool DeviceSession::awaitingFirmware() const {
    const FlashLoad* load = flashLoad();
    return load && load->converterStarted && !load->hasFile() &&
           (pendingFlags & pending::FlashCancel) == 0;
}

bool DeviceSession::supplyFirmware(const std::string& confirmedFirmwarePath) {
    if (!awaitingFirmware() || confirmedFirmwarePath.empty()) {
        return false;
    }
    FlashLoad& load = *flashLoad();
    load.path = confirmedFirmwarePath;
    load.total = fileSize(confirmedFirmwarePath);
    load.offset = 0;
    // Not yet accepted: the chunk follows the converter's acceptance.
    if (load.accepted) {
        requestFlashChunk(false);
    }
    return true;
}

void DeviceSession::declineFirmware() {
    if (awaitingFirmware()) {
        requestFlashCancel(false);
    }
}

void DeviceSession::cancelFlashLoading() {
    requestFlashCancel(false);
}

DeviceSession::DownloadStart DeviceSession::startFlashDownloading(const std::string& imagePath) {
    if (imagePath.empty() || !FileTruncate(imagePath)) {
        return DownloadStart::FileError;
    }
    if (!linkReady()) {
        return DownloadStart::NoLink;
    }
    FlashDownload download;
    download.path = imagePath;
    beginTransfer(std::move(download));
    sendFlashReadStart(false);
    return DownloadStart::Started;
}

void DeviceSession::stopFlashDownloading() {
    if ((pendingFlags & (pending::FlashReadStart | pending::FlashReadData)) == 0) {
        return;
    }
    stopTimer();
    endFlashDownloading(std::nullopt, true);
}

void DeviceSession::onFlashStart(const ProtocolFrame& frame) {
    FlashLoad* load = flashLoad();
    if (!load) {
        return;
    }
    if (frame.type() == kFrameTypePositive && frameFindField(frame, tag::FlashStart)) {
        stopTimer();
        load->accepted = true;
        // Without a file (the loader asked for firmware) the first chunk goes once the host
        // hands over the file the user chose and confirmed.
        if (load->hasFile()) {
            load->offset = 0;
            requestFlashChunk(false);
            post(SessionProgress::FlashStartSent, 0);
        }
        enterState(SessionState::FlashLoading);
        return;
    }
    if (frame.type() != kFrameTypeNegative) {
        return;
    }
    stopTimer();
    if (frameStatus(frame) == kStatusAccessDenied) {
        if (!askPassword(SessionProgress::FlashLoadEnded)) {
            enterState(SessionState::Ready);
            return;
        }
        if (state != SessionState::FlashStart || !flashLoad()) {
            return; // ended while the question was open
        }
    }
    if (retryCount < kRetryLimit) {
        giveUpUnlessSent(requestFlashStart());
        return;
    }
    formatResultHex(frameFindField(frame, tag::Status));
    post(SessionProgress::FlashLoadEnded, result::Failed);
    enterState(SessionState::Ready);
}

void DeviceSession::endFlashLoading(int outcome) {
    post(SessionProgress::FlashLoadEnded, outcome);
    pendingFlags &= ~pending::FlashCancel;
    enterState(SessionState::Ready);
}

bool DeviceSession::repeatFlashLoadingStep() {
    const FlashLoad* load = flashLoad();
    if (!load) {
        return false;
    }
    if (pendingFlags & pending::FlashCancel) {
        return requestFlashCancel(true);
    }
    if (!load->hasFile()) {
        return false; // nothing was sent: the host's file is awaited
    }
    return load->offset < load->total ? requestFlashChunk(true) : requestFlashStop(true);
}

void DeviceSession::onFlashLoading(const ProtocolFrame& frame) {
    FlashLoad* load = flashLoad();
    if (!load) {
        return;
    }
    const bool cancelling = (pendingFlags & pending::FlashCancel) != 0;
    if (frame.type() == kFrameTypePositive) {
        if (const auto ack = frameFindField(frame, tag::FlashOffset); ack && !cancelling) {
            onChunkAcknowledged(*load, *ack);
        } else if (frameFindField(frame, tag::FlashStop)) {
            stopTimer();
            endFlashLoading(result::Success);
        } else if (frameFindField(frame, tag::FlashCancel)) {
            stopTimer();
            endFlashLoading(result::Cancelled);
        }
        return;
    }
    if (frame.type() != kFrameTypeNegative || (!cancelling && !load->hasFile())) {
        return; // nothing is outstanding while the host's file is awaited
    }
    stopTimer();
    if (retryCount >= kRetryLimit) {
        formatResultHex(frameFindField(frame, tag::Status));
        endFlashLoading(result::Failed);
        return;
    }
    repeatFlashLoadingStep();
}

void DeviceSession::onChunkAcknowledged(FlashLoad& load, const FrameField& ack) {
    // Only the chunk outstanding may be acknowledged: an acknowledgement of an earlier copy of a
    // repeated chunk, or of the last chunk once the stop is out, changes nothing.
    const std::uint32_t address = fieldAddress24(ack);
    if (!load.hasFile() || load.offset >= load.total ||
        address != static_cast<std::uint32_t>(load.offset)) {
        traceStale(address);
        return;
    }
    stopTimer();
    load.offset += static_cast<std::int32_t>(kBlockSize);
    if (load.offset >= load.total) {
        requestFlashStop(false);
        post(SessionProgress::FlashChunkSent, 100);
    } else {
        requestFlashChunk(false);
    }
}

void DeviceSession::onFlashImageSize(const FrameField& size) {
    FlashDownload* download = flashDownload();
    // A size that comes while no download is starting (a late answer to a repeated start) would
    // restart the image at offset 0 behind the blocks already written. One too short to read
    // tells nothing: the start is asked again when its time is up.
    if (!download || (pendingFlags & pending::FlashReadStart) == 0 || size.value.size() < 3) {
        return;
    }
    stopTimer();
    download->total = static_cast<std::int32_t>(fieldAddress24(size) + kBlockSize);
    download->offset = 0;
    post(SessionProgress::FlashReadStartSent, 0);
    requestFlashRead(false);
    pendingFlags &= ~pending::FlashReadStart;
}

void DeviceSession::onFlashImageBlock(const ProtocolFrame& frame, const FrameField& data) {
    FlashDownload* download = flashDownload();
    if (!download) {
        return;
    }
    const std::uint32_t outstanding = static_cast<std::uint32_t>(download->offset);
    const std::uint32_t address = blockAddress(frame).value_or(outstanding);
    if (address != outstanding) {
        traceStale(address);
        return;
    }
    if (data.value.empty()) {
        // A block without data would leave a hole in the image: the time-out asks again.
        traceLine("Empty image block ignored");
        return;
    }
    stopTimer();
    // Exactly one block per address, so the file stays in step with the image: a single byte
    // stands for 128 copies, a short block is padded as erased FLASH, a long one cut.
    std::array<std::uint8_t, kBlockSize> block;
    block.fill(data.value.size() == 1 ? data.value[0] : 0xFF);
    if (data.value.size() > 1) {
        std::copy_n(data.value.begin(), std::min(data.value.size(), kBlockSize), block.begin());
    }
    if (!FileAppend(download->path, block.data(), static_cast<std::uint32_t>(block.size()))) {
        traceLine("Image file write failed!");
        formatResultHex(std::nullopt); // a failure of ours: no status from the converter
        endFlashDownloading(result::Failed, true);
        return;
    }
    download->offset += static_cast<std::int32_t>(kBlockSize);
    if (download->offset < download->total) {
        requestFlashRead(false);
    } else {
        endFlashDownloading(result::Success, false);
    }
}

void DeviceSession::onFlashReadRefused(const ProtocolFrame& frame) {
    if (pendingFlags & pending::FlashReadStart) {
        if (frameStatus(frame) == kStatusAccessDenied) {
            if (!askPassword(SessionProgress::FlashReadEnded)) {
                endFlashDownloading(std::nullopt, false); // the empty file stays
                return;
            }
            if ((pendingFlags & pending::FlashReadStart) == 0 || !flashDownload()) {
                return; // ended while the question was open
            }
        }
        if (retryCount < kRetryLimit) {
            giveUpUnlessSent(requestFlashReadStart());
            return;
        }
        endFlashDownloading(result::Failed, true);
        return;
    }
    if (retryCount < kRetryLimit && flashDownload()) {
        requestFlashRead(true);
        return;
    }
    endFlashDownloading(result::Failed, true);
}

} // namespace vandrel
