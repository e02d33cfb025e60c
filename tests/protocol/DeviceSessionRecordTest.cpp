#include "protocol/DeviceSession.h"

#include <gtest/gtest.h>

using namespace vandrel;

namespace {
struct RecordingHost : SessionHost {
    int answer = 7;
    std::vector<std::pair<SessionProgress, int>> posted;
    int sessionQuery(SessionQuery) override { return answer; }
    void postSessionProgress(SessionProgress code, int value) override {
        posted.emplace_back(code, value);
    }
};
} // namespace

TEST(DeviceSessionRecord, FreshSessionAndMissingHost) {
    DeviceSession s;
    EXPECT_EQ(s.state, SessionState::Initial);
    EXPECT_EQ(static_cast<int>(s.state), 1);
    EXPECT_EQ(s.pendingFlags, 0u);
    EXPECT_EQ(s.retryCount, 0);
    EXPECT_EQ(s.timerId, 0u);
    EXPECT_EQ(s.trace, nullptr);
    EXPECT_TRUE(s.accessPassword.empty());
    EXPECT_EQ(s.activePartition(), 0);
    EXPECT_EQ(s.operation(), OperationKind::None);
    EXPECT_EQ(s.flashTotal(), 0);

    // Without a host nothing is posted and every question is answered 0.
    EXPECT_EQ(s.query(SessionQuery::EnsureLink), 0);
    s.post(SessionProgress::GaveUp, 0);

    RecordingHost host;
    s.notifyWindow = &host;
    EXPECT_EQ(s.query(SessionQuery::EnsureLink), 7);
    s.post(SessionProgress::ConfigReadEnded, result::Success);
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_EQ(host.posted[0].first, SessionProgress::ConfigReadEnded);
}

TEST(DeviceSessionRecord, FormattedTraceLines) {
    struct Lines : TraceSink {
        std::vector<std::pair<std::string, TraceColour>> lines;
        void addLine(std::string_view t, TraceColour c) override { lines.emplace_back(t, c); }
        void dumpFrame(std::span<const std::uint8_t>, FrameDirection) override {}
    } trace;
    trace.addFormattedLine(kTraceStatusColour, "Loader version: %s", "1.07");
    trace.addFormattedLine(kTraceStatusColour, "Result %02X", 0x9e);
    ASSERT_EQ(trace.lines.size(), 2u);
    EXPECT_EQ(trace.lines[0].first, "Loader version: 1.07");
    EXPECT_EQ(trace.lines[1].first, "Result 9E");
    EXPECT_EQ(trace.lines[1].second, 0x808000u);
}
