// The request operations: each builds one frame, traces and sends it, reports it to the host,
// starts the response timer and records what answer the session now waits for.
#include "protocol/DeviceSession.h"

#include "config/FileHelpers.h"
#include "protocol/ConfigPackets.h"
#include "protocol/FieldTags.h"

#include <algorithm>
#include <cstdint>

namespace vandrel {
namespace {

void addAddress(ProtocolFrame& frame, std::uint8_t fieldTag, std::uint32_t address) {
    frameAddBytes(frame, fieldTag,
                  {static_cast<std::uint8_t>(address >> 16),
                   static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)});
}

// Characters followed by one zero byte, cut to `maxChars`.
void addZeroEndedText(ProtocolFrame& frame, std::uint8_t fieldTag, std::string_view text,
                      std::size_t maxChars) {
    std::array<std::uint8_t, kMaxAccessPassword + 1> value{};
    const std::size_t n = std::min({text.size(), maxChars, kMaxAccessPassword});
    std::copy_n(text.begin(), n, value.begin());
    frameAddField(frame, fieldTag, static_cast<std::uint8_t>(n + 1), value.data());
}

int transferPercent(std::int32_t offset, std::int32_t total) {
    if (total <= 0) {
        return 100; // nothing to transfer: whatever is sent completes it
    }
    return static_cast<int>((std::int64_t{offset} + std::int64_t{kBlockSize}) * 100 / total);
}

} // namespace

FramePtr DeviceSession::newFrame(std::uint8_t type) {
    FramePtr frame = frameCreate(type);
    if (!frame) {
        fatalOutOfMemory();
    }
    return frame;
}

void DeviceSession::addPassword(ProtocolFrame& frame, std::string_view password) {
    addZeroEndedText(frame, tag::Password, password, kMaxAccessPassword);
}

void DeviceSession::completeRequest(FramePtr frame, std::string_view statusLine,
                                    std::optional<Progress> progress, int timeoutMs, bool repeat) {
    frameSeal(*frame);
    if (!statusLine.empty()) {
        traceLine(statusLine);
    }
    sendFrame(std::move(frame));
    if (progress) {
        post(progress->code, progress->value);
    }
    startTimer(timeoutMs);
    retryCount = repeat ? retryCount + 1 : 0;
}

void DeviceSession::sendAcknowledgement(std::uint8_t ackTag) {
    FramePtr frame = newFrame(kFrameTypeReply);
    frameAddBytes(*frame, ackTag, {restartCode});
    frameSeal(*frame);
    sendFrame(std::move(frame));
}

void DeviceSession::giveUpUnlessSent(bool sent) {
    if (!sent) {
        giveUp();
    }
}

bool DeviceSession::requestReset() {
    if (!linkReady()) {
        return false;
    }
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddBytes(*frame, tag::Reset, {});
    addPassword(*frame, accessPassword);
    const bool repeat = state == SessionState::Resetting;
    completeRequest(std::move(frame), "Device RESET", Progress{SessionProgress::ResetSent, 0},
                    kResetTimeoutMs, repeat);
    enterState(SessionState::Resetting);
    return true;
}

bool DeviceSession::requestSystemInfo() {
    loaderVersion_.clear();
    firmwareVersion_.clear();
    activePartition_ = 0xFF;
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddBytes(*frame, tag::SystemInfo, {});
    const bool repeat = (pendingFlags & pending::SystemInfo) != 0;
    completeRequest(std::move(frame), "Get system info",
                    Progress{SessionProgress::SystemInfoSent, 0}, kResponseTimeoutMs, repeat);
    enterState(SessionState::Ready);
    pendingFlags |= pending::SystemInfo;
    return true;
}

bool DeviceSession::requestConfigRead(bool isRetry) {
    if (!linkReady()) {
        return false;
    }
    const ConfigTransfer* running = configTransfer();
    if (state != SessionState::ConfigReading || !running || running->writing) {
        beginTransfer(ConfigTransfer{});
    }
    const std::int32_t packet = configTransfer()->packetNumber;
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddBytes(*frame, tag::Read, {});
    addAddress(*frame, tag::Address, configPacketAddress(packet));
    addPassword(*frame, accessPassword);
    const std::string line = "Read configuration data (packet:" + std::to_string(packet) + ")";
    completeRequest(std::move(frame), line, Progress{SessionProgress::ConfigReadSent, 0},
                    kResponseTimeoutMs, isRetry);
    enterState(SessionState::ConfigReading);
    return true;
}

bool DeviceSession::requestConfigWrite(const ConfigImage* image, bool isRetry) {
    const ConfigTransfer* running = configTransfer();
    const bool goesOn = state == SessionState::ConfigWriting && running && running->writing;
    if (!goesOn && !image) {
        return false;
    }
    if (!linkReady()) {
        return false;
    }
    if (!goesOn) {
        ConfigTransfer write;
        write.writing = true;
        beginTransfer(write);
    }
    ConfigTransfer& transfer = *configTransfer();
    if (image) {
        transfer.image = *image;
    }
    FramePtr frame = newFrame(kFrameTypeRequest);
    const ConfigPacket packet = cutConfigPacket(transfer.image, transfer.packetNumber);
    frameAddField(*frame, tag::ConfigWrite, static_cast<std::uint8_t>(packet.size()),
                  packet.data());
    addAddress(*frame, tag::Address, configPacketAddress(transfer.packetNumber));
    addPassword(*frame, accessPassword);
    const std::string line =
        "Write configuration data (packet:" + std::to_string(transfer.packetNumber) + ")";
    completeRequest(std::move(frame), line, Progress{SessionProgress::ConfigWriteSent, 0},
                    kResponseTimeoutMs, isRetry);
    enterState(SessionState::ConfigWriting);
    return true;
}

bool DeviceSession::beginFlashLoading(FlashLoad load) {
    if (!linkReady()) {
        return false;
    }
    beginTransfer(std::move(load));
    sendFlashStart(false);
    return true;
}

bool DeviceSession::requestFlashStart() {
    if (!flashLoad() || !linkReady()) {
        return false;
    }
    sendFlashStart(state == SessionState::FlashStart);
    return true;
}

void DeviceSession::sendFlashStart(bool repeat) {
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddBytes(*frame, tag::FlashStart, {0x01});
    addPassword(*frame, accessPassword);
    completeRequest(std::move(frame), "Start FLASH loading",
                    Progress{SessionProgress::FlashStartSent, 0}, kFlashStartTimeoutMs, repeat);
    enterState(SessionState::FlashStart);
    pendingFlags &= ~pending::FlashCancel;
    flashLoad()->offset = 0;
}

bool DeviceSession::requestFlashChunk(bool isRetry) {
    FlashLoad* load = flashLoad();
    if (!load || !load->hasFile()) {
        return false;
    }
    // Bytes the file does not fill (its end, a failed read) go out as erased FLASH.
    std::array<std::uint8_t, kBlockSize> chunk;
    chunk.fill(0xFF);
    if (load->offset >= 0) {
        FileReadAt(load->path, static_cast<std::uint32_t>(load->offset), chunk.data(),
                   static_cast<std::uint32_t>(chunk.size()));
    }
    const bool uniform =
        std::all_of(chunk.begin(), chunk.end(), [&](std::uint8_t b) { return b == chunk[0]; });
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddField(*frame, tag::FlashData, uniform ? 1 : static_cast<std::uint8_t>(chunk.size()),
                  chunk.data());
    addAddress(*frame, tag::FlashOffset, static_cast<std::uint32_t>(load->offset));
    std::optional<Progress> progress;
    if (!isRetry) {
        progress =
            Progress{SessionProgress::FlashChunkSent, transferPercent(load->offset, load->total)};
    }
    completeRequest(std::move(frame), {}, progress, kResponseTimeoutMs, isRetry);
    enterState(SessionState::FlashLoading);
    return true;
}

bool DeviceSession::requestFlashStop(bool isRetry) {
    FlashLoad* load = flashLoad();
    if (!load) {
        return false;
    }
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddBytes(*frame, tag::FlashStop, {});
    completeRequest(std::move(frame), "Stop FLASH loading", std::nullopt, kResponseTimeoutMs,
                    isRetry);
    enterState(SessionState::FlashLoading);
    pendingFlags &= ~pending::FlashCancel;
    load->offset = load->total;
    return true;
}

bool DeviceSession::requestFlashCancel(bool isRetry) {
    if (!flashLoad()) {
        return false;
    }
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddBytes(*frame, tag::FlashCancel, {});
    completeRequest(std::move(frame), "Cancel FLASH loading", std::nullopt, kResponseTimeoutMs,
                    isRetry);
    enterState(SessionState::FlashLoading);
    pendingFlags |= pending::FlashCancel;
    return true;
}

bool DeviceSession::requestFlashReadStart() {
    if (!flashDownload() || !linkReady()) {
        return false;
    }
    sendFlashReadStart((pendingFlags & pending::FlashReadStart) != 0);
    return true;
}

void DeviceSession::sendFlashReadStart(bool repeat) {
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddBytes(*frame, tag::FlashReadStart, {});
    addPassword(*frame, accessPassword);
    completeRequest(std::move(frame), "Start FLASH downloading",
                    Progress{SessionProgress::FlashReadStartSent, 0}, kFlashReadStartTimeoutMs,
                    repeat);
    enterState(SessionState::Ready);
    pendingFlags = (pendingFlags & ~pending::FlashReadData) | pending::FlashReadStart;
    flashDownload()->offset = 0;
}

bool DeviceSession::requestFlashRead(bool isRetry) {
    FlashDownload* download = flashDownload();
    if (!download) {
        return false;
    }
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddBytes(*frame, tag::Read, {});
    addAddress(*frame, tag::Address, static_cast<std::uint32_t>(download->offset));
    std::optional<Progress> progress;
    if (!isRetry) {
        progress = Progress{SessionProgress::FlashBlockRequested,
                            transferPercent(download->offset, download->total)};
    }
    completeRequest(std::move(frame), {}, progress, kResponseTimeoutMs, isRetry);
    enterState(SessionState::Ready);
    pendingFlags |= pending::FlashReadData;
    return true;
}

bool DeviceSession::requestMonitor(bool on) {
    if (!linkReady()) {
        return false;
    }
    const std::uint32_t bit = on ? pending::MonitorOn : pending::MonitorOff;
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddBytes(*frame, on ? tag::MonitorOn : tag::MonitorOff, {});
    const bool repeat = (pendingFlags & bit) != 0;
    completeRequest(std::move(frame), {}, Progress{SessionProgress::MonitorSent, 0},
                    kResponseTimeoutMs, repeat);
    enterState(SessionState::Ready);
    pendingFlags |= bit;
    return true;
}

bool DeviceSession::requestMonitorText(std::string_view text) {
    if (!linkReady()) {
        return false;
    }
    text = text.substr(0, std::min(text.size(), kMaxMonitorText));
    FramePtr frame = newFrame(kFrameTypeRequest);
    frameAddField(*frame, tag::MonitorText, static_cast<std::uint8_t>(text.size()),
                  reinterpret_cast<const std::uint8_t*>(text.data()));
    addPassword(*frame, accessPassword);
    const bool repeat = (pendingFlags & pending::MonitorCommand) != 0;
    completeRequest(std::move(frame), {}, Progress{SessionProgress::MonitorSent, 0},
                    kResponseTimeoutMs, repeat);
    enterState(SessionState::Ready);
    pendingFlags |= pending::MonitorCommand;
    return true;
}

bool DeviceSession::requestPasswordChange(std::string_view newPassword,
                                          std::string_view currentPassword) {
    if (!linkReady()) {
        return false;
    }
    FramePtr frame = newFrame(kFrameTypeRequest);
    addZeroEndedText(*frame, tag::NewPassword, newPassword, kMaxAccessPassword);
    addPassword(*frame, currentPassword);
    const bool repeat = (pendingFlags & pending::PasswordChange) != 0;
    completeRequest(std::move(frame), {}, Progress{SessionProgress::PasswordChangeSent, 0},
                    kResponseTimeoutMs, repeat);
    enterState(SessionState::Ready);
    pendingFlags |= pending::PasswordChange;
    return true;
}

} // namespace vandrel
