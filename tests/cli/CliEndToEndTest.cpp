// vandrelctl against the stand-in converter over a real pseudo-terminal.
#include "CliEndToEnd.h"
#include "FileSizeLimit.h"
#include "config/ConfigFile.h"

#include <QRegularExpression>

#include <cstring>

namespace vandrel::testing {
namespace {

TEST_F(CliEndToEnd, InfoPrintsTheConverterVersionsAndPartition) {
    SimConverter sim(dir.path().string(), {"--firmware-version", "9.8.7", "--loader-version", "4.2",
                                           "--partition", "2"});
    ASSERT_TRUE(sim.ready());
    const CliResult r = cli(onPort(sim, {"info"}));
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("firmware: 9.8.7\nloader: 4.2\npartition: 2\n"));
}

struct LineCase {
    const char* name;
    QStringList faults;
    bool everyFrameArrives;
};

class CliOnLine : public CliEndToEnd, public ::testing::WithParamInterface<LineCase> {};

// Every device command in turn against one converter; the converter's state at the end shows
// that each one did what it says.
TEST_P(CliOnLine, EveryCommandDoesItsWork) {
    const QByteArray firmware = firmwareFile(GetParam().everyFrameArrives ? 32768 : 4096, "7.1.1");
    writeFile(dir.file("fw.bin"), firmware);
    const QByteArray image = firmwareFile(6144, "6.0.0");
    writeFile(dir.file("image.bin"), image);
    SimConverter sim(dir.path().string(),
                     QStringList{"--password", "old", "--flash-file", q(dir.file("image.bin")),
                                 "--monitor-period", "100"} +
                         GetParam().faults);
    ASSERT_TRUE(sim.ready());
    const QStringList old{"-P", "old"};

    // read: the record as the converter holds it, its tag turned to memory order, with the
    // system information and the password stamped.
    CliResult r = cli(onPort(sim, old + QStringList{"read", q(dir.file("read.dat"))}));
    ASSERT_EQ(r.status, 0) << r.err.constData();
    ConverterConfig record;
    DeviceInfo info;
    ASSERT_EQ(ReadConfigFile(dir.file("read.dat"), record, &info.firmwareVersion,
                             &info.loaderVersion, &info.systemInfoNumber),
              kConfigLoaded);
    EXPECT_EQ(record.bytes[0], 0x62); // the converter's tag 0x1862 reads 18 62 on the line
    EXPECT_EQ(record.bytes[1], 0x18);
    EXPECT_EQ(VersionTextString(info.firmwareVersion), "2.14.0612");
    EXPECT_EQ(VersionTextString(info.loaderVersion), "1.05");
    EXPECT_EQ(info.systemInfoNumber, 1);

    // write: a changed record arrives byte for byte, and the converter restarts after it.
    ConverterConfig changed = record;
    for (std::size_t i = 0; i < 40; ++i) {
        changed.bytes[600 + i] = static_cast<std::uint8_t>(0x7A + i); // framing values too
    }
    std::memcpy(changed.bytes.data() + 2, "Deutsch\0", 8);
    ASSERT_EQ(WriteConfigFile(dir.file("write.dat"), changed, info), kConfigWritten);
    r = cli(onPort(sim, old + QStringList{"write", q(dir.file("write.dat")), "--verify"}));
    ASSERT_EQ(r.status, 0) << r.err.constData();

    // reset
    r = cli(onPort(sim, old + QStringList{"reset"}));
    EXPECT_EQ(r.status, 0) << r.err.constData();

    // dump: the converter's FLASH image.
    r = cli(onPort(sim, old + QStringList{"dump", q(dir.file("dump.bin"))}));
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(readFile(dir.file("dump.bin")), image);

    // monitor: the mask goes out and the converter reports it; a command line reaches it.
    r = cli(onPort(sim, old + QStringList{"monitor", "--mask", "11", "--seconds", "1.5"}),
            "hello\n", true);
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("mask=11")) << r.out.constData();
    if (GetParam().everyFrameArrives) {
        EXPECT_TRUE(r.out.contains("V=11\r\nhello\r\n")) << r.out.constData();
    }

    // passwd
    r = cli(onPort(sim, old + QStringList{"passwd", "new"}));
    EXPECT_EQ(r.status, 0) << r.err.constData();

    // flash, with the new password; the version is printed first.
    r = cli(onPort(sim, {"-P", "new", "flash", q(dir.file("fw.bin"))}));
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("firmware: 7.1.1\n"));

    ASSERT_TRUE(sim.stop());
    const QByteArray config = sim.config();
    ASSERT_EQ(config.size(), 640);
    QByteArray expected = lineOrder(changed);
    expected.replace(kPasswordOffset, kPasswordSize, passwordField("new"));
    EXPECT_EQ(config, expected);
    EXPECT_EQ(sim.flash(), firmware);
}

INSTANTIATE_TEST_SUITE_P(Lines, CliOnLine,
                         ::testing::Values(LineCase{"clean", {}, true},
                                           LineCase{"damaging",
                                                    {"--drop-in", "17", "--drop-out", "19",
                                                     "--corrupt", "23", "--garbage", "3"},
                                                    false}),
                         [](const ::testing::TestParamInfo<LineCase>& info) {
                             return std::string(info.param.name);
                         });

struct PasswordCase {
    const char* name;
    QStringList args;
    int status;
    const char* message; // part of stderr
};

class CliPasswords : public CliEndToEnd, public ::testing::WithParamInterface<PasswordCase> {};

// A wrong password is refused and, with no terminal to ask on, the question counts as cancelled
// at once; the right one is accepted.
TEST_P(CliPasswords, AreRefusedOrAccepted) {
    SimConverter sim(dir.path().string(), {"--password", "old"});
    ASSERT_TRUE(sim.ready());
    QStringList args = GetParam().args;
    args.replaceInStrings(QStringLiteral("FILE"), q(dir.file("out")));
    const CliResult r = cli(QStringList{"-p", sim.port()} + args);
    EXPECT_EQ(r.status, GetParam().status) << r.err.constData();
    EXPECT_TRUE(r.err.contains(GetParam().message)) << r.err.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Flows, CliPasswords,
    ::testing::Values(
        PasswordCase{"readWithout", {"read", "FILE"}, 1, "give the right one with --password"},
        PasswordCase{"resetWrong", {"-P", "bad", "reset"}, 1, "give the right one with --password"},
        PasswordCase{"dumpWrong", {"-P", "bad", "dump", "FILE"}, 1, "--password"},
        PasswordCase{"passwdWrongCurrent",
                     {"-P", "bad", "passwd", "x"},
                     1,
                     "refused the current access password (status 9E)"},
        PasswordCase{"passwdTooLong",
                     {"-P", "old", "passwd", "123456789012345678901234567890123"},
                     2,
                     "at most 32 characters"},
        PasswordCase{"passwdRight", {"-P", "old", "passwd", "x"}, 0, "password was changed"},
        PasswordCase{"resetRight", {"-P", "old", "reset"}, 0, "runs again"}),
    [](const ::testing::TestParamInfo<PasswordCase>& info) {
        return std::string(info.param.name);
    });

class CliLateAnswers;

struct LateCase {
    const char* name;
    QStringList simArgs;
    // Runs the tool and checks what it and the converter ended up with.
    void (*run)(CliLateAnswers& test, SimConverter& sim);
};

class CliLateAnswers : public CliEndToEnd, public ::testing::WithParamInterface<LateCase> {
public:
    using CliEndToEnd::cli;
    using CliEndToEnd::dir;
    using CliEndToEnd::onPort;
};

// A converter that answers one request just after the tool's time-out, so that its answer
// crosses the re-send: every step goes out once, the late one once more, and the data lands
// exactly once, in place.
TEST_P(CliLateAnswers, EachStepOnceAndTheDataExact) {
    writeFile(dir.file("image.bin"), firmwareFile(1024, "6.0.0"));
    SimConverter sim(dir.path().string(),
                     QStringList{"--flash-file", q(dir.file("image.bin"))} + GetParam().simArgs);
    ASSERT_TRUE(sim.ready());
    GetParam().run(*this, sim);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CliLateAnswers,
    ::testing::Values(
        LateCase{"read",
                 {"--echo-address", "--late", "config-read:3"},
                 [](CliLateAnswers& test, SimConverter& sim) {
                     const CliResult r =
                         test.cli({"-t", "-p", sim.port(), "read", q(test.dir.file("read.dat"))});
                     ASSERT_EQ(r.status, 0) << r.err.constData();
                     EXPECT_EQ(sentFrames(r.err, "A1 0A 42 00 46 03"), 6) << r.err.constData();
                     EXPECT_EQ(r.err.count("Stale answer ignored (address 038100)"), 1);
                     ConverterConfig record;
                     ASSERT_EQ(ReadConfigFile(test.dir.file("read.dat"), record, nullptr, nullptr,
                                              nullptr),
                               kConfigLoaded);
                     ASSERT_TRUE(sim.stop());
                     // The converter's record exactly, with the access password stamped.
                     QByteArray expected = sim.config();
                     ASSERT_EQ(expected.size(), 640);
                     expected.replace(kPasswordOffset, kPasswordSize, passwordField(""));
                     EXPECT_EQ(lineOrder(record), expected);
                 }},
        LateCase{
            "flash",
            {"--late", "flash-chunk:3"},
            [](CliLateAnswers& test, SimConverter& sim) {
                const QByteArray firmware = firmwareFile(1024, "7.2.0"); // eight chunks
                writeFile(test.dir.file("fw.bin"), firmware);
                const CliResult r =
                    test.cli({"-t", "-p", sim.port(), "flash", q(test.dir.file("fw.bin"))});
                ASSERT_EQ(r.status, 0) << r.err.constData();
                EXPECT_EQ(sentFrames(r.err, "A1 87 22 80") + sentFrames(r.err, "A1 08 22 01"), 9)
                    << r.err.constData();
                EXPECT_EQ(sentFrames(r.err, "A1 02 29 00 34"), 1) << "one stop";
                ASSERT_TRUE(sim.stop());
                EXPECT_EQ(sim.flash(), firmware);
            }},
        LateCase{"dump",
                 {"--late", "flash-read:3"},
                 [](CliLateAnswers& test, SimConverter& sim) {
                     const CliResult r =
                         test.cli({"-t", "-p", sim.port(), "dump", q(test.dir.file("dump.bin"))});
                     ASSERT_EQ(r.status, 0) << r.err.constData();
                     EXPECT_EQ(sentFrames(r.err, "A1 07 42 00 46 03"), 9) << r.err.constData();
                     EXPECT_EQ(readFile(test.dir.file("dump.bin")),
                               readFile(test.dir.file("image.bin")));
                 }}),
    [](const ::testing::TestParamInfo<LateCase>& info) { return std::string(info.param.name); });

TEST_F(CliEndToEnd, ConverterThatKeepsRefusingTheResetEndsWithItsStatus) {
    SimConverter sim(dir.path().string(), {"--refuse", "reset:0x42"});
    ASSERT_TRUE(sim.ready());
    const CliResult r = cli({"-t", "-p", sim.port(), "reset"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("The converter refused the request (status 42)."))
        << r.err.constData();
    // The password field (empty here: only its zero byte) is hidden in the trace.
    EXPECT_EQ(sentFrames(r.err, "A1 05 81 00 88 01 ** 50"), 4) << r.err.constData();
}

// Hex text of a password's characters, as the trace would show them.
QByteArray hexText(const char* text) {
    return QByteArray(text).toHex(' ').toUpper();
}

// The trace hides both the current and the new password, in their frames, while the change goes
// through.
TEST_F(CliEndToEnd, PasswordChangeTraceHidesBothPasswords) {
    const char* current = "Kx7secret";
    const char* next = "Zq9hidden";
    SimConverter sim(dir.path().string(), {"--password", current});
    ASSERT_TRUE(sim.ready());
    const CliResult r = cli({"-t", "-P", current, "-p", sim.port(), "passwd", next});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    // Field 0x28 (the new password) and field 0x88 (the current one), ten bytes each with the
    // zero byte: their tags and lengths show, their values do not.
    const QByteArray hidden = QByteArray(" **").repeated(10);
    EXPECT_EQ(sentFrames(r.err, "A1 18 28 0A" + hidden + " 88 0A" + hidden + " "), 1)
        << r.err.constData();
    for (const char* password : {current, next}) {
        EXPECT_FALSE(r.err.contains(password)) << password;
        EXPECT_FALSE(r.err.contains(hexText(password))) << password;
        EXPECT_FALSE(r.out.contains(password)) << password;
    }
    ASSERT_TRUE(sim.stop());
    EXPECT_EQ(sim.config().mid(kPasswordOffset, kPasswordSize), passwordField(next));
}

// The disk fills up half-way through a dump: the tool says so, and leaves no partial image.
TEST_F(CliEndToEnd, DumpThatCannotBeWrittenEndsWithStatusFive) {
    writeFile(dir.file("image.bin"), firmwareFile(1024, "6.0.0"));
    SimConverter sim(dir.path().string(), {"--flash-file", q(dir.file("image.bin"))});
    ASSERT_TRUE(sim.ready());
    // The tool inherits a file size limit, and ignores the signal that would come with it.
    CliResult r;
    {
        const FileSizeLimit limit(300);
        ASSERT_TRUE(limit.active());
        r = cli(onPort(sim, {"dump", q(dir.file("dump.bin"))}));
    }
    EXPECT_EQ(r.status, 5) << r.err.constData();
    EXPECT_TRUE(r.err.contains("could not be written")) << r.err.constData();
    EXPECT_FALSE(QFile::exists(q(dir.file("dump.bin"))));
}

TEST_F(CliEndToEnd, SilentConverterEndsInfoWithNoAnswerAfterFourSends) {
    SimConverter sim(dir.path().string(), {"--drop-in", "1"});
    ASSERT_TRUE(sim.ready());
    const CliResult r = cli({"-t", "-p", sim.port(), "info"});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err.count("OUT: A1 02 15 00 48\n"), 4) << r.err.constData();
    EXPECT_TRUE(r.err.contains("Operation failed!\n"));
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CliEndToEnd, MonitorSurvivesAnUnplug) {
    SimConverter sim(dir.path().string(),
                     {"--monitor-period", "100", "--unplug-after", "0.6", "--replug-after", "0.6"});
    ASSERT_TRUE(sim.ready());
    const CliResult r = cli(onPort(sim, {"monitor", "--seconds", "2.5"}), {}, true);
    EXPECT_EQ(r.status, 0) << r.err.constData();
    // Lines numbered after the replug (the converter counts on while unplugged) came through.
    const QRegularExpression line(QStringLiteral("SYS (\\d+) "));
    int last = 0;
    for (auto it = line.globalMatch(QString::fromLatin1(r.out)); it.hasNext();) {
        last = it.next().captured(1).toInt();
    }
    EXPECT_GE(last, 14) << r.out.constData();
}

TEST_F(CliEndToEnd, MonitorSwitchesOffOnTermination) {
    SimConverter sim(dir.path().string(), {"--monitor-period", "50"});
    ASSERT_TRUE(sim.ready());
    QProcess cli;
    cli.setProcessEnvironment(environmentFor(dir.path().string()));
    cli.start(kCliPath, {"-t", "-p", sim.port(), "monitor"});
    ASSERT_TRUE(cli.waitForStarted());
    // Terminated once the converter's text flows.
    while (!cli.readAllStandardOutput().contains("SYS ") && cli.waitForReadyRead(5000)) {
    }
    cli.terminate();
    ASSERT_TRUE(cli.waitForFinished(5000));
    EXPECT_EQ(cli.exitCode(), 0);
    const QByteArray trace = cli.readAllStandardError();
    EXPECT_TRUE(trace.contains("OUT: A1 02 32 00 2B\n")) << trace.constData();
    EXPECT_TRUE(trace.contains(" IN: A2 02 32 00")) << trace.constData();
}

TEST_F(CliEndToEnd, FlashServesALoaderWaitingForFirmware) {
    const QByteArray firmware = firmwareFile(2048, "1.0.0");
    writeFile(dir.file("fw.bin"), firmware);
    SimConverter sim(dir.path().string(), {"--firmware-missing", "--boot"});
    ASSERT_TRUE(sim.ready());
    // Without firmware the converter's loader refuses to run anything else.
    CliResult r = cli(onPort(sim, {"reset"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("waits for new firmware")) << r.err.constData();
    r = cli(onPort(sim, {"flash", q(dir.file("fw.bin"))}));
    EXPECT_EQ(r.status, 0) << r.err.constData();
    ASSERT_TRUE(sim.stop());
    EXPECT_EQ(sim.flash(), firmware);
}

struct UsageCase {
    const char* name;
    QStringList args;
    int status;
    const char* stdoutPart;
};

class CliWithoutConverter : public CliEndToEnd, public ::testing::WithParamInterface<UsageCase> {};

// Command-line mistakes, missing ports and rejected input files end before any converter is
// needed, each with its own status.
TEST_P(CliWithoutConverter, EndsWithItsStatus) {
    writeFile(dir.file("junk.dat"), QByteArray(787, 'x'));
    writeFile(dir.file("short.bin"), firmwareFile(2048, "1").left(290));
    QStringList args = GetParam().args;
    args.replaceInStrings(QStringLiteral("DIR"), q(dir.path().string()));
    const CliResult r = cli(args);
    EXPECT_EQ(r.status, GetParam().status) << r.err.constData();
    EXPECT_TRUE(r.out.contains(GetParam().stdoutPart)) << r.out.constData();
    if (r.status != 0) {
        EXPECT_FALSE(r.err.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliWithoutConverter,
    ::testing::Values(
        UsageCase{"help", {"--help"}, 0, "config defaults"},
        UsageCase{"commandHelp", {"write", "--help"}, 0, "--verify"},
        UsageCase{"version", {"--version"}, 0, "vandrelctl 1."},
        UsageCase{"noCommand", {"-q"}, 2, ""}, UsageCase{"unknownCommand", {"erase"}, 2, ""},
        UsageCase{"unknownOption", {"-x", "info"}, 2, ""},
        UsageCase{"missingArgument", {"read"}, 2, ""},
        UsageCase{"extraArgument", {"info", "now"}, 2, ""},
        UsageCase{"badBaud", {"-b", "fast", "info"}, 2, ""},
        UsageCase{"badMask", {"-p", "DIR/none", "monitor", "--mask", "08"}, 2, ""},
        UsageCase{"longPassword", {"-P", "123456789012345678901234567890123", "info"}, 2, ""},
        UsageCase{"missingPort", {"-p", "DIR/none", "info"}, 3, ""},
        UsageCase{"noPortSet", {"info"}, 3, ""},
        UsageCase{"notAPort", {"-p", "DIR/junk.dat", "reset"}, 3, ""},
        UsageCase{"missingFile", {"-p", "DIR/none", "write", "DIR/none.dat"}, 5, ""},
        UsageCase{"notAConfigFile", {"config", "show", "DIR/junk.dat"}, 5, ""},
        UsageCase{"shortFirmware", {"-p", "DIR/none", "flash", "DIR/short.bin"}, 5, ""}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace vandrel::testing
