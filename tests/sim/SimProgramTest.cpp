// vandrel-sim as a user starts it, and the in-process server behind it.
#include "PtyTestSupport.h"
#include "TempDir.h"
#include "sim/PtyConverter.h"
#include "sim/SimOptions.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace vandrel::sim {
namespace {

using namespace std::chrono_literals;
using testing::kSystemInfoWire;
using testing::RawPort;

const std::vector<std::uint8_t> kSystemInfoAnswer = {
    0x7E, 0xA2, 0x0B, 0x15, 0x02, 'F', '1', 0x16, 0x02, 'L', '1', 0x51, 0x01, 0x02, 0xDC, 0x7A};

// The program with its standard output on a pipe.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        args.insert(args.begin(), VANDREL_SIM_PATH);
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, VANDREL_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        out_ = ::fdopen(out[0], "r");
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            wait();
        }
        if (out_ != nullptr) {
            std::fclose(out_);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The next line on standard output, without its line end; empty at the end.
    std::string readLine() {
        char line[512];
        if (out_ == nullptr || std::fgets(line, sizeof line, out_) == nullptr) {
            return {};
        }
        std::string s(line);
        if (!s.empty() && s.back() == '\n') {
            s.pop_back();
        }
        return s;
    }
    // Everything up to the end of the output.
    std::string readAll() {
        std::string all;
        char chunk[512];
        while (out_ != nullptr && std::fgets(chunk, sizeof chunk, out_) != nullptr) {
            all += chunk;
        }
        return all;
    }
    int wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    std::FILE* out_ = nullptr;
};

std::vector<std::string> smallDevice(std::vector<std::string> more) {
    std::vector<std::string> args = {"--firmware-version", "F1", "--loader-version", "L1",
                                     "--partition",        "2"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

TEST(SimProgram, ServesTheConverterOnThePrintedDeviceAndItsLink) {
    TempDir dir;
    const std::string link = dir.file("converter");
    SimProcess sim(smallDevice({"--link", link}));
    const std::string device = sim.readLine();
    ASSERT_FALSE(device.empty());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), device);

    for (const std::string& path : {device, link}) {
        RawPort port(path);
        ASSERT_TRUE(port.isOpen()) << path;
        ASSERT_TRUE(port.write(kSystemInfoWire));
        EXPECT_EQ(port.readFrame(5s), kSystemInfoAnswer) << path;
    }
}

TEST(SimProgram, ReplugsUnderTheSameLink) {
    TempDir dir;
    const std::string link = dir.file("converter");
    SimProcess sim(smallDevice({"--link", link, "--unplug-after", "0.2", "--replug-after", "0.3"}));
    const std::string first = sim.readLine();
    ASSERT_FALSE(first.empty());
    RawPort before(link);
    ASSERT_TRUE(before.isOpen());
    const std::string second = sim.readLine(); // printed once plugged in again
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), second);
    EXPECT_FALSE(before.write(kSystemInfoWire) && before.readFrame(300ms).has_value())
        << "the old device is gone";
    RawPort after(link);
    ASSERT_TRUE(after.write(kSystemInfoWire));
    EXPECT_EQ(after.readFrame(5s), kSystemInfoAnswer);
}

TEST(SimProgram, HelpAndBadOptions) {
    SimProcess help({"--help"});
    const std::string text = help.readAll();
    EXPECT_EQ(help.wait(), 0);
    for (const char* option :
         {"--link", "--baud", "--drop", "--drop-in", "--drop-out", "--corrupt", "--delay",
          "--garbage", "--refuse", "--unplug-after", "--replug-after", "--password",
          "--firmware-missing", "--flash-file", "--flash-size", "--late", "--echo-address",
          "--restart-at", "--fail-from"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }
    for (std::vector<std::string> bad : {std::vector<std::string>{"--drop", "x"},
                                         {"--refuse", "nothing:1"},
                                         {"--refuse", "reset:0x100"},
                                         {"--refuse", "loader-ack:1"},
                                         {"--late", "flash-chunk"},
                                         {"--late", "flash-chunk:0"},
                                         {"--late", "code-ack:1"},
                                         {"--restart-at", "flash-chunk:3"},
                                         {"--restart-at", "flash-chunk:0:code"},
                                         {"--restart-at", "flash-chunk:3:soon"},
                                         {"--restart-at", "loader-ack:1:code"},
                                         {"--fail-from", "flash-read:2"},
                                         {"--fail-from", "flash-read:0:silent"},
                                         {"--fail-from", "flash-read:2:0x100"},
                                         {"--fail-from", "code-ack:2:silent"},
                                         {"--baud"},
                                         {"--frobnicate"},
                                         {"--password", std::string(33, 'p')},
                                         {"--flash-file", "/nonexistent/file"}}) {
        SimProcess sim(bad);
        EXPECT_EQ(sim.readAll(), "");
        EXPECT_EQ(sim.wait(), 2) << bad[0];
    }
}

TEST(SimProgram, LeavesAFileInTheLinksPlaceAlone) {
    TempDir dir;
    const std::string path = dir.file("precious");
    std::ofstream(path) << "keep";
    SimProcess sim({"--link", path});
    EXPECT_EQ(sim.readAll(), "");
    EXPECT_EQ(sim.wait(), 1);
    std::ifstream in(path);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "keep");
}

TEST(SimOptions, FaultsAndDeviceSettingsReachTheModel) {
    std::string error;
    const auto o = parseSimOptions({"--drop",
                                    "4",
                                    "--corrupt=5",
                                    "--delay",
                                    "30",
                                    "--baud",
                                    "115200",
                                    "--garbage",
                                    "3",
                                    "--refuse",
                                    "config-read:0x42:2",
                                    "--refuse",
                                    "reset:7",
                                    "--password",
                                    "pw",
                                    "--flash-size",
                                    "1000",
                                    "--firmware-missing",
                                    "--late",
                                    "flash-read:3",
                                    "--late=config-write:1",
                                    "--echo-address",
                                    "--restart-at",
                                    "flash-chunk:3:firmware",
                                    "--restart-at=config-read:12:code",
                                    "--restart-at",
                                    "reset:1:loader",
                                    "--fail-from",
                                    "flash-read:5:silent",
                                    "--fail-from=config-read:2:0x42"},
                                   error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->faults.line.dropInEvery, 4u);
    EXPECT_EQ(o->faults.line.dropOutEvery, 4u);
    EXPECT_EQ(o->faults.line.corruptOutEvery, 5u);
    EXPECT_EQ(o->faults.line.answerDelay, 30ms);
    EXPECT_EQ(o->faults.line.baudRate, 115200u);
    EXPECT_EQ(o->faults.line.garbageBytes, 3u);
    ASSERT_EQ(o->faults.refusals.size(), 2u);
    EXPECT_EQ(o->faults.refusals[0].kind, RequestKind::ConfigRead);
    EXPECT_EQ(o->faults.refusals[0].status, 0x42);
    EXPECT_EQ(o->faults.refusals[0].times, 2u);
    EXPECT_EQ(o->faults.refusals[1].kind, RequestKind::Reset);
    EXPECT_EQ(o->faults.refusals[1].times, 0u);
    EXPECT_EQ(ConfigStore(o->model.config).password(), "pw");
    EXPECT_EQ(o->model.flash.size(), 1000u);
    EXPECT_TRUE(o->model.firmwareMissing);
    EXPECT_TRUE(o->model.echoConfigAddress);
    ASSERT_EQ(o->faults.lateAnswers.size(), 2u);
    EXPECT_EQ(o->faults.lateAnswers[0].kind, RequestKind::FlashRead);
    EXPECT_EQ(o->faults.lateAnswers[0].nth, 3u);
    EXPECT_EQ(o->faults.lateAnswers[1].kind, RequestKind::ConfigWrite);
    EXPECT_EQ(o->faults.lateAnswers[1].nth, 1u);
    ASSERT_EQ(o->faults.restarts.size(), 3u);
    EXPECT_EQ(o->faults.restarts[0].kind, RequestKind::FlashChunk);
    EXPECT_EQ(o->faults.restarts[0].nth, 3u);
    EXPECT_EQ(o->faults.restarts[0].how, RestartHow::Firmware);
    EXPECT_EQ(o->faults.restarts[1].kind, RequestKind::ConfigRead);
    EXPECT_EQ(o->faults.restarts[1].nth, 12u);
    EXPECT_EQ(o->faults.restarts[1].how, RestartHow::Code);
    EXPECT_EQ(o->faults.restarts[2].kind, RequestKind::Reset);
    EXPECT_EQ(o->faults.restarts[2].how, RestartHow::Loader);
    ASSERT_EQ(o->faults.failures.size(), 2u);
    EXPECT_EQ(o->faults.failures[0].kind, RequestKind::FlashRead);
    EXPECT_EQ(o->faults.failures[0].nth, 5u);
    EXPECT_TRUE(o->faults.failures[0].silent);
    EXPECT_EQ(o->faults.failures[1].kind, RequestKind::ConfigRead);
    EXPECT_EQ(o->faults.failures[1].nth, 2u);
    EXPECT_FALSE(o->faults.failures[1].silent);
    EXPECT_EQ(o->faults.failures[1].status, 0x42);
}

TEST(PtyConverter, ServesInProcessAndUnplugs) {
    TempDir dir;
    const std::string link = dir.file("converter");
    ModelSettings settings;
    settings.firmwareVersion = "F1";
    settings.loaderVersion = "L1";
    settings.partition = 2;
    PtyConverter converter(settings);
    ASSERT_TRUE(converter.start(link)) << converter.error();
    {
        RawPort port(link);
        ASSERT_TRUE(port.write(kSystemInfoWire));
        EXPECT_EQ(port.readFrame(5s), kSystemInfoAnswer);
    }
    EXPECT_EQ(converter.withModel(
                  [](ConverterModel& m) { return m.framesReceived(RequestKind::SystemInfo); }),
              1u);

    ASSERT_TRUE(converter.unplug());
    EXPECT_TRUE(converter.devicePath().empty());
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    ASSERT_TRUE(converter.replug()) << converter.error();
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), converter.devicePath());
    RawPort port(link);
    ASSERT_TRUE(port.write(kSystemInfoWire));
    EXPECT_EQ(port.readFrame(5s), kSystemInfoAnswer);

    converter.stop();
    EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link goes with the server";
}

} // namespace
} // namespace vandrel::sim
