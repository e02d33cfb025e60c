#include "SessionRig.h"
#include "TempDir.h"
#include "TestFiles.h"

#include "protocol/DeviceSession.h"
#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Answers that do not name their step (configuration answers and acknowledgements without 0x46,
// image blocks without it) to a step that was sent twice: the first answer is taken, the second
// is dropped as the duplicate it is, and the next step waits for it (or for one time-out). No
// answer is ever taken for the step after.
using namespace vandrel;
using rig::Bytes;
using rig::SessionRig;

namespace {

// The address field of each request sent, "-" for none.
std::vector<std::string> addressesSent(const SessionRig& r) {
    std::vector<std::string> out;
    for (const Bytes& bytes : r.channel.sent) {
        ProtocolFrame frame;
        std::copy(bytes.begin(), bytes.end(), frame.bytes.begin());
        const auto address = frameFindField(frame, tag::Address);
        out.push_back(address ? rig::hex(Bytes(address->value.begin(), address->value.end()))
                              : std::string("-"));
    }
    return out;
}

Bytes packetData(int packet) {
    return Bytes(128, static_cast<std::uint8_t>(0x20 + packet));
}

struct LateRow {
    const char* name;
    // Whether the converter's answer to the second copy comes at all.
    bool secondAnswerComes;
};

// Packet 2 is re-sent after its time-out; then the answer to the first copy arrives, and (maybe)
// the answer to the second.
TEST(UnnamedLateAnswers, ConfigurationReadStaysInPlace) {
    for (const LateRow row :
         {LateRow{"both copies answered", true}, LateRow{"the second answer is lost", false}}) {
        SCOPED_TRACE(row.name);
        SessionRig r;
        r.session.requestConfigRead();
        r.deliver(0xA2, {{0x42, packetData(0)}});
        r.deliver(0xA2, {{0x42, packetData(1)}});
        r.clock.advance(1000); // packet 2 again
        ASSERT_EQ(r.channel.sent.size(), 4u);
        r.deliver(0xA2, {{0x42, packetData(2)}}); // the first copy's answer
        EXPECT_EQ(r.channel.sent.size(), 4u) << "packet 3 waits";
        if (row.secondAnswerComes) {
            r.deliver(0xA2, {{0x42, packetData(2)}}); // the second copy's answer
            EXPECT_EQ(r.trace.lines.back().rfind("Read configuration data (packet:3)", 0), 0u);
            EXPECT_NE(
                std::find(r.trace.lines.begin(), r.trace.lines.end(), "Duplicate answer dropped"),
                r.trace.lines.end());
        } else {
            r.clock.advance(999);
            EXPECT_EQ(r.channel.sent.size(), 4u);
            r.clock.advance(1);
        }
        ASSERT_EQ(r.channel.sent.size(), 5u);
        r.deliver(0xA2, {{0x42, packetData(3)}});
        r.deliver(0xA2, {{0x42, packetData(4)}});
        r.deliver(0xA2, {{0x15, {'F'}}});

        ASSERT_EQ(r.host.results.size(), 1u);
        ASSERT_TRUE(r.host.results[0].config);
        const ConfigImage& image = *r.host.results[0].config;
        for (int packet = 1; packet < 5; ++packet) {
            EXPECT_EQ(image[static_cast<std::size_t>(packet) * 128 + 4], 0x20 + packet) << packet;
        }
        EXPECT_EQ(image[388], 0x23) << "byte 388 is packet 3's";
        EXPECT_EQ(addressesSent(r),
                  (std::vector<std::string>{"03 80 00", "03 80 80", "03 81 00", "03 81 00",
                                            "03 81 80", "03 82 00", "-"}));
    }
}

// Packet 2 of a write is re-sent; its first acknowledgement comes late, then the second. Packet 3
// is refused once: its re-send must be packet 3 again, so every packet is written.
TEST(UnnamedLateAnswers, ConfigurationWriteRefusalRepeatsTheRightPacket) {
    SessionRig r;
    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i / 128 + 1);
    }
    r.session.requestConfigWrite(image);
    r.deliver(0xA2, {{0x41, {}}});
    r.deliver(0xA2, {{0x41, {}}});
    r.clock.advance(1000);             // packet 2 again
    r.deliver(0xA2, {{0x41, {}}});     // the first copy's acknowledgement
    r.deliver(0xA2, {{0x41, {}}});     // the second copy's: dropped
    r.deliver(0xA3, {{0x71, {0x01}}}); // packet 3 refused
    r.deliver(0xA2, {{0x41, {}}});
    r.deliver(0xA2, {{0x41, {}}});
    r.deliver(0xA2, {{0x81, {}}});
    r.deliver(0xA1, {{0x13, {0x01}}});

    EXPECT_EQ(addressesSent(r),
              (std::vector<std::string>{"03 80 00", "03 80 80", "03 81 00", "03 81 00", "03 81 80",
                                        "03 81 80", "03 82 00", "-", "-"}));
    // What went out for each packet is that packet's bytes.
    for (std::size_t i = 0; i < 7; ++i) {
        const Bytes& frame = r.channel.sent[i];
        EXPECT_EQ(frame[10], frame[20]) << "one packet's bytes in one frame";
    }
    EXPECT_EQ(r.channel.sent[5][10], 4) << "the refused packet 3 went again";
    ASSERT_EQ(r.host.results.size(), 1u);
    EXPECT_EQ(r.host.results[0].outcome, Outcome::Done);
    EXPECT_TRUE(r.host.results[0].written);
}

// Image blocks without 0x46: block 1 is re-sent, both copies are answered; the image file holds
// every block once, in place.
TEST(UnnamedLateAnswers, ImageBlocksStayInPlace) {
    TempDir dir;
    SessionRig r;
    r.session.startFlashDownloading(dir.file("image.bin"));
    r.deliver(0xA2, {{0x24, {0, 0x01, 0x80}}}); // four blocks
    r.deliver(0xA2, {{0x42, Bytes(128, 0xA0)}});
    r.clock.advance(1000); // block 1 again
    r.deliver(0xA2, {{0x42, Bytes(128, 0xA1)}});
    r.deliver(0xA2, {{0x42, Bytes(128, 0xA1)}}); // dropped
    r.deliver(0xA2, {{0x42, Bytes(128, 0xA2)}});
    r.deliver(0xA2, {{0x42, Bytes(128, 0xA3)}});

    Bytes expected;
    for (std::uint8_t b : {0xA0, 0xA1, 0xA2, 0xA3}) {
        expected.insert(expected.end(), 128, b);
    }
    EXPECT_EQ(testfiles::read(dir.file("image.bin")), expected);
    EXPECT_EQ(addressesSent(r), (std::vector<std::string>{"-", "00 00 00", "00 00 80", "00 00 80",
                                                          "00 01 00", "00 01 80"}));
    ASSERT_EQ(r.host.results.size(), 1u);
    EXPECT_EQ(r.host.results[0].outcome, Outcome::Done);
}

// A last step ends at once: its late duplicate meets no operation and changes nothing.
TEST(UnnamedLateAnswers, LastStepEndsAtOnce) {
    SessionRig r;
    r.session.requestPasswordChange("n", "o");
    r.clock.advance(1000);
    r.deliver(0xA2, {{0x28, {}}});
    ASSERT_EQ(r.host.results.size(), 1u);
    EXPECT_EQ(r.session.operation(), OperationKind::None);
    r.deliver(0xA2, {{0x28, {}}});
    EXPECT_EQ(r.host.results.size(), 1u);
    EXPECT_EQ(r.channel.sent.size(), 2u);
}

} // namespace
