#include "SessionRig.h"
#include "TempDir.h"
#include "TestFiles.h"

#include "config/FileHelpers.h"
#include "protocol/DeviceSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>

using namespace vandrel;
using rig::Bytes;
using rig::SessionRig;

namespace {

struct RequestCase {
    const char* name;
    // Brings the session to the step before; what it sends is not looked at.
    std::function<void(SessionRig&, const TempDir&)> setup;
    std::function<bool(SessionRig&, const TempDir&)> send;
    const char* frame;
    const char* statusLine; // "" = none
    std::optional<std::pair<SessionProgress, int>> progress;
    int timeoutMs;
    SessionState state;
    OperationKind operation;
    // The frame as the trace shows it, when it carries a password; null: as sent.
    const char* traced = nullptr;
};

void none(SessionRig&, const TempDir&) {}

std::string firmwareOf(const TempDir& dir, std::size_t size) {
    const std::string path = dir.file("fw.bin");
    testfiles::write(path, testfiles::firmware(std::max<std::size_t>(size, 294)));
    if (size < 294) {
        std::filesystem::resize_file(path, size);
    }
    return path;
}

const RequestCase kRequests[] = {
    {"ResetNoPassword",
     none,
     [](auto& r, auto&) { return r.session.requestReset(); },
     "A1 05 81 00 88 01 00 50",
     "Device RESET",
     {{SessionProgress::ResetSent, 0}},
     5000,
     SessionState::Resetting,
     OperationKind::Reset,
     "A1 05 81 00 88 01 ** 50"},
    {"ResetWithPassword",
     [](auto& r, auto&) { r.session.setAccessPassword("abc"); },
     [](auto& r, auto&) { return r.session.requestReset(); },
     "A1 08 81 00 88 04 61 62 63 00 24",
     "Device RESET",
     {{SessionProgress::ResetSent, 0}},
     5000,
     SessionState::Resetting,
     OperationKind::Reset,
     "A1 08 81 00 88 04 ** ** ** ** 24"},
    {"SystemInfo",
     none,
     [](auto& r, auto&) { return r.session.requestSystemInfo(); },
     "A1 02 15 00 48",
     "Get system info",
     {{SessionProgress::SystemInfoSent, 0}},
     1000,
     SessionState::Ready,
     OperationKind::SystemInfo},
    {"ConfigReadPacket3",
     [](auto& r, auto&) {
         r.session.setAccessPassword("x");
         r.session.requestConfigRead();
         r.deliver(0xA2, {{0x42, Bytes(128)}});
         r.deliver(0xA2, {{0x42, Bytes(128)}});
     },
     [](auto& r, auto&) {
         r.deliver(0xA2, {{0x42, Bytes(128)}}); // packet 2 is in: packet 3 follows
         return true;
     },
     "A1 0B 42 00 46 03 03 81 80 88 02 78 00 C3",
     "Read configuration data (packet:3)",
     {{SessionProgress::ConfigReadSent, 0}},
     1000,
     SessionState::ConfigReading,
     OperationKind::ConfigRead,
     "A1 0B 42 00 46 03 03 81 80 88 02 ** ** C3"},
    {"FlashStart",
     [](auto& r, auto&) { r.session.setAccessPassword("abc"); },
     [](auto& r, auto& dir) { return r.session.startFlashLoading(firmwareOf(dir, 1000)); },
     "A1 09 21 01 01 88 04 61 62 63 00 81",
     "Start FLASH loading",
     {{SessionProgress::FlashStartSent, 0}},
     15000,
     SessionState::FlashStart,
     OperationKind::FlashLoading,
     "A1 09 21 01 01 88 04 ** ** ** ** 81"},
    {"FlashStopAfterTheLastChunk",
     [](auto& r, auto& dir) {
         r.session.startFlashLoading(firmwareOf(dir, 200));
         r.deliver(0xA2, {{0x21, {}}});
         r.deliver(0xA2, {{0x26, {0, 0, 0}}});
     },
     [](auto& r, auto&) {
         r.deliver(0xA2, {{0x26, {0, 0, 0x80}}});
         return true;
     },
     "A1 02 29 00 34",
     "Stop FLASH loading",
     {{SessionProgress::FlashChunkSent, 100}},
     1000,
     SessionState::FlashLoading,
     OperationKind::FlashLoading},
    {"FlashCancel",
     [](auto& r, auto& dir) {
         r.session.startFlashLoading(firmwareOf(dir, 1000));
         r.deliver(0xA2, {{0x21, {}}});
     },
     [](auto& r, auto&) {
         r.session.cancel();
         return true;
     },
     "A1 02 27 00 36", "Cancel FLASH loading", std::nullopt, 1000, SessionState::FlashLoading,
     OperationKind::FlashLoading},
    {"FlashReadStart",
     none,
     [](auto& r, auto& dir) {
         return r.session.startFlashDownloading(dir.file("image.bin")) ==
                DeviceSession::DownloadStart::Started;
     },
     "A1 05 24 00 88 01 00 AD",
     "Start FLASH downloading",
     {{SessionProgress::FlashReadStartSent, 0}},
     5000,
     SessionState::Ready,
     OperationKind::FlashDownloading,
     "A1 05 24 00 88 01 ** AD"},
    {"FlashReadAtAThreeByteOffset",
     [](auto& r, auto& dir) {
         r.session.startFlashDownloading(dir.file("image.bin"));
         r.deliver(0xA2, {{0x24, {0x01, 0xFF, 0x80}}}); // 0x20000 bytes
         while (r.session.flashOffset() < 0x012300) {
             r.deliver(0xA2, {{0x42, {0x00}}});
         }
     },
     [](auto& r, auto&) {
         r.deliver(0xA2, {{0x42, {0x00}}, {0x46, {0x01, 0x23, 0x00}}});
         return true;
     },
     "A1 07 42 00 46 03 01 23 80 29",
     "",
     {{SessionProgress::FlashBlockRequested, 57}},
     1000,
     SessionState::Ready,
     OperationKind::FlashDownloading},
    {"MonitorOn",
     none,
     [](auto& r, auto&) { return r.session.requestMonitor(true); },
     "A1 02 31 00 2C",
     "",
     {{SessionProgress::MonitorSent, 0}},
     1000,
     SessionState::Ready,
     OperationKind::MonitorSwitch},
    {"MonitorOff",
     none,
     [](auto& r, auto&) { return r.session.requestMonitor(false); },
     "A1 02 32 00 2B",
     "",
     {{SessionProgress::MonitorSent, 0}},
     1000,
     SessionState::Ready,
     OperationKind::MonitorSwitch},
    {"MonitorText",
     none,
     [](auto& r, auto&) { return r.session.requestMonitorText("V=11\r\n"); },
     "A1 0B 33 06 56 3D 31 31 0D 0A 88 01 00 86",
     "",
     {{SessionProgress::MonitorSent, 0}},
     1000,
     SessionState::Ready,
     OperationKind::MonitorCommand,
     "A1 0B 33 06 56 3D 31 31 0D 0A 88 01 ** 86"},
    {"PasswordChange",
     [](auto& r, auto&) { r.session.setAccessPassword("ignored"); },
     [](auto& r, auto&) { return r.session.requestPasswordChange("new", "old"); },
     "A1 0C 28 04 6E 65 77 00 88 04 6F 6C 64 00 12",
     "",
     {{SessionProgress::PasswordChangeSent, 0}},
     1000,
     SessionState::Ready,
     OperationKind::PasswordChange,
     "A1 0C 28 04 ** ** ** ** 88 04 ** ** ** ** 12"},
};

class RequestFrames : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestFrames, SendsExactFrameTraceProgressAndTimer) {
    const RequestCase& c = GetParam();
    TempDir dir;
    SessionRig r;
    c.setup(r, dir);
    r.channel.sent.clear();
    r.trace.lines.clear();
    r.trace.colours.clear();
    r.trace.dumps.clear();
    r.host.posted.clear();

    ASSERT_TRUE(c.send(r, dir));

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
    std::vector<std::string> out;
    std::copy_if(r.trace.dumps.begin(), r.trace.dumps.end(), std::back_inserter(out),
                 [](const std::string& d) { return d.starts_with("OUT: "); });
    // Passwords never reach the trace; the rest of the frame does, byte for byte.
    EXPECT_EQ(out,
              std::vector<std::string>{std::string("OUT: ") + (c.traced ? c.traced : c.frame)});
    if (c.progress) {
        EXPECT_EQ(r.host.posted, (std::vector<std::pair<SessionProgress, int>>{*c.progress}));
    } else {
        EXPECT_TRUE(r.host.posted.empty());
    }
    EXPECT_EQ(r.timeout(), c.timeoutMs);
    EXPECT_EQ(r.session.state(), c.state);
    EXPECT_EQ(r.session.operation(), c.operation);
    EXPECT_EQ(r.session.retryCount(), 0) << "a new step starts its own count";
}

INSTANTIATE_TEST_SUITE_P(DeviceSession, RequestFrames, ::testing::ValuesIn(kRequests),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceSessionRequests, RefusedLinkSendsAndChangesNothing) {
    TempDir dir;
    const std::pair<const char*, std::function<bool(DeviceSession&)>> needLink[] = {
        {"reset", [](auto& s) { return s.requestReset(); }},
        {"config read", [](auto& s) { return s.requestConfigRead(); }},
        {"config write", [](auto& s) { return s.requestConfigWrite(ConfigImage{}); }},
        {"flash loading", [](auto& s) { return s.startFlashLoading("/nonexistent/fw.bin"); }},
        {"flash downloading",
         [&](auto& s) {
             return s.startFlashDownloading(dir.file("image.bin")) ==
                    DeviceSession::DownloadStart::Started;
         }},
        {"monitor", [](auto& s) { return s.requestMonitor(true); }},
        {"monitor text", [](auto& s) { return s.requestMonitorText("x"); }},
        {"password change", [](auto& s) { return s.requestPasswordChange("a", "b"); }},
    };
    for (const auto& [name, send] : needLink) {
        for (bool withoutHost : {false, true}) {
            SCOPED_TRACE(std::string(name) + (withoutHost ? " without host" : " link refused"));
            SessionRig r;
            r.failByTimeouts();
            r.forget();
            r.host.linkAnswer = 0;
            if (withoutHost) {
                SessionLinks links = r.links();
                links.host = nullptr;
                r.session.connect(links);
            }
            EXPECT_FALSE(send(r.session));
            EXPECT_TRUE(r.channel.sent.empty());
            EXPECT_TRUE(r.trace.lines.empty());
            EXPECT_TRUE(r.trace.dumps.empty());
            EXPECT_TRUE(r.host.posted.empty());
            EXPECT_EQ(r.clock.running(), 0u);
            EXPECT_EQ(r.session.state(), SessionState::Failed);
            EXPECT_EQ(r.session.operation(), OperationKind::None) << "nothing is remembered";
            EXPECT_TRUE(r.host.results.empty()) << "nothing started, nothing ended";
        }
    }
    // No image file is made before the image comes.
    EXPECT_FALSE(std::filesystem::exists(dir.file("image.bin")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    // Host errors: no file to load, a file that cannot be created.
    SessionRig r;
    EXPECT_FALSE(r.session.startFlashLoading(""));
    EXPECT_EQ(r.session.startFlashDownloading(dir.file("no/such/folder/image.bin")),
              DeviceSession::DownloadStart::FileError);
    EXPECT_TRUE(r.channel.sent.empty());
    EXPECT_EQ(r.host.linkQueries, 0) << "not even the link is asked for";
}

TEST(DeviceSessionRequests, RepeatOfThePendingRequestCountsAsRetry) {
    SessionRig r;
    r.session.requestMonitor(true);
    r.session.requestMonitor(true);
    EXPECT_EQ(r.session.retryCount(), 1);
    EXPECT_EQ(r.channel.sent.size(), 2u);
    EXPECT_TRUE(r.host.results.empty()) << "the same switch goes on";
    r.session.requestMonitor(false); // another operation starts its own count
    EXPECT_EQ(r.session.retryCount(), 0);
    ASSERT_EQ(r.host.results.size(), 1u);
    EXPECT_EQ(r.host.results[0].kind, OperationKind::MonitorSwitch);
    EXPECT_EQ(r.host.results[0].outcome, Outcome::Replaced);

    // Any other request asked again is a new operation with its own count.
    r.session.requestReset();
    r.session.requestReset();
    EXPECT_EQ(r.session.retryCount(), 0);

    // A configuration read that another request interrupted is gone: a new read begins with
    // packet 0.
    r.session.requestConfigRead();
    r.deliver(0xA2, {{0x42, Bytes(128)}});
    r.deliver(0xA2, {{0x42, Bytes(128)}});
    EXPECT_EQ(r.session.packetNumber(), 2);
    r.session.requestReset();
    EXPECT_EQ(r.session.operation(), OperationKind::Reset);
    r.session.requestConfigRead();
    EXPECT_EQ(r.session.packetNumber(), 0);
    EXPECT_EQ(r.lastSent().substr(0, 35), "A1 0A 42 00 46 03 03 80 00 88 01 00");
}

TEST(DeviceSessionRequests, SystemInfoForgetsVersionsBeforeAsking) {
    SessionRig r;
    r.session.requestSystemInfo();
    r.deliver(0xA2, {{0x15, {'o', 'l', 'd'}}, {0x16, {'o', 'l', 'd'}}, {0x51, {2}}});
    ASSERT_EQ(r.session.firmwareVersion(), "old");
    r.session.requestSystemInfo();
    EXPECT_EQ(r.session.firmwareVersion(), "");
    EXPECT_EQ(r.session.loaderVersion(), "");
    EXPECT_EQ(r.session.activePartition(), 0xFF);
}

TEST(DeviceSessionRequests, ConfigWriteSwapsTheTagInPacketZeroOnly) {
    SessionRig r;
    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7);
    }
    image[0] = 0x62; // tag 0x1862, little-endian in the record
    image[1] = 0x18;
    ASSERT_TRUE(r.session.requestConfigWrite(image));
    EXPECT_EQ(r.trace.lines.back(), "Write configuration data (packet:0)");
    const Bytes& first = r.channel.sent.back();
    // 0x41 leads with its 128 bytes, then the address and the empty password.
    ASSERT_EQ(first.size(), 3u + 130 + 5 + 3);
    EXPECT_EQ(rig::hex(Bytes(first.begin(), first.begin() + 6)), "A1 8A 41 80 18 62");
    EXPECT_TRUE(std::equal(image.begin() + 2, image.begin() + 128, first.begin() + 6));
    EXPECT_EQ(rig::hex(Bytes(first.begin() + 132, first.end() - 1)), "46 03 03 80 00 88 01 00");

    const ConfigImage sent = image;
    image.fill(0); // the write took its own copy of the record
    for (int packet = 1; packet <= 4; ++packet) {
        r.deliver(0xA2, {{0x41, {}}});
    }
    EXPECT_EQ(r.session.packetNumber(), 4);
    const Bytes& last = r.channel.sent.back();
    EXPECT_TRUE(std::equal(sent.begin() + 512, sent.end(), last.begin() + 4));
    EXPECT_EQ(rig::hex(Bytes(last.begin() + 132, last.begin() + 137)), "46 03 03 82 00");
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
        {256, {0x7E}, 38}, // uniform: one byte stands for 128
        {384, {0x00}, 51}, // zeros too
        {896, tail, 102},  // short last chunk filled with 0xFF, progress beyond 100
    };
    for (const ChunkCase& c : cases) {
        SCOPED_TRACE(c.offset);
        SessionRig r;
        ASSERT_TRUE(r.session.startFlashLoading(path));
        ASSERT_EQ(r.session.flashTotal(), 1000);
        r.deliver(0xA2, {{0x21, {}}});
        for (std::int32_t acked = 0; acked < c.offset; acked += 128) {
            r.deliver(0xA2, {{0x26,
                              {0, static_cast<std::uint8_t>(acked >> 8),
                               static_cast<std::uint8_t>(acked)}}});
        }
        ASSERT_EQ(r.session.flashOffset(), c.offset);
        ProtocolFrame sent;
        std::copy(r.channel.sent.back().begin(), r.channel.sent.back().end(), sent.bytes.begin());
        const auto data = frameFindField(sent, 0x22);
        const auto offset = frameFindField(sent, 0x26);
        ASSERT_TRUE(data && offset);
        EXPECT_EQ(Bytes(data->value.begin(), data->value.end()), c.data);
        EXPECT_EQ(Bytes(offset->value.begin(), offset->value.end()),
                  (Bytes{0, static_cast<std::uint8_t>(c.offset >> 8),
                         static_cast<std::uint8_t>(c.offset)}));
        const auto chunkReport =
            std::find_if(r.host.posted.rbegin(), r.host.posted.rend(),
                         [](const auto& p) { return p.first == SessionProgress::FlashChunkSent; });
        ASSERT_NE(chunkReport, r.host.posted.rend());
        EXPECT_EQ(chunkReport->second, c.percent);
        // A re-send reports no progress.
        const std::size_t posts = r.host.posted.size();
        const Bytes first = r.channel.sent.back();
        r.clock.advance(1000);
        EXPECT_EQ(r.host.posted.size(), posts);
        EXPECT_EQ(r.channel.sent.back(), first);
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

TEST(DeviceSessionRequests, ResultHexOfARefusal) {
    const std::pair<Bytes, const char*> cases[] = {
        {{}, ""},
        {{0x01, 0x9E}, "01 9E"},
        {{0x0A}, "0A"},
        {Bytes(30, 0xAB), "AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(text);
        SessionRig r;
        r.session.requestSystemInfo();
        r.deliver(0xA3, {{0x71, {0x55}}});
        r.deliver(0xA3, {{0x71, value}});
        EXPECT_EQ(r.session.resultHex(), text);
        EXPECT_LE(r.session.resultHex().size(), kMaxVersionText);
    }
    // A refusal without a status field leaves an empty text.
    SessionRig r;
    r.session.requestSystemInfo();
    r.deliver(0xA3, {{0x71, {0x55}}});
    r.deliver(0xA3, {});
    EXPECT_EQ(r.session.resultHex(), "");
}

TEST(DeviceSessionRequests, IsResponding) {
    SessionRig r;
    EXPECT_TRUE(r.session.isResponding());
    r.failByTimeouts();
    EXPECT_EQ(r.session.state(), SessionState::Failed);
    EXPECT_FALSE(r.session.isResponding());
    r.deliver(0xA1, {{0x13, {0x01}}}); // the converter is back
    EXPECT_EQ(r.session.state(), SessionState::Ready);
    EXPECT_TRUE(r.session.isResponding());
    r.channel.open = false;
    EXPECT_FALSE(r.session.isResponding());
    SessionLinks links = r.links();
    links.channel = nullptr;
    r.session.connect(links);
    EXPECT_FALSE(r.session.isResponding());
}

TEST(DeviceSessionRequestsDeathTest, OutOfMemoryAsksTheHostThenEndsWithCodeOne) {
    EXPECT_EXIT(
        {
            rig::Host host;
            host.onFatal = [] { std::fputs("host shows the memory message\n", stderr); };
            OperationContext context([](TimerId) {}, [](OperationResult) {});
            context.links.host = &host;
            context.fatalOutOfMemory();
        },
        ::testing::ExitedWithCode(1), "host shows the memory message");
    EXPECT_EXIT(
        {
            OperationContext context([](TimerId) {}, [](OperationResult) {});
            context.fatalOutOfMemory();
        },
        ::testing::ExitedWithCode(1), "");
}

} // namespace
