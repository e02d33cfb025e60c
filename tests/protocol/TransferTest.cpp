#include "ScriptedConverter.h"
#include "SessionRig.h"
#include "TempDir.h"
#include "TestFiles.h"

#include "protocol/DeviceSession.h"
#include "protocol/FirmwareFile.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vandrel;
using rig::Bytes;
using rig::SessionRig;
using Posts = std::vector<std::pair<SessionProgress, int>>;

namespace {

Bytes patterned(std::size_t n, int seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) {
        b[i] = static_cast<std::uint8_t>(i * 13 + seed);
    }
    return b;
}

std::vector<int> progressOf(const rig::Host& host, SessionProgress code) {
    std::vector<int> values;
    for (const auto& [c, v] : host.posted) {
        if (c == code) {
            values.push_back(v);
        }
    }
    return values;
}

TEST(ConfigTransfer, ReadsFivePacketsAndSwapsTheTag) {
    SessionRig r;
    ScriptedConverter conv(r);
    conv.configMemory = patterned(640, 3);
    conv.configMemory[0] = 0x18; // tag 0x1862, most significant byte first on the wire
    conv.configMemory[1] = 0x62;
    ASSERT_TRUE(r.session.requestConfigRead(false));
    r.clock.runUntilIdle();

    Bytes expected = conv.configMemory;
    std::swap(expected[0], expected[1]);
    EXPECT_EQ(Bytes(r.session.configImage.begin(), r.session.configImage.end()), expected);
    EXPECT_EQ(progressOf(r.host, SessionProgress::ConfigReadSent), std::vector<int>(5, 0));
    EXPECT_EQ(r.host.count(SessionProgress::ConfigReadEnded, 1), 1);
    // The system information follows at once.
    EXPECT_EQ(r.host.count(SessionProgress::SystemInfoEnded, 1), 1);
    EXPECT_EQ(r.session.firmwareVersion, "FW2");
    EXPECT_EQ(r.session.state, SessionState::Ready);
    for (int p = 0; p < 5; ++p) {
        EXPECT_NE(std::find(r.trace.lines.begin(), r.trace.lines.end(),
                            "Read configuration data (packet:" + std::to_string(p) + ")"),
                  r.trace.lines.end());
    }
    EXPECT_EQ(r.channel.sent.size(), 6u);
}

TEST(ConfigTransfer, WritesFivePacketsAndSwapsTheTag) {
    SessionRig r;
    ScriptedConverter conv(r);
    Bytes record = patterned(640, 9);
    record[0] = 0x62;
    record[1] = 0x18;
    ConfigImage image;
    std::copy(record.begin(), record.end(), image.begin());
    ASSERT_TRUE(r.session.requestConfigWrite(&image, false));
    r.clock.runUntilIdle();

    Bytes wire = record;
    std::swap(wire[0], wire[1]);
    EXPECT_EQ(conv.configMemory, wire);
    EXPECT_EQ(progressOf(r.host, SessionProgress::ConfigWriteSent), std::vector<int>(5, 0));
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::ConfigWriteEnded, 1));
    EXPECT_EQ(r.session.state, SessionState::Ready);
    EXPECT_EQ(r.channel.sent.size(), 5u) << "nothing follows the write from the engine";
}

TEST(ConfigTransfer, ShortPacketAndRefusals) {
    // A short read answer is stored as 128 bytes, the missing part zero.
    SessionRig r;
    r.session.configImage.fill(0xEE);
    r.session.requestConfigRead(false);
    r.session.packetNumber = 1;
    r.deliver(0xA2, {{0x42, {1, 2, 3}}});
    EXPECT_EQ(r.session.configImage[128], 1);
    EXPECT_EQ(r.session.configImage[130], 3);
    EXPECT_EQ(r.session.configImage[131], 0);
    EXPECT_EQ(r.session.configImage[255], 0);
    EXPECT_EQ(r.session.configImage[256], 0xEE);
    EXPECT_EQ(r.session.packetNumber, 2);

    // Refused three more times: the fourth refusal fails with the status text.
    for (bool writing : {false, true}) {
        SCOPED_TRACE(writing);
        SessionRig f;
        ConfigImage image{};
        writing ? f.session.requestConfigWrite(&image, false) : f.session.requestConfigRead(false);
        for (int i = 0; i < 4; ++i) {
            f.deliver(0xA3, {{0x71, {0x01, 0x55}}});
        }
        EXPECT_EQ(f.channel.sent.size(), 4u);
        EXPECT_EQ(f.session.resultHex, "01 55");
        EXPECT_EQ(f.host.last(), std::make_pair(writing ? SessionProgress::ConfigWriteEnded
                                                        : SessionProgress::ConfigReadEnded,
                                                2));
        EXPECT_EQ(f.session.state, SessionState::Ready);
        EXPECT_EQ(f.session.timerId, 0u);
        // Answers of the other transfer, and stray frames, are ignored.
        f.session.requestConfigRead(false);
        f.deliver(0xA2, {{0x41, {}}});
        f.deliver(0xA1, {{0x42, Bytes(128)}});
        EXPECT_EQ(f.session.packetNumber, 0);
        EXPECT_NE(f.session.timerId, 0u);
    }
}

TEST(FirmwareFile, HeaderCheck) {
    struct HeaderCase {
        const char* name;
        std::function<void(Bytes&)> damage;
        bool accepted;
        const char* version;
    };
    const HeaderCase cases[] = {
        {"valid", [](Bytes&) {}, true, "V2.10"},
        {"maker text continued at 275", [](Bytes& b) { b[275] = 'x'; }, false, "V2.10"},
        {"byte 276", [](Bytes& b) { b[276] = 1; }, false, "V2.10"},
        {"byte 293", [](Bytes& b) { b[293] = 1; }, false, "V2.10"},
        {"maker case", [](Bytes& b) { b[256] = 'q'; }, false, "V2.10"},
        {"sixteen-character version",
         [](Bytes& b) { std::fill(b.begin() + 277, b.begin() + 293, 'z'); }, true,
         "zzzzzzzzzzzzzzzz"},
        {"too short", [](Bytes& b) { b.resize(293); }, false, ""},
    };
    TempDir dir;
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = testfiles::firmware(294);
        c.damage(file);
        testfiles::write(dir.file("fw.bin"), file);
        std::string version;
        EXPECT_EQ(checkFirmwareHeader(dir.file("fw.bin"), version), c.accepted);
        EXPECT_EQ(version, c.version);
    }
    std::string version;
    EXPECT_FALSE(checkFirmwareHeader(dir.file("missing.bin"), version));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.bin"))) << "no file is left behind";
}

TEST(FlashLoading, UserStartedLoadsTheWholeFile) {
    TempDir dir;
    const Bytes fw = testfiles::firmware(294);
    testfiles::write(dir.file("fw.bin"), fw);
    SessionRig r;
    ScriptedConverter conv(r);
    r.session.useFirmwareFile(dir.file("fw.bin"));
    EXPECT_EQ(r.session.flashTotal, 294);
    ASSERT_TRUE(r.session.requestFlashStart());
    r.clock.runUntilIdle();

    Bytes expected = fw;
    expected.resize(384, 0xFF); // three chunks, the last 90 bytes erased
    EXPECT_EQ(conv.firmware(), expected);
    EXPECT_EQ(progressOf(r.host, SessionProgress::FlashChunkSent),
              (std::vector<int>{43, 87, 130, 100}));
    EXPECT_EQ(progressOf(r.host, SessionProgress::FlashStartSent), (std::vector<int>{0, 0}));
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashLoadEnded, 1));
    EXPECT_EQ(r.trace.lines.back(), "Stop FLASH loading");
    EXPECT_EQ(r.session.state, SessionState::Ready);
    EXPECT_EQ(r.session.flashFilePath, "");
    EXPECT_EQ(r.session.flashTotal, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("fw.bin"))) << "the firmware file stays";
}

TEST(FlashLoading, ConverterStartedWaitsForTheFile) {
    TempDir dir;
    const Bytes fw = testfiles::firmware(300);
    testfiles::write(dir.file("fw.bin"), fw);
    SessionRig r;
    ScriptedConverter conv(r);
    r.deliver(0xA1, {{0x11, {0x01}}, {0x71, {0x9F}}});
    EXPECT_EQ(r.host.count(SessionProgress::LoaderWaitsForFirmware, 0), 1);
    r.clock.runUntilIdle();
    // Accepted before any file was chosen: no chunk yet.
    EXPECT_EQ(r.session.state, SessionState::FlashLoading);
    EXPECT_EQ(r.session.timerId, 0u);
    EXPECT_TRUE(conv.chunks.empty());

    r.session.useFirmwareFile(dir.file("fw.bin"));
    ASSERT_TRUE(r.session.requestFlashChunk(false));
    r.clock.runUntilIdle();
    Bytes expected = fw;
    expected.resize(384, 0xFF);
    EXPECT_EQ(conv.firmware(), expected);
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashLoadEnded, 1));
}

TEST(FlashLoading, NextChunkFollowsTheAcknowledgedAddress) {
    TempDir dir;
    testfiles::write(dir.file("fw.bin"), testfiles::firmware(1024));
    SessionRig r;
    r.session.useFirmwareFile(dir.file("fw.bin"));
    r.session.requestFlashStart();
    r.deliver(0xA2, {{0x21, {}}});
    EXPECT_NE(r.lastSent().find("26 03 00 00 00"), std::string::npos);
    r.deliver(0xA2, {{0x26, {0x00, 0x02, 0x00}}}); // the converter took 0x200
    EXPECT_EQ(r.session.flashOffset, 0x280);
    EXPECT_NE(r.lastSent().find("26 03 00 02 80"), std::string::npos);
    // A short address reads the missing low bytes as zero.
    r.deliver(0xA2, {{0x26, {0x00}}});
    EXPECT_EQ(r.session.flashOffset, 0x80);
    r.deliver(0xA2, {{0x26, {0x00, 0x03, 0x80}}}); // the last chunk
    EXPECT_EQ(r.lastSent(), "A1 02 29 00 34");
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashChunkSent, 100));
    EXPECT_EQ(r.session.flashOffset, 1024);
}

TEST(FlashLoading, CancelIgnoresChunkAcknowledgements) {
    TempDir dir;
    testfiles::write(dir.file("fw.bin"), testfiles::firmware(1024));
    SessionRig r;
    r.session.useFirmwareFile(dir.file("fw.bin"));
    r.session.requestFlashStart();
    r.deliver(0xA2, {{0x21, {}}});
    r.session.requestFlashCancel(false);
    const std::size_t sent = r.channel.sent.size();
    r.deliver(0xA2, {{0x26, {0, 0, 0}}});
    EXPECT_EQ(r.channel.sent.size(), sent);
    EXPECT_NE(r.session.timerId, 0u);
    r.deliver(0xA2, {{0x27, {}}});
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashLoadEnded, 4));
    EXPECT_EQ(r.session.pendingFlags, 0u);
    EXPECT_EQ(r.session.state, SessionState::Ready);
    EXPECT_EQ(r.session.flashFilePath, "");
    EXPECT_EQ(r.session.timerId, 0u);
}

TEST(FlashLoading, RefusalsRepeatTheOutstandingStep) {
    struct RefusalCase {
        const char* name;
        std::function<void(SessionRig&)> step;
        const char* repeated;
    };
    const RefusalCase cases[] = {
        {"cancel", [](auto& r) { r.session.requestFlashCancel(false); }, "A1 02 27 00 36"},
        {"stop", [](auto& r) { r.session.requestFlashStop(false); }, "A1 02 29 00 34"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig r;
        r.session.flashFilePath = "/nonexistent/fw.bin";
        r.session.flashTotal = 256;
        c.step(r);
        for (int i = 1; i <= 3; ++i) {
            r.deliver(0xA3, {{0x71, {0x42}}});
            EXPECT_EQ(r.lastSent(), c.repeated);
            EXPECT_EQ(r.session.retryCount, i);
        }
        EXPECT_TRUE(r.host.queries.empty() || r.host.queries.back() != SessionQuery::AskPassword);
        r.deliver(0xA3, {{0x71, {0x9E}}});
        EXPECT_EQ(r.channel.sent.size(), 4u);
        EXPECT_EQ(r.session.resultHex, "9E");
        EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashLoadEnded, 2));
        EXPECT_EQ(r.session.state, SessionState::Ready);
        EXPECT_EQ(r.session.pendingFlags, 0u);
        EXPECT_EQ(r.session.flashFilePath, "");
    }
}

struct Download {
    TempDir dir;
    SessionRig r;
    ScriptedConverter conv{r};
    std::string image = dir.file("image.bin");

    explicit Download(Bytes flash) {
        conv.flashImage = std::move(flash);
        EXPECT_TRUE(r.session.useImageFile(image));
    }
};

TEST(FlashDownloading, ImageFileEqualsTheConvertersFlash) {
    const Bytes sizes[] = {Bytes(128, 0xFF), patterned(128 * 5, 1)};
    for (const Bytes& flash : sizes) {
        SCOPED_TRACE(flash.size());
        Bytes withErased = flash;
        std::fill(withErased.begin(), withErased.begin() + std::min<std::size_t>(128, flash.size()),
                  0xFF); // a uniform block travels as one byte
        Download d(withErased);
        testfiles::write(d.image, Bytes(10, 1)); // chosen files start empty
        d.r.session.useImageFile(d.image);
        ASSERT_TRUE(d.r.session.requestFlashReadStart());
        d.r.clock.runUntilIdle();
        EXPECT_EQ(testfiles::read(d.image), withErased);
        EXPECT_EQ(d.r.host.last(), std::make_pair(SessionProgress::FlashReadEnded, 1));
        EXPECT_EQ(d.r.session.pendingFlags, 0u);
        EXPECT_EQ(progressOf(d.r.host, SessionProgress::FlashReadStartSent),
                  (std::vector<int>{0, 0}));
        const std::vector<int> percents =
            progressOf(d.r.host, SessionProgress::FlashBlockRequested);
        ASSERT_EQ(percents.size(), flash.size() / 128);
        EXPECT_EQ(percents.back(), 100);
    }
}

TEST(FlashDownloading, BlocksOutOfPlaceOrMalformed) {
    Download d(Bytes(1024, 0));
    d.conv.silent = true;
    d.r.session.requestFlashReadStart();
    d.r.deliver(0xA2, {{0x24, {0x00, 0x01, 0x80}}}); // 0x180 + 128 = 512 bytes
    EXPECT_EQ(d.r.session.flashTotal, 512);
    EXPECT_EQ(d.r.lastSent(), "A1 07 42 00 46 03 00 00 00 CD");

    // Another address: not written, the same block asked for again.
    d.r.deliver(0xA2, {{0x42, Bytes(128, 7)}, {0x46, {0x00, 0x01, 0x00}}});
    EXPECT_EQ(testfiles::read(d.image).size(), 0u);
    EXPECT_EQ(d.r.lastSent(), "A1 07 42 00 46 03 00 00 00 CD");
    // One byte stands for 128 copies; no address means the block asked for.
    d.r.deliver(0xA2, {{0x42, {0xFF}}});
    // A short block is padded as erased FLASH, a long one cut, so every block fills 128 bytes.
    d.r.deliver(0xA2, {{0x42, {1, 2, 3}}, {0x46, {0x00, 0x00, 0x80}}});
    d.r.deliver(0xA2, {{0x42, Bytes(200, 9)}, {0x46, {0x00, 0x01, 0x00}}});
    // A size answer now would restart the image behind the blocks written: ignored.
    d.r.deliver(0xA2, {{0x24, {0x00, 0x01, 0x80}}});
    EXPECT_EQ(d.r.session.flashOffset, 384);
    d.r.deliver(0xA2, {{0x42, {0x00}}, {0x46, {0x00, 0x01, 0x80}}});

    Bytes expected(128, 0xFF);
    Bytes shortBlock{1, 2, 3};
    shortBlock.resize(128, 0xFF);
    expected.insert(expected.end(), shortBlock.begin(), shortBlock.end());
    expected.insert(expected.end(), 128, 9);
    expected.insert(expected.end(), 128, 0);
    EXPECT_EQ(testfiles::read(d.image), expected);
    EXPECT_EQ(d.r.host.last(), std::make_pair(SessionProgress::FlashReadEnded, 1));
}

TEST(FlashDownloading, ImageSizeZeroReadsOneBlock) {
    Download d(Bytes(128, 0x5A));
    d.r.session.requestFlashReadStart();
    d.r.clock.runUntilIdle();
    EXPECT_EQ(testfiles::read(d.image), Bytes(128, 0x5A));
    EXPECT_EQ(d.r.channel.sent.size(), 2u);
}

TEST(FlashDownloading, EndingsThatDeleteOrKeepThePartialImage) {
    struct EndCase {
        const char* name;
        std::function<void(Download&)> end;
        bool fileStays;
        std::optional<std::pair<SessionProgress, int>> posted;
    };
    const EndCase cases[] = {
        {"user cancel", [](Download& d) { d.r.session.stopFlashDownloading(); }, false,
         std::nullopt},
        {"refused four times",
         [](Download& d) {
             for (int i = 0; i < 4; ++i) {
                 d.r.deliver(0xA3, {{0x71, {0x01}}});
             }
         },
         false,
         {{SessionProgress::FlashReadEnded, 2}}},
        {"timer gives up",
         [](Download& d) { d.r.clock.advance(4000); },
         false,
         {{SessionProgress::GaveUp, 0}}},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        Download p(patterned(1024, 5));
        p.conv.custom = [&](const ProtocolFrame& f) -> FramePtr {
            const auto a = frameFindField(f, 0x46);
            if (a && fieldAddress24(*a) >= 256) {
                p.conv.silent = true; // from the block after this one on
            }
            return nullptr;
        };
        p.r.session.requestFlashReadStart();
        p.r.clock.advance(100);
        ASSERT_EQ(testfiles::read(p.image).size(), 384u);
        const std::size_t sent = p.r.channel.sent.size();
        p.r.host.posted.clear();
        c.end(p);
        EXPECT_EQ(std::filesystem::exists(p.image), c.fileStays);
        EXPECT_EQ(p.r.session.pendingFlags, 0u);
        EXPECT_EQ(p.r.session.timerId, 0u);
        if (c.posted) {
            EXPECT_EQ(p.r.host.last(), *c.posted);
        } else {
            EXPECT_TRUE(p.r.host.posted.empty());
            EXPECT_EQ(p.r.channel.sent.size(), sent) << "a cancel sends nothing";
        }
    }

    // A cancelled password question keeps the (empty) file.
    Download q(Bytes(256, 1));
    q.conv.silent = true;
    q.r.session.requestFlashReadStart();
    q.r.deliver(0xA3, {{0x71, {0x9E}}});
    EXPECT_EQ(q.r.host.last(), std::make_pair(SessionProgress::FlashReadEnded, 5));
    EXPECT_TRUE(std::filesystem::exists(q.image));
}

TEST(FlashDownloading, ChoosingFirmwareForgetsAnUnfinishedDownload) {
    TempDir dir;
    const std::string firmware = dir.file("fw.bin");
    testfiles::write(firmware, testfiles::firmware(300));
    SessionRig r;
    r.session.state = SessionState::Ready;
    r.session.pendingFlags = pending::FlashReadData;
    r.session.useFirmwareFile(firmware);
    r.session.requestFlashStart();
    r.clock.advance(4 * 15000);
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::GaveUp, 0));
    EXPECT_TRUE(std::filesystem::exists(firmware)) << "a give-up never deletes the firmware";
}

} // namespace
