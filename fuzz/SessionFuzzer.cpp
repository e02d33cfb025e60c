// Arbitrary bytes from the serial line, through the frame assembler, into the session in every
// state: nothing may crash, hang or touch memory outside a frame.
#include "protocol/DeviceSession.h"
#include "protocol/FrameAssembler.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <functional>
#include <map>

using namespace vandrel;

namespace {

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
    FuzzedDataProvider* data = nullptr;
    DeviceSession* session = nullptr;

    int sessionQuery(SessionQuery q) override {
        const int answer = data->remaining_bytes() ? data->ConsumeIntegralInRange(0, 1) : 1;
        if (q == SessionQuery::AskPassword && answer && session) {
            session->accessPassword = "pw";
        }
        return answer;
    }
    void postSessionProgress(SessionProgress, int) override {}
    std::optional<PasswordChangeTexts> passwordChangeTexts() const override {
        return PasswordChangeTexts{"new", "old"};
    }
    void setMonitoring(bool) override {}
    void appendMonitorText(std::span<const std::uint8_t>) override {}
    std::string commandText() const override { return "V=00\r\n"; }
    void addLine(std::string_view, TraceColour) override {}
    void dumpFrame(std::span<const std::uint8_t> bytes, FrameDirection) override {
        // Touch every byte so a dump beyond the frame would show.
        volatile std::uint8_t sink = 0;
        for (std::uint8_t b : bytes) {
            sink = sink ^ b;
        }
    }
    bool postFrame(FramePtr frame) override { return frame != nullptr; }
    bool isOpen() const override { return true; }
};

constexpr SessionState kStates[] = {
    SessionState::Initial,       SessionState::Resetting,     SessionState::LoaderRunning,
    SessionState::Ready,         SessionState::FlashStart,    SessionState::FlashLoading,
    SessionState::ConfigReading, SessionState::ConfigWriting, SessionState::Failed,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    StubClock clock;
    StubHost host;
    DeviceSession session;
    host.data = &data;
    host.session = &session;
    session.notifyWindow = &host;
    session.monitorPane = &host;
    session.trace = &host;
    session.channel = &host;
    session.timers = &clock;

    // An operation started as a host starts it; files go to the working folder.
    switch (data.ConsumeIntegralInRange(0, 5)) {
    case 1:
        session.requestConfigRead(false);
        break;
    case 2: {
        const ConfigImage image{};
        session.requestConfigWrite(&image, false);
        break;
    }
    case 3:
        session.startFlashLoading("fuzz-firmware.bin");
        break;
    case 4:
        session.startFlashDownloading("fuzz-image.bin");
        break;
    case 5:
        session.requestReset();
        break;
    default:
        break;
    }
    // And a record that need not match it, as no host leaves it.
    if (data.ConsumeBool()) {
        session.state = data.PickValueInArray(kStates);
        session.pendingFlags = data.ConsumeIntegral<std::uint16_t>();
    }
    session.retryCount = data.ConsumeIntegralInRange(0, 4);
    if (data.ConsumeBool()) {
        session.startTimer(1000);
    }
    if (data.ConsumeBool()) {
        session.supplyFirmware("fuzz-firmware.bin");
    }

    FrameAssembler assembler([&](ReceivedFrame f) { session.onFrameReceived(std::move(f)); });
    while (data.remaining_bytes() > 0) {
        const std::size_t n = data.ConsumeIntegralInRange<std::size_t>(1, 300);
        const std::vector<std::uint8_t> chunk = data.ConsumeBytes<std::uint8_t>(n);
        assembler.feed(chunk);
        if (data.ConsumeBool()) {
            clock.advance(data.ConsumeIntegralInRange(0, 31000));
        }
        if (data.ConsumeBool()) {
            assembler.idleTick();
        }
    }
    return 0;
}
