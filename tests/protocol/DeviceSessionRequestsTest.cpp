#include "SessionRig.h"
#include "TempDir.h"

#include "config/FileHelpers.h"
#include "protocol/DeviceSession.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace vandrel;
using rig::Bytes;
using rig::SessionRig;

namespace {

struct RequestCase {
    const char* name;
    std::function<void(DeviceSession&)> setup;
    std::function<bool(DeviceSession&)> send;
    const char* frame;
    const char* statusLine; // "" = none
    std::optional<std::pair<SessionProgress, int>> progress;
    int timeoutMs;
    SessionState state;
    std::uint32_t pendingAfter;
};

void none(DeviceSession&) {}

const RequestCase kRequests[] = {
    {"ResetNoPassword",
     none,
     [](auto& s) { return s.requestReset(); },
     "A1 05 81 00 88 01 00 50",
     "Device RESET",
     {{SessionProgress::ResetSent, 0}},
     5000,
     SessionState::Resetting,
     0},
    {"ResetWithPassword",
     [](auto& s) { s.accessPassword = "abc"; },
     [](auto& s) { return s.requestReset(); },
     "A1 08 81 00 88 04 61 62 63 00 24",
     "Device RESET",
     {{SessionProgress::ResetSent, 0}},
     5000,
     SessionState::Resetting,
     0},
    {"SystemInfo",
     none,
     [](auto& s) { return s.requestSystemInfo(); },
     "A1 02 15 00 48",
     "Get system info",
     {{SessionProgress::SystemInfoSent, 0}},
     1000,
     SessionState::Ready,
     pending::SystemInfo},
    {"ConfigReadPacket3",
     [](auto& s) {
         s.state = SessionState::ConfigReading;
         s.packetNumber = 3;
         s.accessPassword = "x";
     },
     [](auto& s) { return s.requestConfigRead(false); },
     "A1 0B 42 00 46 03 03 81 80 88 02 78 00 C3",
     "Read configuration data (packet:3)",
     {{SessionProgress::ConfigReadSent, 0}},
     1000,
     SessionState::ConfigReading,
     0},
    {"FlashStart",
     [](auto& s) {
         s.accessPassword = "abc";
         s.pendingFlags = pending::FlashCancel;
         s.flashOffset = 512;
     },
     [](auto& s) { return s.requestFlashStart(); },
     "A1 09 21 01 01 88 04 61 62 63 00 81",
     "Start FLASH loading",
     {{SessionProgress::FlashStartSent, 0}},
     15000,
     SessionState::FlashStart,
     0},
    {"FlashStop",
     [](auto& s) {
         s.flashTotal = 1000;
         s.pendingFlags = pending::FlashCancel;
     },
     [](auto& s) { return s.requestFlashStop(false); }, "A1 02 29 00 34", "Stop FLASH loading",
     std::nullopt, 1000, SessionState::FlashLoading, 0},
    {"FlashCancel", none, [](auto& s) { return s.requestFlashCancel(false); }, "A1 02 27 00 36",
     "Cancel FLASH loading", std::nullopt, 1000, SessionState::FlashLoading, pending::FlashCancel},
    {"FlashReadStart",
     [](auto& s) { s.pendingFlags = pending::FlashReadData; },
     [](auto& s) { return s.requestFlashReadStart(); },
     "A1 05 24 00 88 01 00 AD",
     "Start FLASH downloading",
     {{SessionProgress::FlashReadStartSent, 0}},
     5000,
     SessionState::Ready,
     pending::FlashReadStart},
    {"FlashRead",
     [](auto& s) {
         s.flashOffset = 0x012380;
         s.flashTotal = 0x20000;
     },
     [](auto& s) { return s.requestFlashRead(false); },
     "A1 07 42 00 46 03 01 23 80 29",
     "",
     {{SessionProgress::FlashBlockRequested, 57}},
     1000,
     SessionState::Ready,
     pending::FlashReadData},
    {"MonitorOn",
     none,
     [](auto& s) { return s.requestMonitor(true); },
     "A1 02 31 00 2C",
     "",
     {{SessionProgress::MonitorSent, 0}},
     1000,
     SessionState::Ready,
     pending::MonitorOn},
    {"MonitorOff",
     none,
     [](auto& s) { return s.requestMonitor(false); },
     "A1 02 32 00 2B",
     "",
     {{SessionProgress::MonitorSent, 0}},
     1000,
     SessionState::Ready,
     pending::MonitorOff},
    {"MonitorText",
     none,
     [](auto& s) { return s.requestMonitorText("V=11\r\n"); },
     "A1 0B 33 06 56 3D 31 31 0D 0A 88 01 00 86",
     "",
     {{SessionProgress::MonitorSent, 0}},
     1000,
     SessionState::Ready,
     pending::MonitorCommand},
    {"PasswordChange",
     [](auto& s) { s.accessPassword = "ignored"; },
     [](auto& s) { return s.requestPasswordChange("new", "old"); },
     "A1 0C 28 04 6E 65 77 00 88 04 6F 6C 64 00 12",
     "",
     {{SessionProgress::PasswordChangeSent, 0}},
     1000,
     SessionState::Ready,
     pending::PasswordChange},
};

class RequestFrames : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestFrames, SendsExactFrameTraceProgressAndTimer) {
    const RequestCase& c = GetParam();
    SessionRig r;
    c.setup(r.session);
    r.session.retryCount = 2;

    ASSERT_TRUE(c.send(r.session));

    ASSERT_EQ(r.channel.sent.size(), 1u);
    EXPECT_EQ(rig::hex(r.channel.sent[0]), c.frame);
    std::vector<std::string> lines;
    if (*c.statusLine) {
        lines.push_back(c.statusLine);
    }
    EXPECT_EQ(r.trace.lines, lines);
    for (auto colour : r.trace.colours) {
        EXPECT_EQ(colour, 0x808000u);
    }
    EXPECT_EQ(r.trace.dumps, std::vector<std::string>{std::string("OUT: ") + c.frame});
    if (c.progress) {
        EXPECT_EQ(r.host.posted, (std::vector<std::pair<SessionProgress, int>>{*c.progress}));
    } else {
        EXPECT_TRUE(r.host.posted.empty());
    }
    EXPECT_EQ(r.timeout(), c.timeoutMs);
    EXPECT_EQ(r.session.state, c.state);
    EXPECT_EQ(r.session.pendingFlags, c.pendingAfter);
    EXPECT_EQ(r.session.retryCount, 0) << "a new step starts its own count";
}

INSTANTIATE_TEST_SUITE_P(DeviceSession, RequestFrames, ::testing::ValuesIn(kRequests),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceSessionRequests, RefusedLinkSendsAndChangesNothing) {
    const std::pair<const char*, std::function<bool(DeviceSession&)>> needLink[] = {
        {"reset", [](auto& s) { return s.requestReset(); }},
        {"config read", [](auto& s) { return s.requestConfigRead(false); }},
        {"config write", [](auto& s) { return s.requestConfigWrite(nullptr, false); }},
        {"flash start", [](auto& s) { return s.requestFlashStart(); }},
        {"flash read start", [](auto& s) { return s.requestFlashReadStart(); }},
        {"monitor", [](auto& s) { return s.requestMonitor(true); }},
        {"monitor text", [](auto& s) { return s.requestMonitorText("x"); }},
        {"password change", [](auto& s) { return s.requestPasswordChange("a", "b"); }},
    };
    for (const auto& [name, send] : needLink) {
        for (bool withoutHost : {false, true}) {
            SCOPED_TRACE(std::string(name) + (withoutHost ? " without host" : " link refused"));
            SessionRig r;
            r.host.linkAnswer = 0;
            if (withoutHost) {
                r.session.notifyWindow = nullptr;
            }
            r.session.state = SessionState::Failed;
            EXPECT_FALSE(send(r.session));
            EXPECT_TRUE(r.channel.sent.empty());
            EXPECT_TRUE(r.trace.lines.empty());
            EXPECT_TRUE(r.trace.dumps.empty());
            EXPECT_TRUE(r.host.posted.empty());
            EXPECT_EQ(r.clock.running(), 0u);
            EXPECT_EQ(r.session.state, SessionState::Failed);
        }
    }
}

TEST(DeviceSessionRequests, RepeatOfThePendingRequestCountsAsRetry) {
    SessionRig r;
    r.session.requestMonitor(true);
    r.session.requestMonitor(true);
    EXPECT_EQ(r.session.retryCount, 1);
    r.session.requestMonitor(false); // another operation starts its own count
    EXPECT_EQ(r.session.retryCount, 0);

    r.session.requestReset();
    r.session.requestReset();
    r.session.requestReset();
    EXPECT_EQ(r.session.retryCount, 2);

    // A configuration read started from another state begins with packet 0.
    r.session.packetNumber = 3;
    r.session.requestConfigRead(false);
    EXPECT_EQ(r.session.packetNumber, 0);
    EXPECT_EQ(r.lastSent().substr(0, 35), "A1 0A 42 00 46 03 03 80 00 88 01 00");
}

TEST(DeviceSessionRequests, SystemInfoForgetsVersionsBeforeAsking) {
    SessionRig r;
    r.session.firmwareVersion = "old";
    r.session.loaderVersion = "old";
    r.session.activePartition = 2;
    r.session.requestSystemInfo();
    EXPECT_EQ(r.session.firmwareVersion, "");
    EXPECT_EQ(r.session.loaderVersion, "");
    EXPECT_EQ(r.session.activePartition, 0xFF);
}

TEST(DeviceSessionRequests, ConfigWriteSwapsTheTagInPacketZeroOnly) {
    SessionRig r;
    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7);
    }
    image[0] = 0x62; // tag 0x1862, little-endian in the record
    image[1] = 0x18;
    ASSERT_TRUE(r.session.requestConfigWrite(&image, false));
    EXPECT_EQ(r.trace.lines.back(), "Write configuration data (packet:0)");
    const Bytes& first = r.channel.sent.back();
    // 0x41 leads with its 128 bytes, then the address and the empty password.
    ASSERT_EQ(first.size(), 3u + 130 + 5 + 3);
    EXPECT_EQ(rig::hex(Bytes(first.begin(), first.begin() + 6)), "A1 8A 41 80 18 62");
    EXPECT_TRUE(std::equal(image.begin() + 2, image.begin() + 128, first.begin() + 6));
    EXPECT_EQ(rig::hex(Bytes(first.begin() + 132, first.end() - 1)), "46 03 03 80 00 88 01 00");

    r.session.packetNumber = 4;
    image[0] = 0; // a later packet takes no new copy of the record
    ASSERT_TRUE(r.session.requestConfigWrite(nullptr, false));
    const Bytes& last = r.channel.sent.back();
    EXPECT_TRUE(std::equal(image.begin() + 512, image.end(), last.begin() + 4));
    EXPECT_EQ(rig::hex(Bytes(last.begin() + 132, last.begin() + 137)), "46 03 03 82 00");
    EXPECT_EQ(r.session.configImage[0], 0x62);
}

TEST(DeviceSessionRequests, FirmwareChunksFromTheFile) {
    TempDir dir;
    const std::string path = dir.file("fw.bin");
    Bytes file(1000);
    for (std::size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<std::uint8_t>(i % 251);
    }
    std::fill(file.begin() + 256, file.begin() + 384, 0x7E);
    std::fill(file.begin() + 384, file.begin() + 512, 0x00);
    ASSERT_TRUE(FileAppend(path, file.data(), static_cast<std::uint32_t>(file.size())));

    struct ChunkCase {
        std::int32_t offset;
        Bytes data; // the value of field 0x22
        int percent;
    };
    Bytes tail(file.begin() + 896, file.end());
    tail.resize(128, 0xFF);
    const ChunkCase cases[] = {
        {0, Bytes(file.begin(), file.begin() + 128), 12},
        {128, Bytes(file.begin() + 128, file.begin() + 256), 25},
        {256, {0x7E}, 38},  // uniform: one byte stands for 128
        {384, {0x00}, 51},  // zeros too
        {896, tail, 102},   // short last chunk filled with 0xFF, progress beyond 100
        {1024, {0xFF}, 115} // wholly past the end
    };
    for (const ChunkCase& c : cases) {
        SCOPED_TRACE(c.offset);
        SessionRig r;
        r.session.useFirmwareFile(path);
        ASSERT_EQ(r.session.flashTotal, 1000);
        r.session.flashOffset = c.offset;
        ASSERT_TRUE(r.session.requestFlashChunk(false));
        ProtocolFrame sent;
        std::copy(r.channel.sent[0].begin(), r.channel.sent[0].end(), sent.bytes.begin());
        const auto data = frameFindField(sent, 0x22);
        const auto offset = frameFindField(sent, 0x26);
        ASSERT_TRUE(data && offset);
        EXPECT_EQ(Bytes(data->value.begin(), data->value.end()), c.data);
        EXPECT_EQ(Bytes(offset->value.begin(), offset->value.end()),
                  (Bytes{0, static_cast<std::uint8_t>(c.offset >> 8),
                         static_cast<std::uint8_t>(c.offset)}));
        EXPECT_EQ(r.host.posted.back(), std::make_pair(SessionProgress::FlashChunkSent, c.percent));
        // A re-send reports no progress.
        r.session.requestFlashChunk(true);
        EXPECT_EQ(r.host.posted.size(), 1u);
        EXPECT_EQ(r.channel.sent[1], r.channel.sent[0]);
    }
}

TEST(DeviceSessionRequests, OverlongTextsAreCut) {
    SessionRig r;
    const std::string longText(200, 'm');
    r.session.requestMonitorText(longText);
    EXPECT_EQ(r.channel.sent.back()[2], 0x33);
    EXPECT_EQ(r.channel.sent.back()[3], 127);
    const std::string longPassword(40, 'p');
    r.session.requestPasswordChange(longPassword, longPassword);
    EXPECT_EQ(r.channel.sent.back()[2], 0x28);
    EXPECT_EQ(r.channel.sent.back()[3], 32 + 1) << "32 characters and the zero byte";
}

TEST(DeviceSessionRequests, FormatResultHex) {
    const std::pair<Bytes, const char*> cases[] = {
        {{}, ""},
        {{0x01, 0x9E}, "01 9E"},
        {{0x0A}, "0A"},
        {Bytes(30, 0xAB), "AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB"},
    };
    for (const auto& [value, text] : cases) {
        DeviceSession s;
        s.resultHex = "stale";
        FramePtr f = rig::makeFrame(0xA3, {{0x71, value}});
        s.formatResultHex(frameFindField(*f, 0x71));
        EXPECT_EQ(s.resultHex, text);
        EXPECT_LE(s.resultHex.size(), kMaxVersionText);
    }
    DeviceSession s;
    s.resultHex = "stale";
    s.formatResultHex(std::nullopt);
    EXPECT_EQ(s.resultHex, "");
}

TEST(DeviceSessionRequests, IsResponding) {
    SessionRig r;
    EXPECT_TRUE(r.session.isResponding());
    r.session.state = SessionState::Failed;
    EXPECT_FALSE(r.session.isResponding());
    r.session.state = SessionState::Ready;
    r.channel.open = false;
    EXPECT_FALSE(r.session.isResponding());
    r.session.channel = nullptr;
    EXPECT_FALSE(r.session.isResponding());
}

TEST(DeviceSessionRequestsDeathTest, OutOfMemoryAsksTheHostThenEndsWithCodeOne) {
    EXPECT_EXIT(
        {
            SessionRig r;
            r.host.onFatal = [] { std::fputs("host shows the memory message\n", stderr); };
            r.session.fatalOutOfMemory();
        },
        ::testing::ExitedWithCode(1), "host shows the memory message");
    EXPECT_EXIT(
        {
            DeviceSession s;
            s.fatalOutOfMemory();
        },
        ::testing::ExitedWithCode(1), "");
}

} // namespace
