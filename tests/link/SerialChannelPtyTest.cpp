// The channel against real pseudo-terminals: the master is the converter's end of the line.
#include "LinkFixtures.h"
#include "TempDir.h"

#include "link/PortDiscovery.h"
#include "link/QueuedFrameHandler.h"
#include "link/SerialChannel.h"
#include "protocol/FrameWire.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;
using namespace vandrel;

namespace {

constexpr std::uint32_t kBaud = 115200;

template <typename Pred> bool eventually(Pred pred, std::chrono::milliseconds limit = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

QString qpath(const std::string& path) {
    return QString::fromStdString(path);
}

std::vector<std::vector<std::uint8_t>> sampleFrames() {
    return {
        {0xA1, 0x02, 0x15, 0x00, 0x48},        // get system info
        filledFrame(128, 0x7E),                // every byte escaped
        filledFrame(195, 0x11),                // 200 bytes, nothing escaped: several pieces
        filledFrame(252, 0xCD),                // the longest frame received, escapes throughout
        sealedFrame(0xA2, {0x7A, 0x01, 0x10}), // flags and escape look-alikes
    };
}

std::vector<std::uint8_t> wireOf(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::vector<std::uint8_t> wire;
    for (const auto& f : frames) {
        frameStuff(f, wire);
    }
    return wire;
}

TEST(SerialChannelPty, PostedFramesLeaveByteExactAndInOrder) {
    PtyPair line;
    SerialChannel channel;
    ASSERT_TRUE(channel.start(qpath(line.slavePath()), kBaud).started());
    auto frames = sampleFrames();
    frames.push_back(filledFrame(253, 0x7A)); // the longest frame there is
    for (const auto& f : frames) {
        ASSERT_TRUE(channel.postFrame(framePtr(f)));
    }
    const std::vector<std::uint8_t> expected = wireOf(frames);
    EXPECT_EQ(line.read(expected.size() + 1, 3s), expected);
}

enum class Delivery { FramePerWrite, BytePerWrite, AllInOneWrite };

class SerialChannelReceive : public ::testing::TestWithParam<Delivery> {};

TEST_P(SerialChannelReceive, FramesFromTheLineReachTheHandler) {
    PtyPair line;
    FrameCollector collector;
    SerialChannel channel;
    ASSERT_TRUE(channel.start(qpath(line.slavePath()), kBaud, collector.handler()).started());
    const auto frames = sampleFrames();
    // Noise before the first start flag is dropped.
    const std::vector<std::uint8_t> noise{0x00, 0x10, 0x7A, 0x55};
    line.write(noise);
    switch (GetParam()) {
    case Delivery::FramePerWrite:
        for (const auto& f : frames) {
            line.write(frameStuff(f));
        }
        break;
    case Delivery::BytePerWrite:
        for (std::uint8_t b : wireOf(frames)) {
            line.write(std::span<const std::uint8_t>(&b, 1));
        }
        break;
    case Delivery::AllInOneWrite:
        line.write(wireOf(frames));
        break;
    }
    EXPECT_EQ(collector.waitFor(frames.size(), 5s), frames);
}

INSTANTIATE_TEST_SUITE_P(Writes, SerialChannelReceive,
                         ::testing::Values(Delivery::FramePerWrite, Delivery::BytePerWrite,
                                           Delivery::AllInOneWrite));

TEST(SerialChannelPty, PathsThatNameNoPortAreNotFoundAndLeaveNothingRunning) {
    TempDir dir;
    std::ofstream(dir.file("plain")) << "not a port";
    std::filesystem::create_symlink(dir.file("nowhere"), dir.file("dangling"));
    const std::size_t threadsBefore = threadCount();
    for (const std::string& path :
         {dir.file("missing"), dir.file("plain"), dir.path().string(), dir.file("dangling"),
          std::string("/dev/null"), std::string("ttyNoSuchPort")}) {
        SCOPED_TRACE(path);
        SerialChannel channel;
        const ChannelStartResult r = channel.start(qpath(path), kBaud);
        EXPECT_EQ(r.open, PortOpenResult::NotFound);
        EXPECT_FALSE(r.started());
        EXPECT_FALSE(channel.isOpen());
        EXPECT_FALSE(channel.postFrame(framePtr(sampleFrames()[0])));
        EXPECT_TRUE(eventually([&] { return threadCount() == threadsBefore; }));
    }
}

TEST(SerialChannelPty, PortHeldElsewhereIsAccessDenied) {
    PtyPair line;
    {
        PortHolderProcess other(line.slavePath());
        ASSERT_TRUE(other.holds());
        SerialChannel channel;
        EXPECT_EQ(channel.start(qpath(line.slavePath()), kBaud).open, PortOpenResult::AccessDenied);
        EXPECT_FALSE(channel.isOpen());
    }
    // Our own channel holds it just as firmly, also under another name of the same device.
    TempDir dir;
    std::filesystem::create_symlink(line.slavePath(), dir.file("stable"));
    SerialChannel first;
    ASSERT_TRUE(first.start(qpath(line.slavePath()), kBaud).started());
    SerialChannel second;
    EXPECT_EQ(second.start(qpath(dir.file("stable")), kBaud).open, PortOpenResult::AccessDenied);
    first.stop();
    EXPECT_TRUE(second.start(qpath(dir.file("stable")), kBaud).started());
}

class SerialChannelLine : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(SerialChannelLine, LineIsRawEightDataBitsNoParityTwoStopBits) {
    PtyPair line;
    SerialChannel channel;
    ASSERT_TRUE(channel.start(qpath(line.slavePath()), GetParam()).started());
    const LineSettings s = readLineSettings(line.master());
    EXPECT_EQ(s.outputSpeed, GetParam());
    EXPECT_EQ(s.inputSpeed, GetParam());
    EXPECT_TRUE(s.eightDataBits);
    EXPECT_TRUE(s.twoStopBits);
    EXPECT_FALSE(s.parity);
    EXPECT_FALSE(s.hardwareFlow);
    EXPECT_FALSE(s.softwareFlow);
    EXPECT_TRUE(s.raw);
    EXPECT_TRUE(s.receiverOn);
}

INSTANTIATE_TEST_SUITE_P(Speeds, SerialChannelLine,
                         ::testing::Values(1200u, 9600u, 115200u, 250000u, 921600u, 3000000u));

TEST(SerialChannelPty, StopWritesWhatWasPostedThenEnds) {
    PtyPair line;
    SerialChannel channel;
    ASSERT_TRUE(channel.start(qpath(line.slavePath()), kBaud).started());
    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < 20; ++i) {
        frames.push_back(filledFrame(100, static_cast<std::uint8_t>(i)));
        ASSERT_TRUE(channel.postFrame(framePtr(frames.back())));
    }
    channel.stop();
    EXPECT_FALSE(channel.isOpen());
    const std::vector<std::uint8_t> expected = wireOf(frames);
    EXPECT_EQ(line.read(expected.size() + 1, 2s), expected);
    EXPECT_FALSE(channel.postFrame(framePtr(frames[0])));
}

TEST(SerialChannelPty, StopAndRestartLeaveNoThreadOrDescriptorBehind) {
    PtyPair line;
    PtyPair other;
    const std::size_t threadsBefore = threadCount();
    const std::size_t descriptorsBefore = descriptorCount();
    {
        SerialChannel channel;
        channel.stop(); // never started
        channel.stop();
        FrameCollector collector;
        ASSERT_TRUE(channel.start(qpath(line.slavePath()), kBaud, collector.handler()).started());
        // A start while running moves to the new port and frees the old one at once.
        ASSERT_TRUE(channel.start(qpath(other.slavePath()), kBaud).started());
        EXPECT_EQ(probePort(qpath(line.slavePath())), PortOpenResult::Opened);
        other.write(frameStuff(sampleFrames()[0]));
        EXPECT_EQ(collector.waitFor(1, 5s).size(), 1u);
        // The converter stays silent: stop must not wait for it.
        channel.stop();
        channel.stop();
        EXPECT_FALSE(channel.isOpen());
        EXPECT_EQ(channel.start(qpath("/nonexistent/port"), kBaud).open, PortOpenResult::NotFound);
    }
    EXPECT_TRUE(eventually([&] { return threadCount() == threadsBefore; }))
        << threadCount() << " threads, " << threadsBefore << " before";
    EXPECT_EQ(descriptorCount(), descriptorsBefore);
}

TEST(SerialChannelPty, UnpluggedPortIsReopenedUnderItsStableName) {
    TempDir dir;
    const std::string stable = dir.file("usb-converter-if00");
    auto first = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(first->slavePath(), stable);

    FrameCollector collector;
    SerialChannel channel;
    // The owner hears of the loss and of the return, each once.
    std::mutex statesLock;
    std::vector<bool> states;
    channel.setLinkStateHandler([&](bool open) {
        std::lock_guard guard(statesLock);
        states.push_back(open);
    });
    const auto reported = [&] {
        std::lock_guard guard(statesLock);
        return states;
    };
    ASSERT_TRUE(channel.start(qpath(stable), kBaud, collector.handler()).started());
    const auto frames = sampleFrames();
    first->write(frameStuff(frames[0]));
    ASSERT_EQ(collector.waitFor(1, 5s).size(), 1u);
    EXPECT_TRUE(reported().empty()) << "a deliberate start is not news";

    first.reset(); // unplugged
    ASSERT_TRUE(eventually([&] { return !channel.isOpen(); }));
    ASSERT_TRUE(eventually([&] { return !reported().empty(); }));
    EXPECT_EQ(reported(), std::vector<bool>{false});
    // Frames posted while the port is away are dropped.
    EXPECT_TRUE(channel.postFrame(framePtr(frames[1])));

    PtyPair second; // plugged in again: a new device under the same name
    const std::string staged = dir.file("staged");
    std::filesystem::create_symlink(second.slavePath(), staged);
    std::filesystem::rename(staged, stable);
    ASSERT_TRUE(eventually([&] { return channel.isOpen(); }));
    ASSERT_TRUE(eventually([&] { return reported().size() == 2; }));
    EXPECT_EQ(reported(), (std::vector<bool>{false, true}));

    second.write(frameStuff(frames[2]));
    const auto received = collector.waitFor(2, 5s);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1], frames[2]);
    ASSERT_TRUE(channel.postFrame(framePtr(frames[4])));
    const std::vector<std::uint8_t> expected = frameStuff(frames[4]);
    EXPECT_EQ(second.read(expected.size() + 1, 2s), expected);
    channel.stop();
    EXPECT_EQ(reported().size(), 2u) << "a deliberate stop is not news";
}

TEST(SerialChannelPty, QueuedHandlerDeliversOnTheReceiversThread) {
    PtyPair line;
    QObject receiver;
    std::vector<std::vector<std::uint8_t>> got;
    std::thread::id deliveredOn;
    SerialChannel channel;
    ASSERT_TRUE(channel
                    .start(qpath(line.slavePath()), kBaud,
                           queuedFrameHandler(&receiver,
                                              [&](ReceivedFrame f) {
                                                  deliveredOn = std::this_thread::get_id();
                                                  const auto* b = f.frame->bytes.data();
                                                  got.emplace_back(b, b + f.count);
                                              }))
                    .started());
    const auto frames = sampleFrames();
    line.write(wireOf(frames));
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (got.size() < frames.size() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(got, frames);
    EXPECT_EQ(deliveredOn, std::this_thread::get_id());
}

} // namespace
