// The type of configuration files that the package installs, compiled as the desktop compiles
// it and asked as a file manager asks: by name and by the file's first bytes. A program of its
// own, so that the type database it reads is the one made here.
#include "TempDir.h"

#include "config/ConfigFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace vandrel;

namespace {

constexpr char kType[] = "application/x-vandrel-config";

class ConfigMimeType : public ::testing::Test {
protected:
    void SetUp() override {
        const std::filesystem::path mime = data.path() / "share" / "mime";
        std::filesystem::create_directories(mime / "packages");
        std::filesystem::copy_file(VANDREL_SOURCE_DIR "/resources/app/vandrel.mime.xml",
                                   mime / "packages" / "vandrel.xml");
        const QString update =
            QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
        ASSERT_FALSE(update.isEmpty()) << "update-mime-database (shared-mime-info) is missing";
        QProcess compile;
        compile.start(update, {QString::fromStdString(mime.string())});
        ASSERT_TRUE(compile.waitForFinished(60000));
        ASSERT_EQ(compile.exitCode(), 0) << compile.readAllStandardError().toStdString();
        // The database of this program: ours in front of the system's.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((data.path() / "home").string()));
        qputenv("XDG_DATA_DIRS",
                QByteArray::fromStdString((data.path() / "share").string()) + ":/usr/share");
    }

    std::string file(const char* name) const { return files.file(name); }
    std::string typeOf(const std::string& path) const {
        return QMimeDatabase().mimeTypeForFile(QString::fromStdString(path)).name().toStdString();
    }

    TempDir data;
    TempDir files;
};

TEST_F(ConfigMimeType, ByNameInEitherCaseAndByTheTagWhateverTheName) {
    ConverterConfig record;
    ResetToDefaults(&record);
    for (const char* name : {"site1.DAT", "site1.dat", "site1.cfg", "noextension"}) {
        ASSERT_EQ(WriteConfigFile(file(name), record, DeviceInfo{}), kConfigWritten);
        EXPECT_EQ(typeOf(file(name)), kType) << name;
    }
    // By its name alone: another program's .dat is taken for one too, at a low weight.
    std::ofstream(file("other.DAT"), std::ios::binary) << "not a configuration";
    EXPECT_EQ(typeOf(file("other.DAT")), kType);
    // A version-1 file is shorter and has the same tag.
    ASSERT_EQ(WriteConfigFile(file("old.bin"), record, DeviceInfo{}), kConfigWritten);
    std::filesystem::resize_file(file("old.bin"), kConfigFileSizeV1);
    EXPECT_EQ(typeOf(file("old.bin")), kType);

    // The tag in single-byte characters is another file's.
    std::ofstream(file("ascii.bin"), std::ios::binary) << "PC-CFG" << std::string(781, '\0');
    EXPECT_NE(typeOf(file("ascii.bin")), kType);
    std::ofstream(file("notes.txt")) << "PC-CFG\n";
    EXPECT_NE(typeOf(file("notes.txt")), kType);

    const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromLatin1(kType));
    ASSERT_TRUE(type.isValid());
    EXPECT_EQ(type.comment(), QStringLiteral("Converter configuration"));
}

} // namespace
