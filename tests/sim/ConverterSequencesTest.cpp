// Multi-step behaviour of the stand-in converter: restarts, FLASH transfers, monitoring.
#include "HostEnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vandrel::sim {
namespace {

using testing::address;
using testing::Bytes;
using testing::codeEvent;
using testing::Fields;
using testing::HostEnd;
using testing::loaderEvent;
using testing::partitionReport;
using testing::pw;
using testing::text;
using testing::withChecksum;

ModelSettings smallSettings() {
    ModelSettings s;
    s.firmwareVersion = "F1";
    s.loaderVersion = "L1";
    s.partition = 2;
    s.flash = FlashStore::makeFirmwareImage(1024, "F1");
    return s;
}

struct Fixture {
    explicit Fixture(ModelSettings s = smallSettings()) : model(std::move(s)), host(model) {}
    std::vector<Bytes> after(SimTime t) {
        model.advance(t);
        return host.take();
    }
    ConverterModel model;
    HostEnd host;
};

Bytes loaderEventWaiting(std::uint8_t code) {
    return loaderEvent(code, true);
}
const Bytes kPartitionReport = partitionReport(0x02);

TEST(ConverterRestart, ResetAnnouncesLoaderAndCodeEachAwaitingItsAcknowledgement) {
    Fixture f;
    f.host.exchange({{0x31, {}}});
    ASSERT_TRUE(f.model.monitoring());

    EXPECT_EQ(f.host.exchange({{0x81, {}}, {0x88, pw("")}}),
              std::vector<Bytes>{withChecksum({0xA2, 0x02, 0x81, 0x00})});
    EXPECT_FALSE(f.model.monitoring()) << "a restart ends monitoring";
    EXPECT_TRUE(f.after(99ms).empty());
    EXPECT_EQ(f.after(1ms), std::vector<Bytes>{loaderEvent(0x01)});
    // Unacknowledged, the event comes again; the code waits.
    EXPECT_EQ(f.after(2000ms), std::vector<Bytes>{loaderEvent(0x01)});
    // An acknowledgement with another code is not the one awaited.
    f.host.exchange({{0x12, {0x07}}}, 0xA2);
    EXPECT_FALSE(f.model.running());
    EXPECT_EQ(f.host.exchange({{0x12, {0x01}}}, 0xA2), std::vector<Bytes>{kPartitionReport});
    EXPECT_EQ(f.after(200ms), std::vector<Bytes>{codeEvent(0x01, "F1")});
    EXPECT_FALSE(f.model.running());
    f.host.exchange({{0x14, {0x01}}}, 0xA2);
    EXPECT_TRUE(f.model.running());
    EXPECT_TRUE(f.after(10s).empty());
}

TEST(ConverterRestart, GoesOnAfterUnansweredEvents) {
    Fixture f;
    f.model.restart();
    const auto frames = f.after(30s);
    const auto count = [&](const Bytes& b) { return std::count(frames.begin(), frames.end(), b); };
    EXPECT_EQ(count(loaderEvent(restart_code::PowerOn)), 4);
    EXPECT_EQ(count(kPartitionReport), 1);
    EXPECT_EQ(count(codeEvent(restart_code::PowerOn, "F1")), 4);
    EXPECT_EQ(frames.size(), 9u);
    EXPECT_TRUE(f.model.running());
}

// Sends a whole image as chunks, both data forms, and returns the number of chunks.
std::size_t sendChunks(HostEnd& host, const Bytes& image) {
    std::size_t chunks = 0;
    for (std::size_t at = 0; at < image.size(); at += 128, ++chunks) {
        Bytes chunk(128, 0xFF);
        std::copy_n(image.begin() + at, std::min<std::size_t>(128, image.size() - at),
                    chunk.begin());
        const bool uniform =
            std::all_of(chunk.begin(), chunk.end(), [&](std::uint8_t b) { return b == chunk[0]; });
        auto answer = host.exchange({{0x22, uniform ? Bytes{chunk[0]} : chunk},
                                     {0x26, address(static_cast<std::uint32_t>(at))}});
        Bytes expected{0xA2, 0x05, 0x26, 0x03};
        const Bytes a = address(static_cast<std::uint32_t>(at));
        expected.insert(expected.end(), a.begin(), a.end());
        EXPECT_EQ(answer, std::vector<Bytes>{withChecksum(expected)}) << "chunk at " << at;
    }
    return chunks;
}

Bytes padded(Bytes image) {
    image.resize((image.size() + 127) / 128 * 128, 0xFF);
    return image;
}

TEST(ConverterFlash, LoaderWaitingForFirmwareTakesAnImageAndRestartsIntoIt) {
    ModelSettings s = smallSettings();
    s.firmwareMissing = true;
    Fixture f(s);
    f.model.restart();
    EXPECT_EQ(f.after(100ms), std::vector<Bytes>{loaderEventWaiting(restart_code::PowerOn)});
    EXPECT_TRUE(f.host.exchange({{0x12, {restart_code::PowerOn}}}, 0xA2).empty());
    EXPECT_TRUE(f.after(10s).empty()) << "the loader stays without firmware";
    EXPECT_EQ(f.host.exchange({{0x42, {}}, {0x46, address(0x038000)}, {0x88, pw("")}}),
              std::vector<Bytes>{withChecksum({0xA3, 0x03, 0x71, 0x01, 0x01})});

    const Bytes image = FlashStore::makeFirmwareImage(600, "F9");
    f.host.exchange({{0x21, {1}}, {0x88, pw("")}});
    EXPECT_EQ(sendChunks(f.host, image), 5u);
    EXPECT_EQ(f.host.exchange({{0x29, {}}}),
              std::vector<Bytes>{withChecksum({0xA2, 0x02, 0x29, 0x00})});
    EXPECT_EQ(f.model.flashImage(), padded(image));
    EXPECT_FALSE(f.model.firmwareMissing());

    EXPECT_EQ(f.after(5000ms), std::vector<Bytes>{loaderEvent(restart_code::AfterLoading)});
    EXPECT_EQ(f.host.exchange({{0x12, {restart_code::AfterLoading}}}, 0xA2),
              std::vector<Bytes>{kPartitionReport});
    EXPECT_EQ(f.after(200ms), std::vector<Bytes>{codeEvent(restart_code::AfterLoading, "F9")});
    f.host.exchange({{0x14, {restart_code::AfterLoading}}}, 0xA2);
    EXPECT_TRUE(f.model.running());
}

TEST(ConverterFlash, RepeatedChunksAndStopsLandOnce) {
    Fixture f;
    Bytes image(300);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(0x7A + i * 3);
    }
    f.host.exchange({{0x21, {1}}, {0x88, pw("")}});
    sendChunks(f.host, image);
    // The acknowledgement of the middle chunk was lost: it comes again, same address.
    const Bytes middle(image.begin() + 128, image.begin() + 256);
    f.host.exchange({{0x22, middle}, {0x26, address(128)}});
    f.host.exchange({{0x29, {}}});
    EXPECT_EQ(f.host.exchange({{0x29, {}}}),
              std::vector<Bytes>{withChecksum({0xA2, 0x02, 0x29, 0x00})})
        << "a repeated stop is answered again";
    EXPECT_EQ(f.model.flashImage(), padded(image));
    EXPECT_EQ(f.model.framesReceived(RequestKind::FlashChunk), 4u);
}

TEST(ConverterFlash, CancelKeepsTheOldImageAndRejectsBadChunks) {
    Fixture f;
    const Bytes old = f.model.flashImage();
    f.host.exchange({{0x21, {1}}, {0x88, pw("")}});
    EXPECT_EQ(f.host.exchange({{0x22, Bytes(5, 1)}, {0x26, address(0)}}),
              std::vector<Bytes>{withChecksum({0xA3, 0x03, 0x71, 0x01, 0x02})});
    EXPECT_EQ(f.host.exchange({{0x22, {0x00}}, {0x26, {0x00, 0x00}}}),
              std::vector<Bytes>{withChecksum({0xA3, 0x03, 0x71, 0x01, 0x02})});
    f.host.exchange({{0x22, {0x00}}, {0x26, address(0)}});
    EXPECT_EQ(f.host.exchange({{0x27, {}}}),
              std::vector<Bytes>{withChecksum({0xA2, 0x02, 0x27, 0x00})});
    EXPECT_FALSE(f.model.flashLoading());
    EXPECT_EQ(f.model.flashImage(), old);
    EXPECT_TRUE(f.after(10s).empty()) << "a cancelled loading brings no restart";
}

// Downloads the image block by block, as the utility does, decoding the one-byte form.
TEST(ConverterFlash, DownloadedBlocksMakeUpTheImage) {
    for (std::size_t size : {std::size_t{128}, std::size_t{1024}, std::size_t{1000}}) {
        ModelSettings s = smallSettings();
        s.flash = FlashStore::makeFirmwareImage(size, "F1");
        Fixture f(s);
        auto start = f.host.exchange({{0x24, {}}, {0x88, pw("")}});
        ASSERT_EQ(start.size(), 1u);
        ASSERT_EQ(start[0].size(), 8u);
        const std::uint32_t total =
            (std::uint32_t{start[0][4]} << 16 | std::uint32_t{start[0][5]} << 8 | start[0][6]) +
            128;
        Bytes file;
        int oneByteBlocks = 0;
        for (std::uint32_t at = 0; at < total; at += 128) {
            auto block = f.host.exchange({{0x42, {}}, {0x46, address(at)}});
            ASSERT_EQ(block.size(), 1u);
            const auto& b = block[0];
            ASSERT_EQ(b[0], 0xA2);
            ASSERT_EQ(b[2], 0x42);
            const std::size_t n = b[3];
            if (n == 1) {
                file.insert(file.end(), 128, b[4]);
                ++oneByteBlocks;
            } else {
                ASSERT_EQ(n, 128u);
                file.insert(file.end(), b.begin() + 4, b.begin() + 4 + 128);
            }
            EXPECT_EQ(Bytes(b.begin() + 4 + n, b.begin() + 4 + n + 5),
                      (Bytes{0x46, 0x03, static_cast<std::uint8_t>(at >> 16),
                             static_cast<std::uint8_t>(at >> 8), static_cast<std::uint8_t>(at)}));
        }
        EXPECT_EQ(file, padded(f.model.flashImage())) << "size " << size;
        if (size >= 1024) {
            EXPECT_GT(oneByteBlocks, 0);
        }
    }
    ModelSettings empty = smallSettings();
    empty.flash.clear();
    Fixture f(empty);
    EXPECT_EQ(f.host.exchange({{0x24, {}}, {0x88, pw("")}}),
              std::vector<Bytes>{withChecksum({0xA2, 0x02, 0x24, 0x00})});
}

Bytes monitorText(std::string_view s) {
    Bytes b{0xA2, static_cast<std::uint8_t>(s.size() + 2), 0x31,
            static_cast<std::uint8_t>(s.size())};
    b.insert(b.end(), s.begin(), s.end());
    return withChecksum(b);
}

TEST(ConverterMonitor, SendsTextWhileOnEchoesCommandsAndTakesTheMask) {
    Fixture f;
    EXPECT_TRUE(f.after(5s).empty()) << "no text while monitoring is off";
    f.host.exchange({{0x31, {}}});
    EXPECT_TRUE(f.after(999ms).empty());
    EXPECT_EQ(f.after(1ms), std::vector<Bytes>{monitorText("SYS 00001 mask=00 line=idle\r\n")});

    EXPECT_EQ(
        f.host.exchange({{0x33, text("V=11\r\n")}, {0x88, pw("")}}),
        (std::vector<Bytes>{withChecksum({0xA2, 0x02, 0x33, 0x00}), monitorText("V=11\r\n")}));
    EXPECT_EQ(f.model.monitorMask(), 0x11);
    EXPECT_EQ(f.after(1s), std::vector<Bytes>{monitorText("SYS 00002 mask=11 line=idle\r\n")});
    f.host.exchange({{0x33, text("status\r\n")}, {0x88, pw("")}});
    EXPECT_EQ(f.model.monitorMask(), 0x11) << "other lines leave the mask";

    f.host.exchange({{0x32, {}}});
    EXPECT_FALSE(f.model.monitoring());
    EXPECT_TRUE(f.after(5s).empty());
}

} // namespace
} // namespace vandrel::sim
