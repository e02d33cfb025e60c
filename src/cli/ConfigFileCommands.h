#pragma once

#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vandrel {

class Console;
struct ConfigField;

// A configuration file as read, with the version it was stored in.
struct LoadedConfigFile {
    std::uint32_t version = 0;
    ConverterConfig record;
    DeviceInfo info;
};

// Reads a configuration file (older versions upgraded); none after telling why on the console.
std::optional<LoadedConfigFile> loadConfigFile(const std::string& path, Console& console);

// The file commands; each returns the exit status.
int showConfigFile(const std::string& path, bool json, Console& console);
int convertConfigFile(const std::string& in, const std::string& out, Console& console);
int writeDefaultConfigFile(const std::string& out, Console& console);

// The values of a file outside the record, in the order `config show` prints them: the version,
// then the device information.
struct FileValue {
    QString name;
    bool deviceInfo;
    QString text; // as `config show` prints it
    QString json;
};
std::vector<FileValue> fileValues(const LoadedConfigFile& file);
inline constexpr std::array<const char*, 4> kFileValueNames{"version", "firmwareVersion",
                                                            "loaderVersion", "systemInfoNumber"};

// Record texts are single-byte characters.
QString recordText(const std::string& bytes);
QString fieldName(const ConfigField& field);
// A field's value as `config show` prints it, and as its JSON prints it.
QString fieldValueText(const ConverterConfig& record, const ConfigField& field);
QString fieldValueJson(const ConverterConfig& record, const ConfigField& field);
// `text` as a JSON string, quoted and escaped.
QString jsonString(const QString& text);

// The text and the JSON of `config show`.
QString configFileText(const LoadedConfigFile& file);
QString configFileJson(const LoadedConfigFile& file);

} // namespace vandrel
