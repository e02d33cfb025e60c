// The pieces of vandrelctl that need no converter: configuration file commands, the trace line
// and the progress line.
#include "TempDir.h"
#include "cli/ConfigFileCommands.h"
#include "cli/Console.h"
#include "cli/StderrTrace.h"
#include "cli/TransferProgress.h"
#include "config/ConfigFields.h"
#include "config/ConfigFile.h"
#include "config/FileHelpers.h"
#include "protocol/FrameSecrets.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <cstring>

namespace vandrel {
namespace {

TEST(ConfigFileCommands, ConvertUpgradesAVersionOneFileAndKeepsEverythingElse) {
    TempDir dir;
    ConverterConfig record;
    for (std::size_t i = 0; i < kConfigSize; ++i) {
        record.bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    std::memcpy(record.bytes.data() + ConfigOffset::password, "abc\0", 4);
    const std::uint8_t version1[4] = {1, 0, 0, 0};
    const std::string in = dir.file("old.dat");
    ASSERT_TRUE(FileAppend(in, kConfigFileTag.data(), kConfigFileTag.size()));
    ASSERT_TRUE(FileAppend(in, version1, 4));
    ASSERT_TRUE(FileAppend(in, record.bytes.data(), kConfigSize));

    Console console(true);
    ASSERT_EQ(convertConfigFile(in, dir.file("new.dat"), console), 0);
    ConverterConfig converted;
    DeviceInfo info;
    ASSERT_EQ(ReadConfigFile(dir.file("new.dat"), converted, &info.firmwareVersion,
                             &info.loaderVersion, &info.systemInfoNumber),
              kConfigLoaded);
    EXPECT_EQ(FileSize(dir.file("new.dat")), kConfigFileSize);
    EXPECT_EQ(info.systemInfoNumber, kUnknownPartition);
    EXPECT_EQ(converted.bytes[ConfigOffset::p12Checks], 0x1A); // upgraded
    // Everything but the upgraded bytes is carried over, the stored password included.
    const auto upgraded = [](std::size_t i) {
        return i == ConfigOffset::p12Checks || i == ConfigOffset::p12Code ||
               i == ConfigOffset::p12Code + 20 || i == ConfigOffset::p12Digits ||
               i == ConfigOffset::p12Digits + 20 ||
               (i >= ConfigOffset::p12Value1 && i < ConfigOffset::reserved);
    };
    for (std::size_t i = 0; i < kConfigSize; ++i) {
        if (!upgraded(i)) {
            EXPECT_EQ(converted.bytes[i], record.bytes[i]) << "byte " << i;
        }
    }
    EXPECT_EQ(convertConfigFile(dir.file("missing.dat"), dir.file("x.dat"), console), 5);

    // The defaults, with device information that names nothing.
    ASSERT_EQ(writeDefaultConfigFile(dir.file("defaults.dat"), console), 0);
    ConverterConfig defaults;
    ResetToDefaults(&defaults);
    ASSERT_EQ(ReadConfigFile(dir.file("defaults.dat"), converted, &info.firmwareVersion,
                             &info.loaderVersion, &info.systemInfoNumber),
              kConfigLoaded);
    EXPECT_EQ(converted.bytes, defaults.bytes);
    EXPECT_EQ(VersionTextString(info.firmwareVersion), "");
    EXPECT_EQ(info.systemInfoNumber, kUnknownPartition);
}

TEST(ConfigFileCommands, JsonNamesEveryFieldInRecordOrderWithItsKind) {
    LoadedConfigFile file;
    file.version = 2;
    ResetToDefaults(&file.record);
    SetVersionText(file.info.firmwareVersion, "1.0 \"%1\"");
    file.info.systemInfoNumber = 3;
    const QJsonDocument doc = QJsonDocument::fromJson(configFileJson(file).toUtf8());
    ASSERT_TRUE(doc.isObject());
    const QJsonObject root = doc.object();
    EXPECT_EQ(root.value("version").toInt(), 2);
    const QJsonObject deviceInfo = root.value("deviceInfo").toObject();
    EXPECT_EQ(deviceInfo.value("firmwareVersion").toString(), QStringLiteral("1.0 \"%1\""));
    EXPECT_EQ(deviceInfo.value("loaderVersion").toString(), QString());
    EXPECT_EQ(deviceInfo.value("systemInfoNumber").toInt(), 3);
    const QJsonObject record = root.value("record").toObject();
    EXPECT_EQ(static_cast<std::size_t>(record.size()), kConfigFields.size());
    for (const ConfigField& field : kConfigFields) {
        const QJsonValue value = record.value(
            QString::fromLatin1(field.name.data(), static_cast<qsizetype>(field.name.size())));
        switch (field.kind) {
        case FieldKind::Number:
            ASSERT_TRUE(value.isDouble()) << field.name;
            EXPECT_EQ(value.toInteger(), FieldNumber(file.record, field)) << field.name;
            break;
        case FieldKind::Bytes:
            ASSERT_TRUE(value.isString()) << field.name;
            EXPECT_EQ(static_cast<std::size_t>(value.toString().size()), field.size * 2)
                << field.name;
            break;
        default:
            ASSERT_TRUE(value.isString()) << field.name;
            EXPECT_EQ(value.toString().toStdString(), FieldText(file.record, field)) << field.name;
        }
    }
    // Record order in the text, too.
    const QString text = configFileText(file);
    qsizetype last = -1;
    for (const ConfigField& field : kConfigFields) {
        const qsizetype at = text.indexOf(
            QLatin1Char('\n') +
            QString::fromLatin1(field.name.data(), static_cast<qsizetype>(field.name.size())) +
            QLatin1Char(':'));
        EXPECT_GT(at, last) << field.name;
        last = at;
    }
}

TEST(StderrTrace, WritesStatusLinesAndEachFrameOnOneLine) {
    char buffer[256] = {};
    std::FILE* out = fmemopen(buffer, sizeof buffer, "w");
    ASSERT_NE(out, nullptr);
    StderrTrace trace(out);
    trace.addLine("Get system info", kTraceStatusColour);
    const std::uint8_t request[] = {0xA1, 0x02, 0x15, 0x00, 0x48};
    trace.dumpFrame(request, FrameDirection::Out, passwordBytes(request));
    const std::uint8_t answer[] = {0xA2, 0x00, 0x5E};
    trace.dumpFrame(answer, FrameDirection::In, passwordBytes(answer));
    // A reset carrying the password "pw": its value bytes are hidden, the rest stays.
    const std::uint8_t reset[] = {0xA1, 0x07, 0x81, 0x00, 0x88, 0x03, 0x70, 0x77, 0x00, 0x00};
    trace.dumpFrame(reset, FrameDirection::Out, passwordBytes(reset));
    std::fclose(out);
    EXPECT_STREQ(buffer, "Get system info\nOUT: A1 02 15 00 48\n IN: A2 00 5E\n"
                         "OUT: A1 07 81 00 88 03 ** ** ** 00\n");
}

TEST(TransferProgress, ShowsPercentBytesRateAndTimeLeft) {
    struct Case {
        std::int64_t done, total, elapsedMs;
        const char* text;
    };
    const Case cases[] = {
        {0, 262144, 0, "  0%  0 of 262144 bytes"},
        {65536, 262144, 8000, " 25%  65536 of 262144 bytes  8192 B/s  0:24 left"},
        {262144, 262144, 25000, "100%  262144 of 262144 bytes  10485 B/s  0:00 left"},
        {1000, 100000, 1000, "  1%  1000 of 100000 bytes  1000 B/s  1:39 left"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TransferProgress::format(c.done, c.total, c.elapsedMs).toStdString(), c.text);
    }
}

} // namespace
} // namespace vandrel
