// vandrelctl write --backup against the stand-in converter: the backup holds what the converter
// held before, nothing is written when the backup or the read before it fails, and a write
// without --backup sends what it always sent.
#include "CliEndToEnd.h"
#include "FileSizeLimit.h"
#include "config/AccessPassword.h"
#include "config/ConfigFile.h"
#include "config/ConverterConfig.h"

#include <QRegularExpression>

#include <filesystem>
#include <optional>
#include <ostream>

namespace vandrel::testing {
namespace {

namespace fs = std::filesystem;

// Two records the converter can tell apart from each other and from its defaults.
ConverterConfig recordMarked(std::uint8_t mark) {
    ConverterConfig record;
    ResetToDefaults(&record);
    stampAccessPassword(record, ""); // as every write and read does
    for (std::size_t i = 600; i < 640; ++i) {
        record.bytes[i] = static_cast<std::uint8_t>(mark + i);
    }
    return record;
}

// The frames the tool sent, each cut to its first four bytes ("A1 8A 41 80").
QStringList sentFrameHeads(const QByteArray& trace) {
    QStringList heads;
    for (const QByteArray& line : trace.split('\n')) {
        if (line.startsWith("OUT: ")) {
            heads.append(QString::fromLatin1(line.mid(5, 11)));
        }
    }
    return heads;
}

QStringList folderNames(const fs::path& folder) {
    QStringList names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        names.append(QString::fromStdString(entry.path().filename().string()));
    }
    return names;
}

class CliWriteBackup : public CliEndToEnd {
protected:
    // Files of the two records, and the converter holding the first one.
    void writeFirst(SimConverter& sim) {
        ASSERT_EQ(WriteConfigFile(dir.file("first.dat"), recordMarked(1), DeviceInfo{}),
                  kConfigWritten);
        ASSERT_EQ(WriteConfigFile(dir.file("second.dat"), recordMarked(2), DeviceInfo{}),
                  kConfigWritten);
        const CliResult r = cli(onPort(sim, {"write", q(dir.file("first.dat"))}));
        ASSERT_EQ(r.status, 0) << r.err.constData();
    }
};

struct BackupCase {
    const char* name;
    QStringList faults;
    int readRequests; // packet requests of the read before the write
    int restarts;     // the one after the write, and the one of the fault
};

void PrintTo(const BackupCase& c, std::ostream* os) {
    *os << c.name;
}

class CliWriteBackupDone : public CliWriteBackup,
                           public ::testing::WithParamInterface<BackupCase> {};

// The backup holds the configuration and versions the converter had, in a folder made on the
// way; then the converter holds the new file. A restart under the read or the write starts that
// step over and still leaves one backup.
TEST_P(CliWriteBackupDone, HoldsThePreviousConfigurationAndTheNewOneIsWritten) {
    SimConverter sim(dir.path().string(), GetParam().faults);
    ASSERT_TRUE(sim.ready());
    writeFirst(sim);
    const fs::path folder = dir.path() / "backups" / "site";
    const CliResult r = cli({"-t", "-p", sim.port(), "write", q(dir.file("second.dat")), "--backup",
                             q(folder.string())});
    ASSERT_EQ(r.status, 0) << r.err.constData();

    const QStringList names = folderNames(folder);
    ASSERT_EQ(names.size(), 1) << names.join(' ').toStdString();
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral(R"(^\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d_2\.14\.0612\.dat$)"))
            .match(names[0])
            .hasMatch())
        << names[0].toStdString();
    const fs::path backup = folder / names[0].toStdString();
    EXPECT_EQ(r.out, "backup: " + QByteArray::fromStdString(backup.string()) + "\n");
    EXPECT_EQ(r.err.count("\nRestart code\n"), GetParam().restarts) << r.err.constData();
    EXPECT_EQ(sentFrames(r.err, "A1 0A 42"), GetParam().readRequests);
    EXPECT_EQ(sentFrames(r.err, "A1 02 15"), 1) << "one system information request";
    EXPECT_EQ(sentFrames(r.err, "A1 05 81"), 1) << "one reset after one write";

    ConverterConfig held;
    DeviceInfo info;
    ASSERT_EQ(ReadConfigFile(backup.string(), held, &info.firmwareVersion, &info.loaderVersion,
                             &info.systemInfoNumber),
              kConfigLoaded);
    EXPECT_EQ(held.bytes, recordMarked(1).bytes);
    EXPECT_EQ(VersionTextString(info.firmwareVersion), "2.14.0612");
    EXPECT_EQ(VersionTextString(info.loaderVersion), "1.05");
    EXPECT_EQ(info.systemInfoNumber, 1);

    ASSERT_TRUE(sim.stop());
    EXPECT_EQ(sim.config(), lineOrder(recordMarked(2)));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CliWriteBackupDone,
    ::testing::Values(
        BackupCase{"clean", {}, 5, 1},
        BackupCase{"restartUnderTheRead", {"--restart-at", "config-read:3:code"}, 8, 2},
        BackupCase{"restartUnderTheWrite", {"--restart-at", "config-write:8:loader"}, 5, 2}),
    [](const ::testing::TestParamInfo<BackupCase>& info) { return std::string(info.param.name); });

enum class Folder { UnderAFile, FileTooLarge, Writable };

struct NoWriteCase {
    const char* name;
    QStringList faults;
    Folder folder;
    int status;
    const char* message; // part of stderr
};

void PrintTo(const NoWriteCase& c, std::ostream* os) {
    *os << c.name;
}

class CliWriteBackupFails : public CliWriteBackup,
                            public ::testing::WithParamInterface<NoWriteCase> {};

// When the backup cannot be saved, or the configuration it would hold cannot be read, the
// command ends before a single packet is written and the converter keeps its configuration.
TEST_P(CliWriteBackupFails, WritesNothing) {
    const NoWriteCase& c = GetParam();
    SimConverter sim(dir.path().string(), c.faults);
    ASSERT_TRUE(sim.ready());
    writeFirst(sim);
    writeFile(dir.file("blocker"), "a file");
    const fs::path folder = c.folder == Folder::UnderAFile ? dir.path() / "blocker" / "backups"
                                                           : dir.path() / "backups";
    CliResult r;
    {
        std::optional<FileSizeLimit> limit;
        if (c.folder == Folder::FileTooLarge) {
            limit.emplace(300);
            ASSERT_TRUE(limit->active());
        }
        r = cli({"-t", "-p", sim.port(), "write", q(dir.file("second.dat")), "--backup",
                 q(folder.string())});
    }
    EXPECT_EQ(r.status, c.status) << r.err.constData();
    EXPECT_TRUE(r.err.contains(c.message)) << r.err.constData();
    if (c.folder != Folder::Writable) {
        EXPECT_TRUE(r.err.contains("The backup could not be saved in " +
                                   QByteArray::fromStdString(folder.string()) + ": "))
            << r.err.constData();
        EXPECT_TRUE(r.err.contains("Nothing was written to the converter.")) << r.err.constData();
    }
    EXPECT_EQ(sentFrames(r.err, "A1 8A 41"), 0) << "no configuration packet";
    EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
    EXPECT_TRUE(folderNames(folder).isEmpty()) << "no backup, not even a part of one";
    ASSERT_TRUE(sim.stop());
    EXPECT_EQ(sim.config(), lineOrder(recordMarked(1)));
}

INSTANTIATE_TEST_SUITE_P(
    Ends, CliWriteBackupFails,
    ::testing::Values(NoWriteCase{"folderUnderAFile", {}, Folder::UnderAFile, 5, "Not a directory"},
                      NoWriteCase{"fileTooLarge", {}, Folder::FileTooLarge, 5, "File too large"},
                      NoWriteCase{"readSilent",
                                  {"--fail-from", "config-read:3:silent"},
                                  Folder::Writable,
                                  4,
                                  "The converter did not answer"},
                      NoWriteCase{"readRefused",
                                  {"--fail-from", "config-read:1:0x42"},
                                  Folder::Writable,
                                  1,
                                  "The converter refused the request (status 42)."}),
    [](const ::testing::TestParamInfo<NoWriteCase>& info) { return std::string(info.param.name); });

// Without --backup a write sends the packets, the reset and the acknowledgements of the restart
// and nothing else; with it, exactly what 'read' sends comes first and then the same frames.
TEST_F(CliWriteBackup, WithoutBackupTheTraceIsAPlainWrite) {
    SimConverter sim(dir.path().string(), {});
    ASSERT_TRUE(sim.ready());
    writeFirst(sim);
    const QStringList write{"-t", "-p", sim.port(), "write", q(dir.file("first.dat"))};

    const CliResult plain = cli(write);
    ASSERT_EQ(plain.status, 0) << plain.err.constData();
    const QStringList written = sentFrameHeads(plain.err);
    EXPECT_EQ(written, QStringList({"A1 8A 41 80", "A1 8A 41 80", "A1 8A 41 80", "A1 8A 41 80",
                                    "A1 8A 41 80", "A1 05 81 00", "A2 03 12 01", "A2 03 14 01"}))
        << plain.err.constData();
    EXPECT_TRUE(plain.out.isEmpty()) << plain.out.constData();

    const CliResult read = cli({"-t", "-p", sim.port(), "read", q(dir.file("read.dat"))});
    ASSERT_EQ(read.status, 0) << read.err.constData();
    const CliResult backedUp = cli(write + QStringList{"--backup", q(dir.file("backups"))});
    ASSERT_EQ(backedUp.status, 0) << backedUp.err.constData();
    EXPECT_EQ(sentFrameHeads(backedUp.err), sentFrameHeads(read.err) + written)
        << backedUp.err.constData();
    EXPECT_EQ(sentFrames(backedUp.err, "A1 0A 42"), 5);
}

} // namespace
} // namespace vandrel::testing
