// The operation in transfer: how one replaces another, where it ends with the session state,
// and what the hosts read of it.
#include "protocol/DeviceSession.h"

#include "config/FileHelpers.h"

namespace vandrel {

void DeviceSession::beginTransfer(Transfer next) {
    if (flashDownload()) {
        pendingFlags &= ~(pending::FlashReadStart | pending::FlashReadData);
    }
    transfer_ = std::move(next);
}

void DeviceSession::enterState(SessionState next) {
    state = next;
    const ConfigTransfer* config = configTransfer();
    if (config &&
        next != (config->writing ? SessionState::ConfigWriting : SessionState::ConfigReading)) {
        transfer_ = std::monostate{};
    } else if (flashLoad() && next != SessionState::FlashStart &&
               next != SessionState::FlashLoading) {
        transfer_ = std::monostate{};
    } else if (flashDownload() && next != SessionState::Ready) {
        // Another operation took over; the image file is left to whoever chose it.
        pendingFlags &= ~(pending::FlashReadStart | pending::FlashReadData);
        transfer_ = std::monostate{};
    }
}

void DeviceSession::endFlashDownloading(std::optional<int> outcome, bool deleteImage) {
    if (outcome) {
        post(SessionProgress::FlashReadEnded, *outcome);
    }
    pendingFlags &= ~(pending::FlashReadStart | pending::FlashReadData);
    if (const FlashDownload* download = flashDownload()) {
        if (deleteImage) {
            FileDelete(download->path);
        }
        transfer_ = std::monostate{};
    }
}

OperationKind DeviceSession::operation() const {
    if (const auto* config = std::get_if<ConfigTransfer>(&transfer_)) {
        return config->writing ? OperationKind::ConfigWrite : OperationKind::ConfigRead;
    }
    if (flashLoad()) {
        return OperationKind::FlashLoading;
    }
    if (flashDownload()) {
        return OperationKind::FlashDownloading;
    }
    return state == SessionState::Resetting ? OperationKind::Reset : OperationKind::None;
}

std::int32_t DeviceSession::packetNumber() const {
    const auto* config = std::get_if<ConfigTransfer>(&transfer_);
    return config ? config->packetNumber : 0;
}

std::int32_t DeviceSession::flashTotal() const {
    if (const FlashLoad* load = flashLoad()) {
        return load->total;
    }
    const FlashDownload* download = flashDownload();
    return download ? download->total : 0;
}

std::int32_t DeviceSession::flashOffset() const {
    if (const FlashLoad* load = flashLoad()) {
        return load->offset;
    }
    const FlashDownload* download = flashDownload();
    return download ? download->offset : 0;
}

} // namespace vandrel
