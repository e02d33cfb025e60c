// The serial channel's cost: CPU time while idle, and frames per second through a pty pair.
#include "link/SerialChannel.h"
#include "protocol/FrameWire.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <thread>
#include <unistd.h>

using namespace vandrel;

namespace {

// The channel's I/O thread runs a Qt event loop, which needs an application object.
void ensureApp() {
    static int argc = 1;
    static char name[] = "link_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
}

struct Pty {
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
            ::ptsname_r(master, name, sizeof name) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        slave = QString::fromLocal8Bit(name);
    }
    ~Pty() { ::close(master); }

    // Reads and discards `n` bytes.
    void drain(std::size_t n) {
        std::uint8_t buffer[4096];
        while (n > 0) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) {
                throw std::runtime_error("line stalled");
            }
            const ssize_t got = ::read(master, buffer, std::min(sizeof buffer, n));
            if (got > 0) {
                n -= static_cast<std::size_t>(got);
            }
        }
    }
    void write(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            }
        }
    }

    int master = -1;
    QString slave;
};

double processCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

FramePtr frameOf(std::size_t payload) {
    FramePtr frame = frameCreate(kFrameTypeRequest);
    const std::vector<std::uint8_t> value(payload, 0x11);
    frameAddField(*frame, 0x22, static_cast<std::uint8_t>(payload), value.data());
    frameSeal(*frame);
    return frame;
}

// A started channel with nothing to do: its thread should sleep in the kernel.
void BM_IdleChannelCpu(benchmark::State& state) {
    ensureApp();
    Pty line;
    SerialChannel channel;
    if (!channel.start(line.slave, 115200).started()) {
        state.SkipWithError("channel did not start");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        cpu = processCpuSeconds() - before;
    }
    state.counters["cpu_ms_per_10s"] = cpu * 1000.0;
}
BENCHMARK(BM_IdleChannelCpu)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Frames written by the channel and read at the converter's end.
void BM_SendFrames(benchmark::State& state) {
    ensureApp();
    Pty line;
    SerialChannel channel;
    if (!channel.start(line.slave, 115200).started()) {
        state.SkipWithError("channel did not start");
        return;
    }
    const std::size_t payload = static_cast<std::size_t>(state.range(0));
    const std::size_t wire = frameStuff(frameOf(payload)->frameBytes()).size();
    constexpr int kBatch = 100;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            channel.postFrame(frameOf(payload));
        }
        line.drain(wire * kBatch);
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_SendFrames)->Arg(2)->Arg(195)->Unit(benchmark::kMillisecond)->UseRealTime();

// Frames sent by the converter's end and delivered by the channel.
void BM_ReceiveFrames(benchmark::State& state) {
    ensureApp();
    Pty line;
    std::atomic<std::int64_t> delivered{0};
    SerialChannel channel;
    if (!channel.start(line.slave, 115200, [&](ReceivedFrame) { ++delivered; }).started()) {
        state.SkipWithError("channel did not start");
        return;
    }
    const std::size_t payload = static_cast<std::size_t>(state.range(0));
    constexpr int kBatch = 100;
    std::vector<std::uint8_t> batch;
    for (int i = 0; i < kBatch; ++i) {
        frameStuff(frameOf(payload)->frameBytes(), batch);
    }
    std::int64_t expected = 0;
    for (auto _ : state) {
        line.write(batch);
        expected += kBatch;
        while (delivered.load() < expected) {
            std::this_thread::yield();
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_ReceiveFrames)->Arg(2)->Arg(195)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
