#include "cli/ConfigFileCommands.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "config/ConfigFields.h"
#include "config/ConfigFile.h"
#include "config/FileHelpers.h"

namespace vandrel {
namespace {

QString readerError(int code, const QString& path) {
    switch (code) {
    case kConfigMissing:
        return QStringLiteral("%1 does not exist or cannot be read.").arg(path);
    case kConfigBadTag:
        return QStringLiteral("%1 is not a configuration file.").arg(path);
    case kConfigBadVersion:
        return QStringLiteral("%1 has an unknown configuration file version.").arg(path);
    case kConfigShortBlock:
        return QStringLiteral("%1 is damaged: a block of it cannot be read whole.").arg(path);
    case kConfigBadFileSize:
        return QStringLiteral("%1 does not have the size of its configuration file version.")
            .arg(path);
    default:
        return QStringLiteral("%1 cannot be read.").arg(path);
    }
}

int writeFile(const std::string& path, const ConverterConfig& record, const DeviceInfo& info,
              Console& console) {
    if (WriteConfigFile(path, record, info) != kConfigWritten) {
        console.error(QStringLiteral("The configuration could not be written to %1.")
                          .arg(QString::fromStdString(path)));
        return exit_status::BadFile;
    }
    return exit_status::Success;
}

// Record texts are single-byte characters.
QString recordText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString hexBytes(const ConverterConfig& record, const ConfigField& field) {
    const QByteArray bytes(reinterpret_cast<const char*>(record.bytes.data() + field.offset),
                           static_cast<qsizetype>(field.size));
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString jsonString(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20) {
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            } else {
                out += c;
            }
        }
    }
    return out + QLatin1Char('"');
}

QString versionText(const VersionText& text) {
    return recordText(VersionTextString(text));
}

} // namespace

std::optional<LoadedConfigFile> loadConfigFile(const std::string& path, Console& console) {
    LoadedConfigFile file;
    const int code = ReadConfigFile(path, file.record, &file.info.firmwareVersion,
                                    &file.info.loaderVersion, &file.info.systemInfoNumber);
    if (code != kConfigLoaded) {
        console.error(readerError(code, QString::fromStdString(path)) +
                      QStringLiteral(" (reader code %1)").arg(code));
        return std::nullopt;
    }
    std::uint8_t version[4] = {};
    FileReadAt(path, kConfigFileVersionOffset, version, sizeof version);
    file.version = std::uint32_t{version[0]} | std::uint32_t{version[1]} << 8 |
                   std::uint32_t{version[2]} << 16 | std::uint32_t{version[3]} << 24;
    return file;
}

QString configFileText(const LoadedConfigFile& file) {
    QString text = QStringLiteral("version: %1\n").arg(file.version);
    text += QStringLiteral("firmwareVersion: %1\n").arg(versionText(file.info.firmwareVersion));
    text += QStringLiteral("loaderVersion: %1\n").arg(versionText(file.info.loaderVersion));
    text += QStringLiteral("systemInfoNumber: %1\n").arg(file.info.systemInfoNumber);
    for (const ConfigField& field : kConfigFields) {
        QString value;
        switch (field.kind) {
        case FieldKind::Number:
            value = QString::number(FieldNumber(file.record, field));
            break;
        case FieldKind::Bytes:
            value = hexBytes(file.record, field);
            break;
        default:
            value = recordText(FieldText(file.record, field));
        }
        text +=
            QStringLiteral("%1: %2\n")
                .arg(QLatin1String(field.name.data(), static_cast<qsizetype>(field.name.size())),
                     value);
    }
    return text;
}

QString configFileJson(const LoadedConfigFile& file) {
    // Built by concatenation: a text holding "%1" must stay as it is.
    QString json = QStringLiteral("{\"version\": ") + QString::number(file.version) +
                   QStringLiteral(", \"deviceInfo\": {\"firmwareVersion\": ") +
                   jsonString(versionText(file.info.firmwareVersion)) +
                   QStringLiteral(", \"loaderVersion\": ") +
                   jsonString(versionText(file.info.loaderVersion)) +
                   QStringLiteral(", \"systemInfoNumber\": ") +
                   QString::number(file.info.systemInfoNumber) + QStringLiteral("}, \"record\": {");
    bool first = true;
    for (const ConfigField& field : kConfigFields) {
        QString value;
        switch (field.kind) {
        case FieldKind::Number:
            value = QString::number(FieldNumber(file.record, field));
            break;
        case FieldKind::Bytes:
            value = jsonString(hexBytes(file.record, field));
            break;
        default:
            value = jsonString(recordText(FieldText(file.record, field)));
        }
        if (!first) {
            json += QStringLiteral(", ");
        }
        json += jsonString(
                    QLatin1String(field.name.data(), static_cast<qsizetype>(field.name.size()))) +
                QStringLiteral(": ") + value;
        first = false;
    }
    return json + QStringLiteral("}}");
}

int showConfigFile(const std::string& path, bool json, Console& console) {
    const auto file = loadConfigFile(path, console);
    if (!file) {
        return exit_status::BadFile;
    }
    QString text = json ? configFileJson(*file) : configFileText(*file);
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    console.data(text);
    return exit_status::Success;
}

int convertConfigFile(const std::string& in, const std::string& out, Console& console) {
    const auto file = loadConfigFile(in, console);
    if (!file) {
        return exit_status::BadFile;
    }
    return writeFile(out, file->record, file->info, console);
}

int writeDefaultConfigFile(const std::string& out, Console& console) {
    ConverterConfig record;
    ResetToDefaults(&record);
    return writeFile(out, record, DeviceInfo{}, console);
}

} // namespace vandrel
