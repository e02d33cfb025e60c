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
    std::function<bool(SessionRig&)> start;
    int intervalMs;
};

const GiveUpCase kGiveUps[] = {
    {"Reset", [](auto& r) { return r.session.requestReset(); }, 5000},
    {"SystemInfo", [](auto& r) { return r.session.requestSystemInfo(); }, 1000},
    {"ConfigRead", [](auto& r) { return r.session.requestConfigRead(false); }, 1000},
    {"ConfigWrite",
     [](auto& r) {
         ConfigImage image{};
         return r.session.requestConfigWrite(&image, false);
     },
     1000},
    {"FlashStart", [](auto& r) { return r.session.requestFlashStart(); }, 15000},
    {"FlashChunk",
     [](auto& r) {
         r.session.flashFilePath = "/nonexistent/firmware.bin";
         r.session.flashTotal = 1024;
         return r.session.requestFlashChunk(false);
     },
     1000},
    {"FlashStop", [](auto& r) { return r.session.requestFlashStop(false); }, 1000},
    {"FlashCancel",
     [](auto& r) {
         r.session.flashTotal = 1024; // a cancel is repeated even while chunks remain
         return r.session.requestFlashCancel(false);
     },
     1000},
    {"FlashReadStart", [](auto& r) { return r.session.requestFlashReadStart(); }, 5000},
    {"FlashRead",
     [](auto& r) {
         r.session.flashTotal = 1024;
         r.session.flashOffset = 256;
         return r.session.requestFlashRead(false);
     },
     1000},
    {"MonitorOn", [](auto& r) { return r.session.requestMonitor(true); }, 1000},
    {"MonitorOff", [](auto& r) { return r.session.requestMonitor(false); }, 1000},
    {"MonitorText",
     [](auto& r) {
         r.pane.command = "V=11\r\n";
         return r.session.requestMonitorText(r.pane.command);
     },
     1000},
    {"PasswordChange",
     [](auto& r) {
         r.host.changeDialog = PasswordChangeTexts{"new", "old"};
         return r.session.requestPasswordChange("new", "old");
     },
     1000},
};

class GiveUp : public ::testing::TestWithParam<GiveUpCase> {};

TEST_P(GiveUp, FourIdenticalSendsThenFailure) {
    const GiveUpCase& c = GetParam();
    SessionRig r;
    ASSERT_TRUE(c.start(r));
    r.trace.lines.clear();
    for (int send = 1; send <= 4; ++send) {
        ASSERT_EQ(r.channel.sent.size(), static_cast<std::size_t>(send));
        EXPECT_EQ(r.channel.sent.back(), r.channel.sent.front()) << "send " << send;
        EXPECT_EQ(r.session.retryCount, send - 1);
        r.clock.advance(c.intervalMs - 1);
        EXPECT_EQ(r.channel.sent.size(), static_cast<std::size_t>(send)) << "not yet due";
        r.clock.advance(1);
    }
    EXPECT_EQ(r.channel.sent.size(), 4u);
    EXPECT_EQ(countLines(r.trace, "Timer timeout!"), 4);
    ASSERT_GE(r.trace.lines.size(), 2u);
    EXPECT_EQ(r.trace.lines[r.trace.lines.size() - 2], "Timer timeout!");
    EXPECT_EQ(r.trace.lines.back(), "Operation failed!");
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::GaveUp, 0));
    EXPECT_EQ(r.session.state, SessionState::Failed);
    EXPECT_FALSE(r.session.isResponding());
    EXPECT_EQ(r.session.timerId, 0u);
    EXPECT_EQ(r.clock.running(), 0u);
    EXPECT_EQ(r.session.flashFilePath, "");
    EXPECT_EQ(r.session.flashTotal, 0);
    EXPECT_EQ(r.session.pendingFlags & ~kGiveUpFlagMask, 0u);
    r.clock.advance(60000);
    EXPECT_EQ(r.channel.sent.size(), 4u) << "nothing after the give-up";
}

INSTANTIATE_TEST_SUITE_P(DeviceSession, GiveUp, ::testing::ValuesIn(kGiveUps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceSessionTiming, LoaderThatNeverStartsTheApplicationPostsCodeFive) {
    SessionRig r;
    r.deliver(0xA1, {{0x11, {0x01}}});
    EXPECT_EQ(r.session.state, SessionState::LoaderRunning);
    EXPECT_EQ(r.timeout(), 15000);
    r.trace.lines.clear();
    const std::size_t sent = r.channel.sent.size();
    r.clock.advance(15000);
    EXPECT_EQ(r.trace.lines, std::vector<std::string>{"Timer timeout!"});
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::LoaderTimedOut, 0));
    EXPECT_EQ(r.host.count(SessionProgress::GaveUp, 0), 0);
    EXPECT_EQ(r.channel.sent.size(), sent) << "nothing is repeated";
    EXPECT_EQ(r.session.state, SessionState::Failed);
}

TEST(DeviceSessionTiming, GiveUpMasksFlagsAndDeletesAPartialImage) {
    TempDir dir;
    struct MaskCase {
        std::uint32_t before;
        std::uint32_t after;
        bool imageDeleted;
    };
    const MaskCase cases[] = {
        {0xFFFFFAFF, 0xFFFFC001, false}, // every bit but the downloading ones
        {0xFFFFFFFF, 0xFFFFC001, true},
        {pending::FlashReadData, 0, true},
        {pending::FlashReadStart | pending::SystemInfo, 0, true},
        {pending::FlashCancel | 0x1, 0x1, false},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(c.before);
        SessionRig r;
        const std::string image = dir.file("image.bin");
        testfiles::write(image, Bytes(256, 0x55));
        r.session.flashFilePath = image;
        r.session.state = SessionState::Ready;
        r.session.pendingFlags = c.before;
        r.session.retryCount = 3;
        r.session.startTimer(1000);
        r.clock.advance(1000);
        EXPECT_EQ(r.session.pendingFlags, c.after);
        EXPECT_EQ(std::filesystem::exists(image), !c.imageDeleted);
        EXPECT_EQ(r.session.state, SessionState::Failed);
    }
}

TEST(DeviceSessionTiming, TimeoutResendTable) {
    struct ResendCase {
        const char* name;
        std::function<void(SessionRig&)> setup;
        const char* resent; // "" = nothing is sent
    };
    const ResendCase cases[] = {
        {"Ready without a pending bit sends nothing",
         [](auto& r) { r.session.state = SessionState::Ready; }, ""},
        {"Initial sends nothing", [](auto& r) { r.session.state = SessionState::Initial; }, ""},
        {"Failed sends nothing", [](auto& r) { r.session.state = SessionState::Failed; }, ""},
        {"cancel wins over the chunk",
         [](auto& r) {
             r.session.state = SessionState::FlashLoading;
             r.session.pendingFlags = pending::FlashCancel;
             r.session.flashTotal = 1024;
         },
         "A1 02 27 00 36"},
        {"stop once every chunk is sent",
         [](auto& r) {
             r.session.state = SessionState::FlashLoading;
             r.session.flashTotal = 1024;
             r.session.flashOffset = 1024;
         },
         "A1 02 29 00 34"},
        {"monitor on before every other bit",
         [](auto& r) {
             r.session.state = SessionState::Ready;
             r.session.pendingFlags = 0x7FE;
         },
         "A1 02 31 00 2C"},
        {"system info before downloading",
         [](auto& r) {
             r.session.state = SessionState::Ready;
             r.session.pendingFlags = pending::SystemInfo | pending::FlashReadData;
         },
         "A1 02 15 00 48"},
        {"password change only while its dialog is open",
         [](auto& r) {
             r.session.state = SessionState::Ready;
             r.session.pendingFlags = pending::PasswordChange;
         },
         ""},
    };
    for (const ResendCase& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig r;
        c.setup(r);
        const SessionState state = r.session.state;
        r.session.startTimer(1000);
        r.clock.advance(1000);
        EXPECT_EQ(r.trace.lines.front(), "Timer timeout!");
        EXPECT_EQ(r.lastSent(), c.resent);
        if (!*c.resent) {
            EXPECT_EQ(r.session.state, state);
            EXPECT_EQ(r.clock.running(), 0u);
        }
    }
}

TEST(DeviceSessionTiming, StaleTimerTicksAreIgnored) {
    SessionRig r;
    r.session.requestSystemInfo();
    const TimerId first = r.session.timerId;
    r.session.requestMonitor(true); // replaces the timer
    const TimerId second = r.session.timerId;
    ASSERT_NE(first, second);
    EXPECT_FALSE(r.clock.isRunning(first));

    for (TimerId stale : {first, TimerId{0}, TimerId{9999}}) {
        r.session.onResponseTimeout(stale);
    }
    EXPECT_TRUE(r.trace.lines.size() == 1 && r.trace.lines[0] == "Get system info");
    EXPECT_EQ(r.channel.sent.size(), 2u);
    EXPECT_EQ(r.session.timerId, second);

    // Once stopped, the old id is stale too.
    r.session.stopTimer();
    EXPECT_FALSE(r.session.stopTimer());
    r.session.onResponseTimeout(second);
    EXPECT_EQ(r.channel.sent.size(), 2u);
}

TEST(DeviceSessionTiming, WithoutATimerTheRequestStillGoesOut) {
    SessionRig r;
    r.clock.refuseTimers = true;
    EXPECT_TRUE(r.session.requestSystemInfo());
    EXPECT_EQ(r.channel.sent.size(), 1u);
    EXPECT_EQ(r.session.timerId, 0u);
    EXPECT_FALSE(r.session.startTimer(1000));
}

// The retry budget: the converter ignores the first k sends of one step. Up to three re-sends
// are spent on it and the operation still succeeds; the fourth silence gives up.
struct BudgetStep {
    const char* name;
    std::function<void(SessionRig&, ScriptedConverter&, const TempDir&)> start;
    std::function<bool(const ProtocolFrame&)> isStep;
    std::pair<SessionProgress, int> success;
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
     [](auto& r, auto&, auto&) {
         r.host.changeDialog = PasswordChangeTexts{"n", "o"};
         r.session.requestPasswordChange("n", "o");
     },
     [](const ProtocolFrame& f) {
         return hasField(f, 0x28, {'n', 0});
     },
     {SessionProgress::PasswordChangeEnded, 1}},
    {"ConfigReadPacket2",
     [](auto& r, auto&, auto&) { r.session.requestConfigRead(false); },
     [](const ProtocolFrame& f) {
         return hasField(f, 0x46, {0x03, 0x81, 0x00});
     },
     {SessionProgress::ConfigReadEnded, 1}},
    {"ConfigWritePacket4",
     [](auto& r, auto&, auto&) {
         ConfigImage image{};
         image.fill(0x33);
         r.session.requestConfigWrite(&image, false);
     },
     [](const ProtocolFrame& f) {
         return hasField(f, 0x46, {0x03, 0x82, 0x00});
     },
     {SessionProgress::ConfigWriteEnded, 1}},
    {"FlashChunk1",
     [](auto& r, auto&, auto& dir) {
         testfiles::write(dir.file("fw.bin"), testfiles::firmware(400));
         r.session.useFirmwareFile(dir.file("fw.bin"));
         r.session.requestFlashStart();
     },
     [](const ProtocolFrame& f) {
         return hasField(f, 0x26, {0, 0, 0x80});
     },
     {SessionProgress::FlashLoadEnded, 1}},
    {"FlashBlock1",
     [](auto& r, auto& conv, auto& dir) {
         conv.flashImage = testfiles::firmware(512);
         r.session.useImageFile(dir.file("image.bin"));
         r.session.requestFlashReadStart();
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
                EXPECT_EQ(countLines(r.trace, "Timer timeout!"), k);
            } else {
                EXPECT_EQ(stepSends, 4);
                EXPECT_EQ(r.host.count(step.success.first, step.success.second), 0);
                EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::GaveUp, 0));
                EXPECT_EQ(r.session.state, SessionState::Failed);
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
        EXPECT_EQ(r.session.timerId, 0u);
        r.clock.runUntilIdle();
        EXPECT_EQ(r.channel.sent.size(), c.sends);
        EXPECT_EQ(r.host.count(SessionProgress::SystemInfoEnded, 1), 1);
        EXPECT_EQ(r.session.firmwareVersion, "FW2");
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
            r.session.useFirmwareFile(dir.file("fw.bin"));
            r.session.requestFlashStart();
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
            r.session.useImageFile(dir.file("image.bin"));
            r.session.requestFlashReadStart();
            r.clock.runUntilIdle();
            EXPECT_EQ(testfiles::read(dir.file("image.bin")), conv.flashImage);
            EXPECT_EQ(r.host.count(SessionProgress::FlashReadEnded, 1), 1);
        }
    }
}

} // namespace
