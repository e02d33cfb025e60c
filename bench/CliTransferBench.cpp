// vandrelctl flash and dump of a 256 KiB image against vandrel-sim, on an emulated 115200 baud
// 8N2 line and on an unthrottled pseudo-terminal. Each run is compared with what the line
// allows: the wire bytes of every frame sent and received (flags and stuffing included) at 11
// bits a byte, one request outstanding at a time.
#include "protocol/FrameWire.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <stdexcept>

namespace {

constexpr int kImageSize = 256 * 1024;
constexpr double kBitsPerByte = 11;

const QString kCli = QStringLiteral(VANDREL_BINARY_DIR "/src/cli/vandrelctl");
const QString kSim = QStringLiteral(VANDREL_BINARY_DIR "/sim/vandrel-sim");

void ensureApp() {
    static int argc = 1;
    static char name[] = "cli_transfer_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
}

// A firmware image with a valid header and varied chunks, a few of them erased.
QByteArray firmwareImage() {
    QByteArray bytes(kImageSize, '\0');
    std::mt19937 random(11);
    for (int i = 0; i < kImageSize; ++i) {
        bytes[i] = (i / 128) % 16 == 15 ? '\xFF' : static_cast<char>(random());
    }
    const char maker[] = "Quarnweil Convertor";
    std::memcpy(bytes.data() + 256, maker, sizeof maker); // with its zero byte
    bytes[276] = 0;
    std::memcpy(bytes.data() + 277, "9.9.9", 6);
    bytes[293] = 0;
    return bytes;
}

// The wire bytes of the frames in a trace: each "OUT:" or " IN:" line is one frame.
long long wireBytes(const QByteArray& trace) {
    long long total = 0;
    for (const QByteArray& line : trace.split('\n')) {
        if (!line.startsWith("OUT:") && !line.startsWith(" IN:")) {
            continue;
        }
        std::vector<std::uint8_t> frame;
        for (const QByteArray& hex : line.mid(4).simplified().split(' ')) {
            frame.push_back(static_cast<std::uint8_t>(hex.toUInt(nullptr, 16)));
        }
        total += static_cast<long long>(vandrel::frameStuff(frame).size());
    }
    return total;
}

class Bench {
public:
    explicit Bench(int baud) : baud_(baud) {
        ensureApp();
        if (!dir_.isValid()) {
            throw std::runtime_error("no temporary folder");
        }
        QFile file(path("image.bin"));
        if (!file.open(QIODevice::WriteOnly) || file.write(firmwareImage()) != kImageSize) {
            throw std::runtime_error("cannot write the image");
        }
    }

    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

    // One run of vandrelctl against a fresh converter; its wall time in seconds, and the trace
    // when `trace` is set.
    double run(const QStringList& command, bool trace, QByteArray* traceOut) {
        QProcess sim;
        QStringList simArgs{"--link", path("port"), "--flash-file", path("image.bin")};
        if (baud_ > 0) {
            simArgs << "--baud" << QString::number(baud_);
        }
        sim.start(kSim, simArgs);
        if (!sim.waitForStarted() || !sim.waitForReadyRead(5000)) {
            throw std::runtime_error("vandrel-sim did not start");
        }
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path());
        cli.setProcessEnvironment(env);
        QStringList args{"-q", "-p", path("port")};
        if (trace) {
            args << "-t";
        }
        QElapsedTimer clock;
        clock.start();
        cli.start(kCli, args + command);
        cli.closeWriteChannel();
        const bool ended = cli.waitForFinished(600000);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        sim.terminate();
        sim.waitForFinished();
        if (!ended || cli.exitCode() != 0) {
            throw std::runtime_error("vandrelctl failed: " +
                                     cli.readAllStandardError().toStdString());
        }
        if (traceOut) {
            *traceOut = cli.readAllStandardError();
        }
        return seconds;
    }

private:
    int baud_;
    QTemporaryDir dir_;
};

void transfer(benchmark::State& state, bool flash) {
    const int baud = static_cast<int>(state.range(0));
    Bench bench(baud);
    const QStringList command = flash ? QStringList{"flash", bench.path("image.bin")}
                                      : QStringList{"dump", bench.path("dump.bin")};
    // The floor comes from the frames of one traced run.
    QByteArray trace;
    bench.run(command, true, &trace);
    const long long bytes = wireBytes(trace);
    const double floor = static_cast<double>(bytes) * kBitsPerByte / 115200.0;
    double total = 0;
    for (auto _ : state) {
        const double seconds = bench.run(command, false, nullptr);
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["wire_bytes"] = static_cast<double>(bytes);
    state.counters["floor_115200_s"] = floor;
    state.counters["time_per_floor"] = mean / floor;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageSize);
}

void BM_Flash(benchmark::State& state) {
    transfer(state, true);
}
void BM_Dump(benchmark::State& state) {
    transfer(state, false);
}

// Argument: the emulated line rate; 0 = an unthrottled pseudo-terminal.
BENCHMARK(BM_Flash)->Arg(115200)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Dump)->Arg(115200)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
