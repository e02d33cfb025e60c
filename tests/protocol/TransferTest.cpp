#include "FileSizeLimit.h"
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

// The configuration of the last read that completed.
ConfigImage lastRead(const rig::Host& host) {
    for (auto it = host.results.rbegin(); it != host.results.rend(); ++it) {
        if (it->kind == OperationKind::ConfigRead && it->config) {
            return *it->config;
        }
    }
    ADD_FAILURE() << "no read completed";
    return ConfigImage{};
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
    ASSERT_TRUE(r.session.requestConfigRead());
    r.clock.runUntilIdle();

    Bytes expected = conv.configMemory;
    std::swap(expected[0], expected[1]);
    const ConfigImage read = lastRead(r.host);
    EXPECT_EQ(Bytes(read.begin(), read.end()), expected);
    EXPECT_EQ(progressOf(r.host, SessionProgress::ConfigReadSent), std::vector<int>(5, 0));
    EXPECT_EQ(r.host.count(SessionProgress::ConfigReadEnded, 1), 1);
    // The system information follows at once.
    EXPECT_EQ(r.host.count(SessionProgress::SystemInfoEnded, 1), 1);
    EXPECT_EQ(r.session.firmwareVersion(), "FW2");
    EXPECT_EQ(r.session.state(), SessionState::Ready);
    EXPECT_EQ(r.session.operation(), OperationKind::None);
    // One result: the configuration and the system information beside it.
    ASSERT_EQ(r.host.results.size(), 1u);
    EXPECT_EQ(r.host.results[0].outcome, Outcome::Done);
    ASSERT_TRUE(r.host.results[0].systemInfo);
    EXPECT_EQ(r.host.results[0].systemInfo->firmwareVersion, "FW2");
    EXPECT_EQ(r.host.results[0].systemInfo->loaderVersion, "L1");
    EXPECT_EQ(r.host.results[0].systemInfo->partition, 1);
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
    ASSERT_TRUE(r.session.requestConfigWrite(image));
    r.clock.runUntilIdle();

    Bytes wire = record;
    std::swap(wire[0], wire[1]);
    EXPECT_EQ(conv.configMemory, wire);
    EXPECT_EQ(progressOf(r.host, SessionProgress::ConfigWriteSent), std::vector<int>(5, 0));
    EXPECT_EQ(r.host.count(SessionProgress::ConfigWriteEnded, 1), 1);
    EXPECT_EQ(r.session.state(), SessionState::Ready);
    // The reset follows the last packet; the write ends once the converter is back.
    ASSERT_EQ(r.channel.sent.size(), 7u) << "five packets, the reset, the restart's reply";
    EXPECT_EQ(rig::hex(r.channel.sent[5]), "A1 05 81 00 88 01 00 50");
    EXPECT_EQ(rig::hex(r.channel.sent[6]), "A2 03 14 01 01 45");
    ASSERT_EQ(r.host.results.size(), 1u);
    EXPECT_EQ(r.host.results[0].outcome, Outcome::Done);
    EXPECT_TRUE(r.host.results[0].written);
    EXPECT_EQ(r.host.results[0].readBack, ReadBack::NotAsked);
}

TEST(ConfigTransfer, ShortPacketAndRefusals) {
    // A short read answer is stored as 128 bytes, the missing part zero.
    SessionRig r;
    r.session.requestConfigRead();
    r.deliver(0xA2, {{0x42, Bytes(128, 0xEE)}});
    r.deliver(0xA2, {{0x42, {1, 2, 3}}});
    EXPECT_EQ(r.session.packetNumber(), 2);
    for (int packet = 2; packet < 5; ++packet) {
        r.deliver(0xA2, {{0x42, Bytes(128, 0xEE)}});
    }
    ASSERT_EQ(r.host.count(SessionProgress::ConfigReadEnded, 1), 1);
    r.deliver(0xA2, {{0x15, {'F'}}});
    const ConfigImage read = lastRead(r.host);
    EXPECT_EQ(read[128], 1);
    EXPECT_EQ(read[130], 3);
    EXPECT_EQ(read[131], 0);
    EXPECT_EQ(read[255], 0);
    EXPECT_EQ(read[256], 0xEE);

    // A read that fails half-way leaves the configuration read before as it was.
    r.session.requestConfigRead();
    r.deliver(0xA2, {{0x42, Bytes(128, 0x11)}});
    for (int i = 0; i < 4; ++i) {
        r.deliver(0xA3, {{0x71, {0x01}}});
    }
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::ConfigReadEnded, 2));
    ASSERT_TRUE(r.host.lastResult());
    EXPECT_EQ(r.host.lastResult()->outcome, Outcome::Refused);
    EXPECT_FALSE(r.host.lastResult()->config) << "no half-read configuration comes back";
    EXPECT_EQ(lastRead(r.host), read);

    // Refused three more times: the fourth refusal fails with the status text.
    for (bool writing : {false, true}) {
        SCOPED_TRACE(writing);
        SessionRig f;
        writing ? f.session.requestConfigWrite(ConfigImage{}) : f.session.requestConfigRead();
        for (int i = 0; i < 4; ++i) {
            f.deliver(0xA3, {{0x71, {0x01, 0x55}}});
        }
        EXPECT_EQ(f.channel.sent.size(), 4u);
        EXPECT_EQ(f.session.resultHex(), "01 55");
        EXPECT_EQ(f.host.last(), std::make_pair(writing ? SessionProgress::ConfigWriteEnded
                                                        : SessionProgress::ConfigReadEnded,
                                                2));
        EXPECT_EQ(f.session.state(), SessionState::Ready);
        EXPECT_EQ(f.session.operation(), OperationKind::None);
        EXPECT_EQ(f.session.timerId(), 0u);
        // Answers of the other transfer, and stray frames, are ignored.
        f.session.requestConfigRead();
        f.deliver(0xA2, {{0x41, {}}});
        f.deliver(0xA1, {{0x42, Bytes(128)}});
        EXPECT_EQ(f.session.packetNumber(), 0);
        EXPECT_NE(f.session.timerId(), 0u);
    }
}

// An answer that names an address other than the outstanding step's is late: it is traced and
// changes nothing. The answer that names the right address then goes on as usual.
TEST(Transfers, StaleAnswersChangeNothing) {
    struct StaleCase {
        const char* name;
        std::function<void(SessionRig&, const TempDir&)> start;
        std::vector<rig::Field> stale;
        const char* line;
        std::vector<rig::Field> right;
    };
    const auto loading = [](SessionRig& r, const TempDir& dir, std::size_t size) {
        testfiles::write(dir.file("fw.bin"), patterned(size, 1));
        r.session.startFlashLoading(dir.file("fw.bin"));
        r.deliver(0xA2, {{0x21, {}}});
        r.deliver(0xA2, {{0x26, {0, 0, 0}}});
    };
    const StaleCase cases[] = {
        {"configuration read",
         [](auto& r, auto&) {
             r.session.requestConfigRead();
             r.deliver(0xA2, {{0x42, Bytes(128, 1)}, {0x46, {0x03, 0x80, 0x00}}});
         },
         {{0x42, Bytes(128, 9)}, {0x46, {0x03, 0x80, 0x00}}},
         "Stale answer ignored (address 038000)",
         {{0x42, Bytes(128, 2)}, {0x46, {0x03, 0x80, 0x80}}}},
        {"configuration write",
         [](auto& r, auto&) {
             r.session.requestConfigWrite(ConfigImage{});
             r.deliver(0xA2, {{0x41, {}}, {0x46, {0x03, 0x80, 0x00}}});
         },
         {{0x41, {}}, {0x46, {0x03, 0x80, 0x00}}},
         "Stale answer ignored (address 038000)",
         {{0x41, {}}, {0x46, {0x03, 0x80, 0x80}}}},
        {"chunk acknowledgement",
         [&](auto& r, auto& dir) { loading(r, dir, 1024); },
         {{0x26, {0, 0, 0}}},
         "Stale answer ignored (address 000000)",
         {{0x26, {0, 0, 0x80}}}},
        {"last chunk acknowledged again once the stop is out",
         [&](auto& r, auto& dir) { loading(r, dir, 128); },
         {{0x26, {0, 0, 0}}},
         "Stale answer ignored (address 000000)",
         {{0x29, {}}}},
        {"image block",
         [](auto& r, auto& dir) {
             r.session.startFlashDownloading(dir.file("image.bin"));
             r.deliver(0xA2, {{0x24, {0, 0x03, 0x80}}});
             r.deliver(0xA2, {{0x42, Bytes(128, 1)}, {0x46, {0, 0, 0}}});
         },
         {{0x42, Bytes(128, 9)}, {0x46, {0, 0, 0}}},
         "Stale answer ignored (address 000000)",
         {{0x42, Bytes(128, 2)}, {0x46, {0, 0, 0x80}}}},
    };
    for (const StaleCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        SessionRig r;
        c.start(r, dir);
        r.clock.advance(400);
        const std::size_t sent = r.channel.sent.size();
        const std::size_t posted = r.host.posted.size();
        const TimerId timer = r.session.timerId();
        const std::int32_t packet = r.session.packetNumber();
        const std::int32_t offset = r.session.flashOffset();
        const std::uintmax_t imageSize = std::filesystem::exists(dir.file("image.bin"))
                                             ? testfiles::read(dir.file("image.bin")).size()
                                             : 0;

        FramePtr stale = frameCreate(0xA2);
        for (const rig::Field& f : c.stale) {
            frameAddField(*stale, f.tag, static_cast<std::uint8_t>(f.value.size()), f.value.data());
        }
        frameSeal(*stale);
        r.deliver(std::move(stale));
        EXPECT_EQ(r.trace.lines.back(), c.line);
        EXPECT_EQ(r.channel.sent.size(), sent) << "no next request";
        EXPECT_EQ(r.host.posted.size(), posted);
        EXPECT_EQ(r.session.timerId(), timer) << "the timer keeps running";
        EXPECT_EQ(r.timeout(), 600);
        EXPECT_EQ(r.session.packetNumber(), packet);
        EXPECT_EQ(r.session.flashOffset(), offset);
        if (imageSize) {
            EXPECT_EQ(testfiles::read(dir.file("image.bin")).size(), imageSize) << "not stored";
        }

        FramePtr right = frameCreate(0xA2);
        for (const rig::Field& f : c.right) {
            frameAddField(*right, f.tag, static_cast<std::uint8_t>(f.value.size()), f.value.data());
        }
        frameSeal(*right);
        r.deliver(std::move(right));
        EXPECT_NE(r.host.posted.size(), posted) << "the right answer goes on";
    }
    // Nothing of the stale read answer reached the image.
    SessionRig r;
    r.session.requestConfigRead();
    r.deliver(0xA2, {{0x42, Bytes(128, 1)}, {0x46, {0x03, 0x80, 0x00}}});
    r.deliver(0xA2, {{0x42, Bytes(128, 9)}, {0x46, {0x03, 0x80, 0x00}}});
    for (std::uint8_t packet = 1; packet < 5; ++packet) {
        r.deliver(0xA2, {{0x42, Bytes(128, static_cast<std::uint8_t>(packet + 1))},
                         {0x46,
                          {0x03, static_cast<std::uint8_t>(0x80 + packet / 2),
                           static_cast<std::uint8_t>(packet % 2 ? 0x80 : 0)}}});
    }
    ASSERT_EQ(r.host.count(SessionProgress::ConfigReadEnded, 1), 1);
    r.deliver(0xA2, {{0x15, {'F'}}});
    const ConfigImage read = lastRead(r.host);
    for (std::size_t packet = 0; packet < 5; ++packet) {
        EXPECT_EQ(read[packet * 128 + 5], packet + 1) << packet;
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
    ASSERT_TRUE(r.session.startFlashLoading(dir.file("fw.bin")));
    EXPECT_EQ(r.session.flashTotal(), 294);
    EXPECT_EQ(r.session.operation(), OperationKind::FlashLoading);
    EXPECT_FALSE(r.session.awaitingFirmware());
    r.clock.runUntilIdle();

    Bytes expected = fw;
    expected.resize(384, 0xFF); // three chunks, the last 90 bytes erased
    EXPECT_EQ(conv.firmware(), expected);
    EXPECT_EQ(progressOf(r.host, SessionProgress::FlashChunkSent),
              (std::vector<int>{43, 87, 130, 100}));
    EXPECT_EQ(progressOf(r.host, SessionProgress::FlashStartSent), (std::vector<int>{0, 0}));
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashLoadEnded, 1));
    EXPECT_EQ(r.trace.lines.back(), "Stop FLASH loading");
    EXPECT_EQ(r.session.state(), SessionState::Ready);
    EXPECT_EQ(r.session.operation(), OperationKind::None);
    EXPECT_EQ(r.session.flashTotal(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("fw.bin"))) << "the firmware file stays";
}

// The loader asks for firmware: the start goes out at once, a chunk only once the host has handed
// over the file the user confirmed, whether before or after the converter took the start.
TEST(FlashLoading, ConverterStartedWaitsForTheHostsFile) {
    for (const bool acceptedFirst : {true, false}) {
        SCOPED_TRACE(acceptedFirst ? "accepted, then the file" : "the file, then accepted");
        TempDir dir;
        const Bytes fw = testfiles::firmware(300);
        testfiles::write(dir.file("fw.bin"), fw);
        SessionRig r;
        ScriptedConverter conv(r);
        conv.delayMs = 500;
        EXPECT_FALSE(r.session.supplyFirmware(dir.file("fw.bin"))) << "nothing asks for one";
        r.deliver(0xA1, {{0x11, {0x01}}, {0x71, {0x9F}}});
        EXPECT_EQ(r.host.count(SessionProgress::LoaderWaitsForFirmware, 0), 1);
        EXPECT_TRUE(r.session.awaitingFirmware());
        if (acceptedFirst) {
            r.clock.runUntilIdle();
            EXPECT_EQ(r.session.state(), SessionState::FlashLoading);
            EXPECT_EQ(r.session.timerId(), 0u);
            EXPECT_TRUE(conv.chunks.empty());
            EXPECT_TRUE(r.session.awaitingFirmware());
        }
        ASSERT_TRUE(r.session.supplyFirmware(dir.file("fw.bin")));
        EXPECT_FALSE(r.session.awaitingFirmware());
        EXPECT_FALSE(r.session.supplyFirmware(dir.file("other.bin"))) << "one file per loading";
        r.clock.runUntilIdle();
        Bytes expected = fw;
        expected.resize(384, 0xFF);
        EXPECT_EQ(conv.firmware(), expected);
        EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashLoadEnded, 1));
        EXPECT_EQ(r.session.operation(), OperationKind::None);
    }

    // No file: the cancel goes out, and the converter's answer ends the loading.
    SessionRig r;
    ScriptedConverter conv(r);
    r.deliver(0xA1, {{0x11, {0x01}}, {0x71, {0x9F}}});
    r.clock.runUntilIdle();
    r.session.declineFirmware();
    EXPECT_EQ(r.lastSent(), "A1 02 27 00 36");
    EXPECT_FALSE(r.session.awaitingFirmware());
    r.clock.runUntilIdle();
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashLoadEnded, 4));
    EXPECT_EQ(r.session.operation(), OperationKind::None);
    EXPECT_TRUE(conv.chunks.empty());
    const std::size_t sent = r.channel.sent.size();
    r.session.declineFirmware();
    r.session.cancel();
    EXPECT_EQ(r.channel.sent.size(), sent) << "nothing left to cancel";
}

// Only the chunk outstanding may be acknowledged; an acknowledgement of another address (an
// earlier copy of a repeated chunk) changes nothing.
TEST(FlashLoading, OnlyTheOutstandingChunkIsAcknowledged) {
    TempDir dir;
    testfiles::write(dir.file("fw.bin"), testfiles::firmware(1024));
    SessionRig r;
    r.session.startFlashLoading(dir.file("fw.bin"));
    r.deliver(0xA2, {{0x21, {}}});
    EXPECT_NE(r.lastSent().find("26 03 00 00 00"), std::string::npos);
    r.deliver(0xA2, {{0x26, {0x00, 0x02, 0x00}}}); // not the chunk sent
    EXPECT_EQ(r.session.flashOffset(), 0);
    EXPECT_EQ(r.channel.sent.size(), 2u);
    // A short address reads the missing low bytes as zero.
    r.deliver(0xA2, {{0x26, {0x00}}});
    EXPECT_EQ(r.session.flashOffset(), 0x80);
    EXPECT_NE(r.lastSent().find("26 03 00 00 80"), std::string::npos);
    for (std::uint8_t low : {0x80, 0x00, 0x80, 0x00, 0x80, 0x00}) {
        const std::int32_t at = r.session.flashOffset();
        ASSERT_EQ(at & 0x7F, 0);
        ASSERT_EQ(at & 0x80, low);
        r.deliver(0xA2, {{0x26, {0x00, static_cast<std::uint8_t>(at >> 8), low}}});
    }
    EXPECT_EQ(r.session.flashOffset(), 0x380);
    r.deliver(0xA2, {{0x26, {0x00, 0x03, 0x80}}}); // the last chunk
    EXPECT_EQ(r.lastSent(), "A1 02 29 00 34");
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashChunkSent, 100));
    EXPECT_EQ(r.session.flashOffset(), 1024);
    // The same acknowledgement again: no second stop, no second report.
    const std::size_t sent = r.channel.sent.size();
    const std::size_t posted = r.host.posted.size();
    r.deliver(0xA2, {{0x26, {0x00, 0x03, 0x80}}});
    EXPECT_EQ(r.channel.sent.size(), sent);
    EXPECT_EQ(r.host.posted.size(), posted);
}

TEST(FlashLoading, CancelIgnoresChunkAcknowledgements) {
    TempDir dir;
    testfiles::write(dir.file("fw.bin"), testfiles::firmware(1024));
    SessionRig r;
    r.session.startFlashLoading(dir.file("fw.bin"));
    r.deliver(0xA2, {{0x21, {}}});
    r.session.cancel();
    const std::size_t sent = r.channel.sent.size();
    r.deliver(0xA2, {{0x26, {0, 0, 0}}});
    EXPECT_EQ(r.channel.sent.size(), sent);
    EXPECT_NE(r.session.timerId(), 0u);
    r.deliver(0xA2, {{0x27, {}}});
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashLoadEnded, 4));
    EXPECT_EQ(r.session.state(), SessionState::Ready);
    EXPECT_EQ(r.session.operation(), OperationKind::None);
    EXPECT_EQ(r.session.timerId(), 0u);
    ASSERT_TRUE(r.host.lastResult());
    EXPECT_EQ(r.host.lastResult()->outcome, Outcome::Cancelled);
}

TEST(FlashLoading, RefusalsRepeatTheOutstandingStep) {
    struct RefusalCase {
        const char* name;
        std::function<void(SessionRig&)> step;
        const char* repeated;
    };
    const RefusalCase cases[] = {
        {"cancel", [](auto& r) { r.session.cancel(); }, "A1 02 27 00 36"},
        {"stop",
         [](auto& r) {
             r.deliver(0xA2, {{0x26, {0, 0, 0}}});
             r.deliver(0xA2, {{0x26, {0, 0, 0x80}}});
         },
         "A1 02 29 00 34"},
    };
    TempDir dir;
    testfiles::write(dir.file("fw.bin"), testfiles::firmware(300));
    std::filesystem::resize_file(dir.file("fw.bin"), 256);
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig r;
        r.session.startFlashLoading(dir.file("fw.bin"));
        r.deliver(0xA2, {{0x21, {}}});
        c.step(r);
        ASSERT_EQ(r.lastSent(), c.repeated);
        const std::size_t first = r.channel.sent.size();
        for (int i = 1; i <= 3; ++i) {
            r.deliver(0xA3, {{0x71, {0x42}}});
            EXPECT_EQ(r.lastSent(), c.repeated);
            EXPECT_EQ(r.session.retryCount(), i);
        }
        r.deliver(0xA3, {{0x71, {0x9E}}});
        EXPECT_EQ(r.host.passwordQuestions, 0) << "chunks, stop and cancel carry no password";
        EXPECT_EQ(r.channel.sent.size(), first + 3);
        EXPECT_EQ(r.session.resultHex(), "9E");
        EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::FlashLoadEnded, 2));
        EXPECT_EQ(r.session.state(), SessionState::Ready);
        EXPECT_EQ(r.session.operation(), OperationKind::None);
    }
}

struct Download {
    TempDir dir;
    SessionRig r;
    ScriptedConverter conv{r};
    std::string image = dir.file("image.bin");

    explicit Download(Bytes flash) { conv.flashImage = std::move(flash); }
    bool start() {
        return r.session.startFlashDownloading(image) == DeviceSession::DownloadStart::Started;
    }
    // The files in the image's folder, the staged image included.
    std::size_t filesBeside() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()));
    }
    // The staged image: the one file in the folder that is not the target.
    Bytes staged() const {
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (entry.path() != std::filesystem::path(image)) {
                return testfiles::read(entry.path().string());
            }
        }
        return {};
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
        testfiles::write(d.image, Bytes(10, 1)); // replaced as a whole
        ASSERT_TRUE(d.start());
        d.r.clock.runUntilIdle();
        EXPECT_EQ(testfiles::read(d.image), withErased);
        EXPECT_EQ(d.filesBeside(), 1u) << "nothing staged is left";
        EXPECT_EQ(d.r.host.last(), std::make_pair(SessionProgress::FlashReadEnded, 1));
        EXPECT_EQ(d.r.session.operation(), OperationKind::None);
        ASSERT_TRUE(d.r.host.lastResult());
        EXPECT_EQ(d.r.host.lastResult()->outcome, Outcome::Done);
        EXPECT_EQ(d.r.host.lastResult()->file, d.image);
        EXPECT_EQ(d.r.host.lastResult()->percent, 100);
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
    d.start();
    d.r.deliver(0xA2, {{0x24, {0x00, 0x01, 0x80}}}); // 0x180 + 128 = 512 bytes
    EXPECT_EQ(d.r.session.flashTotal(), 512);
    EXPECT_EQ(d.r.lastSent(), "A1 07 42 00 46 03 00 00 00 CD");

    // Another address: not written, and nothing is asked; the time-out asks again.
    d.r.deliver(0xA2, {{0x42, Bytes(128, 7)}, {0x46, {0x00, 0x01, 0x00}}});
    EXPECT_EQ(d.staged().size(), 0u);
    EXPECT_EQ(d.r.channel.sent.size(), 2u);
    d.r.clock.advance(1000);
    EXPECT_EQ(d.r.channel.sent.size(), 3u);
    EXPECT_EQ(d.r.lastSent(), "A1 07 42 00 46 03 00 00 00 CD");
    // A block without data leaves no hole: nothing is written, and the time-out asks again.
    d.r.deliver(0xA2, {{0x42, {}}, {0x46, {0x00, 0x00, 0x00}}});
    EXPECT_EQ(d.staged().size(), 0u);
    EXPECT_EQ(d.r.session.flashOffset(), 0);
    d.r.clock.advance(1000);
    EXPECT_EQ(d.r.channel.sent.size(), 4u);
    EXPECT_EQ(d.r.lastSent(), "A1 07 42 00 46 03 00 00 00 CD");
    // One byte stands for 128 copies; no address means the block asked for. Its other copies
    // got no answer: one time-out passes before the next block is asked for.
    d.r.deliver(0xA2, {{0x42, {0xFF}}});
    EXPECT_EQ(d.r.channel.sent.size(), 4u);
    d.r.clock.advance(1000);
    EXPECT_EQ(d.r.lastSent(), "A1 07 42 00 46 03 00 00 80 4D");
    // A short block is padded as erased FLASH, a long one cut, so every block fills 128 bytes.
    d.r.deliver(0xA2, {{0x42, {1, 2, 3}}, {0x46, {0x00, 0x00, 0x80}}});
    d.r.deliver(0xA2, {{0x42, Bytes(200, 9)}, {0x46, {0x00, 0x01, 0x00}}});
    // A size answer now would restart the image behind the blocks written: ignored.
    d.r.deliver(0xA2, {{0x24, {0x00, 0x01, 0x80}}});
    EXPECT_EQ(d.r.session.flashOffset(), 384);
    // An address field too short to name a block counts as none.
    d.r.deliver(0xA2, {{0x42, {0x00}}, {0x46, {0x01}}});

    Bytes expected(128, 0xFF);
    Bytes shortBlock{1, 2, 3};
    shortBlock.resize(128, 0xFF);
    expected.insert(expected.end(), shortBlock.begin(), shortBlock.end());
    expected.insert(expected.end(), 128, 9);
    expected.insert(expected.end(), 128, 0);
    EXPECT_EQ(testfiles::read(d.image), expected);
    EXPECT_EQ(d.r.host.last(), std::make_pair(SessionProgress::FlashReadEnded, 1));
    EXPECT_EQ(d.r.session.operation(), OperationKind::None);

    // A size field too short to read is no answer: the start is asked again when its time is up.
    Download s(Bytes(256, 0));
    s.conv.silent = true;
    s.start();
    s.r.deliver(0xA2, {{0x24, {0x01}}});
    EXPECT_EQ(s.r.channel.sent.size(), 1u);
    EXPECT_EQ(s.r.timeout(), 5000);
    s.r.clock.advance(5000);
    EXPECT_EQ(s.r.lastSent(), "A1 05 24 00 88 01 00 AD");
}

TEST(FlashDownloading, ImageSizeZeroReadsOneBlock) {
    Download d(Bytes(128, 0x5A));
    d.start();
    d.r.clock.runUntilIdle();
    EXPECT_EQ(testfiles::read(d.image), Bytes(128, 0x5A));
    EXPECT_EQ(d.r.channel.sent.size(), 2u);
}

// Whatever ends a download before the last block leaves the file that was there byte for byte,
// and nothing staged beside it.
TEST(FlashDownloading, EndingsLeaveAnExistingFileAsItWas) {
    struct EndCase {
        const char* name;
        std::function<void(Download&)> end;
        std::optional<std::pair<SessionProgress, int>> posted;
        Outcome outcome;
    };
    const EndCase cases[] = {
        {"user cancel", [](Download& d) { d.r.session.cancel(); }, std::nullopt,
         Outcome::Cancelled},
        {"refused four times",
         [](Download& d) {
             for (int i = 0; i < 4; ++i) {
                 d.r.deliver(0xA3, {{0x71, {0x01}}});
             }
         },
         {{SessionProgress::FlashReadEnded, 2}},
         Outcome::Refused},
        {"timer gives up",
         [](Download& d) { d.r.clock.advance(4000); },
         {{SessionProgress::GaveUp, 0}},
         Outcome::GaveUp},
        {"converter restarts",
         [](Download& d) {
             d.r.deliver(0xA1, {{0x13, {0x03}}});
         },
         {{SessionProgress::RestartCode, 0}},
         Outcome::CutShortByRestart},
        {"port lost", [](Download& d) { d.r.session.onLinkLost(); }, std::nullopt,
         Outcome::LinkLost},
    };
    const Bytes before(77, 0x42);
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        Download p(patterned(1024, 5));
        testfiles::write(p.image, before);
        p.conv.custom = [&](const ProtocolFrame& f) -> FramePtr {
            const auto a = frameFindField(f, 0x46);
            if (a && fieldAddress24(*a) >= 256) {
                p.conv.silent = true; // from the block after this one on
            }
            return nullptr;
        };
        p.start();
        p.r.clock.advance(100);
        ASSERT_EQ(p.staged().size(), 384u) << "three blocks are staged";
        EXPECT_EQ(testfiles::read(p.image), before) << "the target waits for the whole image";
        const std::size_t sent = p.r.channel.sent.size();
        p.r.host.posted.clear();
        c.end(p);
        EXPECT_EQ(testfiles::read(p.image), before);
        EXPECT_EQ(p.filesBeside(), 1u) << "nothing staged is left";
        EXPECT_EQ(p.r.session.timerId(), 0u);
        EXPECT_EQ(p.r.session.operation(), OperationKind::None);
        ASSERT_TRUE(p.r.host.lastResult());
        EXPECT_EQ(p.r.host.lastResult()->outcome, c.outcome);
        EXPECT_EQ(p.r.host.lastResult()->percent, 37) << "three blocks of eight";
        if (c.posted) {
            EXPECT_EQ(p.r.host.last(), *c.posted);
        } else {
            EXPECT_TRUE(p.r.host.posted.empty());
            EXPECT_EQ(p.r.channel.sent.size(), sent) << "nothing is sent";
        }
    }

    // A cancelled password question: no file appears where there was none.
    Download q(Bytes(256, 1));
    q.conv.silent = true;
    q.start();
    q.r.deliver(0xA3, {{0x71, {0x9E}}});
    EXPECT_EQ(q.r.host.last(), std::make_pair(SessionProgress::FlashReadEnded, 5));
    EXPECT_FALSE(std::filesystem::exists(q.image));
    EXPECT_EQ(q.filesBeside(), 0u);
}

// The disk fills up half-way: the download ends as failed, not done, and the partial image goes.
TEST(FlashDownloading, ImageFileThatCannotBeWrittenEndsAsFailed) {
    Download d(patterned(1024, 3));
    d.r.deliver(0xA1, {{0x13, {0x01}}});
    d.r.deliver(0xA3, {{0x71, {0x33}}}); // a status from before
    ASSERT_EQ(d.r.session.resultHex(), "33");
    bool started = false;
    {
        const FileSizeLimit limit(300);
        ASSERT_TRUE(limit.active());
        started = d.start();
        d.r.clock.runUntilIdle();
    }

    ASSERT_TRUE(started);
    EXPECT_EQ(d.r.host.last(), std::make_pair(SessionProgress::FlashReadEnded, 2));
    EXPECT_EQ(d.r.host.count(SessionProgress::FlashReadEnded, 1), 0);
    EXPECT_EQ(d.r.trace.lines.back(), "Image file write failed!");
    EXPECT_EQ(d.r.session.resultHex(), "") << "no status: the failure is not the converter's";
    EXPECT_FALSE(std::filesystem::exists(d.image));
    EXPECT_EQ(d.filesBeside(), 0u) << "nothing staged is left";
    EXPECT_EQ(d.r.channel.sent.size(), 5u) << "the restart's reply, the start, three blocks";
    EXPECT_EQ(d.r.session.operation(), OperationKind::None);
    EXPECT_EQ(d.r.session.timerId(), 0u);
    ASSERT_TRUE(d.r.host.lastResult());
    EXPECT_EQ(d.r.host.lastResult()->outcome, Outcome::FileError);
}

TEST(FlashDownloading, AnotherOperationEndsAnUnfinishedDownload) {
    TempDir dir;
    const std::string firmware = dir.file("fw.bin");
    testfiles::write(firmware, testfiles::firmware(300));
    SessionRig r;
    r.session.startFlashDownloading(dir.file("image.bin"));
    r.deliver(0xA2, {{0x24, {0, 0x03, 0x80}}});
    r.deliver(0xA2, {{0x42, {1}}});
    r.session.startFlashLoading(firmware);
    ASSERT_EQ(r.host.results.size(), 1u);
    EXPECT_EQ(r.host.results[0].kind, OperationKind::FlashDownloading);
    EXPECT_EQ(r.host.results[0].outcome, Outcome::Replaced);
    EXPECT_EQ(r.session.operation(), OperationKind::FlashLoading);
    r.clock.advance(4 * 15000);
    EXPECT_EQ(r.host.last(), std::make_pair(SessionProgress::GaveUp, 0));
    EXPECT_TRUE(std::filesystem::exists(firmware)) << "a give-up never deletes the firmware";
    EXPECT_FALSE(std::filesystem::exists(dir.file("image.bin"))) << "no half image";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "nothing staged is left";
}

} // namespace
