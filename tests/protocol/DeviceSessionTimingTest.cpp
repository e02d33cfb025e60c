#include "ScriptedConverter.h"
#include "SessionRig.h"
#include "TempDir.h"
#include "TestFiles.h"

#include "protocol/DeviceSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace vandrel;
using rig::Bytes;
using rig::SessionRig;

namespace {

int countLines(const rig::Trace& trace, const std::string& line) {
    return static_cast<int>(std::count(trace.lines.begin(), trace.lines.end(), line));
}

struct GiveUpCase {
    const char* name;
    // Leaves the request under test as the last frame sent.
    std::function<bool(SessionRig&, const TempDir&)> start;
    int intervalMs;
};

std::string firmware(const TempDir& dir, std::size_t size) {
    testfiles::write(dir.file("fw.bin"), testfiles::firmware(size));
    return dir.file("fw.bin");
}

const GiveUpCase kGiveUps[] = {
    {"Reset", [](auto& r, auto&) { return r.session.requestReset(); }, 5000},
    {"SystemInfo", [](auto& r, auto&) { return r.session.requestSystemInfo(); }, 1000},
    {"ConfigRead", [](auto& r, auto&) { return r.session.requestConfigRead(); }, 1000},
    {"ConfigWrite", [](auto& r, auto&) { return r.session.requestConfigWrite(ConfigImage{}); },
     1000},
    {"FlashStart",
     [](auto& r, auto& dir) { return r.session.startFlashLoading(firmware(dir, 1024)); }, 15000},
    {"FlashChunk",
     [](auto& r, auto& dir) {
         r.session.startFlashLoading(firmware(dir, 1024));
         r.deliver(0xA2, {{0x21, {}}});
         return r.session.flashOffset() == 0;
     },
     1000},
    {"FlashStop",
     [](auto& r, auto& dir) {
         r.session.startFlashLoading(firmware(dir, 300));
         r.deliver(0xA2, {{0x21, {}}});
         r.deliver(0xA2, {{0x26, {0, 0, 0}}});
         r.deliver(0xA2, {{0x26, {0, 0, 0x80}}});
         r.deliver(0xA2, {{0x26, {0, 1, 0}}});
         return r.lastSent() == "A1 02 29 00 34";
     },
     1000},
    {"FlashCancel",
     [](auto& r, auto& dir) {
         r.session.startFlashLoading(firmware(dir, 1024));
         r.deliver(0xA2, {{0x21, {}}});
         r.session.cancel(); // a cancel is repeated even while chunks remain
         return r.lastSent() == "A1 02 27 00 36";
     },
     1000},
    {"FlashReadStart",
     [](auto& r, auto& dir) {
         return r.session.startFlashDownloading(dir.file("image.bin")) ==
                DeviceSession::DownloadStart::Started;
     },
     5000},
    {"FlashRead",
     [](auto& r, auto& dir) {
         r.session.startFlashDownloading(dir.file("image.bin"));
         r.deliver(0xA2, {{0x24, {0, 0x03, 0x80}}});
         r.deliver(0xA2, {{0x42, {1}}});
         r.deliver(0xA2, {{0x42, {2}}});
         return r.session.flashOffset() == 256;
     },
     1000},
    {"MonitorOn", [](auto& r, auto&) { return r.session.requestMonitor(true); }, 1000},
    {"MonitorOff", [](auto& r, auto&) { return r.session.requestMonitor(false); }, 1000},
    {"MonitorText", [](auto& r, auto&) { return r.session.requestMonitorText("V=11\r\n"); }, 1000},
    {"PasswordChange", [](auto& r, auto&) { return r.session.requestPasswordChange("new", "old"); },
     1000},
};

class GiveUp : public ::testing::TestWithParam<GiveUpCase> {};

TEST_P(GiveUp, FourIdenticalSendsThenFailure) {
    const GiveUpCase& c = GetParam();
    TempDir dir;
    SessionRig r;
    ASSERT_TRUE(c.start(r, dir));
    r.trace.lines.clear();
    const std::size_t before = r.channel.sent.size() - 1;
    const Bytes first = r.channel.sent.back();
    for (int send = 1; send <= 4; ++send) {
        ASSERT_EQ(r.channel.sent.size(), before + send);
        EXPECT_EQ(r.channel.sent.back(), first) << "send " << send;
        EXPECT_EQ(r.session.retryCount(), send - 1);
        r.clock.advance(c.intervalMs - 1);
        EXPECT_EQ(r.channel.sent.size(), before + send) << "not yet due";
        r.clock.advance(1);
    }
    EXPECT_EQ(r.channel.sent.size(), before + 4);
    EXPECT_EQ(countLines(r.trace, "Timer timeout!"), 4);
    ASSERT_GE(r.trace.lines.size(), 2u);
    EXPECT_EQ(r.trace.lines[r.trace.lines.size() - 2], "Timer timeout!");
    EXPECT_EQ(r.trace.lines.back(), "Operation failed!");
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::GaveUp, 0));
    EXPECT_EQ(r.session.state(), SessionState::Failed);
    EXPECT_FALSE(r.session.isResponding());
    EXPECT_EQ(r.session.timerId(), 0u);
    EXPECT_EQ(r.clock.running(), 0u);
    EXPECT_EQ(r.session.operation(), OperationKind::None);
    EXPECT_EQ(r.session.flashTotal(), 0);
    ASSERT_TRUE(r.host.lastResult());
    EXPECT_EQ(r.host.lastResult()->outcome, Outcome::GaveUp);
    EXPECT_EQ(r.host.results.size(), 1u) << "ended once";
    EXPECT_FALSE(std::filesystem::exists(dir.file("image.bin"))) << "no partial image";
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()) ||
                std::filesystem::exists(dir.file("fw.bin")))
        << "no staged file left behind";
    r.clock.advance(60000);
    EXPECT_EQ(r.channel.sent.size(), before + 4) << "nothing after the give-up";
}

INSTANTIATE_TEST_SUITE_P(DeviceSession, GiveUp, ::testing::ValuesIn(kGiveUps),
                         [](const auto& info) { return std::string(info.param.name); });

// The port goes away in the middle of an operation: the re-send or the follow-up request finds
// no link, or the host reports the loss at once. The operation ends as LinkLost, so no host is
// left waiting, and the next command starts afresh once the port is back.
TEST(DeviceSessionTiming, LostPortEndsTheOperation) {
    struct LossCase {
        const char* name;
        std::function<void(SessionRig&, const TempDir&)> start;
        std::function<void(SessionRig&)> afterLoss; // what runs into the missing link
    };
    const auto timeUp = [](SessionRig& r) { r.clock.runUntilIdle(); };
    const LossCase cases[] = {
        {"configuration read, re-send",
         [](auto& r, auto&) {
             r.session.requestConfigRead();
             r.deliver(0xA2, {{0x42, Bytes(128, 1)}});
         },
         timeUp},
        {"configuration read, next packet", [](auto& r, auto&) { r.session.requestConfigRead(); },
         [](auto& r) {
             r.deliver(0xA2, {{0x42, Bytes(128, 1)}});
         }}, // was on its way
        {"reset, re-send", [](auto& r, auto&) { r.session.requestReset(); }, timeUp},
        {"reset refused, repeated", [](auto& r, auto&) { r.session.requestReset(); },
         [](auto& r) {
             r.deliver(0xA3, {{0x71, {0x01}}});
         }},
        {"monitoring on, re-send", [](auto& r, auto&) { r.session.requestMonitor(true); }, timeUp},
        {"downloading, re-sent start",
         [](auto& r, auto& dir) { r.session.startFlashDownloading(dir.file("image.bin")); },
         timeUp},
        {"downloading, the host reports the loss",
         [](auto& r, auto& dir) {
             r.session.startFlashDownloading(dir.file("image.bin"));
             r.deliver(0xA2, {{0x24, {0, 0x03, 0x80}}});
         },
         [](auto& r) { r.session.onLinkLost(); }},
    };
    for (const LossCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        SessionRig r;
        c.start(r, dir);
        const std::size_t sent = r.channel.sent.size();
        r.host.posted.clear();
        r.trace.lines.clear();
        r.channel.open = false;
        r.host.linkAnswer = 0;
        c.afterLoss(r);
        EXPECT_EQ(r.channel.sent.size(), sent) << "nothing went out";
        ASSERT_TRUE(r.host.lastResult());
        EXPECT_EQ(r.host.lastResult()->outcome, Outcome::LinkLost);
        EXPECT_EQ(r.host.count(SessionProgress::GaveUp, 0), 0) << "the converter did answer";
        EXPECT_EQ(r.trace.lines.back(), "Operation failed!");
        EXPECT_EQ(r.session.state(), SessionState::Failed);
        EXPECT_EQ(r.session.operation(), OperationKind::None);
        EXPECT_EQ(r.clock.running(), 0u);
        EXPECT_FALSE(std::filesystem::exists(dir.file("image.bin")));
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no staged file left behind";

        // The port is back: a new read starts at packet 0 and completes.
        r.channel.open = true;
        r.host.linkAnswer = 1;
        ASSERT_TRUE(r.session.requestConfigRead());
        EXPECT_EQ(r.session.packetNumber(), 0);
        for (int packet = 0; packet < 5; ++packet) {
            r.deliver(0xA2, {{0x42, Bytes(128, static_cast<std::uint8_t>(packet))}});
        }
        EXPECT_EQ(r.host.count(SessionProgress::ConfigReadEnded, 1), 1);
        r.deliver(0xA2, {{0x15, {'F'}}});
        ASSERT_TRUE(r.host.lastResult() && r.host.lastResult()->config);
        EXPECT_EQ((*r.host.lastResult()->config)[128], 1);
    }
}

TEST(DeviceSessionTiming, LoaderThatNeverStartsTheApplicationPostsCodeFive) {
    SessionRig r;
    r.deliver(0xA1, {{0x11, {0x01}}});
    EXPECT_EQ(r.session.state(), SessionState::LoaderRunning);
    EXPECT_EQ(r.timeout(), 15000);
    r.trace.lines.clear();
    const std::size_t sent = r.channel.sent.size();
    r.clock.advance(15000);
    EXPECT_EQ(r.trace.lines, std::vector<std::string>{"Timer timeout!"});
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::LoaderTimedOut, 0));
    EXPECT_EQ(r.host.count(SessionProgress::GaveUp, 0), 0);
    EXPECT_EQ(r.channel.sent.size(), sent) << "nothing is repeated";
    EXPECT_EQ(r.session.state(), SessionState::Failed);
}

TEST(DeviceSessionTiming, TimeoutResendTable) {
    struct ResendCase {
        const char* name;
        std::function<void(SessionRig&, const TempDir&)> setup;
        int afterMs;
        const char* resent; // "" = nothing is sent
    };
    const ResendCase cases[] = {
        {"Ready without an operation runs no timer",
         [](auto& r, auto&) {
             r.deliver(0xA1, {{0x13, {1}}});
         },
         60000, ""},
        {"Failed stays quiet", [](auto& r, auto&) { r.failByTimeouts(); }, 60000, ""},
        {"cancel wins over the chunk",
         [](auto& r, auto& dir) {
             r.session.startFlashLoading(firmware(dir, 1024));
             r.deliver(0xA2, {{0x21, {}}});
             r.session.cancel();
         },
         1000, "A1 02 27 00 36"},
        {"stop once every chunk is sent",
         [](auto& r, auto& dir) {
             r.session.startFlashLoading(firmware(dir, 300));
             r.deliver(0xA2, {{0x21, {}}});
             r.deliver(0xA2, {{0x26, {0, 0, 0}}});
             r.deliver(0xA2, {{0x26, {0, 0, 0x80}}});
             r.deliver(0xA2, {{0x26, {0, 1, 0}}});
         },
         1000, "A1 02 29 00 34"},
        {"the newest request is the one repeated",
         [](auto& r, auto& dir) {
             r.session.startFlashDownloading(dir.file("image.bin"));
             r.deliver(0xA2, {{0x24, {0, 0x03, 0x80}}});
             r.session.requestSystemInfo();
         },
         1000, "A1 02 15 00 48"},
        {"a loading that waits for the host's file",
         [](auto& r, auto&) {
             r.deliver(0xA1, {{0x11, {1}}, {0x71, {0x9F}}});
             r.deliver(0xA2, {{0x21, {}}});
         },
         60000, ""},
    };
    for (const ResendCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        SessionRig r;
        c.setup(r, dir);
        r.forget();
        const SessionState state = r.session.state();
        r.clock.advance(c.afterMs);
        EXPECT_EQ(r.lastSent(), c.resent);
        if (*c.resent) {
            EXPECT_EQ(r.trace.lines.front(), "Timer timeout!");
        } else {
            EXPECT_TRUE(r.trace.lines.empty());
            EXPECT_EQ(r.session.state(), state);
            EXPECT_EQ(r.clock.running(), 0u);
        }
    }
}

TEST(DeviceSessionTiming, StaleTimerTicksAreIgnored) {
    // A clock that remembers every callback, so that a tick of a replaced timer can be played.
    struct KeepingTimers : TimerService {
        std::vector<std::pair<TimerId, std::function<void(TimerId)>>> started;
        TimerId startTimer(int, std::function<void(TimerId)> onExpiry) override {
            started.emplace_back(static_cast<TimerId>(started.size() + 1), std::move(onExpiry));
            return started.back().first;
        }
        void killTimer(TimerId) override {}
    } timers;
    SessionRig r;
    SessionLinks links = r.links();
    links.timers = &timers;
    r.session.connect(links);
    r.session.requestSystemInfo();
    r.session.requestMonitor(true); // a new operation, a new timer
    ASSERT_EQ(timers.started.size(), 2u);
    r.forget();
    const auto& [first, firstTick] = timers.started[0];
    firstTick(first);
    firstTick(0);
    firstTick(9999);
    EXPECT_TRUE(r.trace.lines.empty());
    EXPECT_TRUE(r.channel.sent.empty());
    EXPECT_EQ(r.session.timerId(), timers.started[1].first);
    // The current one counts.
    const auto& [second, secondTick] = timers.started[1];
    secondTick(second);
    EXPECT_EQ(r.trace.lines, std::vector<std::string>{"Timer timeout!"});
    EXPECT_EQ(r.lastSent(), "A1 02 31 00 2C");
    // Once answered, its id is stale too.
    r.deliver(0xA2, {{0x31, {}}});
    r.forget();
    timers.started.back().second(timers.started.back().first);
    EXPECT_TRUE(r.channel.sent.empty());
}

TEST(DeviceSessionTiming, WithoutATimerTheRequestStillGoesOut) {
    SessionRig r;
    r.clock.refuseTimers = true;
    EXPECT_TRUE(r.session.requestSystemInfo());
    EXPECT_EQ(r.channel.sent.size(), 1u);
    EXPECT_EQ(r.session.timerId(), 0u);
}

// The retry budget: the converter ignores the first k sends of one step. Up to three re-sends
// are spent on it and the operation still succeeds; the fourth silence gives up.
struct BudgetStep {
    const char* name;
    std::function<void(SessionRig&, ScriptedConverter&, const TempDir&)> start;
    std::function<bool(const ProtocolFrame&)> isStep;
    std::pair<SessionProgress, int> success;
    // Its answer does not name the step: after a re-send, the next step waits one time-out for
    // answers to the other copies.
    bool waitsAfterResend = false;
};

bool hasField(const ProtocolFrame& f, std::uint8_t t, Bytes value) {
    const auto field = frameFindField(f, t);
    return field && Bytes(field->value.begin(), field->value.end()) == value;
}

const BudgetStep kBudgetSteps[] = {
    {"SystemInfo",
     [](auto& r, auto&, auto&) { r.session.requestSystemInfo(); },
     [](const ProtocolFrame& f) { return hasField(f, 0x15, {}); },
     {SessionProgress::SystemInfoEnded, 1}},
    {"MonitorOn",
     [](auto& r, auto&, auto&) { r.session.requestMonitor(true); },
     [](const ProtocolFrame& f) { return hasField(f, 0x31, {}); },
     {SessionProgress::MonitorEnded, 1}},
    {"PasswordChange",
     [](auto& r, auto&, auto&) { r.session.requestPasswordChange("n", "o"); },
     [](const ProtocolFrame& f) {
         return hasField(f, 0x28, {'n', 0});
     },
     {SessionProgress::PasswordChangeEnded, 1}},
    {"ConfigReadPacket2",
     [](auto& r, auto&, auto&) { r.session.requestConfigRead(); },
     [](const ProtocolFrame& f) {
         return hasField(f, 0x46, {0x03, 0x81, 0x00});
     },
     {SessionProgress::ConfigReadEnded, 1},
     true},
    {"ConfigWritePacket4",
     [](auto& r, auto&, auto&) {
         ConfigImage image{};
         image.fill(0x33);
         r.session.requestConfigWrite(image);
     },
     [](const ProtocolFrame& f) {
         return hasField(f, 0x46, {0x03, 0x82, 0x00});
     },
     {SessionProgress::ConfigWriteEnded, 1}},
    {"FlashChunk1",
     [](auto& r, auto&, auto& dir) {
         testfiles::write(dir.file("fw.bin"), testfiles::firmware(400));
         r.session.startFlashLoading(dir.file("fw.bin"));
     },
     [](const ProtocolFrame& f) {
         return hasField(f, 0x26, {0, 0, 0x80});
     },
     {SessionProgress::FlashLoadEnded, 1}},
    {"FlashBlock1",
     [](auto& r, auto& conv, auto& dir) {
         conv.flashImage = testfiles::firmware(512);
         r.session.startFlashDownloading(dir.file("image.bin"));
     },
     [](const ProtocolFrame& f) {
         return hasField(f, 0x46, {0, 0, 0x80});
     },
     {SessionProgress::FlashReadEnded, 1}},
};

TEST(DeviceSessionTiming, RetryBudget) {
    for (const BudgetStep& step : kBudgetSteps) {
        for (int k = 0; k <= 4; ++k) {
            SCOPED_TRACE(std::string(step.name) + " silent " + std::to_string(k));
            TempDir dir;
            SessionRig r;
            ScriptedConverter conv(r);
            conv.silentPerStep = k;
            conv.silenceStep = step.isStep;
            step.start(r, conv, dir);
            r.clock.runUntilIdle();

            int stepSends = 0;
            for (const Bytes& sent : r.channel.sent) {
                ProtocolFrame f;
                std::copy(sent.begin(), sent.end(), f.bytes.begin());
                stepSends += step.isStep(f);
            }
            if (k < 4) {
                EXPECT_EQ(stepSends, k + 1) << "exactly k re-sends";
                EXPECT_EQ(r.host.count(step.success.first, step.success.second), 1);
                EXPECT_EQ(r.host.count(SessionProgress::GaveUp, 0), 0);
                EXPECT_EQ(countLines(r.trace, "Timer timeout!"),
                          k + (step.waitsAfterResend && k > 0 ? 1 : 0));
            } else {
                EXPECT_EQ(stepSends, 4);
                EXPECT_EQ(r.host.count(step.success.first, step.success.second), 0);
                EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::GaveUp, 0));
                EXPECT_EQ(r.session.state(), SessionState::Failed);
            }
            if (std::string(step.name) == "FlashChunk1" && k < 4) {
                Bytes expected = testfiles::firmware(400);
                expected.resize(512, 0xFF);
                EXPECT_EQ(conv.firmware(), expected);
            }
            if (std::string(step.name) == "FlashBlock1") {
                if (k < 4) {
                    EXPECT_EQ(testfiles::read(dir.file("image.bin")), conv.flashImage);
                } else {
                    EXPECT_FALSE(std::filesystem::exists(dir.file("image.bin")));
                }
            }
        }
    }
}

// An answer just inside the time-out completes the step with one send; one just outside finds
// the re-send already on its way, and the late duplicate answer changes nothing.
TEST(DeviceSessionTiming, AnswerAt999CompletesAndAt1001FindsTheResend) {
    struct EdgeCase {
        int delayMs;
        std::size_t sends;
    };
    for (const EdgeCase c : {EdgeCase{999, 1}, EdgeCase{1001, 2}}) {
        SCOPED_TRACE(c.delayMs);
        SessionRig r;
        ScriptedConverter conv(r);
        conv.delayMs = c.delayMs;
        r.session.requestSystemInfo();
        r.clock.advance(c.delayMs);
        EXPECT_EQ(r.channel.sent.size(), c.sends);
        EXPECT_EQ(r.host.count(SessionProgress::SystemInfoEnded, 1), 1);
        EXPECT_EQ(r.session.timerId(), 0u);
        r.clock.runUntilIdle();
        EXPECT_EQ(r.channel.sent.size(), c.sends);
        EXPECT_EQ(r.host.count(SessionProgress::SystemInfoEnded, 1), 1);
        EXPECT_EQ(r.session.firmwareVersion(), "FW2");
    }
}

// Slow or lost acknowledgements make the engine repeat chunks and blocks; the converter and the
// image file must still hold every byte exactly once, in place.
TEST(DeviceSessionTiming, LateAnswersNeverDuplicateOrShiftFlashData) {
    for (int delay : {10, 999, 1001, 1500}) {
        SCOPED_TRACE(delay);
        TempDir dir;
        const Bytes fw = testfiles::firmware(1000);
        testfiles::write(dir.file("fw.bin"), fw);
        {
            SessionRig r;
            ScriptedConverter conv(r);
            conv.delayMs = delay;
            r.session.startFlashLoading(dir.file("fw.bin"));
            r.clock.runUntilIdle();
            Bytes expected = fw;
            expected.resize(1024, 0xFF);
            EXPECT_EQ(conv.firmware(), expected);
            EXPECT_EQ(r.host.count(SessionProgress::FlashLoadEnded, 1), 1);
        }
        {
            SessionRig r;
            ScriptedConverter conv(r);
            conv.delayMs = delay;
            conv.flashImage = fw;
            conv.flashImage.resize(1024, 0xFF);
            r.session.startFlashDownloading(dir.file("image.bin"));
            r.clock.runUntilIdle();
            EXPECT_EQ(testfiles::read(dir.file("image.bin")), conv.flashImage);
            EXPECT_EQ(r.host.count(SessionProgress::FlashReadEnded, 1), 1);
        }
    }
}

} // namespace
