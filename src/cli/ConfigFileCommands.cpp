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

} // namespace

QString recordText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString fieldName(const ConfigField& field) {
    return QLatin1String(field.name.data(), static_cast<qsizetype>(field.name.size()));
}

QString fieldValueText(const ConverterConfig& record, const ConfigField& field) {
    return recordText(FieldValueText(record, field));
}

QString fieldValueJson(const ConverterConfig& record, const ConfigField& field) {
    const QString text = fieldValueText(record, field);
    return field.kind == FieldKind::Number ? text : jsonString(text);
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

std::vector<FileValue> fileValues(const LoadedConfigFile& file) {
    const QString firmware = recordText(VersionTextString(file.info.firmwareVersion));
    const QString loader = recordText(VersionTextString(file.info.loaderVersion));
    const QString partition = QString::number(file.info.systemInfoNumber);
    const QString version = QString::number(file.version);
    return {
        {QLatin1String(kFileValueNames[0]), false, version, version},
        {QLatin1String(kFileValueNames[1]), true, firmware, jsonString(firmware)},
        {QLatin1String(kFileValueNames[2]), true, loader, jsonString(loader)},
        {QLatin1String(kFileValueNames[3]), true, partition, partition},
    };
}

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
    QString text;
    for (const FileValue& value : fileValues(file)) {
        text += value.name + QStringLiteral(": ") + value.text + QLatin1Char('\n');
    }
    for (const ConfigField& field : kConfigFields) {
        text += fieldName(field) + QStringLiteral(": ") + fieldValueText(file.record, field) +
                QLatin1Char('\n');
    }
    return text;
}

QString configFileJson(const LoadedConfigFile& file) {
    // Built by concatenation: a text holding "%1" must stay as it is.
    QString json = QStringLiteral("{");
    QString deviceInfo;
    for (const FileValue& value : fileValues(file)) {
        if (!value.deviceInfo) {
            json +=
                jsonString(value.name) + QStringLiteral(": ") + value.json + QStringLiteral(", ");
        } else {
            deviceInfo += (deviceInfo.isEmpty() ? QString() : QStringLiteral(", ")) +
                          jsonString(value.name) + QStringLiteral(": ") + value.json;
        }
    }
    json += QStringLiteral("\"deviceInfo\": {") + deviceInfo + QStringLiteral("}, \"record\": {");
    bool first = true;
    for (const ConfigField& field : kConfigFields) {
        if (!first) {
            json += QStringLiteral(", ");
        }
        json += jsonString(fieldName(field)) + QStringLiteral(": ") +
                fieldValueJson(file.record, field);
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
