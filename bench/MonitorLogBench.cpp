// The system monitor in the real main window, as a user runs it: the window on the port of a
// vandrel-sim process, the monitor tab in front, monitoring started with the pane's Start button.
//
//   monitor_log_bench live [SECONDS] [PERIOD_MS] [BAUD]
//       The converter's own monitor output for SECONDS (default 60) at one line every PERIOD_MS
//       (default 4) on an emulated line of BAUD (default 115200; 0 unthrottled). In the same run
//       `vandrelctl monitor` watches a second converter with the same settings. Reports the CPU
//       of both processes over the same interval, lines a second, resident memory and the
//       longest event-loop stall of the window.
//
//   monitor_log_bench feed [LINES] [RATE]
//       LINES monitor frames (default 1 000 000) handed to the window through the path a
//       received frame takes (queued from another thread to the window, then the protocol engine
//       and the pane), RATE a second (default 0: as fast as the window takes them, at most 256
//       frames on their way). Reports CPU per line, resident memory, the longest stall, then
//       runs the Save log command and checks that the file holds every line in order.
//
// The settings and the cache folder (where the log spills) are temporary folders; the
// platform is offscreen unless QT_QPA_PLATFORM says otherwise.
#include "ScriptedPrompter.h"

#include "language/LanguageManager.h"
#include "link/QtTimerService.h"
#include "link/QueuedFrameHandler.h"
#include "link/SerialChannel.h"
#include "protocol/DeviceSession.h"
#include "protocol/FieldTags.h"
#include "protocol/ProtocolFrame.h"
#include "settings/LinkSettings.h"
#include "settings/RegistryStore.h"
#include "settings/WindowSettings.h"
#include "shell/app/CommandIds.h"
#include "shell/app/MainFrame.h"
#include "shell/ui/SystemMonitorPane.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <thread>

using namespace vandrel;

namespace {

const QString kSim = QStringLiteral(VANDREL_BINARY_DIR "/sim/vandrel-sim");
const QString kCli = QStringLiteral(VANDREL_BINARY_DIR "/src/cli/vandrelctl");

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// User plus system time of another process, from /proc; negative when it is gone.
double childCpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) {
        return -1;
    }
    const double ticks = fields[11].toDouble() + fields[12].toDouble(); // utime, stime
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// CPU seconds of each thread of this process, by thread name (threads of one name summed).
std::map<QByteArray, double> threadCpu() {
    std::map<QByteArray, double> byName;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(tid) + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('(');
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (open < 0 || fields.size() < 13) {
            continue;
        }
        byName[line.mid(open + 1, close - open - 1)] +=
            (fields[11].toDouble() + fields[12].toDouble()) /
            static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    return byName;
}

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return -1;
}

QByteArray loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("?");
}

// A vandrel-sim process; its first output line is the device path.
class SimProcess {
public:
    SimProcess(int periodMs, int baud) {
        QStringList args{QStringLiteral("--monitor-period"), QString::number(periodMs)};
        if (baud > 0) {
            args << QStringLiteral("--baud") << QString::number(baud);
        }
        process_.start(kSim, args);
        while (process_.waitForReadyRead(5000) && !process_.canReadLine()) {
        }
        device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        if (device_.isEmpty()) {
            std::fprintf(stderr, "vandrel-sim did not start: %s\n", qPrintable(kSim));
            std::exit(2);
        }
    }
    ~SimProcess() {
        process_.terminate();
        process_.waitForFinished(3000);
    }
    const QString& device() const { return device_; }

private:
    QProcess process_;
    QString device_;
};

// Forwards to the real pane and counts the monitor output it is given.
class CountingPane : public MonitorPane {
public:
    explicit CountingPane(SystemMonitorPane& real) : real_(real) {}
    void setMonitoring(bool on) override { real_.setMonitoring(on); }
    void appendMonitorText(std::span<const std::uint8_t> text) override {
        real_.appendMonitorText(text);
        lines.fetch_add(1, std::memory_order_release);
    }

    std::atomic<long long> lines{0};

private:
    SystemMonitorPane& real_;
};

// The lateness of a 10 ms timer: how long the event loop was kept from it. On a shared machine
// a late tick may also be the scheduler's doing, so the main thread's own CPU time between two
// ticks is kept too: a long stretch of it is work of the window that held the loop up.
class StallProbe : public QObject {
public:
    StallProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kTickMs);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            const qint64 late = clock_.restart() - kTickMs;
            const double cpu = threadCpuSeconds();
            const double busyMs = (cpu - lastCpu_) * 1000.0;
            lastCpu_ = cpu;
            worstMs = std::max(worstMs, late);
            if (busyMs > worstBusyMs) {
                worstBusyMs = busyMs;
                worstBusyAt_ = static_cast<double>(since_.elapsed()) / 1000.0;
            }
            if (late > 100) {
                ++over100;
            }
        });
    }
    void restart() {
        worstMs = 0;
        worstBusyMs = 0;
        over100 = 0;
        lastCpu_ = threadCpuSeconds();
        since_.start();
        clock_.start();
        timer_.start();
    }
    void print() const {
        std::printf("  longest event-loop stall: %lld ms (%d over 100 ms); most main-thread CPU "
                    "between two 10 ms ticks: %.1f ms (%.1f s in)\n",
                    worstMs, over100, worstBusyMs, worstBusyAt_);
    }
    qint64 worstMs = 0;
    double worstBusyMs = 0;
    int over100 = 0;

private:
    static constexpr int kTickMs = 10;
    QTimer timer_;
    QElapsedTimer clock_;
    QElapsedTimer since_;
    double lastCpu_ = 0;
    double worstBusyAt_ = 0;
};

// What the program keeps for its window.
struct ProgramObjects {
    LinkSettings linkSettings;
    WindowSettings windowSettings;
    LanguageManager language;
    SerialChannel channel;
    QtTimerService timers;
    DeviceSession session;

    ~ProgramObjects() { channel.stop(); }
};

// The program's window on a converter's port, monitor tab in front, monitoring on.
struct Window {
    QTemporaryDir settings;
    ScriptedPrompter prompter;
    std::unique_ptr<ProgramObjects> core;
    std::unique_ptr<MainFrame> frame;
    std::unique_ptr<CountingPane> counter;

    explicit Window(const QString& device, int baud) {
        RegistryStore::setFolder(settings.path());
        core = std::make_unique<ProgramObjects>();
        core->language.setLanguageFolders({QStringLiteral(VANDREL_SOURCE_DIR "/lang")});
        routeMessages(core->language, prompter);
        if (!core->language.Load(1)) {
            std::fprintf(stderr, "the language files did not load\n");
            std::exit(2);
        }
        core->windowSettings.load();
        core->linkSettings.portName = device;
        core->linkSettings.baudrate = static_cast<quint32>(baud > 0 ? baud : 115200);
        frame =
            std::make_unique<MainFrame>(core->linkSettings, core->windowSettings, core->language,
                                        core->channel, core->session, core->timers, prompter);
        frame->resize(1000, 700);
        frame->show();
        frame->startUp(); // opens the port; the Open question is cancelled
        wait([&] { return core->channel.isOpen() && !prompter.dialogs.empty(); }, "port open");
        frame->command(cmd::MonitorTab);
        frame->command(cmd::NextTab);
        SystemMonitorPane* pane = frame->monitorPane();
        counter = std::make_unique<CountingPane>(*pane);
        core->session.setMonitorPane(counter.get());
        pane->findChild<QPushButton*>(QStringLiteral("ctl1018"))->click();
        wait([&] { return pane->monitoringOn() && !frame->busy(); }, "monitoring on");
    }
    ~Window() {
        core->session.setMonitorPane(frame->monitorPane());
        frame->hide();
        frame.reset();
        core.reset();
        RegistryStore::setFolder(QString());
    }

    static void wait(const std::function<bool()>& done, const char* what) {
        if (!QTest::qWaitFor(done, 15000)) {
            std::fprintf(stderr, "timed out waiting for: %s\n", what);
            std::exit(2);
        }
    }
};

int live(int seconds, int periodMs, int baud) {
    const QByteArray loadBefore = loadAverage();
    SimProcess forWindow(periodMs, baud);
    SimProcess forCli(periodMs, baud);

    QTemporaryDir out;
    QProcess cli;
    cli.setStandardOutputFile(out.filePath(QStringLiteral("monitor.txt")));
    cli.setStandardErrorFile(QProcess::nullDevice());
    cli.start(kCli, {QStringLiteral("-p"), forCli.device(), QStringLiteral("-b"),
                     QString::number(baud > 0 ? baud : 115200), QStringLiteral("monitor"),
                     QStringLiteral("--seconds"), QString::number(seconds + 20)});
    Window window(forWindow.device(), baud);
    StallProbe probe;
    QTest::qWait(3000); // both have settled into monitoring

    auto cliLines = [&] {
        QFile file(out.filePath(QStringLiteral("monitor.txt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().count("SYS ") : 0;
    };
    probe.restart();
    QElapsedTimer wall;
    wall.start();
    const double windowCpu0 = processCpuSeconds();
    const double cliCpu0 = childCpuSeconds(cli.processId());
    const long long windowLines0 = window.counter->lines.load();
    const qsizetype cliLines0 = cliLines();
    const std::map<QByteArray, double> threads0 = threadCpu();

    QTest::qWait(seconds * 1000);

    const double windowCpu = processCpuSeconds() - windowCpu0;
    const double cliCpu = childCpuSeconds(cli.processId()) - cliCpu0;
    const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
    const long long windowLines = window.counter->lines.load() - windowLines0;
    const qsizetype cliLineCount = cliLines() - cliLines0;
    std::map<QByteArray, double> threads = threadCpu();
    cli.kill();
    cli.waitForFinished(3000);

    std::printf("live: %d s, period %d ms, baud %d; load average before %s, after %s\n", seconds,
                periodMs, baud, loadBefore.constData(), loadAverage().constData());
    std::printf("%-22s %10s %10s %12s %12s\n", "host", "lines/s", "CPU %", "ms a line", "RSS MB");
    std::printf("%-22s %10.1f %10.2f %12.4f %12s\n", "vandrelctl monitor",
                static_cast<double>(cliLineCount) / elapsed, 100.0 * cliCpu / elapsed,
                1000.0 * cliCpu / static_cast<double>(std::max<qsizetype>(1, cliLineCount)), "-");
    std::printf("%-22s %10.1f %10.2f %12.4f %12.1f\n", "window, monitor tab",
                static_cast<double>(windowLines) / elapsed, 100.0 * windowCpu / elapsed,
                1000.0 * windowCpu / static_cast<double>(std::max(1LL, windowLines)),
                residentMegabytes());
    std::printf("window / vandrelctl CPU: %.2f\n", cliCpu > 0 ? windowCpu / cliCpu : 0.0);
    std::printf("  window threads, %% of a core:");
    for (auto& [name, cpu] : threads) {
        const auto before = threads0.find(name);
        cpu -= before == threads0.end() ? 0.0 : before->second;
        if (cpu > 0) {
            std::printf(" %s %.2f;", name.constData(), 100.0 * cpu / elapsed);
        }
    }
    std::printf("\n");
    probe.print();
    return 0;
}

// Reads the saved log: every monitor line must be there once, in order, each ending in CR LF.
bool checkSavedLog(const QString& path, long long lines) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::printf("saved log: cannot open %s\n", qPrintable(path));
        return false;
    }
    long long expected = 1;
    long long total = 0;
    bool ok = true;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        ++total;
        if (!line.endsWith("\r\n")) {
            ok = false;
        }
        if (line.startsWith("SYS ")) {
            if (line.mid(4, 7).toLongLong() != expected) {
                std::printf("saved log: line %lld holds %s", total, line.constData());
                return false;
            }
            ++expected;
        }
    }
    std::printf("saved log: %lld lines, %lld monitor lines in order%s\n", total, expected - 1,
                ok ? ", every line ends in CR LF" : ", NOT every line ends in CR LF");
    return ok && expected - 1 == lines;
}

int feed(long long lines, int rate) {
    SimProcess quiet(3600 * 1000, 0); // answers requests, sends no monitor text of its own
    Window window(quiet.device(), 0);
    ProgramObjects& core = *window.core;
    const SerialChannel::FrameHandler deliver =
        queuedFrameHandler(window.frame.get(), [&core](ReceivedFrame frame) {
            core.session.onFrameReceived(std::move(frame));
        });

    StallProbe probe;
    probe.restart();
    const long long before = window.counter->lines.load();
    std::atomic<double> feederCpu{0};
    const double cpu0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    std::thread feeder([&] {
        const double start = threadCpuSeconds();
        const auto begin = std::chrono::steady_clock::now();
        for (long long i = 1; i <= lines; ++i) {
            if (rate > 0) {
                std::this_thread::sleep_until(begin +
                                              std::chrono::microseconds(i * 1000000 / rate));
            }
            while (i - (window.counter->lines.load(std::memory_order_acquire) - before) > 256) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            char text[48];
            const int n = std::snprintf(text, sizeof text, "SYS %07lld mask=00 line=idle\r\n", i);
            FramePtr frame = frameCreate(kFrameTypePositive);
            frameAddField(*frame, tag::MonitorOn, static_cast<std::uint8_t>(n),
                          reinterpret_cast<const std::uint8_t*>(text));
            frameSeal(*frame);
            const std::size_t count = frame->length();
            deliver(ReceivedFrame{std::move(frame), count});
        }
        feederCpu = threadCpuSeconds() - start;
    });

    long long reported = 0;
    while (window.counter->lines.load() - before < lines) {
        QTest::qWait(50);
        const long long done = window.counter->lines.load() - before;
        if (done >= reported + 100000) {
            reported = done - done % 100000;
            std::printf("  %8lld lines  %7.1f s  RSS %7.1f MB\n", reported,
                        static_cast<double>(wall.elapsed()) / 1000.0, residentMegabytes());
            std::fflush(stdout);
        }
    }
    feeder.join();
    QTest::qWait(200); // the last batch reaches the log
    const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
    const double cpu = processCpuSeconds() - cpu0 - feederCpu;
    std::printf("feed: %lld lines, rate %s; load average %s\n", lines,
                rate > 0 ? qPrintable(QString::number(rate) + QStringLiteral("/s"))
                         : "as fast as taken",
                loadAverage().constData());
    std::printf("  wall %.1f s, window CPU %.1f s (feeder thread %.1f s not counted)\n", elapsed,
                cpu, feederCpu.load());
    std::printf("  CPU a line: %.4f ms; lines a second: %.0f\n",
                1000.0 * cpu / static_cast<double>(lines), static_cast<double>(lines) / elapsed);
    std::printf("  resident memory after %lld lines: %.1f MB\n", lines, residentMegabytes());
    probe.print();

    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("saved.txt"));
    window.prompter.saveAnswers.push_back(FileChoice{path, 1});
    QElapsedTimer saving;
    saving.start();
    window.frame->command(cmd::SaveLog);
    std::printf("  Save log: %.2f s, %.1f MB\n", static_cast<double>(saving.elapsed()) / 1000.0,
                static_cast<double>(QFile(path).size()) / 1e6);
    return checkSavedLog(path, lines) ? 0 : 1;
}

int usage() {
    std::fprintf(stderr, "usage: monitor_log_bench live [SECONDS] [PERIOD_MS] [BAUD]\n"
                         "       monitor_log_bench feed [LINES] [RATE]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vandrel"));
    auto arg = [&](int i, long long fallback) { return argc > i ? std::atoll(argv[i]) : fallback; };
    if (argc >= 2 && std::strcmp(argv[1], "live") == 0) {
        return live(static_cast<int>(arg(2, 60)), static_cast<int>(arg(3, 4)),
                    static_cast<int>(arg(4, 115200)));
    }
    if (argc >= 2 && std::strcmp(argv[1], "feed") == 0) {
        return feed(arg(2, 1000000), static_cast<int>(arg(3, 0)));
    }
    return usage();
}
