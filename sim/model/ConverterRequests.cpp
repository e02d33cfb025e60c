// The converter's answers to each kind of request.
#include "sim/model/ConverterModel.h"

#include <algorithm>
#include <cstdlib>

namespace vandrel::sim {
namespace {

using Bytes = std::span<const std::uint8_t>;

Bytes textBytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// A 24-bit address, most significant byte first; none unless the field has exactly 3 bytes.
std::optional<std::uint32_t> addressField(const ProtocolFrame& frame, std::uint8_t tag) {
    const auto field = frameFindField(frame, tag);
    if (!field || field->value.size() != 3) {
        return std::nullopt;
    }
    return std::uint32_t{field->value[0]} << 16 | std::uint32_t{field->value[1]} << 8 |
           field->value[2];
}

std::array<std::uint8_t, 3> addressBytes(std::uint32_t address) {
    return {static_cast<std::uint8_t>(address >> 16), static_cast<std::uint8_t>(address >> 8),
            static_cast<std::uint8_t>(address)};
}

// A password field's characters: everything before its zero byte.
std::string passwordText(Bytes value) {
    const auto end = std::find(value.begin(), value.end(), std::uint8_t{0});
    return std::string(value.begin(), end);
}

bool allowedInLoader(RequestKind kind) {
    switch (kind) {
    case RequestKind::Reset:
    case RequestKind::SystemInfo:
    case RequestKind::FlashStart:
    case RequestKind::FlashChunk:
    case RequestKind::FlashStop:
    case RequestKind::FlashCancel:
        return true;
    default:
        return false;
    }
}

bool needsPassword(RequestKind kind) {
    switch (kind) {
    case RequestKind::Reset:
    case RequestKind::ConfigRead:
    case RequestKind::ConfigWrite:
    case RequestKind::FlashStart:
    case RequestKind::FlashReadStart:
    case RequestKind::MonitorCommand:
    case RequestKind::PasswordChange:
        return true;
    default:
        return false;
    }
}

} // namespace

void ConverterModel::handle(RequestKind kind, const ProtocolFrame& frame) {
    if (kind == RequestKind::LoaderAck) {
        onLoaderAck(frame);
        return;
    }
    if (kind == RequestKind::CodeAck) {
        onCodeAck(frame);
        return;
    }
    if (kind == RequestKind::Unknown) {
        // Only requests get an answer; unexpected replies are ignored.
        if (frame.type() == kFrameTypeRequest) {
            sendStatus(status::NotNow);
        }
        return;
    }
    if (const auto how = restartStrikes(kind)) {
        // No answer: the converter restarts under the request.
        beginRestart(restart_code::Unexpected, settings_.loaderDelay, *how);
        return;
    }
    if (failing(kind)) {
        return;
    }
    // An answer held back for an earlier copy goes out first, now that the next has arrived.
    std::vector<ProtocolFrame>& held = withheld_[static_cast<std::size_t>(kind)];
    for (const ProtocolFrame& late : held) {
        link_.sendFrame(late);
    }
    held.clear();
    if (answersLate(kind)) {
        holdBack_ = &held;
        answer(kind, frame);
        holdBack_ = nullptr;
        return;
    }
    answer(kind, frame);
}

bool ConverterModel::answersLate(RequestKind kind) const {
    const unsigned count = received_[static_cast<std::size_t>(kind)];
    return std::any_of(
        faults_.lateAnswers.begin(), faults_.lateAnswers.end(),
        [&](const LateAnswer& late) { return late.kind == kind && late.nth == count; });
}

std::optional<RestartHow> ConverterModel::restartStrikes(RequestKind kind) const {
    const unsigned count = received_[static_cast<std::size_t>(kind)];
    for (const RestartFault& fault : faults_.restarts) {
        if (fault.kind == kind && fault.nth == count) {
            return fault.how;
        }
    }
    return std::nullopt;
}

bool ConverterModel::failing(RequestKind kind) {
    const unsigned count = received_[static_cast<std::size_t>(kind)];
    for (const LastingFailure& failure : faults_.failures) {
        if (failure.kind == kind && failure.nth <= count) {
            if (!failure.silent) {
                sendStatus(failure.status);
            }
            return true;
        }
    }
    return false;
}

void ConverterModel::answer(RequestKind kind, const ProtocolFrame& frame) {
    if (refused(kind)) {
        return;
    }
    if (phase_ == Phase::InLoader && !allowedInLoader(kind)) {
        sendStatus(status::NotNow);
        return;
    }
    if (needsPassword(kind) && !passwordAccepted(frame)) {
        sendStatus(status::AccessDenied);
        return;
    }
    switch (kind) {
    case RequestKind::Reset:
        return handleReset();
    case RequestKind::SystemInfo:
        return handleSystemInfo();
    case RequestKind::ConfigRead:
        return handleConfigRead(frame);
    case RequestKind::ConfigWrite:
        return handleConfigWrite(frame);
    case RequestKind::FlashStart:
        return handleFlashStart();
    case RequestKind::FlashChunk:
        return handleFlashChunk(frame);
    case RequestKind::FlashStop:
        return handleFlashStop();
    case RequestKind::FlashCancel:
        return handleFlashCancel();
    case RequestKind::FlashReadStart:
        return handleFlashReadStart();
    case RequestKind::FlashRead:
        return handleFlashRead(frame);
    case RequestKind::MonitorOn:
        return handleMonitor(true);
    case RequestKind::MonitorOff:
        return handleMonitor(false);
    case RequestKind::MonitorCommand:
        return handleMonitorCommand(frame);
    case RequestKind::PasswordChange:
        return handlePasswordChange(frame);
    default:
        return;
    }
}

bool ConverterModel::passwordAccepted(const ProtocolFrame& frame) const {
    const std::string expected = config_.password();
    if (expected.empty()) {
        return true;
    }
    const auto field = frameFindField(frame, 0x88);
    return field && passwordText(field->value) == expected;
}

void ConverterModel::handleReset() {
    send(0xA2, {{0x81, {}}});
    beginRestart(restart_code::Requested, settings_.loaderDelay);
}

void ConverterModel::handleSystemInfo() {
    send(0xA2, {{0x15, textBytes(firmwareVersion_)},
                {0x16, textBytes(settings_.loaderVersion)},
                {0x51, {&settings_.partition, 1}}});
}

void ConverterModel::handleConfigRead(const ProtocolFrame& frame) {
    const auto address = addressField(frame, 0x46);
    const auto packet = address ? config_.readPacket(*address) : std::nullopt;
    if (!packet) {
        sendStatus(status::BadValue);
        return;
    }
    if (settings_.echoConfigAddress) {
        const auto echoed = addressBytes(*address);
        send(0xA2, {{0x42, *packet}, {0x46, echoed}});
    } else {
        send(0xA2, {{0x42, *packet}});
    }
}

void ConverterModel::handleConfigWrite(const ProtocolFrame& frame) {
    const auto address = addressField(frame, 0x46);
    const auto data = frameFindField(frame, 0x41);
    if (!address || !data || !config_.writePacket(*address, data->value)) {
        sendStatus(status::BadValue);
        return;
    }
    for (const StuckByte& stuck : faults_.stuckBytes) {
        config_.setByte(stuck.offset, stuck.value);
    }
    if (settings_.echoConfigAddress) {
        const auto echoed = addressBytes(*address);
        send(0xA2, {{0x41, {}}, {0x46, echoed}});
    } else {
        send(0xA2, {{0x41, {}}});
    }
}

void ConverterModel::handleFlashStart() {
    flash_.beginLoading();
    loadingCompleted_ = false;
    if (phase_ != Phase::Running) {
        // Taken during a restart: the loader keeps control until the loading ends.
        enterPhase(Phase::InLoader);
    }
    send(0xA2, {{0x21, {}}});
}

void ConverterModel::handleFlashChunk(const ProtocolFrame& frame) {
    if (!flash_.loading()) {
        sendStatus(status::OutOfSequence);
        return;
    }
    const auto address = addressField(frame, 0x26);
    const auto data = frameFindField(frame, 0x22);
    if (!address || !data || (data->value.size() != 1 && data->value.size() != kFlashBlockSize)) {
        sendStatus(status::BadValue);
        return;
    }
    FlashBlock chunk;
    if (data->value.size() == 1) {
        chunk.fill(data->value[0]); // all 128 bytes equal
    } else {
        std::copy(data->value.begin(), data->value.end(), chunk.begin());
    }
    if (!flash_.writeChunk(*address, chunk)) {
        sendStatus(status::BadValue);
        return;
    }
    const auto echoed = addressBytes(*address);
    send(0xA2, {{0x26, echoed}});
}

void ConverterModel::handleFlashStop() {
    if (!flash_.loading()) {
        // A stop repeated because its answer was lost is answered again, nothing more.
        if (loadingCompleted_) {
            send(0xA2, {{0x29, {}}});
        } else {
            sendStatus(status::OutOfSequence);
        }
        return;
    }
    flash_.completeLoading();
    loadingCompleted_ = true;
    firmwareMissing_ = false;
    if (auto version = FlashStore::firmwareVersionOf(flash_.image())) {
        firmwareVersion_ = *version;
    }
    send(0xA2, {{0x29, {}}});
    // The new firmware is programmed, then the converter restarts into it.
    enterPhase(Phase::InLoader);
    const std::uint64_t token = phaseToken_;
    scheduler_.after(settings_.programmingTime, [this, token] {
        if (token == phaseToken_) {
            beginRestart(restart_code::AfterLoading, SimTime{0});
        }
    });
}

void ConverterModel::handleFlashCancel() {
    if (!flash_.loading() && loadingCompleted_) {
        sendStatus(status::OutOfSequence); // too late: the image is already taken
        return;
    }
    const bool wasLoading = flash_.loading();
    flash_.cancelLoading();
    send(0xA2, {{0x27, {}}});
    // A loader that took the loading over during a restart goes on starting the old code.
    if (wasLoading && phase_ == Phase::InLoader && !firmwareMissing_) {
        startCode();
    }
}

void ConverterModel::handleFlashReadStart() {
    const auto last = flash_.lastBlockAddress();
    if (!last) {
        send(0xA2, {{0x24, {}}}); // nothing to read
        return;
    }
    // The value names the last block, so that the utility reads exactly the image.
    const auto value = addressBytes(*last);
    send(0xA2, {{0x24, value}});
}

void ConverterModel::handleFlashRead(const ProtocolFrame& frame) {
    const auto address = addressField(frame, 0x46);
    if (!address) {
        sendStatus(status::BadValue);
        return;
    }
    const FlashBlock block = flash_.block(*address);
    const bool uniform =
        std::all_of(block.begin(), block.end(), [&block](std::uint8_t b) { return b == block[0]; });
    const auto echoed = addressBytes(*address);
    send(0xA2, {{0x42, Bytes(block.data(), uniform ? 1 : block.size())}, {0x46, echoed}});
}

void ConverterModel::handleMonitor(bool on) {
    monitorOn_ = on;
    ++monitorToken_;
    send(0xA2, {{static_cast<std::uint8_t>(on ? 0x31 : 0x32), {}}});
    if (on) {
        scheduleMonitorText();
    }
}

void ConverterModel::handleMonitorCommand(const ProtocolFrame& frame) {
    const auto field = frameFindField(frame, 0x33);
    const Bytes text = field->value;
    send(0xA2, {{0x33, {}}});
    // "V=hh" sets the mask of what the monitor reports.
    if (text.size() >= 4 && text[0] == 'V' && text[1] == '=') {
        const std::string digits(text.begin() + 2, text.begin() + 4);
        char* end = nullptr;
        const unsigned long mask = std::strtoul(digits.c_str(), &end, 16);
        if (end == digits.c_str() + 2) {
            monitorMask_ = static_cast<std::uint8_t>(mask);
        }
    }
    // The converter's console echoes every command line into the monitor text.
    if (monitorOn_) {
        send(0xA2, {{0x31, text}});
    }
}

void ConverterModel::handlePasswordChange(const ProtocolFrame& frame) {
    const auto field = frameFindField(frame, 0x28);
    const std::string next = passwordText(field->value);
    if (next.size() > kPasswordSize) {
        sendStatus(status::BadValue);
        return;
    }
    config_.setPassword(next);
    send(0xA2, {{0x28, {}}});
}

} // namespace vandrel::sim
