#include "SessionRig.h"

#include "protocol/DeviceSession.h"
#include "protocol/FrameSecrets.h"

#include <gtest/gtest.h>

using namespace vandrel;
using rig::Bytes;

namespace {

TEST(DeviceSessionRecord, FreshSessionAndMissingHost) {
    DeviceSession s;
    EXPECT_EQ(s.state(), SessionState::Initial);
    EXPECT_EQ(static_cast<int>(s.state()), 1);
    EXPECT_EQ(s.retryCount(), 0);
    EXPECT_EQ(s.timerId(), 0u);
    EXPECT_TRUE(s.accessPassword().empty());
    EXPECT_EQ(s.activePartition(), 0);
    EXPECT_EQ(s.operation(), OperationKind::None);
    EXPECT_EQ(s.flashTotal(), 0);
    EXPECT_FALSE(s.isResponding());

    // Without a host no operation that needs the link starts, and nothing breaks.
    EXPECT_FALSE(s.requestConfigRead());
    EXPECT_FALSE(s.requestReset());
    EXPECT_EQ(s.state(), SessionState::Initial);
    // A password longer than 32 characters is cut.
    s.setAccessPassword(std::string(40, 'p'));
    EXPECT_EQ(s.accessPassword(), std::string(32, 'p'));
}

TEST(DeviceSessionRecord, FormattedTraceLines) {
    struct Lines : TraceSink {
        std::vector<std::pair<std::string, TraceColour>> lines;
        void addLine(std::string_view t, TraceColour c) override { lines.emplace_back(t, c); }
        void dumpFrame(std::span<const std::uint8_t>, FrameDirection, const HiddenBytes&) override {
        }
    } trace;
    trace.addFormattedLine(kTraceStatusColour, "Loader version: %s", "1.07");
    trace.addFormattedLine(kTraceStatusColour, "Result %02X", 0x9e);
    ASSERT_EQ(trace.lines.size(), 2u);
    EXPECT_EQ(trace.lines[0].first, "Loader version: 1.07");
    EXPECT_EQ(trace.lines[1].first, "Result 9E");
    EXPECT_EQ(trace.lines[1].second, 0x808000u);
}

// The value bytes of the access password (0x88) and of a new password (0x28) are hidden, also
// in damaged frames, and nothing else is.
TEST(DeviceSessionRecord, PasswordBytesOfAFrame) {
    struct Case {
        const char* frame;
        const char* shown;
    };
    const Case cases[] = {
        {"A1 02 15 00 48", "A1 02 15 00 48"},
        {"A1 08 81 00 88 04 61 62 63 00 24", "A1 08 81 00 88 04 ** ** ** ** 24"},
        {"A1 0C 28 04 6E 65 77 00 88 04 6F 6C 64 00 12",
         "A1 0C 28 04 ** ** ** ** 88 04 ** ** ** ** 12"},
        // A length that runs past the frame hides up to its end, not beyond.
        {"A1 06 88 09 70 77", "A1 06 88 09 ** **"},
        // A payload length beyond the bytes: only the bytes there are walked.
        {"A1 FF 88 01 70", "A1 FF 88 01 **"},
        {"A1", "A1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        const Bytes bytes = rig::bytesOf(c.frame);
        const HiddenBytes hidden = passwordBytes(bytes);
        std::string shown = rig::hex(bytes);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (hidden.test(i)) {
                shown.replace(i * 3, 2, "**");
            }
        }
        EXPECT_EQ(shown, c.shown);
    }
}

} // namespace
