// vandrelctl config set, get and diff, and write --set against the stand-in converter, run as a
// user runs them.
#include "CliProcess.h"
#include "SimConverter.h"
#include "TempDir.h"
#include "config/AccessPassword.h"
#include "config/CodeField.h"
#include "config/ConfigFile.h"
#include "config/FileHelpers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

namespace vandrel::testing {
namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QByteArray fileBytes(const std::string& path) {
    QFile file(q(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ConverterConfig defaults() {
    ConverterConfig record;
    ResetToDefaults(&record);
    return record;
}

// A record that is not the defaults anywhere it matters, with reserved bytes that must survive.
ConverterConfig reference() {
    ConverterConfig record = defaults();
    record.bytes[ConfigOffset::p11Count] = 7;
    SetCodeFieldText(record, ConfigOffset::number1, "4000");
    SetCodeFieldText(record, ConfigOffset::p24Code, "*31#R");
    for (std::size_t i = 0; i < ConfigSize::reserved; ++i) {
        record.bytes[ConfigOffset::reserved + i] = static_cast<std::uint8_t>(0x7A + i);
    }
    return record;
}

DeviceInfo someDevice() {
    DeviceInfo info;
    SetVersionText(info.firmwareVersion, "2.14.0612");
    SetVersionText(info.loaderVersion, "1.05");
    info.systemInfoNumber = 1;
    return info;
}

// A version-1 file: the tag, the version and the record only.
void writeVersion1(const std::string& path, const ConverterConfig& record) {
    const std::uint8_t version1[4] = {1, 0, 0, 0};
    ASSERT_TRUE(FileTruncate(path));
    ASSERT_TRUE(FileAppend(path, kConfigFileTag.data(), kConfigFileTag.size()));
    ASSERT_TRUE(FileAppend(path, version1, 4));
    ASSERT_TRUE(FileAppend(path, record.bytes.data(), kConfigSize));
}

struct Loaded {
    int code = -1;
    ConverterConfig record;
    DeviceInfo info;
};

Loaded load(const std::string& path) {
    Loaded l;
    l.code = ReadConfigFile(path, l.record, &l.info.firmwareVersion, &l.info.loaderVersion,
                            &l.info.systemInfoNumber);
    return l;
}

class CliConfigEdit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(WriteConfigFile(dir.file("ref.dat"), reference(), someDevice()), kConfigWritten);
    }
    CliResult cli(QStringList args) {
        args.replaceInStrings(QStringLiteral("DIR/"), q(dir.path().string()) + QLatin1Char('/'));
        return runCli(dir.path().string(), args);
    }
    std::string path(const char* name) const { return dir.file(name); }

    TempDir dir;
};

TEST_F(CliConfigEdit, SetWritesTheChangedFieldsAsVersionThreeAndNothingElse) {
    const CliResult r = cli({"config", "set", "DIR/ref.dat", "DIR/out.dat", "number1=4711",
                             "p22Code1=r,1", "p11Count=0x1e", "p24Code="});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(FileSize(path("out.dat")), kConfigFileSize);
    const Loaded out = load(path("out.dat"));
    ASSERT_EQ(out.code, kConfigLoaded);
    ConverterConfig expected = reference();
    SetCodeFieldText(expected, ConfigOffset::number1, "4711"); // count 4 behind the digits
    SetCodeFieldText(expected, ConfigOffset::p22Code1, "R,1");
    expected.bytes[ConfigOffset::p11Count] = 30;
    SetCodeFieldText(expected, ConfigOffset::p24Code, ""); // characters stay, count 0
    EXPECT_EQ(out.record.bytes, expected.bytes);
    EXPECT_EQ(expected.bytes[ConfigOffset::number1Length], 4);
    EXPECT_EQ(VersionTextString(out.info.firmwareVersion), "2.14.0612");
    EXPECT_EQ(out.info.systemInfoNumber, 1);

    // The file can be its own output; a version-1 file comes out as version 3.
    writeVersion1(path("old.dat"), reference());
    ASSERT_EQ(cli({"config", "set", "DIR/old.dat", "DIR/old.dat", "p12Value4=6"}).status, 0);
    const Loaded old = load(path("old.dat"));
    ASSERT_EQ(old.code, kConfigLoaded);
    EXPECT_EQ(FileSize(path("old.dat")), kConfigFileSize);
    EXPECT_EQ(old.record.bytes[ConfigOffset::p12Value4], 6);
    EXPECT_EQ(old.info.systemInfoNumber, kUnknownPartition);
}

struct FailureCase {
    const char* name;
    QStringList args;
    int status;
    const char* message; // part of stderr
};

class CliConfigSetFailures : public CliConfigEdit,
                             public ::testing::WithParamInterface<FailureCase> {};

// A refused change, a malformed argument, a rejected input or an output that cannot be written:
// the status says which, and the output file is neither created nor touched.
TEST_P(CliConfigSetFailures, LeaveTheOutputAlone) {
    writeVersion1(path("kept.dat"), defaults());
    const QByteArray kept = fileBytes(path("kept.dat"));
    QStringList args = GetParam().args;
    const CliResult r = cli(args);
    EXPECT_EQ(r.status, GetParam().status) << r.err.constData();
    EXPECT_TRUE(r.err.contains(GetParam().message)) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(fileBytes(path("kept.dat")), kept);
    EXPECT_FALSE(QFile::exists(q(path("new.dat"))));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliConfigSetFailures,
    ::testing::Values(
        FailureCase{"character",
                    {"config", "set", "DIR/ref.dat", "DIR/kept.dat", "number1=1", "p23Code=R-1"},
                    2,
                    "p23Code: takes only the characters 0123456789*#R, ('-' is not one of them)"},
        FailureCase{"range",
                    {"config", "set", "DIR/ref.dat", "DIR/new.dat", "p12Value3=21"},
                    2,
                    "p12Value3: takes 2..20 (21 given)."},
        FailureCase{
            "length",
            {"config", "set", "DIR/ref.dat", "DIR/new.dat", "p12Code=123456789012345678901"},
            2,
            "p12Code: takes at most 20 characters (21 given)."},
        FailureCase{"unknown",
                    {"config", "set", "DIR/ref.dat", "DIR/kept.dat", "p25Code=1"},
                    2,
                    "'p25Code' is not a field of the configuration."},
        FailureCase{"beyondLatin1",
                    {"config", "set", "DIR/ref.dat", "DIR/new.dat", "p23Code=R\u20AC"},
                    2,
                    "p23Code: '\xE2\x82\xAC' is not a character the configuration can hold."},
        FailureCase{"notAnAssignment",
                    {"config", "set", "DIR/ref.dat", "DIR/new.dat", "number1"},
                    2,
                    "'number1' is not of the form NAME=VALUE."},
        FailureCase{"noAssignment", {"config", "set", "DIR/ref.dat", "DIR/new.dat"}, 2, "needs 3"},
        FailureCase{"rejectedInput",
                    {"config", "set", "DIR/none.dat", "DIR/new.dat", "number1=1"},
                    5,
                    "does not exist"},
        FailureCase{"unwritableOutput",
                    {"config", "set", "DIR/ref.dat", "DIR/no/new.dat", "number1=1"},
                    5,
                    "could not be written"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(CliConfigEdit, GetPrintsEachValueAsShowDoes) {
    CliResult r =
        cli({"config", "get", "DIR/ref.dat", "number1", "number1Length", "p24Code", "p11Count",
             "reserved", "version", "firmwareVersion", "systemInfoNumber", "p24Code"});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("4000\n4\n*31#R\n7\n"
                                "7A7B7C7D7E7F808182838485868788898A8B8C8D8E8F90919293949596979899"
                                "9A9B9C9D9E9FA0A1\n3\n2.14.0612\n1\n*31#R\n"));
    // Each line is the value `config show` prints for the name.
    const CliResult show = cli({"config", "show", "DIR/ref.dat"});
    ASSERT_EQ(show.status, 0);
    EXPECT_TRUE(show.out.contains("\np24Code: *31#R\n"));

    r = cli({"config", "get", "DIR/ref.dat", "number1", "nosuch"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.isEmpty()) << "nothing printed for a call with an unknown name";
    EXPECT_TRUE(r.err.contains("'nosuch' is not a field of the configuration.")) << r.err.data();
    r = cli({"config", "get", "DIR/none.dat", "number1"});
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(cli({"config", "get", "DIR/ref.dat"}).status, 2);
}

struct DiffCase {
    const char* name;
    // Changes the second file's record from the reference one.
    void (*change)(ConverterConfig& record);
    bool secondIsVersion1;
    int status;
    const char* out;
};

class CliConfigDiff : public CliConfigEdit, public ::testing::WithParamInterface<DiffCase> {};

TEST_P(CliConfigDiff, ListsTheDifferencesAndSaysWhetherTheRecordsDiffer) {
    ConverterConfig b = reference();
    GetParam().change(b);
    if (GetParam().secondIsVersion1) {
        writeVersion1(path("b.dat"), b);
    } else {
        ASSERT_EQ(WriteConfigFile(path("b.dat"), b, someDevice()), kConfigWritten);
    }
    const CliResult r = cli({"config", "diff", "DIR/ref.dat", "DIR/b.dat"});
    EXPECT_EQ(r.status, GetParam().status) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray(GetParam().out));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliConfigDiff,
    ::testing::Values(
        DiffCase{"equal", [](ConverterConfig&) {}, false, 0, ""},
        DiffCase{"staleBytesBehindAText",
                 [](ConverterConfig& r) {
                     SetCodeFieldText(r, ConfigOffset::p24Code, "*3");
                     SetCodeFieldText(r, ConfigOffset::p24Code, "*31#R");
                     r.bytes[ConfigOffset::p24Code + 10] = '9';
                 },
                 false, 0, ""},
        DiffCase{"textNumberAndCode",
                 [](ConverterConfig& r) {
                     SetCodeFieldText(r, ConfigOffset::number1, "4711");
                     r.bytes[ConfigOffset::p12Scaled] = 40;
                     SetCodeFieldText(r, ConfigOffset::p22Code4, "R9");
                 },
                 false, 1, "number1\t4000\t4711\np12Scaled\t20\t40\np22Code4\t\tR9\n"},
        // The same record once upgraded: only the file version and device information differ.
        DiffCase{"versionOneOfTheSameRecord", [](ConverterConfig&) {}, true, 0,
                 "version\t3\t1\ndeviceInfo.firmwareVersion\t2.14.0612\t\n"
                 "deviceInfo.loaderVersion\t1.05\t\ndeviceInfo.systemInfoNumber\t1\t255\n"},
        DiffCase{"versionOneWithAChange",
                 [](ConverterConfig& r) { r.bytes[ConfigOffset::p11Count] = 8; }, true, 1,
                 "version\t3\t1\ndeviceInfo.firmwareVersion\t2.14.0612\t\n"
                 "deviceInfo.loaderVersion\t1.05\t\ndeviceInfo.systemInfoNumber\t1\t255\n"
                 "p11Count\t7\t8\n"}),
    [](const ::testing::TestParamInfo<DiffCase>& info) { return std::string(info.param.name); });

TEST_F(CliConfigEdit, DiffAsJsonAndWithARejectedFile) {
    ConverterConfig b = reference();
    SetCodeFieldText(b, ConfigOffset::p23Code, "R\"9");
    b.bytes[ConfigOffset::p11Count] = 8;
    writeVersion1(path("b.dat"), b);
    CliResult r = cli({"config", "diff", "DIR/ref.dat", "DIR/b.dat", "--json"});
    EXPECT_EQ(r.status, 1) << r.err.constData();
    const QJsonDocument doc = QJsonDocument::fromJson(r.out);
    ASSERT_TRUE(doc.isObject()) << r.out.constData();
    const QJsonObject root = doc.object();
    EXPECT_FALSE(root.value("equal").toBool(true));
    const QJsonArray file = root.value("file").toArray();
    ASSERT_EQ(file.size(), 1);
    EXPECT_EQ(file[0].toObject().value("name").toString(), "version");
    EXPECT_EQ(file[0].toObject().value("b").toInt(), 1);
    EXPECT_EQ(root.value("deviceInfo").toArray().size(), 3);
    const QJsonArray record = root.value("record").toArray();
    ASSERT_EQ(record.size(), 2);
    EXPECT_EQ(record[0].toObject().value("name").toString(), "p11Count");
    EXPECT_EQ(record[0].toObject().value("a").toInt(), 7);
    EXPECT_EQ(record[0].toObject().value("b").toInt(), 8);
    EXPECT_EQ(record[1].toObject().value("a").toString(), "R,,,,*37#,,,");
    EXPECT_EQ(record[1].toObject().value("b").toString(), "R\"9");

    r = cli({"config", "diff", "DIR/ref.dat", "DIR/ref.dat", "--json"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("{\"equal\": true, \"file\": [], \"deviceInfo\": [], "
                                "\"record\": []}\n"));

    ASSERT_TRUE(FileAppend(path("b.dat"), "x", 1)); // no longer the size of its version
    r = cli({"config", "diff", "DIR/ref.dat", "DIR/b.dat"});
    EXPECT_EQ(r.status, 5);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("b.dat does not have the size")) << r.err.constData();
}

// The configuration as the converter holds it: the record with its tag's bytes exchanged.
QByteArray lineOrder(const ConverterConfig& record) {
    QByteArray bytes(reinterpret_cast<const char*>(record.bytes.data()),
                     static_cast<qsizetype>(record.bytes.size()));
    std::swap(bytes[0], bytes[1]);
    return bytes;
}

TEST_F(CliConfigEdit, WriteSetChangesExactlyTheNamedFieldsOnTheConverter) {
    SimConverter sim(dir.path().string(), {"--password", "pw"});
    ASSERT_TRUE(sim.ready());
    const QByteArray file = fileBytes(path("ref.dat"));
    // --set repeated, and further assignments after one --set.
    const CliResult r =
        cli({"-q", "-P", "pw", "-p", sim.port(), "write", "DIR/ref.dat", "--set", "number1=0815",
             "--set", "p21Code2On=*67*N#", "p12Scaled=0x28", "--verify"});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(fileBytes(path("ref.dat")), file) << "the file on disk stays as it was";

    ASSERT_TRUE(sim.stop());
    ConverterConfig expected = reference();
    SetCodeFieldText(expected, ConfigOffset::number1, "0815");
    SetCodeFieldText(expected, ConfigOffset::p21Code2On, "*67*n#");
    expected.bytes[ConfigOffset::p12Scaled] = 40;
    stampAccessPassword(expected, "pw");
    EXPECT_EQ(sim.config(), lineOrder(expected));
}

TEST_F(CliConfigEdit, WriteRefusesABadSetBeforeTouchingThePort) {
    // The port does not exist: a refusal comes first, with its own status.
    CliResult r = cli({"-p", "DIR/none", "write", "DIR/ref.dat", "--set", "p11Count=31"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("p11Count: takes 1..30 (31 given).")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("Nothing was written to the converter.")) << r.err.constData();
    r = cli({"-p", "DIR/none", "write", "DIR/ref.dat", "number1=1"});
    EXPECT_EQ(r.status, 2) << "assignments need --set";
    r = cli({"-p", "DIR/none", "write", "DIR/ref.dat", "--set", "p11Count"});
    EXPECT_EQ(r.status, 2);
    r = cli({"-p", "DIR/none", "write", "DIR/ref.dat", "--set", "p11Count=3"});
    EXPECT_EQ(r.status, 3) << "a good change goes on to the port";
}

TEST_F(CliConfigEdit, HelpDocumentsTheNewCommands) {
    CliResult r = cli({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* line : {"config get FILE NAME...", "config set IN OUT NAME=VALUE...",
                             "config diff A B [--json]", "--set NAME=VALUE..."}) {
        EXPECT_TRUE(r.out.contains(line)) << line;
    }
    r = cli({"config", "--help"});
    EXPECT_TRUE(r.out.contains("config diff A B [--json]")) << r.out.constData();
    r = cli({"config", "set", "--help"});
    EXPECT_TRUE(r.out.contains("status 2")) << r.out.constData();
}

} // namespace
} // namespace vandrel::testing
