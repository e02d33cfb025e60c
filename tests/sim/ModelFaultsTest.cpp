// The stand-in's faults on demand, its line pacing, and its receiving of the wire form.
#include "HostEnd.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vandrel::sim {
namespace {

using testing::address;
using testing::buildFrame;
using testing::Bytes;
using testing::codeEvent;
using testing::Fields;
using testing::HostEnd;
using testing::loaderEvent;
using testing::partitionReport;
using testing::pw;
using testing::withChecksum;

ModelSettings smallSettings() {
    ModelSettings s;
    s.firmwareVersion = "F1";
    s.loaderVersion = "L1";
    s.partition = 2;
    return s;
}

struct Fixture {
    explicit Fixture(const FaultSettings& faults) : model(smallSettings()), host(model) {
        model.setFaults(faults);
    }
    ConverterModel model;
    HostEnd host;
};

const Fields kSystemInfo{{0x15, {}}};

bool verifies(const Bytes& frame) {
    ProtocolFrame f;
    std::copy(frame.begin(), frame.end(), f.bytes.begin());
    return frameVerify(f);
}

TEST(ModelFaults, DroppedFramesInEitherDirection) {
    struct Case {
        LineFaults line;
        std::vector<bool> answered; // per request, in order
    };
    const Case cases[] = {
        {{.dropInEvery = 2}, {true, false, true, false, true, false}},
        {{.dropOutEvery = 3}, {true, true, false, true, true, false}},
        {{.dropInEvery = 3, .dropOutEvery = 2}, {true, false, false, true, false, false}},
    };
    for (const Case& c : cases) {
        Fixture f({c.line, {}});
        std::vector<bool> answered;
        for (std::size_t i = 0; i < c.answered.size(); ++i) {
            answered.push_back(f.host.exchange(kSystemInfo).size() == 1);
        }
        EXPECT_EQ(answered, c.answered)
            << "in " << c.line.dropInEvery << " out " << c.line.dropOutEvery;
    }
}

TEST(ModelFaults, CorruptsTheChecksumOfEveryNthFrame) {
    Fixture f({{.corruptOutEvery = 2}, {}});
    std::vector<bool> good;
    for (int i = 0; i < 4; ++i) {
        auto frames = f.host.exchange(kSystemInfo);
        ASSERT_EQ(frames.size(), 1u);
        good.push_back(verifies(frames[0]));
    }
    EXPECT_EQ(good, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(f.model.link().framesCorrupted(), 2u);
}

TEST(ModelFaults, DelaysAnswers) {
    Fixture f({{.answerDelay = 50ms}, {}});
    EXPECT_TRUE(f.host.exchange(kSystemInfo).empty());
    f.model.advance(49ms);
    EXPECT_TRUE(f.host.take().empty());
    f.model.advance(1ms);
    EXPECT_EQ(f.host.take().size(), 1u);
}

TEST(ModelFaults, RefusesARequestKindWithTheChosenStatus) {
    struct Case {
        Refusal refusal;
        Fields request;
        std::vector<std::uint8_t> firstTypes; // answer types of four requests
    };
    const Case cases[] = {
        {{RequestKind::ConfigRead, 0x42, 2},
         {{0x42, {}}, {0x46, address(0x038000)}, {0x88, pw("")}},
         {0xA3, 0xA3, 0xA2, 0xA2}},
        {{RequestKind::SystemInfo, 0x07, 0}, kSystemInfo, {0xA3, 0xA3, 0xA3, 0xA3}},
        {{RequestKind::MonitorOn, 0x07, 0}, kSystemInfo, {0xA2, 0xA2, 0xA2, 0xA2}},
    };
    for (const Case& c : cases) {
        Fixture f({{}, {c.refusal}});
        std::vector<std::uint8_t> types;
        for (int i = 0; i < 4; ++i) {
            auto frames = f.host.exchange(c.request);
            ASSERT_EQ(frames.size(), 1u);
            types.push_back(frames[0][0]);
            if (frames[0][0] == 0xA3) {
                EXPECT_EQ(frames[0], withChecksum({0xA3, 0x03, 0x71, 0x01, c.refusal.status}));
            }
        }
        EXPECT_EQ(types, c.firstTypes) << requestKindName(c.refusal.kind);
    }
}

// From the Nth request of a kind on, that kind goes unanswered or is refused; other kinds are
// answered as before.
TEST(ModelFaults, LastingFailureFromTheNthRequest) {
    const Fields read{{0x42, {}}, {0x46, address(0x038000)}, {0x88, pw("")}};
    const Bytes refusal = withChecksum({0xA3, 0x03, 0x71, 0x01, 0x42});
    struct Case {
        LastingFailure failure;
        std::vector<std::vector<Bytes>> answers; // to five system information requests
    };
    const Case cases[] = {
        {{RequestKind::SystemInfo, 3, true, 0}, {{}, {}, {}}},
        {{RequestKind::SystemInfo, 3, false, 0x42}, {{refusal}, {refusal}, {refusal}}},
    };
    for (const Case& c : cases) {
        Fixture f({{}, {}, {}, {}, {c.failure}});
        EXPECT_EQ(f.host.exchange(kSystemInfo).size(), 1u);
        EXPECT_EQ(f.host.exchange(kSystemInfo).size(), 1u);
        for (std::size_t i = 0; i < c.answers.size(); ++i) {
            const std::vector<Bytes> answer = f.host.exchange(kSystemInfo);
            EXPECT_EQ(answer, c.answers[i])
                << "request " << i + 3 << ", silent " << c.failure.silent;
            if (answer.empty()) {
                f.model.advance(10s);
                EXPECT_TRUE(f.host.take().empty()) << "no answer comes later either";
            }
            ASSERT_EQ(f.host.exchange(read).size(), 1u) << "another kind is answered";
        }
    }
}

// The answer to one copy of a request is held until the next copy arrives, then goes out just
// before that copy's own answer; the other kinds and copies are answered at once.
TEST(ModelFaults, LateAnswerGoesOutWhenTheNextCopyArrives) {
    ModelSettings settings = smallSettings();
    settings.echoConfigAddress = true;
    ConverterModel model(settings);
    HostEnd host(model);
    model.setFaults({{}, {}, {{RequestKind::ConfigRead, 2}}});
    auto read = [](std::uint32_t at) {
        return Fields{{0x42, {}}, {0x46, address(at)}, {0x88, pw("")}};
    };
    auto answeredAddress = [](const Bytes& frame) {
        ProtocolFrame f;
        std::copy(frame.begin(), frame.end(), f.bytes.begin());
        const auto field = frameFindField(f, 0x46);
        return field ? Bytes(field->value.begin(), field->value.end()) : Bytes{};
    };
    ASSERT_EQ(host.exchange(read(0x038000)).size(), 1u);
    EXPECT_TRUE(host.exchange(read(0x038080)).empty()) << "the second read is answered late";
    EXPECT_EQ(host.exchange(kSystemInfo).size(), 1u) << "another kind does not release it";
    const std::vector<Bytes> crossed = host.exchange(read(0x038080));
    ASSERT_EQ(crossed.size(), 2u);
    EXPECT_EQ(answeredAddress(crossed[0]), address(0x038080));
    EXPECT_EQ(answeredAddress(crossed[1]), address(0x038080));
    EXPECT_EQ(Bytes(crossed[0].begin() + 4, crossed[0].begin() + 132),
              Bytes(model.configImage().begin() + 128, model.configImage().begin() + 256));
    EXPECT_EQ(host.exchange(read(0x038100)).size(), 1u);
    // Without the echo setting a configuration answer names no address.
    Fixture plain({});
    EXPECT_EQ(answeredAddress(plain.host.exchange(read(0x038000)).at(0)), Bytes{});
}

// The Nth request of a kind gets no answer: the converter restarts the way the fault says, and
// the requests before and after it are answered as usual.
TEST(ModelFaults, RestartsInsteadOfAnsweringTheNthRequest) {
    const std::uint8_t code = restart_code::Unexpected;
    struct Case {
        RestartHow how;
        Bytes event;                 // the first event, a restart delay after the request
        std::uint8_t ackTag;         // its acknowledgement
        std::vector<Bytes> afterAck; // what follows the acknowledgement at once
        std::vector<Bytes> later;    // and within the next 200 ms
        bool codeRuns;               // the application code runs in the end
    };
    const Case cases[] = {
        {RestartHow::Code, codeEvent(code, "F1"), 0x14, {}, {}, true},
        {RestartHow::Loader,
         loaderEvent(code),
         0x12,
         {partitionReport(2)},
         {codeEvent(code, "F1")},
         true},
        {RestartHow::Firmware, loaderEvent(code, true), 0x12, {}, {}, false},
    };
    const Fields configRead{{0x42, {}}, {0x46, address(0x038000)}, {0x88, pw("")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.how));
        Fixture f({{}, {}, {}, {{RequestKind::SystemInfo, 2, c.how}}});
        f.host.exchange({{0x31, {}}});
        ASSERT_TRUE(f.model.monitoring());
        EXPECT_EQ(f.host.exchange(kSystemInfo).size(), 1u);

        EXPECT_TRUE(f.host.exchange(kSystemInfo).empty()) << "the second one is not answered";
        EXPECT_FALSE(f.model.running());
        EXPECT_FALSE(f.model.monitoring()) << "a restart ends monitoring";
        f.model.advance(99ms);
        EXPECT_TRUE(f.host.take().empty());
        f.model.advance(1ms);
        EXPECT_EQ(f.host.take(), std::vector<Bytes>{c.event});
        EXPECT_EQ(f.host.exchange({{c.ackTag, {code}}}, 0xA2), c.afterAck);
        f.model.advance(200ms);
        EXPECT_EQ(f.host.take(), c.later);
        if (!c.later.empty()) {
            f.host.exchange({{0x14, {code}}}, 0xA2);
        }
        EXPECT_EQ(f.model.running(), c.codeRuns);
        f.model.advance(10s);
        EXPECT_TRUE(f.host.take().empty()) << "each event acknowledged, nothing more comes";

        // The fault strikes once: the third request is answered, by the code or the loader.
        EXPECT_EQ(f.host.exchange(kSystemInfo).size(), 1u);
        const std::vector<Bytes> read = f.host.exchange(configRead);
        ASSERT_EQ(read.size(), 1u);
        if (c.codeRuns) {
            EXPECT_EQ(read[0][0], 0xA2);
        } else {
            EXPECT_EQ(read[0], withChecksum({0xA3, 0x03, 0x71, 0x01, status::NotNow}))
                << "the waiting loader runs nothing else";
        }
    }
}

// Restarts under a FLASH loading lose the chunks sent so far and keep the old image; a loader
// that then waits for firmware takes the loading again from the first chunk. Several faults
// count the same requests.
TEST(ModelFaults, RestartUnderAFlashLoadingAndALoaderThatWaits) {
    const std::uint8_t code = restart_code::Unexpected;
    Fixture f({{},
               {},
               {},
               {{RequestKind::FlashChunk, 3, RestartHow::Firmware},
                {RequestKind::FlashChunk, 5, RestartHow::Firmware}}});
    const Bytes old = f.model.flashImage();
    Bytes image = FlashStore::makeFirmwareImage(640, "F9");
    // Chunks from `from` on, each answered with its address, until one is not answered.
    auto sendChunks = [&](std::size_t from) {
        for (std::size_t at = from; at < image.size(); at += 128) {
            const Bytes chunk(image.begin() + static_cast<std::ptrdiff_t>(at),
                              image.begin() + static_cast<std::ptrdiff_t>(at + 128));
            const std::vector<Bytes> answer =
                f.host.exchange({{0x22, chunk}, {0x26, address(static_cast<std::uint32_t>(at))}});
            if (answer.empty()) {
                return at;
            }
            Bytes expected{0xA2, 0x05, 0x26, 0x03};
            const Bytes a = address(static_cast<std::uint32_t>(at));
            expected.insert(expected.end(), a.begin(), a.end());
            EXPECT_EQ(answer, std::vector<Bytes>{withChecksum(expected)});
        }
        return image.size();
    };
    auto restartIntoWaitingLoader = [&] {
        f.model.advance(100ms);
        EXPECT_EQ(f.host.take(), std::vector<Bytes>{loaderEvent(code, true)});
        EXPECT_TRUE(f.host.exchange({{0x12, {code}}}, 0xA2).empty());
        EXPECT_FALSE(f.model.flashLoading()) << "the loading under way is lost";
        EXPECT_EQ(f.model.flashImage(), old);
    };
    const Fields start{{0x21, {1}}, {0x88, pw("")}};
    EXPECT_EQ(f.host.exchange(start), std::vector<Bytes>{withChecksum({0xA2, 0x02, 0x21, 0x00})});
    EXPECT_EQ(sendChunks(0), 256u) << "the third chunk brings the restart";
    restartIntoWaitingLoader();

    EXPECT_EQ(f.host.exchange(start).size(), 1u);
    EXPECT_EQ(sendChunks(0), 128u) << "the fifth chunk of all brings the next one";
    restartIntoWaitingLoader();

    EXPECT_EQ(f.host.exchange(start).size(), 1u);
    EXPECT_EQ(sendChunks(0), image.size());
    EXPECT_EQ(f.host.exchange({{0x29, {}}}),
              std::vector<Bytes>{withChecksum({0xA2, 0x02, 0x29, 0x00})});
    EXPECT_EQ(f.model.flashImage(), image);
    EXPECT_EQ(f.model.framesReceived(RequestKind::FlashChunk), 3u + 2u + 5u);
    f.model.advance(5000ms);
    EXPECT_EQ(f.host.take(), std::vector<Bytes>{loaderEvent(restart_code::AfterLoading)});
    f.host.exchange({{0x12, {restart_code::AfterLoading}}}, 0xA2);
    f.model.advance(200ms);
    EXPECT_EQ(f.host.take(), std::vector<Bytes>{codeEvent(restart_code::AfterLoading, "F9")});
    f.host.exchange({{0x14, {restart_code::AfterLoading}}}, 0xA2);
    EXPECT_TRUE(f.model.running());
}

TEST(ModelFaults, GarbageBetweenFramesHoldsNoFlags) {
    Fixture f({{.garbageBytes = 5}, {}});
    f.host.send(kSystemInfo);
    f.host.send(kSystemInfo);
    f.model.advance(SimTime{0});
    const Bytes& wire = f.host.wire();
    EXPECT_EQ(f.host.take().size(), 2u) << "the noise does not disturb the receiver";
    // Each frame is preceded by five noise bytes.
    ASSERT_GE(wire.size(), 10u);
    EXPECT_TRUE(std::none_of(wire.begin(), wire.begin() + 5,
                             [](std::uint8_t b) { return b == 0x7E || b == 0x7A; }));
    EXPECT_EQ(wire[5], 0x7E);
    const auto end = std::find(wire.begin() + 5, wire.end(), std::uint8_t{0x7A});
    ASSERT_NE(end, wire.end());
    EXPECT_TRUE(
        std::none_of(end + 1, end + 6, [](std::uint8_t b) { return b == 0x7E || b == 0x7A; }));
    EXPECT_EQ(*(end + 6), 0x7E);
    EXPECT_EQ(f.model.link().framesSent(), 2u);
}

TEST(ModelFaults, LinePacesBothDirections) {
    const unsigned baud = 9600;
    const auto bytesTime = [&](std::size_t n) {
        return SimTime{static_cast<std::int64_t>(n) * 11 * 1'000'000'000 / baud};
    };
    Fixture f({{.baudRate = baud}, {}});
    const Bytes request = frameStuff(buildFrame(0xA1, kSystemInfo)); // 7 wire bytes
    const std::size_t answerBytes = frameStuff(withChecksum({0xA2, 0x0B, 0x15, 0x02, 'F', '1', 0x16,
                                                             0x02, 'L', '1', 0x51, 0x01, 0x02}))
                                        .size();

    // Two requests handed over at once: the second crosses the line after the first, and its
    // answer waits for the first answer to leave.
    Bytes both = request;
    both.insert(both.end(), request.begin(), request.end());
    f.model.receiveBytes(both);
    const SimTime firstDone = bytesTime(request.size() + answerBytes);
    const SimTime secondDone = bytesTime(request.size() + 2 * answerBytes);
    // Times are whole nanoseconds; a microsecond is far below one byte time.
    const SimTime slack = 1us;
    f.model.advanceTo(firstDone - slack);
    EXPECT_TRUE(f.host.take().empty());
    f.model.advanceTo(firstDone + slack);
    EXPECT_EQ(f.host.take().size(), 1u);
    f.model.advanceTo(secondDone - slack);
    EXPECT_TRUE(f.host.take().empty());
    f.model.advanceTo(secondDone + slack);
    EXPECT_EQ(f.host.take().size(), 1u);
    EXPECT_EQ(f.host.wire().size(), 2 * answerBytes);
}

TEST(ModelFaults, DamagedFramesFromTheHostAreIgnored) {
    Fixture f({});
    Bytes badSum = buildFrame(0xA1, kSystemInfo);
    badSum.back() ^= 0x01;
    Bytes badType = withChecksum({0xA5, 0x02, 0x15, 0x00});
    for (const Bytes& frame : {badSum, badType}) {
        f.host.sendRaw(frame);
    }
    // Noise outside frames, and a frame restarted by a second start flag.
    f.model.receiveBytes(
        Bytes{0x01, 0xCD, 0x10, 0x7A, 0x7E, 0xA1, 0x7E, 0xA1, 0x02, 0x15, 0x00, 0x48, 0x7A});
    f.model.advance(SimTime{0});
    EXPECT_EQ(f.host.take().size(), 1u);
    EXPECT_EQ(f.model.badFramesReceived(), 2u);
    EXPECT_EQ(f.model.framesReceived(RequestKind::SystemInfo), 1u);
}

// Configuration packets written and read back unchanged, whatever bytes they hold.
TEST(ModelFaults, EveryByteValueSurvivesStuffingBothWays) {
    auto pattern = [](auto fill) {
        Bytes p(128);
        for (std::size_t i = 0; i < p.size(); ++i) {
            p[i] = fill(i);
        }
        return p;
    };
    const Bytes sideBySide = {0x7E, 0x7A, 0xCD, 0xCD, 0x7E, 0x7E, 0x7A, 0x7A, 0xCD, 0x01,
                              0xCD, 0x10, 0x01, 0x10, 0x7E, 0x01, 0x7A, 0x10, 0xCD};
    const std::vector<Bytes> packets = {
        pattern([](std::size_t i) { return static_cast<std::uint8_t>(i); }),
        pattern([](std::size_t i) { return static_cast<std::uint8_t>(128 + i); }),
        pattern([](std::size_t i) {
            return i == 0 ? 0x7E : i == 127 ? 0x7A : static_cast<std::uint8_t>(i);
        }),
        pattern([](std::size_t i) {
            return i == 0 ? 0xCD : i == 127 ? 0xCD : static_cast<std::uint8_t>(0x55);
        }),
        pattern([&](std::size_t i) { return sideBySide[i % sideBySide.size()]; }),
        pattern([](std::size_t i) { return i % 2 ? 0x7A : 0x7E; }),
    };
    Fixture f({});
    for (std::size_t n = 0; n < packets.size(); ++n) {
        const std::uint32_t at = 0x038080;
        ASSERT_EQ(f.host.exchange({{0x41, packets[n]}, {0x46, address(at)}, {0x88, pw("")}}),
                  std::vector<Bytes>{withChecksum({0xA2, 0x02, 0x41, 0x00})})
            << "pattern " << n;
        EXPECT_TRUE(
            std::equal(packets[n].begin(), packets[n].end(), f.model.configImage().begin() + 128));
        auto read = f.host.exchange({{0x42, {}}, {0x46, address(at)}, {0x88, pw("")}});
        ASSERT_EQ(read.size(), 1u);
        EXPECT_EQ(Bytes(read[0].begin() + 4, read[0].end() - 1), packets[n]) << "pattern " << n;
        EXPECT_TRUE(verifies(read[0]));
    }
}

} // namespace
} // namespace vandrel::sim
