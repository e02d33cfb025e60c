#include "protocol/FrameAssembler.h"
#include "protocol/FrameWire.h"
#include "protocol/ProtocolFrame.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace vandrel;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes toBytes(std::span<const std::uint8_t> s) {
    return {s.begin(), s.end()};
}

// Feeds bytes and collects what the assembler delivers.
struct Collector {
    FrameAssembler assembler{[this](ReceivedFrame f) { frames.push_back(std::move(f)); }};
    std::vector<ReceivedFrame> frames;

    void feed(const Bytes& bytes) { assembler.feed(bytes); }
    Bytes delivered(std::size_t i) const {
        return {frames.at(i).frame->bytes.begin(),
                frames.at(i).frame->bytes.begin() + static_cast<long>(frames.at(i).count)};
    }
};

FramePtr systemInfoRequest() {
    FramePtr f = frameCreate(0xA1);
    frameAddBytes(*f, 0x15, {});
    frameSeal(*f);
    return f;
}

} // namespace

TEST(FrameCodec, KnownFramesByteForByte) {
    FramePtr info = systemInfoRequest();
    EXPECT_EQ(toBytes(info->frameBytes()), (Bytes{0xA1, 0x02, 0x15, 0x00, 0x48}));
    EXPECT_EQ(frameStuff(info->frameBytes()), (Bytes{0x7E, 0xA1, 0x02, 0x15, 0x00, 0x48, 0x7A}));
    EXPECT_TRUE(frameVerify(*info));

    // A uniform firmware chunk: offset field added first, data field second, sorted on insertion.
    FramePtr chunk = frameCreate(0xA1);
    ASSERT_TRUE(frameAddBytes(*chunk, 0x26, {0x00, 0x01, 0x00}));
    ASSERT_TRUE(frameAddBytes(*chunk, 0x22, {0x7E}));
    frameSeal(*chunk);
    EXPECT_EQ(toBytes(chunk->frameBytes()),
              (Bytes{0xA1, 0x08, 0x22, 0x01, 0x7E, 0x26, 0x03, 0x00, 0x01, 0x00, 0x8C}));
    EXPECT_EQ(frameStuff(chunk->frameBytes()), (Bytes{0x7E, 0xA1, 0x08, 0x22, 0x01, 0xCD, 0x01,
                                                      0x26, 0x03, 0x00, 0x01, 0x00, 0x8C, 0x7A}));
}

TEST(FrameCodec, FieldsStayInTagOrderAndEqualTagsGoAfter) {
    FramePtr f = frameCreate(0xA1);
    frameAddBytes(*f, 0x30, {1});
    frameAddBytes(*f, 0x10, {2});
    frameAddBytes(*f, 0x30, {3});
    frameAddBytes(*f, 0x20, {});
    EXPECT_EQ(toBytes(f->payload()), (Bytes{0x10, 1, 2, 0x20, 0, 0x30, 1, 1, 0x30, 1, 3}));
    auto found = frameFindField(*f, 0x30);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->offset, 2u + 5u);
    EXPECT_EQ(toBytes(found->value), Bytes{1});
    EXPECT_FALSE(frameFindField(*f, 0x40));
    EXPECT_FALSE(frameFindField(*frameCreate(0xA1), 0x00)) << "an empty payload has no fields";
}

TEST(FrameCodec, PayloadLimit) {
    std::vector<std::uint8_t> value(254, 0x55);
    FramePtr f = frameCreate(0xA1);
    EXPECT_FALSE(frameAddField(*f, 0x22, 254, value.data()));
    EXPECT_EQ(f->payloadLength(), 0);
    EXPECT_TRUE(frameAddField(*f, 0x22, 253, value.data()));
    EXPECT_EQ(f->payloadLength(), 255);
    EXPECT_FALSE(frameAddBytes(*f, 0x01, {})) << "a full payload takes nothing more";
    frameSeal(*f);
    EXPECT_TRUE(frameVerify(*f));
    EXPECT_EQ(f->length(), 258u);
}

TEST(FrameCodec, FindFieldNeverReadsPastThePayload) {
    // Received payloads are not trusted: a field claiming more bytes than remain is absent.
    ProtocolFrame f;
    f.bytes = {};
    const Bytes raw{0xA2, 0x05, 0x10, 0x01, 0xAA, 0x21, 0x09};
    std::copy(raw.begin(), raw.end(), f.bytes.begin());
    ASSERT_TRUE(frameFindField(f, 0x10));
    EXPECT_FALSE(frameFindField(f, 0x21));

    // Even at the very end of the largest frame.
    ProtocolFrame full;
    full.bytes.fill(0);
    full.bytes[1] = 255;
    full.bytes[2] = 0x01;
    full.bytes[3] = 251; // 2 + 251 = 253 bytes, then a last header at payload offset 253
    full.bytes[2 + 253] = 0x22;
    full.bytes[2 + 254] = 200;
    EXPECT_TRUE(frameFindField(full, 0x01));
    EXPECT_FALSE(frameFindField(full, 0x22));
}

TEST(FrameCodec, VerifyAndKnownTypes) {
    FramePtr f = systemInfoRequest();
    for (int type = 0; type < 256; ++type) {
        f->bytes[0] = static_cast<std::uint8_t>(type);
        EXPECT_EQ(frameHasKnownType(*f), type >= 0xA1 && type <= 0xA4) << type;
    }
    f->bytes[0] = 0xA1;
    frameSeal(*f);
    EXPECT_TRUE(frameVerify(*f));
    f->bytes[3] ^= 0x01;
    EXPECT_FALSE(frameVerify(*f));
}

TEST(FrameCodec, WirePieces) {
    struct Case {
        std::size_t frameSize;
        std::uint8_t fill;
        std::vector<std::size_t> pieceSizes;
    };
    const std::vector<Case> cases{
        {200, 0x11, {60, 60, 60, 22}},
        {59, 0x11, {60, 1}},
        {5, 0x11, {7}},
        {58, 0x11, {60}},
        // Every byte doubles: the staging area passes 60 at 61 bytes.
        {40, 0x7E, {61, 21}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frameSize);
        Bytes frame(c.frameSize, c.fill);
        auto pieces = frameWirePieces(frame);
        std::vector<std::size_t> sizes;
        Bytes joined;
        for (const auto& p : pieces) {
            sizes.push_back(p.size);
            joined.insert(joined.end(), p.view().begin(), p.view().end());
        }
        EXPECT_EQ(sizes, c.pieceSizes);
        EXPECT_EQ(joined, frameStuff(frame));
        EXPECT_EQ(pieces.front().bytes[0], kStartFlag);
        EXPECT_EQ(pieces.back().view().back(), kEndFlag);
    }
}

TEST(FrameAssembler, ReceiveCases) {
    struct Case {
        const char* name;
        Bytes wire;
        std::vector<Bytes> frames;
    };
    const std::vector<Case> cases{
        {"plain", {0x7E, 0xA1, 0x02, 0x15, 0x00, 0x48, 0x7A}, {{0xA1, 0x02, 0x15, 0x00, 0x48}}},
        {"escapes", {0x7E, 0xCD, 0x01, 0xCD, 0x10, 0xCD, 0xCD, 0x7A}, {{0x7E, 0x7A, 0xCD}}},
        {"escape then other byte", {0x7E, 0xCD, 0x42, 0x7A}, {{0x42}}},
        {"escape then end flag", {0x7E, 0x11, 0xCD, 0x7A}, {{0x11}}},
        {"escape then start flag", {0x7E, 0x11, 0xCD, 0x7E, 0x22, 0x7A}, {{0x22}}},
        {"bare 01 and 10", {0x7E, 0x01, 0x10, 0x7A}, {{0x01, 0x10}}},
        {"second start restarts",
         {0x7E, 0xA1, 0x7E, 0xA1, 0x02, 0x15, 0x00, 0x48, 0x7A},
         {{0xA1, 0x02, 0x15, 0x00, 0x48}}},
        {"noise between frames",
         {0x7E, 0x01, 0x7A, 0x55, 0xCD, 0x01, 0x7A, 0x10, 0x7E, 0x02, 0x7A},
         {{0x01}, {0x02}}},
        {"empty frame", {0x7E, 0x7A}, {{}}},
        {"end flag while idle", {0x7A, 0x7A}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Collector col;
        col.feed(c.wire);
        ASSERT_EQ(col.frames.size(), c.frames.size());
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            EXPECT_EQ(col.delivered(i), c.frames[i]);
        }
    }
}

TEST(FrameAssembler, LongestFrameIs257Bytes) {
    for (std::size_t n : {256u, 257u, 258u, 300u}) {
        SCOPED_TRACE(n);
        Collector col;
        Bytes wire{0x7E};
        wire.insert(wire.end(), n, 0x33);
        wire.push_back(0x7A);
        col.feed(wire);
        EXPECT_EQ(col.frames.size(), n <= 257 ? 1u : 0u);
        if (n > 257) {
            EXPECT_FALSE(col.assembler.collecting());
            EXPECT_TRUE(col.assembler.holdsBuffer()) << "kept for the next frame";
        }
    }
    // The 258th byte reached through an escape pair counts the same.
    Collector col;
    Bytes wire{0x7E};
    wire.insert(wire.end(), 257, 0x33);
    wire.insert(wire.end(), {0xCD, 0xCD, 0x7A});
    col.feed(wire);
    EXPECT_TRUE(col.frames.empty());
}

TEST(FrameAssembler, IdleTicks) {
    Collector col;
    col.feed({0x7E, 0x01});
    col.assembler.idleTick();
    col.assembler.idleTick();
    col.feed({0x02}); // a byte between ticks starts the count again
    col.assembler.idleTick();
    col.assembler.idleTick();
    EXPECT_TRUE(col.assembler.collecting());
    col.feed({0x7A});
    ASSERT_EQ(col.frames.size(), 1u);
    EXPECT_EQ(col.delivered(0), (Bytes{0x01, 0x02}));

    col.feed({0x7E, 0x03});
    for (int i = 0; i < 3; ++i) {
        col.assembler.idleTick();
    }
    EXPECT_FALSE(col.assembler.collecting());
    col.feed({0x04, 0x7A});
    EXPECT_EQ(col.frames.size(), 1u) << "a stalled frame is dropped";

    col.assembler.idleTick(); // ticks while idle change nothing
    EXPECT_EQ(col.assembler.idleTicks(), 3);
}

TEST(FrameAssembler, ResetDropsEverything) {
    Collector col;
    col.feed({0x7E, 0x01, 0xCD});
    ASSERT_TRUE(col.assembler.escapePending());
    col.assembler.reset();
    EXPECT_FALSE(col.assembler.collecting());
    EXPECT_FALSE(col.assembler.escapePending());
    EXPECT_EQ(col.assembler.count(), 0);
    EXPECT_FALSE(col.assembler.holdsBuffer());
    col.feed({0x10, 0x7A});
    EXPECT_TRUE(col.frames.empty());
}

TEST(FrameAssembler, AnyByteStreamIsSafeAndBounded) {
    std::mt19937 rng(1234);
    Collector col;
    Bytes noise(1 << 20);
    for (auto& b : noise) {
        b = static_cast<std::uint8_t>(rng());
    }
    col.feed(noise);
    for (const auto& f : col.frames) {
        EXPECT_LE(f.count, 257u);
    }
    // Ten megabytes after one start flag and never an end flag: one fixed buffer, nothing more.
    Collector endless;
    endless.feed({0x7E});
    Bytes block(1 << 20, 0x41);
    for (int i = 0; i < 10; ++i) {
        endless.feed(block);
    }
    EXPECT_TRUE(endless.frames.empty());
    EXPECT_FALSE(endless.assembler.collecting());
    // A trailing escape is simply pending.
    Collector trailing;
    trailing.feed({0x7E, 0xCD});
    EXPECT_TRUE(trailing.assembler.escapePending());
}

TEST(FrameAssembler, RandomFramesRoundTrip) {
    std::mt19937 rng(42);
    for (int iteration = 0; iteration < 500; ++iteration) {
        // A random valid frame of up to 257 bytes (the longest the receiver takes): known type,
        // random fields, sealed.
        FramePtr f = frameCreate(static_cast<std::uint8_t>(0xA1 + rng() % 4));
        while (true) {
            const auto n = static_cast<std::uint8_t>(rng() % 40);
            Bytes value(n);
            for (auto& b : value) {
                // Favour the bytes that need stuffing.
                const std::uint8_t special[] = {0x7E, 0x7A, 0xCD, 0x01, 0x10};
                b = rng() % 3 == 0 ? special[rng() % 5] : static_cast<std::uint8_t>(rng());
            }
            if (f->payloadLength() + n + 2 > 254) {
                break;
            }
            ASSERT_TRUE(frameAddField(*f, static_cast<std::uint8_t>(rng()), n, value.data()));
        }
        frameSeal(*f);
        const Bytes wire = frameStuff(f->frameBytes());

        Collector col;
        std::size_t at = 0;
        while (at < wire.size()) {
            const std::size_t piece = std::min<std::size_t>(1 + rng() % 70, wire.size() - at);
            col.assembler.feed(std::span<const std::uint8_t>(wire).subspan(at, piece));
            at += piece;
        }
        ASSERT_EQ(col.frames.size(), 1u);
        EXPECT_EQ(col.delivered(0), toBytes(f->frameBytes()));
        EXPECT_TRUE(frameVerify(*col.frames[0].frame));
    }
}
