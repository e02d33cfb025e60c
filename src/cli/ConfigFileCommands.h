#pragma once

#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace vandrel {

class Console;

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

// The text and the JSON of `config show`.
QString configFileText(const LoadedConfigFile& file);
QString configFileJson(const LoadedConfigFile& file);

} // namespace vandrel
