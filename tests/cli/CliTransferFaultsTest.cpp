// vandrelctl's transfers against a stand-in converter that restarts, falls silent or refuses in
// the middle of them, and under SIGINT and SIGTERM: what the converter and the target file end
// up holding.
#include "CliEndToEnd.h"
#include "config/ConfigFile.h"

#include <filesystem>
#include <ostream>
#include <set>

namespace vandrel::testing {
namespace {

// Everything a folder holds, hidden files included.
std::set<std::string> folderNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

struct FlashRestartCase {
    const char* name;
    QStringList restarts;
    int status;
    const char* message; // part of stderr
    bool loaded;         // the converter holds the new firmware in the end
};

// Test names in place of the case's bytes.
void PrintTo(const FlashRestartCase& c, std::ostream* os) {
    *os << c.name;
}

class CliFlashRestart : public CliEndToEnd,
                        public ::testing::WithParamInterface<FlashRestartCase> {};

// The converter restarts under a FLASH loading of sixteen chunks, when the third chunk arrives:
// a restart into the code or through the loader ends the loading with the percent reached; a
// loader that waits for firmware gets the same loading again, twice at most.
TEST_P(CliFlashRestart, EndsOrLoadsAgain) {
    const QByteArray firmware = firmwareFile(2048, "7.3.0");
    writeFile(dir.file("fw.bin"), firmware);
    const QByteArray old = firmwareFile(1024, "6.0.0");
    writeFile(dir.file("old.bin"), old);
    SimConverter sim(dir.path().string(),
                     QStringList{"--flash-file", q(dir.file("old.bin"))} + GetParam().restarts);
    ASSERT_TRUE(sim.ready());
    const CliResult r = cli({"-p", sim.port(), "flash", q(dir.file("fw.bin"))});
    EXPECT_EQ(r.status, GetParam().status) << r.err.constData();
    EXPECT_TRUE(r.err.contains(GetParam().message)) << r.err.constData();
    ASSERT_TRUE(sim.stop());
    EXPECT_EQ(sim.flash(), GetParam().loaded ? firmware : old);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CliFlashRestart,
    ::testing::Values(
        FlashRestartCase{"code",
                         {"--restart-at", "flash-chunk:3:code"},
                         1,
                         "interrupted at 12%: the converter restarted before the firmware was "
                         "complete",
                         false},
        FlashRestartCase{"loader",
                         {"--restart-at", "flash-chunk:3:loader"},
                         1,
                         "interrupted at 12%: the converter restarted before the firmware was "
                         "complete",
                         false},
        FlashRestartCase{"firmware",
                         {"--restart-at", "flash-chunk:3:firmware"},
                         0,
                         "The firmware was loaded",
                         true},
        // The third chunk of each new loading: the sixth and the ninth chunk sent.
        FlashRestartCase{
            "firmwareTwice",
            {"--restart-at", "flash-chunk:3:firmware", "--restart-at", "flash-chunk:6:firmware"},
            0,
            "The firmware was loaded",
            true},
        FlashRestartCase{"firmwareThrice",
                         {"--restart-at", "flash-chunk:3:firmware", "--restart-at",
                          "flash-chunk:6:firmware", "--restart-at", "flash-chunk:9:firmware"},
                         1,
                         "interrupted at 12%: the converter restarted and its loader waits for "
                         "firmware again",
                         false}),
    [](const ::testing::TestParamInfo<FlashRestartCase>& info) {
        return std::string(info.param.name);
    });

struct StartOverCase {
    const char* name;
    const char* command;
    QStringList restart;
    const char* firstRequest; // the start of the command's first frame in the trace
};

void PrintTo(const StartOverCase& c, std::ostream* os) {
    *os << c.name;
}

class CliStartOver : public CliEndToEnd, public ::testing::WithParamInterface<StartOverCase> {};

// A restart in the middle of a read or a dump: the command starts over once the application code
// runs again, and what it saves is exact.
TEST_P(CliStartOver, AfterARestartWithTheRightBytes) {
    const StartOverCase& c = GetParam();
    const QByteArray image = firmwareFile(4096, "6.0.0");
    writeFile(dir.file("image.bin"), image);
    SimConverter sim(dir.path().string(),
                     QStringList{"--flash-file", q(dir.file("image.bin"))} + c.restart);
    ASSERT_TRUE(sim.ready());
    const std::string target = dir.file("target");
    const CliResult r = cli({"-t", "-p", sim.port(), c.command, q(target)});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(r.err.count("\nRestart code\n"), 1) << r.err.constData();
    EXPECT_EQ(sentFrames(r.err, c.firstRequest), 2) << "started over once";
    ASSERT_TRUE(sim.stop());
    if (std::string(c.command) == "dump") {
        EXPECT_EQ(readFile(target), image);
        return;
    }
    ConverterConfig record;
    ASSERT_EQ(ReadConfigFile(target, record, nullptr, nullptr, nullptr), kConfigLoaded);
    QByteArray expected = sim.config();
    ASSERT_EQ(expected.size(), 640);
    expected.replace(kPasswordOffset, kPasswordSize, passwordField(""));
    EXPECT_EQ(lineOrder(record), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliStartOver,
    ::testing::Values(
        StartOverCase{"readCode",
                      "read",
                      {"--restart-at", "config-read:3:code"},
                      "A1 0A 42 00 46 03 03 80 00"},
        StartOverCase{"readLoader",
                      "read",
                      {"--restart-at", "config-read:3:loader"},
                      "A1 0A 42 00 46 03 03 80 00"},
        StartOverCase{"dumpCode", "dump", {"--restart-at", "flash-read:5:code"}, "A1 05 24 00"},
        StartOverCase{
            "dumpLoader", "dump", {"--restart-at", "flash-read:5:loader"}, "A1 05 24 00"}),
    [](const ::testing::TestParamInfo<StartOverCase>& info) {
        return std::string(info.param.name);
    });

struct TargetCase {
    const char* name;
    const char* command; // read or dump
    QStringList faults;
    const char* signalAfter; // the trace text after which the signal goes; none: no signal
    int signal;
    int status;
    const char* message; // part of stderr
};

void PrintTo(const TargetCase& c, std::ostream* os) {
    *os << c.name;
}

class CliTargetFile : public CliEndToEnd, public ::testing::WithParamInterface<TargetCase> {};

// An existing target file is replaced only by a complete configuration or image: a read or a dump
// that fails, at its start or in its middle, or is stopped by a signal leaves the file as it was
// and nothing else in its folder.
TEST_P(CliTargetFile, IsReplacedOnlyByACompleteTransfer) {
    const TargetCase& c = GetParam();
    const QByteArray image = firmwareFile(4096, "6.0.0"); // 32 blocks
    writeFile(dir.file("image.bin"), image);
    const std::filesystem::path folder = dir.path() / "out";
    std::filesystem::create_directory(folder);
    const std::string target = (folder / "target").string();
    QByteArray before(3000, '\0');
    for (qsizetype i = 0; i < before.size(); ++i) {
        before[i] = static_cast<char>(i * 7 + 3);
    }
    writeFile(target, before);
    SimConverter sim(dir.path().string(),
                     QStringList{"--flash-file", q(dir.file("image.bin"))} + c.faults);
    ASSERT_TRUE(sim.ready());

    const QStringList args{"-t", "-p", sim.port(), c.command, q(target)};
    const CliResult r =
        c.signalAfter ? runCliUntil(dir.path().string(), args, c.signalAfter, c.signal) : cli(args);
    EXPECT_EQ(r.status, c.status) << r.err.constData();
    EXPECT_TRUE(r.err.contains(c.message)) << r.err.constData();
    EXPECT_EQ(folderNames(folder), std::set<std::string>{"target"});
    if (c.status != 0) {
        EXPECT_EQ(readFile(target), before);
    } else if (std::string(c.command) == "dump") {
        EXPECT_EQ(readFile(target), image);
    } else {
        ConverterConfig record;
        EXPECT_EQ(ReadConfigFile(target, record, nullptr, nullptr, nullptr), kConfigLoaded);
    }
}

constexpr const char* kNoAnswer = "The converter did not answer";
constexpr const char* kRefused = "The converter refused the request (status 42).";

INSTANTIATE_TEST_SUITE_P(
    Ends, CliTargetFile,
    ::testing::Values(TargetCase{"readCompletes", "read", {}, nullptr, 0, 0, ""},
                      TargetCase{"readSilentAtFirst",
                                 "read",
                                 {"--fail-from", "config-read:1:silent"},
                                 nullptr,
                                 0,
                                 4,
                                 kNoAnswer},
                      TargetCase{"readSilentInTheMiddle",
                                 "read",
                                 {"--fail-from", "config-read:3:silent"},
                                 nullptr,
                                 0,
                                 4,
                                 kNoAnswer},
                      TargetCase{"readRefusedAtFirst",
                                 "read",
                                 {"--fail-from", "config-read:1:0x42"},
                                 nullptr,
                                 0,
                                 1,
                                 kRefused},
                      TargetCase{"readRefusedInTheMiddle",
                                 "read",
                                 {"--fail-from", "config-read:3:0x42"},
                                 nullptr,
                                 0,
                                 1,
                                 kRefused},
                      TargetCase{"readInterruptedAtFirst",
                                 "read",
                                 {"--fail-from", "config-read:1:silent"},
                                 "Read configuration data (packet:0)\n",
                                 SIGINT,
                                 1,
                                 "Interrupted."},
                      TargetCase{"readInterruptedInTheMiddle",
                                 "read",
                                 {"--fail-from", "config-read:3:silent"},
                                 "Read configuration data (packet:2)\n",
                                 SIGINT,
                                 1,
                                 "Interrupted."},
                      TargetCase{"readTerminatedAtFirst",
                                 "read",
                                 {"--fail-from", "config-read:1:silent"},
                                 "Read configuration data (packet:0)\n",
                                 SIGTERM,
                                 1,
                                 "Interrupted."},
                      TargetCase{"readTerminatedInTheMiddle",
                                 "read",
                                 {"--fail-from", "config-read:3:silent"},
                                 "Read configuration data (packet:2)\n",
                                 SIGTERM,
                                 1,
                                 "Interrupted."},
                      TargetCase{
                          "dumpCompletes", "dump", {}, nullptr, 0, 0, "The FLASH image was saved"},
                      TargetCase{"dumpSilentAtFirst",
                                 "dump",
                                 {"--fail-from", "flash-read:1:silent"},
                                 nullptr,
                                 0,
                                 4,
                                 kNoAnswer},
                      TargetCase{"dumpSilentInTheMiddle",
                                 "dump",
                                 {"--fail-from", "flash-read:5:silent"},
                                 nullptr,
                                 0,
                                 4,
                                 kNoAnswer},
                      TargetCase{"dumpRefusedAtFirst",
                                 "dump",
                                 {"--fail-from", "flash-read:1:0x42"},
                                 nullptr,
                                 0,
                                 1,
                                 kRefused},
                      TargetCase{"dumpRefusedInTheMiddle",
                                 "dump",
                                 {"--fail-from", "flash-read:5:0x42"},
                                 nullptr,
                                 0,
                                 1,
                                 kRefused},
                      TargetCase{"dumpInterruptedAtFirst",
                                 "dump",
                                 {"--fail-from", "flash-read-start:1:silent"},
                                 "Start FLASH downloading\n",
                                 SIGINT,
                                 1,
                                 "FLASH downloading was cancelled"},
                      TargetCase{"dumpInterruptedInTheMiddle",
                                 "dump",
                                 {"--fail-from", "flash-read:5:silent"},
                                 "OUT: A1 07 42 00 46 03 00 02 00",
                                 SIGINT,
                                 1,
                                 "FLASH downloading was cancelled"},
                      TargetCase{"dumpTerminatedAtFirst",
                                 "dump",
                                 {"--fail-from", "flash-read-start:1:silent"},
                                 "Start FLASH downloading\n",
                                 SIGTERM,
                                 1,
                                 "FLASH downloading was cancelled"},
                      TargetCase{"dumpTerminatedInTheMiddle",
                                 "dump",
                                 {"--fail-from", "flash-read:5:silent"},
                                 "OUT: A1 07 42 00 46 03 00 02 00",
                                 SIGTERM,
                                 1,
                                 "FLASH downloading was cancelled"}),
    [](const ::testing::TestParamInfo<TargetCase>& info) { return std::string(info.param.name); });

struct SystemInfoCase {
    const char* name;
    QStringList faults;
    const char* how; // how the warning names the step's end
};

void PrintTo(const SystemInfoCase& c, std::ostream* os) {
    *os << c.name;
}

class CliReadWithoutSystemInfo : public CliEndToEnd,
                                 public ::testing::WithParamInterface<SystemInfoCase> {};

// The configuration is complete when only the system information that follows it fails: it is
// saved without the versions, with a warning, and the command succeeds.
TEST_P(CliReadWithoutSystemInfo, SavesTheConfigurationWithAWarning) {
    SimConverter sim(dir.path().string(), GetParam().faults);
    ASSERT_TRUE(sim.ready());
    const std::string target = dir.file("read.dat");
    writeFile(target, QByteArray(787, 'x'));
    const CliResult r = cli(onPort(sim, {"read", q(target)}));
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(r.err.startsWith("Warning: the converter's system information did not come"))
        << r.err.constData();
    EXPECT_TRUE(r.err.contains(GetParam().how)) << r.err.constData();
    ConverterConfig record;
    DeviceInfo info;
    ASSERT_EQ(ReadConfigFile(target, record, &info.firmwareVersion, &info.loaderVersion,
                             &info.systemInfoNumber),
              kConfigLoaded);
    EXPECT_EQ(VersionTextString(info.firmwareVersion), "");
    EXPECT_EQ(VersionTextString(info.loaderVersion), "");
    ASSERT_TRUE(sim.stop());
    QByteArray expected = sim.config();
    ASSERT_EQ(expected.size(), 640);
    expected.replace(kPasswordOffset, kPasswordSize, passwordField(""));
    EXPECT_EQ(lineOrder(record), expected);
}

INSTANTIATE_TEST_SUITE_P(Ends, CliReadWithoutSystemInfo,
                         ::testing::Values(SystemInfoCase{"refused",
                                                          {"--refuse", "sysinfo:0x42"},
                                                          "(refused by the converter)"},
                                           SystemInfoCase{"silent",
                                                          {"--fail-from", "sysinfo:1:silent"},
                                                          "(no answer from the converter)"}),
                         [](const ::testing::TestParamInfo<SystemInfoCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace vandrel::testing
