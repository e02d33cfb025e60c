#include "SessionRig.h"
#include "TempDir.h"
#include "TestFiles.h"

#include "protocol/DeviceSession.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// What a restart of the converter does to every operation, at its first step and in the middle:
// each row says how the operation ends (or that it goes on), how the session stands afterwards
// and what it sent in answer to the event.
using namespace vandrel;
using rig::Bytes;
using rig::SessionRig;

namespace {

constexpr const char* kLoaderAck = "A2 03 12 01 01 47";
constexpr const char* kCodeAck = "A2 03 14 01 01 45";
constexpr const char* kFlashStart = "A1 06 21 01 01 88 01 00 AD";
constexpr const char* kReadPacket0 = "A1 0A 42 00 46 03 03 80 00 88 01 00 BE";

enum class Event { Code, Loader, Firmware };

void deliverRestart(SessionRig& r, Event event) {
    switch (event) {
    case Event::Code:
        r.deliver(0xA1, {{0x13, {0x01}}});
        break;
    case Event::Loader:
        r.deliver(0xA1, {{0x11, {0x01}}});
        break;
    case Event::Firmware:
        r.deliver(0xA1, {{0x11, {0x01}}, {0x71, {0x9F}}});
        break;
    }
}

RestartKind kindOf(Event event) {
    switch (event) {
    case Event::Code:
        return RestartKind::Code;
    case Event::Loader:
        return RestartKind::Loader;
    case Event::Firmware:
        break;
    }
    return RestartKind::LoaderWaitsForFirmware;
}

struct Fixture {
    TempDir dir;
    SessionRig r;
    std::string firmware() {
        testfiles::write(dir.file("fw.bin"), testfiles::firmware(1024));
        return dir.file("fw.bin");
    }
};

struct RestartRow {
    const char* name;
    std::function<void(Fixture&)> start; // the operation, brought to the step under test
    OperationKind kind;
    Event event;
    std::optional<Outcome> outcome; // none: the operation goes on
    SessionState stateAfter;
    std::vector<std::string> sent; // after the event: the acknowledgement first
    std::function<void(const OperationResult&)> check = nullptr;
};

// What follows the operation's end when the session handles the event itself.
std::vector<std::string> afterEnd(Event event) {
    switch (event) {
    case Event::Code:
        return {kCodeAck};
    case Event::Loader:
        return {kLoaderAck};
    case Event::Firmware:
        break;
    }
    return {kLoaderAck, kFlashStart}; // the loading the loader asks for
}

SessionState stateAfterEnd(Event event) {
    switch (event) {
    case Event::Code:
        return SessionState::Ready;
    case Event::Loader:
        return SessionState::LoaderRunning;
    case Event::Firmware:
        break;
    }
    return SessionState::FlashStart;
}

// An operation that a restart simply cuts short, in each kind of event.
void cutShort(std::vector<RestartRow>& rows, const char* name, std::function<void(Fixture&)> start,
              OperationKind kind) {
    for (Event event : {Event::Code, Event::Loader, Event::Firmware}) {
        rows.push_back({name, start, kind, event, Outcome::CutShortByRestart, stateAfterEnd(event),
                        afterEnd(event)});
    }
}

std::vector<RestartRow> rows() {
    std::vector<RestartRow> rows;
    const auto readAt = [](int packets) {
        return [packets](Fixture& f) {
            f.r.session.requestConfigRead();
            for (int p = 0; p < packets; ++p) {
                f.r.deliver(0xA2, {{0x42, Bytes(128, 1)}});
            }
        };
    };
    const auto writeAt = [](int packets, bool readBack) {
        return [packets, readBack](Fixture& f) {
            f.r.session.requestConfigWrite(ConfigImage{}, readBack);
            for (int p = 0; p < packets; ++p) {
                f.r.deliver(0xA2, {{0x41, {}}});
            }
        };
    };
    const auto download = [](int blocks) {
        return [blocks](Fixture& f) {
            f.r.session.startFlashDownloading(f.dir.file("image.bin"));
            if (blocks >= 0) {
                f.r.deliver(0xA2, {{0x24, {0, 0x03, 0x80}}});
            }
            for (int b = 0; b < blocks; ++b) {
                f.r.deliver(0xA2, {{0x42, {7}}});
            }
        };
    };
    cutShort(
        rows, "system info", [](Fixture& f) { f.r.session.requestSystemInfo(); },
        OperationKind::SystemInfo);
    cutShort(rows, "read, packet 0", readAt(0), OperationKind::ConfigRead);
    cutShort(rows, "read, packet 3", readAt(3), OperationKind::ConfigRead);
    cutShort(rows, "write, packet 0", writeAt(0, false), OperationKind::ConfigWrite);
    cutShort(rows, "write, packet 3", writeAt(3, false), OperationKind::ConfigWrite);
    cutShort(rows, "download, its start", download(-1), OperationKind::FlashDownloading);
    cutShort(rows, "download, block 2", download(2), OperationKind::FlashDownloading);
    cutShort(
        rows, "monitor on", [](Fixture& f) { f.r.session.requestMonitor(true); },
        OperationKind::MonitorSwitch);
    cutShort(
        rows, "monitor command", [](Fixture& f) { f.r.session.requestMonitorText("x"); },
        OperationKind::MonitorCommand);
    cutShort(
        rows, "password change", [](Fixture& f) { f.r.session.requestPasswordChange("n", "o"); },
        OperationKind::PasswordChange);

    // The read's configuration is complete once the system information is asked for.
    for (Event event : {Event::Code, Event::Loader, Event::Firmware}) {
        rows.push_back({"read, its system information", readAt(5), OperationKind::ConfigRead, event,
                        Outcome::Done, stateAfterEnd(event), afterEnd(event),
                        [](const OperationResult& result) {
                            EXPECT_TRUE(result.config);
                            EXPECT_FALSE(result.systemInfo);
                            EXPECT_EQ(result.systemInfoOutcome, Outcome::CutShortByRestart);
                        }});
    }

    // A reset, and a write in its reset, wait for exactly this.
    const auto reset = [](bool accepted) {
        return [accepted](Fixture& f) {
            f.r.session.requestReset();
            if (accepted) {
                f.r.deliver(0xA2, {{0x81, {}}});
            }
        };
    };
    for (bool accepted : {false, true}) {
        const char* name = accepted ? "reset, accepted" : "reset, sent";
        rows.push_back({name,
                        reset(accepted),
                        OperationKind::Reset,
                        Event::Code,
                        Outcome::Done,
                        SessionState::Ready,
                        {kCodeAck}});
        rows.push_back({name,
                        reset(accepted),
                        OperationKind::Reset,
                        Event::Loader,
                        std::nullopt,
                        SessionState::LoaderRunning,
                        {kLoaderAck}});
        rows.push_back({name, reset(accepted), OperationKind::Reset, Event::Firmware,
                        Outcome::CutShortByRestart, SessionState::FlashStart,
                        afterEnd(Event::Firmware)});
    }
    const auto written = [](const OperationResult& result) { EXPECT_TRUE(result.written); };
    rows.push_back({"write, its reset",
                    writeAt(5, false),
                    OperationKind::ConfigWrite,
                    Event::Code,
                    Outcome::Done,
                    SessionState::Ready,
                    {kCodeAck},
                    written});
    rows.push_back({"write, its reset",
                    writeAt(5, false),
                    OperationKind::ConfigWrite,
                    Event::Loader,
                    std::nullopt,
                    SessionState::LoaderRunning,
                    {kLoaderAck}});
    rows.push_back({"write, its reset", writeAt(5, false), OperationKind::ConfigWrite,
                    Event::Firmware, Outcome::CutShortByRestart, SessionState::FlashStart,
                    afterEnd(Event::Firmware), written});
    rows.push_back({"write with read-back, its reset",
                    writeAt(5, true),
                    OperationKind::ConfigWrite,
                    Event::Code,
                    std::nullopt,
                    SessionState::ConfigReading,
                    {kCodeAck, kReadPacket0}});
    // A restart keeps what was written: the read-back starts again once the code runs.
    const auto readingBack = [writeAt](Fixture& f) {
        writeAt(5, true)(f);
        deliverRestart(f.r, Event::Code);
        f.r.deliver(0xA2, {{0x42, Bytes(128)}});
    };
    rows.push_back({"write with read-back, reading back",
                    readingBack,
                    OperationKind::ConfigWrite,
                    Event::Code,
                    std::nullopt,
                    SessionState::ConfigReading,
                    {kCodeAck, kReadPacket0}});
    rows.push_back({"write with read-back, reading back",
                    readingBack,
                    OperationKind::ConfigWrite,
                    Event::Loader,
                    std::nullopt,
                    SessionState::LoaderRunning,
                    {kLoaderAck}});
    rows.push_back({"write with read-back, reading back", readingBack, OperationKind::ConfigWrite,
                    Event::Firmware, Outcome::Done, SessionState::FlashStart,
                    afterEnd(Event::Firmware), [](const OperationResult& result) {
                        EXPECT_TRUE(result.written);
                        EXPECT_EQ(result.readBack, ReadBack::Failed);
                        EXPECT_EQ(result.readBackOutcome, Outcome::CutShortByRestart);
                    }});

    // FLASH loading: the start is asked again of whichever program now runs; in the middle a
    // restart cuts it short, but a loader that waits for firmware gets it again from the start.
    const auto loadingAt = [](int chunks) {
        return [chunks](Fixture& f) {
            f.r.session.startFlashLoading(f.firmware());
            if (chunks < 0) {
                return;
            }
            f.r.deliver(0xA2, {{0x21, {}}});
            for (int c = 0; c < chunks; ++c) {
                f.r.deliver(0xA2, {{0x26, {0, 0, static_cast<std::uint8_t>(c * 0x80)}}});
            }
        };
    };
    for (Event event : {Event::Code, Event::Loader, Event::Firmware}) {
        std::vector<std::string> sent = {event == Event::Code ? kCodeAck : kLoaderAck, kFlashStart};
        rows.push_back({"flash loading, its start", loadingAt(-1), OperationKind::FlashLoading,
                        event, std::nullopt, SessionState::FlashStart, sent});
    }
    const auto percent25 = [](const OperationResult& result) {
        EXPECT_EQ(result.percent, 25) << "two chunks of eight";
    };
    rows.push_back({"flash loading, chunk 2",
                    loadingAt(2),
                    OperationKind::FlashLoading,
                    Event::Code,
                    Outcome::CutShortByRestart,
                    SessionState::Ready,
                    {kCodeAck},
                    percent25});
    rows.push_back({"flash loading, chunk 2",
                    loadingAt(2),
                    OperationKind::FlashLoading,
                    Event::Loader,
                    Outcome::CutShortByRestart,
                    SessionState::LoaderRunning,
                    {kLoaderAck},
                    percent25});
    rows.push_back({"flash loading, chunk 2",
                    loadingAt(2),
                    OperationKind::FlashLoading,
                    Event::Firmware,
                    std::nullopt,
                    SessionState::FlashStart,
                    {kLoaderAck, kFlashStart}});

    // The loading the loader asked for, still without the host's file: it ends, and the session
    // treats the event as if none ran.
    const auto awaitingFile = [](Fixture& f) {
        deliverRestart(f.r, Event::Firmware);
        f.r.deliver(0xA2, {{0x21, {}}});
    };
    for (Event event : {Event::Code, Event::Loader, Event::Firmware}) {
        rows.push_back({"loading the loader asked for, no file yet", awaitingFile,
                        OperationKind::FlashLoading, event, Outcome::CutShortByRestart,
                        stateAfterEnd(event), afterEnd(event)});
    }
    // The session's own wait for the application code.
    rows.push_back({"loader wait",
                    [](Fixture& f) { deliverRestart(f.r, Event::Loader); },
                    OperationKind::LoaderWait,
                    Event::Code,
                    Outcome::Done,
                    SessionState::Ready,
                    {kCodeAck}});
    return rows;
}

const char* eventName(Event event) {
    switch (event) {
    case Event::Code:
        return "restart code";
    case Event::Loader:
        return "restart loader";
    case Event::Firmware:
        break;
    }
    return "loader waits for firmware";
}

TEST(RestartTable, EveryOperationAtItsFirstStepAndInTheMiddle) {
    for (const RestartRow& row : rows()) {
        SCOPED_TRACE(std::string(row.name) + ", " + eventName(row.event));
        Fixture f;
        row.start(f);
        ASSERT_EQ(f.r.session.operation(), row.kind) << "the operation runs";
        f.r.forget();

        deliverRestart(f.r, row.event);

        std::vector<std::string> sent;
        for (const Bytes& frame : f.r.channel.sent) {
            sent.push_back(rig::hex(frame));
        }
        EXPECT_EQ(sent, row.sent);
        EXPECT_EQ(f.r.session.state(), row.stateAfter);
        EXPECT_EQ(f.r.pane.monitoringCalls.back(), false) << "monitoring is off after a restart";
        if (!row.outcome) {
            EXPECT_TRUE(f.r.host.results.empty()) << "it goes on";
            EXPECT_EQ(f.r.session.operation(), row.kind);
            EXPECT_NE(f.r.session.timerId(), 0u) << "and waits for something bounded";
            continue;
        }
        ASSERT_FALSE(f.r.host.results.empty()) << "it ended";
        const OperationResult& result = f.r.host.results.front();
        EXPECT_EQ(result.kind, row.kind);
        EXPECT_EQ(result.outcome, *row.outcome);
        if (result.outcome == Outcome::CutShortByRestart) {
            EXPECT_EQ(result.restart, kindOf(row.event));
        }
        if (row.check) {
            row.check(result);
        }
        const auto ends =
            std::count_if(f.r.host.results.begin(), f.r.host.results.end(),
                          [&](const OperationResult& r) { return r.kind == row.kind; });
        EXPECT_EQ(ends, 1) << "it ended once";
        // Whatever runs now is bounded too: nothing waits forever.
        if (f.r.session.state() != SessionState::Ready) {
            EXPECT_NE(f.r.session.timerId(), 0u);
        }
        // No staged image survives an end.
        EXPECT_FALSE(std::filesystem::exists(f.dir.file("image.bin")));
    }
}

// A loader that restarts into "waits for firmware" in the middle of a loading gets the same file
// again from the first chunk, twice; the third time the loading ends with the loader waiting.
TEST(RestartTable, FlashLoadingStartsAgainAtMostTwice) {
    Fixture f;
    const std::string file = f.firmware();
    f.r.session.startFlashLoading(file);
    for (int time = 1; time <= 3; ++time) {
        SCOPED_TRACE(time);
        f.r.deliver(0xA2, {{0x21, {}}});
        f.r.deliver(0xA2, {{0x26, {0, 0, 0}}});
        f.r.forget();
        deliverRestart(f.r, Event::Firmware);
        if (time < 3) {
            EXPECT_EQ(f.r.lastSent(), kFlashStart);
            EXPECT_TRUE(f.r.host.results.empty());
            EXPECT_EQ(f.r.host.count(SessionProgress::LoaderWaitsForFirmware, 0), 0)
                << "the host is not asked for a file: the loading has one";
            EXPECT_EQ(f.r.trace.lines,
                      (std::vector<std::string>{"Restart loader", "FLASH loading starts again",
                                                "Start FLASH loading"}));
        }
    }
    ASSERT_EQ(f.r.host.results.size(), 1u);
    EXPECT_EQ(f.r.host.results[0].outcome, Outcome::CutShortByRestart);
    EXPECT_EQ(f.r.host.results[0].restart, RestartKind::LoaderWaitsForFirmware);
    EXPECT_EQ(f.r.host.results[0].file, file);
    EXPECT_EQ(f.r.channel.sent.size(), 1u) << "only the acknowledgement: no loading is asked";
    EXPECT_EQ(f.r.session.state(), SessionState::LoaderRunning);

    // Loaded again from the first chunk, the file arrives whole.
    Fixture g;
    g.r.session.startFlashLoading(g.firmware());
    g.r.deliver(0xA2, {{0x21, {}}});
    g.r.deliver(0xA2, {{0x26, {0, 0, 0}}});
    g.r.deliver(0xA2, {{0x26, {0, 0, 0x80}}});
    deliverRestart(g.r, Event::Firmware);
    g.r.forget();
    g.r.deliver(0xA2, {{0x21, {}}});
    for (std::uint32_t at = 0; at < 1024; at += 128) {
        ASSERT_NE(g.r.lastSent().find(rig::hex({0x26, 0x03, 0, static_cast<std::uint8_t>(at >> 8),
                                                static_cast<std::uint8_t>(at)})),
                  std::string::npos)
            << at;
        g.r.deliver(
            0xA2, {{0x26, {0, static_cast<std::uint8_t>(at >> 8), static_cast<std::uint8_t>(at)}}});
    }
    g.r.deliver(0xA2, {{0x29, {}}});
    ASSERT_EQ(g.r.host.results.size(), 1u);
    EXPECT_EQ(g.r.host.results[0].outcome, Outcome::Done);
    EXPECT_EQ(g.r.host.count(SessionProgress::FlashChunkSent, 12), 1)
        << "the progress starts from the first chunk again";
}

} // namespace
