// The configuration read and write, packet by packet, from the converter's answers.
#include "protocol/DeviceSession.h"

#include "protocol/ConfigPackets.h"
#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"

namespace vandrel {

void DeviceSession::onConfigTransfer(const ProtocolFrame& frame, bool writing) {
    ConfigTransfer* transfer = configTransfer();
    if (!transfer || transfer->writing != writing) {
        return;
    }
    if (frame.type() == kFrameTypePositive) {
        if (const auto data = frameFindField(frame, writing ? tag::ConfigWrite : tag::Read)) {
            onConfigAnswer(*transfer, frame, *data);
        }
        return;
    }
    if (frame.type() != kFrameTypeNegative) {
        return;
    }
    stopTimer();
    const SessionState running = state;
    if (frameStatus(frame) == kStatusAccessDenied) {
        if (!askPassword(writing ? SessionProgress::ConfigWriteEnded
                                 : SessionProgress::ConfigReadEnded)) {
            endConfigTransfer(result::PasswordCancelled);
            return;
        }
        if (state != running || !configTransfer()) {
            return; // ended while the question was open
        }
    }
    if (retryCount < kRetryLimit) {
        giveUpUnlessSent(writing ? requestConfigWrite(nullptr, true) : requestConfigRead(true));
        return;
    }
    formatResultHex(frameFindField(frame, tag::Status));
    endConfigTransfer(result::Failed);
}

void DeviceSession::onConfigAnswer(ConfigTransfer& transfer, const ProtocolFrame& frame,
                                   const FrameField& data) {
    if (transfer.packetNumber < 0 || transfer.packetNumber >= kConfigPacketCount) {
        return;
    }
    // An answer that names its packet must name the one outstanding: the answer to an earlier
    // copy of a repeated request arrives after the next packet has been asked for.
    const auto address = frameFindField(frame, tag::Address);
    if (address && address->value.size() >= 3 &&
        fieldAddress24(*address) != configPacketAddress(transfer.packetNumber)) {
        traceStale(fieldAddress24(*address));
        return;
    }
    stopTimer();
    if (!transfer.writing) {
        storeConfigPacket(transfer.image, transfer.packetNumber, data.value);
    }
    ++transfer.packetNumber;
    if (transfer.packetNumber < kConfigPacketCount) {
        giveUpUnlessSent(transfer.writing ? requestConfigWrite(nullptr, false)
                                          : requestConfigRead(false));
        return;
    }
    const bool reading = !transfer.writing;
    if (reading) {
        configImage_ = transfer.image;
    }
    endConfigTransfer(result::Success);
    if (reading) {
        requestSystemInfo();
    }
}

void DeviceSession::endConfigTransfer(int outcome) {
    const ConfigTransfer* transfer = configTransfer();
    // The password question posts its own end.
    if (outcome != result::PasswordCancelled && transfer) {
        post(transfer->writing ? SessionProgress::ConfigWriteEnded
                               : SessionProgress::ConfigReadEnded,
             outcome);
    }
    enterState(SessionState::Ready);
}

} // namespace vandrel
