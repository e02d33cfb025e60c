#include "SessionRig.h"
#include "TempDir.h"
#include "TestFiles.h"

#include "protocol/DeviceSession.h"

#include <gtest/gtest.h>

using namespace vandrel;
using rig::Bytes;
using rig::SessionRig;
using Posts = std::vector<std::pair<SessionProgress, int>>;

namespace {

TEST(DeviceSessionDispatch, DamagedFramesAreTracedAndDropped) {
    struct IntakeCase {
        const char* bytes;
        const char* line;
    };
    const IntakeCase cases[] = {
        {"A5 02 15 00 44", "Incorrect message structure!!!"}, // right checksum, unknown type
        {"00 02 15 00 00", "Incorrect message structure!!!"}, // the type test comes first
        {"A2 02 15 00 48", "Incorrect message checksum!!!"},
        {"A1 03 11 01 05 00", "Incorrect message checksum!!!"}, // a restart event, damaged
    };
    for (const IntakeCase& c : cases) {
        SCOPED_TRACE(c.bytes);
        SessionRig r;
        r.session.requestSystemInfo();
        const TimerId timer = r.session.timerId();
        r.trace.lines.clear();
        r.trace.colours.clear();
        r.session.onFrameReceived(rig::receivedRaw(rig::bytesOf(c.bytes)));
        EXPECT_EQ(r.trace.dumps.back(), std::string("IN: ") + c.bytes);
        EXPECT_EQ(r.trace.lines, std::vector<std::string>{c.line});
        EXPECT_EQ(r.trace.colours, std::vector<TraceColour>{0x808000});
        EXPECT_EQ(r.session.timerId(), timer) << "the outstanding request still waits";
        EXPECT_EQ(r.session.operation(), OperationKind::SystemInfo);
        EXPECT_EQ(r.channel.sent.size(), 1u);
    }
    // The dump shows the bytes as delivered, also when they run past the frame.
    SessionRig r;
    r.session.onFrameReceived(rig::receivedRaw(rig::bytesOf("A4 00 5C 77 77")));
    EXPECT_EQ(r.trace.dumps.back(), "IN: A4 00 5C 77 77");
    EXPECT_TRUE(r.trace.lines.empty());
    // Without a trace nothing is written, and nothing breaks.
    r.session.setTrace(nullptr);
    r.session.onFrameReceived(rig::receivedRaw(rig::bytesOf("A5 00 5B")));
    r.session.onFrameReceived({});
    EXPECT_EQ(r.trace.dumps.size(), 1u);
}

struct RestartCase {
    const char* name;
    std::function<void(SessionRig&, const std::string& firmware)> setup;
    std::vector<rig::Field> fields;
    std::vector<std::string> lines;
    Posts posts;
    std::vector<std::string> sent; // the acknowledgement first
    SessionState state;
    std::optional<std::int64_t> timer;
    // How the monitoring request under way ended (none: the setup had replaced it).
    std::optional<RestartKind> monitorCutShort;
};

std::vector<RestartCase> restartCases() {
    auto inFlashStart = [](SessionRig& r, const std::string& firmware) {
        r.session.startFlashLoading(firmware);
    };
    return {
        {"Loader",
         {},
         {{0x11, {0x05}}, {0x15, {'L', '1', '.', '0', '7', 0}}},
         {"Restart loader", "Loader version: L1.07"},
         {{SessionProgress::RestartLoader, 0}},
         {"A2 03 12 01 05 43"},
         SessionState::LoaderRunning,
         15000,
         RestartKind::Loader},
        {"Code",
         {},
         {{0x13, {}}, {0x15, {'F', '2'}}},
         {"Restart code", "Firmware version: F2"},
         {{SessionProgress::RestartCode, 0}},
         {"A2 03 14 01 00 46"},
         SessionState::Ready,
         std::nullopt,
         RestartKind::Code},
        {"BothFieldsCountAsLoader",
         {},
         {{0x11, {0x05}}, {0x13, {0x09}}},
         {"Restart loader"},
         {{SessionProgress::RestartLoader, 0}},
         {"A2 03 12 01 05 43"},
         SessionState::LoaderRunning,
         15000,
         RestartKind::Loader},
        {"LoaderWaitsForFirmware",
         {},
         {{0x11, {0x05}}, {0x71, {0x9F}}},
         {"Restart loader", "Start FLASH loading"},
         {{SessionProgress::RestartLoader, 0},
          {SessionProgress::LoaderWaitsForFirmware, 0},
          {SessionProgress::FlashStartSent, 0}},
         {"A2 03 12 01 05 43", "A1 06 21 01 01 88 01 00 AD"},
         SessionState::FlashStart,
         15000,
         RestartKind::LoaderWaitsForFirmware},
        {"LoaderWhileFlashStartIsAsked",
         inFlashStart,
         {{0x11, {0x05}}},
         {"Restart loader", "Start FLASH loading"},
         {{SessionProgress::RestartLoader, 0}, {SessionProgress::FlashStartSent, 0}},
         {"A2 03 12 01 05 43", "A1 06 21 01 01 88 01 00 AD"},
         SessionState::FlashStart,
         15000,
         std::nullopt},
        {"CodeWhileFlashStartIsAsked",
         inFlashStart,
         {{0x13, {0x02}}},
         {"Restart code", "Start FLASH loading"},
         {{SessionProgress::RestartCode, 0}, {SessionProgress::FlashStartSent, 0}},
         {"A2 03 14 01 02 44", "A1 06 21 01 01 88 01 00 AD"},
         SessionState::FlashStart,
         15000,
         std::nullopt},
    };
}

TEST(DeviceSessionDispatch, RestartEvents) {
    TempDir dir;
    testfiles::write(dir.file("fw.bin"), testfiles::firmware(1024));
    for (const RestartCase& c : restartCases()) {
        SCOPED_TRACE(c.name);
        SessionRig r;
        r.session.requestSystemInfo();
        r.deliver(0xA2, {{0x15, {'o', 'l', 'd', ' ', 'f', 'w'}}, {0x16, {'o', 'l', 'd'}}});
        r.session.requestMonitor(true);
        if (c.setup) {
            c.setup(r, dir.file("fw.bin"));
        }
        r.forget();

        FramePtr event = frameCreate(0xA1);
        for (const rig::Field& f : c.fields) {
            frameAddField(*event, f.tag, static_cast<std::uint8_t>(f.value.size()), f.value.data());
        }
        frameSeal(*event);
        r.deliver(std::move(event));

        EXPECT_EQ(r.trace.lines, c.lines);
        EXPECT_EQ(r.host.posted, c.posts);
        std::vector<std::string> sent;
        for (const Bytes& b : r.channel.sent) {
            sent.push_back(rig::hex(b));
        }
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(r.session.state(), c.state);
        EXPECT_EQ(r.timeout(), c.timer);
        EXPECT_EQ(r.pane.monitoringCalls, std::vector<bool>{false});
        if (c.monitorCutShort) {
            ASSERT_EQ(r.host.results.size(), 1u) << "the request under way ended";
            EXPECT_EQ(r.host.results[0].kind, OperationKind::MonitorSwitch);
            EXPECT_EQ(r.host.results[0].outcome, Outcome::CutShortByRestart);
            EXPECT_EQ(r.host.results[0].restart, *c.monitorCutShort);
        } else {
            EXPECT_TRUE(r.host.results.empty()) << "the loading goes on";
        }
        if (c.state == SessionState::LoaderRunning) {
            EXPECT_EQ(r.session.firmwareVersion(), "old fw");
        }
    }
}

TEST(DeviceSessionDispatch, LoaderRunning) {
    SessionRig r;
    r.deliver(0xA1, {{0x11, {0x07}}});
    r.channel.sent.clear();
    r.trace.lines.clear();
    // Every refusal gets the acknowledgement again.
    r.deliver(0xA3, {{0x71, {0x01}}});
    r.deliver(0xA3, {});
    EXPECT_EQ(r.channel.sent, (std::vector<Bytes>(2, rig::bytesOf("A2 03 12 01 07 41"))));
    // The partition from any non-refusal frame; an empty field keeps the old value.
    r.deliver(0xA2, {{0x51, {0x04}}});
    r.trace.lines.clear();
    r.deliver(0xA4, {{0x51, {}}});
    r.deliver(0xA2, {{0x51, {0x02}}});
    EXPECT_EQ(r.session.activePartition(), 2);
    EXPECT_EQ(r.trace.lines,
              (std::vector<std::string>{"Code is starting up from FLASH partition 4",
                                        "Code is starting up from FLASH partition 2"}));
    EXPECT_EQ(r.session.state(), SessionState::LoaderRunning);
}

TEST(DeviceSessionDispatch, ResetAcceptedWaitsBoundedForTheRestart) {
    for (bool restarts : {true, false}) {
        SCOPED_TRACE(restarts);
        SessionRig r;
        r.session.requestReset();
        r.clock.advance(100);
        r.deliver(0xA2, {{0x81, {}}});
        EXPECT_EQ(r.session.state(), SessionState::Resetting);
        EXPECT_EQ(r.timeout(), kRestartWaitMs);
        r.clock.advance(kRestartWaitMs - 1);
        if (restarts) {
            r.deliver(0xA1, {{0x13, {0x01}}});
        }
        r.clock.advance(1);
        EXPECT_EQ(r.channel.sent.size(), restarts ? 2u : 1u) << "the reset is not repeated";
        if (restarts) {
            EXPECT_EQ(r.session.state(), SessionState::Ready);
            EXPECT_EQ(r.host.count(SessionProgress::GaveUp, 0), 0);
        } else {
            EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::GaveUp, 0));
            EXPECT_EQ(r.trace.lines.back(), "Operation failed!");
            EXPECT_EQ(r.session.state(), SessionState::Failed);
        }
    }
}

// A converter that keeps refusing the reset is asked as often as for any other request, then
// the reset ends with the refusal's status.
TEST(DeviceSessionDispatch, RefusedResetEndsAtTheRetryLimit) {
    SessionRig r;
    r.session.requestReset();
    for (int i = 1; i <= 3; ++i) {
        r.deliver(0xA3, {{0x71, {0x01, 0x42}}});
        EXPECT_EQ(r.channel.sent.size(), static_cast<std::size_t>(i + 1));
        EXPECT_EQ(r.session.retryCount(), i);
        EXPECT_EQ(r.timeout(), 5000);
    }
    r.host.posted.clear();
    r.deliver(0xA3, {{0x71, {0x01, 0x42}}});
    EXPECT_EQ(r.channel.sent.size(), 4u);
    EXPECT_EQ(r.host.posted, (Posts{{SessionProgress::ResetSent, 2}}));
    EXPECT_EQ(r.session.resultHex(), "01 42");
    EXPECT_EQ(r.session.state(), SessionState::Ready);
    EXPECT_EQ(r.session.operation(), OperationKind::None);
    EXPECT_EQ(r.session.timerId(), 0u);
    r.clock.advance(60000);
    EXPECT_EQ(r.channel.sent.size(), 4u);

    // Access denied: cancelled question ends in Ready with (1, 5).
    SessionRig c;
    c.session.requestReset();
    c.deliver(0xA3, {{0x71, {0x9E}}});
    EXPECT_EQ(c.channel.sent.size(), 1u);
    EXPECT_EQ(c.session.state(), SessionState::Ready);
    EXPECT_EQ(c.host.last(), std::make_pair(SessionProgress::ResetSent, 5));
    EXPECT_EQ(c.session.timerId(), 0u);

    // Entered: the reset goes out again with the new password.
    SessionRig e;
    e.host.passwordEntries = {"pw"};
    e.session.requestReset();
    e.deliver(0xA3, {{0x71, {0x9E}}});
    EXPECT_EQ(e.lastSent(), "A1 07 81 00 88 03 70 77 00 65");
}

TEST(DeviceSessionDispatch, ReadyAnswers) {
    SessionRig r;
    // Monitoring on, with output in the same answer.
    r.session.requestMonitor(true);
    r.deliver(0xA2, {{0x31, {'h', 'i'}}});
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::MonitorEnded, 1));
    EXPECT_EQ(r.pane.monitoringCalls, std::vector<bool>{true});
    EXPECT_EQ(r.session.operation(), OperationKind::None);
    EXPECT_EQ(r.session.timerId(), 0u);
    // Later output only appends.
    r.deliver(0xA2, {{0x31, {'\r', '\n', 'x'}}});
    r.deliver(0xA2, {{0x31, {}}});
    EXPECT_EQ(r.pane.shown, "hi\r\nx");
    EXPECT_EQ(r.host.posted.size(), 2u);
    // Monitoring off without a request still switches the display off.
    r.deliver(0xA2, {{0x32, {}}});
    EXPECT_EQ(r.pane.monitoringCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(r.host.posted.size(), 2u);
    // A command answer.
    r.session.requestMonitorText("V=00\r\n");
    r.deliver(0xA2, {{0x33, {}}});
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::MonitorEnded, 1));
    // System information.
    r.session.requestSystemInfo();
    r.trace.lines.clear();
    r.deliver(0xA2, {{0x15, {'F', 'W', ' ', '3', 0}}, {0x16, {'L', 'D'}}, {0x51, {0x01}}});
    EXPECT_EQ(r.session.firmwareVersion(), "FW 3");
    EXPECT_EQ(r.session.loaderVersion(), "LD");
    EXPECT_EQ(r.session.activePartition(), 1);
    EXPECT_EQ(r.trace.lines,
              (std::vector<std::string>{"Firmware version: FW 3", "Loader version: LD",
                                        "Active FLASH partition: 1"}));
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::SystemInfoEnded, 1));
    // A password change.
    r.session.requestPasswordChange("n", "o");
    r.deliver(0xA2, {{0x28, {}}});
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::PasswordChangeEnded, 1));
    EXPECT_EQ(r.session.operation(), OperationKind::None);
    EXPECT_EQ(r.session.accessPassword(), "n") << "the changed password is the one used now";
    // An overlong version text is cut.
    r.deliver(0xA2, {{0x15, Bytes(100, 'v')}});
    EXPECT_EQ(r.session.firmwareVersion(), std::string(63, 'v'));
}

TEST(DeviceSessionDispatch, MonitorOutputOutsideReadyIsDropped) {
    SessionRig r;
    r.session.requestConfigRead();
    r.deliver(0xA2, {{0x31, {'x'}}});
    EXPECT_EQ(r.pane.shown, "");
    EXPECT_TRUE(r.pane.monitoringCalls.empty());
}

// Refusals of the service requests: `refusedBefore` plain refusals bring the re-sends to that
// count, then the case's status decides.
TEST(DeviceSessionDispatch, ReadyRefusals) {
    struct RefusalCase {
        const char* name;
        std::function<void(SessionRig&)> start;
        Bytes status;
        int refusedBefore;
        std::vector<std::string> passwordEntries;
        bool resent;
        std::optional<std::pair<SessionProgress, int>> posted;
        Outcome outcome; // when it ends
    };
    auto monitorOn = [](SessionRig& r) { r.session.requestMonitor(true); };
    auto command = [](SessionRig& r) { r.session.requestMonitorText("V=01\r\n"); };
    auto info = [](SessionRig& r) { r.session.requestSystemInfo(); };
    auto change = [](SessionRig& r) { r.session.requestPasswordChange("n", "o"); };
    const RefusalCase cases[] = {
        {"monitor on repeated", monitorOn, {0x01}, 2, {}, true, std::nullopt, Outcome::Done},
        {"monitor on at the limit",
         monitorOn,
         {0x01},
         3,
         {},
         false,
         {{SessionProgress::MonitorEnded, 2}},
         Outcome::Refused},
        {"command, password cancelled",
         command,
         {0x9E},
         0,
         {},
         false,
         {{SessionProgress::MonitorEnded, 5}},
         Outcome::PasswordCancelled},
        {"command, password entered at the limit",
         command,
         {0x9E},
         3,
         {"pw"},
         true,
         std::nullopt,
         Outcome::Done},
        {"system info at the limit",
         info,
         {0x02},
         3,
         {},
         false,
         {{SessionProgress::SystemInfoEnded, 2}},
         Outcome::Refused},
        {"password change refused password",
         change,
         {0x9E},
         0,
         {"never asked"},
         false,
         {{SessionProgress::PasswordChangeEnded, 6}},
         Outcome::PasswordRefused},
        {"password change repeated", change, {0x01}, 0, {}, true, std::nullopt, Outcome::Done},
        {"password change at the limit",
         change,
         {0x01},
         3,
         {},
         false,
         {{SessionProgress::PasswordChangeEnded, 2}},
         Outcome::Refused},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig r;
        c.start(r);
        const Bytes first = r.channel.sent.back();
        const OperationKind kind = r.session.operation();
        for (int i = 0; i < c.refusedBefore; ++i) {
            r.deliver(0xA3, {{0x71, {0x01}}});
        }
        ASSERT_EQ(r.session.retryCount(), c.refusedBefore);
        r.host.passwordEntries = c.passwordEntries;
        r.host.posted.clear();
        const std::size_t sentBefore = r.channel.sent.size();
        r.deliver(0xA3, {{0x71, c.status}});
        EXPECT_EQ(r.session.resultHex(), rig::hex(c.status));
        EXPECT_EQ(r.channel.sent.size() - sentBefore, c.resent ? 1u : 0u);
        if (c.resent) {
            EXPECT_EQ(r.session.operation(), kind);
            EXPECT_NE(r.session.timerId(), 0u);
            EXPECT_TRUE(r.host.results.empty());
            if (c.passwordEntries.empty()) {
                EXPECT_EQ(r.channel.sent.back(), first);
            }
        } else {
            EXPECT_EQ(r.session.operation(), OperationKind::None);
            EXPECT_EQ(r.session.timerId(), 0u);
            ASSERT_EQ(r.host.results.size(), 1u);
            EXPECT_EQ(r.host.results[0].kind, kind);
            EXPECT_EQ(r.host.results[0].outcome, c.outcome);
            if (c.outcome == Outcome::Refused || c.outcome == Outcome::PasswordRefused) {
                EXPECT_EQ(r.host.results[0].status, rig::hex(c.status));
            }
        }
        if (c.posted) {
            EXPECT_EQ(r.host.posted, Posts{*c.posted});
        } else {
            EXPECT_EQ(r.host.posted.size(), 1u) << "only the re-send's own report";
        }
        if (std::string(c.name) == "password change refused password") {
            EXPECT_EQ(r.host.passwordQuestions, 0) << "the refused password is the one changed";
        }
    }
    // No operation: only the status text changes.
    SessionRig r;
    r.deliver(0xA1, {{0x13, {0x01}}});
    r.forget();
    ASSERT_EQ(r.session.state(), SessionState::Ready);
    r.deliver(0xA3, {{0x71, {0x01, 0x9E}}});
    EXPECT_EQ(r.session.resultHex(), "01 9E");
    EXPECT_TRUE(r.channel.sent.empty() && r.host.posted.empty());
    EXPECT_EQ(r.host.passwordQuestions, 0);
    r.deliver(0xA3, {});
    EXPECT_EQ(r.session.resultHex(), "");
}

// Access denied: the password question, then the repetition with the password entered. The
// operation waits for the answer with no timer running.
TEST(DeviceSessionDispatch, PasswordQuestion) {
    TempDir dir;
    struct QuestionCase {
        const char* name;
        std::function<void(SessionRig&)> start;
        SessionProgress code;
        OperationKind kind;
    };
    const QuestionCase cases[] = {
        {"config read", [](auto& r) { r.session.requestConfigRead(); },
         SessionProgress::ConfigReadEnded, OperationKind::ConfigRead},
        {"config write", [](auto& r) { r.session.requestConfigWrite(ConfigImage{}); },
         SessionProgress::ConfigWriteEnded, OperationKind::ConfigWrite},
        {"monitor command", [](auto& r) { r.session.requestMonitorText("x"); },
         SessionProgress::MonitorEnded, OperationKind::MonitorCommand},
        {"flash start", [](auto& r) { r.session.startFlashLoading("/nonexistent/fw.bin"); },
         SessionProgress::FlashLoadEnded, OperationKind::FlashLoading},
        {"flash read start",
         [&](auto& r) { r.session.startFlashDownloading(dir.file("image.bin")); },
         SessionProgress::FlashReadEnded, OperationKind::FlashDownloading},
        {"reset", [](auto& r) { r.session.requestReset(); }, SessionProgress::ResetSent,
         OperationKind::Reset},
    };
    for (const QuestionCase& c : cases) {
        for (int retries : {0, 3}) {
            SCOPED_TRACE(std::string(c.name) + " retries " + std::to_string(retries));
            // While the question is open: no timer, nothing sent, answers of earlier copies
            // change nothing.
            SessionRig w;
            w.host.answerPasswords = false;
            c.start(w);
            for (int i = 0; i < retries; ++i) {
                w.deliver(0xA3, {{0x71, {0x01}}});
            }
            const std::size_t sentBefore = w.channel.sent.size();
            w.deliver(0xA3, {{0x71, {0x9E}}});
            EXPECT_EQ(w.host.passwordQuestions, 1);
            EXPECT_TRUE(w.session.waitingForPassword());
            EXPECT_EQ(w.session.timerId(), 0u);
            w.deliver(0xA3, {{0x71, {0x01}}});
            w.clock.advance(60000);
            EXPECT_EQ(w.channel.sent.size(), sentBefore);
            EXPECT_EQ(w.session.operation(), c.kind);
            EXPECT_TRUE(w.host.results.empty());

            // Cancelled.
            SessionRig r;
            c.start(r);
            for (int i = 0; i < retries; ++i) {
                r.deliver(0xA3, {{0x71, {0x01}}});
            }
            const std::size_t sent = r.channel.sent.size();
            r.deliver(0xA3, {{0x71, {0x9E}}});
            EXPECT_EQ(r.host.passwordQuestions, 1);
            EXPECT_EQ(r.host.last(), std::make_pair(c.code, 5));
            EXPECT_EQ(r.channel.sent.size(), sent);
            EXPECT_EQ(r.session.state(), SessionState::Ready);
            EXPECT_EQ(r.session.timerId(), 0u);
            EXPECT_EQ(r.session.operation(), OperationKind::None);
            ASSERT_EQ(r.host.results.size(), 1u);
            EXPECT_EQ(r.host.results[0].outcome, Outcome::PasswordCancelled);

            // Entered: one more attempt, with the new password, even at the limit.
            SessionRig e;
            e.host.passwordEntries = {"secret"};
            c.start(e);
            for (int i = 0; i < retries; ++i) {
                e.deliver(0xA3, {{0x71, {0x01}}});
            }
            const std::size_t before = e.channel.sent.size();
            e.deliver(0xA3, {{0x71, {0x9E}}});
            ASSERT_EQ(e.channel.sent.size(), before + 1);
            ProtocolFrame again;
            std::copy(e.channel.sent.back().begin(), e.channel.sent.back().end(),
                      again.bytes.begin());
            const auto password = frameFindField(again, 0x88);
            ASSERT_TRUE(password);
            EXPECT_EQ(Bytes(password->value.begin(), password->value.end()),
                      (Bytes{'s', 'e', 'c', 'r', 'e', 't', 0}));
            EXPECT_EQ(e.session.retryCount(), retries == 3 ? 3 : 1);
            EXPECT_NE(e.session.timerId(), 0u);
            EXPECT_EQ(e.session.accessPassword(), "secret");
        }
    }
}

} // namespace
