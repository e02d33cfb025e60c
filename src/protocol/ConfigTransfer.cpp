// The configuration image travels in five packets of 128 bytes. The record keeps its 16-bit tag
// little-endian, the converter expects it most significant byte first, so packet 0 swaps it.
#include "protocol/DeviceSession.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"

#include <algorithm>
#include <utility>

namespace vandrel {

std::size_t DeviceSession::cutConfigPacket(std::uint8_t* out) const {
    const std::size_t start = static_cast<std::size_t>(packetNumber) * kBlockSize;
    std::copy_n(configImage.begin() + static_cast<std::ptrdiff_t>(start), kBlockSize, out);
    if (packetNumber == 0) {
        std::swap(out[0], out[1]);
    }
    return kBlockSize;
}

void DeviceSession::storeConfigPacket(std::span<const std::uint8_t> value) {
    // A short packet is stored with zeros for the bytes the converter did not send.
    std::array<std::uint8_t, kBlockSize> packet{};
    std::copy_n(value.begin(), std::min(value.size(), kBlockSize), packet.begin());
    const std::size_t start = static_cast<std::size_t>(packetNumber) * kBlockSize;
    std::copy(packet.begin(), packet.end(),
              configImage.begin() + static_cast<std::ptrdiff_t>(start));
    if (packetNumber == 0) {
        std::swap(configImage[0], configImage[1]);
    }
}

void DeviceSession::onConfigTransfer(const ProtocolFrame& frame, bool writing) {
    const SessionProgress ended =
        writing ? SessionProgress::ConfigWriteEnded : SessionProgress::ConfigReadEnded;
    if (frame.type() == kFrameTypePositive) {
        const auto field = frameFindField(frame, writing ? tag::ConfigWrite : tag::Read);
        if (!field || packetNumber < 0 || packetNumber >= kConfigPacketCount) {
            return;
        }
        stopTimer();
        if (!writing) {
            storeConfigPacket(field->value);
        }
        ++packetNumber;
        if (packetNumber < kConfigPacketCount) {
            if (writing) {
                requestConfigWrite(nullptr, false);
            } else {
                requestConfigRead(false);
            }
            return;
        }
        post(ended, result::Success);
        state = SessionState::Ready;
        if (!writing) {
            requestSystemInfo();
        }
        return;
    }
    if (frame.type() != kFrameTypeNegative) {
        return;
    }
    stopTimer();
    if (frameStatus(frame) == kStatusAccessDenied && !askPassword(ended)) {
        state = SessionState::Ready;
        return;
    }
    if (retryCount < kRetryLimit) {
        if (writing) {
            requestConfigWrite(nullptr, true);
        } else {
            requestConfigRead(true);
        }
        return;
    }
    formatResultHex(frameFindField(frame, tag::Status));
    post(ended, result::Failed);
    state = SessionState::Ready;
}

} // namespace vandrel
