// Arbitrary bytes from the serial line, through the frame assembler, into the session in every
// state it can reach: nothing may crash, hang or touch memory outside a frame. The states are
// reached as a host and a converter reach them: operations started, well-formed answers and
// restart events fed between the arbitrary bytes, time passing, the password answered, files
// supplied, the user cancelling, the port going away.
#include "protocol/DeviceSession.h"
#include "protocol/FieldTags.h"
#include "protocol/FrameAssembler.h"
#include "protocol/FrameWire.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace vandrel;

namespace {

const char* const kFirmwarePath = "fuzz-firmware.bin";
const char* const kImagePath = "fuzz-image.bin";

class StubClock : public TimerService {
public:
    TimerId startTimer(int ms, std::function<void(TimerId)> onExpiry) override {
        const TimerId id = next_++;
        timers_[id] = {now_ + ms, std::move(onExpiry)};
        return id;
    }
    void killTimer(TimerId id) override { timers_.erase(id); }
    // Fires everything due within `ms`, a bounded number of times.
    void advance(std::int64_t ms) {
        const std::int64_t target = now_ + ms;
        for (int fired = 0; fired < 64; ++fired) {
            auto due = timers_.end();
            for (auto it = timers_.begin(); it != timers_.end(); ++it) {
                if (it->second.first <= target &&
                    (due == timers_.end() || it->second.first < due->second.first)) {
                    due = it;
                }
            }
            if (due == timers_.end()) {
                break;
            }
            auto [id, entry] = *due;
            timers_.erase(due);
            now_ = entry.first;
            entry.second(id);
        }
        now_ = target;
    }

private:
    std::map<TimerId, std::pair<std::int64_t, std::function<void(TimerId)>>> timers_;
    std::int64_t now_ = 0;
    TimerId next_ = 1;
};

struct StubHost : SessionHost, MonitorPane, TraceSink, FrameSink {
    bool open = true;
    bool linkAllowed = true;
    bool passwordAsked = false;
    int ended = 0;

    bool ensureLink() override { return linkAllowed && open; }
    void postSessionProgress(SessionProgress, int) override {}
    void operationEnded(const OperationResult& result) override {
        ++ended;
        // Touch what a host reads of a result.
        volatile std::size_t sink = result.status.size() + result.file.size();
        if (result.config) {
            sink = sink + (*result.config)[kConfigImageSize - 1];
        }
        if (result.systemInfo) {
            sink = sink + result.systemInfo->firmwareVersion.size();
        }
        (void)sink;
    }
    // Answered later, from the fuzzer's loop: the session must not be re-entered from here.
    void passwordWanted() override { passwordAsked = true; }
    void fatalOutOfMemory() override { __builtin_trap(); }

    void setMonitoring(bool) override {}
    void appendMonitorText(std::span<const std::uint8_t> text) override { touch(text); }
    void addLine(std::string_view text, TraceColour) override {
        touch({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    void dumpFrame(std::span<const std::uint8_t> bytes, FrameDirection,
                   const HiddenBytes&) override {
        touch(bytes);
    }
    bool postFrame(FramePtr frame) override { return frame != nullptr && open; }
    bool isOpen() const override { return open; }

    // Touch every byte so that a view beyond its buffer would show.
    static void touch(std::span<const std::uint8_t> bytes) {
        volatile std::uint8_t sink = 0;
        for (std::uint8_t b : bytes) {
            sink = sink ^ b;
        }
    }
};

// Tags a converter's frames carry; a fuzzed frame takes one of these or any byte.
constexpr std::uint8_t kTags[] = {
    tag::RestartLoader,  tag::RestartCode, tag::SystemInfo,  tag::LoaderVersion, tag::FlashStart,
    tag::FlashReadStart, tag::FlashOffset, tag::FlashCancel, tag::NewPassword,   tag::FlashStop,
    tag::MonitorOn,      tag::MonitorOff,  tag::MonitorText, tag::ConfigWrite,   tag::Read,
    tag::Address,        tag::Partition,   tag::Status,      tag::Reset,
};

constexpr std::uint8_t kTypes[] = {kFrameTypeEvent, kFrameTypePositive, kFrameTypeNegative, 0xA4};

std::vector<std::uint8_t> address24(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value)};
}

std::vector<std::uint8_t> text(FuzzedDataProvider& data, std::size_t most) {
    return data.ConsumeBytes<std::uint8_t>(data.ConsumeIntegralInRange<std::size_t>(0, most));
}

// 128 bytes, or the one byte that stands for 128 equal ones.
std::vector<std::uint8_t> block(FuzzedDataProvider& data) {
    if (data.ConsumeBool()) {
        return {data.ConsumeIntegral<std::uint8_t>()};
    }
    std::vector<std::uint8_t> bytes = data.ConsumeBytes<std::uint8_t>(kBlockSize);
    bytes.resize(kBlockSize, 0xFF);
    return bytes;
}

// Any fields, tags mostly those a converter uses.
void randomFields(FuzzedDataProvider& data, ProtocolFrame& frame) {
    const int fields = data.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < fields; ++i) {
        const std::uint8_t fieldTag = data.ConsumeBool() ? data.PickValueInArray(kTags)
                                                         : data.ConsumeIntegral<std::uint8_t>();
        const std::vector<std::uint8_t> value = text(data, 140);
        frameAddField(frame, fieldTag, static_cast<std::uint8_t>(value.size()), value.data());
    }
}

// A well-formed frame as a converter sends it: mostly an answer of one of the kinds an operation
// waits for, addressed to the step outstanding, so that the operations get far; a refusal; a
// restart event; or any fields. Now and then its checksum is wrong.
std::vector<std::uint8_t> converterFrame(FuzzedDataProvider& data, const DeviceSession& session) {
    FramePtr frame = frameCreate(kFrameTypePositive);
    ProtocolFrame& f = *frame;
    auto add = [&](std::uint8_t fieldTag, const std::vector<std::uint8_t>& value) {
        frameAddField(f, fieldTag, static_cast<std::uint8_t>(value.size()), value.data());
    };
    const std::uint32_t flashAddress = data.ConsumeIntegralInRange(0, 7) != 0
                                           ? static_cast<std::uint32_t>(session.flashOffset())
                                           : data.ConsumeIntegral<std::uint32_t>();
    const std::uint32_t packetAddress =
        (static_cast<std::uint32_t>(session.packetNumber()) + kConfigFirstBlock) * kBlockSize;
    switch (data.ConsumeIntegralInRange(0, 14)) {
    case 0:
        add(tag::Reset, {});
        break;
    case 1:
        add(tag::SystemInfo, text(data, 70));
        add(tag::LoaderVersion, text(data, 70));
        add(tag::Partition, text(data, 2));
        break;
    case 2:
        add(tag::Read, data.ConsumeBool() ? block(data) : text(data, 140));
        if (data.ConsumeBool()) {
            add(tag::Address, address24(packetAddress));
        }
        break;
    case 3:
        add(tag::ConfigWrite, {});
        if (data.ConsumeBool()) {
            add(tag::Address, address24(packetAddress));
        }
        break;
    case 4:
        add(tag::FlashStart, {});
        break;
    case 5:
        add(tag::FlashOffset, address24(flashAddress));
        break;
    case 6:
        add(data.ConsumeBool() ? tag::FlashStop : tag::FlashCancel, {});
        break;
    case 7:
        add(tag::FlashReadStart,
            data.ConsumeBool() ? address24(data.ConsumeIntegralInRange(0, 0x600)) : text(data, 4));
        break;
    case 8:
        add(tag::Read, block(data));
        add(tag::Address, address24(flashAddress));
        break;
    case 9:
        add(data.PickValueInArray(
                {tag::MonitorOn, tag::MonitorOff, tag::MonitorText, tag::NewPassword}),
            text(data, 140));
        break;
    case 10:
        f.bytes[0] = kFrameTypeNegative;
        add(tag::Status,
            {data.ConsumeBool() ? kStatusAccessDenied : data.ConsumeIntegral<std::uint8_t>()});
        break;
    case 11:
        f.bytes[0] = kFrameTypeEvent;
        add(tag::RestartLoader, text(data, 2));
        add(tag::SystemInfo, text(data, 70));
        if (data.ConsumeBool()) {
            add(tag::Status, {kStatusLoaderWaitsForFirmware});
        }
        break;
    case 12:
        f.bytes[0] = kFrameTypeEvent;
        add(tag::RestartCode, text(data, 2));
        add(tag::SystemInfo, text(data, 70));
        break;
    case 13:
        f.bytes[0] = data.PickValueInArray(kTypes);
        add(tag::Partition, text(data, 2));
        break;
    default:
        f.bytes[0] = data.PickValueInArray(kTypes);
        randomFields(data, f);
        break;
    }
    frameSeal(f);
    if (data.ConsumeIntegralInRange(0, 15) == 0) {
        f.bytes[f.length() - 1] ^= data.ConsumeIntegral<std::uint8_t>();
    }
    return frameStuff(f.frameBytes());
}

std::optional<std::string> fuzzedPassword(FuzzedDataProvider& data) {
    if (data.ConsumeBool()) {
        return std::nullopt;
    }
    return data.ConsumeRandomLengthString(40);
}

void startOperation(FuzzedDataProvider& data, DeviceSession& session) {
    switch (data.ConsumeIntegralInRange(0, 10)) {
    case 0:
        session.requestReset();
        break;
    case 1:
        session.requestSystemInfo();
        break;
    case 2:
        session.requestConfigRead();
        break;
    case 3: {
        // A few bytes repeated: the bytes are for the frames that follow.
        ConfigImage image{};
        const std::vector<std::uint8_t> bytes =
            data.ConsumeBytes<std::uint8_t>(data.ConsumeIntegralInRange<std::size_t>(1, 16));
        for (std::size_t i = 0; i < image.size() && !bytes.empty(); ++i) {
            image[i] = bytes[i % bytes.size()];
        }
        session.requestConfigWrite(image, data.ConsumeBool());
        break;
    }
    case 4:
        session.requestMonitor(data.ConsumeBool());
        break;
    case 5:
        session.requestMonitorText(data.ConsumeRandomLengthString(200));
        break;
    case 6:
        session.requestPasswordChange(data.ConsumeRandomLengthString(40),
                                      data.ConsumeRandomLengthString(40));
        break;
    case 7:
        session.startFlashLoading(kFirmwarePath);
        break;
    case 8:
        session.startFlashDownloading(kImagePath);
        break;
    case 9:
        session.setAccessPassword(data.ConsumeRandomLengthString(40));
        break;
    default:
        break; // none: the session waits in its state for whatever the converter sends
    }
}

} // namespace

// A firmware file of a few chunks, its last one short, for the loadings.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (std::FILE* file = std::fopen(kFirmwarePath, "wb")) {
        for (int i = 0; i < 3 * 128 + 40; ++i) {
            std::fputc(i % 5 == 0 ? 0x7E : i, file);
        }
        std::fclose(file);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    StubClock clock;
    StubHost host;
    DeviceSession session;
    SessionLinks links;
    links.host = &host;
    links.monitor = &host;
    links.trace = data.ConsumeBool() ? &host : nullptr;
    links.channel = &host;
    links.timers = &clock;
    session.connect(links);

    FrameAssembler assembler([&](ReceivedFrame f) { session.onFrameReceived(std::move(f)); });
    startOperation(data, session);
    while (data.remaining_bytes() > 0) {
        switch (data.ConsumeIntegralInRange(0, 11)) {
        case 0:
        case 1: // arbitrary line bytes
            assembler.feed(data.ConsumeBytes<std::uint8_t>(data.ConsumeIntegralInRange(1, 600)));
            break;
        case 2:
        case 3:
        case 4: // what a converter sends
            assembler.feed(converterFrame(data, session));
            break;
        case 5: // time passes, up to past the longest wait
            clock.advance(data.ConsumeIntegralInRange(0, 31000));
            break;
        case 6:
            assembler.idleTick();
            break;
        case 7: // the host answers the password question, from its own loop
            if (host.passwordAsked || data.ConsumeBool()) {
                host.passwordAsked = false;
                session.answerPassword(fuzzedPassword(data));
            }
            break;
        case 8: // the host starts something else
            startOperation(data, session);
            break;
        case 9: // the host's part in a loading the converter's loader asked for
            if (data.ConsumeBool()) {
                session.supplyFirmware(data.ConsumeBool() ? kFirmwarePath : "");
            } else {
                session.declineFirmware();
            }
            break;
        case 10:
            session.cancel();
            break;
        default: // the port goes away, or comes back
            host.open = !host.open;
            if (!host.open) {
                session.onLinkLost();
            }
            host.linkAllowed = data.ConsumeBool();
            break;
        }
    }
    return 0;
}
