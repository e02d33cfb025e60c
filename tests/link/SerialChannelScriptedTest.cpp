// The channel over a scripted port: open failures, write pacing, loss and re-opening.
#include "LinkFixtures.h"

#include "link/PortDevice.h"
#include "link/SerialChannel.h"
#include "protocol/FrameWire.h"

#include <QObject>

#include <gtest/gtest.h>

#include <deque>
#include <thread>

using namespace std::chrono_literals;
using namespace vandrel;

namespace {

using Clock = std::chrono::steady_clock;

// What the scripted port was told, and what it is to answer. Shared with the test thread.
struct PortScript {
    std::mutex mutex;
    std::deque<PortOpenResult> openResults; // then Opened
    bool refuseLine = false;
    bool stuckOutput = false; // written bytes never leave
    int openCalls = 0;
    std::vector<std::string> calls; // in order: open, line, dtr+/dtr-, rts+, clear, drain, close
    std::vector<std::vector<std::uint8_t>> writes;
    std::vector<Clock::time_point> writeTimes;
    std::function<void()> loseDevice; // set while a device exists; call from any thread

    std::vector<std::string> callLog() {
        std::lock_guard lock(mutex);
        return calls;
    }
};

class ScriptedPort final : public PortDevice {
public:
    explicit ScriptedPort(PortScript& script) : script_(script) {
        std::lock_guard lock(script_.mutex);
        script_.loseDevice = [this] {
            QMetaObject::invokeMethod(
                &context_,
                [this] {
                    if (open_ && onGone_) {
                        onGone_();
                    }
                },
                Qt::QueuedConnection);
        };
    }
    ~ScriptedPort() override {
        std::lock_guard lock(script_.mutex);
        script_.loseDevice = nullptr;
    }

    void setHandlers(std::function<void()>, std::function<void()> onGone) override {
        onGone_ = std::move(onGone);
    }
    PortOpenResult open(const QString&) override {
        std::lock_guard lock(script_.mutex);
        ++script_.openCalls;
        script_.calls.push_back("open");
        PortOpenResult r = PortOpenResult::Opened;
        if (!script_.openResults.empty()) {
            r = script_.openResults.front();
            script_.openResults.pop_front();
        }
        open_ = r == PortOpenResult::Opened;
        return r;
    }
    bool setLineSettings(std::uint32_t) override {
        log("line");
        std::lock_guard lock(script_.mutex);
        return !script_.refuseLine;
    }
    void setDtr(bool on) override { log(on ? "dtr+" : "dtr-"); }
    void setRts(bool on) override { log(on ? "rts+" : "rts-"); }
    void clearBuffers(bool output) override { log(output ? "clear" : "clear-in"); }
    bool drainOutput(int) override {
        log("drain");
        std::lock_guard lock(script_.mutex);
        return !script_.stuckOutput;
    }
    void close() override {
        if (open_) {
            log("close");
        }
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    std::size_t write(std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(script_.mutex);
        script_.calls.push_back("write");
        script_.writes.emplace_back(bytes.begin(), bytes.end());
        script_.writeTimes.push_back(Clock::now());
        return bytes.size();
    }
    std::size_t read(std::span<std::uint8_t>) override { return 0; }

private:
    void log(const char* what) {
        std::lock_guard lock(script_.mutex);
        script_.calls.push_back(what);
    }

    PortScript& script_;
    QObject context_; // lives in the I/O thread, like the port
    std::function<void()> onGone_;
    bool open_ = false;
};

class ScriptedChannel : public ::testing::Test {
protected:
    PortScript script;
    SerialChannel channel{[this] { return std::make_unique<ScriptedPort>(script); }};

    int openCalls() {
        std::lock_guard lock(script.mutex);
        return script.openCalls;
    }
};

template <typename Pred> bool eventually(Pred pred, std::chrono::milliseconds limit = 5s) {
    const auto deadline = Clock::now() + limit;
    while (!pred()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

TEST_F(ScriptedChannel, FramesGoOutInPiecesWithAPauseAfterEach) {
    struct Case {
        std::vector<std::uint8_t> frame;
        std::vector<std::size_t> pieces;
    };
    const std::vector<Case> cases = {
        {filledFrame(195, 0x11), {60, 60, 60, 22}}, // 200 frame bytes
        {filledFrame(54, 0x11), {60, 1}},           // 59 frame bytes: the end flag alone
        {{0xA1, 0x02, 0x15, 0x00, 0x48}, {7}},
        {filledFrame(40, 0x7E), {61, 26}}, // an escape pair crosses 60: a piece of 61
    };
    ASSERT_TRUE(channel.start("ttyS0", 115200).started());
    std::vector<std::size_t> expectedSizes;
    for (const Case& c : cases) {
        ASSERT_TRUE(channel.postFrame(framePtr(c.frame)));
        expectedSizes.insert(expectedSizes.end(), c.pieces.begin(), c.pieces.end());
    }
    channel.stop();

    std::lock_guard lock(script.mutex);
    std::vector<std::size_t> sizes;
    std::vector<std::uint8_t> wire;
    for (const auto& w : script.writes) {
        sizes.push_back(w.size());
        wire.insert(wire.end(), w.begin(), w.end());
    }
    EXPECT_EQ(sizes, expectedSizes);
    std::vector<std::uint8_t> expectedWire;
    for (const Case& c : cases) {
        frameStuff(c.frame, expectedWire);
    }
    EXPECT_EQ(wire, expectedWire);
    // Never two pieces without the pause between them (within and between frames).
    for (std::size_t i = 1; i < script.writeTimes.size(); ++i) {
        EXPECT_GE(script.writeTimes[i] - script.writeTimes[i - 1], 900us) << "before piece " << i;
    }
}

TEST_F(ScriptedChannel, OpenFailuresAreReportedAndLeaveTheChannelStopped) {
    const std::size_t threadsBefore = threadCount();
    for (PortOpenResult failure :
         {PortOpenResult::NotFound, PortOpenResult::AccessDenied, PortOpenResult::OtherError}) {
        script.openResults = {failure};
        const ChannelStartResult r = channel.start("ttyUSB0", 115200);
        EXPECT_EQ(r.open, failure);
        EXPECT_FALSE(r.threadFailed);
        EXPECT_FALSE(channel.isOpen());
        EXPECT_FALSE(channel.postFrame(framePtr({0xA1, 0x00, 0x5F})));
    }
    script.refuseLine = true;
    EXPECT_EQ(channel.start("ttyUSB0", 115200).open, PortOpenResult::SettingsRefused);
    EXPECT_FALSE(channel.isOpen());
    EXPECT_EQ(script.callLog().back(), "close"); // the refused port is not kept
    EXPECT_TRUE(eventually([&] { return threadCount() == threadsBefore; }));
}

TEST_F(ScriptedChannel, OpenConfiguresTheLineAndStopClosesItAfterTheLastFrame) {
    // Written frames leave before DTR drops; the output queue is purged only when it is stuck.
    const std::vector<std::pair<bool, std::vector<std::string>>> cases = {
        {false,
         {"open", "clear", "line", "dtr+", "rts+", "write", "drain", "dtr-", "clear-in", "close"}},
        {true,
         {"open", "clear", "line", "dtr+", "rts+", "write", "drain", "dtr-", "clear", "close"}},
    };
    for (const auto& [stuck, expected] : cases) {
        {
            std::lock_guard lock(script.mutex);
            script.calls.clear();
            script.stuckOutput = stuck;
        }
        ASSERT_TRUE(channel.start("ttyUSB0", 115200).started());
        ASSERT_TRUE(channel.postFrame(framePtr({0xA1, 0x02, 0x15, 0x00, 0x48})));
        channel.stop();
        EXPECT_EQ(script.callLog(), expected) << "stuck output: " << stuck;
    }
}

TEST_F(ScriptedChannel, LostPortIsRetriedUntilItComesBack) {
    ASSERT_TRUE(channel.start("ttyUSB0", 115200).started());
    {
        std::lock_guard lock(script.mutex);
        // The immediate attempt and two timed ones fail, the next succeeds.
        script.openResults = {PortOpenResult::NotFound, PortOpenResult::NotFound,
                              PortOpenResult::OtherError};
        script.loseDevice();
    }
    ASSERT_TRUE(eventually([&] { return !channel.isOpen(); }));
    const std::vector<std::uint8_t> dropped{0xA1, 0x02, 0x15, 0x00, 0x48};
    ASSERT_TRUE(channel.postFrame(framePtr(dropped)));
    ASSERT_TRUE(eventually([&] { return channel.isOpen(); }));
    EXPECT_EQ(openCalls(), 5);

    const std::vector<std::uint8_t> sent = sealedFrame(0xA1, {0x21, 0x00});
    ASSERT_TRUE(channel.postFrame(framePtr(sent)));
    channel.stop();
    std::lock_guard lock(script.mutex);
    ASSERT_EQ(script.writes.size(), 1u);
    EXPECT_EQ(script.writes[0], frameStuff(sent));
}

TEST_F(ScriptedChannel, StopEndsTheRetries) {
    ASSERT_TRUE(channel.start("ttyUSB0", 115200).started());
    {
        std::lock_guard lock(script.mutex);
        script.openResults.assign(1000, PortOpenResult::NotFound);
        script.loseDevice();
    }
    ASSERT_TRUE(eventually([&] { return !channel.isOpen(); }));
    channel.stop();
    const int attempts = openCalls();
    std::this_thread::sleep_for(250ms);
    EXPECT_EQ(openCalls(), attempts);
}

} // namespace
